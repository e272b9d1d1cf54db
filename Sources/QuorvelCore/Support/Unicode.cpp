#include "Support/Unicode.h"

#include <utf8proc.h>

namespace quorvel::Unicode {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t length;
    bool valid;
};

// One code point at `position`; an ill-formed sequence decodes as U+FFFD over one byte.
Decoded decodeAt(std::string_view text, std::size_t position) {
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data() + position);
    utf8proc_int32_t codePoint = -1;
    const utf8proc_ssize_t length =
        utf8proc_iterate(bytes, static_cast<utf8proc_ssize_t>(text.size() - position), &codePoint);
    if (length <= 0 || codePoint < 0)
        return {replacementCharacter, 1, false};
    return {static_cast<char32_t>(codePoint), static_cast<std::size_t>(length), true};
}

// Calls body(byteOffset) at the start of each grapheme cluster; body returns false to stop.
template <typename Body> void forEachClusterStart(std::string_view text, Body&& body) {
    utf8proc_int32_t state = 0;
    char32_t previous = 0;
    for (std::size_t position = 0; position < text.size();) {
        const Decoded decoded = decodeAt(text, position);
        const bool isBreak = position == 0 || utf8proc_grapheme_break_stateful(
                                                  static_cast<utf8proc_int32_t>(previous),
                                                  static_cast<utf8proc_int32_t>(decoded.codePoint), &state);
        if (isBreak && !body(position))
            return;
        previous = decoded.codePoint;
        position += decoded.length;
    }
}

// Length in bytes of a White_Space character at `position`, 0 when there is none.
std::size_t whiteSpaceLengthAt(std::string_view text, std::size_t position) {
    const Decoded decoded = decodeAt(text, position);
    return decoded.valid && isWhiteSpace(decoded.codePoint) ? decoded.length : 0;
}

std::size_t whiteSpaceLengthEndingAt(std::string_view text, std::size_t end) {
    for (std::size_t length = 1; length <= 3 && length <= end; ++length) {
        const std::size_t start = end - length;
        const Decoded decoded = decodeAt(text, start);
        if (decoded.valid && decoded.length == length)
            return isWhiteSpace(decoded.codePoint) ? length : 0;
    }
    return 0;
}

} // namespace

bool isWhiteSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

std::string_view trimmedStart(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t length = whiteSpaceLengthAt(text, start);
        if (length == 0)
            break;
        start += length;
    }
    return text.substr(start);
}

std::string_view trimmed(std::string_view text) {
    text = trimmedStart(text);
    std::size_t end = text.size();
    while (end > 0) {
        const std::size_t length = whiteSpaceLengthEndingAt(text, end);
        if (length == 0)
            break;
        end -= length;
    }
    return text.substr(0, end);
}

std::string collapsedWhiteSpace(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t position = 0; position < text.size();) {
        const std::size_t space = whiteSpaceLengthAt(text, position);
        if (space > 0) {
            pendingSpace = !result.empty();
            position += space;
            continue;
        }
        if (pendingSpace)
            result.push_back(' ');
        pendingSpace = false;
        const std::size_t length = decodeAt(text, position).length;
        result.append(text.substr(position, length));
        position += length;
    }
    return result;
}

std::string graphemePrefix(std::string_view text, std::size_t count) {
    std::size_t end = text.size();
    std::size_t clusters = 0;
    forEachClusterStart(text, [&](std::size_t start) {
        if (clusters == count) {
            end = start;
            return false;
        }
        ++clusters;
        return true;
    });
    return std::string(text.substr(0, end));
}

std::size_t graphemeCount(std::string_view text, std::size_t stopAfter) {
    std::size_t clusters = 0;
    forEachClusterStart(text, [&](std::size_t) { return ++clusters <= stopAfter; });
    return clusters;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t position = 0; position < text.size();) {
        const Decoded decoded = decodeAt(text, position);
        if (!decoded.valid)
            return false;
        position += decoded.length;
    }
    return true;
}

std::string repairedUtf8(std::string_view text) {
    if (isValidUtf8(text))
        return std::string(text);
    std::string result;
    result.reserve(text.size() + 8);
    for (std::size_t position = 0; position < text.size();) {
        const Decoded decoded = decodeAt(text, position);
        if (decoded.valid)
            result.append(text.substr(position, decoded.length));
        else
            result.append("\xEF\xBF\xBD");
        position += decoded.length;
    }
    return result;
}

} // namespace quorvel::Unicode
