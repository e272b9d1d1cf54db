#include "Login/DesktopEntry.h"

#include "Support/BoundedReader.h"

namespace quorvel::DesktopEntry {

namespace {

constexpr std::string_view groupHeader = "[Desktop Entry]";

bool isQuoteEscaped(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

std::string quoted(std::string_view argument) {
    std::string result = "\"";
    for (char c : argument) {
        if (isQuoteEscaped(c))
            result += '\\';
        result += c;
    }
    return result + '"';
}

std::string percentDoubled(std::string_view text) {
    std::string result;
    for (char c : text) {
        result += c;
        if (c == '%')
            result += '%';
    }
    return result;
}

std::string stringEscaped(std::string_view text) {
    std::string result;
    for (char c : text) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

// \s \n \t \r \\ become their characters; any other backslash is left for the quoting rules.
std::string stringUnescaped(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
            continue;
        }
        switch (text[i + 1]) {
        case 's':
            result += ' ';
            break;
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case 'r':
            result += '\r';
            break;
        case '\\':
            result += '\\';
            break;
        default:
            result += text[i];
            continue;
        }
        ++i;
    }
    return result;
}

std::string percentUndoubled(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    return result;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<std::string> firstArgument(std::string_view command) {
    std::size_t i = 0;
    while (i < command.size() && isBlank(command[i]))
        ++i;
    if (i == command.size())
        return std::nullopt;
    std::string argument;
    if (command[i] != '"') {
        while (i < command.size() && !isBlank(command[i]))
            argument += command[i++];
        return argument;
    }
    for (++i; i < command.size(); ++i) {
        if (command[i] == '"')
            return argument;
        if (command[i] == '\\' && i + 1 < command.size() && isQuoteEscaped(command[i + 1]))
            ++i;
        argument += command[i];
    }
    return std::nullopt;
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string execValue(std::string_view program) {
    return stringEscaped(percentDoubled(quoted(program)));
}

std::optional<std::string> execProgram(std::string_view value) {
    return firstArgument(percentUndoubled(stringUnescaped(value)));
}

std::optional<std::string> value(std::string_view fileText, std::string_view key) {
    bool inGroup = false;
    std::optional<std::string> found;
    forEachLine(fileText, [&](std::string_view rawLine) {
        const std::string_view line = trimmedBlanks(rawLine);
        if (found || line.empty() || line.front() == '#')
            return;
        if (line.front() == '[') {
            inGroup = line == groupHeader;
            return;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string_view::npos && trimmedBlanks(line.substr(0, equals)) == key)
            found = std::string(trimmedBlanks(line.substr(equals + 1)));
    });
    return found;
}

} // namespace quorvel::DesktopEntry
