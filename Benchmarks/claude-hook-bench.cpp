// Times `quorvel-status claude-hook` storing a 2 KB event against /bin/true, spawned the same way in
// the same run, and prints the ratio of the medians. A second ratio, for an event that maps to no record,
// tells start-up and parsing apart from the file write (whose fdatasync depends on the disk).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string hookEvent(std::string_view name) {
    std::string event = R"({"session_id":"3f2a1b0c-9d8e-4f7a-8b6c-5d4e3f2a1b0c","hook_event_name":")";
    event += name;
    event += R"(",)"
             R"("cwd":"/home/user/project","transcript_path":"/home/user/.claude/projects/p/t.jsonl",)"
             R"("permission_mode":"default","prompt":")";
    event.append(2048 - event.size() - 2, 'x');
    event += "\"}";
    return event;
}

// Spawns the program with `input` waiting in a pipe on its standard input; returns seconds to exit.
double timeRun(const std::vector<std::string>& arguments, const std::string& input, char** environment) {
    int channel[2];
    if (::pipe(channel) != 0 ||
        ::write(channel[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        std::exit(2);
    ::close(channel[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[0], 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment) != 0)
        std::exit(2);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    ::close(channel[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 400;
    char folderTemplate[] = "/tmp/claude-hook-bench.XXXXXX";
    if (::mkdtemp(folderTemplate) == nullptr)
        return 2;
    const std::filesystem::path home = folderTemplate;
    std::string homeVariable = "HOME=" + home.string();
    char* environment[] = {homeVariable.data(), nullptr};

    const std::string event = hookEvent("UserPromptSubmit");
    const std::string unmappedEvent = hookEvent("SubagentStop");
    const std::vector<std::string> helper = {QUORVEL_STATUS_BINARY, "claude-hook"};
    const std::vector<std::string> floor = {"/bin/true"};
    std::vector<double> helperTimes, unmappedTimes, floorTimes;
    for (int warmUp = 0; warmUp < 20; ++warmUp) {
        timeRun(helper, event, environment);
        timeRun(floor, event, environment);
    }
    for (int index = 0; index < iterations; ++index) {
        helperTimes.push_back(timeRun(helper, event, environment));
        floorTimes.push_back(timeRun(floor, event, environment));
        unmappedTimes.push_back(timeRun(helper, unmappedEvent, environment));
    }
    const bool written = std::filesystem::exists(
        home / ".local/share/quorvel/claude-events/3f2a1b0c-9d8e-4f7a-8b6c-5d4e3f2a1b0c.json");
    std::filesystem::remove_all(home);
    if (!written) {
        std::fprintf(stderr, "no record was written\n");
        return 2;
    }
    const double helperMedian = median(helperTimes), floorMedian = median(floorTimes);
    const double unmappedMedian = median(unmappedTimes);
    std::printf("iterations: %d\n", iterations);
    std::printf("/bin/true median:                       %.3f ms\n", floorMedian * 1e3);
    std::printf("claude-hook, record written, median:    %.3f ms\n", helperMedian * 1e3);
    std::printf("claude-hook, nothing to write, median:  %.3f ms\n", unmappedMedian * 1e3);
    std::printf("ratio without the write: %.2f\n", unmappedMedian / floorMedian);
    std::printf("ratio: %.2f (target <= 2.5)\n", helperMedian / floorMedian);
    return 0;
}
