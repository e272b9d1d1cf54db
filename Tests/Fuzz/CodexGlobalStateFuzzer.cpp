// The Codex desktop app's global state: project names of threads and the unread flags.
#include "Codex/CodexProjects.h"
#include "Codex/CodexReadState.h"
#include "FuzzSupport.h"
#include "Support/Json.h"
#include "Support/Unicode.h"

using namespace quorvel;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view state = fuzzing::bytes(data, size);
    try {
        for (const auto& [thread, name] : CodexProjects::decode(state)) {
            require(!name.empty() && Unicode::graphemeCount(name, 161) <= 160,
                    "names hold 1 to 160 characters");
            require(Unicode::trimmed(name).size() == name.size() || Unicode::graphemeCount(name, 161) == 160,
                    "names are trimmed unless cut");
        }
    } catch (const JsonParseError&) {
    } catch (const JsonDecodeError&) {
    }
    try {
        const CodexReadState readState = CodexReadState::decode(state);
        if (readState.unread)
            for (const std::string& thread : *readState.unread)
                require(Unicode::isValidUtf8(thread), "thread ids are UTF-8");
    } catch (const JsonParseError&) {
    } catch (const JsonDecodeError&) {
    }
    return 0;
}
