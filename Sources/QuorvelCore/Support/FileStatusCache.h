#pragma once

#include "Support/Date.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileInfo.h"
#include "Support/FolderWatch.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvel {

// What the refresh learns with lstat and by listing folders, kept in memory for as long as a
// FolderWatch reports no change, so that a pass in which nothing changed asks the file system nothing.
// A folder is watched before it is read, so every change after the read is reported; an event forgets
// exactly the entries it names. Everything is asked again in a sweep: at the first pass, after lost
// events (a queue overflow), after a watched folder was deleted, moved or replaced, and every
// sweepInterval seconds, so that a change the watch never reports (a write through a hard link in
// another folder or through a shared mapping) is late by one sweep at most. Folders that cannot be
// watched (the per-user watch limit, file systems without events) are asked at every pass. A folder
// reached by its path rather than through a watched parent is looked up once a pass, so that a folder
// above it that was moved or replaced (or a link re-pointed) brings a sweep.
class FileStatusCache {
public:
    static constexpr double sweepInterval = 60;

    // One folder's record: its listing and the lstat results of its entries while they are known.
    class Folder {
    public:
        const std::string& path() const { return path_; }

    private:
        friend class FileStatusCache;
        struct Identity {
            dev_t device = 0;
            ino_t inode = 0;
            bool operator==(const Identity&) const = default;
        };
        std::string path_;
        bool followLink_ = false; // reached by its path, not through a watched parent
        std::optional<int> watch_;
        std::optional<Identity> identity_; // of the folder watched
        std::uint64_t checkedAtSweep_ = 0; // the sweep at which the watch was last added or refused
        std::uint64_t usedInPass_ = 0;
        struct KnownInfo {
            bool known = false;
            std::optional<FileInfo> info; // nothing: no such entry
        };
        FolderListing listing_; // the last listing read
        bool listingKnown_ = false;
        std::vector<KnownInfo> listed_; // lstat results of the listing's entries, by position
        std::unordered_map<std::string, std::optional<FileInfo>> entries_; // of entries asked by name
    };

    struct Statistics {
        std::uint64_t answered = 0; // questions answered from memory
        std::uint64_t asked = 0;    // questions asked of the file system
        std::uint64_t sweeps = 0;
        std::size_t watches = 0; // watches in use
    };

    explicit FileStatusCache(std::unique_ptr<FolderWatch> watch);
    FileStatusCache(const FileStatusCache&) = delete;
    FileStatusCache& operator=(const FileStatusCache&) = delete;

    // Takes the watch's events and forgets what they name, then sweeps when a sweep is due.
    // `readMoment`: the real time of the pass.
    void beginPass(Date readMoment);
    // Forgets the folders that nothing asked about in this pass and ends their watches.
    void endPass();
    // The next pass asks the file system everything again.
    void requestSweep() { sweepRequested_ = true; }

    // The record of the folder at `path`, reached through a final symbolic link only when
    // `followLink` (a folder reached by its path, not as an entry of a watched folder); kept while
    // passes ask about it.
    Folder& folder(const std::string& path, bool followLink);

    // The folder's listing: from memory while it is known; otherwise read by `list`, which may throw.
    // Valid until the folder is listed again.
    template <typename List> FolderListing& listing(Folder& folder, List&& list) {
        if (folder.listingKnown_ && folder.watch_) {
            ++statistics_.answered;
            return folder.listing_;
        }
        folder.listingKnown_ = false;
        const bool watched = watch(folder);
        keepListing(folder, list(), watched);
        ++statistics_.asked;
        return folder.listing_;
    }

    // lstat of the entry at `position` in the folder's listing (nothing when it is gone): from memory
    // while it is known; otherwise asked with `stat`, which throws for failures other than absence.
    template <typename Stat>
    std::optional<FileInfo> listedEntryInfo(Folder& folder, std::uint32_t position, Stat&& stat) {
        const bool known = folder.watch_ && folder.listingKnown_ && position < folder.listed_.size();
        if (known && folder.listed_[position].known) {
            ++statistics_.answered;
            return folder.listed_[position].info;
        }
        std::optional<FileInfo> info = stat();
        ++statistics_.asked;
        if (known)
            folder.listed_[position] = {true, info};
        return info;
    }

    // lstat of the folder's entry `name` (nothing when there is none): from memory while it is known;
    // otherwise asked with `stat`, which throws for failures other than absence.
    template <typename Stat>
    std::optional<FileInfo> entryInfo(Folder& folder, const std::string& name, Stat&& stat) {
        if (folder.watch_) {
            if (auto found = folder.entries_.find(name); found != folder.entries_.end()) {
                ++statistics_.answered;
                return found->second;
            }
        }
        const bool watched = watch(folder);
        std::optional<FileInfo> info = stat();
        ++statistics_.asked;
        if (watched)
            folder.entries_.insert_or_assign(name, info);
        return info;
    }

    // Whether the entry at `position` of the folder's listing is known to be no folder, changed at or
    // before `moment` (nanoseconds since 1970).
    bool isKnownOlderFile(const Folder& folder, std::uint32_t position, std::int64_t moment) const {
        if (!folder.watch_ || !folder.listingKnown_ || position >= folder.listed_.size())
            return false;
        const Folder::KnownInfo& known = folder.listed_[position];
        return known.known && known.info && !known.info->isDirectory() && known.info->modifiedNanoseconds <= moment;
    }

    // lstat of `path`, through the record of its parent folder; as FileInfo::ifExists.
    std::optional<FileInfo> infoIfExists(const std::filesystem::path& path);

    Statistics statistics() const;

private:
    // Watches the folder unless it was watched or refused since the last sweep; whether it is watched.
    bool watch(Folder& folder);
    void unwatch(Folder& folder);
    void keepListing(Folder& folder, FolderListing listing, bool watched);
    void forgetContents(Folder& folder);
    void forgetEntry(Folder& folder, const std::string& name);
    void forgetOwnInfo(const Folder& folder);
    void apply(const FolderWatch::Event& event);
    void addedOrRemovedFolder(const std::string& path);
    static std::optional<Folder::Identity> identityOf(const Folder& folder);
    void sweep();

    std::unique_ptr<FolderWatch> watch_;
    std::unordered_map<std::string, Folder> folders_;
    std::unordered_map<int, std::vector<Folder*>> watchers_; // the folders behind each watch
    std::uint64_t pass_ = 0;
    Date readMoment_;
    std::optional<Date> lastSweep_;
    bool sweepRequested_ = true;
    Statistics statistics_;
};

} // namespace quorvel
