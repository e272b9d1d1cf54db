#include "Orca/OrcaInstallation.h"
#include "Platform/XdgWorkspace.h"
#include "Support/EventLoopWait.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using testing::TemporaryDirectory;

// Fake desktop tools in a folder that is the whole PATH; each records its arguments, NUL-separated,
// in "<name>.args" and then does what the test wrote.
class XdgWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override { writeTool("xdg-mime", "printf 'claude-desktop.desktop\\n'"); }

    static void writeScript(const std::filesystem::path& path, const std::string& body) {
        testing::writeFile(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
    }
    void writeTool(const std::string& name, const std::string& body) {
        writeScript(bin / name,
                    "printf '%s\\0' \"$@\" > '" + (folder / (name + ".args")).string() + "'\n" + body);
    }

    std::optional<std::vector<std::string>> argumentsOf(const std::string& name) const {
        const auto file = folder / (name + ".args");
        if (!std::filesystem::exists(file))
            return std::nullopt;
        std::vector<std::string> arguments;
        const std::string text = testing::readFile(file);
        for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            arguments.push_back(text.substr(start, end - start));
        return arguments;
    }

    std::optional<bool> open(const QString& url) {
        std::optional<bool> outcome;
        workspace.openURL(url, [&outcome](bool succeeded) { outcome = succeeded; });
        EXPECT_FALSE(outcome.has_value()) << "answered before returning to the event loop";
        EXPECT_TRUE(testing::waitUntil([&] { return outcome.has_value(); }));
        return outcome;
    }

    std::optional<Workspace::LinkOutcome> openLink(const QString& url) {
        std::optional<Workspace::LinkOutcome> outcome;
        workspace.openLink(url, [&outcome](Workspace::LinkOutcome result) { outcome = result; });
        EXPECT_TRUE(testing::waitUntil([&] { return outcome.has_value(); }));
        return outcome;
    }

    // xdg-mime that knows a handler only for claude links and counts its runs.
    void writeCountingHandlerQuery(const std::string& registeredScheme = "claude") {
        writeTool("xdg-mime", "echo >> '" + (folder / "queries").string() +
                                  "'\n[ \"$3\" = x-scheme-handler/" + registeredScheme +
                                  " ] && printf 'handler.desktop\\n'\nexit 0");
    }
    int handlerQueries() const {
        const auto file = folder / "queries";
        return std::filesystem::exists(file) ? int(std::ranges::count(testing::readFile(file), '\n')) : 0;
    }

    std::optional<bool> launch(const OrcaInstallation& application) {
        std::optional<bool> outcome;
        workspace.openApplication(application, [&outcome](bool succeeded) { outcome = succeeded; });
        EXPECT_TRUE(testing::waitUntil([&] { return outcome.has_value(); }));
        return outcome;
    }

    TemporaryDirectory folder;
    std::filesystem::path bin = folder / "bin";
    testing::ScopedEnvironmentVariable path{"PATH", bin.string()};
    XdgWorkspace workspace{300ms};
};

using Arguments = std::vector<std::string>;

void runEventLoopFor(std::chrono::milliseconds duration) {
    testing::waitUntil([] { return false; }, duration);
}

TEST_F(XdgWorkspaceTest, AnOpenedLinkWithAHandlerSucceeds) {
    writeTool("xdg-open", "exit 0");
    EXPECT_EQ(open("claude://resume?session=abc"), true);
    EXPECT_EQ(argumentsOf("xdg-mime"), (Arguments{"query", "default", "x-scheme-handler/claude"}));
    EXPECT_EQ(argumentsOf("xdg-open"), (Arguments{"claude://resume?session=abc"}));
}

TEST_F(XdgWorkspaceTest, WithoutARegisteredHandlerTheLinkIsNeverOpened) {
    writeTool("xdg-open", "exit 0");
    for (const char* answer : {"exit 0", "printf '\\n'; exit 0", "printf 'no-entry\\n'", "exit 4"}) {
        writeTool("xdg-mime", answer);
        EXPECT_EQ(open("codex://threads/1"), false) << answer;
    }
    EXPECT_EQ(argumentsOf("xdg-open"), std::nullopt);
}

