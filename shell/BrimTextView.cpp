#include "shell/BrimTextView.h"

#include "models/BrimTextModel.h"
#include "services/DisabledReason.h"
#include "shell/BrimPlainTextField.h"
#include "shell/ToolLabels.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>


BrimTextView::BrimTextView(BrimTextModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_limit(toolMessage())
    , m_error(toolMessage())
{
    m_limit->setText(BrimTextModel::limitMessage());
    m_copy = new QPushButton(tr("Copy result"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createInputSection());
    layout->addWidget(createTransformSection());
    layout->addWidget(createPreviewSection());
    layout->addWidget(m_copy, 0, Qt::AlignLeft);
    layout->addWidget(m_limit);
    layout->addWidget(m_error);
    layout->addWidget(toolFootnote(tr("Paste and copy are explicit. Input stays in memory; nothing is changed on "
                                      "the clipboard until Copy result.")));

    connect(m_copy, &QPushButton::clicked, this, [this] { m_model.copyResult(); });
    connect(&m_model, &BrimTextModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

QWidget *BrimTextView::createInputSection()
{
    auto *section = new QWidget;
    m_paste = new QPushButton(tr("Paste text"));
    m_clear = new QPushButton(tr("Clear"));
    m_input = new BrimPlainTextField;
    m_input->setAccessibleName(tr("Input text"));
    m_input->setFixedHeight(editorHeight);
    m_input->setFrameShape(QFrame::StyledPanel);
    setFocusProxy(m_input);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_paste);
    buttons->addWidget(m_clear);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(toolHeading(tr("Input text")));
    layout->addWidget(m_input);

    connect(m_paste, &QPushButton::clicked, this, [this] { m_model.paste(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { m_model.clear(); });
    connect(m_input, &BrimPlainTextField::edited, this, [this](const QString &text) { m_model.setInput(text); });
    return section;
}

QWidget *BrimTextView::createTransformSection()
{
    auto *section = new QWidget;
    m_operation = new QComboBox;
    m_operation->setAccessibleName(tr("Transform"));
    for (const BrimTextOperation operation : BrimTextOperation::allCases())
        m_operation->addItem(operation.title(), operation.rawValue());
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolHeading(tr("Transform")));
    layout->addWidget(m_operation);

    connect(m_operation, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_model.setOperation(BrimTextOperation::allCases().at(std::size_t(index)));
    });
    return section;
}

QWidget *BrimTextView::createPreviewSection()
{
    auto *section = new QWidget;
    m_preview = new QPlainTextEdit;
    m_preview->setReadOnly(true);
    m_preview->setAccessibleName(tr("Preview"));
    m_preview->setPlaceholderText(tr("Your result appears here."));
    m_preview->setFixedHeight(editorHeight);
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolHeading(tr("Preview")));
    layout->addWidget(m_preview);
    return section;
}

void BrimTextView::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimTextView::refresh()
{
    // Only a change from elsewhere reaches the editor: rewriting it while the
    // user types would move the cursor.
    BrimPlainTextField::fitWrapping(m_input, m_model.input());
    m_input->setText(m_model.input());
    const auto cases = BrimTextOperation::allCases();
    const auto chosen = std::find(cases.begin(), cases.end(), m_model.operation());
    m_operation->setCurrentIndex(int(chosen - cases.begin()));

    const QString output = m_model.output();
    if (m_preview->toPlainText() != output) {
        BrimPlainTextField::fitWrapping(m_preview, output);
        m_preview->setPlainText(output);
    }
    setDisabledReason(m_copy, m_model.canCopy()            ? std::nullopt
                              : m_model.input().isEmpty() ? std::optional(tr("Paste or type a text first."))
                                                          : std::optional(BrimTextModel::limitMessage()));
    m_limit->setVisible(m_model.isOverLimit());
    m_error->setText(m_model.error().value_or(QString()));
    m_error->setVisible(m_model.error().has_value());
}
