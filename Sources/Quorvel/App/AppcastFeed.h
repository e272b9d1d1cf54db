#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace quorvel {

// One release in an update feed: an RSS <item> with <version>, <shortVersionString> and <link> children
// (in any namespace), or the same values as attributes of its <enclosure> ("url" for the link).
struct AppcastItem {
    QString version;      // compared with the running version
    QString shortVersion; // shown to the user
    QString downloadURL;  // the release's download page

    // The short version string, else the version.
    QString displayVersion() const { return shortVersion.isEmpty() ? version : shortVersion; }
    bool operator==(const AppcastItem&) const = default;
};

namespace AppcastFeed {

// The items of an RSS document; nothing when the bytes are not well-formed XML with an <rss> root,
// declare a document type or hold no item that is kept. An item without a version, or whose version or
// short version is longer than 64 characters or holds anything but ASCII letters, digits and ".-+_~",
// is left out.
std::optional<std::vector<AppcastItem>> parse(const QByteArray& document);

// The newest item that is newer than `currentVersion` and has an HTTPS download link; nothing when
// there is none or the running version is not a dotted version.
std::optional<AppcastItem> newestUpdate(const std::vector<AppcastItem>& items, const QString& currentVersion);

} // namespace AppcastFeed

} // namespace quorvel
