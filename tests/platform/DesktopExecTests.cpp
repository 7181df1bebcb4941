#include "platform/DesktopEntry.h"
#include "platform/DesktopExec.h"

#include <gtest/gtest.h>

namespace {
// Refused lines expand to this.
const QStringList refused{QStringLiteral("<refused>")};

QStringList run(const QString &exec, const QStringList &targets)
{
    const std::optional<DesktopExec> parsed = DesktopExec::parse(exec);
    if (!parsed)
        return refused;
    return parsed->expand({targets, QStringLiteral("web"), QStringLiteral("Web"), QStringLiteral("/a/b.desktop")});
}
} // namespace

TEST(DesktopExec, QuotingFieldCodesAndRefusals)
{
    const QString url = QStringLiteral("https://x.test/?a=1&b=$(id);`id`'\"");
    const QString file = QStringLiteral("file:///tmp/a%20b.html");
    struct Row { const char *exec; QStringList targets; QStringList expected; };
    const QList<Row> rows = {
        {"firefox %u", {url}, {"firefox", url}},
        {"  firefox\t-new-tab   %U ", {url}, {"firefox", "-new-tab", url}},
        {"chrome %U", {"--profile-directory=Profile 1", "--new-window", url},
         {"chrome", "--profile-directory=Profile 1", "--new-window", url}},
        {"viewer %f", {file}, {"viewer", "/tmp/a b.html"}},
        {"viewer %F", {url}, {"viewer", url}},
        {"firefox", {url}, {"firefox", url}},
        {"app", {}, {"app"}},
        {"app %u %i %c %k %d %N %x", {}, {"app", "--icon", "web", "Web", "/a/b.desktop"}},
        {"app --name=%c 100%%", {}, {"app", "--name=Web", "100%"}},
        {R"("/opt/my app/bin" "a \"q\" \` \$ \\ \z" '' 'x y' a\ b "")", {},
         {"/opt/my app/bin", "a \"q\" ` $ \\ \\z", "", "x y", "a b", ""}},
        {"flatpak run --file-forwarding com.x @@u %U @@", {url},
         {"flatpak", "run", "--file-forwarding", "com.x", "@@u", url, "@@"}},
        // Refused: shell syntax, unclosed quotes, codes in quotes or words, two target codes.
        {"sh -c firefox;id", {}, refused},
        {"app | tee", {}, refused},
        {"app $HOME", {}, refused},
        {"app `id`", {}, refused},
        {"app \"unclosed", {}, refused},
        {"app 'unclosed", {}, refused},
        {"app \"%u\"", {}, refused},
        {"sh -c \"firefox %u\"", {}, refused},
        {"app --url=%u", {}, refused},
        {"app %u %F", {}, refused},
        {"app %", {}, refused},
        {"app %1", {}, refused},
        {"app trailing\\", {}, refused},
        {"%u", {}, refused},
        {"", {}, refused},
        {"   ", {}, refused},
    };
    for (const Row &row : rows)
        EXPECT_EQ(run(QString::fromUtf8(row.exec), row.targets), row.expected) << row.exec;
}

TEST(DesktopEntry, ReadsTheMainGroupOnly)
{
    const QByteArray file = "# comment\n[Desktop Entry]\nType=Application\nName=Web\nName[de]=Netz\n"
                            "Name[de_AT]=Netz AT\nExec = app\\sone \\\\$ %u\r\nHidden=true\n"
                            "[Desktop Action new]\nExec=other\nName=Other\n";
    const std::optional<DesktopEntry> entry = DesktopEntry::parse(file, QStringLiteral("de_DE"));
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->isApplication());
    EXPECT_TRUE(entry->hidden());
    EXPECT_EQ(entry->name(), QStringLiteral("Netz"));
    EXPECT_EQ(DesktopEntry::parse(file, QStringLiteral("de_AT"))->name(), QStringLiteral("Netz AT"));
    EXPECT_EQ(entry->value(QStringLiteral("Exec")), QStringLiteral("app one \\$ %u"));
    for (const char *bad : {"Type=Application\n", "[Other]\n[Desktop Entry]\nType=Application\n",
                            "[Desktop Entry]\nno equals sign\n", "[Desktop Entry\nType=Application\n", ""})
        EXPECT_FALSE(DesktopEntry::parse(QByteArray(bad), QStringLiteral("C"))) << bad;
}
