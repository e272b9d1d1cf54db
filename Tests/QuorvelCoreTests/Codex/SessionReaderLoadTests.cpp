#include "Codex/SessionReader.h"
#include "CodexHistoryGenerator.h"
#include "Support/DirectoryWalker.h"
#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvel {
namespace {

using nlohmann::json;
using testing::codexLine;
using testing::sessionMetaLine;
using testing::setModificationTime;
using testing::TemporaryDirectory;
using testing::writeFile;

constexpr double base = 1'772'357'400; // 2026-03-01T09:30:00Z
const Date now = Date::fromUnix(base);

std::string threadID(int number) {
    char text[40];
    std::snprintf(text, sizeof text, "019c8bfe-ec25-79e0-97d7-%012d", number);
    return text;
}

std::string userMessage(double second, std::string_view message) {
    return codexLine(base + second, "event_msg", {{"type", "user_message"}, {"message", message}});
}

std::string completedTurn(double second) {
    return codexLine(base + second, "event_msg", {{"type", "task_started"}}) +
           codexLine(base + second + 1, "event_msg",
                     {{"type", "task_complete"}, {"last_agent_message", "ok"}});
}

class SessionReaderLoad : public ::testing::Test {
protected:
    TemporaryDirectory home;

    // A session file modified `age` seconds before now.
    std::filesystem::path session(const std::filesystem::path& relative, std::string_view id, double age,
                                  std::string_view rest = {}) {
        const std::filesystem::path path = home / "sessions" / relative;
        writeFile(path, sessionMetaLine(base - age - 100, id) + std::string(rest));
        setModificationTime(path, base - age);
        return path;
    }

    std::vector<TaskStatus> load(std::int64_t limit = SessionReader::unlimited) {
        return SessionReader::load(home.path(), now, limit);
    }
};

std::vector<std::string> ids(const std::vector<TaskStatus>& tasks) {
    std::vector<std::string> result;
    for (const TaskStatus& task : tasks)
        result.push_back(task.id);
    return result;
}

TEST_F(SessionReaderLoad, MissingSessionsFolderGivesNoTasks) {
    EXPECT_TRUE(load().empty());
    std::filesystem::create_directories(home / "sessions");
    EXPECT_TRUE(load().empty());
}

TEST_F(SessionReaderLoad, BuildsTasksNewestFileFirst) {
    session("2026/03/01/rollout-a.jsonl", threadID(1), 300, userMessage(-250, "First") + completedTurn(-240));
    session("2026/02/28/rollout-b.jsonl", threadID(2), 100, userMessage(-150, "Second"));
    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(ids(tasks), (std::vector<std::string>{"codex-" + threadID(2), "codex-" + threadID(1)}));

    EXPECT_EQ(tasks[0].name, "Second");
    EXPECT_EQ(tasks[0].state, LightState::unknown);
    EXPECT_EQ(tasks[0].updatedAt, Date::fromUnix(base - 150));
    EXPECT_EQ(tasks[1].name, "First");
    EXPECT_EQ(tasks[1].state, LightState::done);
    EXPECT_EQ(tasks[1].lastTurnBoundaryAt, Date::fromUnix(base - 239));
    for (const TaskStatus& task : tasks) {
        EXPECT_EQ(task.source, codexHistorySource);
        EXPECT_EQ(task.isScheduled, false);
        EXPECT_EQ(task.projectName, "project"); // the session's folder, /home/user/project
    }
}

TEST_F(SessionReaderLoad, OnlyFilesChangedWithinADayCount) {
    session("a.jsonl", threadID(1), 86'399);
    session("b.jsonl", threadID(2), 86'400);
    session("c.jsonl", threadID(3), -3600);
    EXPECT_EQ(ids(load()), (std::vector<std::string>{"codex-" + threadID(3), "codex-" + threadID(1)}));
}

TEST_F(SessionReaderLoad, SkipsLinksHiddenEntriesAndOtherFiles) {
    const std::filesystem::path target = session("kept.jsonl", threadID(1), 10);
    std::filesystem::create_symlink(target, home / "sessions/link.jsonl");
    session(".hidden.jsonl", threadID(2), 5);
    session(".hidden/inside.jsonl", threadID(3), 5);
    session("upper.JSONL", threadID(4), 5);
    session("plain.json", threadID(5), 5);
    session("jsonl", threadID(6), 5);
    std::filesystem::create_directories(home / "sessions/folder.jsonl");
    ::mkfifo((home / "sessions/pipe.jsonl").c_str(), 0600);
    session("bad-first-line.jsonl", threadID(7), 5);
    writeFile(home / "sessions/bad-first-line.jsonl",
              "\n" + completedTurn(-5) + sessionMetaLine(base, threadID(7)));
    setModificationTime(home / "sessions/bad-first-line.jsonl", base - 5);
    EXPECT_EQ(ids(load()), (std::vector<std::string>{"codex-" + threadID(1)}));
}

TEST_F(SessionReaderLoad, NewestFileOfAThreadWins) {
    session("old.jsonl", threadID(1), 500, userMessage(-600, "Old") + completedTurn(-590));
    session("new.jsonl", threadID(1), 50, userMessage(-100, "New"));
    std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].name, "New");
    EXPECT_EQ(tasks[0].state, LightState::unknown);

    // Equal dates: the file the walk meets first.
    for (const char* name : {"x.jsonl", "y.jsonl", "z.jsonl"})
        session(name, threadID(2), 20, userMessage(-30, name));
    std::string first;
    DirectoryWalker::walk(home / "sessions", [&](const std::filesystem::path& path) {
        const std::string name = path.filename().string();
        if (first.empty() && name.size() == 7 && name.find_first_of("xyz") == 0)
            first = name;
    });
    tasks = load();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1].id, "codex-" + threadID(1));
    EXPECT_EQ(tasks[0].name, first);
}

