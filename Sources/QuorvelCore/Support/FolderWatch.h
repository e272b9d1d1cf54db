#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Change notifications for single folders: what happened to the entries directly inside a watched
// folder (not deeper) or to the folder itself. The refresh's file status cache is driven by one.
class FolderWatch {
public:
    enum class Change {
        entryChanged,        // the named entry's contents or attributes
        entryAddedOrRemoved, // the named entry was created, deleted, or moved in or out
        folderChanged,       // the watched folder's own attributes (who may list it)
        folderGone,          // the watched folder was deleted, moved or unmounted
    };

    struct Event {
        int watch = -1;
        Change change = Change::entryChanged;
        std::string name; // empty for the folder's own changes
    };

    struct Events {
        std::vector<Event> events;
        bool overflowed = false; // some events were lost: nothing seen so far may be trusted
    };

    virtual ~FolderWatch() = default;

    // Starts watching `folder`, following a final symbolic link only when `followLink`; watching a
    // folder again gives the same number. Nothing when it cannot be watched: it does not exist, the
    // per-user limit of watches is reached, or its file system sends no events (network mounts).
    virtual std::optional<int> add(const std::string& folder, bool followLink) = 0;
    virtual void remove(int watch) = 0;
    // The events since the last call, without waiting.
    virtual Events take() = 0;
};

} // namespace quorvel
