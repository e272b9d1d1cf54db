#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

// Reads a window of whole lines from a file that is still being appended to.
// The readers of this library differ on what to do with a window holding no line feed, so the
// policy is a parameter.
struct BoundedReader {
    enum class NoLineFeed {
        keepWhole, // bytes without any line feed are returned as they are
        empty      // bytes without a line feed in the needed place give nothing
    };

    // Bytes read from the start of the file, cut after their last line feed (0 = no head window).
    std::uint64_t headLimit = 0;
    // Bytes read from the end of the file.
    std::uint64_t tailLimit = 0;
    NoLineFeed noLineFeed = NoLineFeed::keepWhole;

    // Opens the file, finds its size by seeking to the end, reads the head window (only when the file
    // is larger than headLimit) and the tail window, drops a first line cut by the tail's start and a
    // last line still being written. Returns head followed by tail. Throws std::system_error.
    std::string read(const std::filesystem::path& path) const;

    // The line trimming alone, on bytes already read: `startsInside` tells that the bytes begin
    // after offset 0 of the file.
    std::string_view trimToWholeLines(std::string_view bytes, bool startsInside) const;
};

// Splits bytes at line feeds and calls `body(line)` for each non-empty line, in order.
template <typename Body> void forEachLine(std::string_view bytes, Body&& body) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end > start)
            body(bytes.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace quorvel
