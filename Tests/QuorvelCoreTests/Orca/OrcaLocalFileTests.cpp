#include "Model/StatusError.h"
#include "Orca/OrcaLocalFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;

TEST(OrcaLocalFile, ValidateAcceptsOnlySmallRegularFiles) {
    TemporaryDirectory folder;
    writeFile(folder / "small", "0123456789");
    EXPECT_NO_THROW(OrcaLocalFile::validate(folder / "small", 10));
    EXPECT_THROW(OrcaLocalFile::validate(folder / "small", 9), StatusError);

    std::filesystem::create_symlink(folder / "small", folder / "link");
    EXPECT_THROW(OrcaLocalFile::validate(folder / "link", 1000), StatusError);
    EXPECT_THROW(OrcaLocalFile::validate(folder.path(), 1'000'000), StatusError);
    EXPECT_THROW(OrcaLocalFile::validate(folder / "missing", 1000), std::system_error);
}

// Unlike the other readers' tails, a window without any line feed comes back whole.
TEST(OrcaLocalFile, TailKeepsWholeLinesOfTheWindow) {
    TemporaryDirectory folder;
    const auto file = folder / "t.jsonl";
    const std::string hundred =
        std::string(39, 'a') + "\n" + std::string(39, 'b') + "\n" + std::string(19, 'c');
    ASSERT_EQ(hundred.size(), 99u);
    writeFile(file, hundred + "d");
    EXPECT_EQ(OrcaLocalFile::tail(file, 1000), hundred.substr(0, 80)) << "partial last line dropped";

    writeFile(file, "no line feed at all");
    EXPECT_EQ(OrcaLocalFile::tail(file, 1000), "no line feed at all");
    EXPECT_EQ(OrcaLocalFile::tail(file, 6), "at all") << "a cut window without line feed stays whole";

    writeFile(file, "first\nsecond\nthird\n");
    EXPECT_EQ(OrcaLocalFile::tail(file, 10), "third\n") << "the line cut by the window's start is dropped";
    EXPECT_EQ(OrcaLocalFile::tail(file, 19), "first\nsecond\nthird\n");
    EXPECT_EQ(OrcaLocalFile::tail(file, 15), "second\nthird\n");
    EXPECT_EQ(OrcaLocalFile::tail(file, 0), "");

    writeFile(file, "");
    EXPECT_EQ(OrcaLocalFile::tail(file, 100), "");
}

TEST(OrcaLocalFile, TailRefusesLinksAndFilesOverItsCap) {
    TemporaryDirectory folder;
    writeFile(folder / "t.jsonl", "line\n");
    std::filesystem::create_symlink(folder / "t.jsonl", folder / "link.jsonl");
    EXPECT_THROW(OrcaLocalFile::tail(folder / "link.jsonl", 100), StatusError);

    writeFile(folder / "huge.jsonl", "");
    std::filesystem::resize_file(folder / "huge.jsonl", OrcaLocalFile::tailFileLimit);
    EXPECT_NO_THROW(OrcaLocalFile::tail(folder / "huge.jsonl", 16));
    std::filesystem::resize_file(folder / "huge.jsonl", OrcaLocalFile::tailFileLimit + 1);
    EXPECT_THROW(OrcaLocalFile::tail(folder / "huge.jsonl", 16), StatusError);
}

} // namespace
} // namespace quorvel
