#include "Claude/ClaudeDesktopSessionIndex.h"
#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeSessionReader.h"
#include "Claude/ClaudeSessionReaderCache.h"
#include "Support/DirectoryListing.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileInfo.h"
#include "Support/PathText.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <set>

namespace quorvel::ClaudeSessionReader {

namespace {

constexpr double futureToleranceSeconds = 60;
constexpr double recentSeconds = 86'400;

struct Candidate {
    std::string path; // a std::filesystem::path is made only where the file is read
    Date modifiedAt;
    FileKey key;
};

std::optional<Candidate> candidate(const DirectoryWalker::Entry& entry, Date now) {
    if (DirectoryListing::pathExtension(entry.name()) != "jsonl")
        return std::nullopt;
    FileInfo info = entry.info();
    if (!info.isRegular() || info.size > maxTranscriptBytes)
        return std::nullopt;
    Date modifiedAt = Date::fromUnix(info.modifiedUnixSeconds());
    double age = now - modifiedAt;
    if (age < -futureToleranceSeconds || age >= recentSeconds)
        return std::nullopt;
    return Candidate{entry.pathText(), modifiedAt, FileKey::of(info)};
}

std::vector<Candidate> recentTranscripts(const std::filesystem::path& folder, Date now, Cache* cache) {
    std::vector<Candidate> candidates;
    DirectoryWalker::walkEntries(
        folder,
        [&](const DirectoryWalker::Entry& entry) {
            if (auto found = candidate(entry, now))
                candidates.push_back(std::move(*found));
            return true;
        },
        cache ? &cache->listings : nullptr, DirectoryWalker::windowStart(now, recentSeconds));
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.modifiedAt > b.modifiedAt; });
    return candidates;
}

std::map<std::string, ClaudeHookRecord> hookRecordsBySession(const ClaudeHookStore& store, Date now,
                                                             Cache* cache) {
    std::map<std::string, ClaudeHookRecord> records;
    try {
        for (ClaudeHookRecord& record : store.loadAll(now, cache ? &cache->hookRecords : nullptr))
            records.insert_or_assign(record.sessionID, std::move(record));
    } catch (const std::exception&) {
        records.clear();
    }
    return records;
}

std::optional<ClaudeDesktopSessionIndex::Snapshot> desktopSnapshot(const std::filesystem::path& root) {
    try {
        return ClaudeDesktopSessionIndex::snapshot(root);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Hook records carry whole seconds while transcript times carry milliseconds, so a record written in
// the same second as the transcript's last line counts as at least as new.
void applyHookRecord(TaskStatus& task, const ClaudeHookRecord& record) {
    if (record.updatedAt.seconds < std::floor(task.updatedAt.seconds))
        return;
    if (record.state == LightState::done) {
        task.state = LightState::done;
        task.confirmedAttentionPending = false;
    } else {
        task.state = record.state;
        task.updatedAt = record.updatedAt;
        task.confirmedAttentionPending = record.confirmedAttentionPending;
    }
    if (!task.projectName)
        task.projectName = PathText::lastComponent(record.cwd);
}

void applyDesktopSession(TaskStatus& task, const std::string& sessionID,
                         const std::optional<ClaudeDesktopSessionIndex::Snapshot>& snapshot) {
    if (!snapshot)
        return;
    if (auto found = snapshot->sessionIDs.find(sessionID); found != snapshot->sessionIDs.end())
        task.providerSessionID = found->second;
    if (auto found = snapshot->lastFocusedAt.find(sessionID); found != snapshot->lastFocusedAt.end())
        task.providerSessionLastFocusedAt = found->second;
}

std::optional<TaskStatus> transcriptTask(const std::filesystem::path& path) {
    std::string name = path.stem().string();
    if (!Uuid::isUuidText(name))
        return std::nullopt;
    std::string bytes = transcriptData(path, transcriptWindowBytes);
    return parse(bytes, name, "Claude task " + Unicode::graphemePrefix(name, 8));
}

std::optional<TaskStatus> cachedTranscriptTask(const Candidate& candidate, Cache* cache) {
    if (cache == nullptr)
        return transcriptTask(candidate.path);
    return cache->transcripts.value(candidate.path, candidate.key,
                                    [&] { return transcriptTask(candidate.path); });
}

} // namespace

std::vector<TaskStatus> load(const std::filesystem::path& home, const ClaudeHookStore& hookStore, Date now,
                             const std::filesystem::path& desktopSessionsRoot, std::int64_t limit,
                             Cache* cache) {
    std::filesystem::path folder = home / "projects";
    std::error_code error;
    if (!std::filesystem::exists(folder, error))
        return {};
    std::vector<Candidate> candidates = recentTranscripts(folder, now, cache);
    auto hookRecords = hookRecordsBySession(hookStore, now, cache);
    auto snapshot = desktopSnapshot(desktopSessionsRoot);

    std::vector<TaskStatus> tasks;
    std::set<std::string> seen;
    for (const Candidate& candidate : candidates) {
        if (static_cast<std::int64_t>(tasks.size()) >= limit)
            break;
        auto task = cachedTranscriptTask(candidate, cache);
        if (!task)
            continue;
        auto sessionID = task->claudeSessionID();
        if (!sessionID || !seen.insert(*sessionID).second)
            continue;
        if (auto record = hookRecords.find(*sessionID); record != hookRecords.end())
            applyHookRecord(*task, record->second);
        applyDesktopSession(*task, *sessionID, snapshot);
        tasks.push_back(std::move(*task));
    }
    return tasks;
}

} // namespace quorvel::ClaudeSessionReader
