#include "Claude/ClaudeIntegration.h"

#include "Model/StatusError.h"
#include "Support/FileChecks.h"
#include "Support/FileDescriptor.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvel::ClaudeIntegration {

namespace {

// Written back with sorted keys, so the sorted form loses nothing; integers stay exact.
using Json = nlohmann::json;
namespace fs = std::filesystem;

struct Specification {
    std::string_view event;
    std::string_view matcher;
};

constexpr std::array<Specification, 14> specifications{{
    {"UserPromptSubmit", ""},
    {"PermissionRequest", ""},
    {"PreToolUse", "AskUserQuestion"},
    {"PostToolUse", ""},
    {"PostToolUseFailure", ""},
    {"Notification", "permission_prompt"},
    {"Notification", "idle_prompt"},
    {"Notification", "elicitation_dialog"},
    {"Notification", "agent_needs_input"},
    {"Elicitation", ""},
    {"ElicitationResult", ""},
    {"Stop", ""},
    {"StopFailure", ""},
    {"SessionEnd", ""},
}};

// --- The settings document ---------------------------------------------------------------------------

const Json* member(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string_view matcherOf(const Json& group) {
    const Json* matcher = member(group, "matcher");
    return matcher && matcher->is_string() ? std::string_view(matcher->get_ref<const std::string&>()) : "";
}

// Builds that kept Quorvel's folder in "~/Library/Application Support" installed the helper there: the
// hooks they wrote run that copy, which writes where nothing reads any more.
constexpr std::string_view earlierHelperCommandEnd =
    "/Library/Application Support/Quorvel/bin/quorvel-status' claude-hook";

std::optional<std::string_view> commandOf(const Json& entry) {
    const Json* text = entry.is_object() ? member(entry, "command") : nullptr;
    if (!text || !text->is_string())
        return std::nullopt;
    return text->get_ref<const std::string&>();
}

bool isOwnedEntry(const Json& entry, std::string_view command) {
    return commandOf(entry) == command;
}

bool runsEarlierHelper(const Json& entry, std::string_view command) {
    const auto text = commandOf(entry);
    return text && *text != command && text->starts_with('\'') && text->ends_with(earlierHelperCommandEnd);
}

// Owned entries, and those an earlier build wrote: both go when hooks are added or removed.
bool isReplacedEntry(const Json& entry, std::string_view command) {
    return isOwnedEntry(entry, command) || runsEarlierHelper(entry, command);
}

bool isListOfObjects(const Json& value) {
    return value.is_array() &&
           std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_object(); });
}

template <typename Predicate> bool holdsEntry(const Json& group, Predicate isWanted) {
    const Json* entries = member(group, "hooks");
    return entries && entries->is_array() && std::any_of(entries->begin(), entries->end(), isWanted);
}

bool holdsOwnedEntry(const Json& group, std::string_view command) {
    return holdsEntry(group, [&](const Json& e) { return isOwnedEntry(e, command); });
}

bool holdsEarlierHelperEntries(const Json& settings, std::string_view command) {
    const Json* hooks = member(settings, "hooks");
    if (!hooks || !hooks->is_object())
        return false;
    return std::any_of(hooks->begin(), hooks->end(), [&](const Json& groups) {
        return groups.is_array() && std::any_of(groups.begin(), groups.end(), [&](const Json& group) {
                   return group.is_object() &&
                          holdsEntry(group, [&](const Json& e) { return runsEarlierHelper(e, command); });
               });
    });
}

int installedSignatures(const Json& settings, std::string_view command) {
    const Json* hooks = member(settings, "hooks");
    if (!hooks || !hooks->is_object())
        return 0;
    return static_cast<int>(
        std::count_if(specifications.begin(), specifications.end(), [&](const auto& spec) {
            const Json* groups = member(*hooks, spec.event);
            return groups && isListOfObjects(*groups) &&
                   std::any_of(groups->begin(), groups->end(), [&](const Json& group) {
                       return matcherOf(group) == spec.matcher && holdsOwnedEntry(group, command);
                   });
        }));
}

// The group without its owned entries and those of an earlier helper; nothing when no entry is left.
// Groups and entries of other shapes are kept as they are, but an owned entry is dropped wherever it sits
// in a "hooks" list.
std::optional<Json> withoutOwnedEntries(const Json& group, std::string_view command) {
    const Json* entries = group.is_object() ? member(group, "hooks") : nullptr;
    if (!entries || !entries->is_array())
        return group;
    Json kept = Json::array();
    for (const Json& entry : *entries)
        if (!isReplacedEntry(entry, command))
            kept.push_back(entry);
    if (kept.empty())
        return std::nullopt;
    Json result = group;
    result["hooks"] = std::move(kept);
    return result;
}