TEST_F(XdgWorkspaceTest, AFailingOrMissingOpenerIsFailure) {
    writeTool("xdg-open", "exit 1");
    EXPECT_EQ(open("https://example.org/"), false);
    EXPECT_EQ(argumentsOf("xdg-mime"), (Arguments{"query", "default", "x-scheme-handler/https"}));
    std::filesystem::remove(bin / "xdg-open");
    EXPECT_EQ(open("https://example.org/"), false);
    std::filesystem::remove(bin / "xdg-mime");
    writeTool("xdg-open", "exit 0");
    EXPECT_EQ(open("https://example.org/"), false);
}

TEST_F(XdgWorkspaceTest, ALinkWithShellCharactersArrivesAsOneArgument) {
    writeTool("xdg-open", "exit 0");
    const std::string link =
        "claude://resume?name=a b;c&d=$(touch " + (folder / "ran").string() + ")`id`'\"|*\nnext%20line\\";
    EXPECT_EQ(open(QString::fromStdString(link)), true);
    EXPECT_EQ(argumentsOf("xdg-open"), (Arguments{link}));
    EXPECT_FALSE(std::filesystem::exists(folder / "ran"));
}

TEST_F(XdgWorkspaceTest, TheHandlerIsLookedUpForTheLinksSchemeInLowerCase) {
    writeTool("xdg-open", "exit 0");
    EXPECT_EQ(open("CoDeX://x"), true);
    EXPECT_EQ(argumentsOf("xdg-mime"), (Arguments{"query", "default", "x-scheme-handler/codex"}));
}

TEST_F(XdgWorkspaceTest, TextWithoutASchemeRunsNothing) {
    writeTool("xdg-open", "exit 0");
    for (const char* text : {"", "-x:y", "/etc/passwd", ":nothing", "1abc:x", "a b:c", "no scheme"})
        EXPECT_EQ(open(QString::fromUtf8(text)), false) << text;
    EXPECT_EQ(argumentsOf("xdg-mime"), std::nullopt);
    EXPECT_EQ(argumentsOf("xdg-open"), std::nullopt);
}