TEST_F(SessionReaderLoad, NamesComeFromIndexThenUserMessageThenId) {
    session("a.jsonl", threadID(1), 10, userMessage(-20, "From the message"));
    session("b.jsonl", threadID(2), 20, userMessage(-30, "Message of b"));
    session("c.jsonl", threadID(3), 30, userMessage(-40, " \n\t "));
    session("d.jsonl", threadID(4), 40, userMessage(-50, "Message of d"));
    writeFile(home / "session_index.jsonl",
              json({{"id", threadID(1)}, {"thread_name", "Old name"}}).dump() + "\n" +
                  json({{"id", threadID(1)}, {"thread_name", "  Indexed name \n"}}).dump() + "\n" +
                  json({{"id", threadID(2)}, {"thread_name", " \n "}}).dump() + "\n" +
                  json({{"id", threadID(4)}, {"thread_name", 4}}).dump() + "\n" + "not json\n" +
                  json({{"id", threadID(3)}}).dump() + "\n");
    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 4u);
    EXPECT_EQ(tasks[0].name, "Indexed name");
    EXPECT_EQ(tasks[1].name, "Message of b");
    EXPECT_EQ(tasks[2].name, "Codex task 019c8bfe");
    EXPECT_EQ(tasks[3].name, "Message of d");
}

// One index line of exactly `size` bytes, line feed included.
std::string paddingIndexLine(std::size_t size) {
    const std::string empty = R"({"id":"pad","thread_name":""})";
    return R"({"id":"pad","thread_name":")" + std::string(size - empty.size() - 1, 'p') + "\"}\n";
}

TEST_F(SessionReaderLoad, SessionIndexIsReadFromItsLastTwoMillionBytes) {
    session("a.jsonl", threadID(1), 10, userMessage(-20, "Message of a"));
    session("b.jsonl", threadID(2), 20, userMessage(-30, "Message of b"));
    session("c.jsonl", threadID(3), 30, userMessage(-40, "Message of c"));
    const std::string filler = paddingIndexLine(250);
    std::string early = json({{"id", threadID(1)}, {"thread_name", "Too early"}}).dump() + "\n";
    while (early.size() < 1'000'000)
        early += filler;
    const std::string cut = json({{"id", threadID(2)}, {"thread_name", "Cut in two"}}).dump() + "\n";
    const std::string late = json({{"id", threadID(3)}, {"thread_name", "Late name"}}).dump() + "\n";
    // The 2,000,000-byte window begins 5 bytes into the line naming b.
    std::size_t fill = 2'000'000 - (cut.size() - 5) - late.size();
    std::string middle;
    while (fill - middle.size() > 2 * filler.size())
        middle += filler;
    middle += paddingIndexLine(fill - middle.size());
    const std::string bytes = early + cut + middle + late;
    ASSERT_GT(bytes.size(), 3'000'000u);
    ASSERT_EQ(bytes.substr(bytes.size() - 2'000'000, cut.size() - 5), cut.substr(5));
    writeFile(home / "session_index.jsonl", bytes);

    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].name, "Message of a");
    EXPECT_EQ(tasks[1].name, "Message of b");
    EXPECT_EQ(tasks[2].name, "Late name");
}

