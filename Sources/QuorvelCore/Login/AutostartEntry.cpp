#include "Login/AutostartEntry.h"

#include "Login/AutostartError.h"
#include "Login/DesktopEntry.h"
#include "Support/FileIO.h"
#include "Support/Locations.h"
#include "Support/Unicode.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quorvel {

namespace {

constexpr std::uint64_t maximumEntrySize = 65536;

// The system's message as the end of a sentence: "Not a directory" becomes "not a directory", while a
// message that starts with an abbreviation ("I/O error") keeps its capitals.
std::string lowercasedStart(std::string message) {
    if (message.size() > 1 && std::isupper(static_cast<unsigned char>(message[0])) &&
        std::islower(static_cast<unsigned char>(message[1])))
        message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
    return message;
}

// Runs `change`; a failure becomes an AutostartError that says what could not be done with which path.
template <typename Change>
void describingFailure(const std::string& whatFailed, const std::filesystem::path& path, Change change) {
    try {
        change();
    } catch (const std::system_error& error) {
        throw AutostartError(error.code(), "Quorvel could not " + whatFailed + " " + path.string() + ": " +
                                               lowercasedStart(error.code().message()) + ".");
    }
}

} // namespace

std::filesystem::path AutostartEntry::defaultPath() {
    return Locations::configHome(FileIO::homeDirectory()) / "autostart" / "quorvel.desktop";
}

std::filesystem::path AutostartEntry::currentExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

AutostartEntry AutostartEntry::forCurrentExecutable() {
    return {defaultPath(), currentExecutable()};
}

// The icon and comment are the installed desktop entry's (Sources/Quorvel/Resources/quorvel.desktop), so
// that the desktop's autostart settings show the entry as the application grid does.
std::string AutostartEntry::contents() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quorvel\n"
           "Comment=See which Claude Code and Codex conversations are waiting, failed, working or finished\n"
           "Icon=quorvel\n"
           "Exec=" +
           DesktopEntry::execValue(executable.native()) +
           "\n"
           "Terminal=false\n";
}

LaunchAtLoginState AutostartEntry::status() const {
    std::string text;
    try {
        text = FileIO::readBounded(path, maximumEntrySize);
    } catch (...) {
        return LaunchAtLoginState::disabled;
    }
    if (DesktopEntry::value(text, "Hidden") == "true")
        return LaunchAtLoginState::disabled;
    const auto exec = DesktopEntry::value(text, "Exec");
    const auto program = exec ? DesktopEntry::execProgram(*exec) : std::nullopt;
    return program == executable.native() ? LaunchAtLoginState::enabled : LaunchAtLoginState::disabled;
}

void AutostartEntry::install() const {
    // Desktop entries are UTF-8; a path that is not cannot be written into one faithfully.
    if (!Unicode::isValidUtf8(executable.native()))
        throw AutostartError(std::make_error_code(std::errc::illegal_byte_sequence),
                             "Quorvel could not start at login from " + executable.string() +
                                 ": the path is not valid UTF-8.");
    const std::string text = contents();
    FileIO::requireWithinReadCap(text, maximumEntrySize);
    describingFailure("save its autostart entry in", path.parent_path(),
                      [&] { FileIO::writePrivateFile(path, text); });
}

void AutostartEntry::remove() const {
    describingFailure("remove its autostart entry", path, [&] { FileIO::removeIfExists(path); });
}

bool AutostartEntry::openFolder() const {
    try {
        FileIO::createPrivateDirectories(path.parent_path());
    } catch (const std::system_error&) {
        return false;
    }
    std::string folder = path.parent_path().native();
    std::string program = "xdg-open";
    char* arguments[] = {program.data(), folder.data(), nullptr};
    // The opener and the file manager it may start keep none of the application's descriptors.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    pid_t child = 0;
    const int error = posix_spawnp(&child, "xdg-open", &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    std::thread([child] {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace quorvel
