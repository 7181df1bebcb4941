#include "shell/BrimAlarmsView.h"

#include "core/BrimAlarmError.h"
#include "core/FileBrimAlarmStore.h"
#include "models/BrimAlarmsModel.h"
#include "models/BrimFileReveal.h"
#include "models/BrimTimePresentation.h"
#include "services/DisabledReason.h"
#include "shell/BrimClickGuard.h"
#include "shell/BrimDateTimeField.h"
#include "shell/BrimElidedLabel.h"
#include "shell/BrimSymbols.h"
#include "shell/ToolLabels.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int helpWidth = 300;

// The start of the minute that holds this moment, in the local calendar.
QDateTime startOfMinute(const QDateTime &moment)
{
    const QDateTime local = moment.toLocalTime();
    return QDateTime(local.date(), QTime(local.time().hour(), local.time().minute()));
}

// One alarm: symbol, title, due moment, and its Cancel or Dismiss button.
QWidget *alarmRow(const BrimAlarm &alarm, bool locked, BrimClickGuard &guard, const std::function<void()> &remove)
{
    auto *row = new QWidget;
    const bool completed = alarm.isCompleted();
    const QColor ink = row->palette().color(QPalette::WindowText);

    auto *symbol = new QLabel;
    symbol->setPixmap(BrimSymbols::pixmap(completed ? QStringLiteral("alarm.fill") : QStringLiteral("alarm"), 18, ink,
                                          row->devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(new BrimElidedLabel(alarm.title));
    texts->addWidget(toolCaption(BrimTimePresentation::dateTimeText(alarm.date)));
    if (completed)
        texts->addWidget(toolCaption(BrimAlarmsView::tr("Completed · waiting for dismissal")));

    const QString word = completed ? BrimAlarmsView::tr("Dismiss") : BrimAlarmsView::tr("Cancel");
    auto *button = new QPushButton(word);
    // Either word fits, so rows line up.
    int widest = 0;
    for (const QString &label : {BrimAlarmsView::tr("Dismiss"), BrimAlarmsView::tr("Cancel")})
        widest = std::max(widest, button->fontMetrics().horizontalAdvance(label));
    button->setMinimumWidth(widest + 24);
    button->setAccessibleName(completed ? BrimAlarmsView::tr("Dismiss alarm: %1").arg(alarm.title)
                                        : BrimAlarmsView::tr("Cancel alarm: %1").arg(alarm.title));
    setDisabledReason(button, locked ? std::optional(BrimAlarmsView::tr("Retry saved alarms before changing them."))
                                     : std::nullopt);
    guard.protect(button);
    QObject::connect(button, &QPushButton::clicked, &guard, remove);

    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(symbol);
    layout->addLayout(texts, 1);
    layout->addWidget(button, 0, Qt::AlignVCenter);
    return row;
}

} // namespace

BrimAlarmsView::BrimAlarmsView(BrimAlarmsModel &model, std::shared_ptr<BrimClock> clock,
                               std::shared_ptr<BrimFileReveal> reveal, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clock(std::move(clock))
    , m_reveal(std::move(reveal))
    , m_rowGuard(new BrimClickGuard(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createHeader());
    layout->addWidget(createForm());
    layout->addWidget(createStorageSection());
    m_message = toolCaption();
    layout->addWidget(m_message);
    m_limit = toolCaption();
    layout->addWidget(m_limit);
    m_empty = toolFootnote(tr("No alarms scheduled."));
    layout->addWidget(m_empty);
    m_rows = new QVBoxLayout;
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    layout->addLayout(m_rows);
    setFocusProxy(m_title);

    connect(&m_model, &BrimAlarmsModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    // The add is saved first: its title stays until the alarm shows.
    connect(&m_model, &BrimAlarmsModel::added, m_title, &QLineEdit::clear);
    refresh();
}

QWidget *BrimAlarmsView::createHeader()
{
    auto *header = new QWidget;
    m_info = new QToolButton;
    m_info->setAutoRaise(true);
    m_info->setIcon(BrimSymbols::icon(QStringLiteral("info.circle"), palette().color(QPalette::ButtonText)));
    m_info->setAccessibleName(tr("About alarms"));
    m_info->setToolTip(tr("About alarms"));
    connect(m_info, &QToolButton::clicked, this, &BrimAlarmsView::toggleHelp);

    // The help pops over the form instead of pushing it down.
    m_help = new QFrame(this, Qt::Popup);
    m_help->setFrameShape(QFrame::StyledPanel);
    // The click that closes the help must not reopen it through the button.
    m_help->setAttribute(Qt::WA_NoMouseReplay);
    m_helpText = new QLabel;
    m_helpText->setWordWrap(true);
    m_helpText->setFixedWidth(helpWidth);
    auto *helpLayout = new QVBoxLayout(m_help);
    helpLayout->setContentsMargins(12, 10, 12, 10);
    helpLayout->addWidget(m_helpText);

    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolCaption(tr("One-time alarms · saved on this computer")), 1);
    layout->addWidget(m_info, 0, Qt::AlignTop);
    return header;
}

QWidget *BrimAlarmsView::createForm()
{
    auto *form = new QWidget;
    m_title = new QLineEdit;
    m_title->setPlaceholderText(tr("Title (optional)"));
    m_title->setAccessibleName(tr("Title (optional)"));
    // The book's limit, met while typing rather than on Add.
    m_title->setMaxLength(int(BrimAlarmBook::maximumTitleLength));
    connect(m_title, &QLineEdit::textChanged, this, &BrimAlarmsView::refreshLimit);
    m_date = new BrimDateTimeField;
    m_date->setAccessibleName(tr("Date and time"));
    m_date->setDateTime(startOfMinute(m_clock->now().toDateTime().addSecs(300)));
    auto *dateLabel = new QLabel(tr("Date and time"));
    dateLabel->setBuddy(m_date);
    m_count = toolCaption();
    m_count->setWordWrap(false);
    m_add = new QPushButton(tr("Add alarm"));

    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(m_date, 1);
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_count, 1);
    addRow->addWidget(m_add);
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addLayout(dateRow);
    layout->addLayout(addRow);

    connect(m_add, &QPushButton::clicked, this, &BrimAlarmsView::add);
    connect(m_title, &QLineEdit::returnPressed, this, &BrimAlarmsView::add);
    return form;
}

QWidget *BrimAlarmsView::createStorageSection()
{
    m_storage = new QWidget;
    m_issue = toolCaption();
    auto *retry = new QPushButton(tr("Retry saved alarms"));
    auto *show = new QPushButton(tr("Show alarm file…"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(retry);
    buttons->addWidget(show);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(m_storage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_issue);
    layout->addLayout(buttons);

    connect(retry, &QPushButton::clicked, this, [this] { m_model.retryStorage(); });
    connect(show, &QPushButton::clicked, this, [this] {
        if (m_reveal)
            m_reveal->reveal(FileBrimAlarmStore::defaultURL());
    });
    return m_storage;
}

bool BrimAlarmsView::helpShown() const
{
    return m_help->isVisible();
}

void BrimAlarmsView::toggleHelp()
{
    if (m_help->isVisible()) {
        m_help->hide();
        return;
    }
    // Whether the desktop delivers with the app closed is known only once its timer answered.
    m_helpText->setText(m_model.helpText());
    m_help->adjustSize();
    QPoint at = m_info->mapToGlobal(QPoint(m_info->width() - m_help->width(), m_info->height()));
    if (const QScreen *screen = m_info->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - m_help->width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - m_help->height())));
    }
    m_help->move(at);
    m_help->show();
}

