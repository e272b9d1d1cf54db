// Codex session histories: the state machine over their lines, and the readers of a history file's
// thread id and folder, conversation name and tail.
#include "Codex/SessionReader.h"
#include "FuzzSupport.h"
#include "Support/FileIO.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

using namespace quorvel;
using fuzzing::require;

namespace {

constexpr std::string_view taskID = "codex-019c8bfe-ec25-79e0-97d7-bda6a9c575ff";

void checkParse(std::string_view input) {
    const TaskStatus task = SessionReader::parse(input, taskID, "Codex task 019c8bfe");
    require(task.id == taskID, "the state machine keeps the task's id");
    require(task.name == "Codex task 019c8bfe", "the state machine keeps the task's name");
    require(task.provider() == TaskProvider::codex, "a history task belongs to Codex");
    require(task.updatedAt == Date::distantPast() || Iso8601::isRepresentable(task.updatedAt),
            "the task's time comes from a valid timestamp");
    require(!task.lastTurnBoundaryAt || *task.lastTurnBoundaryAt <= task.updatedAt,
            "a turn boundary is never later than the last change");
}

void checkFileReaders(std::string_view input) {
    const auto file = fuzzing::emptyScratchFolder() / "rollout.jsonl";
    FileIO::writeAtomically(file, input);
    const auto meta = SessionReader::sessionMeta(file);
    require(SessionReader::sessionID(file) == (meta ? std::optional(meta->id) : std::nullopt),
            "the thread id is the first line's");
    if (meta) {
        require(Uuid::isUuidText(meta->id) && input.find(meta->id) != input.npos,
                "a thread id is a UUID of the file");
        require(!meta->cwd || meta->cwd->starts_with('/'), "a session's folder is an absolute path");
    }
    if (const auto name = SessionReader::conversationName(file)) {
        require(!name->empty() && Unicode::graphemeCount(*name, 161) <= 160,
                "a name holds 1 to 160 characters");
        require(Unicode::isValidUtf8(*name), "a name is UTF-8");
    }
    // A last line still being written is left out.
    const std::string_view wholeLines = input.substr(0, input.rfind('\n') + 1);
    for (std::uint64_t limit : {std::uint64_t{64}, std::uint64_t{4096}}) {
        const std::string tail = SessionReader::detail::tail(file, limit);
        require(tail.size() <= limit && wholeLines.ends_with(tail), "the tail is the end of the file");
        require(tail.empty() || tail.back() == '\n', "the tail is whole lines");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzzing::bytes(data, size);
    checkParse(input);
    checkFileReaders(input);
    return 0;
}
