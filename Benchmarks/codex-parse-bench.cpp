// Cost of running the Codex history state machine over a generated 1 MiB session history, against merely
// parsing every line of it with nlohmann::json (a conventional JSON library), measured in the same run.
#include "../Tests/Shared/CodexHistoryGenerator.h"
#include "Codex/SessionReader.h"
#include "Support/BoundedReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int rounds = 15;
constexpr int repetitionsPerRound = 5;

// The fastest of several rounds, in seconds per run of the body.
template <typename Body> double bestSeconds(Body&& body) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        for (int repetition = 0; repetition < repetitionsPerRound; ++repetition)
            body();
        best =
            std::min(best, std::chrono::duration<double>(Clock::now() - start).count() / repetitionsPerRound);
    }
    return best;
}

} // namespace

int main() {
    const quorvel::testing::GeneratedHistory history = quorvel::testing::generateCodexHistory(
        1 << 20, "019c8bfe-ec25-79e0-97d7-bda6a9c575ff", 1'772'357'400);
    const std::string& bytes = history.bytes;
    std::size_t lines = 0;
    quorvel::forEachLine(bytes, [&](std::string_view) { ++lines; });

    volatile std::size_t sink = 0;
    const double machine = bestSeconds([&] {
        const quorvel::TaskStatus task = quorvel::SessionReader::parse(bytes, "codex-x", "Benchmark");
        sink = sink + static_cast<std::size_t>(task.state);
    });
    const double nlohmannOnly = bestSeconds([&] {
        quorvel::forEachLine(
            bytes, [&](std::string_view line) { sink = sink + nlohmann::json::parse(line).size(); });
    });

    std::printf("history: %zu bytes, %zu lines, %d turns\n", bytes.size(), lines, history.turns);
    std::printf("SessionReader::parse          %8.2f ms  (%6.1f MB/s)\n", machine * 1e3,
                bytes.size() / machine / 1e6);
    std::printf("nlohmann::json::parse per line %8.2f ms  (%6.1f MB/s)\n", nlohmannOnly * 1e3,
                bytes.size() / nlohmannOnly / 1e6);
    std::printf("ratio (nlohmann / parse)       %8.1fx  (target >= 10x)\n", nlohmannOnly / machine);
    return 0;
}
