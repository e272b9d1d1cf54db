// The Codex desktop app's log lines, and the attention they give to Codex tasks.
#include "Codex/DesktopAttention.h"
#include "FuzzSupport.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>

using namespace quorvel;
using fuzzing::require;

namespace {

constexpr std::string_view otherThread = "00000000-0000-4000-8000-000000000000";

// One task per thread that a record names, then one that no record names.
std::vector<TaskStatus> tasksOf(const std::vector<DesktopAttention::Record>& records) {
    std::vector<TaskStatus> tasks;
    for (const DesktopAttention::Record& record : records) {
        if (!record.threadID)
            continue;
        TaskStatus task = TaskStatus::make("codex-" + *record.threadID, "task", LightState::done,
                                           record.date - 5, std::string(codexHistorySource));
        task.lastTurnBoundaryAt = record.date - 10;
        tasks.push_back(std::move(task));
    }
    tasks.push_back(TaskStatus::make("codex-" + std::string(otherThread), "other", LightState::working,
                                     fuzzing::now, std::string(codexHistorySource)));
    return tasks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<DesktopAttention::Record> records = DesktopAttention::parse(fuzzing::bytes(data, size));
    for (const DesktopAttention::Record& record : records) {
        require(Iso8601::isRepresentable(record.date), "records are dated by valid timestamps");
        require(Unicode::isValidUtf8(record.requestID) && Unicode::isValidUtf8(record.method),
                "record texts are UTF-8");
        require(!record.threadID || Uuid::isUuidText(*record.threadID), "threads are UUIDs");
    }
    const std::vector<TaskStatus> tasks = tasksOf(records);
    const std::vector<TaskStatus> applied = DesktopAttention::applying(records, tasks, fuzzing::now);
    require(applied.size() == tasks.size(), "no task is added or dropped");
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        require(applied[i].id == tasks[i].id, "the order of tasks is kept");
        if (applied[i] != tasks[i])
            require(applied[i].state == LightState::waiting && applied[i].confirmedAttentionPending == true,
                    "attention only ever makes a task waiting");
    }
    const bool otherNamed =
        std::any_of(records.begin(), records.end(), [](const DesktopAttention::Record& record) {
            return record.threadID && Uuid::lowercased(*record.threadID) == otherThread;
        });
    require(otherNamed || applied.back() == tasks.back(), "a thread that no record names is left alone");
    return 0;
}
