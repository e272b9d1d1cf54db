#include "Codex/DesktopAttention.h"

#include "Support/BoundedReader.h"
#include "Support/DirectoryListing.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Locations.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <system_error>
#include <unordered_map>

namespace quorvel::DesktopAttention {

namespace {

constexpr std::uint64_t bytesPerFile = 4'194'304;
constexpr std::size_t maxFiles = 8;
constexpr std::size_t maxLineBytes = 65'535;
constexpr std::size_t maxRequestIDCharacters = 128;

constexpr std::string_view separator = " info [electron-message-handler] ";
constexpr std::string_view approvalPrefix = "[desktop-notifications] show approval ";
constexpr std::string_view questionPrefix = "[desktop-notifications] show question ";
constexpr std::string_view responsePrefix = "Sending server response ";
constexpr std::string_view questionMethod = "item/tool/requestUserInput";

struct ApprovalKind {
    std::string_view kind;
    std::string_view method;
};

constexpr std::array<ApprovalKind, 3> approvalKinds{{
    {"commandExecution", "item/commandExecution/requestApproval"},
    {"fileChange", "item/fileChange/requestApproval"},
    {"permissionRequest", "item/permissions/requestApproval"},
}};

std::optional<std::string_view> approvalMethod(std::string_view kind) {
    for (const ApprovalKind& row : approvalKinds) {
        if (row.kind == kind)
            return row.method;
    }
    return std::nullopt;
}

bool isAnswerableMethod(std::string_view method) {
    return method == questionMethod ||
           std::any_of(approvalKinds.begin(), approvalKinds.end(),
                       [&](const ApprovalKind& row) { return row.method == method; });
}

using Fields = std::map<std::string_view, std::string_view, std::less<>>;

// key=value tokens of the message before its first " response="; the later of two equal keys wins.
Fields messageFields(std::string_view message) {
    message = message.substr(0, message.find(" response="));
    Fields fields;
    std::size_t start = 0;
    while (start <= message.size()) {
        std::size_t end = message.find(' ', start);
        if (end == std::string_view::npos)
            end = message.size();
        std::string_view token = message.substr(start, end - start);
        start = end + 1;
        token.remove_prefix(std::min(token.find_first_not_of('='), token.size()));
        const std::size_t equals = token.find('=');
        if (equals == std::string_view::npos || equals == 0 || equals + 1 == token.size())
            continue;
        fields[token.substr(0, equals)] = token.substr(equals + 1);
    }
    return fields;
}

std::optional<std::string_view> field(const Fields& fields, std::string_view key) {
    const auto found = fields.find(key);
    return found == fields.end() ? std::nullopt : std::optional(found->second);
}

std::optional<Record> openingRecord(Date date, const Fields& fields, std::optional<std::string_view> method) {
    const auto conversation = field(fields, "conversationId");
    const auto request = field(fields, "requestId");
    if (!conversation || !Uuid::isUuidText(*conversation) || !request ||
        Unicode::graphemeCount(*request, maxRequestIDCharacters + 1) > maxRequestIDCharacters || !method)
        return std::nullopt;
    return Record{date, std::string(*request), std::string(*method), std::string(*conversation)};
}

std::optional<Record> closingRecord(Date date, const Fields& fields) {
    const auto id = field(fields, "id");
    const auto method = field(fields, "method");
    if (!id || !method || !isAnswerableMethod(*method))
        return std::nullopt;
    return Record{date, std::string(*id), std::string(*method), std::nullopt};
}

std::optional<Record> recordOfText(std::string_view line) {
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos || line.find(separator, at + separator.size()) != std::string_view::npos)
        return std::nullopt;
    const std::optional<Date> date = Iso8601::parseFractionalSeconds(line.substr(0, at));
    if (!date)
        return std::nullopt;
    const std::string_view message = line.substr(at + separator.size());
    if (message.starts_with(approvalPrefix)) {
        const Fields fields = messageFields(message);
        return openingRecord(*date, fields, approvalMethod(field(fields, "kind").value_or("")));
    }
    if (message.starts_with(questionPrefix))
        return openingRecord(*date, messageFields(message), questionMethod);
    if (message.starts_with(responsePrefix))
        return closingRecord(*date, messageFields(message));
    return std::nullopt;
}

std::optional<Record> recordOfLine(std::string_view line) {
    if (line.size() > maxLineBytes)
        return std::nullopt;
    if (Unicode::isValidUtf8(line))
        return recordOfText(line);
    return recordOfText(Unicode::repairedUtf8(line));
}

std::string dayFolder(Date date) {
    const auto unixSeconds = static_cast<std::time_t>(std::floor(date.unixSeconds()));
    std::tm day{};
    ::gmtime_r(&unixSeconds, &day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
    return text;
}

bool isLogFileName(std::string_view name) {
    return name.starts_with("codex-desktop-") && name.ends_with(".log") &&
           name.find("-t0-") != std::string_view::npos;
}

struct Candidate {
    std::filesystem::path path;
    std::int64_t modified;
    std::string scope;
    FileKey key;
};

void collectCandidates(const std::filesystem::path& folder, std::vector<Candidate>& candidates,
                       DirectoryListingCache* listings) {
    for (const std::string& name : DirectoryListing::entryNames(folder, listings)) {
        if (!isLogFileName(name))
            continue;
        std::filesystem::path path = folder / name;
        const std::optional<FileInfo> info = infoIfExists(listings ? listings->files() : nullptr, path);
        if (!info)
            throw std::system_error(ENOENT, std::generic_category(), path.string());
        if (!info->isRegular())
            continue;
        candidates.push_back({std::move(path), info->modifiedNanoseconds, name.substr(0, name.find("-t0-")),
                              FileKey::of(*info)});
    }
}

// The newest candidate's scope only, newest first, at most maxFiles.
std::vector<Candidate> chosenFiles(std::vector<Candidate> candidates) {
    if (candidates.empty())
        return {};
    const auto newest =
        std::max_element(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.modified < b.modified; });
    const std::string scope = newest->scope;
    std::erase_if(candidates, [&](const Candidate& candidate) { return candidate.scope != scope; });
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.modified > b.modified; });
    if (candidates.size() > maxFiles)
        candidates.resize(maxFiles);
    return candidates;
}

} // namespace

