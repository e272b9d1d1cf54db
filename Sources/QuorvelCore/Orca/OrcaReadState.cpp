#include "Orca/OrcaReadState.h"

#include "Model/TaskStatus.h"
#include "Orca/OrcaLocalFile.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "Support/UnreadableFile.h"
#include "Support/Uuid.h"

#include <optional>

namespace quorvel {

namespace {

simdjson::dom::object requiredObject(simdjson::dom::object object, std::string_view key) {
    const auto member = JsonValue::object(object, key);
    if (!member)
        throw JsonDecodeError("orca-state: \"" + std::string(key) + "\" must be an object");
    return *member;
}

// The file's bytes, checked as Orca's own files are; nothing when there is no file.
std::optional<std::string> readChecked(const std::filesystem::path& path) {
    if (!FileInfo::ifExists(path))
        return std::nullopt;
    OrcaLocalFile::validate(path, OrcaReadState::fileLimit);
    return FileIO::readBounded(path, OrcaReadState::fileLimit);
}

} // namespace

std::filesystem::path OrcaReadState::defaultURL(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "orca-state.json";
}

OrcaReadState OrcaReadState::load(const std::filesystem::path& path) {
    const auto bytes = readChecked(path);
    return bytes ? decode(*bytes) : OrcaReadState{};
}

OrcaReadState OrcaReadState::decode(std::string_view bytes) {
    JsonParser parser;
    const auto top = JsonValue::requireObject(parser.parse(bytes));
    const auto ownershipObject = requiredObject(top, "ownership");
    const auto readAtObject = requiredObject(top, "readAt");

    OrcaReadState state;
    for (const auto field : ownershipObject) {
        simdjson::dom::object reference;
        if (field.value.get_object().get(reference) != simdjson::SUCCESS)
            throw JsonDecodeError("orca-state: ownership values must be objects");
        state.ownership.insert_or_assign(std::string(field.key), OrcaSessionReference::fromJson(reference));
    }
    for (const auto field : readAtObject) {
        const auto seconds = JsonValue::number(field.value);
        if (!seconds)
            throw JsonDecodeError("orca-state: readAt values must be numbers");
        state.readAt.insert_or_assign(std::string(field.key), Date{*seconds});
    }
    return state;
}

std::string OrcaReadState::encoded() const {
    nlohmann::json ownershipJson = nlohmann::json::object();
    for (const auto& [key, reference] : ownership)
        ownershipJson[key] = reference.toJson();
    nlohmann::json readAtJson = nlohmann::json::object();
    for (const auto& [key, date] : readAt)
        readAtJson[key] = date.seconds;
    return JsonText::compact(nlohmann::json{{"ownership", ownershipJson}, {"readAt", readAtJson}});
}

void OrcaReadState::save(const std::filesystem::path& path, Date now) const {
    const std::string bytes = encoded();
    FileIO::requireWithinReadCap(bytes, fileLimit);
    FileIO::createPrivateDirectories(path.parent_path());
    std::optional<std::string> stored;
    UnreadableFile::loadOrKeepAside(path, now, [&] {
        auto read = readChecked(path);
        if (read)
            decode(*read);
        stored = std::move(read);
    });
    if (stored == bytes)
        return;
    FileIO::writeAtomically(path, bytes, 0600);
}

void OrcaReadState::remember(const std::vector<TaskStatus>& tasks, Date now) {
    std::erase_if(ownership,
                  [now](const auto& entry) { return now - entry.second.observedAt >= ownershipLifetime; });

    // Every current Orca task is owned after this loop, so ownership alone decides which marks stay.
    for (const auto& task : tasks) {
        if (task.orcaSession)
            ownership.insert_or_assign(Uuid::lowercased(task.id), *task.orcaSession);
    }
    std::erase_if(readAt, [this](const auto& entry) { return !ownership.contains(entry.first); });
}

void OrcaReadState::markRead(const TaskStatus& task) {
    if (!task.orcaSession)
        return;
    readAt.insert_or_assign(Uuid::lowercased(task.id), task.updatedAt);
}

bool OrcaReadState::hasRead(const TaskStatus& task) const {
    if (!task.orcaSession)
        return false;
    const auto mark = readAt.find(Uuid::lowercased(task.id));
    return mark != readAt.end() && mark->second >= task.updatedAt;
}

} // namespace quorvel
