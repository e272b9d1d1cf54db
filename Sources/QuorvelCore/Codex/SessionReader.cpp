#include "Codex/SessionReader.h"

#include "Codex/CodexAutomationIndex.h"
#include "Codex/CodexGlobalState.h"
#include "Codex/CodexProjects.h"
#include "Codex/SessionReaderCache.h"
#include "Support/BoundedReader.h"
#include "Support/DirectoryListing.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/PathText.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

namespace quorvel::SessionReader {

namespace {

using simdjson::dom::object;

constexpr std::uint64_t sessionIDBytes = 65'536;
constexpr std::uint64_t historyBytes = 524'288;
constexpr std::uint64_t sessionIndexBytes = 2'000'000;
constexpr std::size_t maxNameCharacters = 160;
constexpr double recentSeconds = 86'400;

NameMap projectNames(const std::filesystem::path& home) {
    try {
        if (std::optional<std::string> bytes = CodexGlobalState::read(home)) {
            std::map<std::string, std::string> names = CodexProjects::decode(*bytes);
            return NameMap(names.begin(), names.end());
        }
    } catch (const std::exception&) {
    }
    return {};
}

std::set<std::string> scheduledThreads(const std::filesystem::path& home) {
    try {
        return CodexAutomationIndex::load(home);
    } catch (const std::exception&) {
        return {};
    }
}

NameMap threadNames(const std::filesystem::path& home) {
    std::string bytes;
    try {
        bytes = detail::tail(home / "session_index.jsonl", sessionIndexBytes);
    } catch (const std::exception&) {
        return {};
    }
    NameMap names;
    JsonParser parser;
    forEachLine(bytes, [&](std::string_view line) {
        const std::optional<object> entry = parser.tryParseObject(line);
        if (!entry)
            return;
        const auto id = JsonValue::string(*entry, "id");
        const auto name = JsonValue::string(*entry, "thread_name");
        if (id && name)
            names.insert_or_assign(std::string(*id), std::string(*name));
    });
    return names;
}

struct Candidate {
    std::string path; // a std::filesystem::path is made only where the file is read
    std::int64_t modified;
    FileKey key;
};

// Regular session files below "sessions" changed less than a day before `now`, newest first; files
// with equal dates keep the walk's order.
std::vector<Candidate> recentSessionFiles(const std::filesystem::path& sessions, Date now, Cache* cache) {
    std::vector<Candidate> candidates;
    auto visit = [&](const DirectoryWalker::Entry& entry) {
        if (DirectoryListing::pathExtension(entry.name()) != "jsonl")
            return true;
        const std::optional<FileInfo> info = entry.infoIfExists(); // nothing when moved away since listed
        if (!info || !info->isRegular())
            return true;
        if (now - Date::fromUnix(info->modifiedUnixSeconds()) < recentSeconds)
            candidates.push_back({entry.pathText(), info->modifiedNanoseconds, FileKey::of(*info)});
        return true;
    };
    DirectoryWalker::walkEntries(sessions, visit, cache ? &cache->listings : nullptr,
                                 DirectoryWalker::windowStart(now, recentSeconds));
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.modified > b.modified; });
    return candidates;
}

std::string taskName(const NameMap& threadNames, const std::string& threadID, const Candidate& file,
                     Cache* cache) {
    if (const auto found = threadNames.find(threadID); found != threadNames.end()) {
        const std::string_view name = Unicode::trimmed(found->second);
        if (!name.empty())
            return std::string(name);
    }
    auto name = cache ? cache->conversationNames.value(file.path, file.key,
                                                       [&] { return conversationName(file.path); })
                      : conversationName(file.path);
    if (name)
        return std::move(*name);
    return "Codex task " + Unicode::graphemePrefix(threadID, 8);
}

// The user's words in one history line, or nothing when the line holds no user message.
std::optional<std::string> userText(object line) {
    const auto payload = JsonValue::object(line, "payload");
    if (!payload)
        return std::nullopt;
    const std::string_view kind = JsonValue::string(line, "type").value_or("");
    const std::string_view payloadType = JsonValue::string(*payload, "type").value_or("");
    if (kind == "event_msg" && payloadType == "user_message")
        return std::string(JsonValue::string(*payload, "message").value_or(""));
    if (kind != "response_item" || payloadType != "message" || JsonValue::string(*payload, "role") != "user")
        return std::nullopt;

    const auto passthrough = JsonValue::object(*payload, "internal_chat_message_metadata_passthrough");
    const auto kinds = passthrough ? JsonValue::array(*passthrough, "content_item_kinds") : std::nullopt;
    const auto content = JsonValue::array(*payload, "content");
    if (!kinds || !content || kinds->size() != content->size())
        return std::nullopt;
    std::vector<std::string_view> kindTexts;
    for (simdjson::dom::element kindValue : *kinds) {
        std::string_view text;
        if (kindValue.get_string().get(text) != simdjson::SUCCESS)
            return std::nullopt;
        kindTexts.push_back(text);
    }
    std::string joined;
    std::size_t index = 0;
    for (simdjson::dom::element itemValue : *content) {
        object item;
        if (itemValue.get_object().get(item) != simdjson::SUCCESS)
            return std::nullopt;
        const auto text = JsonValue::string(item, "text");
        if (kindTexts[index++] == "user.text" && JsonValue::string(item, "type") == "input_text" && text) {
            if (!joined.empty())
                joined += ' ';
            joined += *text;
        }
    }
    return joined;
}

} // namespace