TEST_F(SessionReaderLoad, ProjectNamesAndAutomationsMarkTasks) {
    const std::string upper = "019C8BFE-EC25-79E0-97D7-BDA6A9C575FF";
    session("a.jsonl", upper, 10);
    session("b.jsonl", threadID(2), 20);
    writeFile(
        home / ".codex-global-state.json",
        json({{"thread-project-assignments", {{upper, {{"projectKind", "local"}, {"projectId", "p1"}}}}},
              {"local-projects", {{"p1", {{"name", "Quorvel"}}}}}})
            .dump());
    writeFile(home / "automations/daily/automation.toml",
              "name = \"Daily\"\ntarget_thread_id = \"" + upper + "\" # the thread\n");
    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].id, "codex-" + upper);
    EXPECT_EQ(tasks[0].projectName, "Quorvel");
    EXPECT_EQ(tasks[0].isScheduled, true);
    EXPECT_EQ(tasks[1].projectName, "project"); // no desktop project: the session's folder
    EXPECT_EQ(tasks[1].isScheduled, false);
}

// Where the desktop app gives a thread no project, the session_meta line's folder names it, as a
// Claude Code task's working folder does.
TEST_F(SessionReaderLoad, ProjectNameFallsBackToTheSessionsFolder) {
    auto sessionIn = [&](const std::string& file, int number, json cwd) {
        json payload = {{"id", threadID(number)}, {"originator", "codex_exec"}};
        if (!cwd.is_null())
            payload["cwd"] = cwd;
        const std::filesystem::path path = home / "sessions" / file;
        writeFile(path, codexLine(base - 100, "session_meta", payload));
        setModificationTime(path, base - number);
    };
    sessionIn("a.jsonl", 1, "/home/dev/gamma-svc");
    sessionIn("b.jsonl", 2, "/home/dev/delta api/");
    sessionIn("c.jsonl", 3, "relative/folder");
    sessionIn("d.jsonl", 4, "/");
    sessionIn("e.jsonl", 5, nullptr);
    sessionIn("f.jsonl", 6, 42);
    sessionIn("g.jsonl", 7, "/home/dev/assigned");
    writeFile(
        home / ".codex-global-state.json",
        json({{"thread-project-assignments", {{threadID(7), {{"projectKind", "local"}, {"projectId", "p"}}}}},
              {"local-projects", {{"p", {{"name", "Desktop name"}}}}}})
            .dump());
    std::map<std::string, std::optional<std::string>> projects;
    for (const TaskStatus& task : load())
        projects[task.id.substr(task.id.size() - 1)] = task.projectName;
    EXPECT_EQ(projects, (std::map<std::string, std::optional<std::string>>{{"1", "gamma-svc"},
                                                                           {"2", "delta api"},
                                                                           {"3", std::nullopt},
                                                                           {"4", std::nullopt},
                                                                           {"5", std::nullopt},
                                                                           {"6", std::nullopt},
                                                                           {"7", "Desktop name"}}));
    EXPECT_EQ(SessionReader::sessionMeta(home / "sessions/a.jsonl"),
              (SessionReader::SessionMeta{threadID(1), "/home/dev/gamma-svc"}));
}

TEST_F(SessionReaderLoad, UnusableSideFilesAreIgnored) {
    session("a.jsonl", threadID(1), 10, userMessage(-20, "Name"));
    writeFile(home / ".codex-global-state.json", "{\"thread-project-assignments\": 3}");
    std::filesystem::create_directories(home / "session_index.jsonl");
    writeFile(home / "automations", "not a folder");
    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].name, "Name");
    EXPECT_EQ(tasks[0].projectName, "project");
    EXPECT_EQ(tasks[0].isScheduled, false);
}

