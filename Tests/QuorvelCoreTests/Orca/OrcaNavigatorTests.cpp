#include "Orca/OrcaNavigationError.h"
#include "Orca/OrcaNavigator.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <variant>

namespace quorvel {
namespace {

using nlohmann::json;

const std::string tabID = "11111111-aaaa-4aaa-8aaa-aaaaaaaaaaaa";
const std::string leafID = "22222222-bbbb-4bbb-8bbb-bbbbbbbbbbbb";
const std::string handle = "term_33333333-cccc-4ccc-8ccc-cccccccccccc";
const std::string otherHandle = "term_44444444-dddd-4ddd-8ddd-dddddddddddd";
const std::string sessionID = "55555555-eeee-4eee-8eee-eeeeeeeeeeee";
const std::string taskID = "claude-" + sessionID;

OrcaSessionReference reference(std::string leaf = leafID) {
    return {"claude", sessionID, tabID, std::move(leaf), "wt-main", Date{700'000'000}, std::nullopt};
}

json terminal(std::string terminalHandle = handle) {
    return {{"executionHostId", "local"}, {"tabId", tabID},    {"leafId", leafID},
            {"worktreeId", "wt-main"},    {"connected", true}, {"handle", std::move(terminalHandle)}};
}

std::string envelope(const json& result) {
    return json{{"ok", true}, {"result", result}}.dump();
}

std::string listReply(const json& terminals, const json& extra = json::object()) {
    json result{{"truncated", false}, {"hostScope", {{"hostIds", {"local"}}}}, {"terminals", terminals}};
    result.update(extra);
    return envelope(result);
}

std::string switchReply(const std::string& focusedHandle = handle, const std::string& focusedTab = tabID,
                        bool navigated = true) {
    return envelope(
        {{"focus", {{"handle", focusedHandle}, {"tabId", focusedTab}, {"navigated", navigated}}}});
}

std::string failure(const std::string& code) {
    return json{{"ok", false}, {"error", {{"code", code}}}}.dump();
}

// Answers each run with the next scripted reply, or throws the scripted error.
struct ScriptedRunner final : OrcaCommandRunning {
    using Step = std::variant<std::string, std::function<void()>>;
    mutable std::deque<Step> steps;
    mutable std::vector<std::vector<std::string>> calls;

    std::string run(const std::filesystem::path& executable,
                    const std::vector<std::string>& arguments) const override {
        EXPECT_EQ(executable, "/opt/orca/resources/bin/orca");
        calls.push_back(arguments);
        if (steps.empty())
            throw std::logic_error("unexpected run");
        auto step = std::move(steps.front());
        steps.pop_front();
        if (auto* thrower = std::get_if<std::function<void()>>(&step))
            (*thrower)();
        return std::get<std::string>(step);
    }
};

std::function<void()> throwing(const OrcaNavigationError& error) {
    return [error] { throw error; };
}

class OrcaNavigatorOpen : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedRunner> runner = std::make_shared<ScriptedRunner>();
    std::vector<OrcaSessionIndex> indexes{OrcaSessionIndex{{reference()}}};
    int indexLoads = 0;

    void open(std::string_view id = taskID) {
        OrcaNavigator(runner).open(id, "/opt/orca/resources/bin/orca", [this] {
            const auto& index = indexes.at(std::min<std::size_t>(indexLoads, indexes.size() - 1));
            ++indexLoads;
            return index;
        });
    }

