#pragma once

#include "Support/DirectoryListingCache.h"
#include "Support/FileResultCache.h"

namespace quorvel {

// What a store of one record file per entry keeps from one refresh to the next: the folder's listing
// and each file's decoded record, while they keep their versions.
template <typename Record> struct RecordFolderCache {
    DirectoryListingCache listings;
    FileResultCache<Record> records;

    void beginPass(Date readMoment, FileStatusCache* files = nullptr) {
        listings.beginPass(readMoment, files);
        records.beginPass(readMoment, files);
    }
    void endPass() {
        listings.endPass();
        records.endPass();
    }
};

} // namespace quorvel
