#include "Model/StatusError.h"
#include "Model/StatusStore.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

using namespace quorvel;
using quorvel::testing::permissions;
using quorvel::testing::readFile;
using quorvel::testing::ScopedEnvironmentVariable;
using quorvel::testing::TemporaryDirectory;
using quorvel::testing::writeFile;

namespace {

TaskStatus localTask(std::string id, std::string name = "Build") {
    return TaskStatus::make(std::move(id), name, LightState::working, Date{800000000.5},
                            std::string(localStatusSource));
}

std::string recordText(std::string_view id) {
    return JsonText::compact(localTask(std::string(id)).toJson());
}

template <typename Error> void expectLoadFails(const StatusStore& store) {
    EXPECT_THROW(store.load(), Error);
}

template <typename Body> void expectStatusError(Body&& body, StatusError expected) {
    try {
        body();
        ADD_FAILURE() << "no error thrown";
    } catch (const StatusError& error) {
        EXPECT_EQ(error, expected);
    }
}

void expectLoadFailsWith(const StatusStore& store, StatusError expected) {
    expectStatusError([&] { store.load(); }, expected);
}

} // namespace

TEST(StatusStore, DefaultDirectoryLiesInTheXdgDataFolder) {
    TemporaryDirectory home;
    ScopedEnvironmentVariable homeVariable("HOME", home.path().string());
    const std::pair<std::optional<std::string>, std::filesystem::path> cases[] = {
        {std::nullopt, home / ".local/share/quorvel/tasks"},
        {"~/data", home / ".local/share/quorvel/tasks"},
        {(home / "my data").string(), home / "my data/quorvel/tasks"},
    };
    for (const auto& [variable, expected] : cases) {
        ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", variable);
        EXPECT_EQ(StatusStore::defaultDirectory(), expected) << variable.value_or("unset");
        EXPECT_EQ(StatusStore::defaultDirectory(home.path()), expected) << variable.value_or("unset");
    }
}

TEST(StatusStore, IDRuleAcceptsOnlyShortNamesOfLettersDigitsHyphensAndUnderscores) {
    EXPECT_TRUE(StatusStore::isValidID(std::string(100, 'a')));
    EXPECT_TRUE(StatusStore::isValidID("Build_7-x"));
    for (const std::string& id :
         {std::string(101, 'a'), std::string(), std::string("a b"), std::string("a.b"), std::string("a/b"),
          std::string("../x"), std::string("caf\u00e9")})
        EXPECT_FALSE(StatusStore::isValidID(id)) << id;
}

TEST(StatusStore, WriteReplacesTheRecordAtomicallyWithPrivatePermissions) {
    TemporaryDirectory temp;
    const StatusStore store(temp / "nested" / "tasks");
    store.write(localTask("build-7", "first"));
    store.write(localTask("build-7", "second"));

    EXPECT_EQ(permissions(temp / "nested"), 0700u);
    EXPECT_EQ(permissions(store.directory), 0700u);
    EXPECT_EQ(permissions(store.directory / "build-7.json"), 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(store.directory), {}), 1);
    const std::vector<TaskStatus> records = store.load();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], localTask("build-7", "second"));
}

TEST(StatusStore, WrittenFileIsCompactJsonWithOnlyThePresentKeys) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    store.write(localTask("a"));
    const std::string text = readFile(temp / "a.json");
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find(": "), std::string::npos);
    JsonParser parser;
    EXPECT_EQ(JsonValue::requireObject(parser.parse(text)).size(), 5u);
}

TEST(StatusStore, RoundTripKeepsEveryField) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    TaskStatus task = localTask("full");
    task.projectName = "api";
    task.lastTurnBoundaryAt = Date{12.25};
    task.confirmedAttentionPending = false;
    task.providerSessionID = "local_x";
    task.providerSessionLastFocusedAt = Date{-3.5};
    task.isScheduled = true;
    store.write(task);
    EXPECT_EQ(store.load(), std::vector<TaskStatus>{task});
}

TEST(StatusStore, InvalidIDsAreRejectedWithoutTouchingTheDisk) {
    TemporaryDirectory temp;
    const StatusStore store(temp / "tasks");
    expectStatusError([&] { store.write(localTask("a.b")); }, StatusError::invalidID());
    expectStatusError([&] { store.write(localTask("../escape")); }, StatusError::invalidID());
    expectStatusError([&] { store.write(localTask(std::string(101, 'x'))); }, StatusError::invalidID());
    expectStatusError([&] { store.remove(""); }, StatusError::invalidID());
    expectStatusError([&] { store.remove("a/b"); }, StatusError::invalidID());
    EXPECT_FALSE(std::filesystem::exists(temp / "tasks"));
}

TEST(StatusStore, RemoveDeletesTheFileAndIgnoresAMissingOne) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    store.write(localTask("a"));
    store.write(localTask("b"));
    store.remove("a");
    store.remove("never-written");
    EXPECT_FALSE(std::filesystem::exists(temp / "a.json"));
    EXPECT_EQ(store.load().size(), 1u);
}

