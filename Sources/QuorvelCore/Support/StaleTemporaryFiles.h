#pragma once

#include "Support/Date.h"

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace quorvel::StaleTemporaryFiles {

// How long a temporary file of ours must have been left alone before it counts as abandoned.
inline constexpr double staleAfterSeconds = 60;

// Whether `name` is one of the temporary names our saves use: "." + a JSON file's name + "." + six
// letters or digits (an atomic write), or ".quorvel-status-" + a UUID (a copy of the helper).
bool isTemporaryName(std::string_view name);

// Our own folders under `home` that saves write into: the state folder, the task records, the Claude
// event records and the installed helper's folder.
std::vector<std::filesystem::path> ownFolders(const std::filesystem::path& home);

// Removes what killed saves left behind: in each folder (a real folder owned by the current user,
// never a link), every entry with a temporary name that is a regular file owned by the current user and
// neither modified nor changed in the last minute before `now`. Everything else is left as it is,
// and nothing throws: a folder that cannot be read is skipped. Returns how many files went.
std::size_t remove(const std::vector<std::filesystem::path>& folders, Date now);

} // namespace quorvel::StaleTemporaryFiles
