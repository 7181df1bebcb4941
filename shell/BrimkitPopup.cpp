#include "shell/BrimkitPopup.h"

#include "models/BrimkitModel.h"
#include "shell/BrimAlarmsSection.h"
#include "shell/BrimAwakeControls.h"
#include "shell/BrimTimerControls.h"
#include "shell/BrimTimerOptions.h"
#include "updates/CheckForAppUpdates.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

QLabel *sectionTitle(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QFrame *divider()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

BrimkitPopup::BrimkitPopup(BrimkitModel &model, AppUpdates &updates, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_model(model)
    , m_awake(new BrimAwakeControls(model))
    , m_timer(new BrimTimerControls(model))
    , m_message(new QLabel)
{
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setAccessibleName(QGuiApplication::applicationDisplayName());

    m_message->setWordWrap(true);
    m_message->setAccessibleName(tr("Message"));
    m_message->hide();

    auto *quit = new QPushButton(tr("Quit"));
    quit->setToolTip(tr("Quit %1 (Ctrl+Q)").arg(QGuiApplication::applicationDisplayName()));
    connect(quit, &QPushButton::clicked, this, &BrimkitPopup::quitRequested);
    auto *shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this);
    connect(shortcut, &QShortcut::activated, this, &BrimkitPopup::quitRequested);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    // The window follows its content: pages that come and go resize it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addItem(new QSpacerItem(332, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->addWidget(m_message);
    layout->addWidget(sectionTitle(tr("Keep Awake")));
    layout->addWidget(m_awake);
    layout->addWidget(divider());
    layout->addWidget(sectionTitle(tr("Timer")));
    layout->addWidget(m_timer);
    layout->addWidget(new BrimTimerOptions(model));
    layout->addWidget(divider());
    layout->addWidget(sectionTitle(tr("Alarms")));
    layout->addWidget(new BrimAlarmsSection(model));
    layout->addWidget(divider());
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new CheckForAppUpdates(updates, model.isBusy()));
    bottom->addStretch(1);
    bottom->addWidget(quit);
    layout->addLayout(bottom);

    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (isVisible())
            refreshMessage();
    });
}

void BrimkitPopup::refreshMessage()
{
    const auto &message = m_model.message();
    m_message->setVisible(message.has_value());
    if (message && m_message->text() != *message)
        m_message->setText(*message);
}

void BrimkitPopup::popUp(const QRect &anchor)
{
    refreshMessage();
    adjustSize();
    const QPoint point = anchor.isValid() ? anchor.center() : QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const QSize size = sizeHint().expandedTo(minimumSize());

    // Below the icon when it sits in the top half of the screen, above otherwise.
    QPoint topLeft(point.x() - size.width() / 2, 0);
    if (point.y() < available.center().y())
        topLeft.setY(anchor.isValid() ? anchor.bottom() + 4 : point.y() + 8);
    else
        topLeft.setY((anchor.isValid() ? anchor.top() : point.y()) - size.height() - 4);
    topLeft.setX(qBound(available.left(), topLeft.x(), available.right() - size.width()));
    topLeft.setY(qBound(available.top(), topLeft.y(), available.bottom() - size.height()));
    move(topLeft);
    show();
    raise();
    activateWindow();
    m_awake->setFocus();
}