    OrcaNavigationError openError(std::string_view id = taskID) {
        try {
            open(id);
        } catch (const OrcaNavigationError& error) {
            return error;
        }
        ADD_FAILURE() << "expected an OrcaNavigationError";
        return OrcaNavigationError::unavailable();
    }
};

const std::vector<std::string> listArguments{"terminal", "list", "--json", "--limit", "10000"};

std::vector<std::string> switchArguments(const std::string& terminalHandle) {
    return {"terminal", "switch", "--terminal", terminalHandle, "--json"};
}

TEST_F(OrcaNavigatorOpen, ListsSwitchesAndChecksTheConfirmation) {
    runner->steps = {listReply(json::array({terminal()})), switchReply()};
    open("CLAUDE-55555555-EEEE-4EEE-8EEE-EEEEEEEEEEEE");
    EXPECT_EQ(runner->calls, (std::vector<std::vector<std::string>>{listArguments, switchArguments(handle)}));
    EXPECT_EQ(indexLoads, 1);
}

TEST_F(OrcaNavigatorOpen, SessionMustBeInTheIndexOnce) {
    indexes = {OrcaSessionIndex{}};
    EXPECT_EQ(openError(), OrcaNavigationError::missingSession());
    indexes = {OrcaSessionIndex{{reference(), reference("other-leaf")}}};
    EXPECT_EQ(openError(), OrcaNavigationError::ambiguous());
    EXPECT_TRUE(runner->calls.empty()) << "Orca's tool is not run";
}

TEST_F(OrcaNavigatorOpen, IndexErrorsPassThrough) {
    EXPECT_THROW(OrcaNavigator(runner).open(taskID, "/opt/orca/resources/bin/orca",
                                            []() -> OrcaSessionIndex { throw std::runtime_error("index"); }),
                 std::runtime_error);
}

TEST_F(OrcaNavigatorOpen, UnconfirmedSwitchIsUnavailable) {
    const std::vector<std::string> replies = {switchReply(handle, tabID, false), switchReply(otherHandle),
                                              switchReply(handle, "99999999-aaaa-4aaa-8aaa-aaaaaaaaaaaa"),
                                              envelope(json::object()),
                                              envelope({{"focus", {{"handle", handle}, {"tabId", tabID}}}})};
    for (const auto& reply : replies) {
        runner->steps = {listReply(json::array({terminal()})), reply};
        EXPECT_EQ(openError(), OrcaNavigationError::unavailable()) << reply;
    }
}

TEST_F(OrcaNavigatorOpen, StaleHandleReloadsTheIndexAndTriesOnce) {
    for (const auto* code : {"stale_terminal_handle", "terminal_not_found", "invalid_terminal_handle"}) {
        indexLoads = 0;
        runner->calls.clear();
        runner->steps = {listReply(json::array({terminal()})), throwing(OrcaNavigationError::failed(code)),
                         listReply(json::array({terminal(otherHandle)})), switchReply(otherHandle)};
        EXPECT_NO_THROW(open()) << code;
        EXPECT_EQ(indexLoads, 2);
        EXPECT_EQ(runner->calls.back(), switchArguments(otherHandle));
    }
}

TEST_F(OrcaNavigatorOpen, SecondStaleHandleIsThrown) {
    runner->steps = {listReply(json::array({terminal()})), failure("terminal_not_found"),
                     listReply(json::array({terminal()})), failure("terminal_not_found")};
    const auto error = openError();
    EXPECT_EQ(error, OrcaNavigationError::failed("terminal_not_found"));
    EXPECT_STREQ(error.what(), "Orca could not select the conversation.");
    EXPECT_EQ(runner->calls.size(), 4u);
}

TEST_F(OrcaNavigatorOpen, RetryUsesTheReloadedIndex) {
    indexes = {OrcaSessionIndex{{reference()}}, OrcaSessionIndex{}};
    runner->steps = {listReply(json::array({terminal()})), failure("stale_terminal_handle")};
    EXPECT_EQ(openError(), OrcaNavigationError::missingSession());
}

TEST_F(OrcaNavigatorOpen, OtherFailuresAreNotRetried) {
    runner->steps = {listReply(json::array({terminal()})), failure("permission_denied")};
    EXPECT_EQ(openError(), OrcaNavigationError::failed("permission_denied"));
    runner->steps = {listReply(json::array({terminal()})), throwing(OrcaNavigationError::timedOut())};
    EXPECT_EQ(openError(), OrcaNavigationError::timedOut());
    runner->steps = {failure("terminal_not_found")};
    EXPECT_EQ(openError(), OrcaNavigationError::failed("terminal_not_found"))
        << "a failed list is not retried";
    EXPECT_EQ(indexLoads, 3);
}

TEST(OrcaNavigatorResult, ReadsTheEnvelope) {
    JsonParser parser;
    const auto result = OrcaNavigator::result(R"({"ok": true, "result": {"a": 1}})", parser);
    EXPECT_EQ(JsonValue::number(result, "a"), 1.0);

    const auto errorOf = [&](std::string_view reply) {
        try {
            OrcaNavigator::result(reply, parser);
        } catch (const OrcaNavigationError& error) {
            return error;
        }
        ADD_FAILURE() << reply;
        return OrcaNavigationError::unavailable();
    };
    EXPECT_EQ(errorOf(R"({"ok": true})"), OrcaNavigationError::invalidResponse());
    EXPECT_EQ(errorOf(R"({"ok": true, "result": [1]})"), OrcaNavigationError::invalidResponse());
    EXPECT_EQ(errorOf(R"([{"ok": true, "result": {}}])"), OrcaNavigationError::invalidResponse());
    EXPECT_EQ(errorOf(R"("ok")"), OrcaNavigationError::invalidResponse());
    EXPECT_EQ(errorOf(R"({"ok": false})"), OrcaNavigationError::failed("unknown"));
    EXPECT_EQ(errorOf(R"({"ok": 1, "result": {}, "error": {"code": "busy"}})"),
              OrcaNavigationError::failed("busy"));
    EXPECT_EQ(errorOf(R"({"ok": "true", "result": {}})"), OrcaNavigationError::failed("unknown"));
    EXPECT_EQ(errorOf(R"({"error": {"code": 7}})"), OrcaNavigationError::failed("unknown"));

    std::string large = R"({"ok": true, "result": {}})";
    large.append(OrcaNavigator::replyLimit - large.size(), ' ');
    EXPECT_NO_THROW(OrcaNavigator::result(large, parser));
    EXPECT_EQ(errorOf(large + " "), OrcaNavigationError::invalidResponse());

    EXPECT_THROW(OrcaNavigator::result("", parser), JsonParseError);
    EXPECT_THROW(OrcaNavigator::result("Error: no such command", parser), JsonParseError);
}

OrcaNavigationError resolveError(const std::string& reply) {
    try {
        OrcaNavigator::resolve(reply, reference());
    } catch (const OrcaNavigationError& error) {
        return error;
    }
    ADD_FAILURE() << reply;
    return OrcaNavigationError::unavailable();
}

TEST(OrcaNavigatorResolve, FindsTheOneConnectedLocalPane) {
    auto orphanedFalse = terminal();
    orphanedFalse["orphaned"] = false;
    auto foreignPane = terminal(otherHandle);
    foreignPane["leafId"] = "77777777-aaaa-4aaa-8aaa-aaaaaaaaaaaa";
    EXPECT_EQ(OrcaNavigator::resolve(listReply(json::array({foreignPane, orphanedFalse})), reference()),
              handle);
}

TEST(OrcaNavigatorResolve, ListMustBeCompleteLocalAndWellFormed) {
    const json terminals = json::array({terminal()});
    const std::vector<json> broken = {
        {{"truncated", true}},
        {{"truncated", nullptr}},
        {{"truncated", 0}},
        {{"hostScope", {{"hostIds", {"remote"}}}}},
        {{"hostScope", {{"hostIds", {"local", 1}}}}},
        {{"hostScope", {{"hostIds", "local"}}}},
        {{"hostScope", nullptr}},
        {{"terminals", {terminal(), "x"}}},
        {{"terminals", terminal()}},
    };
    for (const auto& extra : broken)
        EXPECT_EQ(resolveError(listReply(terminals, extra)), OrcaNavigationError::invalidResponse()) << extra;

    auto noTruncated = json::parse(listReply(terminals));
    noTruncated["result"].erase("truncated");
    EXPECT_EQ(resolveError(noTruncated.dump()), OrcaNavigationError::invalidResponse());
    EXPECT_EQ(resolveError(failure("not_ready")), OrcaNavigationError::failed("not_ready"));
}

TEST(OrcaNavigatorResolve, TerminalsThatAreNotTheLivePaneDoNotMatch) {
    const std::vector<std::pair<const char*, std::function<void(json&)>>> changes = {
        {"disconnected", [](json& t) { t["connected"] = false; }},
        {"connected missing", [](json& t) { t.erase("connected"); }},
        {"connected as number", [](json& t) { t["connected"] = 1; }},
        {"orphaned", [](json& t) { t["orphaned"] = true; }},
        {"remote host", [](json& t) { t["executionHostId"] = "ssh-box"; }},
        {"tab in upper case", [](json& t) { t["tabId"] = "11111111-AAAA-4AAA-8AAA-AAAAAAAAAAAA"; }},
        {"other leaf", [](json& t) { t["leafId"] = tabID; }},
        {"other worktree", [](json& t) { t["worktreeId"] = "wt-other"; }},
    };
    for (const auto& [name, change] : changes) {
        auto candidate = terminal();
        change(candidate);
        EXPECT_EQ(resolveError(listReply(json::array({candidate}))), OrcaNavigationError::missingSession())
            << name;
    }
}

TEST(OrcaNavigatorResolve, TwoMatchesAreAmbiguousAndABadHandleIsMissing) {
    EXPECT_EQ(resolveError(listReply(json::array({terminal(), terminal(otherHandle)}))),
              OrcaNavigationError::ambiguous());
    for (const auto& bad : {json("term_not-a-uuid"), json(handle.substr(5)), json("TERM_" + handle.substr(5)),
                            json(nullptr), json(5)}) {
        auto candidate = terminal();
        candidate["handle"] = bad;
        EXPECT_EQ(resolveError(listReply(json::array({candidate}))), OrcaNavigationError::missingSession())
            << bad;
    }
}

TEST(OrcaNavigationError, MessagesAndEquality) {
    const std::vector<std::pair<OrcaNavigationError, const char*>> messages = {
        {OrcaNavigationError::failed("x"), "Orca could not select the conversation."},
        {OrcaNavigationError::unavailable(), "Orca could not be reached."},
        {OrcaNavigationError::invalidResponse(), "This Orca version returned an unsupported response."},
        {OrcaNavigationError::ambiguous(), "More than one Orca pane matches this conversation."},
        {OrcaNavigationError::missingSession(),
         "The original Orca tab is closed or its session information is unavailable."},
        {OrcaNavigationError::timedOut(), "Orca took too long to respond."},
        {OrcaNavigationError::outputLimit(),
         "Orca returned more session information than Quorvel can process."},
    };
    for (const auto& [error, message] : messages)
        EXPECT_STREQ(error.what(), message);
    EXPECT_EQ(OrcaNavigationError::failed("a"), OrcaNavigationError::failed("a"));
    EXPECT_NE(OrcaNavigationError::failed("a"), OrcaNavigationError::failed("b"));
    EXPECT_NE(OrcaNavigationError::timedOut(), OrcaNavigationError::outputLimit());
}

} // namespace
} // namespace quorvel
