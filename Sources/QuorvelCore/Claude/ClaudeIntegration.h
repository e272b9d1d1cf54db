#pragma once

#include "Claude/ClaudeIntegrationHealth.h"
#include "Support/FileIO.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Installs, checks and removes the hook entries that run quorvel-status in Claude Code's user settings,
// and installs the helper they run. Nothing in the settings that these functions did not write is changed.
// Failed checks throw StatusError::invalidRecord; JSON and file failures throw the platform's error.
namespace quorvel::ClaudeIntegration {

inline constexpr std::uint64_t maximumSettingsSize = 4'000'000;
inline constexpr std::uint64_t maximumHelperSize = 100'000'000;

// ~/.claude/settings.json (CLAUDE_CONFIG_DIR does not apply).
std::filesystem::path settingsURL(const std::filesystem::path& home = FileIO::homeDirectory());
// "bin/quorvel-status" in Quorvel's data folder (Locations::quorvelSupport).
std::filesystem::path installedHelperURL(const std::filesystem::path& home = FileIO::homeDirectory());
// settings.json.quorvel-backup beside the settings file: its previous content.
std::filesystem::path backupURL(const std::filesystem::path& settingsURL);

// The helper's path in single quotes (a quote inside written '\'') followed by " claude-hook": the text
// that identifies an owned hook entry.
std::string command(const std::filesystem::path& helperURL);

// Never throws: anything that cannot be trusted or read is needsRepair, and so are hook entries that run
// the helper where earlier builds installed it (under "~/Library/Application Support/Quorvel"). Adding and
// removing the hooks also removes those entries.
ClaudeIntegrationHealth health(const std::filesystem::path& settingsURL,
                               const std::filesystem::path& helperURL);

// Installs a fresh copy of the helper (renamed into place, never overwritten) and all hook groups.
void enable(const std::filesystem::path& helperSourceURL, const std::filesystem::path& settingsURL,
            const std::filesystem::path& helperURL);
// Removes every owned hook entry; the installed helper stays.
void disable(const std::filesystem::path& settingsURL, const std::filesystem::path& helperURL);

// The settings bytes with the hook groups added (owned entries removed first) or removed; written
// pretty-printed with sorted keys and a final line feed. A result larger than maximumSettingsSize is
// StatusError::invalidRecord.
std::string addingHooks(std::string_view settings, std::string_view command);
std::string removingHooks(std::string_view settings, std::string_view command);

} // namespace quorvel::ClaudeIntegration