TEST_F(SessionReaderLoad, LimitKeepsTheNewestThreads) {
    for (int index = 0; index < 40; ++index)
        session("s" + std::to_string(index) + ".jsonl", threadID(index), 1000 - index * 10);
    std::vector<TaskStatus> tasks = load(30);
    ASSERT_EQ(tasks.size(), 30u);
    EXPECT_EQ(tasks.front().id, "codex-" + threadID(39));
    EXPECT_EQ(tasks.back().id, "codex-" + threadID(10));
    EXPECT_TRUE(load(0).empty());
    EXPECT_TRUE(load(-1).empty());
    EXPECT_EQ(load().size(), 40u);
}

TEST_F(SessionReaderLoad, SessionFileWhosePropertiesCannotBeReadFailsTheLoad) {
    session("new.jsonl", threadID(1), 10);
    // A file whose full path is too long to lstat, in a folder that can still be listed.
    const std::string longName = std::string(200, 'n') + ".jsonl";
    std::filesystem::path folder = home / "sessions";
    int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    while (folder.string().size() < 3950) {
        ASSERT_EQ(::mkdirat(directory, "dddddddddddddddddddddddddddddddddddddddd", 0700), 0);
        const int next =
            ::openat(directory, "dddddddddddddddddddddddddddddddddddddddd", O_RDONLY | O_DIRECTORY);
        ::close(directory);
        directory = next;
        folder /= "dddddddddddddddddddddddddddddddddddddddd";
    }
    const int file = ::openat(directory, longName.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(directory);

    EXPECT_THROW(load(), std::system_error);
    EXPECT_THROW(load(1), std::system_error);
}

TEST_F(SessionReaderLoad, FilesArchivedWhileLoadingAreLeftOutWithoutFailingTheLoad) {
    session("steady.jsonl", threadID(0), 10, userMessage(-20, "Steady") + completedTurn(-15));
    for (int index = 1; index <= 20; ++index)
        session("moving-" + std::to_string(index) + ".jsonl", threadID(index), 5, completedTurn(-10));
    std::filesystem::create_directories(home / "archived_sessions");
    std::atomic<bool> running = true;
    std::thread archiver([&] {
        for (int index = 1; running; index = index % 20 + 1) {
            const std::string name = "moving-" + std::to_string(index) + ".jsonl";
            std::error_code error;
            std::filesystem::rename(home / "sessions" / name, home / "archived_sessions" / name, error);
            std::filesystem::rename(home / "archived_sessions" / name, home / "sessions" / name, error);
        }
    });
    int failures = 0;
    for (int attempt = 0; attempt < 500; ++attempt) {
        try {
            const std::vector<TaskStatus> tasks = load();
            if (std::none_of(tasks.begin(), tasks.end(),
                             [](const TaskStatus& task) { return task.name == "Steady"; }))
                ++failures;
        } catch (const std::exception&) {
            ++failures;
        }
    }
    running = false;
    archiver.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(SessionReaderLoad, LargeHistoryIsReadFromItsTail) {
    const testing::GeneratedHistory history =
        testing::generateCodexHistory(3'000'000, threadID(1), base - 5000);
    const std::string question =
        codexLine(base - 60, "response_item",
                  {{"type", "function_call"}, {"name", "request_user_input"}, {"call_id", "q1"}}) +
        codexLine(base - 59, "event_msg", {{"type", "task_complete"}, {"last_agent_message", "Which one?"}});
    const std::filesystem::path path = home / "sessions/2026/03/01/rollout.jsonl";
    writeFile(path, history.bytes + question);
    setModificationTime(path, base - 59);

    const std::vector<TaskStatus> tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].name, "Please fix test turn-0");
    EXPECT_EQ(tasks[0].state, LightState::waiting);
    EXPECT_EQ(tasks[0].confirmedAttentionPending, true);
    EXPECT_EQ(tasks[0].updatedAt, Date::fromUnix(base - 59));
    EXPECT_EQ(tasks[0].lastTurnBoundaryAt, Date::fromUnix(base - 59));

    // Lines before the last 524,288 bytes are not read: a late timestamp there does not count.
    const std::size_t middle = history.bytes.find('\n', history.bytes.size() / 2) + 1;
    writeFile(path, history.bytes.substr(0, middle) + codexLine(base + 5000, "turn_context", json::object()) +
                        history.bytes.substr(middle) + question);
    setModificationTime(path, base - 59);
    EXPECT_EQ(load()[0].updatedAt, Date::fromUnix(base - 59));
    writeFile(path, history.bytes + codexLine(base + 5000, "turn_context", json::object()) + question);
    setModificationTime(path, base - 59);
    EXPECT_EQ(load()[0].updatedAt, Date::fromUnix(base + 5000));
}

