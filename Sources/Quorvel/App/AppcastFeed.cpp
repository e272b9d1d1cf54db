#include "App/AppcastFeed.h"

#include "App/DottedVersion.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace quorvel::AppcastFeed {

namespace {

// Version texts are short: "1.2.0", "1.3-beta.2", "2.0+build.7".
constexpr qsizetype longestVersionText = 64;

bool isVersionCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'.' ||
           c == u'-' || c == u'+' || c == u'_' || c == u'~';
}

bool isVersionText(const QString& text) {
    return text.size() <= longestVersionText && std::all_of(text.begin(), text.end(), isVersionCharacter);
}

// An item whose versions could not be versions is refused: they are shown in the menu and in alerts.
bool hasSaneVersions(const AppcastItem& item) {
    return !item.version.isEmpty() && isVersionText(item.version) && isVersionText(item.shortVersion);
}

void takeEnclosure(const QXmlStreamAttributes& attributes, AppcastItem& item) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QString value = attribute.value().toString().trimmed();
        const auto name = attribute.name();
        if (name == u"url" && item.downloadURL.isEmpty())
            item.downloadURL = value;
        else if (name == u"version" && item.version.isEmpty())
            item.version = value;
        else if (name == u"shortVersionString" && item.shortVersion.isEmpty())
            item.shortVersion = value;
    }
}

// Reads the children of an <item> up to its end tag. Elements win over enclosure attributes.
AppcastItem readItem(QXmlStreamReader& reader) {
    AppcastItem item;
    AppcastItem enclosure;
    while (reader.readNextStartElement()) {
        const auto name = reader.name();
        if (name == u"enclosure") {
            takeEnclosure(reader.attributes(), enclosure);
            reader.skipCurrentElement();
        } else if (name == u"version") {
            item.version = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (name == u"shortVersionString") {
            item.shortVersion = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (name == u"link") {
            item.downloadURL = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = enclosure.version;
    if (item.shortVersion.isEmpty())
        item.shortVersion = enclosure.shortVersion;
    if (item.downloadURL.isEmpty())
        item.downloadURL = enclosure.downloadURL;
    if (item.version.isEmpty())
        item.version = item.shortVersion;
    return item;
}

void readChannel(QXmlStreamReader& reader, std::vector<AppcastItem>& items) {
    while (reader.readNextStartElement()) {
        if (reader.name() != u"item") {
            reader.skipCurrentElement();
            continue;
        }
        if (AppcastItem item = readItem(reader); hasSaneVersions(item))
            items.push_back(std::move(item));
    }
}

bool hasDocumentType(QXmlStreamReader& reader) {
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
        if (reader.isDTD())
            return true;
        if (reader.isStartElement())
            return false;
    }
    return false;
}

bool isSecureLink(const QString& link) {
    const QUrl url(link, QUrl::StrictMode);
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

} // namespace

std::optional<std::vector<AppcastItem>> parse(const QByteArray& document) {
    QXmlStreamReader reader(document);
    // A feed has no use for a document type; refusing it leaves no entity expansion to abuse.
    if (hasDocumentType(reader) || reader.hasError() || !reader.isStartElement() || reader.name() != u"rss")
        return std::nullopt;
    std::vector<AppcastItem> items;
    while (reader.readNextStartElement()) {
        if (reader.name() == u"channel")
            readChannel(reader, items);
        else
            reader.skipCurrentElement();
    }
    while (!reader.atEnd() && !reader.hasError())
        reader.readNext();
    // A feed with no item to offer (none, or every one refused) is as invalid as a malformed one.
    if (reader.hasError() || items.empty())
        return std::nullopt;
    return items;
}

std::optional<AppcastItem> newestUpdate(const std::vector<AppcastItem>& items,
                                        const QString& currentVersion) {
    std::optional<AppcastItem> newest;
    for (const AppcastItem& item : items) {
        const auto againstCurrent = DottedVersion::compare(item.version, currentVersion);
        if (!againstCurrent || *againstCurrent <= 0 || !isSecureLink(item.downloadURL))
            continue;
        if (!newest || *DottedVersion::compare(item.version, newest->version) > 0)
            newest = item;
    }
    return newest;
}

} // namespace quorvel::AppcastFeed
