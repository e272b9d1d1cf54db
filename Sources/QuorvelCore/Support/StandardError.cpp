#include "Support/StandardError.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace quorvel::StandardError {

void writeLine(std::string_view text) {
    std::string line(text);
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t count = ::write(STDERR_FILENO, rest.data(), rest.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        rest.remove_prefix(static_cast<std::size_t>(count));
    }
}

} // namespace quorvel::StandardError
