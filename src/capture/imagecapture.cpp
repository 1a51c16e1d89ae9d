// An image read into a tree as a folder capture would read the same files:
// entries come in the image's own order, each put in its folder, and every
// folder is then put in the folder walk's order (names by their bytes).
#include "capture/capture.h"
#include "capture/records.h"
#include "platform/utf8.h"

#include <algorithm>
#include <unordered_map>

namespace zt {

namespace fs = std::filesystem;

std::string messageNotAnImage(std::string_view path) {
    return "ディスクイメージとして読めません: " + std::string(path);
}

namespace {

// Cancel and progress are offered every so many entries: an image is read
// far faster than a folder, and the callbacks cost more than an entry.
constexpr uint64_t kEntriesPerCancelCheck = 256;
// No file system on disk holds a longer name; a crafted image's Rock Ridge
// name may run on far past it and past the stock file's line bound.
constexpr size_t kMaxImageNameBytes = 1024;

class ImageWalk {
  public:
    ImageWalk(FolderTree& tree, FolderNode* root, const CaptureCallbacks& callbacks,
              const fs::path& image)
        : records_(tree), callbacks_(callbacks), image_(image) {
        folders_.emplace(std::string(), root);
        if (callbacks.onEntry) imageText_ = displayNameOfNative(image.native());
    }

    // False when cancelled.
    bool run(ImageReader& reader) {
        ImageEntry e;
        uint64_t count = 0;
        while (reader.next(e)) {
            const size_t slash = e.path.rfind('/');
            const std::string_view parentPath =
                slash == std::string::npos ? std::string_view{} : std::string_view(e.path).substr(0, slash);
            const std::string_view name =
                slash == std::string::npos ? std::string_view(e.path) : std::string_view(e.path).substr(slash + 1);
            if (name.empty() || name == "." || name == "..") continue;
            if (++count % kEntriesPerCancelCheck == 0 && callbacks_.cancelled &&
                callbacks_.cancelled(image_ / std::string(parentPath)))
                return false;
            DirEntry d;
            d.nativeName = std::string(name);
            d.name = std::string(utf8Prefix(displayNameOfNative(name), kMaxImageNameBytes));
            d.isDirectory = e.isDirectory;
            d.size = e.size;
            d.created = e.created;
            d.accessed = e.accessed;
            d.modified = e.modified;
            if (callbacks_.onEntry)
                callbacks_.onEntry(imageText_ + '/' + displayNameOfNative(parentPath), d.name);
            FolderNode* parent = folderAt(parentPath);
            if (!e.isDirectory) {
                records_.addFile(parent, d);
                continue;
            }
            auto [it, fresh] = folders_.try_emplace(e.path, nullptr);
            if (fresh)
                it->second = records_.addFolder(parent, d);
            else
                RecordBuilder::copyValues(d, *it->second);
        }
        return true;
    }

    [[nodiscard]] int folderCount() const { return records_.folderCount(); }

  private:
    // The folder of that path, made (with its parents) when no entry named it yet.
    FolderNode* folderAt(std::string_view path) {
        if (auto it = folders_.find(std::string(path)); it != folders_.end()) return it->second;
        const size_t slash = path.rfind('/');
        FolderNode* parent = slash == std::string_view::npos ? folders_.at({}) : folderAt(path.substr(0, slash));
        const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
        FolderNode* made = records_.addImpliedFolder(parent, displayNameOfNative(name));
        folders_.emplace(std::string(path), made);
        return made;
    }

    RecordBuilder records_;
    const CaptureCallbacks& callbacks_;
    const fs::path& image_;
    std::string imageText_;
    std::unordered_map<std::string, FolderNode*> folders_;
};

// Puts every folder's subfolders and files in the order a folder capture
// lists them: by the bytes of their names.
void orderAsListed(FolderTree& tree) {
    std::vector<FileRecord*> files;
    tree.forEachPreOrder([&files](FolderNode& n) {
        std::stable_sort(n.children.begin(), n.children.end(),
                         [](const FolderNode* a, const FolderNode* b) { return a->name < b->name; });
        for (size_t i = 0; i < n.children.size(); ++i)
            n.children[i]->row = int(i);
        if (n.fileCount < 2) return true;
        files.clear();
        for (FileRecord* f = n.firstFile; f; f = f->next)
            files.push_back(f);
        std::stable_sort(files.begin(), files.end(),
                         [](const FileRecord* a, const FileRecord* b) { return a->name() < b->name(); });
        for (size_t i = 0; i + 1 < files.size(); ++i)
            files[i]->next = files[i + 1];
        files.back()->next = nullptr;
        n.firstFile = files.front();
        n.lastFile = files.back();
        return true;
    });
}

// The root's text: the volume label, else the file name without its extension.
std::string rootTextOf(const ImageVolume& volume, const fs::path& image) {
    if (!volume.label.empty()) return displayNameOfNative(volume.label);
    const fs::path stem = image.filename().stem();
    return displayNameOfNative(stem.empty() ? image.filename().native() : stem.native());
}

} // namespace

CaptureResult captureImage(const fs::path& image, FolderTree& tree, const CaptureCallbacks& callbacks) {
    CaptureResult result;
    tree.clear();
    const auto discard = [&](CaptureStatus status) {
        tree.clear();
        result.status = status;
        result.folderCount = 0;
        return result;
    };
    if (callbacks.cancelled && callbacks.cancelled(image)) return discard(CaptureStatus::Cancelled);
    OpenedImage opened = openImage(image);
    if (opened.status == ImageOpenStatus::CannotOpen) {
        result.error = opened.error;
        return discard(CaptureStatus::NothingFound);
    }
    if (opened.status == ImageOpenStatus::NotAnImage) return discard(CaptureStatus::NotAnImage);
    ImageReader& reader = *opened.reader;
    FolderNode* root = tree.addRoot(rootTextOf(reader.volume(), image));
    ImageWalk walk(tree, root, callbacks, image);
    if (!walk.run(reader)) return discard(CaptureStatus::Cancelled);
    result.image = reader.volume();
    result.incomplete = reader.damaged();
    result.problem = reader.problem();
    if (root->children.empty() && root->fileCount == 0) return discard(CaptureStatus::NothingFound);
    orderAsListed(tree);
    result.folderCount = walk.folderCount();
    return result;
}

CaptureResult captureSource(const fs::path& source, std::string rootText, FolderTree& tree,
                            const CaptureCallbacks& callbacks) {
    if (isImageSource(source)) return captureImage(source, tree, callbacks);
    return captureTree(source, std::move(rootText), tree, callbacks);
}

} // namespace zt
