// UDF (1.02 to 2.60, the metadata partition of Blu-ray discs included) through
// libudfread, which reads the image through the block input below.
#include "image/readers.h"

#include <udfread/blockinput.h>
#include <udfread/udfread.h>

#include <vector>

namespace zt {

namespace {

struct BlockInput : udfread_block_input {
    std::shared_ptr<RandomAccessFile> file;
    uint32_t blocks = 0;
};

int readBlocks(udfread_block_input* in, uint32_t lba, void* buf, uint32_t count, int) {
    auto* self = static_cast<BlockInput*>(in);
    if (lba >= self->blocks) return 0;
    if (count > self->blocks - lba) count = self->blocks - lba;
    const int64_t got = self->file->readInto(uint64_t(lba) * UDF_BLOCK_SIZE,
                                             static_cast<char*>(buf), size_t(count) * UDF_BLOCK_SIZE);
    return got < 0 ? -1 : int(got / UDF_BLOCK_SIZE);
}

uint32_t sizeInBlocks(udfread_block_input* in) {
    return static_cast<BlockInput*>(in)->blocks;
}

// One directory being read: its path and its entries, the directory handle
// kept while its subfolders are entered (they are opened from it).
struct Frame {
    UDFDIR* dir = nullptr;
    std::string path;
    std::vector<std::pair<std::string, bool>> entries; // name, is a directory
    size_t next = 0;
};

class UdfReader : public FileSystemReader {
  public:
    UdfReader(std::unique_ptr<BlockInput> input, udfread* udf, const ImageVolume& volume)
        : input_(std::move(input)), udf_(udf) {
        volume_ = volume;
        volume_.fileSystem = "UDF";
    }
    ~UdfReader() override {
        for (Frame& f : stack_)
            udfread_closedir(f.dir);
        udfread_close(udf_);
    }

    bool start() {
        UDFDIR* root = udfread_opendir(udf_, "/");
        if (!root) return false;
        push(root, {});
        return true;
    }

    bool next(ImageEntry& out) override {
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.next == f.entries.size()) {
                udfread_closedir(f.dir);
                stack_.pop_back();
                continue;
            }
            if (!spend()) return false;
            const auto& [name, isDir] = f.entries[f.next++];
            out = ImageEntry{};
            out.path = f.path.empty() ? name : f.path + '/' + name;
            out.isDirectory = isDir;
            // libudfread gives no times of its own: a hybrid disc's ISO 9660
            // recording date stands in for them (zero when there is none).
            out.modified = volume_.created;
            if (isDir) {
                enter(f, name, out.path);
            } else if (UDFFILE* file = udfread_file_openat(f.dir, name.c_str())) {
                const int64_t size = udfread_file_size(file);
                out.size = size > 0 ? uint64_t(size) : 0;
                udfread_file_close(file);
            } else {
                noteProblem("a file entry could not be read");
            }
            return true;
        }
        return false;
    }

  private:
    void enter(Frame& parent, const std::string& name, const std::string& path) {
        if (stack_.size() >= size_t(kMaxImageDepth)) {
            noteProblem("folders nested too deep");
            return;
        }
        UDFDIR* child = udfread_opendir_at(parent.dir, name.c_str());
        if (!child) {
            noteProblem("a folder could not be read");
            return;
        }
        push(child, path); // parent is not used after this
    }

    void push(UDFDIR* dir, std::string path) {
        Frame f;
        f.dir = dir;
        f.path = std::move(path);
        udfread_dirent entry;
        while (udfread_readdir(dir, &entry)) {
            if (!entry.d_name) continue;
            const std::string name = entry.d_name;
            if (name.empty() || name == "." || name == "..") continue;
            f.entries.emplace_back(name, entry.d_type == UDF_DT_DIR);
            // A listing larger than the image could hold is a damaged one.
            if (f.entries.size() > imageEntryBudget(volume_.imageSize)) {
                noteProblem("more entries than the image can hold");
                break;
            }
        }
        stack_.push_back(std::move(f));
    }

    std::unique_ptr<BlockInput> input_;
    udfread* udf_;
    std::vector<Frame> stack_;
};

} // namespace

std::unique_ptr<FileSystemReader> openUdfImage(std::shared_ptr<RandomAccessFile> file,
                                               const ImageVolume& volume) {
    auto input = std::make_unique<BlockInput>();
    input->close = nullptr;
    input->read = readBlocks;
    input->size = sizeInBlocks;
    input->file = std::move(file);
    const uint64_t blocks = volume.imageSize / UDF_BLOCK_SIZE;
    input->blocks = blocks > UINT32_MAX ? UINT32_MAX : uint32_t(blocks);
    udfread* udf = udfread_init();
    if (!udf) return nullptr;
    if (udfread_open_input(udf, input.get()) < 0) {
        udfread_close(udf);
        return nullptr;
    }
    auto reader = std::make_unique<UdfReader>(std::move(input), udf, volume);
    if (!reader->start()) return nullptr;
    return reader;
}

} // namespace zt
