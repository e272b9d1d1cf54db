#include "Support/DirectoryListingCache.h"

namespace quorvel {

const DirectoryListingCache::Listing* DirectoryListingCache::find(const std::string& path,
                                                                  const FileKey& version) {
    auto found = entries_.find(path);
    if (found == entries_.end() || found->second.version != version)
        return nullptr;
    found->second.pass = pass_;
    ++hits_;
    return &found->second.listing;
}

void DirectoryListingCache::store(const std::string& path, const FileKey& version, Listing listing) {
    if (version.isRacy(readMoment_)) {
        entries_.erase(path);
        return;
    }
    entries_.insert_or_assign(path, Entry{version, std::move(listing), pass_});
}

void DirectoryListingCache::beginPass(Date readMoment) {
    ++pass_;
    readMoment_ = readMoment;
}

void DirectoryListingCache::endPass() {
    std::erase_if(entries_, [&](const auto& item) { return item.second.pass != pass_; });
}

} // namespace quorvel
