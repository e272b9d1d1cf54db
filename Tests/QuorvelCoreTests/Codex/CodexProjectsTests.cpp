#include "Codex/CodexProjects.h"
#include "Support/Json.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Names = std::map<std::string, std::string>;

TEST(CodexProjectsTests, LocalAssignmentsGetTheirTrimmedProjectName) {
    std::string longName(159, 'x');
    longName += "\U0001F469\u200D\U0001F4BB" + std::string(40, 'y'); // an emoji of three code points
    auto names = CodexProjects::decode(R"({
        "thread-project-assignments": {
            "T-1": {"projectKind": "local", "projectId": "p1", "extra": 1},
            "t-2": {"projectKind": "local", "projectId": "p1"},
            "t-3": {"projectKind": "Local", "projectId": "p1"},
            "t-4": {"projectKind": "remote", "projectId": "p1"},
            "t-5": {"projectKind": "local", "projectId": "missing"},
            "t-6": {"projectKind": "local", "projectId": "blank"},
            "t-7": {"projectKind": "local", "projectId": "long"},
            "t-8": {"projectKind": "local", "projectId": "P1"}
        },
        "local-projects": {
            "p1": {"name": "  api\n"},
            "blank": {"name": " \n\t\u2028 "},
            "long": {"name": ")" + longName +
                                       R"("}
        },
        "other": [1, 2, 3]
    })");

    EXPECT_EQ(names, (Names{{"T-1", "api"},
                            {"t-2", "api"},
                            {"t-7", std::string(159, 'x') + "\U0001F469\u200D\U0001F4BB"}}));
}

TEST(CodexProjectsTests, MissingOrNullMembersGiveNoNames) {
    const char* documents[] = {
        "{}",
        R"({"thread-project-assignments": null, "local-projects": {"p": {"name": "a"}}})",
        R"({"thread-project-assignments": {"t": {"projectKind": "local", "projectId": "p"}}})",
        R"({"thread-project-assignments": {"t": {"projectKind": "local", "projectId": "p"}},
            "local-projects": null})",
        R"({"thread-project-assignments": {"t": {"projectKind": "local", "projectId": "p"}},
            "local-projects": {}})",
    };
    for (const char* document : documents)
        EXPECT_TRUE(CodexProjects::decode(document).empty()) << document;
}

TEST(CodexProjectsTests, OneMalformedEntryFailsTheWholeDecoding) {
    const char* decodeFailures[] = {
        R"({"thread-project-assignments": {"a": {"projectKind": "local", "projectId": "p"},
                                          "b": {"projectKind": "local"}},
            "local-projects": {"p": {"name": "api"}}})",
        R"({"thread-project-assignments": {"a": {"projectKind": 1, "projectId": "p"}}})",
        R"({"thread-project-assignments": {"a": {"projectKind": null, "projectId": "p"}}})",
        R"({"thread-project-assignments": {"a": "local"}})",
        R"({"thread-project-assignments": [], "local-projects": {}})",
        R"({"local-projects": {"unused": {"title": "no name"}}})",
        R"({"local-projects": {"p": {"name": ["api"]}}})",
        R"(["thread-project-assignments"])",
    };
    for (const char* document : decodeFailures)
        EXPECT_THROW(CodexProjects::decode(document), JsonDecodeError) << document;
    EXPECT_THROW(CodexProjects::decode(R"({"local-projects": {})"), JsonParseError);
    EXPECT_THROW(CodexProjects::decode(""), JsonParseError);
}

} // namespace
} // namespace quorvel
