#include "library/stockdiff.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace zt {

namespace {

using Kind = StockChange::Kind;

template <class T> std::vector<const T*> sortedByName(std::vector<const T*> items) {
    std::sort(items.begin(), items.end(), [](const T* a, const T* b) { return a->name < b->name; });
    return items;
}

struct FileView {
    std::string_view name;
    const FileRecord* record;
};

std::vector<FileView> sortedFiles(const FolderNode* folder) {
    std::vector<FileView> files;
    if (!folder) return files;
    files.reserve(size_t(std::max(0, folder->fileCount)));
    for (const FileRecord* f = folder->firstFile; f; f = f->next)
        files.push_back({f->name(), f});
    std::stable_sort(files.begin(), files.end(),
                     [](const FileView& a, const FileView& b) { return a.name < b.name; });
    return files;
}

// The walk keeps its folders on an explicit stack: a stock may be nested far
// deeper than the call stack would take.
class Differ {
  public:
    StockDiff run(const FolderNode* before, const FolderNode* after) {
        enter(before, after, std::nullopt, false);
        while (!stack_.empty())
            step();
        return std::move(diff_);
    }

  private:
    struct Frame {
        const FolderNode *before, *after;
        std::optional<Kind> whole; // set: a folder on one side only
        bool named;                // its name was pushed on parts_
        std::vector<const FolderNode*> a, b;
        size_t i = 0, j = 0;
    };

    void add(Kind kind, bool folder, std::string_view name) {
        StockChange c;
        c.kind = kind;
        c.isFolder = folder;
        c.parts = parts_;
        c.parts.emplace_back(name);
        (kind == Kind::Added     ? diff_.added
         : kind == Kind::Removed ? diff_.removed
                                 : diff_.changed)++;
        diff_.changes.push_back(std::move(c));
    }

    static std::vector<const FolderNode*> children(const FolderNode* f) {
        return sortedByName(std::vector<const FolderNode*>(f->children.begin(), f->children.end()));
    }

    void enter(const FolderNode* before, const FolderNode* after, std::optional<Kind> whole,
               bool named) {
        Frame f{before, after, whole, named, {}, {}};
        if (whole) {
            const FolderNode* folder = before ? before : after;
            add(*whole, true, folder->name);
            parts_.push_back(folder->name);
            f.named = true;
            for (const FileRecord* r = folder->firstFile; r; r = r->next)
                add(*whole, false, r->name());
            f.a = children(folder);
        } else {
            if (named) parts_.push_back(after->name);
            compareFiles(before, after);
            f.a = children(before);
            f.b = children(after);
        }
        stack_.push_back(std::move(f));
    }

    void step() {
        Frame& f = stack_.back();
        const bool moreA = f.i < f.a.size(), moreB = f.j < f.b.size();
        if (!moreA && !moreB) {
            if (f.named) parts_.pop_back();
            stack_.pop_back();
            return;
        }
        if (f.whole) {
            const FolderNode* c = f.a[f.i++];
            const Kind kind = *f.whole;
            enter(kind == Kind::Removed ? c : nullptr, kind == Kind::Added ? c : nullptr, kind,
                  true);
        } else if (!moreB || (moreA && f.a[f.i]->name < f.b[f.j]->name)) {
            enter(f.a[f.i++], nullptr, Kind::Removed, true);
        } else if (!moreA || f.b[f.j]->name < f.a[f.i]->name) {
            enter(nullptr, f.b[f.j++], Kind::Added, true);
        } else {
            const FolderNode *x = f.a[f.i++], *y = f.b[f.j++];
            enter(x, y, std::nullopt, true); // f may move: nothing after this
        }
    }

    void compareFiles(const FolderNode* before, const FolderNode* after) {
        const auto a = sortedFiles(before), b = sortedFiles(after);
        size_t i = 0, j = 0;
        while (i < a.size() || j < b.size()) {
            if (j == b.size() || (i < a.size() && a[i].name < b[j].name)) {
                add(Kind::Removed, false, a[i++].name);
            } else if (i == a.size() || b[j].name < a[i].name) {
                add(Kind::Added, false, b[j++].name);
            } else {
                const FileRecord& x = *a[i++].record;
                const FileRecord& y = *b[j++].record;
                if (x.size != y.size || x.modified != y.modified)
                    add(Kind::Changed, false, y.name());
            }
        }
    }

    std::vector<Frame> stack_;
    StockDiff diff_;
    std::vector<std::string> parts_;
};

} // namespace

StockDiff diffTrees(const FolderTree& before, const FolderTree& after) {
    if (!before.root() && !after.root()) return {};
    FolderTree none;
    const FolderNode* a = before.root();
    const FolderNode* b = after.root();
    if (!a || !b) none.addRoot("");
    return Differ().run(a ? a : none.root(), b ? b : none.root());
}

std::string changePath(std::string_view stock, const StockChange& change) {
    std::string out = "\\" + std::string(stock);
    for (const std::string& p : change.parts)
        out += "\\" + p;
    return out;
}

std::string_view changeMark(StockChange::Kind kind) {
    return kind == StockChange::Kind::Added ? "+ " : kind == StockChange::Kind::Removed ? "- " : "~ ";
}

} // namespace zt
