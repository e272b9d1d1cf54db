#pragma once

#include "Support/InotifyFolderWatch.h"

#include <memory>

namespace quorvel::testing {

// The real inotify watch with the faults a test switches on while the watch is in use: watches refused
// (the per-user limit), events that never come, and a lost batch of events.
class ScriptedFolderWatch final : public FolderWatch {
public:
    struct Script {
        bool refuseWatches = false;
        bool dropEvents = false;
        bool overflowOnce = false;
        int removed = 0; // watches ended by their user
    };

    explicit ScriptedFolderWatch(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    std::optional<int> add(const std::string& folder, bool followLink) override {
        return script_->refuseWatches ? std::nullopt : inotify_.add(folder, followLink);
    }
    void remove(int watch) override {
        ++script_->removed;
        inotify_.remove(watch);
    }
    Events take() override {
        Events events = inotify_.take();
        if (script_->dropEvents)
            events.events.clear();
        if (script_->overflowOnce)
            events.overflowed = true;
        script_->overflowOnce = false;
        return events;
    }

private:
    std::shared_ptr<Script> script_;
    InotifyFolderWatch inotify_;
};

} // namespace quorvel::testing
