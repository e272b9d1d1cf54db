#include "RefreshCorpus.h"

#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeReadState.h"
#include "Codex/CodexAutomationReadState.h"
#include "CodexHistoryGenerator.h"
#include "Model/StatusStore.h"
#include "Orca/OrcaReadState.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "SyntheticSessions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace quorvel::bench {
namespace {

namespace fs = std::filesystem;

void writeDated(const fs::path& path, const std::string& bytes, double unixSeconds) {
    fs::create_directories(path.parent_path());
    FileIO::writeAtomically(path, bytes, 0600);
    timespec times[2];
    times[0].tv_sec = static_cast<time_t>(unixSeconds);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string dayFolder(double unixSeconds) {
    const std::string iso = Iso8601::formatWholeSeconds(Date::fromUnix(unixSeconds));
    return iso.substr(0, 4) + "/" + iso.substr(5, 2) + "/" + iso.substr(8, 2);
}

std::string rolloutName(double unixSeconds, const std::string& id) {
    std::string iso = Iso8601::formatWholeSeconds(Date::fromUnix(unixSeconds));
    iso.pop_back();
    std::replace(iso.begin(), iso.end(), ':', '-');
    return "rollout-" + iso + "-" + id + ".jsonl";
}

struct Session {
    std::string id;
    fs::path path;
    double modified;
};

class Generator {
public:
    Generator(const fs::path& home, Date now) : home_(home), now_(now.unixSeconds()), sessions_(20261208) {}

    std::uint64_t recentSize(const RefreshCorpus& corpus) {
        const double low = std::log(static_cast<double>(corpus.smallestRecentBytes));
        const double high = std::log(static_cast<double>(corpus.largestRecentBytes));
        return static_cast<std::uint64_t>(std::exp(low + (high - low) * uniform()));
    }
    double uniform() { return static_cast<double>(random_() % 1000000) / 1e6; }

    Session claude(std::uint64_t bytes, double ageSeconds) {
        const std::string id = sessions_.uuid();
        const std::string project = "proj" + std::to_string(random_() % 40);
        const fs::path path = home_ / ".claude" / "projects" / ("-home-dev-" + project) / (id + ".jsonl");
        const double modified = now_ - ageSeconds;
        writeDated(path, sessions_.claudeTranscript(id, "/home/dev/" + project, bytes, modified - 1),
                   modified);
        return {id, path, modified};
    }

    Session codex(const fs::path& codexHome, std::uint64_t bytes, double ageSeconds) {
        const std::string id = sessions_.uuid();
        const double modified = now_ - ageSeconds;
        const fs::path path = codexHome / "sessions" / dayFolder(modified) / rolloutName(modified - 3600, id);
        writeDated(path, testing::generateCodexHistory(bytes, id, modified - 1200).bytes, modified);
        return {id, path, modified};
    }

    const fs::path& home() const { return home_; }
    double now() const { return now_; }
    SyntheticSessions& sessions() { return sessions_; }

private:
    fs::path home_;
    double now_;
    SyntheticSessions sessions_;
    std::mt19937 random_{7};
};

void writeHookRecords(const std::vector<Session>& claude, double now, bool atRest) {
    const ClaudeHookStore store(ClaudeHookStore::defaultDirectory());
    for (std::size_t i = 0; i < claude.size(); i += 3) {
        const nlohmann::json event = {{"session_id", claude[i].id},
                                      {"hook_event_name", i % 2 || atRest ? "Stop" : "PermissionRequest"},
                                      {"cwd", "/home/dev/project"},
                                      {"transcript_path", claude[i].path.string()}};
        store.ingest(event.dump(), Date::fromUnix(now - 120));
    }
}

void writeOrcaStatus(const std::vector<Session>& claude, const std::vector<Session>& codex,
                     SyntheticSessions& sessions, double now) {
    nlohmann::json entries = nlohmann::json::object();
    auto add = [&](const Session& session, const char* agent) {
        const std::string tab = sessions.uuid();
        const std::string key = tab + ":" + sessions.uuid();
        entries[key] = {
            {"paneKey", key},
            {"payload", {{"agentType", agent}}},
            {"providerSession",
             {{"key", "session_id"}, {"id", session.id}, {"transcriptPath", session.path.string()}}},
            {"tabId", tab},
            {"worktreeId", "wt-" + session.id.substr(0, 8)},
            {"receivedAt", (now - 300) * 1000}};
    };
    for (std::size_t i = 0; i < 10 && i < claude.size(); ++i)
        add(claude[i * 7 % claude.size()], "claude");
    for (std::size_t i = 0; i < 10 && i < codex.size(); ++i)
        add(codex[i * 5 % codex.size()], "codex");
    const nlohmann::json status = {{"version", 2}, {"entries", entries}};
    FileIO::writePrivateFile(OrcaSessionIndex::statusFile(OrcaSessionIndex::root()), status.dump());
}

void writeDesktopLogs(const fs::path& home, const std::vector<Session>& codex, SyntheticSessions& sessions,
                      double now) {
    std::string log;
    for (int i = 0; log.size() < 2'000'000; ++i) {
        const Session& session = codex[static_cast<std::size_t>(i) % codex.size()];
        const std::string when = sessions.isoTime(now - 3000 + i * 0.01);
        const std::string request = std::to_string(i);
        log += when +
               " info [electron-message-handler] [desktop-notifications] show approval conversationId=" +
               session.id + " requestId=" + request + " kind=commandExecution\n";
        log += when + " info [electron-message-handler] Sending server response id=" + request +
               " method=item/commandExecution/requestApproval response={}\n";
    }
    const fs::path file =
        home / "Library/Logs/com.openai.codex" / dayFolder(now) / "codex-desktop-main-t0-1.log";
    writeDated(file, log, now - 10);
}

void writeStateFiles(const std::vector<Session>& claude, const std::vector<Session>& codex, double now,
                     bool atRest) {
    ClaudeReadState claudeRead;
    for (std::size_t i = 0; i < claude.size(); i += atRest ? 1 : 2)
        claudeRead.readAt[claude[i].id] = Date::fromUnix(std::ceil(now - 60));
    claudeRead.save(ClaudeReadState::defaultURL(), Date::fromUnix(now));
    CodexAutomationReadState automations;
    automations.readAt[codex.front().id] = Date::fromUnix(std::ceil(now - 60));
    automations.save(CodexAutomationReadState::defaultURL(), Date::fromUnix(now));
    OrcaReadState{}.save(OrcaReadState::defaultURL(), Date::fromUnix(now));
    if (atRest)
        return;
    const StatusStore store(StatusStore::defaultDirectory());
    for (int i = 0; i < 5; ++i)
        store.write(TaskStatus::make("build-" + std::to_string(i), "Nightly build " + std::to_string(i),
                                     LightState::working, Date::fromUnix(now - 30), "Local status"));
}

// The Codex desktop app's read flags, with no thread unread.
void writeCodexNothingUnread(const fs::path& codexHome) {
    const nlohmann::json state = {
        {"electron-thread-read-state-v1",
         {{"version", 1}, {"unreadByIdentity", {{"me", {{"local:me", nlohmann::json::array()}}}}}}}};
    FileIO::writePrivateFile(codexHome / ".codex-global-state.json", state.dump());
}

void writeCodexIndex(const fs::path& codexHome, const std::vector<Session>& codex) {
    std::string index;
    for (std::size_t i = 0; i < codex.size(); i += 2)
        index +=
            nlohmann::json({{"id", codex[i].id}, {"thread_name", "Thread " + std::to_string(i)}}).dump() +
            "\n";
    FileIO::writePrivateFile(codexHome / "session_index.jsonl", index);
}

} // namespace

void RefreshCorpus::generate(const std::filesystem::path& home, Date now) const {
    // The stores below write to their default folders under HOME.
    ::setenv("HOME", home.c_str(), 1);
    Generator generator(home, now);
    const fs::path codexHome = home / ".codex";
    std::vector<Session> claude, codex;
    for (int i = 0; i < recentClaudeTranscripts; ++i)
        claude.push_back(generator.claude(generator.recentSize(*this), 60 + generator.uniform() * 72000));
    for (int i = 0; i < recentCodexHistories; ++i)
        codex.push_back(
            generator.codex(codexHome, generator.recentSize(*this), 60 + generator.uniform() * 72000));
    for (int i = 0; i < olderFilesEach; ++i) {
        generator.claude(20'000 + i % 50'000, 90'000 + i * 1200.0);
        generator.codex(codexHome, 20'000 + i % 50'000, 90'000 + i * 1200.0);
    }
    writeCodexIndex(codexHome, codex);
    writeHookRecords(claude, generator.now(), atRest);
    if (atRest)
        writeCodexNothingUnread(codexHome);
    else
        writeOrcaStatus(claude, codex, generator.sessions(), generator.now());
    writeDesktopLogs(home, codex, generator.sessions(), generator.now());
    writeStateFiles(claude, codex, generator.now(), atRest);
}

std::vector<std::filesystem::path> recentClaudeTranscripts(const std::filesystem::path& claudeHome,
                                                           Date now) {
    std::vector<std::pair<double, fs::path>> found;
    DirectoryWalker::walk(claudeHome / "projects", [&](const fs::path& path) {
        if (path.extension() != ".jsonl")
            return;
        const auto info = FileInfo::of(path);
        if (info.isRegular() && now.unixSeconds() - info.modifiedUnixSeconds() < 86400)
            found.emplace_back(info.modifiedUnixSeconds(), path);
    });
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<fs::path> paths;
    for (auto& [modified, path] : found)
        paths.push_back(path);
    return paths;
}

} // namespace quorvel::bench
