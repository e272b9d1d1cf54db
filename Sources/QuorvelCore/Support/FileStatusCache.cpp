#include "Support/FileStatusCache.h"

#include <algorithm>
#include <sys/stat.h>

namespace quorvel {

std::optional<FileInfo> infoIfExists(FileStatusCache* files, const std::filesystem::path& path) {
    return files ? files->infoIfExists(path) : FileInfo::ifExists(path);
}

void askAgainNextPass(FileStatusCache* files) {
    if (files)
        files->askAgainNextPass();
}

std::optional<FileKey> regularFileVersion(FileStatusCache* files, const std::filesystem::path& path) {
    try {
        if (const std::optional<FileInfo> info = infoIfExists(files, path)) {
            if (info->isRegular())
                return FileKey::of(*info);
            if (info->isSymlink())
                askAgainNextPass(files);
        }
    } catch (const std::system_error&) {
        // Asked again, and failing as it may, by whoever reads the file.
    }
    return std::nullopt;
}

FileStatusCache::FileStatusCache(std::unique_ptr<FolderWatch> watch) : watch_(std::move(watch)) {}

void FileStatusCache::beginPass(Date readMoment) {
    ++pass_;
    readMoment_ = readMoment;
    passKept_ = true;
    rechecks_.clear();
    takeEvents();
    if (sweepRequested_ || sweepDue(readMoment))
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
    lastPassKept_ = passKept_;
    forgottenAtEnd_ = forgotten_;
}

// The folders left after the last pass are the ones it asked about.
bool FileStatusCache::lastPassHolds(Date readMoment) {
    if (!lastPassKept_)
        return false;
    takeEvents();
    if (sweepRequested_ || sweepDue(readMoment) || forgotten_ != forgottenAtEnd_)
        return false;
    for (const auto& [path, folder] : folders_) {
        if (ledElsewhere(folder)) {
            sweepRequested_ = true;
            return false;
        }
    }
    return std::all_of(rechecks_.begin(), rechecks_.end(), [](const Recheck& recheck) {
        try {
            return recheck.ask() == recheck.answer;
        } catch (const std::exception&) {
            return false;
        }
    });
}

void FileStatusCache::keepByAskingAgain(std::function<std::optional<FileInfo>()> ask,
                                        const std::optional<FileInfo>& answer) {
    if (answer && FileKey::of(*answer).isRacy(readMoment_))
        passKept_ = false;
    else
        rechecks_.push_back({std::move(ask), answer});
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
    // Its path may lead elsewhere now, and so may the paths of everything below it. What the pass
    // learnt before the sweep is asked again by the next one.
    if (ledElsewhere(folder)) {
        sweep();
        passKept_ = false;
    }
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
    if (name.empty() || name == "." || name == "..") {
        passKept_ = false;
        return FileInfo::ifExists(path);
    }
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

bool FileStatusCache::watchOrFindMissing(Folder& folder) {
    folder.missing_ = false;
    if (watch(folder) || folder.identity_)
        return folder.watch_.has_value(); // watched, or refused for another reason than absence
    const std::size_t slash = folder.path_.rfind('/');
    const std::string name = slash == std::string::npos ? std::string() : folder.path_.substr(slash + 1);
    if (slash == std::string::npos || slash == 0 || name.empty() || name == "." || name == "..")
        return false;
    std::optional<FileInfo> own;
    try {
        own = entryInfo(this->folder(folder.path_.substr(0, slash), true), name,
                        [&] { return FileInfo::ifExists(folder.path_); });
    } catch (const std::system_error&) {
        return false;
    }
    if (!own) {
        folder.missing_ = true;
        return false;
    }
    folder.checkedAtSweep_ = 0; // something is there now
    return watch(folder);
}

bool FileStatusCache::ledElsewhere(const Folder& folder) {
    return folder.followLink_ && folder.watch_ && identityOf(folder) != folder.identity_;
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
    if (folder.listingKnown_ || !folder.entries_.empty() ||
        std::any_of(folder.listed_.begin(), folder.listed_.end(),
                    [](const auto& known) { return known.known; }))
        ++forgotten_;
    folder.listingKnown_ = false;
    folder.listed_.clear();
    folder.entries_.clear();
}

void FileStatusCache::forgetListing(Folder& folder) {
    if (folder.listingKnown_)
        ++forgotten_;
    folder.listingKnown_ = false;
}

void FileStatusCache::forgetEntry(Folder& folder, const std::string& name) {
    if (folder.entries_.erase(name) > 0)
        ++forgotten_;
    if (folder.listed_.empty())
        return;
    const auto& names = folder.listing_.names;
    const auto& byName = folder.listing_.byName;
    const auto found = std::lower_bound(
        byName.begin(), byName.end(), name,
        [&](std::uint32_t position, const std::string& wanted) { return names[position] < wanted; });
    if (found != byName.end() && names[*found] == name && folder.listed_[*found].known) {
        folder.listed_[*found].known = false;
        ++forgotten_;
    }
}

// A folder's own modification and change times move with its entries, so its parent's lstat of it is
// forgotten with them.
void FileStatusCache::forgetOwnInfo(const Folder& folder) {
    const std::filesystem::path path(folder.path_);
    if (auto parent = folders_.find(path.parent_path().string()); parent != folders_.end())
        forgetEntry(parent->second, path.filename().string());
}

// Who may look inside a folder decides what lookups through it give, down to the deepest folder below.
void FileStatusCache::forgetBelow(const Folder& folder) {
    const std::string prefix = folder.path_ + "/";
    for (auto& [path, below] : folders_)
        if (&below == &folder || path.starts_with(prefix))
            forgetContents(below);
}

void FileStatusCache::takeEvents() {
    const FolderWatch::Events taken = watch_->take();
    for (const FolderWatch::Event& event : taken.events)
        apply(event);
    if (taken.overflowed)
        sweepRequested_ = true;
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
            forgetListing(*folder);
            forgetEntry(*folder, event.name);
            forgetOwnInfo(*folder);
            addedOrRemovedFolder(folder->path_ + "/" + event.name);
            break;
        case FolderWatch::Change::folderChanged:
            forgetBelow(*folder);
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

// A clock set back counts as a due sweep too.
bool FileStatusCache::sweepDue(Date readMoment) const {
    return !lastSweep_ || readMoment - *lastSweep_ >= sweepInterval || readMoment < *lastSweep_;
}

// Also in the middle of a pass: what the pass read before stays true of that moment.
void FileStatusCache::sweep() {
    for (auto& [path, folder] : folders_)
        forgetContents(folder);
    ++forgotten_;
    ++statistics_.sweeps; // every watch is added again at its next use, for the folder now at its path
    lastSweep_ = readMoment_;
    sweepRequested_ = false;
}

} // namespace quorvel
