#include "capture/capture.h"

#include "platform/direnum.h"

#include <cstring>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

namespace {

// One folder being read: its listing and how far the walk has got in it. The
// walk keeps these on an explicit stack, so the depth of a tree costs heap, not
// call stack.
struct Frame {
    FolderNode* node = nullptr;
    fs::path path;
    std::string displayPath; // only kept when entries are reported
    DirListing listing;
    size_t next = 0;
};

std::string joinDisplay(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

// A directory entry's times and size into a file record or a folder.
template <class Record> void copyValues(const DirEntry& e, Record& r) {
    r.created = e.created;
    r.accessed = e.accessed;
    r.modified = e.modified;
    r.size = e.size;
}

} // namespace

CaptureResult captureTree(const fs::path& source, std::string rootText, FolderTree& tree,
                          const CaptureCallbacks& callbacks) {
    CaptureResult result;
    tree.clear();
    FolderNode* root = tree.addRoot(std::move(rootText));

    const auto discard = [&](CaptureStatus status) {
        tree.clear();
        result.status = status;
        result.folderCount = 0;
        return result;
    };

    const bool reportEntries = bool(callbacks.onEntry);
    std::vector<Frame> stack;
    if (callbacks.onFolder && !callbacks.onFolder(source)) return discard(CaptureStatus::Cancelled);
    Frame first;
    first.node = root;
    first.path = source;
    if (reportEntries) first.displayPath = displayNameOfNative(source.native());
    first.listing = listDirectory(source);
    if (!first.listing.opened) {
        discard(CaptureStatus::NothingFound);
        if (first.listing.error != 0) result.error = std::strerror(first.listing.error);
        return result;
    }
    // Entries on another device are mount points of other volumes: each of
    // them is a source of its own (so "/" never walks into /proc).
    const uint64_t sourceDevice = deviceOf(source);
    stack.push_back(std::move(first));

    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next == f.listing.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirEntry& e = f.listing.entries[f.next++];
        if (reportEntries) callbacks.onEntry(f.displayPath, e.name);
        if (!e.isDirectory) {
            copyValues(e, *tree.addFile(f.node, e.name));
            continue;
        }
        ++result.folderCount;
        FolderNode* child = tree.addChild(f.node, e.name);
        copyValues(e, *child);
        if (sourceDevice != 0 && e.deviceId != sourceDevice) continue;

        Frame next;
        next.node = child;
        next.path = f.path / e.nativeName;
        if (reportEntries) next.displayPath = joinDisplay(f.displayPath, e.name);
        if (callbacks.onFolder && !callbacks.onFolder(next.path))
            return discard(CaptureStatus::Cancelled);
        // A folder that cannot be read stays in the tree without contents.
        next.listing = listDirectory(next.path);
        stack.push_back(std::move(next)); // f is not used after this
    }

    if (root->children.empty() && root->fileCount == 0) return discard(CaptureStatus::NothingFound);
    return result;
}

std::string folderDisplayName(std::string_view path) {
    const size_t end = path.find_last_not_of('/');
    if (end == std::string_view::npos) return "/";
    const std::string_view trimmed = path.substr(0, end + 1);
    const size_t slash = trimmed.rfind('/');
    return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

} // namespace zt
