#include "Model/TaskStatus.h"
#include "Support/Json.h"

#include <gtest/gtest.h>

using namespace quorvel;

namespace {

const std::string uuid = "0199a3c4-7b2e-7f10-9c1d-2e3f4a5b6c7d";
const std::string upperUuid = "0199A3C4-7B2E-7F10-9C1D-2E3F4A5B6C7D";

TaskStatus task(std::string id, std::string_view source) {
    return TaskStatus::make(std::move(id), "name", LightState::done, Date{100}, std::string(source));
}

TaskStatus decode(std::string_view json) {
    JsonParser parser;
    return TaskStatus::fromJson(JsonValue::requireObject(parser.parse(json)));
}

} // namespace

TEST(TaskStatus, ConvenienceConstructorKeeps160Characters) {
    const std::string emoji = "\U0001F469\u200D\U0001F4BB";
    EXPECT_EQ(TaskStatus::make("a", std::string(200, 'x'), LightState::working, Date{}, "s").name,
              std::string(160, 'x'));
    const std::string exact = std::string(159, 'x') + emoji;
    EXPECT_EQ(TaskStatus::make("a", exact, LightState::working, Date{}, "s").name, exact);
    EXPECT_EQ(TaskStatus::make("a", exact + "y", LightState::working, Date{}, "s").name, exact);
    auto made = TaskStatus::make("a", "n", LightState::failed, Date{5}, "s");
    EXPECT_FALSE(made.projectName || made.confirmedAttentionPending || made.orcaSession || made.isScheduled);
}

TEST(TaskStatus, JsonFormWritesOnlyPresentKeysAndRoundTrips) {
    auto plain = task("build-1", localStatusSource);
    EXPECT_EQ(JsonText::compact(plain.toJson()),
              R"({"id":"build-1","name":"name","source":"Local status","state":"done","updatedAt":100.0})");

    TaskStatus full = task("claude-" + uuid, claudeCodeSource);
    full.updatedAt = Date{725846400.125};
    full.projectName = "api";
    full.lastTurnBoundaryAt = Date{1.5};
    full.confirmedAttentionPending = false;
    full.providerSessionID = "local_" + uuid;
    full.providerSessionLastFocusedAt = Date{2};
    full.isScheduled = true;
    full.orcaSession = OrcaSessionReference{"claude", uuid, "tab", "leaf", "wt", Date{3}, std::nullopt};
    EXPECT_EQ(decode(JsonText::compact(full.toJson())), full);
    EXPECT_EQ(decode(std::string(R"({"id":"x","name":")") + std::string(300, 'n') +
                     R"(","state":"working","updatedAt":1,"source":"s"})")
                  .name.size(),
              300u);
}

TEST(TaskStatus, DecodingRejectsMissingOrMistypedRequiredKeys) {
    EXPECT_THROW(decode(R"({"id":"x","name":"n","state":"done","updatedAt":1})"), JsonDecodeError);
    EXPECT_THROW(decode(R"({"id":"x","name":"n","state":"Done","updatedAt":1,"source":"s"})"),
                 JsonDecodeError);
    EXPECT_THROW(decode(R"({"id":"x","name":"n","state":"done","updatedAt":"1","source":"s"})"),
                 JsonDecodeError);
    EXPECT_THROW(decode(R"({"id":"x","name":"n","state":"done","updatedAt":1,"source":"s","isScheduled":1})"),
                 JsonDecodeError);
    const auto decoded = decode(
        R"({"id":"x","name":"n","state":"unread","updatedAt":1,"source":"s","projectName":null,"extra":[1]})");
    EXPECT_FALSE(decoded.projectName);
    EXPECT_EQ(decoded.state, LightState::unread);
}

TEST(TaskStatus, ProviderNeedsBothSourceAndIdPrefix) {
    EXPECT_EQ(task("codex-" + uuid, codexHistorySource).provider(), TaskProvider::codex);
    EXPECT_EQ(task("claude-" + uuid, claudeCodeSource).provider(), TaskProvider::claude);
    EXPECT_EQ(task("claude-" + uuid, codexHistorySource).provider(), TaskProvider::local);
    EXPECT_EQ(task("codex-" + uuid, "codex history \u00B7 experimental").provider(), TaskProvider::local);
    EXPECT_EQ(task("codex-" + uuid, claudeCodeSource).provider(), TaskProvider::local);
}

