#include "StatusCommand.h"

#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeReadState.h"
#include "Codex/CodexAutomationReadState.h"
#include "Codex/CodexReadMarks.h"
#include "Codex/CodexReadState.h"
#include "Codex/DesktopAttention.h"
#include "Codex/SessionReader.h"
#include "Model/StatusError.h"
#include "Model/StatusStore.h"
#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"
#include "Orca/OrcaReadState.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/StandardError.h"
#include "Support/Unicode.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace quorvel::StatusCommand {

namespace {

[[noreturn]] void usageError() {
    throw StatusError::invalidRecord();
}

void requireCount(const std::vector<std::string>& arguments, std::size_t count) {
    if (arguments.size() != count)
        usageError();
}

constexpr std::int64_t codexTaskLimit = 30;

// A path given as text, relative ones counting from the working folder.
std::filesystem::path fileURL(const std::string& text) {
    const std::filesystem::path path = text.empty() ? "." : text;
    return path.is_absolute() ? path : std::filesystem::current_path() / path;
}

// Takes "--directory PATH" out of the arguments (the first occurrence only).
std::optional<std::filesystem::path> takeDirectoryOption(std::vector<std::string>& arguments) {
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        if (arguments[index] != "--directory")
            continue;
        if (index + 1 == arguments.size())
            usageError();
        std::filesystem::path directory = fileURL(arguments[index + 1]);
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(index),
                        arguments.begin() + static_cast<std::ptrdiff_t>(index) + 2);
        return directory;
    }
    return std::nullopt;
}

std::string set(const std::vector<std::string>& arguments, const StatusStore& store, const Clock& clock) {
    requireCount(arguments, 4);
    const std::string& id = arguments[1];
    const std::optional<LightState> state = LightStates::fromRawValue(arguments[2]);
    const std::string& name = arguments[3];
    if (!state || Unicode::trimmed(name).empty())
        usageError();
    store.write(TaskStatus::make(id, name, *state, clock(), std::string(localStatusSource)));
    std::string line(LightStates::label(*state));
    line += ": ";
    line += name;
    line += '\n';
    return line;
}

std::string remove(const std::vector<std::string>& arguments, const StatusStore& store) {
    requireCount(arguments, 2);
    store.remove(arguments[1]);
    return {};
}

std::string list(const std::vector<std::string>& arguments, const StatusStore& store) {
    requireCount(arguments, 1);
    nlohmann::json records = nlohmann::json::array();
    for (const TaskStatus& status : store.load())
        records.push_back(status.toJson());
    return JsonText::prettySorted(records) + '\n';
}

// Standard input up to one byte past the limit, so that an oversized event can be told apart.
std::string readStandardInput(std::size_t limit) {
    std::string bytes;
    char buffer[16384];
    while (bytes.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t count = ::read(STDIN_FILENO, buffer, wanted);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw std::system_error(errno, std::generic_category(), "read standard input");
        if (count == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

std::string claudeHook(const std::vector<std::string>& arguments, const Clock& clock) {
    requireCount(arguments, 1);
    const std::string payload = readStandardInput(ClaudeHookStore::maxPayloadBytes + 1);
    if (payload.size() > ClaudeHookStore::maxPayloadBytes)
        usageError();
    // The time the event arrived: reading standard input may have waited for its writer.
    const ClaudeHookStore store(ClaudeHookStore::defaultDirectory());
    if (!store.ingest(payload, clock()))
        StandardError::writeLine("Quorvel status: another process held the lock on " +
                                 store.directory.string() +
                                 " for over a second; the event was written without it");
    return {};
}

std::filesystem::path codexHome() {
    if (const char* value = std::getenv("CODEX_HOME"))
        return fileURL(value);
    return FileIO::homeDirectory() / ".codex";
}

template <typename State, typename Load> State loadedOr(State fallback, Load load) {
    try {
        return load();
    } catch (const std::exception&) {
        return fallback;
    }
}

// Unreadable read states are not reported: the flags are then unknown, the marks empty.
TaskReadState codexReadState(const std::filesystem::path& home) {
    return TaskReadState(
        loadedOr(CodexReadState{std::nullopt}, [&] { return CodexReadState::load(home); }),
        loadedOr(CodexAutomationReadState{},
                 [] { return CodexAutomationReadState::load(CodexAutomationReadState::defaultURL()); }),
        ClaudeReadState{}, OrcaReadState{},
        loadedOr(CodexReadMarks{}, [] { return CodexReadMarks::load(CodexReadMarks::defaultURL()); }));
}

std::string codex(const std::vector<std::string>& arguments, const Clock& clock) {
    requireCount(arguments, 1);
    const std::filesystem::path home = codexHome();
    const TaskReadState readState = codexReadState(home);
    std::vector<TaskStatus> tasks = SessionReader::load(home, clock(), codexTaskLimit);
    const auto attention = DesktopAttention::load(DesktopAttention::defaultDirectory(), clock());
    tasks = DesktopAttention::applying(attention, std::move(tasks), clock());
    std::string lines;
    for (const TaskStatus& task : tasks) {
        lines += LightStates::label(task.visibleState(clock(), readState));
        lines += '\t';
        lines += task.name;
        lines += '\t';
        lines += task.projectName.value_or("");
        lines += '\n';
    }
    return lines;
}

} // namespace

std::string run(std::vector<std::string> arguments, const Clock& clock) {
    const std::optional<std::filesystem::path> directory = takeDirectoryOption(arguments);
    // Names and ids are text: ill-formed UTF-8 becomes U+FFFD (the folder path keeps its bytes).
    for (std::string& argument : arguments)
        argument = Unicode::repairedUtf8(argument);
    if (arguments.empty())
        usageError();
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h")
        return std::string(usage) + '\n';
    const StatusStore store(directory ? *directory : StatusStore::defaultDirectory());
    if (command == "set")
        return set(arguments, store, clock);
    if (command == "remove")
        return remove(arguments, store);
    if (command == "list")
        return list(arguments, store);
    if (command == "claude-hook")
        return claudeHook(arguments, clock);
    if (command == "codex")
        return codex(arguments, clock);
    usageError();
}

std::string errorReport(std::string_view error) {
    std::string report = "Quorvel status: ";
    report += error;
    report += '\n';
    report += usage;
    report += '\n';
    return report;
}

} // namespace quorvel::StatusCommand
