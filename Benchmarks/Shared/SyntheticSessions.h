#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace quorvel::bench {

// Lines shaped like the ones the assistants write, with filler text to reach realistic sizes.
class SyntheticSessions {
public:
    explicit SyntheticSessions(std::uint32_t seed) : random_(seed) {}

    std::string uuid();
    std::string isoTime(double unixSeconds) const; // with milliseconds

    // A Claude Code transcript of about `bytes` bytes whose last line is dated `endUnix`.
    std::string claudeTranscript(const std::string& sessionID, const std::string& cwd, std::uint64_t bytes,
                                 double endUnix);
    // A few lines of a turn in progress, dated `unix`.
    std::string claudeActivity(const std::string& sessionID, const std::string& cwd, double unix);

private:
    std::string filler(std::size_t length);
    std::mt19937 random_;
};

} // namespace quorvel::bench
