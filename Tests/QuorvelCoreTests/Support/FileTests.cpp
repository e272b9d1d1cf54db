#include "Model/StatusError.h"
#include "Support/BoundedReader.h"
#include "Support/FileChecks.h"
#include "Support/FileIO.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quorvel;
using quorvel::testing::permissions;
using quorvel::testing::readFile;
using quorvel::testing::TemporaryDirectory;
using quorvel::testing::writeFile;

TEST(FileIO, AtomicWriteCreatesPrivateFoldersAndFilesAndLeavesNoTemporaryFile) {
    TemporaryDirectory temp;
    const auto path = temp / "a" / "b" / "record.json";
    FileIO::writePrivateFile(path, "{}");
    FileIO::writePrivateFile(path, "{\"x\":1}");
    EXPECT_EQ(readFile(path), "{\"x\":1}");
    EXPECT_EQ(permissions(path), 0600u);
    EXPECT_EQ(permissions(temp / "a"), 0700u);
    EXPECT_EQ(permissions(temp / "a" / "b"), 0700u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "a" / "b"), {}), 1);
}

TEST(FileIO, ExistingFoldersKeepTheirPermissions) {
    TemporaryDirectory temp;
    ::chmod(temp.path().c_str(), 0755);
    FileIO::writePrivateFile(temp / "x.json", "1");
    EXPECT_EQ(permissions(temp.path()), 0755u);
}

TEST(FileIO, FailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
    TemporaryDirectory temp;
    const auto path = temp / "dir" / "x.json";
    FileIO::writePrivateFile(path, "old");
    std::filesystem::create_directory(temp / "dir" / "target.json");
    writeFile(temp / "dir" / "target.json" / "inside", "keep"); // rename over a non-empty folder fails
    EXPECT_THROW(FileIO::writeAtomically(temp / "dir" / "target.json", "new"), std::system_error);
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "dir"), {}), 2);
}

TEST(FileIO, CreatingFoldersThroughAFileFails) {
    TemporaryDirectory temp;
    writeFile(temp / "file", "x");
    EXPECT_THROW(FileIO::writePrivateFile(temp / "file" / "x.json", "1"), std::system_error);
}

TEST(FileIO, BoundedReadRejectsLinksFoldersAndOversizeFiles) {
    TemporaryDirectory temp;
    writeFile(temp / "ok", std::string(16384, 'a'));
    writeFile(temp / "big", std::string(16385, 'a'));
    std::filesystem::create_symlink(temp / "ok", temp / "link");
    std::filesystem::create_directory(temp / "folder");
    EXPECT_EQ(FileIO::readBounded(temp / "ok", 16384).size(), 16384u);
    auto expectInvalid = [&](const char* name) {
        try {
            FileIO::readBounded(temp / name, 16384);
            ADD_FAILURE() << name;
        } catch (const StatusError& error) {
            EXPECT_EQ(error.code(), StatusError::Code::invalidRecord) << name;
        }
    };
    expectInvalid("big");
    expectInvalid("link");
    expectInvalid("folder");
    EXPECT_THROW(FileIO::readBounded(temp / "missing", 10), std::system_error);
}

TEST(FileChecks, RegularFileAndExternalTargetRules) {
    TemporaryDirectory temp;
    writeFile(temp / "f", "abc");
    std::filesystem::create_symlink(temp / "f", temp / "l");
    EXPECT_EQ(FileChecks::requireRegularFile(temp / "f", 3).size, 3u);
    EXPECT_THROW(FileChecks::requireRegularFile(temp / "f", 2), StatusError);
    EXPECT_THROW(FileChecks::requireRegularFile(temp / "l", 100), StatusError);
    EXPECT_THROW(FileChecks::requireRegularFile(temp / "missing", 100), std::system_error);
    EXPECT_NO_THROW(FileChecks::requireSafeExternalTarget(temp / "f", 3));
    EXPECT_NO_THROW(FileChecks::requireSafeExternalTarget(temp / "new" / "file", 3));
    EXPECT_THROW(FileChecks::requireSafeExternalTarget(temp / "l", 100), StatusError);
    EXPECT_THROW(FileChecks::requireSafeExternalTarget(temp / "f" / "x", 100), StatusError);
}

class BoundedReaderTest : public ::testing::Test {
protected:
    std::string read(std::string_view content, BoundedReader reader) {
        writeFile(temp / "f", content);
        return reader.read(temp / "f");
    }
    TemporaryDirectory temp;
};

TEST_F(BoundedReaderTest, SmallFileComesBackWholeLessAnUnfinishedLastLine) {
    const BoundedReader keep{0, 100, BoundedReader::NoLineFeed::keepWhole};
    EXPECT_EQ(read("a\nb\npartial", keep), "a\nb\n");
    EXPECT_EQ(read("no line feed", keep), "no line feed");
    EXPECT_EQ(read("", keep), "");
    const BoundedReader strict{0, 100, BoundedReader::NoLineFeed::empty};
    EXPECT_EQ(read("a\nb\npartial", strict), "a\nb\n");
    EXPECT_EQ(read("no line feed", strict), "");
}

TEST_F(BoundedReaderTest, TailWindowDropsTheLineCutByItsStart) {
    // 20 bytes, window of 8 starts inside "line-two".
    const std::string content = "line-one\nline-two\nab\n";
    const BoundedReader keep{0, 8, BoundedReader::NoLineFeed::keepWhole};
    EXPECT_EQ(read(content, keep), "ab\n");
    const BoundedReader keepNoLineFeed{0, 4, BoundedReader::NoLineFeed::keepWhole};
    EXPECT_EQ(read("abcdefghij", keepNoLineFeed), "ghij");
    const BoundedReader strict{0, 4, BoundedReader::NoLineFeed::empty};
    EXPECT_EQ(read("abcdefghij", strict), "");
    EXPECT_EQ(read("abcdef\nhij", strict), "");
    EXPECT_EQ(read("abcdefg\nh\n", strict), "h\n");
}

TEST_F(BoundedReaderTest, HeadAndTailWindowsOverlapOrLoseTheMiddle) {
    const BoundedReader both{6, 6, BoundedReader::NoLineFeed::keepWhole};
    // A line cut by the end of the head and by the start of the tail is lost.
    EXPECT_EQ(read("aa\nbbb\ncc\n", both), "aa\ncc\n");
    EXPECT_EQ(read("aa\nbb\nccc\n", both), "aa\nbb\nccc\n");
    EXPECT_EQ(read("a\nbbbbb\nc\n", both), "a\nc\n");
    // A tail starting exactly at a line start still drops that line.
    EXPECT_EQ(read("aa\nbb\ncc\ndd\nee\nff\n", both), "aa\nbb\nff\n");
    EXPECT_EQ(read("a\nb\nc\nd\n", BoundedReader{6, 6, BoundedReader::NoLineFeed::keepWhole}),
              "a\nb\nc\nc\nd\n");
    EXPECT_EQ(read("aaaaaaaaaa\nb\n", both), "b\n"); // head without a line feed gives nothing
    EXPECT_EQ(read("a\nb\n", both), "a\nb\n");       // no head at or below the limit
}

TEST(ForEachLine, SkipsEmptyLines) {
    std::vector<std::string> lines;
    forEachLine("a\n\nb\nc", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"}));
}
