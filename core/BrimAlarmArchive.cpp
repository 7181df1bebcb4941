#include "core/BrimAlarmArchive.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <optional>

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const Json *member(const Json &object, const char *name)
{
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

std::optional<QString> stringMember(const Json &object, const char *name)
{
    const Json *value = member(object, name);
    if (!value || !value->is_string())
        return std::nullopt;
    return fromUtf8(value->get_ref<const std::string &>());
}

std::optional<double> numberValue(const Json &value)
{
    if (!value.is_number())
        return std::nullopt;
    return value.get<double>();
}

// A JSON integer in the signed 64-bit range; a float counts when it is whole.
std::optional<qint64> integerValue(const Json &value)
{
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return static_cast<qint64>(u);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_number_float()) {
        const double d = value.get<double>();
        // 2^63 itself is out of range; every whole double below it converts exactly.
        if (std::trunc(d) != d || d < -9223372036854775808.0 || d >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    return std::nullopt;
}

std::optional<BrimAlarm> decodeAlarm(const Json &object)
{
    if (!object.is_object())
        return std::nullopt;
    BrimAlarm alarm;
    const std::optional<QString> idText = stringMember(object, "id");
    if (!idText)
        return std::nullopt;
    const std::optional<QUuid> id = brimUuidFromText(*idText);
    if (!id)
        return std::nullopt;
    alarm.id = *id;

    const std::optional<QString> title = stringMember(object, "title");
    if (!title)
        return std::nullopt;
    alarm.title = *title;

    const Json *date = member(object, "date");
    const std::optional<double> dateSeconds = date ? numberValue(*date) : std::nullopt;
    if (!dateSeconds)
        return std::nullopt;
    alarm.date = BrimDate{*dateSeconds};

    const std::optional<QString> zone = stringMember(object, "timeZoneID");
    if (!zone)
        return std::nullopt;
    alarm.timeZoneID = *zone;

    // Absent and null both mean "not fired".
    if (const Json *firedAt = member(object, "firedAt"); firedAt && !firedAt->is_null()) {
        const std::optional<double> seconds = numberValue(*firedAt);
        if (!seconds)
            return std::nullopt;
        alarm.firedAt = BrimDate{*seconds};
    }
    return alarm;
}

Result<QList<BrimAlarm>, BrimAlarmError> decodeDocument(const QByteArray &bytes)
{
    const Json document = Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr,
                                      /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object())
        return Failure{BrimAlarmError::invalidArchive};

    // The whole record must decode before the version is looked at.
    const Json *version = member(document, "version");
    const std::optional<qint64> versionNumber = version ? integerValue(*version) : std::nullopt;
    if (!versionNumber)
        return Failure{BrimAlarmError::invalidArchive};

    const Json *alarmsMember = member(document, "alarms");
    if (!alarmsMember || !alarmsMember->is_array())
        return Failure{BrimAlarmError::invalidArchive};
    QList<BrimAlarm> alarms;
    alarms.reserve(static_cast<qsizetype>(std::min<size_t>(alarmsMember->size(), BrimAlarmBook::capacity + 1)));
    for (const Json &object : *alarmsMember) {
        std::optional<BrimAlarm> alarm = decodeAlarm(object);
        if (!alarm)
            return Failure{BrimAlarmError::invalidArchive};
        alarms.append(std::move(*alarm));
    }

    if (*versionNumber != BrimAlarmArchive::currentVersion)
        return Failure{BrimAlarmError::newerArchive};
    auto book = BrimAlarmBook::make(std::move(alarms));
    if (!book.ok())
        return Failure{BrimAlarmError::invalidArchive};
    return book.value().alarms();
}

} // namespace

QByteArray BrimAlarmArchive::encode(const BrimAlarmBook &book)
{
    // ordered_json keeps members in insertion order, which is the file's order.
    OrderedJson alarms = OrderedJson::array();
    for (const BrimAlarm &alarm : book.alarms()) {
        OrderedJson object = OrderedJson::object();
        object["id"] = utf8(brimUuidText(alarm.id));
        object["title"] = utf8(alarm.title);
        object["date"] = alarm.date.secondsSinceReference;
        object["timeZoneID"] = utf8(alarm.timeZoneID);
        if (alarm.firedAt)
            object["firedAt"] = alarm.firedAt->secondsSinceReference;
        alarms.push_back(std::move(object));
    }
    OrderedJson archive = OrderedJson::object();
    archive["version"] = currentVersion;
    archive["alarms"] = std::move(alarms);
    // A book holds only finite dates and well-formed text, so this neither
    // writes null for a number nor meets invalid UTF-8.
    const std::string text = archive.dump();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

Result<QList<BrimAlarm>, BrimAlarmError> BrimAlarmArchive::decode(const QByteArray &bytes)
{
    try {
        return decodeDocument(bytes);
    } catch (const nlohmann::json::exception &) {
        return Failure{BrimAlarmError::invalidArchive};
    }
}
