// Codex automation definitions (automation.toml): the thread an automation targets.
#include "Codex/CodexAutomationIndex.h"
#include "FuzzSupport.h"
#include "Support/Uuid.h"

using namespace quorvel;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view toml = fuzzing::bytes(data, size);
    if (const auto id = CodexAutomationIndex::targetThreadID(toml)) {
        require(Uuid::isUuidText(*id) && Uuid::lowercased(*id) == *id, "targets are lower-case UUIDs");
        require(toml.find("target_thread_id") != toml.npos, "a target comes from its key");
    }
    return 0;
}
