#include "App/AppcastFeed.h"

#include "App/DottedVersion.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace quorvel::AppcastFeed {

namespace {

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
        if (reader.name() == u"item")
            items.push_back(readItem(reader));
        else
            reader.skipCurrentElement();
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
    if (reader.hasError())
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
