// The settings file as another program or a torn disk may leave it: any
// bytes. Loading loses nothing: a JSON object is taken as it stands,
// anything else is moved aside byte for byte; and a write afterwards leaves
// a file that reads back every value the typed reads can see.
#include "fuzz/FuzzSupport.h"
#include "platform/JsonFileUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> folder;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the typed reads return for a value: strings, Booleans and integers.
bool typedReadable(const QJsonValue &value)
{
    if (value.isBool())
        return true;
    if (value.isString()) // a lone surrogate has no UTF-8 form to be written back in
        return value.toString().isValidUtf16();
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::isfinite(number) && std::fabs(number) < 9007199254740992.0 && std::trunc(number) == number;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // On a RAM disk where there is one: every input is written and fsynced.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/brimkit-fuzz-XXXXXX"));
    FUZZ_CHECK(folder->isValid());
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {}); // one warning per input
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = folder->filePath(QStringLiteral("defaults.json"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const bool object = error.error == QJsonParseError::NoError && document.isObject();
    {
        JsonFileUserDefaults defaults(path);
        if (object) {
            FUZZ_CHECK(!defaults.setAsidePath());
            FUZZ_CHECK(contents(path) == bytes);
        } else {
            FUZZ_CHECK(defaults.setAsidePath());
            FUZZ_CHECK(contents(*defaults.setAsidePath()) == bytes);
            FUZZ_CHECK(!QFile::exists(path));
            QFile::remove(*defaults.setAsidePath());
        }
        defaults.setString(QStringLiteral("brimkitFuzz"), QStringLiteral("written"));
        defaults.flush();
        FUZZ_CHECK(!defaults.writeError());

        JsonFileUserDefaults reread(path);
        FUZZ_CHECK(!reread.setAsidePath());
        FUZZ_CHECK(reread.stringValue(QStringLiteral("brimkitFuzz")) == QStringLiteral("written"));
        const QJsonObject values = object ? document.object() : QJsonObject();
        for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
            if (it.key() == QLatin1String("brimkitFuzz") || !typedReadable(it.value()))
                continue;
            FUZZ_CHECK(defaults.object(it.key()) == it.value());
            FUZZ_CHECK(reread.object(it.key()) == it.value());
        }
    }
    QFile::remove(path);
    return 0;
}
