// Claude Code transcripts: JSON lines that Claude Code writes and anyone may edit.
#include "Claude/ClaudeSessionReader.h"
#include "FuzzSupport.h"
#include "Support/BoundedReader.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

using namespace quorvel;
using fuzzing::require;

namespace {

constexpr std::string_view fallbackID = "11111111-2222-4333-8444-555555555555";

void checkTask(const TaskStatus& task) {
    require(task.id.starts_with("claude-") && Uuid::isUuidText(std::string_view(task.id).substr(7)),
            "a transcript task's id is claude- and a UUID");
    require(task.provider() == TaskProvider::claude, "a transcript task belongs to Claude Code");
    require(Unicode::graphemeCount(task.name, 161) <= 160, "names hold at most 160 characters");
    require(Unicode::isValidUtf8(task.name), "names are UTF-8");
    require(Iso8601::isRepresentable(task.updatedAt), "the task's time is one the read state can write");
    require(task.state == LightState::working || task.state == LightState::waiting ||
                task.state == LightState::done || task.state == LightState::failed,
            "a transcript gives working, waiting, done or failed");
}

// The window of a transcript read from its middle: whole lines only.
void checkWindow(std::string_view input) {
    const BoundedReader reader{0, 0, BoundedReader::NoLineFeed::keepWhole};
    const std::string_view window = reader.trimToWholeLines(input, true);
    require(input.find(window) != input.npos, "the window lies inside the bytes read");
    require(window.empty() || window.back() == '\n' || window.find('\n') == std::string_view::npos,
            "a window of lines ends with a line feed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzzing::bytes(data, size);
    if (const auto task = ClaudeSessionReader::parse(input, fallbackID, "Claude task 11111111"))
        checkTask(*task);
    if (const auto task = ClaudeSessionReader::parse(input, "", "")) {
        checkTask(*task);
        require(task->id != "claude-" + std::string(fallbackID) || input.find(fallbackID) != input.npos,
                "without a fallback the id comes from the transcript");
    }
    checkWindow(input);
    return 0;
}
