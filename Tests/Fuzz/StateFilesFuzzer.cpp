// The system's own record and state files, which anyone with access to the folder may edit: whatever
// decodes must encode to text that decodes to the same value, or a later save would lose the file.
#include "Claude/ClaudeHookRecord.h"
#include "FuzzSupport.h"
#include "Model/StatusError.h"
#include "Model/TaskStatus.h"
#include "Orca/OrcaReadState.h"
#include "Support/Json.h"
#include "Support/ReadMarkFile.h"

using namespace quorvel;
using fuzzing::require;

namespace {

template <typename Decode> auto decodedOrNothing(Decode&& decode) -> std::optional<decltype(decode())> {
    try {
        return decode();
    } catch (const JsonParseError&) {
    } catch (const JsonDecodeError&) {
    }
    return std::nullopt;
}

template <typename Value> std::optional<Value> decodedObject(std::string_view bytes) {
    return decodedOrNothing([&] {
        JsonParser parser;
        return Value::fromJson(JsonValue::requireObject(parser.parse(bytes)));
    });
}

template <typename Value> void checkRecordRoundTrip(std::string_view bytes) {
    const std::optional<Value> value = decodedObject<Value>(bytes);
    if (!value)
        return;
    const std::string written = JsonText::compact(value->toJson());
    require(decodedObject<Value>(written) == value, "a record reads back as it was written");
}

void checkReadMarks(std::string_view bytes) {
    const auto marks = decodedOrNothing([&] { return ReadMarkFile::decode(bytes); });
    if (!marks)
        return;
    require(ReadMarkFile::decode(ReadMarkFile::encode(*marks)) == *marks, "read marks read back as written");
}

void checkOrcaReadState(std::string_view bytes) {
    const auto state = decodedOrNothing([&] { return OrcaReadState::decode(bytes); });
    if (!state)
        return;
    require(OrcaReadState::decode(state->encoded()) == *state, "the Orca read state reads back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzing::bytes(data, size);
    checkRecordRoundTrip<ClaudeHookRecord>(bytes);
    checkRecordRoundTrip<TaskStatus>(bytes);
    checkReadMarks(bytes);
    checkOrcaReadState(bytes);
    return 0;
}
