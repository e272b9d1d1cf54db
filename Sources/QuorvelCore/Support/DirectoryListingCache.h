#pragma once

#include "Support/FileResultCache.h"

#include <string>
#include <vector>

namespace quorvel {

// The entries of one folder, with whether each is a folder (not a link to one).
struct FolderListing {
    std::vector<std::string> names;
    std::vector<bool> isDirectory; // from the listing's entry types, per name
};

// Folder listings kept from one pass to the next while the folder keeps its device, inode, modification
// and change time (adding, removing or renaming an entry changes the last two).
using DirectoryListingCache = FileResultCache<FolderListing>;

} // namespace quorvel
