#include "integrity/contentpass.h"

#include "platform/contentread.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace zt {

namespace fs = std::filesystem;

uint64_t VerifyCounts::total() const {
    uint64_t n = 0;
    for (uint64_t c : of)
        n += c;
    return n;
}

namespace {

// The folders of a pass are opened one at a time, in the tree's pre-order,
// each from its parent's path as the file system names it.
class MediumReader {
  public:
    enum class Got { Sum, NoSum, Stop };

    MediumReader(const fs::path& source, const ContentCallbacks& callbacks,
                 const ContentProgress& planned)
        : source_(source), callbacks_(callbacks), buffer_(new char[kContentBufferBytes]),
          watch_(source), progress_(planned) {}

    void enter(int level, std::string_view name) {
        paths_.resize(size_t(level));
        bool opened = level == 0 ? folder_.open(source_) : folder_.openChild(paths_.back(), name);
        folderError_ = opened ? 0 : folder_.error();
        paths_.push_back(opened ? folder_.path()
                                : (level == 0 ? source_ : paths_.back() / std::string(name)));
    }

    Got read(const FileRecord& f, FileSum& out) {
        if (callbacks_.cancelled && callbacks_.cancelled()) return stop(PassEnd::Cancelled, 0);
        const uint64_t start = progress_.doneBytes;
        ContentRead r;
        if (folderError_ != 0) {
            r.status = isGoneError(folderError_) ? ContentStatus::Gone : ContentStatus::Failed;
            r.error = folderError_;
        } else {
            hasher_.reset();
            r = folder_.read(f.name(), buffer_.get(), kContentBufferBytes,
                             [this](const char* data, size_t size) {
                                 hasher_.update(data, size);
                                 progress_.doneBytes += size;
                                 if (callbacks_.onProgress) callbacks_.onProgress(progress_);
                                 return !(callbacks_.cancelled && callbacks_.cancelled());
                             });
        }
        if (r.status == ContentStatus::Cancelled) return stop(PassEnd::Cancelled, 0);
        if (r.status == ContentStatus::Gone) return stop(PassEnd::MediumGone, r.error);
        // A read error of one file, or every file failing because the medium
        // went: only the second ends the pass.
        if (r.status == ContentStatus::Failed && !watch_.stillThere())
            return stop(PassEnd::MediumGone, r.error);
        progress_.doneBytes = start + f.size; // as planned, whatever the file holds now
        ++progress_.doneFiles;
        if (callbacks_.onProgress) callbacks_.onProgress(progress_);
        if (r.status == ContentStatus::NotPlain) return Got::NoSum;
        out = FileSum{};
        out.size = f.size;
        out.modified = f.modified;
        if (r.status == ContentStatus::Failed) {
            out.readable = false;
            out.error = r.error;
        } else {
            out.hash = hasher_.digest();
        }
        return Got::Sum;
    }

    PassEnd end = PassEnd::Completed;
    int goneError = 0;

  private:
    Got stop(PassEnd why, int error) {
        end = why;
        goneError = error;
        return Got::Stop;
    }

    fs::path source_;
    const ContentCallbacks& callbacks_;
    std::unique_ptr<char[]> buffer_;
    ContentHasher hasher_;
    MediumWatch watch_;
    ContentProgress progress_;
    ContentFolder folder_;
    int folderError_ = 0;
    std::vector<fs::path> paths_;
};

bool sameState(const FileSum& s, const FileRecord& f) {
    return s.size == f.size && s.modified == f.modified;
}

} // namespace

