#include "shell/BrimColorsView.h"

#include "models/BrimColorModel.h"
#include "services/DisabledReason.h"
#include "shell/BrimColorSwatch.h"
#include "shell/BrimSymbols.h"
#include "shell/ToolLabels.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int savedColumns = 3;

QIcon colorChip(const QColor &color)
{
    QPixmap chip(12, 12);
    chip.fill(color);
    return QIcon(chip);
}
} // namespace

BrimColorsView::BrimColorsView(BrimColorModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pick(new QPushButton(tr("Pick from screen")))
    , m_hexField(new QLineEdit)
    , m_error(toolMessage())
    , m_states(new QStackedWidget)
{
    m_hexField->setPlaceholderText(tr("HEX color"));
    m_hexField->setAccessibleName(tr("HEX color"));
    m_hexField->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusProxy(m_hexField);

    m_states->addWidget(createColorPage());
    m_states->addWidget(createInvalidPage());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pick);
    layout->addWidget(m_hexField);
    layout->addWidget(m_states);
    layout->addWidget(m_error);
    layout->addWidget(createSavedSection());
    layout->addWidget(toolFootnote(
        tr("Pick a pixel, then copy its sRGB value. Saved favorites stay on this computer.")));

    connect(m_pick, &QPushButton::clicked, this, [this] { m_model.sample(); });
    connect(m_hexField, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setHex(text); });
    connect(&m_model, &BrimColorModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

QWidget *BrimColorsView::createColorPage()
{
    auto *page = new QWidget;
    m_swatch = new BrimColorSwatch;
    m_rgb = new QLabel;
    m_rgb->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_copyHex = new QPushButton(tr("Copy HEX"));
    m_copyRGB = new QPushButton(tr("Copy RGB"));
    m_favorite = new QPushButton;
    // Wide enough for either label, so toggling does not move anything.
    int widest = 0;
    for (const QString &label : {tr("Save favorite"), tr("Remove favorite")}) {
        m_favorite->setText(label);
        widest = std::max(widest, m_favorite->sizeHint().width());
    }
    m_favorite->setMinimumWidth(widest);

    auto *copies = new QHBoxLayout;
    copies->addWidget(m_copyHex);
    copies->addWidget(m_copyRGB);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_swatch);
    layout->addWidget(m_rgb);
    layout->addLayout(copies);
    layout->addWidget(m_favorite, 0, Qt::AlignLeft);

    connect(m_copyHex, &QPushButton::clicked, this, [this] { m_model.copyHex(); });
    connect(m_copyRGB, &QPushButton::clicked, this, [this] { m_model.copyRGB(); });
    connect(m_favorite, &QPushButton::clicked, this, [this] { m_model.toggleFavorite(); });
    return page;
}

QWidget *BrimColorsView::createInvalidPage()
{
    auto *page = new QWidget;
    auto *message = new QLabel(BrimColorModel::invalidHexMessage());
    message->setWordWrap(true);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(message);
    layout->addStretch();
    return page;
}

QWidget *BrimColorsView::createSavedSection()
{
    m_saved = new QWidget;
    m_savedHeading = toolHeading(QString());
    m_savedGrid = new QGridLayout;
    m_savedGrid->setContentsMargins(0, 0, 0, 0);
    for (int column = 0; column < savedColumns; ++column)
        m_savedGrid->setColumnStretch(column, 1);
    auto *layout = new QVBoxLayout(m_saved);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_savedHeading);
    layout->addLayout(m_savedGrid);
    return m_saved;
}

void BrimColorsView::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimColorsView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        m_pick->setIcon(BrimSymbols::icon(QStringLiteral("eyedropper"), palette().color(QPalette::ButtonText)));
    QWidget::changeEvent(event);
}

void BrimColorsView::refresh()
{
    setDisabledReason(m_pick, m_model.sampling() ? std::optional(tr("Picking a color from the screen…")) : std::nullopt);
    if (m_pick->icon().isNull())
        m_pick->setIcon(BrimSymbols::icon(QStringLiteral("eyedropper"), palette().color(QPalette::ButtonText)));
    // Rewriting the field while the user types would move the cursor.
    if (m_hexField->text() != m_model.hex())
        m_hexField->setText(m_model.hex());

    const auto color = m_model.color();
    m_states->setCurrentIndex(color ? 0 : 1);
    if (color) {
        m_swatch->setColor(QColor(color->red, color->green, color->blue), color->hex());
        m_rgb->setText(color->rgb());
        m_favorite->setText(m_model.isFavorite() ? tr("Remove favorite") : tr("Save favorite"));
        setDisabledReason(m_favorite, m_model.canToggleFavorite()
                                          ? std::nullopt
                                          : std::optional(tr("Keep up to 20 saved colors. Remove one before saving another.")));
    }
    m_error->setText(m_model.error().value_or(QString()));
    m_error->setVisible(m_model.error().has_value());
    refreshSaved(m_model.favorites());
}

void BrimColorsView::refreshSaved(const QStringList &favorites)
{
    m_saved->setVisible(!favorites.isEmpty());
    if (favorites == m_shownFavorites)
        return;
    m_shownFavorites = favorites;
    m_savedHeading->setText(tr("Saved colors · %1").arg(favorites.size()));
    while (QLayoutItem *item = m_savedGrid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (qsizetype i = 0; i < favorites.size(); ++i) {
        const QString hex = favorites.at(i);
        auto *button = new QPushButton(colorChip(QColor(hex)), hex);
        button->setFont(mono);
        connect(button, &QPushButton::clicked, this, [this, hex] { m_model.choose(hex); });
        m_savedGrid->addWidget(button, int(i / savedColumns), int(i % savedColumns));
    }
}
