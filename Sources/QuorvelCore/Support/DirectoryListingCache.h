#pragma once

#include "Support/Date.h"
#include "Support/FileResultCache.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvel {

// The sorted entry names of folders, kept from one pass to the next while the folder keeps its
// device, inode, modification and change time (adding, removing or renaming an entry changes the
// last two). A listing taken within a second of the folder's last change is used in its own pass only
// (FileKey::isRacy). Folders not listed during a pass are dropped when it ends.
class DirectoryListingCache {
public:
    struct Listing {
        std::vector<std::string> names;
        std::vector<bool> isDirectory; // from the listing's entry types, per name
    };

    // The trusted listing of the folder at `path` with this version, or nothing.
    const Listing* find(const std::string& path, const FileKey& version);
    void store(const std::string& path, const FileKey& version, Listing listing);

    void beginPass(Date readMoment);
    void endPass();

    std::size_t size() const { return entries_.size(); }
    std::uint64_t hits() const { return hits_; }

private:
    struct Entry {
        FileKey version;
        Listing listing;
        std::uint64_t pass = 0;
    };
    std::unordered_map<std::string, Entry> entries_;
    std::uint64_t pass_ = 0;
    std::uint64_t hits_ = 0;
    Date readMoment_;
};

} // namespace quorvel