TEST(TaskStatus, CodexLinksKeepTheIdsCaseWhileTheThreadIdIsLowerCase) {
    const auto codex = task("codex-" + upperUuid, codexHistorySource);
    EXPECT_EQ(codex.codexThreadID(), uuid);
    EXPECT_EQ(codex.taskURL(), "codex://threads/" + upperUuid);
    EXPECT_FALSE(task("codex-" + uuid, localStatusSource).taskURL());
    EXPECT_FALSE(task("codex-" + uuid, localStatusSource).codexThreadID());
    EXPECT_FALSE(task("codex-" + uuid.substr(1), codexHistorySource).codexThreadID());
    EXPECT_FALSE(task("codex-{" + uuid + "}", codexHistorySource).taskURL());
}

TEST(TaskStatus, ClaudeLinksNeedALocalDesktopSession) {
    auto claude = task("claude-" + upperUuid, claudeCodeSource);
    EXPECT_FALSE(claude.taskURL());
    EXPECT_EQ(claude.claudeSessionID(), upperUuid);
    claude.providerSessionID = uuid;
    EXPECT_FALSE(claude.taskURL());
    claude.providerSessionID = "LOCAL_" + uuid;
    EXPECT_FALSE(claude.taskURL());
    claude.providerSessionID = "local_" + uuid;
    EXPECT_EQ(claude.taskURL(), "claude://code/continue?session=local_" + uuid);
    claude.orcaSession = OrcaSessionReference{"claude", uuid, "t", "l", "w", Date{}, std::nullopt};
    EXPECT_TRUE(claude.isOrcaTask());
    EXPECT_TRUE(claude.taskURL());
    EXPECT_FALSE(task("claude-" + uuid, localStatusSource).claudeSessionID());
}

TEST(LightState, TextsRanksAndAggregate) {
    EXPECT_EQ(LightStates::fromRawValue("unread"), LightState::unread);
    EXPECT_FALSE(LightStates::fromRawValue("Working"));
    EXPECT_FALSE(LightStates::fromRawValue(""));
    EXPECT_EQ(LightStates::label(LightState::done), "Finished \u00B7 read");
    EXPECT_EQ(LightStates::aggregate({}), LightState::unknown);
    EXPECT_EQ(LightStates::aggregate({LightState::done, LightState::working}), LightState::working);
    EXPECT_EQ(LightStates::aggregate({LightState::unread, LightState::unknown}), LightState::unknown);
    EXPECT_EQ(LightStates::aggregate({LightState::done}), LightState::done);
    EXPECT_EQ(TaskProviders::fromRawValue("claude"), TaskProvider::claude);
    EXPECT_FALSE(TaskProviders::fromRawValue("Claude"));
}

TEST(LightState, MenuDetailTrimsTheProjectName) {
    EXPECT_EQ(LightStates::menuDetail(LightState::done, std::string("  api  ")), "api \u00B7 Finished");
    EXPECT_EQ(LightStates::menuDetail(LightState::done, std::string("   ")), "Finished");
    EXPECT_EQ(LightStates::menuDetail(LightState::done, std::nullopt), "Finished");
    EXPECT_EQ(LightStates::menuDetail(LightState::unread, std::string("web")),
              "web \u00B7 Finished \u00B7 unread");
}

TEST(OrcaSessionReference, JsonFormAndTaskId) {
    OrcaSessionReference reference{"claude", upperUuid, "T", "L", "w", Date{7}, std::nullopt};
    EXPECT_EQ(reference.taskID(), "claude-" + uuid);
    const auto json = reference.toJson();
    EXPECT_FALSE(json.contains("transcriptPath"));
    JsonParser parser;
    EXPECT_EQ(OrcaSessionReference::fromJson(JsonValue::requireObject(parser.parse(JsonText::compact(json)))),
              reference);
    auto other = reference;
    other.observedAt = Date{8};
    EXPECT_NE(other, reference);
    auto withNull = json;
    withNull["transcriptPath"] = nullptr;
    EXPECT_EQ(OrcaSessionReference::fromJson(JsonValue::requireObject(parser.parse(withNull.dump()))),
              reference);
}
