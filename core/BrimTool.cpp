#include "core/BrimTool.h"

std::optional<BrimTool> BrimTool::fromRawValue(QStringView raw)
{
    for (BrimTool tool : allCases()) {
        if (tool.rawValue() == raw)
            return tool;
    }
    return std::nullopt;
}

QString BrimTool::rawValue() const
{
    switch (m_value) {
    case awake: return QStringLiteral("awake");
    case timer: return QStringLiteral("timer");
    case alarms: return QStringLiteral("alarms");
    case links: return QStringLiteral("links");
    case apps: return QStringLiteral("apps");
    case colors: return QStringLiteral("colors");
    case text: return QStringLiteral("text");
    case qr: return QStringLiteral("qr");
    }
    return {};
}

QString BrimTool::title() const
{
    switch (m_value) {
    case awake: return tr("Keep Awake");
    case timer: return tr("Timer");
    case alarms: return tr("Alarms");
    case links: return tr("Clean Links");
    case apps: return tr("Ostrel Apps");
    case colors: return tr("Colors");
    case text: return tr("Text");
    case qr: return tr("QR Code");
    }
    return {};
}

QString BrimTool::symbol() const
{
    switch (m_value) {
    case awake: return QStringLiteral("cup.and.saucer");
    case timer: return QStringLiteral("timer");
    case alarms: return QStringLiteral("alarm");
    case links: return QStringLiteral("link");
    case apps: return QStringLiteral("app.badge");
    case colors: return QStringLiteral("eyedropper");
    case text: return QStringLiteral("textformat");
    case qr: return QStringLiteral("qrcode");
    }
    return {};
}
