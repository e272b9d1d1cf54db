// The hooks installer's edit of Claude Code's settings.json, a file the user owns.
#include "Claude/ClaudeIntegration.h"
#include "FuzzSupport.h"
#include "Model/StatusError.h"
#include "Support/Json.h"

using namespace quorvel;
using fuzzing::require;

namespace {

const std::string command = ClaudeIntegration::command("/home/ada/my data/quorvel/bin/it's");

std::optional<std::string> edited(std::string_view settings, bool adding) {
    try {
        return adding ? ClaudeIntegration::addingHooks(settings, command)
                      : ClaudeIntegration::removingHooks(settings, command);
    } catch (const StatusError&) {
    } catch (const JsonParseError&) {
    }
    return std::nullopt;
}

// Everything but "hooks" exactly as the user wrote it (as parsed values).
nlohmann::json withoutHooks(std::string_view settings) {
    nlohmann::json document = JsonText::parseEditableSorted(settings);
    document.erase("hooks");
    return document;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view settings = fuzzing::bytes(data, size);
    const std::optional<std::string> removed = edited(settings, false);
    const std::optional<std::string> added = edited(settings, true);
    for (const auto& output : {removed, added}) {
        if (!output)
            continue;
        require(output->size() <= ClaudeIntegration::maximumSettingsSize,
                "the installer reads back what it writes");
        require(withoutHooks(*output) == withoutHooks(settings), "keys other than hooks are kept");
    }
    if (!added)
        return 0;
    require(removed.has_value(), "settings that can be enabled can be disabled");
    require(edited(*added, true) == added, "enabling twice is enabling once");
    require(edited(*added, false) == removed, "enabling then disabling leaves only what disabling leaves");
    require(edited(*removed, false) == removed, "disabling twice is disabling once");
    return 0;
}
