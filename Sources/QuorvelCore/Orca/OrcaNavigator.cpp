#include "Orca/OrcaNavigator.h"

#include "Orca/OrcaNavigationError.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <array>

namespace quorvel {

namespace {

using simdjson::dom::object;

constexpr std::string_view handlePrefix = "term_";
constexpr std::array<std::string_view, 3> staleHandleCodes{"stale_terminal_handle", "terminal_not_found",
                                                           "invalid_terminal_handle"};

const std::vector<std::string> listArguments{"terminal", "list", "--json", "--limit", "10000"};

std::vector<std::string> switchArguments(const std::string& handle) {
    return {"terminal", "switch", "--terminal", handle, "--json"};
}

bool isStaleHandle(const OrcaNavigationError& error) {
    return error.errorCase() == OrcaNavigationError::Case::failed &&
           std::find(staleHandleCodes.begin(), staleHandleCodes.end(), error.code()) !=
               staleHandleCodes.end();
}

// The elements of an array when every one of them is an object.
std::optional<std::vector<object>> objectsOf(simdjson::dom::array array) {
    std::vector<object> objects;
    for (const auto element : array) {
        object member;
        if (element.get_object().get(member) != simdjson::SUCCESS)
            return std::nullopt;
        objects.push_back(member);
    }
    return objects;
}

bool isLocalScope(object result) {
    const auto hostScope = JsonValue::object(result, "hostScope");
    const auto hostIDs = hostScope ? JsonValue::array(*hostScope, "hostIds") : std::nullopt;
    if (!hostIDs)
        return false;
    bool containsLocal = false;
    for (const auto element : *hostIDs) {
        std::string_view hostID;
        if (element.get_string().get(hostID) != simdjson::SUCCESS)
            return false;
        containsLocal = containsLocal || hostID == "local";
    }
    return containsLocal;
}

bool isSessionPane(object terminal, const OrcaSessionReference& reference) {
    return JsonValue::string(terminal, "executionHostId") == "local" &&
           JsonValue::string(terminal, "tabId") == reference.tabID &&
           JsonValue::string(terminal, "leafId") == reference.leafID &&
           JsonValue::string(terminal, "worktreeId") == reference.worktreeID &&
           JsonValue::boolean(terminal, "orphaned") != true &&
           JsonValue::boolean(terminal, "connected") == true;
}

OrcaSessionReference singleMatch(const OrcaSessionIndex& index, std::string_view taskID) {
    auto matches = index.matches(taskID);
    if (matches.empty())
        throw OrcaNavigationError::missingSession();
    if (matches.size() > 1)
        throw OrcaNavigationError::ambiguous();
    return std::move(matches.front());
}

void requireConfirmation(object result, const std::string& handle, const OrcaSessionReference& reference) {
    const auto focus = JsonValue::object(result, "focus");
    if (!focus || JsonValue::string(*focus, "handle") != handle ||
        JsonValue::string(*focus, "tabId") != reference.tabID ||
        JsonValue::boolean(*focus, "navigated") != true)
        throw OrcaNavigationError::unavailable();
}

} // namespace

simdjson::dom::object OrcaNavigator::result(std::string_view reply, JsonParser& parser) {
    if (reply.size() > replyLimit)
        throw OrcaNavigationError::invalidResponse();
    object envelope;
    if (parser.parse(reply).get_object().get(envelope) != simdjson::SUCCESS)
        throw OrcaNavigationError::invalidResponse();
    if (JsonValue::boolean(envelope, "ok") == true) {
        if (const auto result = JsonValue::object(envelope, "result"))
            return *result;
        throw OrcaNavigationError::invalidResponse();
    }
    const auto error = JsonValue::object(envelope, "error");
    const auto code = error ? JsonValue::string(*error, "code") : std::nullopt;
    throw OrcaNavigationError::failed(std::string(code.value_or("unknown")));
}

std::string OrcaNavigator::resolve(std::string_view reply, const OrcaSessionReference& reference) {
    JsonParser parser;
    const auto listed = result(reply, parser);
    const auto terminalArray = JsonValue::array(listed, "terminals");
    const auto terminals = terminalArray ? objectsOf(*terminalArray) : std::nullopt;
    if (JsonValue::boolean(listed, "truncated") != false || !isLocalScope(listed) || !terminals)
        throw OrcaNavigationError::invalidResponse();

    std::optional<object> pane;
    for (const auto terminal : *terminals) {
        if (!isSessionPane(terminal, reference))
            continue;
        if (pane)
            throw OrcaNavigationError::ambiguous();
        pane = terminal;
    }
    if (!pane)
        throw OrcaNavigationError::missingSession();

    const auto handle = JsonValue::string(*pane, "handle");
    if (!handle || !handle->starts_with(handlePrefix) ||
        !Uuid::isUuidText(handle->substr(handlePrefix.size())))
        throw OrcaNavigationError::missingSession();
    return std::string(*handle);
}

OrcaNavigator::IndexSource OrcaNavigator::freshIndex(std::function<Date()> now) {
    return [now = std::move(now)] { return OrcaSessionIndex::load(OrcaSessionIndex::root(), now()); };
}

void OrcaNavigator::open(std::string_view taskID, const std::filesystem::path& executable,
                         const IndexSource& index) const {
    bool retryAllowed = true;
    OrcaSessionIndex sessions = index();
    for (;;) {
        const auto reference = singleMatch(sessions, taskID);
        const auto handle = resolve(runner->run(executable, listArguments), reference);
        JsonParser parser;
        std::optional<object> switched;
        try {
            switched = result(runner->run(executable, switchArguments(handle)), parser);
        } catch (const OrcaNavigationError& error) {
            if (!retryAllowed || !isStaleHandle(error))
                throw;
            retryAllowed = false;
            sessions = index();
            continue;
        }
        requireConfirmation(*switched, handle, reference);
        return;
    }
}

} // namespace quorvel
