#include "Codex/DesktopAttention.h"
#include "CodexHistoryGenerator.h"
#include "TestSupport.h"

#include <fstream>
#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using DesktopAttention::Record;
using testing::isoTimestamp;
using testing::setModificationTime;
using testing::TemporaryDirectory;
using testing::writeFile;

constexpr double base = 1'772'357'400; // 2026-03-01T09:30:00Z
constexpr std::string_view thread = "019c8bfe-ec25-79e0-97d7-bda6a9c575ff";
constexpr std::string_view commandMethod = "item/commandExecution/requestApproval";
constexpr std::string_view questionMethod = "item/tool/requestUserInput";

Date at(double second) {
    return Date::fromUnix(base + second);
}

std::string logLine(double second, std::string_view message) {
    return isoTimestamp(base + second) + " info [electron-message-handler] " + std::string(message) + "\n";
}

std::string approval(double second, std::string_view requestID, std::string_view kind = "commandExecution",
                     std::string_view conversation = thread) {
    return logLine(second,
                   "[desktop-notifications] show approval conversationId=" + std::string(conversation) +
                       " requestId=" + std::string(requestID) + " kind=" + std::string(kind));
}

std::string question(double second, std::string_view requestID) {
    return logLine(second, "[desktop-notifications] show question conversationId=" + std::string(thread) +
                               " requestId=" + std::string(requestID));
}

std::string response(double second, std::string_view id, std::string_view method) {
    return logLine(second, "Sending server response id=" + std::string(id) +
                               " method=" + std::string(method) + " response={\"decision\":\"approved\"}");
}

Record opened(double second, std::string_view id, std::string_view method = commandMethod,
              std::string_view threadID = thread) {
    return Record{at(second), std::string(id), std::string(method), std::string(threadID)};
}

Record closed(double second, std::string_view id, std::string_view method = commandMethod) {
    return Record{at(second), std::string(id), std::string(method), std::nullopt};
}

TEST(DesktopAttentionParse, ReadsTheThreeKindsOfLine) {
    const std::vector<Record> records = DesktopAttention::parse(
        approval(0, "7", "fileChange") + approval(1, "8", "permissionRequest") + approval(2, "9") +
        question(3, "q1") + response(4, "7", commandMethod) + response(5, "q1", questionMethod));
    EXPECT_EQ(records, (std::vector<Record>{
                           opened(0, "7", "item/fileChange/requestApproval"),
                           opened(1, "8", "item/permissions/requestApproval"),
                           opened(2, "9"),
                           opened(3, "q1", questionMethod),
                           closed(4, "7"),
                           closed(5, "q1", questionMethod),
                       }));
}

TEST(DesktopAttentionParse, RejectsLinesThatBreakTheForm) {
    const std::string valid = approval(0, "1");
    ASSERT_EQ(DesktopAttention::parse(valid).size(), 1u);
    const std::vector<std::string> rejected = {
        "2026-03-01T09:30:00Z info [electron-message-handler] [desktop-notifications] show approval "
        "conversationId=019c8bfe-ec25-79e0-97d7-bda6a9c575ff requestId=1 kind=commandExecution\n",
        logLine(0,
                "[desktop-notifications] show approval conversationId=019c8bfe-ec25-79e0-97d7-bda6a9c575ff "
                "requestId=1 kind=commandExecution info [electron-message-handler] x"),
        approval(0, "1", "shellCommand"),
        logLine(0,
                "[desktop-notifications] show approval conversationId=019c8bfe-ec25-79e0-97d7-bda6a9c575ff "
                "requestId=1"),
        approval(0, "1", "commandExecution", "not-a-uuid"),
        approval(0, "1", "commandExecution", "019c8bfe-ec25-79e0-97d7-bda6a9c575f"),
        logLine(0, "[desktop-notifications] show question requestId=1"),
        logLine(0,
                "[desktop-notifications] show question conversationId=019c8bfe-ec25-79e0-97d7-bda6a9c575ff"),
        response(0, "1", "item/tool/somethingElse"),
        logLine(0, "Sending server response method=item/tool/requestUserInput"),
        logLine(0, "Sending server response id=1"),
        logLine(0, "[desktop-notifications] showapproval conversationId=019c8bfe-ec25-79e0-97d7-bda6a9c575ff "
                   "requestId=1 kind=commandExecution"),
        "2026-03-01T09:30:00.000Z warn [electron-message-handler] Sending server response id=1 "
        "method=item/tool/requestUserInput\n",
    };
    for (const std::string& line : rejected)
        EXPECT_TRUE(DesktopAttention::parse(line).empty()) << line;
}

