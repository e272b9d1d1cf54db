#pragma once

#include "Support/Date.h"
#include "Support/FileInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>

namespace quorvel {

class FileStatusCache;

// lstat of `path` as FileInfo::ifExists does, answered from `files` while it knows the answer.
std::optional<FileInfo> infoIfExists(FileStatusCache* files, const std::filesystem::path& path);

// What identifies one version of a file's contents: a file that keeps its key is not read again.
struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedNanoseconds = 0;

    static FileKey of(const FileInfo& info) {
        return {info.device, info.inode, info.size, info.modifiedNanoseconds, info.changedNanoseconds};
    }
    bool operator==(const FileKey&) const = default;

    // File times are coarse: two writes of the same size within one clock tick leave the same key. As
    // git does with "racily clean" entries, a version changed within a second of the moment it was
    // read (or later) is not trusted to still be the version that was read.
    bool isRacy(Date readMoment) const {
        const auto moment = static_cast<std::int64_t>(readMoment.unixSeconds() * 1e9);
        const std::int64_t trustedBefore = moment - 1'000'000'000;
        return modifiedNanoseconds >= trustedBefore || changedNanoseconds >= trustedBefore;
    }
};

// Results computed from files, kept while the file keeps its key. Entries not used during a pass
// are dropped when the pass ends, so the cache holds only what the last pass looked at. A result read
// from a racy version (FileKey::isRacy) is used in its own pass only and computed again in the next.
template <typename Value> class FileResultCache {
public:
    // Returns the cached value for (path, key) or computes, stores and returns it. A computation that
    // throws stores nothing.
    template <typename Compute>
    const Value& value(const std::string& path, const FileKey& key, Compute&& compute) {
        if (const Value* cached = find(path, key))
            return *cached;
        Value computed = compute();
        ++misses_;
        auto& entry = entries_[path];
        entry = Entry{key, std::move(computed), pass_, !key.isRacy(readMoment_)};
        return entry.value;
    }

    // The trusted value for (path, key), kept for this pass; nothing when there is none.
    const Value* find(const std::string& path, const FileKey& key) {
        auto found = entries_.find(path);
        if (found == entries_.end() || found->second.key != key || !found->second.trusted)
            return nullptr;
        found->second.pass = pass_;
        ++hits_;
        return &found->second.value;
    }

    // `readMoment`: when this pass reads its files (see FileKey::isRacy). `files`: what the pass asks
    // lstat and folder listings through; nothing asks the file system itself.
    void beginPass(Date readMoment, FileStatusCache* files = nullptr) {
        ++pass_;
        readMoment_ = readMoment;
        files_ = files;
    }
    void endPass() {
        std::erase_if(entries_, [&](const auto& item) { return item.second.pass != pass_; });
    }

    FileStatusCache* files() const { return files_; }
    std::size_t size() const { return entries_.size(); }
    std::uint64_t hits() const { return hits_; }
    std::uint64_t misses() const { return misses_; }

private:
    struct Entry {
        FileKey key;
        Value value;
        std::uint64_t pass = 0;
        bool trusted = false;
    };
    std::unordered_map<std::string, Entry> entries_;
    std::uint64_t pass_ = 0;
    Date readMoment_;
    FileStatusCache* files_ = nullptr;
    std::uint64_t hits_ = 0;
    std::uint64_t misses_ = 0;
};

// The value computed from the file at `path`: from the cache while the file keeps its version,
// computed afresh without a cache or for anything but a regular file (a link's own version says
// nothing of its target's).
template <typename Value, typename Compute>
Value cachedFileResult(FileResultCache<Value>* cache, const std::filesystem::path& path, Compute&& compute) {
    if (cache == nullptr)
        return compute();
    std::optional<FileInfo> info;
    try {
        info = infoIfExists(cache->files(), path);
    } catch (const std::system_error&) {
    }
    if (!info || !info->isRegular())
        return compute();
    return cache->value(path.string(), FileKey::of(*info), compute);
}

} // namespace quorvel
