#include "Codex/CodexReadState.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <cctype>
#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;
using Unread = std::optional<std::set<std::string>>;

const std::string threadID = "019a1b2c-3d4e-7f60-8a9b-0c1d2e3f4a5b";

std::string globalState(std::string_view unreadByIdentity, int version = 1) {
    return R"({"electron-thread-read-state-v1": {"version": )" + std::to_string(version) +
           R"(, "unreadByIdentity": )" + std::string(unreadByIdentity) + "}}";
}

TaskStatus codexTask(std::string id, std::string source = std::string(codexHistorySource)) {
    return TaskStatus::make(std::move(id), "task", LightState::done, Date{1000}, std::move(source));
}

TEST(CodexReadStateTests, UsesTheSingleLocalKeyOfTheSingleIdentity) {
    auto state = CodexReadState::decode(globalState(R"({"user": {
        "remote:x": ["r1"], "local:/Users/a": ["t1", "t2", "t1"], "cloud": ["c1"]}})"));
    EXPECT_EQ(state.unread, (Unread{{"t1", "t2"}}));

    EXPECT_EQ(CodexReadState::decode(globalState(R"({"user": {"local:a": []}})")).unread,
              Unread{std::set<std::string>{}});
}

TEST(CodexReadStateTests, UnexpectedLayoutsLeaveTheFlagsUnknown) {
    const std::string layouts[] = {
        "{}",
        R"({"electron-thread-read-state-v1": null})",
        globalState(R"({"user": {"local:a": ["t1"]}})", 2),
        globalState(R"({"user": {"local:a": ["t1"], "local:b": []}})"),
        globalState(R"({"user": {"remote:a": ["t1"]}})"),
        globalState(R"({"user": {}})"),
        globalState(R"({"u1": {"local:a": ["t1"]}, "u2": {"local:a": ["t2"]}})"),
        globalState("{}"),
    };
    for (const auto& layout : layouts)
        EXPECT_EQ(CodexReadState::decode(layout).unread, std::nullopt) << layout;
}

TEST(CodexReadStateTests, AnotherShapeFailsTheDecoding) {
    const std::string failures[] = {
        R"({"electron-thread-read-state-v1": {"unreadByIdentity": {}}})",
        R"({"electron-thread-read-state-v1": {"version": 1}})",
        R"({"electron-thread-read-state-v1": {"version": "1", "unreadByIdentity": {}}})",
        R"({"electron-thread-read-state-v1": {"version": 1.5, "unreadByIdentity": {}}})",
        R"({"electron-thread-read-state-v1": []})",
        globalState(R"({"user": {"local:a": ["t1", 2]}})"),
        globalState(R"({"user": {"local:a": "t1"}})"),
        // A malformed entry outside the single "local:" key still counts.
        globalState(R"({"user": {"local:a": ["t1"], "remote": [null]}})"),
        globalState(R"({"user": {"local:a": ["t1"]}, "other": []})", 2),
    };
    for (const auto& failure : failures)
        EXPECT_THROW(CodexReadState::decode(failure), JsonDecodeError) << failure;
    EXPECT_THROW(CodexReadState::decode("{"), JsonParseError);
}

TEST(CodexReadStateTests, ReadTestComparesThreadIDsExactly) {
    CodexReadState state{std::set<std::string>{threadID}};
    EXPECT_FALSE(state.hasRead(codexTask("codex-" + threadID)));
    std::string upperCase = threadID;
    for (auto& c : upperCase)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(state.hasRead(codexTask("codex-" + upperCase)));
    EXPECT_TRUE(state.hasRead(codexTask("codex-not-a-uuid")));

    EXPECT_FALSE(state.hasRead(codexTask("codex-other", std::string(localStatusSource))));
    EXPECT_FALSE(state.hasRead(codexTask("claude-other")));
    EXPECT_FALSE(CodexReadState{}.hasRead(codexTask("codex-other")));
    EXPECT_TRUE(CodexReadState{std::set<std::string>{}}.hasRead(codexTask("codex-other")));
}

TEST(CodexReadStateTests, LoadReadsTheGlobalStateFileUpToItsSizeCap) {
    TemporaryDirectory home;
    EXPECT_THROW(CodexReadState::load(home.path()), std::system_error);

    auto file = home / ".codex-global-state.json";
    std::string document = globalState(R"({"user": {"local:a": ["t1"]}})");
    document.resize(16'000'000, ' ');
    writeFile(file, document);
    EXPECT_EQ(CodexReadState::load(home.path()).unread, (Unread{{"t1"}}));

    writeFile(file, document + " ");
    EXPECT_EQ(CodexReadState::load(home.path()).unread, std::nullopt);

    writeFile(file, "[]");
    EXPECT_THROW(CodexReadState::load(home.path()), JsonDecodeError);
}

TEST(CodexReadStateTests, LoadDoesNotFollowALinkOrReadAFolder) {
    TemporaryDirectory home;
    writeFile(home / "real.json", globalState(R"({"user": {"local:a": []}})"));
    std::filesystem::create_symlink(home / "real.json", home / ".codex-global-state.json");
    EXPECT_EQ(CodexReadState::load(home.path()).unread, std::nullopt);

    TemporaryDirectory other;
    std::filesystem::create_directory(other / ".codex-global-state.json");
    EXPECT_EQ(CodexReadState::load(other.path()).unread, std::nullopt);
}

} // namespace
} // namespace quorvel