TEST(DesktopAttentionParse, RequestIdsUpTo128CharactersOpen) {
    EXPECT_EQ(DesktopAttention::parse(approval(0, std::string(128, 'r'))).size(), 1u);
    EXPECT_TRUE(DesktopAttention::parse(approval(0, std::string(129, 'r'))).empty());
    // Characters, not bytes: 128 accented letters fit.
    std::string accented;
    for (int index = 0; index < 128; ++index)
        accented += "\u00E9";
    EXPECT_EQ(DesktopAttention::parse(approval(0, accented)).size(), 1u);
    // Closing lines have no such limit.
    EXPECT_EQ(DesktopAttention::parse(response(0, std::string(300, 'r'), commandMethod)).size(), 1u);
}

TEST(DesktopAttentionParse, TokensFollowTheKeyValueRules) {
    const auto parseMessage = [](std::string_view message) {
        return DesktopAttention::parse(logLine(0, message));
    };
    // Two equals signs: the rest is the value.
    std::vector<Record> records =
        parseMessage("Sending server response id=a=b method=item/tool/requestUserInput");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "a=b");
    // Leading equals signs are dropped; a token ending in an equals sign is ignored.
    records = parseMessage("Sending server response ==id=5 id= method=item/tool/requestUserInput");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "5");
    // The later of two equal keys wins; runs of spaces are nothing.
    records = parseMessage("Sending server response id=1   id=2 method=item/tool/requestUserInput");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "2");
    // Fields after " response=" are not read.
    EXPECT_TRUE(
        parseMessage("Sending server response id=1 response={} method=item/tool/requestUserInput").empty());
    EXPECT_TRUE(parseMessage("Sending server response =id method=item/tool/requestUserInput").empty());
}

