#include "shell/BrimShortcutSettings.h"

#include "models/BrimShortcutsModel.h"
#include "shell/BrimShortcutRecorder.h"
#include "shell/BrimSymbols.h"
#include "shell/ToolLabels.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int recorderWidth = 128;
}

BrimShortcutSettings::BrimShortcutSettings(BrimShortcutsModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_status(toolFootnote(QString()))
    , m_table(new QWidget)
{
    auto *grid = new QGridLayout(m_table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(0, 1);
    for (BrimShortcutAction action : BrimShortcutAction::allCases())
        addRow(grid, action);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_status);
    layout->addWidget(m_table);

    connect(&m_model, &BrimShortcutsModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

void BrimShortcutSettings::addRow(QGridLayout *grid, BrimShortcutAction action)
{
    const QString title = action.title();
    Row row{new QLabel(title), new BrimShortcutRecorder, new QToolButton, new QLabel, new QPushButton(tr("Change…")),
            toolCaption()};
    row.title->setWordWrap(true);
    row.title->setBuddy(row.recorder);
    row.recorder->setAccessibleTitle(title);
    row.recorder->setFixedWidth(recorderWidth);
    row.clear->setAutoRaise(true);
    row.clear->setIcon(BrimSymbols::icon(QStringLiteral("xmark"), palette().color(QPalette::ButtonText)));
    row.clear->setAccessibleName(tr("Clear shortcut: %1").arg(title));
    row.clear->setToolTip(row.clear->accessibleName());
    row.trigger->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row.trigger->setAccessibleName(tr("Shortcut: %1").arg(title));
    row.change->setAccessibleName(tr("Change shortcut: %1").arg(title));
    row.note->setTextFormat(Qt::PlainText);

    const int line = grid->rowCount();
    grid->addWidget(row.title, line, 0);
    grid->addWidget(row.recorder, line, 1);
    grid->addWidget(row.clear, line, 2);
    grid->addWidget(row.trigger, line, 1);
    grid->addWidget(row.change, line, 2);
    grid->addWidget(row.note, line + 1, 0, 1, 3);

    connect(row.recorder, &BrimShortcutRecorder::recorded, this,
            [this, action](const QKeySequence &combination) { m_model.setSequence(action, combination); });
    connect(row.clear, &QToolButton::clicked, this, [this, action] { m_model.setSequence(action, {}); });
    connect(row.change, &QPushButton::clicked, this, [this] { m_model.configure(); });
    m_rows.emplace(action.value(), row);
}

void BrimShortcutSettings::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimShortcutSettings::refresh()
{
    const BrimShortcutMechanism mechanism = m_model.mechanism();
    const bool grabs = mechanism == BrimShortcutMechanism::keyGrabs;
    const bool desktop = mechanism == BrimShortcutMechanism::desktopService;
    switch (mechanism) {
    case BrimShortcutMechanism::unknown: m_status->setText(tr("Asking the desktop how it runs global shortcuts…")); break;
    case BrimShortcutMechanism::none: m_status->setText(BrimShortcutsModel::unavailableText()); break;
    case BrimShortcutMechanism::keyGrabs: m_status->setText(tr("These keys work in every program.")); break;
    case BrimShortcutMechanism::desktopService: m_status->setText(tr("Your desktop assigns these keys.")); break;
    }
    m_table->setVisible(grabs || desktop);
    for (auto &[value, row] : m_rows) {
        const BrimShortcutAction action(value);
        const QKeySequence sequence = m_model.sequence(action);
        row.recorder->setVisible(grabs);
        row.clear->setVisible(grabs);
        row.trigger->setVisible(desktop);
        row.change->setVisible(desktop);
        if (!row.recorder->hasFocus() || row.recorder->keySequence() != sequence)
            row.recorder->setStored(sequence);
        row.clear->setEnabled(!sequence.isEmpty());
        row.trigger->setText(m_model.triggerText(action));
        const std::optional<QString> note = grabs ? m_model.note(action) : std::nullopt;
        row.note->setText(note.value_or(QString()));
        row.note->setVisible(note.has_value());
    }
}