// Writes `bytes` to one file of a temporary folder and runs `reader` on it.
template <typename Reader> class WrittenFileReader {
public:
    explicit WrittenFileReader(Reader reader) : reader_(reader) {}
    auto operator()(std::string_view bytes) const {
        writeFile(file_, bytes);
        return reader_(file_);
    }
    std::filesystem::path missing() const { return folder_ / "missing"; }

private:
    TemporaryDirectory folder_;
    std::filesystem::path file_ = folder_ / "s.jsonl";
    Reader reader_;
};

TEST(SessionReaderTail, ReadsWholeLinesFromTheEnd) {
    TemporaryDirectory folder;
    const std::filesystem::path file = folder / "f";
    const auto tail = [&](std::string_view bytes, std::uint64_t limit) {
        writeFile(file, bytes);
        return SessionReader::detail::tail(file, limit);
    };
    EXPECT_EQ(tail("", 10), "");
    EXPECT_EQ(tail("ab\ncd\n", 6), "ab\ncd\n");     // exactly the limit: read whole
    EXPECT_EQ(tail("ab\ncd\n", 100), "ab\ncd\n");   // smaller than the limit
    EXPECT_EQ(tail("ab\ncd\nef", 100), "ab\ncd\n"); // unfinished last line cut
    EXPECT_EQ(tail("abcdef", 100), "");             // no line feed at all
    EXPECT_EQ(tail("xab\ncd\n", 6), "cd\n");        // window begins inside a line
    EXPECT_EQ(tail("ab\ncd\n", 4), "cd\n");         // window begins on a line feed
    EXPECT_EQ(tail("ab\ncd\n", 3), "");             // the window's only line feed ends the cut piece
    EXPECT_EQ(tail("abcdefgh\n", 4), "");           // one line longer than the window
    EXPECT_EQ(tail("a\nb\nc", 4), "b\n");
    EXPECT_EQ(tail("a\nb\nc\n", 0), "");
    EXPECT_THROW(SessionReader::detail::tail(folder / "missing", 10), std::system_error);
}

TEST(SessionReaderSessionID, ReadsTheFirstLineOnly) {
    const WrittenFileReader idOf(
        [](const std::filesystem::path& file) { return SessionReader::sessionID(file); });
    const std::string upper = "019C8BFE-EC25-79E0-97D7-BDA6A9C575FF";
    EXPECT_EQ(idOf(sessionMetaLine(base, upper)), upper);
    EXPECT_EQ(idOf("\n\n" + sessionMetaLine(base, threadID(1)) + "rest"), threadID(1));
    EXPECT_EQ(idOf(sessionMetaLine(base, threadID(1)).substr(0, 200)), std::nullopt);
    EXPECT_EQ(idOf(completedTurn(0) + sessionMetaLine(base, threadID(1))), std::nullopt);
    EXPECT_EQ(idOf(sessionMetaLine(base, "not-a-uuid")), std::nullopt);
    EXPECT_EQ(idOf(R"({"type":"session_meta","payload":"019c8bfe-ec25-79e0-97d7-000000000001"})"),
              std::nullopt);
    EXPECT_EQ(idOf(R"({"type":"session_meta","payload":{"id":5}})"), std::nullopt);
    EXPECT_EQ(idOf(R"({"type":"event_msg","payload":{"id":"019c8bfe-ec25-79e0-97d7-000000000001"}})"),
              std::nullopt);
    EXPECT_EQ(idOf(R"({"type":"session_meta","payload":{"id":"019c8bfe-ec25-79e0-97d7-000000000001"}})"),
              "019c8bfe-ec25-79e0-97d7-000000000001");
    EXPECT_EQ(idOf(""), std::nullopt);
    // A first line longer than the 65,536 bytes read is cut and does not decode.
    const std::string longLine =
        R"({"type":"session_meta","payload":{"id":"019c8bfe-ec25-79e0-97d7-000000000001","x":")" +
        std::string(70'000, 'x') + "\"}}\n";
    EXPECT_EQ(idOf(longLine), std::nullopt);
    EXPECT_THROW(SessionReader::sessionID(idOf.missing()), std::system_error);
}

