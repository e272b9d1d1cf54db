// The Claude desktop app's session files, read from a folder as the refresh does.
#include "Claude/ClaudeDesktopSessionIndex.h"
#include "FuzzSupport.h"
#include "Support/FileIO.h"
#include "Support/Uuid.h"

using namespace quorvel;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto root = fuzzing::emptyScratchFolder() / "claude-code-sessions";
    FileIO::createPrivateDirectories(root / "account" / "workspace");
    FileIO::writeAtomically(root / "account" / "workspace" / "local_session.json",
                            fuzzing::bytes(data, size));
    const ClaudeDesktopSessionIndex::Snapshot snapshot = ClaudeDesktopSessionIndex::snapshot(root);
    require(snapshot.sessionIDs.size() <= 1, "one file names one session");
    for (const auto& [cliSession, desktopSession] : snapshot.sessionIDs) {
        require(Uuid::isUuidText(cliSession), "Claude Code session ids are UUIDs");
        require(desktopSession.starts_with("local_") && Uuid::isUuidText(desktopSession.substr(6)),
                "desktop session ids are local_ and a UUID");
    }
    for (const auto& [cliSession, focused] : snapshot.lastFocusedAt)
        require(snapshot.sessionIDs.contains(cliSession), "focus times belong to known sessions");
    return 0;
}
