#include "Support/StandardError.h"

#include "Support/FileDescriptor.h"

#include <string>
#include <unistd.h>

namespace quorvel::StandardError {

void writeLine(std::string_view text) {
    std::string line(text);
    line += '\n';
    FileDescriptor::writeAllTo(STDERR_FILENO, line);
}

} // namespace quorvel::StandardError