TEST(DesktopAttentionParse, LongLinesAreSkippedAndBadBytesReplaced) {
    std::string line = approval(0, "1");
    line.pop_back();
    const std::string fits = line + " pad=" + std::string(65'535 - line.size() - 5, 'x') + "\n";
    ASSERT_EQ(fits.size(), 65'536u);
    EXPECT_EQ(DesktopAttention::parse(fits).size(), 1u);
    const std::string tooLong = line + " pad=" + std::string(65'536 - line.size() - 5, 'x') + "\n";
    EXPECT_TRUE(DesktopAttention::parse(tooLong).empty());
    EXPECT_EQ(DesktopAttention::parse(tooLong + approval(1, "2")), (std::vector<Record>{opened(1, "2")}));

    const std::string badByte =
        logLine(0, "[desktop-notifications] show question conversationId=" + std::string(thread) +
                       " requestId=a\xFF" + "b");
    const std::vector<Record> records = DesktopAttention::parse(badByte);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "a\uFFFDb");
}

TaskStatus codexTask(std::string_view threadID = thread) {
    TaskStatus task = TaskStatus::make("codex-" + std::string(threadID), "Task", LightState::done, at(-100),
                                       std::string(codexHistorySource));
    task.lastTurnBoundaryAt = at(-100);
    task.confirmedAttentionPending = false;
    return task;
}

TaskStatus applied(const std::vector<Record>& records, const TaskStatus& task, double nowSecond = 1000) {
    std::vector<TaskStatus> result = DesktopAttention::applying(records, {task}, at(nowSecond));
    EXPECT_EQ(result.size(), 1u);
    return result.front();
}

void expectWaitingSince(const TaskStatus& task, Date updatedAt) {
    EXPECT_EQ(task.state, LightState::waiting);
    EXPECT_EQ(task.confirmedAttentionPending, true);
    EXPECT_EQ(task.updatedAt, updatedAt);
}

TEST(DesktopAttentionApplying, OpenRequestMakesTheTaskWait) {
    const TaskStatus task = codexTask();
    TaskStatus result = applied({opened(5, "1")}, task);
    expectWaitingSince(result, at(5));
    EXPECT_EQ(result.lastTurnBoundaryAt, task.lastTurnBoundaryAt);
    EXPECT_EQ(result.name, task.name);

    // The latest matching request dates the task.
    expectWaitingSince(applied({opened(9, "2"), opened(5, "1"), opened(7, "3", questionMethod)}, task),
                       at(9));
}

TEST(DesktopAttentionApplying, AnsweredRequestsLeaveNoAttention) {
    const TaskStatus task = codexTask();
    EXPECT_EQ(applied({opened(5, "1"), closed(6, "1")}, task), task);
    // Records are sorted by date first.
    EXPECT_EQ(applied({closed(6, "1"), opened(5, "1")}, task), task);
    // Method and id must both match.
    expectWaitingSince(applied({opened(5, "1"), closed(6, "1", questionMethod)}, task), at(5));
    expectWaitingSince(applied({opened(5, "1"), closed(6, "2")}, task), at(5));
    // A response dated after now does not close; a request dated after now does not open.
    expectWaitingSince(applied({opened(5, "1"), closed(1001, "1")}, task), at(5));
    EXPECT_EQ(applied({opened(1001, "1")}, task), task);
    // A reopened request is open again.
    expectWaitingSince(applied({opened(5, "1"), closed(6, "1"), opened(7, "1")}, task), at(7));
}

TEST(DesktopAttentionApplying, OnlyRequestsAfterTheLastTurnBoundaryCount) {
    TaskStatus task = codexTask();
    task.lastTurnBoundaryAt = at(5);
    EXPECT_EQ(applied({opened(5, "1")}, task), task);
    expectWaitingSince(applied({opened(5.001, "1")}, task), Date::fromUnix(base + 5.001));
    expectWaitingSince(applied({opened(5, "1"), opened(6, "2")}, task), at(6));
    task.lastTurnBoundaryAt.reset();
    expectWaitingSince(applied({opened(-500, "1")}, task), at(-100));
}

TEST(DesktopAttentionApplying, NewerTaskKeepsItsDate) {
    TaskStatus task = codexTask();
    task.updatedAt = at(50);
    expectWaitingSince(applied({opened(5, "1")}, task), at(50));
}

TEST(DesktopAttentionApplying, OnlyCodexHistoryTasksOfTheSameThreadChange) {
    TaskStatus local = codexTask();
    local.source = std::string(localStatusSource);
    TaskStatus otherPrefix = codexTask();
    otherPrefix.id = "claude-" + std::string(thread);
    TaskStatus upperCase = codexTask("019C8BFE-EC25-79E0-97D7-BDA6A9C575FF");
    TaskStatus otherThread = codexTask("019c8bfe-ec25-79e0-97d7-bda6a9c575f0");
    const TaskStatus matching = codexTask();

    const std::vector<TaskStatus> tasks{local, otherPrefix, upperCase, otherThread, matching};
    const std::vector<TaskStatus> result = DesktopAttention::applying({opened(5, "1")}, tasks, at(1000));
    ASSERT_EQ(result.size(), 5u);
    for (std::size_t index = 0; index < 4; ++index)
        EXPECT_EQ(result[index], tasks[index]) << index;
    expectWaitingSince(result[4], at(5));
}

TEST(DesktopAttentionApplying, NeverClearsAttention) {
    TaskStatus task = codexTask();
    task.state = LightState::waiting;
    task.confirmedAttentionPending = true;
    EXPECT_EQ(applied({opened(5, "1"), closed(6, "1")}, task), task);
}

class DesktopAttentionLoad : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    const Date now = at(0); // 2026-03-01 in UTC

    std::filesystem::path log(std::string_view day, std::string_view name, std::string_view bytes,
                              double modified) {
        const std::filesystem::path path = folder / day / name;
        writeFile(path, bytes);
        setModificationTime(path, base + modified);
        return path;
    }
};

TEST_F(DesktopAttentionLoad, MissingFoldersGiveNoRecords) {
    EXPECT_TRUE(DesktopAttention::load(folder / "missing", now).empty());
    EXPECT_TRUE(DesktopAttention::load(folder.path(), now).empty());
}

TEST_F(DesktopAttentionLoad, ReadsYesterdayAndTodayOfTheNewestScopeNewestFileFirst) {
    log("2026/02/28", "codex-desktop-main-t0-1.log", approval(-90'000, "old"), -80'000);
    log("2026/03/01", "codex-desktop-main-t0-2.log", approval(-10, "new"), -5);
    log("2026/03/01", "codex-desktop-other-t0-1.log", approval(-20, "other"), -50);
    log("2026/02/27", "codex-desktop-main-t0-0.log", approval(-200'000, "too-old"), -30);
    log("2026/03/01", "codex-desktop-main-t1-9.log", approval(-10, "no-t0"), -1);
    log("2026/03/01", "codex-desktop-main-t0-3.txt", approval(-10, "not-log"), -1);
    log("2026/03/01", "desktop-main-t0-3.log", approval(-10, "no-prefix"), -1);

    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].requestID, "new");
    EXPECT_EQ(records[1].requestID, "old");
}

TEST_F(DesktopAttentionLoad, DayFoldersAreUtcDays) {
    // 00:30 on 2 March UTC: yesterday is 1 March, 28 February is not read.
    log("2026/03/02", "codex-desktop-a-t0-1.log", approval(0, "today"), 0);
    log("2026/03/01", "codex-desktop-a-t0-2.log", approval(0, "yesterday"), -10);
    log("2026/02/28", "codex-desktop-a-t0-3.log", approval(0, "earlier"), -20);
    const std::vector<Record> records =
        DesktopAttention::load(folder.path(), Date::fromUnix(1'772'411'400)); // 2026-03-02T00:30:00Z
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].requestID, "today");
    EXPECT_EQ(records[1].requestID, "yesterday");
}

TEST_F(DesktopAttentionLoad, ReadsTheEightNewestFilesOfTheScope) {
    for (int index = 0; index < 9; ++index) {
        log("2026/03/01", "codex-desktop-s-t0-" + std::to_string(index) + ".log",
            approval(index, "r" + std::to_string(index)), index);
    }
    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    ASSERT_EQ(records.size(), 8u);
    for (int index = 0; index < 8; ++index)
        EXPECT_EQ(records[static_cast<std::size_t>(index)].requestID, "r" + std::to_string(8 - index));
}

TEST_F(DesktopAttentionLoad, SkipsLinksAndFolders) {
    const std::filesystem::path target = log("elsewhere", "x.log", approval(0, "linked"), 10);
    std::filesystem::create_directories(folder / "2026/03/01");
    std::filesystem::create_symlink(target, folder / "2026/03/01/codex-desktop-s-t0-9.log");
    std::filesystem::create_directories(folder / "2026/03/01/codex-desktop-s-t0-8.log");
    log("2026/03/01", "codex-desktop-s-t0-1.log", approval(0, "plain"), -10);
    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "plain");
}

TEST_F(DesktopAttentionLoad, ReadsOnlyTheLastFourMebibytesInWholeLines) {
    const std::size_t window = 4'194'304;
    std::string first = approval(0, "first");
    std::string last = approval(1, "last");
    const std::string filler(window - first.size() - last.size() - 1, 'f');
    const std::string exact = first + filler + "\n" + last;
    ASSERT_EQ(exact.size(), window);
    log("2026/03/01", "codex-desktop-s-t0-1.log", exact, 0);
    EXPECT_EQ(DesktopAttention::load(folder.path(), now).size(), 2u);

    log("2026/03/01", "codex-desktop-s-t0-1.log", "x" + exact, 0);
    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "last");
}

