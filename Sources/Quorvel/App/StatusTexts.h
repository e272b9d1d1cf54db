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

// A menu item's text showing `text` as it is: "&" doubled so that it is no mnemonic, and tabs and line
// breaks (which a menu would take for a shortcut column or a second line) shown as spaces.
QString menuText(const QString& text);
// The first 90 characters of a task name, as a menu item's text.
QString taskTitle(std::string_view name);
// A tooltip that shows as plain text even when it looks like markup.
QString plainToolTip(const QString& text);

// "Codex", "Claude", or "Quorvel" for local records.
QString appName(TaskProvider provider);
// The row tooltip: for an unread task where to read it, otherwise the whole name.
QString rowToolTip(const TaskStatus& task, LightState visibleState);
// The detail line: the state and project, " · Orca" for an Orca task.
QString rowDetail(const TaskStatus& task, LightState visibleState);
// Accessibility description of a row image: "Codex, Working".
QString rowImageDescription(TaskProvider provider, bool isOrcaTask, LightState state);
QString emptyStateText(bool codexEnabled, bool claudeEnabled);

} // namespace StatusTexts
} // namespace quorvel
