#include "Model/StatusError.h"
#include "Support/Json.h"
#include "Support/ReadMarkFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;
using Marks = ReadMarkFile::Marks;

Date at(std::string_view text) {
    return *Iso8601::parseWholeSeconds(text);
}

const Date savedAt = at("2026-03-01T10:00:00Z");

TEST(ReadMarkFileTests, SavesCompactWholeSecondTextInPrivateFiles) {
    TemporaryDirectory home;
    auto file = home / "a/b/read-state.json";
    ReadMarkFile::save(file, {}, savedAt);
    EXPECT_EQ(testing::readFile(file), R"({"readAt":{}})");
    EXPECT_EQ(testing::permissions(home / "a"), 0700u);
    EXPECT_EQ(testing::permissions(home / "a/b"), 0700u);
    EXPECT_EQ(testing::permissions(file), 0600u);

    Marks marks{{"B", at("2026-03-01T09:30:00Z")}, {"a", at("2026-03-01T09:30:01Z")}};
    ReadMarkFile::save(file, marks, savedAt);
    EXPECT_EQ(testing::readFile(file),
              R"({"readAt":{"B":"2026-03-01T09:30:00Z","a":"2026-03-01T09:30:01Z"}})");
    EXPECT_EQ(ReadMarkFile::load(file), marks);
}

TEST(ReadMarkFileTests, DecodingRequiresWholeSecondMarksUnderReadAt) {
    EXPECT_EQ(ReadMarkFile::decode(R"({"readAt": {"s": "2026-03-01T10:30:00+01:00"}, "other": 1})"),
              (Marks{{"s", at("2026-03-01T09:30:00Z")}}));
    const char* failures[] = {
        "{}",
        R"({"readAt": null})",
        R"({"readAt": []})",
        R"({"readAt": {"s": "2026-03-01T09:30:00.250Z"}})",
        R"({"readAt": {"s": "2026-03-01"}})",
        R"({"readAt": {"s": 794050200}})",
        R"([])",
    };
    for (const char* failure : failures)
        EXPECT_THROW(ReadMarkFile::decode(failure), JsonDecodeError) << failure;
}

TEST(ReadMarkFileTests, LoadIsBoundedToRegularFiles) {
    TemporaryDirectory home;
    auto file = home / "read-state.json";
    EXPECT_EQ(ReadMarkFile::load(file), Marks{});

    std::string document = R"({"readAt": {"s": "2026-03-01T09:30:00Z"}})";
    document.resize(1'000'000, ' ');
    writeFile(file, document);
    EXPECT_EQ(ReadMarkFile::load(file).size(), 1u);

    writeFile(file, document + " ");
    EXPECT_THROW(ReadMarkFile::load(file), StatusError);

    writeFile(home / "target.json", R"({"readAt": {}})");
    std::filesystem::create_symlink(home / "target.json", home / "link.json");
    EXPECT_THROW(ReadMarkFile::load(home / "link.json"), StatusError);
    std::filesystem::create_symlink(home / "missing.json", home / "dangling.json");
    EXPECT_THROW(ReadMarkFile::load(home / "dangling.json"), StatusError);
    std::filesystem::create_directory(home / "folder.json");
    EXPECT_THROW(ReadMarkFile::load(home / "folder.json"), StatusError);
}

TEST(ReadMarkFileTests, MarksAreRoundedUpToTheNextWholeSecond) {
    Marks marks;
    ReadMarkFile::mark(marks, "k", Date{100.25}, Date{99});
    EXPECT_EQ(marks.at("k"), Date{101});
    ReadMarkFile::mark(marks, "k", Date{50}, Date{80.0});
    EXPECT_EQ(marks.at("k"), Date{80});
    ReadMarkFile::mark(marks, "k", Date{-10.5}, Date{-20});
    EXPECT_EQ(marks.at("k"), Date{-10});

    EXPECT_TRUE(ReadMarkFile::covers(marks, "k", Date{-10}));
    EXPECT_FALSE(ReadMarkFile::covers(marks, "k", Date{-9.5}));
    EXPECT_FALSE(ReadMarkFile::covers(marks, "K", Date{-20}));
}

// A mark rounded up past 9999-12-31T23:59:59Z would be written as text that no load accepts, and
// every other mark of the file would be lost with it.
TEST(ReadMarkFileTests, MarksStayWithinTheYearsTheTextFormWritesBack) {
    TemporaryDirectory home;
    const auto file = home / "read-state.json";
    Marks marks;
    ReadMarkFile::mark(marks, "late", Date{0}, Iso8601::latest + 0.5);
    ReadMarkFile::mark(marks, "early", Iso8601::earliest - 10, Iso8601::earliest - 20);
    EXPECT_EQ(marks.at("late"), Iso8601::latest);
    EXPECT_EQ(marks.at("early"), Iso8601::earliest);
    ReadMarkFile::save(file, marks, savedAt);
    EXPECT_EQ(ReadMarkFile::load(file), marks);

    Marks outside{{"k", Iso8601::latest + 1}};
    EXPECT_THROW(ReadMarkFile::encode(outside), StatusError);
    EXPECT_THROW(ReadMarkFile::save(file, outside, savedAt), StatusError);
    EXPECT_EQ(ReadMarkFile::load(file), marks);
}

TEST(ReadMarkFileTests, SaveRefusesAFileLargerThanLoadAccepts) {
    TemporaryDirectory home;
    const auto file = home / "read-state.json";
    Marks marks{{"first", Date{0}}};
    ReadMarkFile::save(file, marks, savedAt);

    Marks many;
    for (int i = 0; i < 5000; ++i)
        many["key-" + std::to_string(i) + std::string(200, 'k')] = Date{0};
    ASSERT_GT(ReadMarkFile::encode(many).size(), ReadMarkFile::maxBytes);
    EXPECT_THROW(ReadMarkFile::save(file, many, savedAt), StatusError);
    EXPECT_EQ(ReadMarkFile::load(file), marks);
}

// A file that exists but does not load is never saved over: the first save keeps it beside the new
// file, dated, and says so; the next save finds a good file and keeps nothing more.
TEST(ReadMarkFileTests, AFileThatDoesNotLoadIsKeptAsideOnceBeforeTheSave) {
    const std::string good = R"({"readAt":{"a":"2026-03-01T09:30:01Z"}})";
    const std::string failures[] = {good.substr(1), good + std::string(ReadMarkFile::maxBytes, ' '),
                                    R"({"readAt": []})"};
    for (const std::string& bytes : failures) {
        TemporaryDirectory home;
        const auto file = home / "read-state.json";
        const auto kept = home / "read-state.json.unreadable-2026-03-01T100000Z";
        writeFile(file, bytes);
        ::testing::internal::CaptureStderr();
        ReadMarkFile::save(file, {}, savedAt);
        ReadMarkFile::save(file, {}, savedAt + 60);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Quorvel: " + file.string() + " could not be read; it is kept as " + kept.string() + "\n");
        EXPECT_EQ(testing::readFile(kept), bytes);
        EXPECT_EQ(ReadMarkFile::load(file), Marks{});
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path()), {}), 2);
    }
}

} // namespace
} // namespace quorvel
