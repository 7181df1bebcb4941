#include "shell/BrimAlarmsSection.h"

#include "models/BrimkitModel.h"
#include "models/BrimTimePresentation.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BrimAlarmsSection::BrimAlarmsSection(BrimkitModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_issue(new QLabel)
    , m_retry(new QPushButton(tr("Retry saved alarms")))
    , m_note(new QLabel)
    , m_list(new QVBoxLayout)
    , m_title(new QLineEdit)
    , m_when(new QDateTimeEdit)
    , m_add(new QPushButton(tr("Add")))
{
    m_issue->setWordWrap(true);
    m_note->setWordWrap(true);
    m_note->setForegroundRole(QPalette::PlaceholderText);
    m_title->setPlaceholderText(tr("Alarm title"));
    m_title->setAccessibleName(tr("Alarm title"));
    m_when->setCalendarPopup(true);
    m_when->setAccessibleName(tr("Alarm time"));
    m_add->setAccessibleName(tr("Add alarm"));

    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_title, 1);
    addRow->addWidget(m_when);
    addRow->addWidget(m_add);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_issue);
    layout->addWidget(m_retry);
    m_list->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_list);
    layout->addLayout(addRow);
    layout->addWidget(m_note);

    connect(m_retry, &QPushButton::clicked, this, [this] { m_model.alarms().retryStorage(); });
    connect(m_add, &QPushButton::clicked, this, &BrimAlarmsSection::addAlarm);
    connect(m_title, &QLineEdit::returnPressed, this, &BrimAlarmsSection::addAlarm);
    connect(&m_model.alarms(), &BrimAlarmsModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

void BrimAlarmsSection::showEvent(QShowEvent *event)
{
    // A sensible default: the next whole minute plus one.
    const QDateTime now = QDateTime::currentDateTime();
    m_when->setDateTime(now.addSecs(120 - now.time().second()));
    refresh();
    QWidget::showEvent(event);
}

void BrimAlarmsSection::addAlarm()
{
    const QDateTime when = m_when->dateTime();
    m_model.alarms().add(m_title->text(), BrimDate::fromDateTime(when), BrimDate::fromDateTime(QDateTime::currentDateTime()));
    if (!m_model.alarms().message())
        m_title->clear();
    refresh();
}

void BrimAlarmsSection::refresh()
{
    const BrimAlarmsModel &alarms = m_model.alarms();
    const auto &issue = alarms.storageIssue();
    m_issue->setVisible(issue.has_value());
    m_retry->setVisible(issue.has_value());
    m_issue->setText(issue.value_or(QString()));
    m_add->setEnabled(!issue.has_value());

    const std::optional<QString> note = alarms.message() ? alarms.message() : alarms.notificationNote();
    m_note->setVisible(note.has_value());
    m_note->setText(note.value_or(QString()));

    if (m_shownBook != alarms.book())
        rebuildList();
}

void BrimAlarmsSection::rebuildList()
{
    m_shownBook = m_model.alarms().book();
    while (QLayoutItem *item = m_list->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<BrimAlarm> rows = m_shownBook->completed() + m_shownBook->upcoming();
    for (const BrimAlarm &alarm : rows) {
        auto *row = new QWidget;
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        const QString when = BrimTimePresentation::dateTimeText(alarm.date);
        auto *text = new QLabel(alarm.firedAt ? tr("%1 · %2 · fired").arg(alarm.title, when)
                                              : tr("%1 · %2").arg(alarm.title, when));
        text->setWordWrap(true);
        auto *button = new QPushButton(alarm.firedAt ? tr("Dismiss") : tr("Cancel"));
        button->setAccessibleName(button->text() + QLatin1Char(' ') + alarm.title);
        const QUuid id = alarm.id;
        connect(button, &QPushButton::clicked, this, [this, id] { m_model.alarms().remove(id); });
        rowLayout->addWidget(text, 1);
        rowLayout->addWidget(button);
        m_list->addWidget(row);
    }
}
