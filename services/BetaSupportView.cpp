#include "services/BetaSupportView.h"

#include "services/OstrelSignals.h"
#include "telemetry/TellixClient.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

BetaSupportView::BetaSupportView(OstrelSignals &facade, const QString &appName, QWidget *parent)
    : QWidget(parent)
    , m_facade(facade)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(14);

    auto *title = new QLabel(appName);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);

    auto *typeRow = new QHBoxLayout;
    typeRow->setSpacing(0);
    auto *typeLabel = new QLabel(tr("Report type"));
    typeRow->addWidget(typeLabel);
    typeRow->addSpacing(10);
    m_feedbackChoice = new QPushButton(tr("Feedback"));
    m_bugChoice = new QPushButton(tr("Bug report"));
    auto *group = new QButtonGroup(this);
    for (QPushButton *choice : {m_feedbackChoice, m_bugChoice}) {
        choice->setCheckable(true);
        group->addButton(choice);
        typeRow->addWidget(choice);
    }
    m_feedbackChoice->setAccessibleDescription(tr("Report type"));
    m_bugChoice->setAccessibleDescription(tr("Report type"));
    typeRow->addStretch();
    layout->addLayout(typeRow);
    connect(m_bugChoice, &QPushButton::clicked, this, [this] { m_facade.setFeedbackIsBug(true); });
    connect(m_feedbackChoice, &QPushButton::clicked, this, [this] { m_facade.setFeedbackIsBug(false); });

    m_prompt = new QLabel;
    m_prompt->setWordWrap(true);
    layout->addWidget(m_prompt);

    m_editor = new QPlainTextEdit;
    m_editor->setObjectName(QStringLiteral("message"));
    m_editor->setAccessibleName(tr("Your message"));
    m_editor->setFixedHeight(160);
    m_editor->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_editor->setLineWidth(1);
    m_editor->setTabChangesFocus(true);
    layout->addWidget(m_editor);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &BetaSupportView::refresh);

    m_counter = new QLabel;
    m_counter->setObjectName(QStringLiteral("counter"));
    layout->addWidget(m_counter);

    auto *toggle = new QToolButton;
    toggle->setText(tr("App details included"));
    toggle->setCheckable(true);
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setArrowType(Qt::RightArrow);
    toggle->setAutoRaise(true);
    m_detailsToggle = toggle;
    layout->addWidget(toggle);
    m_details = new QLabel(m_facade.reviewedMetadata());
    m_details->setObjectName(QStringLiteral("details"));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(mono.pointSizeF() * 0.9);
    m_details->setFont(mono);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_details->setVisible(false);
    layout->addWidget(m_details);
    connect(toggle, &QToolButton::toggled, this, [this, toggle](bool open) {
        toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        m_details->setVisible(open);
        if (open)
            revealActions();
    });

    auto *note = new QLabel(tr(
        "Only your message and app details are sent. No screenshots, logs or usage identifier are attached."));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *actions = new QHBoxLayout;
    m_copyButton = new QPushButton(tr("Copy report"));
    m_copyButton->setObjectName(QStringLiteral("copy"));
    m_sendButton = new QPushButton;
    m_sendButton->setObjectName(QStringLiteral("send"));
    m_sendButton->setDefault(true);
    actions->addWidget(m_copyButton);
    actions->addStretch();
    actions->addWidget(m_sendButton);
    layout->addLayout(actions);
    connect(m_copyButton, &QPushButton::clicked, this, &BetaSupportView::copyReport);
    connect(m_sendButton, &QPushButton::clicked, this, &BetaSupportView::sendReport);

    m_notConfigured = new QLabel(tr("Online reporting is not configured in this build. You can copy your report."));
    m_notConfigured->setObjectName(QStringLiteral("notConfigured"));
    m_notConfigured->setWordWrap(true);
    layout->addWidget(m_notConfigured);

    m_resultLabel = new QLabel;
    m_resultLabel->setObjectName(QStringLiteral("result"));
    m_resultLabel->setWordWrap(true);
    layout->addWidget(m_resultLabel);
    layout->addStretch();

    connect(&m_facade, &OstrelSignals::changed, this, &BetaSupportView::refresh);
    refresh();
}

void BetaSupportView::revealActions()
{
    // In a scrolling window the details push the buttons down: scroll them back into view.
    auto *area = parentWidget() ? qobject_cast<QScrollArea *>(parentWidget()->parentWidget()) : nullptr;
    if (!area)
        return;
    layout()->activate();
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(area, &request);
    area->ensureWidgetVisible(m_sendButton);
}

QString BetaSupportView::message() const
{
    return m_editor->toPlainText();
}

QString BetaSupportView::counterText(int length)
{
    return tr("%1/%2 characters").arg(length).arg(TellixClient::messageLimit);
}

bool BetaSupportView::canSend(const QString &message, bool configured, bool sending)
{
    return !sending && configured && !message.trimmed().isEmpty() && message.size() <= TellixClient::messageLimit;
}

void BetaSupportView::refresh()
{
    const bool bug = m_facade.feedbackIsBug();
    const QString text = message();
    m_bugChoice->setChecked(bug);
    m_feedbackChoice->setChecked(!bug);
    m_bugChoice->setEnabled(!m_sending);
    m_feedbackChoice->setEnabled(!m_sending);
    m_prompt->setText(bug ? tr("What happened, and what did you expect?")
                          : tr("What would make this app better?"));
    m_editor->setReadOnly(m_sending);
    m_editor->setEnabled(!m_sending);
    m_counter->setText(counterText(int(text.size())));
    m_sendButton->setText(m_sending ? tr("Sending…") : tr("Send report"));
    m_sendButton->setEnabled(canSend(text, m_facade.configured(), m_sending));
    m_notConfigured->setVisible(!m_facade.configured());
    m_resultLabel->setText(m_result);
    m_resultLabel->setVisible(!m_result.isEmpty());
}

void BetaSupportView::copyReport()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(message() + QStringLiteral("\n\n") + m_facade.reviewedMetadata());
    m_result = tr("Copied.");
    refresh();
}

void BetaSupportView::sendReport()
{
    if (!canSend(message(), m_facade.configured(), m_sending))
        return;
    m_sending = true;
    refresh();
    deliver(message(), m_facade.feedbackIsBug());
}

QCoro::Task<> BetaSupportView::deliver(QString text, bool bug)
{
    QPointer<BetaSupportView> self(this);
    const bool accepted = co_await m_facade.feedback(std::move(text), bug);
    if (!self)
        co_return;
    m_result = accepted ? tr("Report sent. Thank you.")
                        : tr("Delivery could not be confirmed. Your message is preserved; retrying may duplicate a report.");
    m_sending = false;
    if (accepted)
        m_editor->clear();
    refresh();
}
