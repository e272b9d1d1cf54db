#include "Support/ReadMarkFile.h"

#include "Model/StatusError.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/UnreadableFile.h"

#include <algorithm>
#include <cmath>

namespace quorvel::ReadMarkFile {

bool covers(const Marks& marks, const std::string& key, Date updatedAt) {
    auto found = marks.find(key);
    return found != marks.end() && found->second >= updatedAt;
}

void mark(Marks& marks, const std::string& key, Date at, Date updatedAt) {
    const Date mark{std::ceil(std::max(at, updatedAt).seconds)};
    // Held within what the text form writes back, so one odd date never spoils the whole file.
    marks[key] = std::clamp(mark, Iso8601::earliest, Iso8601::latest);
}

Marks decode(std::string_view bytes) {
    JsonParser parser;
    auto document = JsonValue::requireObject(parser.parse(bytes));
    if (!JsonValue::has(document, "readAt"))
        throw JsonDecodeError("missing key \"readAt\"");
    auto readAt = JsonValue::object(document, "readAt");
    if (!readAt)
        throw JsonDecodeError("\"readAt\" is not an object");
    Marks marks;
    for (auto field : *readAt) {
        std::string_view text;
        if (field.value.get_string().get(text) != simdjson::SUCCESS)
            throw JsonDecodeError("read mark is not a string");
        auto date = Iso8601::parseWholeSeconds(text);
        if (!date)
            throw JsonDecodeError("read mark is not an ISO-8601 date with whole seconds");
        marks[std::string(field.key)] = *date;
    }
    return marks;
}

std::string encode(const Marks& marks) {
    auto readAt = nlohmann::json::object();
    for (const auto& [key, date] : marks) {
        if (!Iso8601::isRepresentable(date))
            throw StatusError::invalidRecord();
        readAt[key] = Iso8601::formatWholeSeconds(date);
    }
    return JsonText::compact(nlohmann::json{{"readAt", readAt}});
}

Marks load(const std::filesystem::path& path) {
    if (!FileInfo::ifExists(path))
        return {};
    return decode(FileIO::readBounded(path, maxBytes));
}

void save(const std::filesystem::path& path, const Marks& marks, Date now) {
    const std::string bytes = encode(marks);
    FileIO::requireWithinReadCap(bytes, maxBytes);
    FileIO::createPrivateDirectories(path.parent_path());
    UnreadableFile::loadOrKeepAside(path, now, [&] { load(path); });
    FileIO::writeAtomically(path, bytes, 0600);
}

} // namespace quorvel::ReadMarkFile
