// Measures the background refresh over a home folder, with inotify telling it what changed as in the
// application: the first (cold) refresh, ticks with nothing changed, sweeps (the ticks that ask lstat
// of every file again, once a minute), ticks in which five transcripts grew, and in the same run the
// floors they are held against: merely lstat-ing every file the refresh looks at, and reading and
// parsing the five grown transcripts. It checks that the last tick equals an uncached refresh.
//
//   refresh-bench --home DIR [--generate [--at-rest]] [--ticks N | --dump]
//
// --generate writes the heavy corpus into DIR first (--at-rest: one whose tasks are all finished and
// read, so that the tray program has nothing to animate).
#include "Claude/ClaudeSessionReader.h"
#include "Refresh/RefreshWorker.h"
#include "RefreshCorpus.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileInfo.h"
#include "Support/InotifyFolderWatch.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "SyntheticSessions.h"
#include "WallClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    bool atRest = false;
    bool dump = false;
    int ticks = 0;
};

[[noreturn]] void usage() {
    std::fputs("usage: refresh-bench --home DIR [--generate [--at-rest]] [--ticks N | --dump]\n", stderr);
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
        else if (argument == "--at-rest")
            options.atRest = true;
        else if (argument == "--dump")
            options.dump = true;
        else
            usage();
    }
    if (options.home.empty() || (options.dump && options.ticks > 0) ||
        (options.atRest && !options.generate) || (!options.generate && !options.dump && options.ticks <= 0))
        usage();
    return options;
}

