#include "shell/BrimTimerControls.h"

#include "models/BrimkitModel.h"
#include "services/AppTheme.h"
#include "shell/BrimSymbols.h"
#include "shell/CompactStack.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

enum Page { completedPage, idlePage, runningPage };

// The session kinds offered, each at its standard length.
constexpr BrimTimerKind sessionKinds[] = {BrimTimerKind::focus, BrimTimerKind::shortBreak, BrimTimerKind::longBreak};

QLabel *caption(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

BrimTimerControls::BrimTimerControls(BrimkitModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pages(new QStackedWidget(this))
    , m_doneIcon(new QLabel)
    , m_doneTitle(new QLabel)
    , m_dismiss(new QPushButton(tr("Dismiss")))
    , m_next(new QPushButton)
    , m_session(new QButtonGroup(this))
    , m_timerChoice(new QPushButton(tr("Timer")))
    , m_pomodoroChoice(new QPushButton(tr("Pomodoro")))
    , m_durationPages(new QStackedWidget)
    , m_focusDuration(new QComboBox)
    , m_stepper(new QSpinBox)
    , m_start(new QPushButton(tr("Start")))
    , m_runningTitle(new QLabel)
    , m_time(new QLabel)
    , m_pause(new QPushButton(tr("Pause")))
    , m_cancel(new QPushButton(tr("Cancel")))
{
    // Completed session.
    auto *completed = new QWidget;
    auto *completedLayout = new QVBoxLayout(completed);
    completedLayout->setContentsMargins(0, 0, 0, 0);
    auto *doneRow = new QHBoxLayout;
    doneRow->addWidget(m_doneIcon);
    doneRow->addWidget(m_doneTitle, 1);
    auto *doneButtons = new QHBoxLayout;
    doneButtons->addWidget(m_dismiss);
    doneButtons->addWidget(m_next);
    completedLayout->addLayout(doneRow);
    completedLayout->addLayout(doneButtons);
    completedLayout->addStretch(1);

    // Choosing a session.
    auto *idle = new QWidget;
    auto *idleLayout = new QVBoxLayout(idle);
    idleLayout->setContentsMargins(0, 0, 0, 0);
    auto *sessionRow = new QHBoxLayout;
    sessionRow->setSpacing(0);
    auto *sessionLabel = new QLabel(tr("Session"));
    sessionRow->addWidget(sessionLabel);
    sessionRow->addSpacing(8);
    for (QPushButton *choice : {m_timerChoice, m_pomodoroChoice}) {
        choice->setCheckable(true);
        sessionRow->addWidget(choice, 1);
    }
    m_session->setExclusive(true);
    m_session->addButton(m_timerChoice, 0);
    m_session->addButton(m_pomodoroChoice, 1);
    m_timerChoice->setAccessibleName(tr("Session: Timer"));
    m_pomodoroChoice->setAccessibleName(tr("Session: Pomodoro"));

    for (const BrimTimerKind kind : sessionKinds)
        m_focusDuration->addItem(tr("%1 · %2 min").arg(kind.title()).arg(kind.minutes()), kind.minutes());
    m_focusDuration->setAccessibleName(tr("Duration"));
    auto *focusRow = new QWidget;
    auto *focusRowLayout = new QHBoxLayout(focusRow);
    focusRowLayout->setContentsMargins(0, 0, 0, 0);
    auto *durationLabel = new QLabel(tr("Duration"));
    durationLabel->setBuddy(m_focusDuration);
    focusRowLayout->addWidget(durationLabel);
    focusRowLayout->addWidget(m_focusDuration, 1);
    m_stepper->setRange(1, 240);
    m_stepper->installEventFilter(this);
    m_stepper->setSingleStep(1);
    m_stepper->setSuffix(tr(" min"));
    m_durationPages->addWidget(focusRow);
    m_durationPages->addWidget(m_stepper);
    m_start->setAccessibleName(tr("Start timer"));
    // Start shares the duration's row: where it sits, the running page shows
    // only the time, so a double-click on Start cannot pause or cancel.
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(m_durationPages, 1);
    startRow->addWidget(m_start);
    idleLayout->addLayout(sessionRow);
    idleLayout->addLayout(startRow);
    idleLayout->addStretch(1);

    // Running or paused.
    auto *running = new QWidget;
    auto *runningLayout = new QVBoxLayout(running);
    runningLayout->setContentsMargins(0, 0, 0, 0);
    // Sans faces set digits on equal widths, so the clock does not jitter.
    QFont clockFont = font();
    clockFont.setPointSize(32);
    clockFont.setWeight(QFont::Medium);
    m_time->setFont(clockFont);
    m_time->setAccessibleName(tr("Time left"));
    // Pause, Resume and Cancel share one width: the buttons never jump.
    int widest = 0;
    for (const QString &label : {tr("Resume"), m_cancel->text(), tr("Pause")}) {
        m_pause->setText(label);
        widest = std::max(widest, m_pause->sizeHint().width());
    }
    m_pause->setFixedWidth(widest);
    m_cancel->setFixedWidth(widest);
    // Cancel, then Pause: the order of the capsule's buttons and of the
    // finished session's Dismiss and next session.
    auto *runningButtons = new QHBoxLayout;
    runningButtons->addWidget(m_cancel);
    runningButtons->addWidget(m_pause);
    runningButtons->addStretch(1);
    runningLayout->addWidget(m_runningTitle);
    runningLayout->addWidget(m_time);
    runningLayout->addLayout(runningButtons);
    runningLayout->addStretch(1);

    m_pages->insertWidget(completedPage, completed);
    m_pages->insertWidget(idlePage, idle);
    m_pages->insertWidget(runningPage, running);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    layout->addWidget(caption(tr("Elapsed time includes sleep. Each session ends once; breaks start manually.")));
    layout->addWidget(caption(tr("Keep Brimkit running until the session ends.")));

    connect(m_session, &QButtonGroup::idClicked, this, [this](int id) { setFocusMode(id == 1); });
    connect(m_focusDuration, &QComboBox::activated, this,
            [this](int index) { setTimerMinutes(m_focusDuration->itemData(index).toInt()); });
    connect(m_stepper, &QSpinBox::valueChanged, this, [this](int value) { setTimerMinutes(value); });
    connect(m_start, &QPushButton::clicked, this, &BrimTimerControls::start);
    connect(m_dismiss, &QPushButton::clicked, this, [this] { m_model.dismissCompletion(); });
    connect(m_next, &QPushButton::clicked, this, [this] { m_model.startNextSession(); });
    connect(m_pause, &QPushButton::clicked, this, [this] { m_model.pauseOrResume(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_model.cancelTimer(); });
    // Hidden controls skip the once-a-second redraw; showEvent catches up.
    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });

    syncPickers();
    refresh();
}

bool BrimTimerControls::eventFilter(QObject *watched, QEvent *event)
{
    // Space presses buttons everywhere else in the panel; in the minutes box
    // it would replace the selected number with a blank.
    if (watched == m_stepper && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space)
        return true;
    return QWidget::eventFilter(watched, event);
}

void BrimTimerControls::setFocusMode(bool focus)
{
    if (focus && !m_focus)
        m_timerMinutes = BrimTimerKind(BrimTimerKind::focus).minutes();
    m_focus = focus;
    syncPickers();
}

void BrimTimerControls::setTimerMinutes(int minutes)
{
    m_timerMinutes = minutes;
    syncPickers();
}

void BrimTimerControls::syncPickers()
{
    m_session->button(m_focus ? 1 : 0)->setChecked(true);
    showOnlyPage(m_durationPages, m_focus ? 0 : 1);
    m_focusDuration->setCurrentIndex(m_focusDuration->findData(m_timerMinutes));
    const QSignalBlocker blocker(m_stepper);
    m_stepper->setValue(m_timerMinutes);
    m_stepper->setAccessibleName(tr("%1 min").arg(m_timerMinutes));
}

void BrimTimerControls::start()
{
    // A session is known by its length; any other length is a long break.
    BrimTimerKind kind = m_focus ? BrimTimerKind::longBreak : BrimTimerKind::timer;
    for (const BrimTimerKind session : sessionKinds) {
        if (m_focus && session.minutes() == m_timerMinutes) {
            kind = session;
            break;
        }
    }
    m_model.startTimer(m_timerMinutes, kind);
}

void BrimTimerControls::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimTimerControls::refresh()
{
    if (const auto completion = m_model.completion()) {
        m_pages->setCurrentIndex(completedPage);
        m_doneIcon->setPixmap(
            BrimSymbols::pixmap(QStringLiteral("checkmark.circle.fill"), 18, AppTheme::accent(palette())));
        m_doneTitle->setText(completion->completionTitle());
        m_next->setText(m_model.nextSessionTitle());
        return;
    }
    if (!m_model.isTiming()) {
        m_pages->setCurrentIndex(idlePage);
        return;
    }
    // The pages keep one height, so the captions below never move.
    m_pages->setCurrentIndex(runningPage);
    const bool paused = m_model.isPaused();
    m_runningTitle->setText(paused ? tr("%1 · Paused").arg(m_model.kind().title()) : m_model.kind().title());
    const QString time = BrimTimePresentation::clockText(m_model.countdown().secondsLeft(m_model.now()));
    if (m_time->text() != time)
        m_time->setText(time);
    m_pause->setText(paused ? tr("Resume") : tr("Pause"));
}
