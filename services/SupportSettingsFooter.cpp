#include "services/SupportSettingsFooter.h"

#include "services/BetaSupportCommands.h"
#include "services/DisabledReason.h"
#include "services/OstrelSignals.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLabel *paragraph(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}
} // namespace

SupportSettingsFooter::SupportSettingsFooter(OstrelSignals &facade, QWidget *parent)
    : QWidget(parent)
    , m_facade(facade)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *buttons = new QHBoxLayout;
    auto *feedback = new QPushButton(BetaSupportCommands::feedbackTitle());
    auto *bug = new QPushButton(BetaSupportCommands::bugTitle());
    buttons->addWidget(feedback);
    buttons->addWidget(bug);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(feedback, &QPushButton::clicked, this, [this] { m_facade.showSupport(false); });
    connect(bug, &QPushButton::clicked, this, [this] { m_facade.showSupport(true); });

    m_usage = new QCheckBox(tr("Share usage statistics"));
    m_usage->setObjectName(QStringLiteral("usage"));
    m_city = new QCheckBox(tr("Include approximate city"));
    m_city->setObjectName(QStringLiteral("city"));
    layout->addWidget(m_usage);
    layout->addWidget(m_city);
    // clicked, not toggled: only the user's own changes become consent changes.
    connect(m_usage, &QCheckBox::clicked, this, [this](bool on) { m_facade.setEnabled(on); });
    connect(m_city, &QCheckBox::clicked, this, [this](bool on) { m_facade.setLocationEnabled(on); });

    auto *toggle = new QToolButton;
    toggle->setText(tr("About usage statistics and privacy"));
    toggle->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setCheckable(true);
    toggle->setAutoRaise(true);
    layout->addWidget(toggle);

    auto *privacy = new QWidget;
    privacy->setObjectName(QStringLiteral("privacy"));
    auto *privacyLayout = new QVBoxLayout(privacy);
    privacyLayout->setContentsMargins(0, 0, 0, 0);
    auto *heading = new QLabel(tr("Usage & privacy"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    privacyLayout->addWidget(heading);
    privacyLayout->addWidget(paragraph(tr(
        "Usage statistics and approximate city are enabled by default. Your choices are saved independently in "
        "each app and preserved across updates.")));
    privacyLayout->addWidget(paragraph(tr(
        "Usage includes feature names, app and Linux versions, architecture, memory class and a random installation "
        "identifier. No account, files, audio, text, clipboard or terminal content is collected. Turning it off "
        "clears pending events and resets the identifier.")));
    privacyLayout->addWidget(paragraph(tr(
        "City and country are estimated from the network connection, without GPS. Reports are sent only when you "
        "choose Send and do not include the installation identifier or city.")));
    auto *link = new QLabel(tr("<a href=\"%1\">Privacy policy</a>").arg(QLatin1String(privacyPolicyUrl)));
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    privacyLayout->addWidget(link);
    privacy->setVisible(false);
    layout->addWidget(privacy);
    connect(toggle, &QToolButton::toggled, privacy, &QWidget::setVisible);

    for (QWidget *small : findChildren<QWidget *>())
        small->setAttribute(Qt::WA_MacSmallSize);

    connect(&m_facade, &OstrelSignals::changed, this, &SupportSettingsFooter::refresh);
    refresh();
}

void SupportSettingsFooter::refresh()
{
    m_usage->setChecked(m_facade.enabled());
    m_city->setChecked(m_facade.locationEnabled());
    const std::optional<QString> unconfigured =
        m_facade.configured() ? std::nullopt : std::optional(tr("Usage statistics are not configured in this build."));
    setDisabledReason(m_usage, unconfigured);
    setDisabledReason(m_city, unconfigured ? unconfigured
                              : m_facade.enabled() ? std::nullopt
                                                   : std::optional(tr("Turn on Share usage statistics to include your city.")));
}
