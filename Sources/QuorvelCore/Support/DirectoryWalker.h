#pragma once

#include <filesystem>
#include <functional>

namespace quorvel::DirectoryWalker {

enum class Step { proceed, stop };

// Walks the folder tree below `root` depth first, calling `visit` with the path of every entry whose
// name does not begin with "." (files, folders, links and others alike), a folder before its contents
// and the entries of one folder in byte order of their names. Descends only into real folders, never
// through a symbolic link; a subfolder that cannot be opened or listed is passed over. `visit`
// returning Step::stop ends the walk. Returns false, without visiting anything, when `root` itself
// cannot be opened as a folder.
bool walk(const std::filesystem::path& root, const std::function<Step(const std::filesystem::path&)>& visit);

} // namespace quorvel::DirectoryWalker
