#include "Codex/CodexReadMarks.h"

#include "Support/Locations.h"
#include "Support/ReadMarkFile.h"

namespace quorvel {

std::filesystem::path CodexReadMarks::defaultURL(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "codex-read-marks.json";
}

CodexReadMarks CodexReadMarks::load(const std::filesystem::path& file) {
    return {ReadMarkFile::load(file)};
}

CodexReadMarks CodexReadMarks::decode(std::string_view bytes) {
    return {ReadMarkFile::decode(bytes)};
}

void CodexReadMarks::save(const std::filesystem::path& file, Date now) const {
    ReadMarkFile::save(file, readAt, now);
}

bool CodexReadMarks::hasRead(const TaskStatus& task) const {
    auto key = task.codexThreadID();
    return key && ReadMarkFile::covers(readAt, *key, task.updatedAt);
}

void CodexReadMarks::markRead(const TaskStatus& task, Date at) {
    if (auto key = task.codexThreadID())
        ReadMarkFile::mark(readAt, *key, at, task.updatedAt);
}

} // namespace quorvel
