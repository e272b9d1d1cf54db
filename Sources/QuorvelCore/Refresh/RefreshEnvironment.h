#pragma once

#include <filesystem>
#include <optional>

namespace quorvel {

// What a refresh needs to know about its process: the home folder and the two variables that move
// the assistants' folders. Read once per refresh.
struct RefreshEnvironment {
    std::filesystem::path home;
    std::optional<std::filesystem::path> codexHomeVariable;    // CODEX_HOME, when set
    std::optional<std::filesystem::path> claudeConfigVariable; // CLAUDE_CONFIG_DIR, when set

    static RefreshEnvironment fromProcess();

    // CODEX_HOME when set, else ".codex" in the home folder.
    std::filesystem::path codexHome() const;
    // CLAUDE_CONFIG_DIR when set, else ".claude" in the home folder.
    std::filesystem::path claudeHome() const;

    bool operator==(const RefreshEnvironment&) const = default;
};

} // namespace quorvel
