#include "Codex/CodexReadState.h"

#include "Codex/CodexGlobalState.h"
#include "Support/Json.h"

#include <cmath>
#include <map>
#include <vector>

namespace quorvel {
namespace {

constexpr std::string_view codexIDPrefix = "codex-";
constexpr std::string_view localKeyPrefix = "local:";

using UnreadByKey = std::map<std::string, std::vector<std::string>>;

double requiredInteger(simdjson::dom::object object, std::string_view key) {
    double value = JsonValue::requiredNumber(object, key);
    if (value != std::floor(value) || std::fabs(value) > 9.2e18)
        throw JsonDecodeError(std::string(key) + " is not an integer");
    return value;
}

std::vector<std::string> decodeThreadIDs(simdjson::dom::element value) {
    simdjson::dom::array array;
    if (value.get_array().get(array) != simdjson::SUCCESS)
        throw JsonDecodeError("unread thread list is not an array");
    std::vector<std::string> ids;
    for (auto item : array) {
        std::string_view id;
        if (item.get_string().get(id) != simdjson::SUCCESS)
            throw JsonDecodeError("unread thread id is not a string");
        ids.emplace_back(id);
    }
    return ids;
}

UnreadByKey decodeIdentity(simdjson::dom::element value) {
    simdjson::dom::object object;
    if (value.get_object().get(object) != simdjson::SUCCESS)
        throw JsonDecodeError("unread identity is not an object");
    UnreadByKey byKey;
    for (auto field : object)
        byKey[std::string(field.key)] = decodeThreadIDs(field.value);
    return byKey;
}

std::map<std::string, UnreadByKey> decodeUnreadByIdentity(simdjson::dom::object state) {
    auto member = JsonValue::object(state, "unreadByIdentity");
    if (!member)
        throw JsonDecodeError("unreadByIdentity is missing or not an object");
    std::map<std::string, UnreadByKey> identities;
    for (auto field : *member)
        identities[std::string(field.key)] = decodeIdentity(field.value);
    return identities;
}

} // namespace

CodexReadState CodexReadState::load(const std::filesystem::path& codexHome) {
    auto bytes = CodexGlobalState::read(codexHome);
    if (!bytes)
        return {};
    return decode(*bytes);
}

CodexReadState CodexReadState::decode(std::string_view globalStateBytes) {
    JsonParser parser;
    auto document = JsonValue::requireObject(parser.parse(globalStateBytes));
    if (!JsonValue::has(document, "electron-thread-read-state-v1"))
        return {};
    auto state = JsonValue::object(document, "electron-thread-read-state-v1");
    if (!state)
        throw JsonDecodeError("electron-thread-read-state-v1 is not an object");
    double version = requiredInteger(*state, "version");
    auto identities = decodeUnreadByIdentity(*state);

    if (version != 1 || identities.size() != 1)
        return {};
    const std::vector<std::string>* localIDs = nullptr;
    for (const auto& [key, ids] : identities.begin()->second) {
        if (!key.starts_with(localKeyPrefix))
            continue;
        if (localIDs)
            return {};
        localIDs = &ids;
    }
    if (!localIDs)
        return {};
    return CodexReadState{std::set<std::string>(localIDs->begin(), localIDs->end())};
}

bool CodexReadState::hasRead(const TaskStatus& task) const {
    if (task.source != codexHistorySource || !task.id.starts_with(codexIDPrefix) || !unread)
        return false;
    return !unread->contains(task.id.substr(codexIDPrefix.size()));
}

} // namespace quorvel
