// ISO 9660 (levels 1 to 3, multi-extent files) with Rock Ridge and Joliet
// through libarchive: Rock Ridge names and times where the disc has them, else
// Joliet names, else the primary names without their ";1".
#include "image/readers.h"

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <vector>

namespace zt {

namespace {

// libarchive turns Joliet's UCS-2 names into the multibyte text of the
// current locale: the reading runs in a UTF-8 locale of its own (this thread
// only), so every name comes out whole whatever the program's locale is.
class Utf8Locale {
  public:
    Utf8Locale() {
        static const locale_t utf8 = [] {
            locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
            return l ? l : newlocale(LC_CTYPE_MASK, "en_US.UTF-8", locale_t(0));
        }();
        if (utf8) previous_ = uselocale(utf8);
    }
    ~Utf8Locale() {
        if (previous_) uselocale(previous_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

  private:
    locale_t previous_ = locale_t(0);
};

struct Source {
    std::shared_ptr<RandomAccessFile> file;
    uint64_t size = 0, offset = 0;
    std::vector<char> buffer = std::vector<char>(size_t(64) << 10);
};

la_ssize_t readPiece(archive* a, void* data, const void** out) {
    auto* s = static_cast<Source*>(data);
    const int64_t got = s->file->readInto(s->offset, s->buffer.data(), s->buffer.size());
    if (got < 0) {
        archive_set_error(a, EIO, "read error");
        return -1;
    }
    s->offset += uint64_t(got);
    *out = s->buffer.data();
    return la_ssize_t(got);
}

la_int64_t skipBytes(archive*, void* data, la_int64_t request) {
    auto* s = static_cast<Source*>(data);
    const uint64_t left = s->size > s->offset ? s->size - s->offset : 0;
    const uint64_t skip = request < 0 ? 0 : std::min<uint64_t>(uint64_t(request), left);
    s->offset += skip;
    return la_int64_t(skip);
}

la_int64_t seekTo(archive*, void* data, la_int64_t offset, int whence) {
    auto* s = static_cast<Source*>(data);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(s->offset) : int64_t(s->size);
    const int64_t to = base + offset;
    if (to < 0) return ARCHIVE_FATAL;
    s->offset = uint64_t(to);
    return to;
}

FileTime timeOf(bool set, time_t seconds, long ns) {
    return set ? fileTimeFromUnix(seconds, uint32_t(ns < 0 ? 0 : ns)) : FileTime{};
}

class IsoReader : public FileSystemReader {
  public:
    IsoReader(std::shared_ptr<RandomAccessFile> file, const ImageVolume& volume)
        : archive_(archive_read_new()) {
        volume_ = volume;
        source_.file = std::move(file);
        source_.size = volume.imageSize;
    }
    ~IsoReader() override { archive_read_free(archive_); }

    // False when the image holds no ISO 9660 volume.
    bool start(bool joliet) {
        Utf8Locale utf8;
        archive_read_support_format_iso9660(archive_);
        archive_read_set_callback_data(archive_, &source_);
        archive_read_set_read_callback(archive_, readPiece);
        archive_read_set_skip_callback(archive_, skipBytes);
        archive_read_set_seek_callback(archive_, seekTo);
        if (archive_read_open1(archive_) != ARCHIVE_OK) return false;
        if (!readHeader()) return false;
        const bool rockRidge = archive_format(archive_) == ARCHIVE_FORMAT_ISO9660_ROCKRIDGE;
        volume_.fileSystem = std::string("ISO 9660") + (joliet ? " + Joliet" : "") +
                             (rockRidge ? " + Rock Ridge" : "");
        pending_ = true;
        return true;
    }

    bool next(ImageEntry& out) override {
        Utf8Locale utf8;
        for (;;) {
            if (!pending_ && !readHeader()) return false;
            pending_ = false;
            if (!spend()) return false;
            const char* name = archive_entry_pathname(entry_);
            std::string path = name ? name : "";
            while (path.starts_with("./"))
                path.erase(0, 2);
            while (!path.empty() && path.back() == '/')
                path.pop_back();
            if (path.empty() || path == ".") continue; // the top itself
            out = ImageEntry{};
            out.path = std::move(path);
            out.isDirectory = archive_entry_filetype(entry_) == AE_IFDIR;
            out.size = out.isDirectory || !archive_entry_size_is_set(entry_)
                           ? 0
                           : uint64_t(std::max<la_int64_t>(archive_entry_size(entry_), 0));
            out.created = timeOf(archive_entry_birthtime_is_set(entry_),
                                 archive_entry_birthtime(entry_), archive_entry_birthtime_nsec(entry_));
            out.accessed = timeOf(archive_entry_atime_is_set(entry_), archive_entry_atime(entry_),
                                  archive_entry_atime_nsec(entry_));
            out.modified = timeOf(archive_entry_mtime_is_set(entry_), archive_entry_mtime(entry_),
                                  archive_entry_mtime_nsec(entry_));
            return true;
        }
    }

  private:
    bool readHeader() {
        const int r = archive_read_next_header(archive_, &entry_);
        if (r == ARCHIVE_OK || r == ARCHIVE_WARN) return true;
        if (r != ARCHIVE_EOF) {
            const char* why = archive_error_string(archive_);
            noteProblem(why ? why : "damaged");
        }
        return false;
    }

    archive* archive_;
    archive_entry* entry_ = nullptr;
    Source source_;
    bool pending_ = false;
};

} // namespace

std::unique_ptr<FileSystemReader> openIsoImage(std::shared_ptr<RandomAccessFile> file,
                                               const ImageVolume& volume, bool joliet) {
    auto reader = std::make_unique<IsoReader>(std::move(file), volume);
    if (!reader->start(joliet)) return nullptr;
    return reader;
}

} // namespace zt
