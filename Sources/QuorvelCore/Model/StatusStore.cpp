#include "Model/StatusStore.h"

#include "Model/StatusError.h"
#include "Support/DirectoryListing.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/Locations.h"

#include <system_error>

namespace quorvel {

namespace {
bool isIDCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}
} // namespace

std::filesystem::path StatusStore::defaultDirectory(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "tasks";
}

bool StatusStore::isValidID(std::string_view id) {
    if (id.empty() || id.size() > maxIDLength)
        return false;
    for (char c : id) {
        if (!isIDCharacter(c))
            return false;
    }
    return true;
}

std::filesystem::path StatusStore::location(std::string_view id) const {
    if (!isValidID(id))
        throw StatusError::invalidID();
    return directory / (std::string(id) + ".json");
}

void StatusStore::write(const TaskStatus& status) const {
    const std::filesystem::path file = location(status.id);
    const std::string bytes = JsonText::compact(status.toJson());
    FileIO::requireWithinReadCap(bytes, maxFileBytes);
    FileIO::createPrivateDirectories(directory);
    FileIO::writeAtomically(file, bytes, 0600);
}

void StatusStore::remove(std::string_view id) const {
    FileIO::removeIfExists(location(id));
}

std::vector<TaskStatus> StatusStore::load(Cache* cache) const {
    std::vector<TaskStatus> records;
    JsonParser parser;
    for (const std::string& name :
         DirectoryListing::jsonEntryNames(directory, cache ? &cache->listings : nullptr)) {
        std::optional<TaskStatus> status = cachedFileResult(
            cache ? &cache->records : nullptr, directory / name, [&] { return loadEntry(name, parser); });
        if (status)
            records.push_back(std::move(*status));
    }
    return records;
}

std::optional<TaskStatus> StatusStore::loadEntry(const std::string& name, JsonParser& parser) const {
    std::string bytes;
    try {
        bytes = FileIO::readBounded(directory / name, maxFileBytes);
    } catch (const std::system_error& error) {
        // Removed since the listing (a concurrent remove): the task is gone, not broken.
        if (error.code() == std::errc::no_such_file_or_directory)
            return std::nullopt;
        throw;
    }
    TaskStatus status = TaskStatus::fromJson(JsonValue::requireObject(parser.parse(bytes)));
    if (location(status.id).filename() != name)
        throw StatusError::invalidRecord();
    return status;
}

} // namespace quorvel
