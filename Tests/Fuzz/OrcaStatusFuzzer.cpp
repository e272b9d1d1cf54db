// Orca's agent status file, and the attachment of the sessions it names to tasks.
#include "FuzzSupport.h"
#include "Model/StatusError.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/Json.h"
#include "Support/Uuid.h"

#include <set>

using namespace quorvel;
using fuzzing::require;

namespace {

std::string capitals(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::optional<OrcaSessionIndex> decoded(std::string_view bytes) {
    try {
        return OrcaSessionIndex::decode(bytes, fuzzing::now);
    } catch (const StatusError&) {
    } catch (const JsonParseError&) {
    }
    return std::nullopt;
}

void checkSession(const OrcaSessionReference& session) {
    require(session.provider == "codex" || session.provider == "claude", "sessions are Codex or Claude Code");
    require(Uuid::isUuidText(session.sessionID) && Uuid::lowercased(session.sessionID) == session.sessionID,
            "session ids are lower-case UUIDs");
    require(Uuid::isUuidText(session.tabID) && Uuid::isUuidText(session.leafID), "tabs and panes are UUIDs");
    require(!session.worktreeID.empty(), "a session has a worktree");
    const double age = fuzzing::now - session.observedAt;
    require(age >= -OrcaSessionIndex::maxFutureSkew && age <= OrcaSessionIndex::maxAge,
            "sessions are recent");
}

// Two tasks per session, one of them with its id in capitals: the merge keeps one of each pair.
std::vector<TaskStatus> tasksOf(const OrcaSessionIndex& index) {
    std::vector<TaskStatus> tasks;
    for (const OrcaSessionReference& session : index.sessions) {
        const std::string_view source = session.provider == "codex" ? codexHistorySource : claudeCodeSource;
        for (std::string id : {session.taskID(), capitals(session.taskID())})
            tasks.push_back(
                TaskStatus::make(id, "task", LightState::done, session.observedAt, std::string(source)));
    }
    return tasks;
}

void checkAttachment(const OrcaSessionIndex& index) {
    const std::vector<TaskStatus> tasks = tasksOf(index);
    std::map<std::string, OrcaSessionReference> retained;
    for (const OrcaSessionReference& session : index.sessions)
        retained.emplace(session.taskID(), session);
    for (std::size_t limit : {std::size_t{0}, std::size_t{3}, std::size_t{30}}) {
        const std::vector<TaskStatus> attached = index.applying(tasks, retained, limit);
        std::set<std::string> keys;
        std::size_t codex = 0, claude = 0;
        for (const TaskStatus& task : attached) {
            require(keys.insert(Uuid::lowercased(task.id)).second, "ids differing in case are merged");
            require(task.orcaSession.has_value(), "every task of a session gets one");
            codex += task.provider() == TaskProvider::codex;
            claude += task.provider() == TaskProvider::claude;
        }
        require(codex <= limit && claude <= limit, "at most `limit` tasks of each provider");
        for (std::size_t i = 1; i < attached.size(); ++i)
            require(attached[i - 1].updatedAt >= attached[i].updatedAt, "newest first");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto index = decoded(fuzzing::bytes(data, size));
    if (!index)
        return 0;
    require(index->sessions.size() <= OrcaSessionIndex::maxEntries, "at most maxEntries sessions");
    for (const OrcaSessionReference& session : index->sessions) {
        checkSession(session);
        require(!index->matches(capitals(session.taskID())).empty(), "matching ignores letter case");
    }
    checkAttachment(*index);
    return 0;
}
