#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace quorvel::fuzzing {
namespace {

struct ScratchFolder {
    std::filesystem::path path;

    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

void require(bool condition, const char* property) {
    if (condition)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

const std::filesystem::path& emptyScratchFolder() {
    static ScratchFolder folder;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path))
        std::filesystem::remove_all(entry.path());
    return folder.path;
}

} // namespace quorvel::fuzzing
