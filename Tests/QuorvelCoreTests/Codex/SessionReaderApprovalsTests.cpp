#include "Codex/SessionReader.h"
#include "Support/Json.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using SessionReader::isKnownNestedApprovalCompletion;
using SessionReader::requestsEscalatedPermission;
using SessionReader::requestsFileChangeApproval;
using SessionReader::requestsKnownNestedApproval;

TEST(SessionReaderApprovals, EscalatedPermissionFollowsThePatternExactly) {
    EXPECT_TRUE(requestsEscalatedPermission(R"({"cmd":"ls","sandbox_permissions":"require_escalated"})"));
    EXPECT_TRUE(requestsEscalatedPermission("sandbox_permissions : 'require_escalated'"));
    EXPECT_TRUE(requestsEscalatedPermission("x='sandbox_permissions' \t:\n 'require_escalated'"));
    EXPECT_TRUE(requestsEscalatedPermission("sandbox_permissions:\"require_escalated'"));
    // Unicode white space counts as white space.
    EXPECT_TRUE(requestsEscalatedPermission("sandbox_permissions\u00A0:\u2003\"require_escalated\""));
    // A later occurrence can match after an earlier one fails.
    EXPECT_TRUE(requestsEscalatedPermission(
        R"(sandbox_permissions: "allow", sandbox_permissions: "require_escalated")"));

    EXPECT_FALSE(requestsEscalatedPermission(std::nullopt));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions : 'allow'"));
    EXPECT_FALSE(requestsEscalatedPermission("Sandbox_Permissions: 'require_escalated'"));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions: require_escalated"));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions: 'require_escalated"));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions = 'require_escalated'"));
    // At most one quote after the key.
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions'': 'require_escalated'"));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions: ''require_escalated'"));
    EXPECT_FALSE(requestsEscalatedPermission("sandbox_permissions: 'REQUIRE_ESCALATED'"));
}

TEST(SessionReaderApprovals, EscalatedPermissionHandlesLongInputWithoutBacktracking) {
    std::string input;
    for (int index = 0; index < 200'000; ++index)
        input += "sandbox_permissions:   ";
    EXPECT_FALSE(requestsEscalatedPermission(input));
    input += "'require_escalated'";
    EXPECT_TRUE(requestsEscalatedPermission(input));
}

TEST(SessionReaderApprovals, KnownNestedApprovalIsAPlainSubstring) {
    EXPECT_TRUE(requestsKnownNestedApproval(
        "await tools.mcp__openai_artifact_template_picker__choose_artifact_template({})"));
    EXPECT_TRUE(requestsKnownNestedApproval("x = tools.mcp__codex_apps__google_calendar_create_event(y)"));
    EXPECT_FALSE(requestsKnownNestedApproval("tools.mcp__codex_apps__google_calendar.create_event"));
    EXPECT_FALSE(requestsKnownNestedApproval("TOOLS.mcp__codex_apps__google_calendar_create_event"));
    EXPECT_FALSE(requestsKnownNestedApproval(std::nullopt));
}

TEST(SessionReaderApprovals, FileChangeNeedsADeletion) {
    const std::string deletion = "*** Begin Patch\n*** Delete File: a.txt\n*** End Patch";
    const std::string update = "*** Begin Patch\n*** Update File: a.txt\n*** Add File: b.txt\n*** End Patch";
    EXPECT_TRUE(requestsFileChangeApproval("apply_patch", deletion));
    EXPECT_TRUE(requestsFileChangeApproval("exec", "tools.apply_patch(`" + deletion + "`)"));
    EXPECT_FALSE(requestsFileChangeApproval("exec", deletion));
    EXPECT_FALSE(requestsFileChangeApproval("shell", "tools.apply_patch(`" + deletion + "`)"));
    EXPECT_FALSE(requestsFileChangeApproval("Apply_Patch", deletion));
    for (const char* name : {"apply_patch", "exec", "shell"})
        EXPECT_FALSE(requestsFileChangeApproval(name, "tools.apply_patch(`" + update + "`)")) << name;
    EXPECT_FALSE(requestsFileChangeApproval("apply_patch", std::nullopt));
    EXPECT_FALSE(requestsFileChangeApproval("apply_patch", "*** delete file: a.txt"));
}

TEST(SessionReaderApprovals, NestedCompletionMatchesServerAndToolExactly) {
    JsonParser parser;
    const auto item = [&](std::string_view json) { return parser.tryParseObject(json); };
    EXPECT_TRUE(isKnownNestedApprovalCompletion(
        item(R"({"type":"McpToolCall","server":"codex_apps","tool":"google_calendar.create_event"})")));
    EXPECT_TRUE(isKnownNestedApprovalCompletion(item(
        R"({"type":"McpToolCall","server":"openai_artifact_template_picker","tool":"choose_artifact_template"})")));

    EXPECT_FALSE(isKnownNestedApprovalCompletion(
        item(R"({"type":"McpToolCall","server":"codex_apps","tool":"google_calendar_create_event"})")));
    EXPECT_FALSE(isKnownNestedApprovalCompletion(
        item(R"({"type":"McpToolCall","server":"codex_apps","tool":"choose_artifact_template"})")));
    EXPECT_FALSE(isKnownNestedApprovalCompletion(
        item(R"({"type":"mcpToolCall","server":"codex_apps","tool":"google_calendar.create_event"})")));
    EXPECT_FALSE(isKnownNestedApprovalCompletion(
        item(R"({"type":"McpToolCall","server":7,"tool":"google_calendar.create_event"})")));
    EXPECT_FALSE(isKnownNestedApprovalCompletion(item(R"({"type":"McpToolCall","server":"codex_apps"})")));
    EXPECT_FALSE(isKnownNestedApprovalCompletion(std::nullopt));
}

} // namespace
} // namespace quorvel
