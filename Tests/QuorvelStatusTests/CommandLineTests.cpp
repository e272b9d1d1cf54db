#include "StatusProcess.h"
#include "Support/Date.h"
#include "Support/Json.h"

#include <ctime>
#include <gtest/gtest.h>
#include <map>

using namespace quorvel::testing;

namespace {

void expectUsageError(const ProcessResult& result) {
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, expectedError("invalidRecord"));
}

const std::string sampleRecord =
    R"({"source":"Local status","updatedAt":794000000.5,"id":"build-7","state":"done","name":"Build \u00b7 7",)"
    R"("projectName":"api"})";

} // namespace

struct CommandLine : StatusProcess, ::testing::Test {};

TEST_F(CommandLine, HelpPrintsTheUsageWhateverFollows) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h", "set"}, {"-h", "--directory", "x", "extra"}}) {
        const ProcessResult result = run(arguments);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, std::string(expectedUsage) + "\n");
        EXPECT_EQ(result.standardError, "");
    }
}

TEST_F(CommandLine, MalformedCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"--directory"},
        {"list", "--directory"},
        {"help"},
        {"LIST"},
        {"list", "extra"},
        {"list", "--directory", "a", "--directory"},
        {"set", "id", "working"},
        {"set", "id", "busy", "Build"},
        {"set", "id", "Working", "Build"},
        {"set", "id", "working", " \t\n\u3000"},
        {"set", "id", "working", "Build", "extra"},
        {"remove"},
        {"remove", "a", "b"},
        {"claude-hook", "extra"},
        {"--help", "--directory"},
    };
    for (const std::vector<std::string>& arguments : commandLines) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        expectUsageError(run(arguments));
    }
    EXPECT_FALSE(std::filesystem::exists(dataDirectory()));
}

TEST_F(CommandLine, SetWritesAPrivateLocalRecordAndPrintsItsLine) {
    const ProcessResult result = run({"set", "build-1", "working", "Build"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "Working: Build\n");
    EXPECT_EQ(result.standardError, "");
    const auto file = tasksDirectory() / "build-1.json";
    EXPECT_EQ(permissions(file), 0600u);
    for (const auto& folder : {home / ".local", dataHome, dataDirectory(), tasksDirectory()})
        EXPECT_EQ(permissions(folder), 0700u) << folder;
    EXPECT_FALSE(std::filesystem::exists(home / "Library"));

    quorvel::JsonParser parser;
    const auto record = quorvel::JsonValue::requireObject(parser.parse(readFile(file)));
    EXPECT_EQ(record.size(), 5u);
    EXPECT_EQ(quorvel::JsonValue::string(record, "source"), "Local status");
    EXPECT_EQ(quorvel::JsonValue::string(record, "state"), "working");
    const double age = quorvel::Date::fromUnix(static_cast<double>(std::time(nullptr))).seconds -
                       *quorvel::JsonValue::number(record, "updatedAt");
    EXPECT_GT(age, -5);
    EXPECT_LT(age, 60);

    dataHome = home / "my data";
    ASSERT_EQ(run({"set", "build-2", "done", "Build"}).exitStatus, 0);
    EXPECT_EQ(permissions(home / "my data/quorvel/tasks/build-2.json"), 0600u);
}

TEST_F(CommandLine, SetKeepsTheNameAsTypedAndCutsOnlyTheStoredName) {
    EXPECT_EQ(run({"set", "a", "unread", "  padded  "}).standardOutput,
              "Finished \u00b7 unread:   padded  \n");
    std::string longName;
    for (int i = 0; i < 170; ++i)
        longName += "\U0001F469\u200D\U0001F4BB"; // one character of three code points
    EXPECT_EQ(run({"set", "b", "waiting", longName}).standardOutput,
              "Needs your attention: " + longName + "\n");

    const ProcessResult listed = run({"list"});
    quorvel::JsonParser parser;
    std::map<std::string, std::string> names;
    const simdjson::dom::array records = parser.parse(listed.standardOutput).get_array().value();
    for (simdjson::dom::element element : records) {
        auto object = element.get_object().value();
        names[std::string(*quorvel::JsonValue::string(object, "id"))] =
            std::string(*quorvel::JsonValue::string(object, "name"));
    }
    EXPECT_EQ(names["a"], "  padded  ");
    std::string cut;
    for (int i = 0; i < 160; ++i)
        cut += "\U0001F469\u200D\U0001F4BB";
    EXPECT_EQ(names["b"], cut);
}

TEST_F(CommandLine, InvalidUtf8InANameIsRepaired) {
    const ProcessResult result = run({"set", "a", "failed", "caf\xC3 \xFF!"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "Failed: caf\uFFFD \uFFFD!\n");
    EXPECT_NE(readFile(tasksDirectory() / "a.json").find("caf\uFFFD \uFFFD!"), std::string::npos);
}

TEST_F(CommandLine, InvalidIDIsReportedAndWritesNothing) {
    for (const std::string& id :
         {std::string("a.b"), std::string("../x"), std::string(101, 'a'), std::string("a\xFF")}) {
        const ProcessResult result = run({"set", id, "working", "Build"});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, expectedError("invalidID"));
    }
    EXPECT_EQ(run({"remove", "a.b"}).standardError, expectedError("invalidID"));
    EXPECT_FALSE(std::filesystem::exists(dataDirectory()));
}

TEST_F(CommandLine, RemoveDeletesQuietlyAndAcceptsMissingRecords) {
    run({"set", "a", "done", "A"});
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ProcessResult result = run({"remove", "a"});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, "");
    }
    EXPECT_FALSE(std::filesystem::exists(tasksDirectory() / "a.json"));
}