template <typename Body> double milliseconds(Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double threadCpuMilliseconds() {
    timespec time{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

// The processor time the body took: on a shared machine it leaves out the waits for a processor that
// other programs cause.
template <typename Body> double cpuMilliseconds(Body&& body) {
    const double start = threadCpuMilliseconds();
    body();
    return threadCpuMilliseconds() - start;
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
    const fs::path support = Locations::applicationSupport(environment.home);
    walk(environment.claudeHome() / "projects");
    walk(environment.codexHome() / "sessions");
    walk(environment.codexHome() / "automations");
    walk(Locations::quorvelSupport(environment.home));
    walk(support / "Orca");
    walk(support / "Claude/claude-code-sessions");
    walk(environment.home / "Library/Logs/com.openai.codex");
    for (const char* name : {"session_index.jsonl", ".codex-global-state.json"})
        files.push_back(environment.codexHome() / name);
    files.push_back(environment.home / ".claude/settings.json");
    return files;
}

double statFloor(const std::vector<fs::path>& files) {
    return cpuMilliseconds([&] {
        struct stat status {};
        for (const auto& file : files)
            ::lstat(file.c_str(), &status);
    });
}

// On a shared machine the load changes from one moment to the next: each tick is held against a floor
// taken right after it, and the ratios' median is reported. (A floor pass pushes the refresh's own data
// out of the processor's caches; a steady tick is measured after one unmeasured tick, as ticks that
// follow each other run.)
struct Rounds {
    std::vector<double> ticks, floors, ratios;

    void add(double tick, double floor) {
        ticks.push_back(tick);
        floors.push_back(floor);
        ratios.push_back(floor > 0 ? tick / floor : 0);
    }
};

// Five transcripts grow by one exchange each; returns them.
std::vector<fs::path> appendActivity(const std::vector<fs::path>& transcripts, int tick,
                                     bench::SyntheticSessions& sessions) {
    std::vector<fs::path> grown;
    for (int i = 0; i < 5 && !transcripts.empty(); ++i) {
        const fs::path& path = transcripts[static_cast<std::size_t>(tick * 5 + i) % transcripts.size()];
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << sessions.claudeActivity(path.stem().string(), "/home/dev/project",
                                       testing::wallClock().unixSeconds());
        grown.push_back(path);
    }
    return grown;
}

// What the Claude reader does for each changed transcript: read its window and parse it.
double rereadMilliseconds(const std::vector<fs::path>& transcripts) {
    return cpuMilliseconds([&] {
        for (const fs::path& path : transcripts) {
            const std::string name = path.stem().string();
            ClaudeSessionReader::parse(
                ClaudeSessionReader::transcriptData(path, ClaudeSessionReader::transcriptWindowBytes), name,
                "Claude task " + name.substr(0, 8));
        }
    });
}

bool sameAsUncached(const RefreshSnapshot& cached, const RefreshEnvironment& environment, Date now) {
    const RefreshSnapshot fresh = loadRefreshSnapshot(true, true, environment, now);
    return cached.tasks == fresh.tasks && cached.diagnostic == fresh.diagnostic &&
           cached.claudeHealth == fresh.claudeHealth && cached.readState.claude == fresh.readState.claude;
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
    // The ticks here run back to back, so each reads as if a second and a bit after the changes; a
    // sweep is brought on by reading as if a minute later.
    double readOffset = 1.1;
    RefreshWorker worker([&] { return testing::wallClock() + readOffset; },
                         std::make_unique<InotifyFolderWatch>());
    auto tick = [&] { return worker.load(true, true, environment, testing::wallClock()); };
    const auto files = watchedFiles(environment);
    RefreshSnapshot snapshot;
    double coldCpu = 0;
    const double cold = milliseconds([&] { coldCpu = cpuMilliseconds([&] { snapshot = tick(); }); });
    Rounds steady, sweeps;
    std::vector<double> active, reread;
    const FileStatusCache& statuses = *worker.cache().files;
    auto asked = [&] { return statuses.statistics().asked; };
    auto parsed = [&] {
        const ReaderCache& cache = worker.cache();
        return cache.claude.transcripts.misses() + cache.orcaTranscripts.misses() +
               cache.codex.histories.misses();
    };
    const std::uint64_t askedBeforeSteady = asked();
    for (int round = 0; round < ticks; ++round) {
        tick();
        const double spent = cpuMilliseconds(tick);
        steady.add(spent, statFloor(files));
    }
    const std::uint64_t askedInSteady = asked() - askedBeforeSteady;
    for (int round = 0; round < ticks; ++round) {
        readOffset += FileStatusCache::sweepInterval;
        const double spent = cpuMilliseconds(tick);
        sweeps.add(spent, statFloor(files));
    }
    const auto transcripts = bench::recentClaudeTranscripts(environment.claudeHome(), testing::wallClock());
    bench::SyntheticSessions sessions(99);
    const std::uint64_t askedBeforeActive = asked(), parsedBeforeActive = parsed();
    for (int round = 0; round < ticks; ++round) {
        const std::vector<fs::path> grown = appendActivity(transcripts, round, sessions);
        active.push_back(cpuMilliseconds([&] { snapshot = tick(); }));
        reread.push_back(rereadMilliseconds(grown));
    }
    const double askedPerActiveTick = static_cast<double>(asked() - askedBeforeActive) / ticks;
    const double parsedPerActiveTick = static_cast<double>(parsed() - parsedBeforeActive) / ticks;
    const bool equal = sameAsUncached(snapshot, environment, testing::wallClock());
    const double steadyMedian = median(steady.ticks);
    const double activeExtra = median(active) - steadyMedian;
    const nlohmann::json output = {
        {"cold_ms", cold},
        {"cold_cpu_ms", coldCpu},
        {"steady_ms_median", steadyMedian},
        {"sweep_ms_median", median(sweeps.ticks)},
        {"active_ms_median", median(active)},
        {"reread_five_ms_median", median(reread)},
        {"active_minus_steady_to_reread", median(reread) > 0 ? activeExtra / median(reread) : 0},
        {"stat_floor_ms_median", median(steady.floors)},
        {"steady_to_stat_floor", median(steady.ratios)},
        {"sweep_to_stat_floor", median(sweeps.ratios)},
        {"files_watched", files.size()},
        {"inotify_watches", statuses.statistics().watches},
        {"lstat_asked_per_steady_tick", static_cast<double>(askedInSteady) / (2 * ticks)},
        {"lstat_asked_per_active_tick", askedPerActiveTick},
        {"transcripts_parsed_per_active_tick", parsedPerActiveTick},
        {"tasks", snapshot.tasks.size()},
        {"reused", worker.reused()},
        {"equal_to_uncached", equal}};
    std::cout << output.dump() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    // Quorvel's own files belong to the given home, never to the data folder of whoever runs this.
    ::unsetenv("XDG_DATA_HOME");
    RefreshEnvironment environment = RefreshEnvironment::fromProcess();
    environment.home = options.home;
    if (options.generate) {
        fs::create_directories(options.home);
        const double seconds = milliseconds([&] {
            bench::RefreshCorpus{.atRest = options.atRest}.generate(options.home, testing::wallClock());
        });
        std::fprintf(stderr, "generated corpus in %.1f s\n", seconds / 1000);
    }
    if (options.dump)
        dump(environment);
    else if (options.ticks > 0)
        measure(environment, options.ticks);
    return 0;
}