TEST(StatusStore, LoadOfMissingEmptyOrForeignFolderIsEmpty) {
    TemporaryDirectory temp;
    EXPECT_TRUE(StatusStore(temp / "missing").load().empty());
    EXPECT_TRUE(StatusStore(temp.path()).load().empty());
    writeFile(temp / "notes.txt", "x");
    writeFile(temp / "README.JSON", "x");
    writeFile(temp / "json", "x");
    EXPECT_TRUE(StatusStore(temp.path()).load().empty());
}

TEST(StatusStore, LoadOfAFileInsteadOfAFolderFails) {
    TemporaryDirectory temp;
    writeFile(temp / "file", "x");
    expectLoadFails<std::system_error>(StatusStore(temp / "file"));
}

TEST(StatusStore, SizeCapIsInclusive) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    std::string text = recordText("a");
    text.append(StatusStore::maxFileBytes - text.size(), ' ');
    writeFile(temp / "a.json", text);
    EXPECT_EQ(store.load().size(), 1u);
    writeFile(temp / "a.json", text + " ");
    expectLoadFailsWith(store, StatusError::invalidRecord());
}

// 160 characters can be far more than 160 bytes: one letter may carry any number of combining marks.
TEST(StatusStore, WriteRefusesARecordThatLoadWouldRefuse) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    store.write(localTask("a"));
    std::string heavyCharacter = "e";
    for (int i = 0; i < 60; ++i)
        heavyCharacter += "\u0301";
    std::string name;
    for (int i = 0; i < 160; ++i)
        name += heavyCharacter;
    const TaskStatus heavy = localTask("a", name);
    ASSERT_EQ(heavy.name, name);

    expectStatusError([&] { store.write(heavy); }, StatusError::invalidRecord());
    ASSERT_EQ(store.load().size(), 1u);
    EXPECT_EQ(store.load()[0].name, "Build");
}

TEST(StatusStore, LinksFoldersAndOtherEntriesNamedJsonFailTheWholeLoad) {
    TemporaryDirectory temp;
    writeFile(temp / "target", recordText("x"));
    const StatusStore store(temp / "tasks");
    store.write(localTask("good"));

    std::filesystem::create_symlink(temp / "target", store.directory / "x.json");
    expectLoadFailsWith(store, StatusError::invalidRecord());
    std::filesystem::remove(store.directory / "x.json");

    std::filesystem::create_directory(store.directory / "x.json");
    expectLoadFailsWith(store, StatusError::invalidRecord());
    std::filesystem::remove(store.directory / "x.json");

    ASSERT_EQ(::mkfifo((store.directory / "x.json").c_str(), 0600), 0);
    expectLoadFailsWith(store, StatusError::invalidRecord());
    std::filesystem::remove(store.directory / "x.json");

    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (store.directory / "x.json").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    expectLoadFailsWith(store, StatusError::invalidRecord());
    ::close(socket);
}

TEST(StatusStore, ContentMustMatchTheFileName) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    writeFile(temp / "a.json", recordText("b"));
    expectLoadFailsWith(store, StatusError::invalidRecord());
    writeFile(temp / "a.json", recordText("a b"));
    expectLoadFailsWith(store, StatusError::invalidID());
    writeFile(temp / "a.json", recordText("A"));
    expectLoadFailsWith(store, StatusError::invalidRecord());
}

TEST(StatusStore, BrokenOrIncompleteJsonFailsWithTheDecodersError) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    writeFile(temp / "a.json", "{\"id\":\"a\",");
    expectLoadFails<JsonParseError>(store);
    writeFile(temp / "a.json", "[]");
    expectLoadFails<JsonDecodeError>(store);
    writeFile(temp / "a.json", R"({"id":"a","name":"n","state":"Working","updatedAt":1,"source":"s"})");
    expectLoadFails<JsonDecodeError>(store);
    writeFile(temp / "a.json", R"({"id":"a","name":"n","state":"done","updatedAt":1})");
    expectLoadFails<JsonDecodeError>(store);
}

TEST(StatusStore, HiddenEntriesAreLoadedToo) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    writeFile(temp / ".a.json", recordText("a"));
    expectLoadFailsWith(store, StatusError::invalidRecord());
}

TEST(StatusStore, RecordsRemovedWhileLoadingAreLeftOutWithoutFailingTheLoad) {
    TemporaryDirectory temp;
    const StatusStore store(temp.path());
    store.write(localTask("steady"));
    std::atomic<bool> running = true;
    std::thread churn([&] {
        for (int index = 0; running; index = (index + 1) % 50) {
            store.write(localTask("flicker-" + std::to_string(index)));
            store.remove("flicker-" + std::to_string((index + 25) % 50));
        }
    });
    int failures = 0;
    for (int attempt = 0; attempt < 3000; ++attempt) {
        try {
            const std::vector<TaskStatus> records = store.load();
            if (std::none_of(records.begin(), records.end(),
                             [](const TaskStatus& t) { return t.id == "steady"; }))
                ++failures;
        } catch (const std::exception&) {
            ++failures;
        }
    }
    running = false;
    churn.join();
    EXPECT_EQ(failures, 0);
}