Json removeOwnedHooks(const Json& hooks, std::string_view command) {
    Json result = Json::object();
    for (const auto& [event, groups] : hooks.items()) {
        if (!groups.is_array()) {
            result[event] = groups;
            continue;
        }
        Json kept = Json::array();
        for (const Json& group : groups)
            if (auto remaining = withoutOwnedEntries(group, command))
                kept.push_back(std::move(*remaining));
        if (!kept.empty())
            result[event] = std::move(kept);
    }
    return result;
}

Json ownedGroup(const Specification& spec, std::string_view command) {
    Json entry = Json::object();
    entry["type"] = "command";
    entry["command"] = std::string(command);
    entry["timeout"] = 5;
    Json group = Json::object();
    group["matcher"] = std::string(spec.matcher);
    group["hooks"] = Json::array({std::move(entry)});
    return group;
}

Json parsedSettings(std::string_view settings) {
    if (settings.size() > maximumSettingsSize)
        throw StatusError::invalidRecord();
    Json document = JsonText::parseEditableSorted(settings);
    if (!document.is_object())
        throw StatusError::invalidRecord();
    return document;
}

// Pretty printing and the added groups make the text grow: never write settings that the installer's
// own reads would refuse.
std::string serialized(const Json& settings) {
    std::string text = JsonText::prettySorted(settings) + "\n";
    FileIO::requireWithinReadCap(text, maximumSettingsSize);
    return text;
}

// --- Files -------------------------------------------------------------------------------------------

void validateSettings(const fs::path& settingsURL) {
    FileChecks::requireSafeExternalTarget(settingsURL, maximumSettingsSize);
}

std::string readSettings(const fs::path& settingsURL) {
    return FileIO::readBounded(settingsURL, maximumSettingsSize);
}

void writeSettings(std::string_view data, const fs::path& settingsURL, std::string_view original) {
    validateSettings(settingsURL);
    FileIO::createPrivateDirectories(settingsURL.parent_path());
    if (FileInfo::ifExists(settingsURL) && data != original) {
        FileChecks::requireSafeExternalTarget(backupURL(settingsURL), maximumSettingsSize);
        FileIO::writeAtomically(backupURL(settingsURL), original, 0600);
    }
    FileIO::writeAtomically(settingsURL, data, 0600);
}

[[noreturn]] void throwErrno(const fs::path& path) {
    throw std::system_error(errno, std::generic_category(), path.string());
}

FileDescriptor openOrThrow(const fs::path& path, int flags, mode_t mode = 0) {
    FileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC, mode));
    if (!file.valid())
        throwErrno(path);
    return file;
}

// Copies the source helper into `copy`, a new file with permissions 0700.
void copyHelper(const fs::path& source, const fs::path& copy) {
    FileDescriptor input = openOrThrow(source, O_RDONLY);
    struct stat info {};
    if (::fstat(input.get(), &info) != 0)
        throwErrno(source);
    if (!S_ISREG(info.st_mode))
        throw StatusError::invalidRecord();
    const std::string bytes = input.readUpTo(maximumHelperSize + 1, source);
    if (bytes.size() > maximumHelperSize)
        throw StatusError::invalidRecord();
    FileDescriptor output = openOrThrow(copy, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0700);
    output.writeAll(bytes, copy);
    if (::fchmod(output.get(), 0700) != 0 || ::fsync(output.get()) != 0 || output.close() != 0)
        throwErrno(copy);
}

// A running helper keeps its old file: the fresh copy is renamed over it, never written in place.
void installHelper(const fs::path& source, const fs::path& helperURL) {
    const fs::path copy = helperURL.parent_path() / (".quorvel-status-" + Uuid::random());
    try {
        copyHelper(source, copy);
        if (::rename(copy.c_str(), helperURL.c_str()) != 0)
            throwErrno(helperURL);
    } catch (...) {
        ::unlink(copy.c_str());
        throw;
    }
}

bool isExecutableFile(const fs::path& path) {
    const auto info = FileInfo::ifExists(path);
    return info && info->isRegular() && ::access(path.c_str(), X_OK) == 0;
}

struct InstalledHooks {
    int specifications = 0;
    bool earlierHelper = false; // entries that run an earlier build's helper
};

// The parsed settings are kept per thread and read again only when the file changes.
struct CachedCount {
    fs::path settingsURL;
    std::string command;
    FileInfo identity;
    std::optional<InstalledHooks> installed; // nothing: not a JSON object
};

