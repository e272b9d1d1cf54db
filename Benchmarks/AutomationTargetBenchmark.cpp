// Cost of finding the target thread of one automation file of the largest allowed size, as a ratio to
// validating the same bytes as UTF-8 (the floor every read of the file pays).
#include "Codex/CodexAutomationIndex.h"
#include "Support/Unicode.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t fileSize = 256'000;
constexpr int rounds = 200;

template <typename Body> double secondsPerRound(Body&& body) {
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        body();
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

std::string filled(std::string head, std::string_view unit, std::string tail) {
    while (head.size() + unit.size() + tail.size() <= fileSize)
        head += unit;
    return head + tail;
}

void report(const char* name, const std::string& bytes) {
    volatile bool sink = false;
    double floor = secondsPerRound([&] { sink = quorvel::Unicode::isValidUtf8(bytes); });
    double matcher =
        secondsPerRound([&] { sink = quorvel::CodexAutomationIndex::targetThreadID(bytes).has_value(); });
    (void)sink;
    std::printf("%-34s %8.1f us  floor %8.1f us  ratio %5.2f\n", name, matcher * 1e6, floor * 1e6,
                matcher / floor);
}

} // namespace

int main() {
    const std::string id = "5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1a";
    const std::string target = "target_thread_id = \"" + id + "\" # nightly\n";
    report("settings, then the target line", filled("", "prompt = \"Summarise the day\"\n", target));
    report("keys that never match", filled("", "target_thread_id target_thread_id=\n", ""));
    report("white space before the value", filled("target_thread_id =", " \n\t", "\"" + id + "\"\n"));
    report("non-ASCII comment lines",
           filled("", "# caf\xC3\xA9 \xE2\x80\x94 r\xC3\xA9sum\xC3\xA9\n", target));
}
