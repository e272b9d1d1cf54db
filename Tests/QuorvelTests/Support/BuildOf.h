#pragma once

#include "App/BuildInfo.h"

namespace quorvel::testing {

// A build of this version and commit (none: not known) with this website.
inline BuildInfo buildOf(std::optional<QString> version, std::optional<QString> commit = std::nullopt,
                         QString website = {}) {
    BuildInfo build;
    build.shortVersion = std::move(version);
    build.commitHash = std::move(commit);
    build.websiteURL = std::move(website);
    return build;
}

} // namespace quorvel::testing