std::optional<InstalledHooks> installedHooks(const fs::path& settingsURL, const std::string& command) {
    thread_local std::optional<CachedCount> cache;
    const FileInfo identity = FileInfo::of(settingsURL);
    if (cache && cache->settingsURL == settingsURL && cache->command == command &&
        cache->identity == identity)
        return cache->installed;
    const std::string text = readSettings(settingsURL);
    std::optional<InstalledHooks> installed;
    try {
        const Json document = JsonText::parseEditableSorted(text);
        if (document.is_object())
            installed = {installedSignatures(document, command),
                         holdsEarlierHelperEntries(document, command)};
    } catch (const JsonParseError&) {
    }
    cache = CachedCount{settingsURL, command, identity, installed};
    return installed;
}

ClaudeIntegrationHealth checkedHealth(const fs::path& settingsURL, const fs::path& helperURL) {
    if (!FileInfo::ifExists(settingsURL))
        return ClaudeIntegrationHealth::disabled;
    validateSettings(settingsURL);
    FileChecks::requireSafeExternalParent(helperURL);
    const std::optional<InstalledHooks> installed = installedHooks(settingsURL, command(helperURL));
    if (!installed || installed->earlierHelper)
        return ClaudeIntegrationHealth::needsRepair;
    if (installed->specifications == static_cast<int>(specifications.size()))
        return isExecutableFile(helperURL) ? ClaudeIntegrationHealth::enabled
                                           : ClaudeIntegrationHealth::needsRepair;
    return installed->specifications == 0 ? ClaudeIntegrationHealth::disabled
                                          : ClaudeIntegrationHealth::needsRepair;
}

} // namespace

fs::path settingsURL(const std::filesystem::path& home) {
    return home / ".claude" / "settings.json";
}

fs::path installedHelperURL(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "bin" / "quorvel-status";
}

fs::path backupURL(const fs::path& settingsURL) {
    fs::path backup = settingsURL;
    backup += ".quorvel-backup";
    return backup;
}

std::string command(const fs::path& helperURL) {
    std::string quoted = "'";
    for (char c : helperURL.native())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "' claude-hook";
}

ClaudeIntegrationHealth health(const fs::path& settingsURL, const fs::path& helperURL) {
    try {
        return checkedHealth(settingsURL, helperURL);
    } catch (...) {
        return ClaudeIntegrationHealth::needsRepair;
    }
}

std::string addingHooks(std::string_view settings, std::string_view command) {
    // The writer would replace bytes that are not UTF-8, and the entries would then run another path.
    if (!Unicode::isValidUtf8(command))
        throw StatusError::invalidRecord();
    Json document = parsedSettings(settings);
    const Json* existing = member(document, "hooks");
    if (existing && !existing->is_object())
        throw StatusError::invalidRecord();
    Json hooks = removeOwnedHooks(existing ? *existing : Json::object(), command);
    for (const Specification& spec : specifications) {
        const std::string event(spec.event);
        if (hooks.contains(event) && !isListOfObjects(hooks[event]))
            throw StatusError::invalidRecord();
        hooks[event].push_back(ownedGroup(spec, command));
    }
    document["hooks"] = std::move(hooks);
    return serialized(document);
}

std::string removingHooks(std::string_view settings, std::string_view command) {
    Json document = parsedSettings(settings);
    const Json* existing = member(document, "hooks");
    // A "hooks" value of another shape holds no owned entry and is the user's to keep.
    if (!existing || !existing->is_object())
        return serialized(document);
    Json hooks = removeOwnedHooks(*existing, command);
    if (hooks.empty())
        document.erase("hooks");
    else
        document["hooks"] = std::move(hooks);
    return serialized(document);
}

void enable(const fs::path& helperSourceURL, const fs::path& settingsURL, const fs::path& helperURL) {
    FileChecks::requireSafeExternalTarget(helperURL, maximumHelperSize);
    validateSettings(settingsURL);
    FileIO::createPrivateDirectories(helperURL.parent_path());
    installHelper(helperSourceURL, helperURL);
    const std::string original = FileInfo::ifExists(settingsURL) ? readSettings(settingsURL) : "{}";
    writeSettings(addingHooks(original, command(helperURL)), settingsURL, original);
}

void disable(const fs::path& settingsURL, const fs::path& helperURL) {
    if (!FileInfo::ifExists(settingsURL))
        return;
    validateSettings(settingsURL);
    const std::string original = readSettings(settingsURL);
    writeSettings(removingHooks(original, command(helperURL)), settingsURL, original);
}

} // namespace quorvel::ClaudeIntegration
