#include "core/UserDefaults.h"
#include "shell/BrimAppsControls.h"
#include "shell/BrimLinkControls.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FakeClipboard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSet>
#include <QTest>

namespace {

struct FakeWorkspace final : BrimWorkspace {
    QSet<QString> installed;
    QList<BrimWebApp> others;
    std::optional<BrimLaunchError> failure;
    QList<QPair<QUrl, QStringList>> launches;

    std::optional<QUrl> applicationURL(const QString &identifier) const override
    {
        if (!installed.contains(identifier))
            return std::nullopt;
        return QUrl::fromLocalFile(QStringLiteral("/apps/") + identifier + QStringLiteral(".desktop"));
    }
    QList<BrimWebApp> webBrowsers() const override { return others; }
    QList<BrimChromeProfile> chromeProfiles(const QUrl &) const override
    {
        return {{QStringLiteral("Default"), QStringLiteral("Me")}};
    }
    Result<void, BrimLaunchError> launch(const QUrl &application, const QStringList &arguments) override
    {
        launches.append({application, arguments});
        if (failure)
            return Failure{*failure};
        return {};
    }
};

struct LinkControls : ShellFixture {
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    BrimLinkControls controls{model, defaults, workspace, clipboard};
    QLineEdit *field = [this] {
        for (auto *edit : controls.findChildren<QLineEdit *>()) {
            if (edit->placeholderText() == QStringLiteral("Paste an https:// link"))
                return edit;
        }
        return static_cast<QLineEdit *>(nullptr);
    }();
    QComboBox *picker = controls.findChild<QComboBox *>();

    LinkControls()
    {
        workspace->installed = {QStringLiteral("org.mozilla.firefox"), QStringLiteral("com.google.Chrome")};
        controls.show();
    }
    QStringList choices() const
    {
        QStringList texts;
        for (int i = 0; i < picker->count(); ++i)
            texts << picker->itemText(i);
        return texts;
    }
    void click(const char *text) { QTest::mouseClick(button(controls, QString::fromUtf8(text)), Qt::LeftButton); }
    QStringList lastLaunch() const { return workspace->launches.isEmpty() ? QStringList() : workspace->launches.last().second; }
};

} // namespace

TEST_F(LinkControls, StoredBrowserThatIsGoneAsksForAChoice)
{
    defaults->setString(QStringLiteral("brimkitBrowser"), QStringLiteral("org.example.Retired"));
    controls.discoverBrowsers();
    field->setText(QStringLiteral("https://example.com/"));
    EXPECT_EQ(choices(), (QStringList{"Choose a browser", "Firefox", "Google Chrome", "Chrome · Me"}));
    EXPECT_FALSE(button(controls, QStringLiteral("Open link"))->isEnabled());

    picker->activated(3);
    EXPECT_EQ(controls.browserID(), QStringLiteral("com.google.Chrome:Default"));
    EXPECT_EQ(choices(), (QStringList{"Firefox", "Google Chrome", "Chrome · Me"}));
    EXPECT_EQ(picker->currentText(), QStringLiteral("Chrome · Me"));
    click("Open link");
    EXPECT_EQ(lastLaunch(), (QStringList{"--profile-directory=Default", "--new-window", "https://example.com/"}));
}

TEST_F(LinkControls, EveryInstalledBrowserIsOfferedOnceAndRefreshingSaysWhatItFound)
{
    const auto at = [](const char *id) { return QUrl::fromLocalFile(QStringLiteral("/apps/%1.desktop").arg(id)); };
    workspace->others = {{"vivaldi-stable", "Vivaldi", at("vivaldi-stable")},
                         {"org.gnome.Epiphany", "Web", at("org.gnome.Epiphany")},
                         {"firefox", "Firefox", at("org.mozilla.firefox")}, // the known one again
                         {"com.google.Chrome", "Google Chrome (Flatpak)", at("flatpak")}}; // a known id
    click("Refresh browsers");
    EXPECT_EQ(choices(), (QStringList{"Firefox", "Google Chrome", "Chrome · Me", "Vivaldi", "Web"}));
    EXPECT_TRUE(shows(controls, QStringLiteral("Found 4 browsers.")));
    picker->activated(3);
    EXPECT_EQ(controls.browserID(), QStringLiteral("vivaldi-stable"));
}

