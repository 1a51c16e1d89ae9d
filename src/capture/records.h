#pragma once
// The records a capture makes of what it meets, whatever it reads (a folder
// on disk, the file system inside an image): one place turns a listed entry
// into a file record or a folder of the tree, so both sources give the same
// stock.
#include "catalogue/foldertree.h"
#include "platform/direnum.h"

namespace zt {

class RecordBuilder {
  public:
    explicit RecordBuilder(FolderTree& tree) : tree_(tree) {}

    FileRecord* addFile(FolderNode* folder, const DirEntry& e) {
        FileRecord* r = tree_.addFile(folder, e.name);
        copyValues(e, *r);
        return r;
    }
    FolderNode* addFolder(FolderNode* parent, const DirEntry& e) {
        ++folderCount_;
        FolderNode* child = tree_.addChild(parent, e.name);
        copyValues(e, *child);
        return child;
    }
    // A folder met before its own entry (an image may list a file before the
    // folder holding it): made now, its values set when its entry comes.
    FolderNode* addImpliedFolder(FolderNode* parent, std::string name) {
        ++folderCount_;
        return tree_.addChild(parent, std::move(name));
    }
    template <class Record> static void copyValues(const DirEntry& e, Record& r) {
        r.created = e.created;
        r.accessed = e.accessed;
        r.modified = e.modified;
        r.size = e.size;
    }
    [[nodiscard]] int folderCount() const { return folderCount_; }

  private:
    FolderTree& tree_;
    int folderCount_ = 0;
};

} // namespace zt
