#pragma once

#include "Support/Date.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileInfo.h"
#include "Support/FolderWatch.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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
//
// A pass whose every answer the cache kept (lastPassHolds) would be followed by one that learns nothing
// new as long as no event forgets any of it: its readers' results may then be reused without a pass.
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
        bool missing_ = false;             // nothing at the path, as its parent knows
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

    // Whether a pass at `readMoment` would learn nothing that the last pass did not: the last pass kept
    // every answer it got, no event since forgot any of them, no sweep is due, every folder reached by
    // its path still leads to the folder watched, and the answers kept by asking again are the same.
    // Takes the watch's events as beginPass does; asks nothing else of the file system but those few
    // questions.
    bool lastPassHolds(Date readMoment);
    // The pass learnt something that the watch cannot keep (a link it followed, a failure that may not
    // happen again): the next pass must ask again.
    void askAgainNextPass() { passKept_ = false; }
    // The answer to a question that no watch keeps (a lookup through every folder of a path), kept by
    // asking `ask` again before the pass is said to hold. A file changed within a second of the pass's
    // read moment may change again unseen (FileKey::isRacy): such an answer is not kept.
    void keepByAskingAgain(std::function<std::optional<FileInfo>()> ask,
                           const std::optional<FileInfo>& answer);

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
        passKept_ = passKept_ && watched;
        keepListing(folder, fromFileSystem(list), watched);
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
        std::optional<FileInfo> info = fromFileSystem(stat);
        if (known)
            folder.listed_[position] = {true, info};
        passKept_ = passKept_ && known;
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
        const bool watched = watchOrFindMissing(folder);
        if (!watched && folder.missing_) {
            ++statistics_.answered;
            return std::nullopt;
        }
        std::optional<FileInfo> info = fromFileSystem(stat);
        if (watched)
            folder.entries_.insert_or_assign(name, info);
        passKept_ = passKept_ && watched;
        return info;
    }

    // Whether the entry at `position` of the folder's listing is known to be no folder, changed at or
    // before `moment` (nanoseconds since 1970).
    bool isKnownOlderFile(const Folder& folder, std::uint32_t position, std::int64_t moment) const {
        if (!folder.watch_ || !folder.listingKnown_ || position >= folder.listed_.size())
            return false;
        const Folder::KnownInfo& known = folder.listed_[position];
        return known.known && known.info && !known.info->isDirectory() &&
               known.info->modifiedNanoseconds <= moment;
    }

    // lstat of `path`, through the record of its parent folder; as FileInfo::ifExists.
    std::optional<FileInfo> infoIfExists(const std::filesystem::path& path);
    // Whether the folder reached by `path` (a final link followed) is watched: while it is, the path is
    // known to lead to it (see folder()).
    bool watchesFolder(const std::string& path) { return watch(folder(path, true)); }

    Statistics statistics() const;

private:
    // The file system's answer; a question that failed is asked again by the next pass.
    template <typename Ask> auto fromFileSystem(Ask&& ask) {
        try {
            auto answer = ask();
            ++statistics_.asked;
            return answer;
        } catch (...) {
            passKept_ = false;
            throw;
        }
    }

    // Watches the folder unless it was watched or refused since the last sweep; whether it is watched.
    bool watch(Folder& folder);
    // As watch; a folder that nothing is at is known missing (Folder::missing_) while its parent, watched
    // or known missing itself, knows nothing of that name, and tried again as soon as it does.
    bool watchOrFindMissing(Folder& folder);
    void unwatch(Folder& folder);
    void keepListing(Folder& folder, FolderListing listing, bool watched);
    void forgetContents(Folder& folder);
    void forgetListing(Folder& folder);
    void forgetEntry(Folder& folder, const std::string& name);
    void forgetOwnInfo(const Folder& folder);
    void forgetBelow(const Folder& folder);
    void takeEvents();
    void apply(const FolderWatch::Event& event);
    void addedOrRemovedFolder(const std::string& path);
    static std::optional<Folder::Identity> identityOf(const Folder& folder);
    // Whether the folder, reached by its path, now leads elsewhere than to the folder watched.
    static bool ledElsewhere(const Folder& folder);
    bool sweepDue(Date readMoment) const;
    void sweep();

    struct Recheck {
        std::function<std::optional<FileInfo>()> ask;
        std::optional<FileInfo> answer;
    };

    std::unique_ptr<FolderWatch> watch_;
    std::unordered_map<std::string, Folder> folders_;
    std::unordered_map<int, std::vector<Folder*>> watchers_; // the folders behind each watch
    std::uint64_t pass_ = 0;
    Date readMoment_;
    std::optional<Date> lastSweep_;
    bool sweepRequested_ = true;
    bool passKept_ = false;            // whether this pass kept every answer it got
    bool lastPassKept_ = false;        // the same of the last pass that ended
    std::uint64_t forgotten_ = 0;      // how often something known was forgotten
    std::uint64_t forgottenAtEnd_ = 0; // forgotten_ when the last pass ended
    std::vector<Recheck> rechecks_;    // of this pass, or the last one once it ended
    Statistics statistics_;
};

} // namespace quorvel
