#include "Support/DirectoryWalker.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvel::DirectoryWalker {

namespace {

struct Entry {
    std::string name;
    bool mayBeFolder = false;
};

struct Frame {
    std::filesystem::path folder;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

// The visible entries of one folder, sorted; nothing when the folder cannot be opened or listed.
// Only the root may be reached through a link.
std::optional<std::vector<Entry>> listFolder(const std::filesystem::path& folder, bool followLink) {
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor = ::open(folder.c_str(), flags);
    if (descriptor < 0)
        return std::nullopt;
    DIR* stream = ::fdopendir(descriptor);
    if (stream == nullptr) {
        ::close(descriptor);
        return std::nullopt;
    }
    std::vector<Entry> entries;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(stream);
        if (item == nullptr) {
            failed = errno != 0;
            break;
        }
        if (item->d_name[0] == '.')
            continue;
        entries.push_back({item->d_name, item->d_type == DT_DIR || item->d_type == DT_UNKNOWN});
    }
    ::closedir(stream);
    if (failed)
        return std::nullopt;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

} // namespace

bool walk(const std::filesystem::path& root, const std::function<Step(const std::filesystem::path&)>& visit) {
    auto rootEntries = listFolder(root, true);
    if (!rootEntries)
        return false;
    std::vector<Frame> stack;
    stack.push_back({root, std::move(*rootEntries)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.entries.size()) {
            stack.pop_back();
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        std::filesystem::path path = frame.folder / entry.name;
        if (visit(path) == Step::stop)
            return true;
        if (!entry.mayBeFolder)
            continue;
        if (auto children = listFolder(path, false))
            stack.push_back({std::move(path), std::move(*children)});
    }
    return true;
}

} // namespace quorvel::DirectoryWalker
