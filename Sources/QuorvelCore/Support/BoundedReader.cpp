#include "Support/BoundedReader.h"

#include "Support/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>

namespace quorvel {

std::string_view BoundedReader::trimToWholeLines(std::string_view bytes, bool startsInside) const {
    const bool emptyWithoutLineFeed = noLineFeed == NoLineFeed::empty;
    if (startsInside) {
        const std::size_t first = bytes.find('\n');
        if (first != std::string_view::npos)
            bytes.remove_prefix(first + 1);
        else if (emptyWithoutLineFeed)
            return {};
    }
    if (bytes.empty() || bytes.back() != '\n') {
        const std::size_t last = bytes.rfind('\n');
        if (last != std::string_view::npos)
            bytes = bytes.substr(0, last + 1);
        else if (emptyWithoutLineFeed)
            return {};
    }
    return bytes;
}

std::string BoundedReader::read(const std::filesystem::path& path) const {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid())
        throw std::system_error(errno, std::generic_category(), path.string());
    const std::uint64_t size = file.seekEnd(path);

    std::string result;
    if (headLimit > 0 && size > headLimit) {
        const std::string head = file.readAt(0, headLimit, path);
        const std::size_t last = head.rfind('\n');
        if (last != std::string::npos)
            result.assign(head, 0, last + 1);
    }
    const std::uint64_t tailStart = size > tailLimit ? size - tailLimit : 0;
    const std::string tail = file.readAt(tailStart, size - tailStart, path);
    result.append(trimToWholeLines(tail, tailStart > 0));
    return result;
}

} // namespace quorvel
