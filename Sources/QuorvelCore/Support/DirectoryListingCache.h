#pragma once

#include "Support/FileResultCache.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// The entries of one folder in the order the file system lists them, with whether each is a folder
// (not a link to one).
struct FolderListing {
    std::vector<std::string> names;
    std::vector<bool> isDirectory;     // from the listing's entry types, per name
    std::vector<std::uint32_t> byName; // positions in byte order of the names, when a walk asked for it

    // Fills byName unless it is filled.
    void sortByName();
};

// Folder listings kept from one pass to the next while the folder keeps its device, inode, modification
// and change time (adding, removing or renaming an entry changes the last two).
using DirectoryListingCache = FileResultCache<FolderListing>;

} // namespace quorvel