std::string detail::tail(const std::filesystem::path& file, std::uint64_t limit) {
    return BoundedReader{.headLimit = 0, .tailLimit = limit, .noLineFeed = BoundedReader::NoLineFeed::empty}
        .read(file);
}

std::optional<SessionMeta> sessionMeta(const std::filesystem::path& file) {
    const std::string head = FileIO::readPrefix(file, sessionIDBytes);
    std::optional<std::string_view> firstLine;
    forEachLine(head, [&](std::string_view line) {
        if (!firstLine)
            firstLine = line;
    });
    if (!firstLine)
        return std::nullopt;
    JsonParser parser;
    const std::optional<object> root = parser.tryParseObject(*firstLine);
    if (!root || JsonValue::string(*root, "type") != "session_meta")
        return std::nullopt;
    const auto payload = JsonValue::object(*root, "payload");
    const auto id = payload ? JsonValue::string(*payload, "id") : std::nullopt;
    if (!id || !Uuid::isUuidText(*id))
        return std::nullopt;
    SessionMeta meta{std::string(*id), std::nullopt};
    if (const auto cwd = JsonValue::string(*payload, "cwd"); cwd && cwd->starts_with('/'))
        meta.cwd = std::string(*cwd);
    return meta;
}

std::optional<std::string> sessionID(const std::filesystem::path& file) {
    std::optional<SessionMeta> meta = sessionMeta(file);
    if (!meta)
        return std::nullopt;
    return std::move(meta->id);
}

std::optional<std::string> conversationName(const std::filesystem::path& file) {
    std::string head;
    try {
        head = FileIO::readPrefix(file, historyBytes);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    JsonParser parser;
    std::optional<std::string> name;
    forEachLine(head, [&](std::string_view line) {
        if (name)
            return;
        const std::optional<object> root = parser.tryParseObject(line);
        if (!root)
            return;
        const std::optional<std::string> text = userText(*root);
        if (!text)
            return;
        const std::string words = Unicode::collapsedWhiteSpace(*text);
        if (!words.empty())
            name = Unicode::graphemePrefix(words, maxNameCharacters);
    });
    return name;
}

namespace {

// The first line and the parsed history of one session file, from the cache when the file is unchanged.
std::optional<SessionMeta> cachedSessionMeta(const Candidate& file, Cache* cache) {
    if (cache == nullptr)
        return sessionMeta(file.path);
    return cache->sessionMetas.value(file.path, file.key, [&] { return sessionMeta(file.path); });
}

// The desktop app's project for the thread; without one, the last component of the session's folder.
std::optional<std::string> projectName(const NameMap& projects, const SessionMeta& meta) {
    if (const auto project = projects.find(meta.id); project != projects.end())
        return project->second;
    return meta.cwd ? PathText::lastComponent(*meta.cwd) : std::nullopt;
}

TaskStatus parsedHistory(const Candidate& file, const std::string& threadID, const std::string& name,
                         Cache* cache) {
    auto parseTail = [&](std::string_view taskName) {
        return parse(detail::tail(file.path, historyBytes), "codex-" + threadID, taskName);
    };
    if (cache == nullptr)
        return parseTail(name);
    TaskStatus task = cache->histories.value(file.path, file.key, [&] { return parseTail({}); });
    task.id = "codex-" + threadID;
    task.name = TaskStatus::shownName(name);
    return task;
}

} // namespace

void Cache::beginPass(Date readMoment, FileStatusCache* files) {
    listings.beginPass(readMoment, files);
    sessionMetas.beginPass(readMoment, files);
    conversationNames.beginPass(readMoment, files);
    histories.beginPass(readMoment, files);
    threadNames.beginPass(readMoment, files);
    projectNames.beginPass(readMoment, files);
}

void Cache::endPass() {
    listings.endPass();
    sessionMetas.endPass();
    conversationNames.endPass();
    histories.endPass();
    threadNames.endPass();
    projectNames.endPass();
}

std::vector<TaskStatus> load(const std::filesystem::path& home, Date now, std::int64_t limit, Cache* cache) {
    const std::filesystem::path sessions = home / "sessions";
    if (!infoIfExists(cache ? cache->listings.files() : nullptr, sessions))
        return {};
    const NameMap projects =
        cachedFileResult(cache ? &cache->projectNames : nullptr, CodexGlobalState::path(home),
                         [&] { return projectNames(home); });
    const std::set<std::string> scheduled = scheduledThreads(home);
    const NameMap names = cachedFileResult(cache ? &cache->threadNames : nullptr,
                                           home / "session_index.jsonl", [&] { return threadNames(home); });

    std::vector<TaskStatus> tasks;
    std::set<std::string, std::less<>> seen;
    for (const Candidate& candidate : recentSessionFiles(sessions, now, cache)) {
        if (static_cast<std::int64_t>(tasks.size()) >= limit)
            break;
        std::optional<SessionMeta> meta;
        std::optional<TaskStatus> parsed;
        try {
            meta = cachedSessionMeta(candidate, cache);
            if (!meta || !seen.insert(meta->id).second)
                continue;
            parsed = parsedHistory(candidate, meta->id, taskName(names, meta->id, candidate, cache), cache);
        } catch (const std::system_error& error) {
            // Codex archives a thread by moving its file away; one gone since the listing is left out.
            if (error.code() != std::errc::no_such_file_or_directory)
                throw;
            continue;
        }
        TaskStatus task = std::move(*parsed);
        task.projectName = projectName(projects, *meta);
        task.isScheduled = scheduled.contains(Uuid::lowercased(meta->id));
        tasks.push_back(std::move(task));
    }
    return tasks;
}

} // namespace quorvel::SessionReader
