#pragma once

#include "Login/LaunchAtLoginState.h"

#include <filesystem>
#include <string>

namespace quorvel {

// The login item on Linux desktops: an XDG autostart entry that runs one executable.
struct AutostartEntry {
    std::filesystem::path path;       // the .desktop file
    std::filesystem::path executable; // the program it runs

    // $XDG_CONFIG_HOME/autostart/quorvel.desktop; ~/.config when the variable is unset or not absolute.
    static std::filesystem::path defaultPath();
    // The running program (/proc/self/exe). Throws std::system_error.
    static std::filesystem::path currentExecutable();
    static AutostartEntry forCurrentExecutable();

    std::string contents() const;
    // Enabled when the entry exists, is not hidden and runs `executable`; disabled otherwise, also when
    // the entry cannot be read.
    LaunchAtLoginState status() const;
    // Writes the entry atomically, creating its folder. Throws AutostartError.
    void install() const;
    // Removes the entry; a missing one is fine. Throws AutostartError.
    void remove() const;
    // Shows the autostart folder with xdg-open, without waiting for it. False when it cannot be started.
    bool openFolder() const;
};

} // namespace quorvel
