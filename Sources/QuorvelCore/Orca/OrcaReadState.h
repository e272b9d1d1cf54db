#pragma once

#include "Model/OrcaSessionReference.h"
#include "Support/Date.h"
#include "Support/FileIO.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct TaskStatus;

// The system's own read marks for tasks that run inside Orca, kept in "orca-state.json".
struct OrcaReadState {
    static constexpr std::uint64_t fileLimit = 8'000'000;
    static constexpr double ownershipLifetime = 604'800; // 7 days

    // Lower-cased task id -> the Orca session the task was last seen in.
    std::map<std::string, OrcaSessionReference> ownership;
    // Lower-cased task id -> the task's updatedAt when the user last opened it.
    std::map<std::string, Date> readAt;

    // "orca-state.json" in Quorvel's data folder (Locations::quorvelSupport).
    static std::filesystem::path defaultURL(const std::filesystem::path& home = FileIO::homeDirectory());

    // A missing file is an empty state. A link, a non-regular or oversized file is
    // StatusError::invalidRecord; bad JSON is JsonParseError, a wrong shape JsonDecodeError.
    static OrcaReadState load(const std::filesystem::path& path);
    // Writes only when the bytes differ from the file's; throws std::system_error, or
    // StatusError::invalidRecord (nothing written) for a state larger than fileLimit. A file there that
    // does not load is kept aside first (UnreadableFile, dated `now`).
    void save(const std::filesystem::path& path, Date now) const;

    // Ages out old ownership, records the sessions of `tasks` and drops read marks of tasks no
    // longer owned or listed.
    void remember(const std::vector<TaskStatus>& tasks, Date now);
    void markRead(const TaskStatus& task);
    bool hasRead(const TaskStatus& task) const;

    // The file form: keys sorted, no white space.
    std::string encoded() const;
    static OrcaReadState decode(std::string_view bytes);

    bool operator==(const OrcaReadState&) const = default;
};

} // namespace quorvel
