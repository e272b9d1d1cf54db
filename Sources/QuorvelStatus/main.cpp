#include "StatusCommand.h"
#include "Support/FileDescriptor.h"

#include <cerrno>
#include <exception>
#include <string>
#include <system_error>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

quorvel::Date currentDate() {
    timespec time{};
    ::clock_gettime(CLOCK_REALTIME, &time);
    return quorvel::Date::fromUnix(static_cast<double>(time.tv_sec) +
                                   static_cast<double>(time.tv_nsec) / 1e9);
}

int fail(std::string_view error) {
    quorvel::FileDescriptor::writeAllTo(STDERR_FILENO, quorvel::StatusCommand::errorReport(error));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string output;
    try {
        output = quorvel::StatusCommand::run(std::vector<std::string>(argv + 1, argv + argc), currentDate);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    if (!quorvel::FileDescriptor::writeAllTo(STDOUT_FILENO, output))
        return fail(std::system_error(errno, std::generic_category(), "write standard output").what());
    return 0;
}
