#include "Claude/ClaudeSessionReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;

class ClaudeTranscriptData : public ::testing::Test {
protected:
    // Reads `bytes` through a window of `limit` bytes at each end.
    std::string window(std::string_view bytes, std::uint64_t limit) {
        writeFile(temp_ / "t.jsonl", bytes);
        return ClaudeSessionReader::transcriptData(temp_ / "t.jsonl", limit);
    }

    TemporaryDirectory temp_;
};

TEST_F(ClaudeTranscriptData, ReturnsAShortFileWithoutItsUnfinishedLine) {
    EXPECT_EQ(window("", 8), "");
    EXPECT_EQ(window("aaa\nbbb\n", 8), "aaa\nbbb\n");    // exactly the limit
    EXPECT_EQ(window("aaa\nbbb\ncc", 16), "aaa\nbbb\n"); // still being written
    EXPECT_EQ(window("no line feed", 16), "no line feed");
}

TEST_F(ClaudeTranscriptData, OneByteOverTheLimitGivesOverlappingWindows) {
    // Head: complete lines of "aaa\nbbb\n"; tail "aa\nbbb\nc" loses the cut first and the unfinished last
    // line.
    EXPECT_EQ(window("aaa\nbbb\nc", 8), "aaa\nbbb\nbbb\n");
    // Head "aaa\nbbb\n", tail "aa\nbbb\n\n" -> "bbb\n\n".
    EXPECT_EQ(window("aaa\nbbb\n\n", 8), "aaa\nbbb\nbbb\n\n");
}

TEST_F(ClaudeTranscriptData, LongFilesLoseTheirMiddle) {
    std::string bytes = "head1\nhead2\n" + std::string(100, 'm') + "\nmiddle\ntail1\ntail2\n";
    EXPECT_EQ(window(bytes, 12), "head1\nhead2\ntail2\n"); // the tail window begins inside "tail1"
    EXPECT_EQ(window(bytes, 14), "head1\nhead2\ntail1\ntail2\n");
    EXPECT_EQ(window(bytes + "tai", 17), "head1\nhead2\ntail1\ntail2\n");
}

TEST_F(ClaudeTranscriptData, WindowsWithoutLineFeeds) {
    std::string longLine(50, 'x');
    // A head without a line feed gives nothing; a tail without one stays whole.
    EXPECT_EQ(window(longLine + "\n", 10), ""); // the tail's only line feed ends the cut line
    EXPECT_EQ(window(longLine, 10), std::string(10, 'x'));
    EXPECT_EQ(window("ab\n" + longLine, 10), "ab\n" + std::string(10, 'x'));
    // The tail's only line feed is the one that cut the first line: what follows stays.
    EXPECT_EQ(window("ab\n" + longLine + "\nyyyy", 10), "ab\nyyyy");
}

TEST_F(ClaudeTranscriptData, ReadsAtMostTwiceTheLimit) {
    std::string bytes;
    for (int i = 0; i < 20'000; ++i)
        bytes += "{\"n\":" + std::to_string(i) + "}\n";
    std::string result = window(bytes, 4096);
    EXPECT_LE(result.size(), 2u * 4096);
    EXPECT_TRUE(result.starts_with("{\"n\":0}\n"));
    EXPECT_TRUE(result.ends_with("{\"n\":19999}\n"));
}

TEST_F(ClaudeTranscriptData, PassesOnTheFileSystemsError) {
    EXPECT_THROW(ClaudeSessionReader::transcriptData(temp_ / "missing.jsonl", 8), std::system_error);
    EXPECT_THROW(ClaudeSessionReader::transcriptData(temp_.path(), 8), std::system_error);
}

} // namespace
} // namespace quorvel