HashPass hashTree(const fs::path& source, const FolderTree& tree,
                  const ContentCallbacks& callbacks, const ChecksumSet* keep, bool readOthers) {
    HashPass out;
    if (!tree.root()) return out;
    // Each folder's place in the new sums and in the kept ones, by level.
    std::vector<uint32_t> at, kept;
    const auto place = [&](const FolderNode& node) {
        const size_t level = size_t(node.level);
        at.resize(level);
        kept.resize(level);
        at.push_back(level == 0 ? ChecksumSet::kTop : out.sums.addFolder(at.back(), node.name));
        kept.push_back(!keep ? ChecksumSet::kNone
                       : level == 0 ? ChecksumSet::kTop
                                    : keep->folder(kept.back(), node.name));
    };
    const auto keptSum = [&](const FileRecord& f) -> const FileSum* {
        const FileSum* s = keep ? keep->file(kept.back(), f.name()) : nullptr;
        return s && s->readable && sameState(*s, f) ? s : nullptr;
    };
    ContentProgress planned;
    tree.forEachPreOrder([&](FolderNode& node) {
        place(node);
        for (const FileRecord* f = node.firstFile; f; f = f->next)
            if (!keptSum(*f)) planned.totalBytes += f->size, ++planned.totalFiles;
        return true;
    });
    out.sums = ChecksumSet();
    MediumReader reader(source, callbacks, planned);
    tree.forEachPreOrder([&](FolderNode& node) {
        place(node);
        if (readOthers) reader.enter(node.level, node.name);
        for (const FileRecord* f = node.firstFile; f; f = f->next) {
            if (const FileSum* s = keptSum(*f)) {
                out.sums.addFile(at.back(), std::string(f->name()), *s);
                ++out.kept;
                continue;
            }
            if (!readOthers) continue;
            FileSum sum;
            const auto got = reader.read(*f, sum);
            if (got == MediumReader::Got::Stop) return false;
            if (got == MediumReader::Got::NoSum) continue;
            if (!sum.readable) ++out.unreadable;
            out.sums.addFile(at.back(), std::string(f->name()), sum);
        }
        return true;
    });
    out.end = reader.end;
    out.goneError = reader.goneError;
    return out;
}

namespace {

// The verify's walk over the current tree, each folder matched with the
// stored one of the same path and with its checksums. It runs twice: once
// to plan (how much will be read), once reading.
class Verifier {
  public:
    Verifier(const FolderTree& stored, const ChecksumSet* sums, const FolderTree& current,
             bool keepOk)
        : stored_(stored), sums_(sums), current_(current), keepOk_(keepOk) {}

    ContentProgress plan() {
        walk(nullptr);
        return planned_;
    }

    void run(MediumReader& reader, VerifyReport& out) {
        report_ = &out;
        walk(&reader);
        std::stable_sort(out.rows.begin(), out.rows.end(),
                         [](const VerifyRow& a, const VerifyRow& b) { return a.kind < b.kind; });
    }

  private:
    struct Level {
        const FolderNode* stored = nullptr;
        uint32_t sums = ChecksumSet::kNone;
        std::unordered_map<std::string_view, const FolderNode*> children;
    };

    void walk(MediumReader* reader) {
        levels_.clear();
        names_.clear();
        current_.forEachPreOrder([&](FolderNode& node) { return visit(node, reader); });
    }

    bool visit(const FolderNode& node, MediumReader* reader) {
        const size_t level = size_t(node.level);
        levels_.resize(level);
        names_.resize(level == 0 ? 0 : level - 1);
        if (level > 0) names_.push_back(node.name);
        Level here;
        if (level == 0) {
            here.stored = stored_.root();
            here.sums = sums_ ? ChecksumSet::kTop : ChecksumSet::kNone;
        } else {
            const Level& up = levels_.back();
            const auto it = up.children.find(node.name);
            here.stored = it == up.children.end() ? nullptr : it->second;
            if (sums_ && up.sums != ChecksumSet::kNone) here.sums = sums_->folder(up.sums, node.name);
        }
        if (here.stored) {
            for (const FolderNode* c : here.stored->children)
                here.children.emplace(c->name, c);
            missingFolders(node, *here.stored);
        }
        levels_.push_back(std::move(here));
        if (reader) reader->enter(node.level, node.name);
        return files(node, reader);
    }

    // The stored subfolders the medium no longer has: every file below is missing.
    void missingFolders(const FolderNode& now, const FolderNode& before) {
        if (!report_) return;
        std::unordered_map<std::string_view, bool> present;
        for (const FolderNode* c : now.children)
            present.emplace(c->name, true);
        for (const FolderNode* gone : before.children) {
            if (present.count(gone->name)) continue;
            const size_t base = names_.size();
            // Pre-order below the gone folder, names kept by level.
            std::vector<std::pair<const FolderNode*, size_t>> stack{{gone, 0}};
            names_.push_back(gone->name);
            for (const FileRecord* f = gone->firstFile; f; f = f->next)
                add(VerifyKind::Missing, f, nullptr);
            while (!stack.empty()) {
                auto& [node, next] = stack.back();
                if (next == node->children.size()) {
                    stack.pop_back();
                    names_.pop_back();
                    continue;
                }
                const FolderNode* child = node->children[next++];
                names_.push_back(child->name);
                for (const FileRecord* f = child->firstFile; f; f = f->next)
                    add(VerifyKind::Missing, f, nullptr);
                stack.emplace_back(child, 0);
            }
            names_.resize(base);
        }
    }