TEST_F(DesktopAttentionLoad, LastLineWithoutLineFeedIsNotRead) {
    std::string unfinished = approval(1, "unfinished");
    unfinished.pop_back();
    log("2026/03/01", "codex-desktop-s-t0-1.log", approval(0, "done") + unfinished, 0);
    log("2026/03/01", "codex-desktop-s-t0-2.log", unfinished, -1);
    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].requestID, "done");
}

TEST_F(DesktopAttentionLoad, DayFolderThatCannotBeListedThrows) {
    writeFile(folder / "2026/03/01", "not a folder");
    EXPECT_THROW(DesktopAttention::load(folder.path(), now), std::system_error);
}

TEST_F(DesktopAttentionLoad, LargeRealisticLog) {
    // About 6 MB of ordinary lines with requests spread through it; only the last 4 MiB count.
    std::string bytes;
    int requests = 0;
    std::vector<std::string> expected;
    for (int index = 0; bytes.size() < 6'000'000; ++index) {
        const double second = -5000 + index * 0.01;
        bytes += logLine(second, "[git] status took 12ms cwd=/home/user/project " + std::string(150, 'g'));
        if (index % 50 == 0) {
            const std::string id = "req-" + std::to_string(requests++);
            bytes += approval(second, id);
            expected.push_back(id);
        }
    }
    log("2026/03/01", "codex-desktop-s-t0-1.log", bytes, 0);
    const std::vector<Record> records = DesktopAttention::load(folder.path(), now);
    const std::string window = bytes.substr(bytes.size() - 4'194'304);
    const std::size_t firstWholeLine = window.find('\n') + 1;
    std::size_t inWindow = 0;
    for (std::size_t at = window.find("requestId=", firstWholeLine); at != std::string::npos;
         at = window.find("requestId=", at + 1))
        ++inWindow;
    ASSERT_EQ(records.size(), inWindow);
    EXPECT_EQ(records.back().requestID, expected.back());
    EXPECT_LT(records.size(), expected.size());
}

} // namespace
} // namespace quorvel