void BrimAlarmsView::add()
{
    if (!m_add->isEnabled())
        return;
    if (m_lastAdd.isValid() && m_lastAdd.elapsed() < QApplication::doubleClickInterval())
        return;
    m_lastAdd.start();
    m_model.add(m_title->text(), BrimDate::fromDateTime(startOfMinute(m_date->dateTime())), m_clock->now());
    refresh();
}

void BrimAlarmsView::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimAlarmsView::refresh()
{
    const BrimAlarmBook &book = m_model.book();
    const bool locked = m_model.storageIssue().has_value();
    const qsizetype count = book.alarms().size();
    m_count->setText(tr("%1/20 saved").arg(count));
    std::optional<QString> addReason;
    if (locked)
        addReason = tr("Retry saved alarms before adding one.");
    else if (count >= BrimAlarmBook::capacity)
        addReason = BrimAlarmError(BrimAlarmError::capacity).description();
    setDisabledReason(m_add, addReason);
    refreshLimit();

    m_storage->setVisible(locked);
    m_issue->setText(m_model.storageIssue().value_or(QString()));
    m_message->setVisible(m_model.message().has_value());
    m_message->setText(m_model.message().value_or(QString()));
    m_empty->setVisible(count == 0 && !locked);

    if (m_shownBook == book && m_shownLocked == locked)
        return;
    m_shownBook = book;
    m_shownLocked = locked;
    rebuildRows();
}

void BrimAlarmsView::refreshLimit()
{
    // A full book, or a title at its length limit, is said where it is met.
    QString limit;
    if (!m_model.storageIssue() && m_model.book().alarms().size() >= BrimAlarmBook::capacity)
        limit = BrimAlarmError(BrimAlarmError::capacity).description();
    else if (m_title->text().size() >= BrimAlarmBook::maximumTitleLength)
        limit = BrimAlarmError(BrimAlarmError::title).description();
    m_limit->setText(limit);
    m_limit->setVisible(!limit.isEmpty());
}

void BrimAlarmsView::rebuildRows()
{
    m_rowGuard->arm();
    // Later: the click that removed an alarm is still running in its button.
    while (QLayoutItem *item = m_rows->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    bool first = true;
    for (const BrimAlarm &alarm : m_shownBook->completed() + m_shownBook->upcoming()) {
        if (!first)
            m_rows->addWidget(toolDivider());
        first = false;
        const QUuid id = alarm.id;
        m_rows->addWidget(alarmRow(alarm, m_shownLocked, *m_rowGuard, [this, id] { m_model.remove(id); }));
    }
    // Shown now, not on the layout's next turn: the list follows the click at once.
    for (int i = 0; i < m_rows->count(); ++i)
        m_rows->itemAt(i)->widget()->show();
}
