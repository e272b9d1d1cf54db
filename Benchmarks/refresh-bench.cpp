// Measures the background refresh over a home folder: the first (cold) refresh, ticks with nothing
// changed, ticks in which a few transcripts grew, and the floor of merely lstat-ing every file the
// refresh looks at, all in one run.
//
//   refresh-bench --home DIR [--generate] --ticks N
//   refresh-bench --home DIR --dump
#include "Refresh/RefreshWorker.h"
#include "RefreshCorpus.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "SyntheticSessions.h"
#include "WallClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

struct Options {
    fs::path home;
    bool generate = false;
    bool dump = false;
    int ticks = 0;
};

[[noreturn]] void usage() {
    std::fputs("usage: refresh-bench --home DIR [--generate] (--ticks N | --dump)\n", stderr);
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--home" && i + 1 < argc)
            options.home = argv[++i];
        else if (argument == "--ticks" && i + 1 < argc)
            options.ticks = std::atoi(argv[++i]);
        else if (argument == "--generate")
            options.generate = true;
        else if (argument == "--dump")
            options.dump = true;
        else
            usage();
    }
    if (options.home.empty() || (options.dump == (options.ticks > 0)))
        usage();
    return options;
}

template <typename Body> double milliseconds(Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Every file a refresh may look at: the walked trees and the fixed files.
std::vector<fs::path> watchedFiles(const RefreshEnvironment& environment) {
    std::vector<fs::path> files;
    auto walk = [&](const fs::path& root) {
        DirectoryWalker::walk(root, [&](const fs::path& path) { files.push_back(path); });
    };
    const fs::path support = environment.home / "Library/Application Support";
    walk(environment.claudeHome() / "projects");
    walk(environment.codexHome() / "sessions");
    walk(environment.codexHome() / "automations");
    walk(support / "Quorvel");
    walk(support / "Orca");
    walk(support / "Claude/claude-code-sessions");
    walk(environment.home / "Library/Logs/com.openai.codex");
    for (const char* name : {"session_index.jsonl", ".codex-global-state.json"})
        files.push_back(environment.codexHome() / name);
    files.push_back(environment.home / ".claude/settings.json");
    return files;
}

double statFloor(const std::vector<fs::path>& files) {
    std::vector<double> samples;
    for (int round = 0; round < 5; ++round)
        samples.push_back(milliseconds([&] {
            struct stat status {};
            for (const auto& file : files)
                ::lstat(file.c_str(), &status);
        }));
    return median(samples);
}

void appendActivity(const std::vector<fs::path>& transcripts, int tick, bench::SyntheticSessions& sessions) {
    for (int i = 0; i < 5 && !transcripts.empty(); ++i) {
        const fs::path& path = transcripts[static_cast<std::size_t>(tick * 5 + i) % transcripts.size()];
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << sessions.claudeActivity(path.stem().string(), "/home/dev/project",
                                       testing::wallClock().unixSeconds());
    }
}

void dump(const RefreshEnvironment& environment) {
    const RefreshSnapshot snapshot = loadRefreshSnapshot(true, true, environment, testing::wallClock());
    nlohmann::json tasks = nlohmann::json::array();
    for (const auto& task : snapshot.tasks)
        tasks.push_back(task.toJson());
    nlohmann::json output = {
        {"tasks", tasks},
        {"diagnostic", snapshot.diagnostic ? nlohmann::json(*snapshot.diagnostic) : nullptr},
        {"claudeHealth", ClaudeIntegrationHealths::rawValue(snapshot.claudeHealth)}};
    std::cout << JsonText::prettySorted(output) << "\n";
}

void measure(const RefreshEnvironment& environment, int ticks) {
    // Ticks come every 3 seconds, so most files a tick sees changed more than a second before it; such
    // files are trusted from the cache (one changed within that second is read again at the next tick).
    // The ticks here run back to back, so each reads as if a second and a bit after the changes.
    RefreshWorker worker([] { return testing::wallClock() + 1.1; });
    RefreshSnapshot snapshot;
    const double cold =
        milliseconds([&] { snapshot = worker.load(true, true, environment, testing::wallClock()); });
    std::vector<double> steady, active;
    for (int tick = 0; tick < ticks; ++tick)
        steady.push_back(milliseconds([&] { worker.load(true, true, environment, testing::wallClock()); }));
    const auto transcripts = bench::recentClaudeTranscripts(environment.claudeHome(), testing::wallClock());
    bench::SyntheticSessions sessions(99);
    for (int tick = 0; tick < ticks; ++tick) {
        appendActivity(transcripts, tick, sessions);
        active.push_back(milliseconds([&] { worker.load(true, true, environment, testing::wallClock()); }));
    }
    const auto files = watchedFiles(environment);
    const double floor = statFloor(files);
    const nlohmann::json output = {{"cold_ms", cold},
                                   {"steady_ms_median", median(steady)},
                                   {"active_ms_median", median(active)},
                                   {"stat_floor_ms", floor},
                                   {"steady_to_stat_floor", floor > 0 ? median(steady) / floor : 0},
                                   {"files_watched", files.size()},
                                   {"tasks", snapshot.tasks.size()}};
    std::cout << output.dump() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    RefreshEnvironment environment = RefreshEnvironment::fromProcess();
    environment.home = options.home;
    if (options.generate) {
        fs::create_directories(options.home);
        const double seconds =
            milliseconds([&] { bench::RefreshCorpus{}.generate(options.home, testing::wallClock()); });
        std::fprintf(stderr, "generated corpus in %.1f s\n", seconds / 1000);
    }
    if (options.dump)
        dump(environment);
    else
        measure(environment, options.ticks);
    return 0;
}