TEST_F(LinkControls, SpacesOnlyCannotBeCleanedButOpeningExplainsWhy)
{
    controls.discoverBrowsers(); // the default choice, Firefox, is found
    field->setText(QStringLiteral("   "));
    EXPECT_FALSE(button(controls, QStringLiteral("Clean URL"))->isEnabled());
    EXPECT_TRUE(button(controls, QStringLiteral("Open link"))->isEnabled());
    click("Open link");
    EXPECT_EQ(model.message(), QStringLiteral("Enter a complete HTTP or HTTPS URL without credentials or spaces."));
    EXPECT_TRUE(workspace->launches.isEmpty());
}

TEST_F(LinkControls, OpensTheCleanedLinkUntilTheFieldChanges)
{
    controls.discoverBrowsers();
    clipboard->plain = QStringLiteral("https://example.com/p?utm_source=a&id=7");
    click("Paste URL");
    click("Clean URL");
    EXPECT_EQ(controls.cleaned(), QStringLiteral("https://example.com/p?id=7"));
    click("Copy cleaned URL");
    EXPECT_EQ(clipboard->plain, QStringLiteral("https://example.com/p?id=7"));
    EXPECT_EQ(model.message(), QStringLiteral("Cleaned URL copied."));
    click("Open link");
    EXPECT_EQ(lastLaunch(), QStringList{"https://example.com/p?id=7"});

    QTest::keyClick(field, Qt::Key_X);
    EXPECT_FALSE(controls.cleaned());
    EXPECT_FALSE(button(controls, QStringLiteral("Copy cleaned URL")));
    workspace->failure = BrimLaunchError{BrimLaunchError::startFailed, QStringLiteral("execv: Permission denied")};
    click("Open link");
    EXPECT_EQ(lastLaunch(), QStringList{"https://example.com/p?utm_source=a&id=7x"});
    EXPECT_EQ(model.message(), QStringLiteral("execv: Permission denied"));

    clipboard->plain.reset();
    click("Paste URL");
    EXPECT_EQ(controls.link(), QString());

    // Longer than a line edit takes by default: cleaned whole, not cut short.
    const QString longLink = QStringLiteral("https://example.com/p?q=") + QString(40'000, u'x');
    clipboard->plain = longLink + QStringLiteral("&utm_source=a");
    click("Paste URL");
    click("Clean URL");
    EXPECT_EQ(controls.cleaned(), longLink);
}

TEST_F(LinkControls, SiblingAppsOpenOrSayTheyAreMissing)
{
    workspace->installed = {QStringLiteral("app.ostrel.terminal")};
    BrimAppsControls apps(model, workspace);
    apps.show();
    QStringList states;
    for (const char *title : {"Voice", "Terminal", "Notes"}) {
        QAbstractButton *b = button(apps, QString::fromUtf8(title));
        states << QStringLiteral("%1 %2").arg(b->isEnabled()).arg(b->toolTip());
    }
    EXPECT_EQ(states, (QStringList{"0 Voice is not installed", "1 Open Ostrel Terminal", "0 Notes is not installed"}));
    QTest::mouseClick(button(apps, QStringLiteral("Terminal")), Qt::LeftButton);
    EXPECT_EQ(workspace->launches.value(0).first.toLocalFile(), QStringLiteral("/apps/app.ostrel.terminal.desktop"));
    EXPECT_EQ(workspace->launches.value(0).second, QStringList());

    workspace->failure = BrimLaunchError{BrimLaunchError::notFound, QString()};
    QTest::mouseClick(button(apps, QStringLiteral("Terminal")), Qt::LeftButton);
    EXPECT_EQ(model.message(), QStringLiteral("Terminal is not installed"));
}