TEST_F(CommandLine, ListPrintsIndentedJsonWithSortedKeysAndDatesSince2001) {
    EXPECT_EQ(run({"list"}).standardOutput, "[]\n");
    writeFile(tasksDirectory() / "build-7.json", sampleRecord);
    const ProcessResult result = run({"list"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "[\n"
                                     "  {\n"
                                     "    \"id\": \"build-7\",\n"
                                     "    \"name\": \"Build \u00b7 7\",\n"
                                     "    \"projectName\": \"api\",\n"
                                     "    \"source\": \"Local status\",\n"
                                     "    \"state\": \"done\",\n"
                                     "    \"updatedAt\": 794000000.5\n"
                                     "  }\n"
                                     "]\n");
}

TEST_F(CommandLine, DirectoryOptionMayStandAnywhere) {
    TemporaryDirectory folder;
    writeFile(folder / "build-7.json", sampleRecord);
    const std::string expected = run({"list", "--directory", folder.path().string()}).standardOutput;
    EXPECT_NE(expected.find("build-7"), std::string::npos);
    EXPECT_EQ(run({"--directory", folder.path().string(), "list"}).standardOutput, expected);

    EXPECT_EQ(run({"set", "--directory", folder.path().string(), "x", "done", "X"}).exitStatus, 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "x.json"));
    EXPECT_EQ(run({"remove", "x", "--directory", folder.path().string()}).exitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.json"));
    EXPECT_FALSE(std::filesystem::exists(dataDirectory()));
}

TEST_F(CommandLine, RelativeDirectoryCountsFromTheWorkingFolder) {
    const ProcessResult result =
        runProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$2\" set r working R --directory rel/tasks", "sh",
                    home.path().string(), QUORVEL_STATUS_BINARY},
                   {}, {"HOME=" + home.path().string()});
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(std::filesystem::exists(home / "rel/tasks/r.json"));
}

TEST_F(CommandLine, FailingListPrintsOnlyTheError) {
    writeFile(tasksDirectory() / "a.json", std::string(16385, ' '));
    const ProcessResult oversized = run({"list"});
    EXPECT_EQ(oversized.exitStatus, 1);
    EXPECT_EQ(oversized.standardOutput, "");
    EXPECT_EQ(oversized.standardError, expectedError("invalidRecord"));

    writeFile(tasksDirectory() / "a.json", "{\"id\":");
    const ProcessResult broken = run({"list"});
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_EQ(broken.standardOutput, "");
    EXPECT_TRUE(broken.standardError.starts_with("Quorvel status: "));
    EXPECT_TRUE(broken.standardError.ends_with("\n" + std::string(expectedUsage) + "\n"));
    EXPECT_NE(broken.standardError, expectedError("invalidRecord"));
}

TEST_F(CommandLine, StoreFailuresAreReportedWithThePlatformError) {
    writeFile(home / "blocker", "x");
    const ProcessResult result =
        run({"set", "a", "done", "A", "--directory", (home / "blocker/tasks").string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_NE(result.standardError.find("Not a directory"), std::string::npos) << result.standardError;
}

TEST_F(CommandLine, FailedStandardOutputIsReportedAsAFailure) {
    const ProcessResult result =
        runProcess({"/bin/sh", "-c", "exec \"$1\" --help > /dev/full", "sh", QUORVEL_STATUS_BINARY});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.standardError.starts_with("Quorvel status: ")) << result.standardError;
}
