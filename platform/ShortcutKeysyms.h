#pragma once
// Qt's key combinations in the X keyboard's terms: the keysym a combination
// presses, and the trigger text of the desktop's shortcut service
// ("CTRL+ALT+p", modifier names and keysym names as xkbcommon spells them).

#include <QKeyCombination>
#include <QString>

#include <cstdint>

namespace ShortcutKeysyms {

// The keysym of the combination's key (letters lower case); 0 when there is none.
std::uint32_t keysym(QKeyCombination combination);
// Empty when the key has no keysym.
QString trigger(QKeyCombination combination);

} // namespace ShortcutKeysyms
