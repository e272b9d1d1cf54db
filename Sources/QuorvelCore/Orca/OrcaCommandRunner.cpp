#include "Orca/OrcaCommandRunner.h"

#include "Orca/OrcaNavigationError.h"
#include "Orca/OrcaNavigator.h"
#include "Support/FileDescriptor.h"
#include "Support/FileIO.h"
#include "Support/Json.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto pollInterval = std::chrono::milliseconds(10);
constexpr const char* childPath = "PATH=/usr/bin:/bin:/usr/sbin:/sbin";
constexpr const char* childLanguage = "LANG=en_US.UTF-8";

[[noreturn]] void throwErrno(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

struct Pipe {
    FileDescriptor read;
    FileDescriptor write;

    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throwErrno(errno, "pipe2");
        read = FileDescriptor(fds[0]);
        write = FileDescriptor(fds[1]);
    }
};

void setNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        throwErrno(errno, "fcntl");
}

// The child's process; killed (with its process group) and reaped when left while still unreaped.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    // The exit status once the child has ended; nothing while it runs.
    std::optional<int> exitStatusIfEnded() {
        int status = 0;
        const pid_t result = ::waitpid(pid_, &status, WNOHANG);
        if (result != pid_)
            return std::nullopt;
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    void stop() {
        if (reaped_)
            return;
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }

private:
    pid_t pid_;
    bool reaped_ = false;
};

class SpawnSetup {
public:
    SpawnSetup(int outputFd, int errorFd, const std::filesystem::path& workingFolder) {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions_, errorFd, STDERR_FILENO);
        // Descriptors other threads opened without O_CLOEXEC must not reach the tool.
        ::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
        ::posix_spawn_file_actions_addchdir_np(&actions_, workingFolder.c_str());

        // Own process group, so a stop also ends the tool's helpers; default signal dispositions and
        // an empty mask whatever the application set for itself.
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attributes_, &none);
        ::posix_spawnattr_setsigdefault(&attributes_, &all);
        ::posix_spawnattr_setpgroup(&attributes_, 0);
        ::posix_spawnattr_setflags(&attributes_,
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }

    pid_t spawn(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment) const {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(executable.c_str()));
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const auto& variable : environment)
            envp.push_back(const_cast<char*>(variable.c_str()));
        envp.push_back(nullptr);

        pid_t pid = 0;
        const int error =
            ::posix_spawn(&pid, executable.c_str(), &actions_, &attributes_, argv.data(), envp.data());
        if (error != 0)
            throwErrno(error, "posix_spawn");
        return pid;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Counts both streams against the limit and keeps standard output.
class OutputCollector {
public:
    explicit OutputCollector(std::uint64_t limit) : limit_(limit) {}

    // Reads until the pipe has nothing more for now (or is at its end). With a deadline, throws
    // timedOut after a read that finds it reached.
    void drain(int fd, bool keep, std::optional<Clock::time_point> deadline) {
        char buffer[OrcaCommandRunner::readChunk];
        for (;;) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count <= 0)
                return;
            total_ += static_cast<std::uint64_t>(count);
            if (total_ > limit_)
                throw OrcaNavigationError::outputLimit();
            if (keep)
                output_.append(buffer, static_cast<std::size_t>(count));
            if (deadline && Clock::now() >= *deadline)
                throw OrcaNavigationError::timedOut();
        }
    }

    std::string& output() { return output_; }

private:
    std::uint64_t limit_;
    std::uint64_t total_ = 0;
    std::string output_;
};

std::string finished(int exitStatus, std::string output) {
    if (exitStatus != 0) {
        JsonParser parser;
        OrcaNavigator::result(output, parser); // Orca's own failure, when it reported one
        throw OrcaNavigationError::unavailable();
    }
    if (output.empty())
        throw OrcaNavigationError::unavailable();
    return output;
}

} // namespace

std::string OrcaCommandRunner::run(const std::filesystem::path& executable,
                                   const std::vector<std::string>& arguments) const {
    const auto home = FileIO::homeDirectory();
    Pipe standardOutput;
    Pipe standardError;
    const SpawnSetup setup(standardOutput.write.get(), standardError.write.get(), home);
    ChildProcess child(
        setup.spawn(executable, arguments, {"HOME=" + home.string(), childPath, childLanguage}));
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));

    standardOutput.write.close();
    standardError.write.close();
    setNonBlocking(standardOutput.read.get());
    setNonBlocking(standardError.read.get());

    OutputCollector collector(outputLimit);
    for (;;) {
        collector.drain(standardOutput.read.get(), true, deadline);
        collector.drain(standardError.read.get(), false, deadline);
        if (const auto exitStatus = child.exitStatusIfEnded()) {
            collector.drain(standardOutput.read.get(), true, std::nullopt);
            collector.drain(standardError.read.get(), false, std::nullopt);
            return finished(*exitStatus, std::move(collector.output()));
        }
        if (Clock::now() >= deadline)
            throw OrcaNavigationError::timedOut();
        std::this_thread::sleep_for(pollInterval);
    }
}

} // namespace quorvel