    bool files(const FolderNode& node, MediumReader* reader) {
        const Level& here = levels_.back();
        std::unordered_map<std::string_view, std::pair<const FileRecord*, bool>> before;
        if (here.stored)
            for (const FileRecord* f = here.stored->firstFile; f; f = f->next)
                before.emplace(f->name(), std::make_pair(f, false));
        for (const FileRecord* f = node.firstFile; f; f = f->next) {
            const auto it = before.find(f->name());
            if (it == before.end()) {
                add(VerifyKind::New, nullptr, f);
                continue;
            }
            it->second.second = true;
            const FileRecord* s = it->second.first;
            if (s->size != f->size || s->modified != f->modified) {
                add(VerifyKind::Changed, s, f);
                continue;
            }
            if (!reader) {
                planned_.totalBytes += f->size;
                ++planned_.totalFiles;
                continue;
            }
            if (!readOne(*reader, here, s, f)) return false;
        }
        for (const FileRecord* f = here.stored ? here.stored->firstFile : nullptr; f; f = f->next)
            if (const auto it = before.find(f->name()); it != before.end() && !it->second.second) {
                it->second.second = true; // a name twice in a hand-made stock counts once
                add(VerifyKind::Missing, f, nullptr);
            }
        return true;
    }

    bool readOne(MediumReader& reader, const Level& here, const FileRecord* s, const FileRecord* f) {
        FileSum now;
        const auto got = reader.read(*f, now);
        if (got == MediumReader::Got::Stop) return false;
        if (got == MediumReader::Got::NoSum) return add(VerifyKind::Ok, s, f), true;
        if (!now.readable) return add(VerifyKind::Unreadable, s, f, now.error), true;
        const FileSum* then =
            here.sums != ChecksumSet::kNone ? sums_->file(here.sums, f->name()) : nullptr;
        if (!then || !then->readable || !sameState(*then, *s)) return add(VerifyKind::Ok, s, f), true;
        ++report_->contentCompared;
        add(then->hash == now.hash ? VerifyKind::Ok : VerifyKind::ContentChanged, s, f);
        return true;
    }

    void add(VerifyKind kind, const FileRecord* before, const FileRecord* now, int error = 0) {
        if (!report_) return;
        ++report_->counts.of[int(kind)];
        if (kind == VerifyKind::Ok && !keepOk_) return;
        VerifyRow row;
        row.kind = kind;
        row.parts = names_;
        row.parts.emplace_back((now ? now : before)->name());
        row.error = error;
        if (before) row.storedSize = before->size, row.storedModified = before->modified;
        if (now) row.size = now->size, row.modified = now->modified;
        report_->rows.push_back(std::move(row));
    }

    const FolderTree& stored_;
    const ChecksumSet* sums_;
    const FolderTree& current_;
    bool keepOk_;
    VerifyReport* report_ = nullptr;
    ContentProgress planned_;
    std::vector<Level> levels_;
    std::vector<std::string> names_;
};

} // namespace

VerifyReport verifyTree(const fs::path& source, const FolderTree& stored, const ChecksumSet* sums,
                        const FolderTree& current, const ContentCallbacks& callbacks,
                        bool keepOkRows) {
    VerifyReport out;
    out.checksums = sums ? ChecksumUse::Used : ChecksumUse::None;
    if (!current.root() || !stored.root()) return out;
    Verifier verifier(stored, sums, current, keepOkRows);
    const ContentProgress planned = verifier.plan();
    MediumReader reader(source, callbacks, planned);
    verifier.run(reader, out);
    out.end = reader.end;
    out.goneError = reader.goneError;
    return out;
}

} // namespace zt