namespace quorvel {
namespace {

constexpr std::string_view otherThread = "019c8bfe-ec25-79e0-97d7-000000000001";

// The refresh takes the open requests from its cache while the logs are unchanged: they must be the ones
// a fresh read gives, also as time passes a record dated in the future and as a log grows.
TEST_F(DesktopAttentionLoad, OpenRequestsFromTheCacheMatchAFreshRead) {
    const auto path = log("2026/03/01", "codex-desktop-s-t0-1.log",
                          approval(-10, "1") + approval(30, "later", "commandExecution", otherThread), -5);
    DesktopAttention::Cache cache;
    auto check = [&](Date when, std::size_t expectedThreads, const char* step) {
        cache.beginPass(Date::fromUnix(base + 3600)); // long after every write: versions are trusted
        const auto cached = DesktopAttention::loadOpenRequests(folder.path(), when, &cache);
        cache.endPass();
        EXPECT_EQ(cached, DesktopAttention::openRequests(DesktopAttention::load(folder.path(), when), when))
            << step;
        EXPECT_EQ(cached.size(), expectedThreads) << step;
    };
    check(now, 1, "the later request is not open yet");
    check(now + 3, 1, "unchanged");
    check(now + 60, 2, "the later request's time has come");
    check(now + 63, 2, "unchanged again");
    {
        std::ofstream out(path, std::ios::app);
        out << response(40, "1", commandMethod);
    }
    setModificationTime(path, base + 41);
    check(now + 66, 1, "answered");
}

} // namespace
} // namespace quorvel