std::filesystem::path defaultDirectory(const std::filesystem::path& home) {
    return home / "Library" / "Logs" / "com.openai.codex";
}

std::vector<Record> parse(std::string_view bytes) {
    std::vector<Record> records;
    forEachLine(bytes, [&](std::string_view line) {
        if (std::optional<Record> record = recordOfLine(line))
            records.push_back(std::move(*record));
    });
    return records;
}

namespace {

std::vector<Candidate> logFiles(const std::filesystem::path& directory, Date now, Cache* cache) {
    DirectoryListingCache* listings = cache ? &cache->listings : nullptr;
    FileStatusCache* files = cache ? cache->listings.files() : nullptr;
    if (!infoIfExists(files, directory))
        return {};
    std::vector<Candidate> candidates;
    for (const double offset : {-86'400.0, 0.0}) {
        const std::filesystem::path folder = directory / dayFolder(now + offset);
        if (DirectoryListing::exists(folder, files))
            collectCandidates(folder, candidates, listings);
    }
    return chosenFiles(std::move(candidates));
}

std::vector<Record> recordsOf(const std::vector<Candidate>& files, Cache* cache) {
    const BoundedReader reader{
        .headLimit = 0, .tailLimit = bytesPerFile, .noLineFeed = BoundedReader::NoLineFeed::empty};
    std::vector<Record> records;
    for (const Candidate& file : files) {
        auto readFile = [&] { return parse(reader.read(file.path)); };
        if (cache == nullptr) {
            std::vector<Record> fileRecords = readFile();
            records.insert(records.end(), std::make_move_iterator(fileRecords.begin()),
                           std::make_move_iterator(fileRecords.end()));
        } else {
            const std::vector<Record>& fileRecords =
                cache->logs.value(file.path.string(), file.key, readFile);
            records.insert(records.end(), fileRecords.begin(), fileRecords.end());
        }
    }
    return records;
}

std::vector<std::pair<std::string, FileKey>> versions(const std::vector<Candidate>& files) {
    std::vector<std::pair<std::string, FileKey>> result;
    for (const Candidate& file : files)
        result.emplace_back(file.path.string(), file.key);
    return result;
}

// The summary of the last refresh, when it still holds: the same files at the same trusted versions,
// and no record it was made from lies after `now`.
const OpenRequests* unchangedSummary(const std::vector<std::pair<std::string, FileKey>>& files, Date now,
                                     Cache& cache) {
    if (!cache.summary || cache.summary->files != files || cache.summary->newestRecord > now)
        return nullptr;
    for (const auto& [path, key] : files) {
        if (cache.logs.find(path, key) == nullptr)
            return nullptr;
    }
    return &cache.summary->open;
}

} // namespace

std::vector<Record> load(const std::filesystem::path& directory, Date now, Cache* cache) {
    return recordsOf(logFiles(directory, now, cache), cache);
}

OpenRequests loadOpenRequests(const std::filesystem::path& directory, Date now, Cache* cache) {
    const std::vector<Candidate> files = logFiles(directory, now, cache);
    if (cache == nullptr)
        return openRequests(recordsOf(files, nullptr), now);
    auto fileVersions = versions(files);
    if (const OpenRequests* open = unchangedSummary(fileVersions, now, *cache))
        return *open;
    const std::vector<Record> records = recordsOf(files, cache);
    Date newest = Date::distantPast();
    for (const Record& record : records)
        newest = std::max(newest, record.date);
    OpenRequests open = openRequests(records, now);
    // Made from every record (none left out as later than `now`), it holds for any time from `newest` on.
    if (newest <= now)
        cache->summary = Cache::Summary{std::move(fileVersions), newest, open};
    else
        cache->summary.reset();
    return open;
}

OpenRequests openRequests(const std::vector<Record>& records, Date now) {
    std::vector<const Record*> byDate;
    byDate.reserve(records.size());
    for (const Record& record : records)
        byDate.push_back(&record);
    std::stable_sort(byDate.begin(), byDate.end(),
                     [](const Record* a, const Record* b) { return a->date < b->date; });

    std::unordered_map<std::string, const Record*> open;
    for (const Record* record : byDate) {
        if (record->date > now)
            continue;
        std::string key = record->method + ":" + record->requestID;
        if (record->threadID)
            open[std::move(key)] = record;
        else
            open.erase(key);
    }

    OpenRequests newestByThread;
    for (const auto& [key, record] : open) {
        const auto [found, added] = newestByThread.try_emplace(*record->threadID, record->date);
        if (!added)
            found->second = std::max(found->second, record->date);
    }
    return newestByThread;
}

std::vector<TaskStatus> applying(const OpenRequests& open, std::vector<TaskStatus> tasks) {
    for (TaskStatus& task : tasks) {
        if (task.source != codexHistorySource || !task.id.starts_with("codex-"))
            continue;
        // The newest open request counts when it is newer than the last turn boundary.
        const auto found = open.find(std::string_view(task.id).substr(6));
        if (found == open.end() || (task.lastTurnBoundaryAt && found->second <= *task.lastTurnBoundaryAt))
            continue;
        task.state = LightState::waiting;
        task.confirmedAttentionPending = true;
        if (found->second >= task.updatedAt)
            task.updatedAt = found->second;
    }
    return tasks;
}

std::vector<TaskStatus> applying(const std::vector<Record>& records, std::vector<TaskStatus> tasks,
                                 Date now) {
    return applying(openRequests(records, now), std::move(tasks));
}

} // namespace quorvel::DesktopAttention
