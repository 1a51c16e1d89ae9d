#include "capture/capture.h"

#include "capture/records.h"
#include "platform/direnum.h"

#include <cstring>
#include <system_error>
#include <unordered_set>

namespace zt {

namespace fs = std::filesystem;

namespace {

// Folders held open at once. A deeper walk lets go of the shallowest ones and
// opens them again from below ("..", checked) on the way back up, so any depth
// costs a fixed number of descriptors.
constexpr size_t kMaxOpenFolders = 64;

// One folder being read: its listing and how far the walk has got in it. The
// walk keeps these on an explicit stack, so the depth of a tree costs heap, not
// call stack.
struct Frame {
    FolderNode* node = nullptr;
    fs::path path;
    std::string nativeName;
    std::string displayPath; // only kept when entries are reported
    DirListing listing;
    size_t next = 0;
    OpenFolder folder; // closed while the walk is far below it
    uint64_t device = 0, inode = 0;
};

std::string joinDisplay(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

struct FolderId {
    uint64_t device, inode;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    size_t operator()(const FolderId& id) const {
        return std::hash<uint64_t>()(id.inode * 31 + id.device);
    }
};

// The walk below the source. Every folder is opened relative to its parent's
// open descriptor, without following a link, and only while it is still the
// folder that was listed: a folder swapped for a link to elsewhere while the
// walk runs is kept as the link (a file), so the walk never leaves the source.
class Walk {
  public:
    Walk(FolderTree& tree, const CaptureCallbacks& callbacks, CaptureResult& result)
        : records_(tree), callbacks_(callbacks), result_(result) {}

    // False when cancelled.
    bool run(Frame root) {
        sourceDevice_ = root.device;
        push(std::move(root));
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.next == f.listing.entries.size()) {
                pop();
                continue;
            }
            const DirEntry& e = f.listing.entries[f.next++];
            if (callbacks_.onEntry) callbacks_.onEntry(f.displayPath, e.name);
            if (!e.isDirectory) {
                records_.addFile(f.node, e);
            } else if (!enter(f, e)) {
                return false;
            }
        }
        result_.folderCount = records_.folderCount();
        return true;
    }

  private:
    FolderNode* addFolder(Frame& parent, const DirEntry& e) {
        return records_.addFolder(parent.node, e);
    }

    // The folder entry e of parent: read, or kept empty, or kept as a file
    // when it is no longer a folder. False when cancelled.
    bool enter(Frame& parent, const DirEntry& e) {
        // Entries on another device are mount points of other volumes: each of
        // them is a source of its own (so "/" never walks into /proc).
        if (sourceDevice_ != 0 && e.deviceId != sourceDevice_) {
            addFolder(parent, e);
            ++result_.otherFileSystemFolders;
            return true;
        }
        Frame next;
        next.path = parent.path / e.nativeName;
        if (callbacks_.cancelled && callbacks_.cancelled(next.path)) return false;
        OpenFolder::Child status;
        next.folder = parent.folder.openChild(e, status);
        if (status == OpenFolder::Child::NotAFolder) {
            DirEntry now;
            if (parent.folder.entryNow(e.nativeName, now) && !now.isDirectory) {
                records_.addFile(parent.node, now);
                return true;
            }
        }
        next.node = addFolder(parent, e);
        // A folder that cannot be read, or that is one of its own parents
        // (a bind mount), stays in the tree without contents.
        if (status != OpenFolder::Child::Opened || onStack_.count({e.deviceId, e.inode}))
            return true;
        next.nativeName = e.nativeName;
        next.device = e.deviceId;
        next.inode = e.inode;
        if (callbacks_.onEntry) next.displayPath = joinDisplay(parent.displayPath, e.name);
        next.listing = next.folder.list();
        push(std::move(next)); // parent is not used after this
        return true;
    }

    void push(Frame f) {
        onStack_.insert({f.device, f.inode});
        stack_.push_back(std::move(f));
        while (stack_.size() - firstOpen_ > kMaxOpenFolders)
            stack_[firstOpen_++].folder.close();
    }

    void pop() {
        Frame done = std::move(stack_.back());
        stack_.pop_back();
        onStack_.erase({done.device, done.inode});
        if (stack_.empty() || stack_.size() - 1 >= firstOpen_) return;
        const size_t top = stack_.size() - 1;
        firstOpen_ = top;
        Frame& f = stack_[top];
        f.folder = done.folder.openParent(f.device, f.inode);
        if (!f.folder.isOpen()) reopenFromRoot(top);
    }

    // When ".." is no longer the folder (something was moved meanwhile), the
    // folder is looked for again from the source down, each step checked.
    void reopenFromRoot(size_t index) {
        OpenFolder at;
        const OpenFolder* from = &stack_.front().folder;
        for (size_t i = 1; i <= index && from->isOpen(); ++i) {
            DirEntry e;
            e.nativeName = stack_[i].nativeName;
            e.deviceId = stack_[i].device;
            e.inode = stack_[i].inode;
            OpenFolder::Child status;
            at = from->openChild(e, status);
            from = &at;
        }
        if (from->isOpen()) stack_[index].folder = std::move(at);
    }

    RecordBuilder records_;
    const CaptureCallbacks& callbacks_;
    CaptureResult& result_;
    std::vector<Frame> stack_;
    std::unordered_set<FolderId, FolderIdHash> onStack_;
    size_t firstOpen_ = 1; // frames 1 .. firstOpen_-1 are closed; the source stays open
    uint64_t sourceDevice_ = 0;
};

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
        result.otherFileSystemFolders = 0;
        return result;
    };

    if (callbacks.cancelled && callbacks.cancelled(source))
        return discard(CaptureStatus::Cancelled);
    Frame first;
    first.node = root;
    first.path = source;
    if (callbacks.onEntry) first.displayPath = displayNameOfNative(source.native());
    first.folder = OpenFolder::open(source);
    first.listing = first.folder.list();
    if (!first.listing.opened) {
        discard(CaptureStatus::NothingFound);
        if (first.listing.error != 0) result.error = std::strerror(first.listing.error);
        return result;
    }
    first.device = first.folder.device();
    first.inode = first.folder.inode();
    if (!Walk(tree, callbacks, result).run(std::move(first)))
        return discard(CaptureStatus::Cancelled);
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
