#pragma once

#include "Model/TaskStatus.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quorvel {

// The Codex desktop app's unread flags.
struct CodexReadState {
    // Thread ids marked unread; nothing when the flags are unknown.
    std::optional<std::set<std::string>> unread;

    // Reads ".codex-global-state.json" in the Codex home. Unknown flags when the file is not a regular
    // file or too large. Throws std::system_error (missing file included) and the decoder's errors.
    static CodexReadState load(const std::filesystem::path& codexHome);
    // Throws JsonParseError or JsonDecodeError when the unread section has another shape.
    static CodexReadState decode(std::string_view globalStateBytes);

    // A Codex history task whose thread is known not to be unread.
    bool hasRead(const TaskStatus& task) const;

    bool operator==(const CodexReadState&) const = default;
};

} // namespace quorvel
