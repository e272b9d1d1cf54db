#pragma once

#include "Codex/SessionReader.h"
#include "Model/TaskStatus.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileResultCache.h"

#include <map>
#include <optional>
#include <string>

namespace quorvel::SessionReader {

using NameMap = std::map<std::string, std::string, std::less<>>;

// What `load` learnt from each file at its current version, kept between refreshes.
struct Cache {
    DirectoryListingCache listings;
    FileResultCache<std::optional<SessionMeta>> sessionMetas;
    FileResultCache<TaskStatus> histories; // parsed without a name
    FileResultCache<std::optional<std::string>> conversationNames;
    FileResultCache<NameMap> threadNames;
    FileResultCache<NameMap> projectNames;

    void beginPass(Date readMoment, FileStatusCache* files = nullptr);
    void endPass();
};

} // namespace quorvel::SessionReader
