#pragma once

#include <QString>
#include <optional>

namespace quorvel {

// What the build says about this program: the keys the Parts read from the bundle's information
// dictionary, and the addresses configured at build time (empty when not configured).
struct BuildInfo {
    std::optional<QString> shortVersion; // "CFBundleShortVersionString"
    std::optional<QString> commitHash;   // "QuorvelCommitHash"
    QString supportURL;                  // QUORVEL_SUPPORT_URL
    QString supportToken;                // QUORVEL_SUPPORT_TOKEN
    QString updateFeedURL;               // QUORVEL_UPDATE_FEED
    QString websiteURL;                  // QUORVEL_WEBSITE_URL

    // This build's values; QUORVEL_SUPPORT_URL and QUORVEL_SUPPORT_TOKEN in the environment override
    // the built-in support address and credential.
    static BuildInfo current();
};

} // namespace quorvel
