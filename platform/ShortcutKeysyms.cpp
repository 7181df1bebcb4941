#include "platform/ShortcutKeysyms.h"

#include <QChar>
#include <QStringList>

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <utility>

namespace {

// Keys that do not type a character. F1 to F35 follow one another in both.
constexpr std::array<std::pair<int, std::uint32_t>, 34> specialKeys{{
    {Qt::Key_Escape, XKB_KEY_Escape},
    {Qt::Key_Tab, XKB_KEY_Tab},
    {Qt::Key_Backtab, XKB_KEY_ISO_Left_Tab},
    {Qt::Key_Backspace, XKB_KEY_BackSpace},
    {Qt::Key_Return, XKB_KEY_Return},
    {Qt::Key_Enter, XKB_KEY_KP_Enter},
    {Qt::Key_Insert, XKB_KEY_Insert},
    {Qt::Key_Delete, XKB_KEY_Delete},
    {Qt::Key_Pause, XKB_KEY_Pause},
    {Qt::Key_Print, XKB_KEY_Print},
    {Qt::Key_SysReq, XKB_KEY_Sys_Req},
    {Qt::Key_Home, XKB_KEY_Home},
    {Qt::Key_End, XKB_KEY_End},
    {Qt::Key_Left, XKB_KEY_Left},
    {Qt::Key_Up, XKB_KEY_Up},
    {Qt::Key_Right, XKB_KEY_Right},
    {Qt::Key_Down, XKB_KEY_Down},
    {Qt::Key_PageUp, XKB_KEY_Prior},
    {Qt::Key_PageDown, XKB_KEY_Next},
    {Qt::Key_ScrollLock, XKB_KEY_Scroll_Lock},
    {Qt::Key_Menu, XKB_KEY_Menu},
    {Qt::Key_Help, XKB_KEY_Help},
    {Qt::Key_Space, XKB_KEY_space},
    {Qt::Key_VolumeDown, XKB_KEY_XF86AudioLowerVolume},
    {Qt::Key_VolumeMute, XKB_KEY_XF86AudioMute},
    {Qt::Key_VolumeUp, XKB_KEY_XF86AudioRaiseVolume},
    {Qt::Key_MediaPlay, XKB_KEY_XF86AudioPlay},
    {Qt::Key_MediaStop, XKB_KEY_XF86AudioStop},
    {Qt::Key_MediaPrevious, XKB_KEY_XF86AudioPrev},
    {Qt::Key_MediaNext, XKB_KEY_XF86AudioNext},
    {Qt::Key_MediaPause, XKB_KEY_XF86AudioPause},
    {Qt::Key_Calculator, XKB_KEY_XF86Calculator},
    {Qt::Key_LaunchMail, XKB_KEY_XF86Mail},
    {Qt::Key_Search, XKB_KEY_XF86Search},
}};

} // namespace

std::uint32_t ShortcutKeysyms::keysym(QKeyCombination combination)
{
    const int key = combination.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return XKB_KEY_F1 + std::uint32_t(key - Qt::Key_F1);
    for (const auto &[qtKey, sym] : specialKeys) {
        if (qtKey == key)
            return sym;
    }
    // Below 0x01000000 Qt's key is the character, upper case for letters.
    if (key <= 0 || key >= 0x01000000 || !QChar::isPrint(char32_t(key)))
        return 0;
    const xkb_keysym_t sym = xkb_utf32_to_keysym(QChar::toLower(char32_t(key)));
    return sym == XKB_KEY_NoSymbol ? 0 : sym;
}

QString ShortcutKeysyms::trigger(QKeyCombination combination)
{
    const std::uint32_t sym = keysym(combination);
    char name[64];
    if (sym == 0 || xkb_keysym_get_name(sym, name, sizeof name) <= 0)
        return {};
    QStringList parts;
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const std::pair<Qt::KeyboardModifier, const char *> names[] = {
        {Qt::ControlModifier, "CTRL"}, {Qt::AltModifier, "ALT"}, {Qt::ShiftModifier, "SHIFT"}, {Qt::MetaModifier, "LOGO"}};
    for (const auto &[modifier, text] : names) {
        if (modifiers & modifier)
            parts << QLatin1String(text);
    }
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}
