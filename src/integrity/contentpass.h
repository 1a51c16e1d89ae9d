#pragma once
// Reading the files of a medium again, after its tree was read: once to
// record their checksums, or once to verify them against a stock. Each file
// is read through one fixed buffer and hashed as it comes, so memory stays
// the same whatever the files' sizes. A file that cannot be read is recorded
// as such and the pass goes on; only a medium that stops answering (taken
// out, unmounted) ends it early.
#include "catalogue/foldertree.h"
#include "integrity/checksums.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zt {

struct ContentProgress {
    uint64_t doneBytes = 0, totalBytes = 0;
    uint64_t doneFiles = 0, totalFiles = 0;
};

struct ContentCallbacks {
    // Asked between the pieces read: true stops the pass.
    std::function<bool()> cancelled;
    // After every piece and every file.
    std::function<void(const ContentProgress&)> onProgress;
};

enum class PassEnd { Completed, Cancelled, MediumGone };

// The size of the one buffer a pass reads through.
inline constexpr size_t kContentBufferBytes = size_t(1) << 20;

struct HashPass {
    PassEnd end = PassEnd::Completed;
    ChecksumSet sums;         // every plain file of the tree (links and devices have none)
    uint64_t unreadable = 0;  // files recorded as unreadable
    uint64_t kept = 0;        // files whose sum was taken over unread
    int goneError = 0;        // MediumGone: the system's error number, when there was one
};

// The checksums of every file of tree, read below source. With keep, a file
// whose size and time equal its sum there keeps that sum without being read
// (the update of a stock that has them, unless asked to read everything).
// Without readOthers nothing is read: only the kept sums are taken over.
[[nodiscard]] HashPass hashTree(const std::filesystem::path& source, const FolderTree& tree,
                                const ContentCallbacks& callbacks,
                                const ChecksumSet* keep = nullptr, bool readOthers = true);

// What a verify found for one file.
enum class VerifyKind {
    ContentChanged, // same size and time, other content: the medium decayed
    Unreadable,     // the read failed (error says why)
    Changed,        // size or time differ
    Missing,        // in the stock, not on the medium
    New,            // on the medium, not in the stock
    Ok,
};
inline constexpr int kVerifyKinds = 6;

struct VerifyRow {
    VerifyKind kind = VerifyKind::Ok;
    std::vector<std::string> parts; // names below the stock's top, the file's own last
    int error = 0;                  // Unreadable
    uint64_t storedSize = 0, size = 0;
    FileTime storedModified, modified;
};

struct VerifyCounts {
    uint64_t of[kVerifyKinds] = {};
    [[nodiscard]] uint64_t operator[](VerifyKind k) const { return of[int(k)]; }
    [[nodiscard]] uint64_t total() const;
    [[nodiscard]] bool allOk() const { return total() == (*this)[VerifyKind::Ok]; }
};

enum class ChecksumUse {
    Used,     // content compared with the recorded checksums
    None,     // the stock has none: size and time only
    Unusable, // its checksum file is damaged or of another state of the stock
};

struct VerifyReport {
    PassEnd end = PassEnd::Completed;
    int goneError = 0;
    ChecksumUse checksums = ChecksumUse::None;
    VerifyCounts counts;
    uint64_t contentCompared = 0; // files whose content was compared with a checksum
    std::vector<VerifyRow> rows;  // differences first (ContentChanged, ...), Ok rows when asked
};

// Compares the medium below source, read as current, with the stock stored;
// reads every file whose size and time are unchanged, comparing its content
// with sums when given. Ok rows are kept only when asked.
[[nodiscard]] VerifyReport verifyTree(const std::filesystem::path& source,
                                      const FolderTree& stored, const ChecksumSet* sums,
                                      const FolderTree& current, const ContentCallbacks& callbacks,
                                      bool keepOkRows = false);

} // namespace zt