std::string passthroughMessage(const json& kinds, const json& content) {
    return codexLine(base, "response_item",
                     {{"type", "message"},
                      {"role", "user"},
                      {"content", content},
                      {"internal_chat_message_metadata_passthrough", {{"content_item_kinds", kinds}}}});
}

TEST(SessionReaderConversationName, UsesTheFirstUserText) {
    const WrittenFileReader nameOf(
        [](const std::filesystem::path& file) { return SessionReader::conversationName(file); });
    EXPECT_EQ(
        nameOf(sessionMetaLine(base, threadID(1)) + userMessage(0, "  Fix   the\t\ttests\n\n\nplease  ")),
        "Fix the tests please");
    EXPECT_EQ(nameOf(userMessage(0, " \n") + codexLine(base, "event_msg", {{"type", "user_message"}}) +
                     userMessage(1, "Second")),
              "Second");
    const json textItem = {{"type", "input_text"}, {"text", "Hello"}};
    const json otherItem = {{"type", "input_text"}, {"text", "world"}};
    const json image = {{"type", "input_image"}, {"image_url", "data:"}};
    EXPECT_EQ(
        nameOf(passthroughMessage({"user.text", "user.image", "user.text"}, {textItem, image, otherItem})),
        "Hello world");
    EXPECT_EQ(nameOf(passthroughMessage({"environment", "user.text"}, {textItem, otherItem})), "world");
    // Kinds shorter than content: the line gives nothing and the next one is tried.
    EXPECT_EQ(nameOf(passthroughMessage({"user.text"}, {textItem, otherItem}) + userMessage(1, "Next")),
              "Next");
    EXPECT_EQ(nameOf(passthroughMessage({"user.text", 3}, {textItem, otherItem}) + userMessage(1, "Next")),
              "Next");
    EXPECT_EQ(
        nameOf(passthroughMessage({"user.text", "user.text"}, {textItem, "x"}) + userMessage(1, "Next")),
        "Next");
    // Plain user messages without the passthrough give nothing.
    EXPECT_EQ(nameOf(codexLine(base, "response_item",
                               {{"type", "message"}, {"role", "user"}, {"content", {textItem}}})),
              std::nullopt);
    EXPECT_EQ(
        nameOf(passthroughMessage({"user.text"}, {textItem}).substr(0, 50) + "\n" + userMessage(1, "After")),
        "After");
    std::string longName;
    for (int index = 0; index < 200; ++index)
        longName += "\u00E9";
    EXPECT_EQ(nameOf(userMessage(0, longName))->size(), 320u);
    EXPECT_EQ(nameOf(completedTurn(0)), std::nullopt);
    EXPECT_EQ(SessionReader::conversationName(nameOf.missing()), std::nullopt);
}

TEST(SessionReaderConversationName, LooksOnlyAtTheFirst524288Bytes) {
    TemporaryDirectory folder;
    const std::filesystem::path file = folder / "s.jsonl";
    std::string bytes = sessionMetaLine(base, threadID(1));
    while (bytes.size() < 524'288 - 40)
        bytes += codexLine(base, "event_msg", {{"type", "token_count"}, {"x", std::string(500, 'x')}});
    // This line straddles the 524,288th byte.
    writeFile(file, bytes + userMessage(0, "Straddling " + std::string(100, 's')) + userMessage(1, "Beyond"));
    EXPECT_EQ(SessionReader::conversationName(file), std::nullopt);
}

} // namespace
} // namespace quorvel
