// Parsing a 1 MiB Claude Code transcript, as a ratio to merely parsing each of its lines with
// nlohmann::json (the parser must be at least 10 times faster). Prints one JSON object.
#include "../Tests/Shared/ClaudeTranscriptLines.h"
#include "Claude/ClaudeSessionReader.h"
#include "Support/BoundedReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int rounds = 41;

template <typename Body> double seconds(Body&& body) {
    auto start = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main() {
    using namespace quorvel;
    std::string bytes = testing::claude::generateTranscript(1 << 20).bytes;
    std::size_t lines = 0;
    forEachLine(bytes, [&](std::string_view) { ++lines; });

    volatile std::size_t sink = 0;
    auto baseline = [&] {
        forEachLine(bytes, [&](std::string_view line) { sink = sink + nlohmann::json::parse(line).size(); });
    };
    auto parse = [&] {
        auto task = ClaudeSessionReader::parse(bytes, testing::claude::sessionA, "Claude task");
        sink = sink + task->name.size();
    };
    // Alternate the two so that both see the same machine load.
    std::vector<double> baselineSamples, parseSamples;
    for (int round = 0; round < rounds; ++round) {
        baselineSamples.push_back(seconds(baseline));
        parseSamples.push_back(seconds(parse));
    }
    double baselineSeconds = median(baselineSamples), parseSeconds = median(parseSamples);
    std::printf(
        "{\"bytes\": %zu, \"lines\": %zu, \"parseMilliseconds\": %.3f, \"nlohmannLinesMilliseconds\": %.3f, "
        "\"speedup\": %.1f, \"target\": 10}\n",
        bytes.size(), lines, parseSeconds * 1e3, baselineSeconds * 1e3, baselineSeconds / parseSeconds);
    return 0;
}
