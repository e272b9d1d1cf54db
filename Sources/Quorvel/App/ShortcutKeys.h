#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

// The keys that open the tray menu from any application, written the way Linux desktops write them.
namespace ShortcutKeys {

// "Alt+Super+L".
QString combination();
// The keys one by one, for keycaps: "Alt", "Super", "L".
QStringList keys();
// What a screen reader says for the keycaps: "Alt Super L".
QString spoken();
// Where the keys cannot be grabbed (Wayland): a second start of the program opens its menu, so the user
// can bind a key of their own to it.
QString commandBinding();

} // namespace ShortcutKeys
} // namespace quorvel
