#include "platform/FileManagerReveal.h"

#include "PrivateBus.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <gtest/gtest.h>

TEST(FileManagerReveal, ShowsItemsOrFallsBackToTheNearestFolder)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    const QString folder = bus.tempPath(QStringLiteral("alarms dir"));
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/missing/alarms #1.json");
    enum class Answer { ok, error, silent, absent };
    for (const Answer answer : {Answer::ok, Answer::error, Answer::silent, Answer::absent}) {
        std::optional<FakeDBusService> service;
        if (answer != Answer::absent) {
            service.emplace(bus, QStringLiteral("org.freedesktop.FileManager1"),
                            QStringLiteral("/org/freedesktop/FileManager1"),
                            [answer](const QDBusMessage &call) -> std::optional<QDBusMessage> {
                                if (answer == Answer::silent)
                                    return std::nullopt;
                                return answer == Answer::ok ? call.createReply()
                                                            : call.createErrorReply(QDBusError::Failed, QStringLiteral("no"));
                            });
        }
        QList<QUrl> opened;
        FileManagerReveal reveal(bus.connect(), [&](const QUrl &url) { opened << url; return true; }, 300);
        const bool shown = QCoro::waitFor(reveal.show(file));
        EXPECT_EQ(shown, answer == Answer::ok);
        EXPECT_EQ(opened, shown ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(folder)});
        if (service) {
            const QList<QDBusMessage> calls = service->calls(QStringLiteral("ShowItems"));
            ASSERT_EQ(calls.size(), 1);
            EXPECT_EQ(calls.first().arguments(),
                      (QVariantList{QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)}, QString()}));
        }
    }
}
