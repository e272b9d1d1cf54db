// What claude-hook does with one event on standard input. An input may begin with the session's
// previous record file and a NUL byte, so that the keeping rule meets records of every shape.
#include "Claude/ClaudeHookStore.h"
#include "FuzzSupport.h"
#include "Model/StatusError.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/Uuid.h"

#include <system_error>

using namespace quorvel;
using fuzzing::require;

namespace {

std::optional<std::string> sessionIDOf(std::string_view event) {
    JsonParser parser;
    const auto object = parser.tryParseObject(event);
    const auto id = object ? JsonValue::string(*object, "session_id") : std::nullopt;
    if (!id || !Uuid::isUuidText(*id))
        return std::nullopt;
    return std::string(*id);
}

std::optional<std::string> contents(const std::filesystem::path& file) {
    try {
        return FileIO::readBounded(file, 1 << 20);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Every record that ingest writes is one that loadAll reads back.
void checkWrittenRecord(const ClaudeHookStore& store, const std::string& sessionID, Date at) {
    const std::vector<ClaudeHookRecord> records = store.loadAll(at);
    require(records.size() <= 1, "one session has one record");
    for (const ClaudeHookRecord& record : records)
        require(record.sessionID == sessionID, "the record belongs to the event's session");
}

void ingest(const ClaudeHookStore& store, std::string_view event, Date at) {
    const std::optional<std::string> sessionID = sessionIDOf(event);
    const auto file = sessionID ? store.directory / (*sessionID + ".json") : std::filesystem::path();
    const std::optional<std::string> before = sessionID ? contents(file) : std::nullopt;
    try {
        store.ingest(event, at);
    } catch (const StatusError&) {
    } catch (const JsonParseError&) {
    }
    if (!sessionID)
        return;
    const std::optional<std::string> after = contents(file);
    if (after && after != before)
        checkWrittenRecord(store, *sessionID, at);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view event = fuzzing::bytes(data, size);
    const ClaudeHookStore store(fuzzing::emptyScratchFolder() / "claude-events");
    if (const auto separator = event.find('\0'); separator != event.npos) {
        const std::string_view previous = event.substr(0, separator);
        event.remove_prefix(separator + 1);
        if (const auto sessionID = sessionIDOf(event)) {
            FileIO::createPrivateDirectories(store.directory);
            FileIO::writeAtomically(store.directory / (*sessionID + ".json"), previous);
        }
    }
    ingest(store, event, fuzzing::now);
    ingest(store, event, fuzzing::now + 300);
    return 0;
}
