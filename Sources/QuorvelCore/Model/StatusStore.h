#pragma once

#include "Model/TaskStatus.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/RecordFolderCache.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace quorvel {

// The folder of local task records: one compact JSON file per task id, named id + ".json".
struct StatusStore {
    static constexpr std::uint64_t maxFileBytes = 16384;
    static constexpr std::size_t maxIDLength = 100;

    std::filesystem::path directory;

    explicit StatusStore(std::filesystem::path directory) : directory(std::move(directory)) {}

    // "tasks" in Quorvel's data folder (Locations::quorvelSupport).
    static std::filesystem::path
    defaultDirectory(const std::filesystem::path& home = FileIO::homeDirectory());

    // Replaces the record's file atomically (0600, folder 0700). Throws StatusError::invalidID for an
    // id breaking the id rule, StatusError::invalidRecord for a record larger than maxFileBytes (load
    // would refuse it; nothing is written), std::system_error for file failures.
    void write(const TaskStatus& status) const;
    // Deletes the id's file when there is one. Throws StatusError::invalidID, std::system_error.
    void remove(std::string_view id) const;
    // The decoded record files, kept from one refresh to the next while a file keeps its version.
    using Cache = RecordFolderCache<std::optional<TaskStatus>>;

    // Every record of the folder in listing order; a missing folder is empty. The first bad ".json"
    // entry fails the whole load (StatusError, JsonParseError, JsonDecodeError, std::system_error); an
    // entry removed between the listing and its reading is left out.
    std::vector<TaskStatus> load(Cache* cache = nullptr) const;

    // Letters, digits, "-" and "_"; 1 to 100 characters.
    static bool isValidID(std::string_view id);

private:
    std::filesystem::path location(std::string_view id) const;
    std::optional<TaskStatus> loadEntry(const std::string& name, JsonParser& parser) const;
};

} // namespace quorvel
