#pragma once

#include "Model/LightState.h"
#include "Model/MenuBarStatus.h"

#include <QString>
#include <string_view>
#include <vector>

namespace quorvel {

struct TaskStatus;

// The texts of the tray item and the task menu.
namespace StatusTexts {

// "Needs your attention, 1 chats; Working, 2 chats".
QString summary(const std::vector<MenuBarStatus>& statuses);
QString toolTip(const QString& summary, bool shortcutAvailable);
QString accessibilityLabel(const QString& summary);

// Who draws the menu: Qt, where "&" marks a mnemonic, or a tray host from Qt's dbusmenu export, where
// "_" marks one ("__" is an underscore) and into which Qt turns the first "&" of a text into "_".
enum class MenuHost { qt, dbusMenu };

// A menu item's text that shows `text` as it is on that host: no character taken for a mnemonic, and
// tabs and line breaks (which a menu would take for a shortcut column or a second line) as spaces.
QString menuText(const QString& text, MenuHost host);
// The first 90 characters of a task name, as a menu item's text.
QString taskTitle(std::string_view name, MenuHost host);
// A tooltip that shows as plain text even when it looks like markup.
QString plainToolTip(const QString& text);

// "Codex", "Claude", or "Quorvel" for local records.
QString appName(TaskProvider provider);
// The row tooltip: for an unread task where to read it (or that choosing the row marks it read, when
// that is what it does), otherwise the whole name.
QString rowToolTip(const TaskStatus& task, LightState visibleState, bool marksReadWhenChosen = false);
// The detail line: the project (its first 90 characters, isolated), the state, and " · Orca" for an
// Orca task.
QString rowDetail(const TaskStatus& task, LightState visibleState);
// Accessibility description of a row image: "Codex, Working".
QString rowImageDescription(TaskProvider provider, bool isOrcaTask, LightState state);
QString emptyStateText(bool codexEnabled, bool claudeEnabled);

// What the user is told once when no tray shows the icon.
QString noTrayTitle();
QString noTrayMessage();

} // namespace StatusTexts
} // namespace quorvel
