#pragma once

#include "Support/Date.h"

#include <filesystem>
#include <functional>

namespace quorvel::UnreadableFile {

// Guards a state file that is read, changed and saved: one that exists but cannot be loaded is never
// saved over. Runs `load` on the file a save is about to replace; when it throws, whatever stands at
// `file` is first renamed to keptPath(file, now) beside it and one line on standard error names both
// paths. Nothing there, or a symbolic link (which the save replaces, never follows), is not kept. The
// rename takes the file away, so one failure gives one kept copy, and an earlier copy is never
// replaced. Returns whether `load` succeeded. Throws std::system_error when the file cannot be kept
// aside; the save must not go on then.
bool loadOrKeepAside(const std::filesystem::path& file, Date now, const std::function<void()>& load);

// "<file>.unreadable-<UTC date and time of now>", e.g. "marks.json.unreadable-2026-03-01T093000Z".
std::filesystem::path keptPath(const std::filesystem::path& file, Date now);

} // namespace quorvel::UnreadableFile
