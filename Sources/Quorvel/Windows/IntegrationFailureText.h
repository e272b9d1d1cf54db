#pragma once

#include <QString>
#include <exception>

namespace quorvel::IntegrationFailureText {

// What a window shows for a failed integration or login-item change: the error's own message, except
// for the library's bare record error and a JSON parse error of Claude Code's settings, whose messages
// mean nothing to a user.
QString describe(const std::exception& error);
// The error's own message; a platform error's file path (its text up to ": " and the reason) is isolated
// so that the path's writing direction cannot turn the reason around.
QString errorText(const std::exception& error);
// Whether the window offers "Open Autostart Folder…" with the failure: only a login-item failure does.
bool offersLoginItems(const std::exception& error);

} // namespace quorvel::IntegrationFailureText
