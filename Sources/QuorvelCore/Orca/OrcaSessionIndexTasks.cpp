#include "Claude/ClaudeSessionReader.h"
#include "Codex/SessionReader.h"
#include "Orca/OrcaLocalFile.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/DirectoryListing.h"
#include "Support/FileDescriptor.h"
#include "Support/FileInfo.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_map>

namespace quorvel {

namespace {

constexpr std::uint64_t transcriptWindow = 524'288;
constexpr double transcriptMaxAge = 86'400;

// The path with "." and ".." removed and no trailing separator.
std::string standardized(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool resolvesToItself(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr && path == resolved;
}

// What lstat tells of the file at an absolute path when no part of the path is a symbolic link;
// nothing otherwise. One lookup that refuses links where the kernel has it, else realpath.
std::optional<FileInfo> infoReachedWithoutLinks(const std::string& path) {
    open_how how{};
    how.flags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long descriptor = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (descriptor >= 0) {
        const FileDescriptor file(static_cast<int>(descriptor));
        return FileInfo::ofOpen(file.get(), path);
    }
    if (errno != ENOSYS && errno != EPERM)
        return std::nullopt;
    if (!resolvesToItself(path))
        return std::nullopt;
    return FileInfo::of(path);
}

struct ReadableTranscript {
    std::filesystem::path path;
    FileKey version;
};

// The transcript file of a reference when it may be read: under home, a ".jsonl" file reached through
// no link, changed within the last day.
// `base`: the home folder standardized, with a final "/".
std::optional<ReadableTranscript> readableTranscript(const OrcaSessionReference& reference,
                                                     const std::string& base, Date now) {
    if (!reference.transcriptPath)
        return std::nullopt;
    const std::string file = standardized(*reference.transcriptPath);
    if (!file.starts_with(base))
        return std::nullopt;
    if (DirectoryListing::pathExtension(std::filesystem::path(file).filename().string()) != "jsonl")
        return std::nullopt;
    const std::optional<FileInfo> info = file.starts_with('/') ? infoReachedWithoutLinks(file) : std::nullopt;
    if (!info)
        return std::nullopt;
    if (now - Date::fromUnix(info->modifiedUnixSeconds()) >= transcriptMaxAge)
        return std::nullopt;
    return ReadableTranscript{file, FileKey::of(*info)};
}

std::string fallbackName(std::string_view label, const std::string& sessionID) {
    return std::string(label) + " task " + sessionID.substr(0, 8);
}

std::optional<TaskStatus> claudeTask(const std::filesystem::path& file, const std::string& tail,
                                     const OrcaSessionReference& reference) {
    std::string data;
    try {
        data = ClaudeSessionReader::transcriptData(file, transcriptWindow);
    } catch (const std::exception&) {
        data = tail;
    }
    return ClaudeSessionReader::parse(data, reference.sessionID, fallbackName("Claude", reference.sessionID));
}

std::optional<TaskStatus> codexTask(const std::filesystem::path& file, const std::string& tail,
                                    const OrcaSessionReference& reference) {
    const auto sessionID = SessionReader::sessionID(file);
    if (!sessionID || Uuid::lowercased(*sessionID) != reference.sessionID)
        return std::nullopt;
    const std::string id = reference.provider + "-" + Uuid::lowercased(reference.sessionID);
    const auto name =
        SessionReader::conversationName(file).value_or(fallbackName("Codex", reference.sessionID));
    return SessionReader::parse(tail, id, name);
}

std::optional<TaskStatus> parsedTranscript(const std::filesystem::path& file,
                                           const OrcaSessionReference& reference) {
    const std::string tail = OrcaLocalFile::tail(file, transcriptWindow);
    auto task =
        reference.provider == "claude" ? claudeTask(file, tail, reference) : codexTask(file, tail, reference);
    if (!task || Uuid::lowercased(task->id) != reference.taskID())
        return std::nullopt;
    return task;
}

std::optional<TaskStatus> transcriptTask(const OrcaSessionReference& reference, const std::string& base,
                                         Date now, OrcaSessionIndex::TranscriptCache* cache) {
    const auto file = readableTranscript(reference, base, now);
    if (!file)
        return std::nullopt;
    auto parse = [&] { return parsedTranscript(file->path, reference); };
    // The same file read for another session gives another task, so the session is part of the key.
    auto task =
        cache ? cache->value(file->path.string() + "\n" + reference.taskID(), file->version, parse) : parse();
    if (task)
        task->orcaSession = reference;
    return task;
}

// "Claude task " or "Codex task " and the id's second "-" piece: the fallback name of a transcript task.
std::string placeholderName(const TaskStatus& task, std::string_view key) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0; start <= key.size();) {
        const auto end = std::min(key.find('-', start), key.size());
        if (end > start)
            pieces.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    const std::string label = task.provider() == TaskProvider::claude ? "Claude" : "Codex";
    return label + " task " + std::string(pieces.size() >= 2 ? pieces[1] : std::string_view());
}

// Each task id's newest session; of equally new ones the first in index order.
std::unordered_map<std::string, const OrcaSessionReference*> newestSessions(const OrcaSessionIndex& index) {
    std::unordered_map<std::string, const OrcaSessionReference*> newest;
    for (const OrcaSessionReference& reference : index.sessions) {
        const OrcaSessionReference*& best = newest[reference.taskID()];
        if (best == nullptr || reference.observedAt > best->observedAt)
            best = &reference;
    }
    return newest;
}

// Sorts pointers rather than the tasks themselves: the refresh runs this on every tick.
std::vector<TaskStatus> keepingPerProviderLimit(std::vector<TaskStatus> tasks, std::size_t limit) {
    std::vector<TaskStatus*> order;
    order.reserve(tasks.size());
    for (TaskStatus& task : tasks)
        order.push_back(&task);
    std::ranges::sort(order, [](const TaskStatus* a, const TaskStatus* b) {
        return a->updatedAt != b->updatedAt ? a->updatedAt > b->updatedAt : a->id < b->id;
    });
    std::array<std::size_t, 3> counts{};
    std::vector<TaskStatus> kept;
    for (TaskStatus* task : order) {
        const auto provider = task->provider();
        const auto count = ++counts[static_cast<std::size_t>(provider)];
        if (provider == TaskProvider::local || count <= limit)
            kept.push_back(std::move(*task));
    }
    return kept;
}

} // namespace

std::vector<TaskStatus> OrcaSessionIndex::transcriptTasks(const std::filesystem::path& home, Date now,
                                                          TranscriptCache* cache) const {
    std::string base = standardized(home);
    if (!base.ends_with('/'))
        base += '/';
    std::vector<TaskStatus> tasks;
    for (const auto& reference : sessions) {
        try {
            if (auto task = transcriptTask(reference, base, now, cache))
                tasks.push_back(std::move(*task));
        } catch (const std::exception&) {
            // An unreadable transcript yields no task.
        }
    }
    return tasks;
}

std::vector<TaskStatus>
OrcaSessionIndex::applying(std::vector<TaskStatus> tasks,
                           const std::map<std::string, OrcaSessionReference>& retained,
                           std::size_t limit) const {
    const auto newest = newestSessions(*this);
    // Each id's kept task, by position: the tasks stay where they are until the kept ones are taken.
    std::unordered_map<std::string, std::size_t> byKey;
    std::vector<bool> kept(tasks.size(), false);
    for (std::size_t position = 0; position < tasks.size(); ++position) {
        TaskStatus& task = tasks[position];
        std::string key = Uuid::lowercased(task.id);
        if (const auto best = newest.find(key); best != newest.end())
            task.orcaSession = *best->second;
        else if (const auto owned = retained.find(key); owned != retained.end())
            task.orcaSession = owned->second;

        const auto existing = byKey.find(key);
        if (existing == byKey.end()) {
            byKey.emplace(std::move(key), position);
            kept[position] = true;
            continue;
        }
        TaskStatus& earlier = tasks[existing->second];
        const std::string placeholder = placeholderName(task, existing->first);
        if (earlier.updatedAt >= task.updatedAt) {
            if (earlier.name == placeholder)
                earlier.name = task.name;
            if (task.orcaSession)
                earlier.orcaSession = task.orcaSession;
            continue;
        }
        if (task.name == placeholder)
            task.name = earlier.name;
        kept[existing->second] = false;
        kept[position] = true;
        existing->second = position;
    }

    std::vector<TaskStatus> merged;
    merged.reserve(byKey.size());
    for (std::size_t position = 0; position < tasks.size(); ++position)
        if (kept[position])
            merged.push_back(std::move(tasks[position]));
    return keepingPerProviderLimit(std::move(merged), limit);
}

} // namespace quorvel
