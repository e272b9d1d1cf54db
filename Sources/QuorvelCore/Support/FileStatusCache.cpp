#include "Support/FileStatusCache.h"

#include <algorithm>
#include <sys/stat.h>

namespace quorvel {

std::optional<FileInfo> infoIfExists(FileStatusCache* files, const std::filesystem::path& path) {
    return files ? files->infoIfExists(path) : FileInfo::ifExists(path);
}

FileStatusCache::FileStatusCache(std::unique_ptr<FolderWatch> watch) : watch_(std::move(watch)) {}

void FileStatusCache::beginPass(Date readMoment) {
    ++pass_;
    readMoment_ = readMoment;
    const FolderWatch::Events taken = watch_->take();
    for (const FolderWatch::Event& event : taken.events)
        apply(event);
    if (taken.overflowed)
        sweepRequested_ = true;
    // A clock set back counts as a due sweep too.
    const bool due = !lastSweep_ || readMoment - *lastSweep_ >= sweepInterval || readMoment < *lastSweep_;
    if (sweepRequested_ || due)
        sweep();
}

void FileStatusCache::endPass() {
    for (auto item = folders_.begin(); item != folders_.end();) {
        if (item->second.usedInPass_ == pass_) {
            ++item;
            continue;
        }
        unwatch(item->second);
        item = folders_.erase(item);
    }
}

FileStatusCache::Folder& FileStatusCache::folder(const std::string& path, bool followLink) {
    Folder& folder = folders_[path];
    if (folder.path_.empty()) {
        folder.path_ = path;
        folder.followLink_ = followLink;
    }
    if (folder.usedInPass_ == pass_)
        return folder;
    folder.usedInPass_ = pass_;
    // Its path may lead elsewhere now, and so may the paths of everything below it.
    if (folder.followLink_ && folder.watch_ && identityOf(folder) != folder.identity_)
        sweep();
    return folder;
}

// Split by hand (std::filesystem's splitting costs more than the answer): paths of any other shape
// than "folder/name" are asked of the file system.
std::optional<FileInfo> FileStatusCache::infoIfExists(const std::filesystem::path& path) {
    const std::string& text = path.native();
    const std::size_t slash = text.rfind('/');
    const bool plain =
        slash != std::string::npos && slash > 0 && slash + 1 < text.size() && text[slash - 1] != '/';
    const std::string_view name = plain ? std::string_view(text).substr(slash + 1) : std::string_view();
    if (name.empty() || name == "." || name == "..")
        return FileInfo::ifExists(path);
    return entryInfo(folder(text.substr(0, slash), true), std::string(name),
                     [&] { return FileInfo::ifExists(path); });
}

FileStatusCache::Statistics FileStatusCache::statistics() const {
    Statistics statistics = statistics_;
    statistics.watches = watchers_.size();
    return statistics;
}

bool FileStatusCache::watch(Folder& folder) {
    if (folder.checkedAtSweep_ == statistics_.sweeps)
        return folder.watch_.has_value();
    folder.checkedAtSweep_ = statistics_.sweeps;
    // The watch is on the folder found at the path both before and after it was added.
    const std::optional<Folder::Identity> identity = identityOf(folder);
    std::optional<int> number = identity ? watch_->add(folder.path_, folder.followLink_) : std::nullopt;
    if (number && identityOf(folder) != identity) {
        if (!watchers_.contains(*number))
            watch_->remove(*number);
        number.reset();
        folder.checkedAtSweep_ = 0; // tried again at the next pass
    }
    if (number != folder.watch_) {
        // A new watch, a refused one, or the path now names another folder.
        unwatch(folder);
        if (number) {
            folder.watch_ = number;
            watchers_[*number].push_back(&folder);
        }
    }
    folder.identity_ = identity;
    return number.has_value();
}

std::optional<FileStatusCache::Folder::Identity> FileStatusCache::identityOf(const Folder& folder) {
    struct stat status {};
    const int result =
        folder.followLink_ ? ::stat(folder.path_.c_str(), &status) : ::lstat(folder.path_.c_str(), &status);
    if (result != 0)
        return std::nullopt;
    return Folder::Identity{status.st_dev, status.st_ino};
}

void FileStatusCache::unwatch(Folder& folder) {
    forgetContents(folder);
    if (!folder.watch_)
        return;
    const int number = *folder.watch_;
    folder.watch_.reset();
    auto users = watchers_.find(number);
    if (users == watchers_.end())
        return;
    std::erase(users->second, &folder);
    if (users->second.empty()) {
        watchers_.erase(users);
        watch_->remove(number);
    }
}

// The entries' lstat results known from the last listing stay known under their names: an entry that
// changed since was forgotten by its own event.
void FileStatusCache::keepListing(Folder& folder, FolderListing listing, bool watched) {
    std::vector<Folder::KnownInfo> listed(listing.names.size());
    if (watched && !folder.listed_.empty()) {
        std::unordered_map<std::string_view, const Folder::KnownInfo*> before;
        for (std::size_t i = 0; i < folder.listed_.size(); ++i)
            if (folder.listed_[i].known)
                before.emplace(folder.listing_.names[i], &folder.listed_[i]);
        for (std::size_t i = 0; i < listed.size() && !before.empty(); ++i)
            if (auto found = before.find(listing.names[i]); found != before.end())
                listed[i] = *found->second;
    }
    folder.listing_ = std::move(listing);
    folder.listing_.sortByName(); // for forgetEntry
    folder.listed_ = std::move(listed);
    folder.listingKnown_ = watched;
}

void FileStatusCache::forgetContents(Folder& folder) {
    folder.listingKnown_ = false;
    folder.listed_.clear();
    folder.entries_.clear();
}

void FileStatusCache::forgetEntry(Folder& folder, const std::string& name) {
    folder.entries_.erase(name);
    if (folder.listed_.empty())
        return;
    const auto& names = folder.listing_.names;
    const auto& byName = folder.listing_.byName;
    const auto found = std::lower_bound(
        byName.begin(), byName.end(), name,
        [&](std::uint32_t position, const std::string& wanted) { return names[position] < wanted; });
    if (found != byName.end() && names[*found] == name)
        folder.listed_[*found].known = false;
}

// A folder's own modification and change times move with its entries, so its parent's lstat of it is
// forgotten with them.
void FileStatusCache::forgetOwnInfo(const Folder& folder) {
    const std::filesystem::path path(folder.path_);
    if (auto parent = folders_.find(path.parent_path().string()); parent != folders_.end())
        forgetEntry(parent->second, path.filename().string());
}

void FileStatusCache::apply(const FolderWatch::Event& event) {
    const auto users = watchers_.find(event.watch);
    if (users == watchers_.end())
        return; // a watch already ended
    // Copied: a folder that is gone leaves the list.
    const std::vector<Folder*> folders = users->second;
    for (Folder* folder : folders) {
        switch (event.change) {
        case FolderWatch::Change::entryChanged:
            forgetEntry(*folder, event.name);
            break;
        case FolderWatch::Change::entryAddedOrRemoved:
            folder->listingKnown_ = false;
            forgetEntry(*folder, event.name);
            forgetOwnInfo(*folder);
            addedOrRemovedFolder(folder->path_ + "/" + event.name);
            break;
        case FolderWatch::Change::folderChanged:
            folder->listingKnown_ = false;
            forgetOwnInfo(*folder);
            break;
        case FolderWatch::Change::folderGone:
            forgetOwnInfo(*folder);
            unwatch(*folder);
            sweepRequested_ = true;
            break;
        }
    }
}

void FileStatusCache::addedOrRemovedFolder(const std::string& path) {
    const auto found = folders_.find(path);
    if (found == folders_.end())
        return;
    // A watched folder deleted, moved or replaced: its watch may stand for another. One that could not
    // be watched may exist now.
    if (found->second.watch_)
        sweepRequested_ = true;
    else
        found->second.checkedAtSweep_ = 0;
}

// Also in the middle of a pass: what the pass read before stays true of that moment.
void FileStatusCache::sweep() {
    for (auto& [path, folder] : folders_)
        forgetContents(folder);
    ++statistics_.sweeps; // every watch is added again at its next use, for the folder now at its path
    lastSweep_ = readMoment_;
    sweepRequested_ = false;
}

} // namespace quorvel