TEST_F(XdgWorkspaceTest, AnOpenerStillRunningAfterTheGraceHasStartedTheHandler) {
    // xdg-open on an unrecognised desktop waits for the handler it started.
    writeTool("xdg-open", "exec /bin/sleep 3");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(open("claude://x"), true);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

TEST_F(XdgWorkspaceTest, AHandlerQueryThatHangsFails) {
    writeTool("xdg-mime", "exec /bin/sleep 30");
    writeTool("xdg-open", "exit 0");
    XdgWorkspace impatient{300ms, 300ms};
    std::optional<bool> outcome;
    impatient.openURL("claude://x", [&outcome](bool succeeded) { outcome = succeeded; });
    EXPECT_TRUE(testing::waitUntil([&] { return outcome.has_value(); }, 5s));
    EXPECT_EQ(outcome, false);
    EXPECT_EQ(argumentsOf("xdg-open"), std::nullopt);
}

TEST_F(XdgWorkspaceTest, AnUnopenedLinkSaysWhetherItHadNoHandlerOrItsHandlerFailed) {
    using Outcome = Workspace::LinkOutcome;
    writeTool("xdg-open", "exit 0");
    EXPECT_EQ(openLink("claude://x"), Outcome::opened);
    writeTool("xdg-open", "exit 1");
    EXPECT_EQ(openLink("claude://x"), Outcome::failed);
    writeTool("xdg-mime", "exit 0");
    EXPECT_EQ(openLink("claude://x"), Outcome::noHandler);
    std::filesystem::remove(bin / "xdg-mime");
    EXPECT_EQ(openLink("claude://x"), Outcome::noHandler);
    EXPECT_EQ(openLink("no scheme"), Outcome::noHandler);
}

TEST_F(XdgWorkspaceTest, HandlerAnswersArriveLaterAndAreKeptPerScheme) {
    writeCountingHandlerQuery();
    int changes = 0;
    workspace.onHandlersChanged([&changes] { ++changes; });
    EXPECT_EQ(workspace.hasHandler("claude://a"), std::nullopt);
    EXPECT_EQ(workspace.hasHandler("codex://threads/1"), std::nullopt);
    EXPECT_EQ(workspace.hasHandler("CLAUDE://b"), std::nullopt);
    ASSERT_TRUE(testing::waitUntil([&] { return changes == 2; }));
    EXPECT_EQ(workspace.hasHandler("claude://c"), true);
    EXPECT_EQ(workspace.hasHandler("codex://threads/2"), false);
    EXPECT_EQ(workspace.hasHandler("no scheme"), false);
    runEventLoopFor(100ms);
    EXPECT_EQ(handlerQueries(), 2);
    EXPECT_EQ(changes, 2);
}

TEST_F(XdgWorkspaceTest, AnOldAnswerIsLookedUpAgainAndAChangeIsTold) {
    writeCountingHandlerQuery();
    XdgWorkspace forgetful{300ms, 10s, 0ms};
    int changes = 0;
    forgetful.onHandlersChanged([&changes] { ++changes; });
    forgetful.hasHandler("codex://threads/1");
    ASSERT_TRUE(testing::waitUntil([&] { return changes == 1; }));
    writeCountingHandlerQuery("codex");
    EXPECT_EQ(forgetful.hasHandler("codex://threads/1"), false); // the answer known, while asking again
    ASSERT_TRUE(testing::waitUntil([&] { return changes == 2; }));
    EXPECT_EQ(forgetful.hasHandler("codex://threads/1"), true);
}

TEST_F(XdgWorkspaceTest, OpeningALinkRenewsTheAnswerForItsScheme) {
    writeCountingHandlerQuery();
    workspace.hasHandler("claude://x");
    ASSERT_TRUE(testing::waitUntil([&] { return workspace.hasHandler("claude://x") == true; }));
    writeCountingHandlerQuery("none");
    EXPECT_EQ(openLink("claude://x"), Workspace::LinkOutcome::noHandler);
    EXPECT_EQ(workspace.hasHandler("claude://x"), false);
}

TEST_F(XdgWorkspaceTest, ALookUpThatEndsAfterTheWorkspaceIsGoneIsDropped) {
    writeTool("xdg-mime", "sleep 0.2; printf 'claude-desktop.desktop\\n'");
    auto shortLived = std::make_unique<XdgWorkspace>();
    bool told = false;
    shortLived->onHandlersChanged([&told] { told = true; });
    shortLived->hasHandler("claude://x");
    shortLived.reset();
    runEventLoopFor(500ms);
    EXPECT_FALSE(told);
}

TEST(XdgWorkspaceScheme, FollowsTheLinkSyntax) {
    EXPECT_EQ(XdgWorkspace::schemeOf("claude://x"), "claude");
    EXPECT_EQ(XdgWorkspace::schemeOf("x-scheme+1.a:y"), "x-scheme+1.a");
    EXPECT_EQ(XdgWorkspace::schemeOf("HTTPS://x"), "https");
    EXPECT_EQ(XdgWorkspace::schemeOf("é:x"), std::nullopt);
    EXPECT_EQ(XdgWorkspace::schemeOf("claude"), std::nullopt);
}

class XdgWorkspaceApplicationTest : public XdgWorkspaceTest {
protected:
    // An application program that leaves a mark when it runs.
    std::filesystem::path writeApplication() {
        const auto program = folder / "app" / "orca";
        writeScript(program, "printf started > '" + (folder / "app-ran").string() + "'");
        return program;
    }

    const std::filesystem::path entry = folder / "applications" / "com.stablyai.orca.desktop";

    bool applicationRan() {
        return testing::waitUntil([&] { return std::filesystem::exists(folder / "app-ran"); });
    }
};

TEST_F(XdgWorkspaceApplicationTest, ADesktopEntryIsLaunchedThroughGio) {
    writeTool("gio", "exit 0");
    EXPECT_EQ(launch({entry, writeApplication(), folder / "tool"}), true);
    EXPECT_EQ(argumentsOf("gio"), (Arguments{"launch", entry.string()}));
    writeTool("gio", "exit 2");
    EXPECT_EQ(launch({entry, writeApplication(), folder / "tool"}), false);
}

TEST_F(XdgWorkspaceApplicationTest, WithoutGioTheEntrysProgramStarts) {
    EXPECT_EQ(launch({entry, writeApplication(), folder / "tool"}), true);
    EXPECT_TRUE(applicationRan());
}

TEST_F(XdgWorkspaceApplicationTest, AConfiguredProgramStartsDirectlyEvenWithGio) {
    writeTool("gio", "exit 0");
    EXPECT_EQ(launch({std::nullopt, writeApplication(), folder / "tool"}), true);
    EXPECT_TRUE(applicationRan());
    EXPECT_EQ(argumentsOf("gio"), std::nullopt);
}

TEST_F(XdgWorkspaceApplicationTest, AProgramThatCannotStartIsFailure) {
    EXPECT_EQ(launch({std::nullopt, folder / "missing", folder / "tool"}), false);
}

} // namespace
} // namespace quorvel
