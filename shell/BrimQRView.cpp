#include "shell/BrimQRView.h"

#include "core/BrimQRRules.h"
#include "models/BrimQRModel.h"
#include "platform/PngImage.h"
#include "services/DisabledReason.h"
#include "shell/BrimPlainTextField.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int previewSide = 168;
constexpr int inputLines = 3;
constexpr int decodedMaxLines = 6;

QLabel *heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A label that wraps within whatever width the pane gives it, never asking
// for more (system messages may hold long paths).
QLabel *wrappingLabel()
{
    auto *label = new QLabel;
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

// A decoded text: plain, selectable, never a link. It wraps anywhere, so an
// address without spaces fits the pane, and grows to a few lines before it
// scrolls.
class DecodedText final : public QTextEdit {
public:
    explicit DecodedText(const QString &text)
    {
        setReadOnly(true);
        setAcceptRichText(false);
        setPlainText(text);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::NoFrame);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        viewport()->setAutoFillBackground(false);
        setAccessibleName(text);
    }

    bool hasHeightForWidth() const override { return true; }
    // The whole text at this width, up to a few lines; beyond that it scrolls.
    int heightForWidth(int width) const override
    {
        QTextDocument *measure = document()->clone();
        measure->setTextWidth(qMax(1, width - 2 * frameWidth()));
        const int most = fontMetrics().lineSpacing() * decodedMaxLines + int(2 * measure->documentMargin());
        const int content = int(std::ceil(measure->size().height()));
        delete measure;
        return std::min(content, most) + 2 * frameWidth();
    }
    QSize sizeHint() const override { return {QTextEdit::sizeHint().width(), heightForWidth(width())}; }
};

} // namespace

BrimQRView::BrimQRView(BrimQRModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    m_error = wrappingLabel();
    auto *footnote = wrappingLabel();
    footnote->setText(tr("Codes are processed locally. Decoded links are shown as text and never opened automatically."));
    footnote->setForegroundRole(QPalette::PlaceholderText);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createGenerateSection());
    layout->addWidget(divider);
    layout->addWidget(createReadSection());
    layout->addWidget(m_error);
    layout->addWidget(footnote);
    layout->addStretch(1);
    setFocusProxy(m_input);

    connect(&m_model, &BrimQRModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

QWidget *BrimQRView::createGenerateSection()
{
    m_input = new BrimPlainTextField;
    m_input->setPlaceholderText(tr("QR code text"));
    m_input->setAccessibleName(tr("QR code text"));
    m_input->setFixedHeight(m_input->fontMetrics().lineSpacing() * inputLines
                            + int(2 * m_input->document()->documentMargin()) + 2 * m_input->frameWidth());
    m_counter = new QLabel;
    m_counter->setForegroundRole(QPalette::PlaceholderText);
    m_generate = new QPushButton(tr("Generate QR code"));

    m_preview = new QLabel;
    m_preview->setAccessibleName(tr("Generated QR code preview"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFixedHeight(previewSide);

    m_imageActions = new QWidget;
    auto *copyImage = new QPushButton(tr("Copy image"));
    auto *save = new QPushButton(tr("Save PNG…"));
    auto *actions = new QHBoxLayout(m_imageActions);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->addWidget(copyImage);
    actions->addWidget(save);

    auto *counterRow = new QHBoxLayout;
    counterRow->addWidget(m_counter, 1);
    counterRow->addWidget(m_generate);

    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading(tr("Generate")));
    layout->addWidget(m_input);
    layout->addLayout(counterRow);
    layout->addWidget(m_preview);
    layout->addWidget(m_imageActions);

    connect(m_input, &BrimPlainTextField::edited, this, [this](const QString &text) { m_model.setInput(text); });
    connect(m_generate, &QPushButton::clicked, this, [this] { m_model.generate(); });
    connect(copyImage, &QPushButton::clicked, this, [this] { m_model.copyImage(); });
    connect(save, &QPushButton::clicked, this, [this] { m_model.save(); });
    return section;
}

QWidget *BrimQRView::createReadSection()
{
    auto *choose = new QPushButton(tr("Choose image…"));
    auto *paste = new QPushButton(tr("Paste image"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(choose);
    buttons->addWidget(paste);

    m_reading = new QWidget;
    auto *progress = new QProgressBar;
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumWidth(60);
    auto *readingRow = new QHBoxLayout(m_reading);
    readingRow->setContentsMargins(0, 0, 0, 0);
    readingRow->addWidget(progress);
    readingRow->addWidget(new QLabel(tr("Reading QR codes…")), 1);

    m_decoded = new QWidget;
    m_decodedRows = new QVBoxLayout(m_decoded);
    m_decodedRows->setContentsMargins(0, 0, 0, 0);

    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading(tr("Read image")));
    layout->addLayout(buttons);
    layout->addWidget(m_reading);
    layout->addWidget(m_decoded);

    connect(choose, &QPushButton::clicked, this, [this] { m_model.chooseImage(); });
    connect(paste, &QPushButton::clicked, this, [this] { m_model.pasteImage(); });
    return section;
}

void BrimQRView::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimQRView::refresh()
{
    // Only a change from elsewhere reaches the editor: rewriting it while the
    // user types would move the cursor.
    m_input->setText(m_model.input());
    const qsizetype bytes = m_model.input().toUtf8().size();
    // Grouped like the limit it is read against, whatever the locale.
    m_counter->setText(tr("%1/2,000 bytes").arg(QLocale(QLocale::English).toString(bytes)));
    setDisabledReason(m_generate, BrimQRRules::payloadFits(bytes) ? std::nullopt
                                  : bytes == 0                  ? std::optional(tr("Type the text to encode first."))
                                                                : std::optional(BrimQRFailure(BrimQRFailure::payload).description()));

    const auto &png = m_model.png();
    QPixmap preview = png ? QPixmap::fromImage(PngImage::fromData(*png)) : QPixmap();
    if (!preview.isNull()) {
        const qreal ratio = devicePixelRatioF();
        preview = preview.scaled(QSize(previewSide, previewSide) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        preview.setDevicePixelRatio(ratio);
    }
    m_preview->setPixmap(preview);
    m_preview->setVisible(!preview.isNull());
    m_imageActions->setVisible(png.has_value());

    m_reading->setVisible(m_model.busy());
    refreshDecoded();
    m_error->setText(m_model.error().value_or(QString()));
    m_error->setVisible(m_model.error().has_value());
}

void BrimQRView::refreshDecoded()
{
    if (m_shownDecoded == m_model.decoded())
        return;
    m_shownDecoded = m_model.decoded();
    while (QLayoutItem *item = m_decodedRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &text : m_shownDecoded) {
        auto *row = new QWidget;
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto *copy = new QPushButton(tr("Copy text"));
        rowLayout->addWidget(new DecodedText(text), 1);
        rowLayout->addWidget(copy, 0, Qt::AlignTop);
        connect(copy, &QPushButton::clicked, this, [this, text] { m_model.copyText(text); });
        m_decodedRows->addWidget(row);
    }
    m_decoded->setVisible(!m_shownDecoded.isEmpty());
}
