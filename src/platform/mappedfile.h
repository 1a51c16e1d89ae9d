#pragma once
// A file mapped read-only into memory: its pages are read as they are
// touched and never copied, so a large file costs only what is looked at.
#include <filesystem>
#include <string_view>

namespace zt {

class MappedFile {
  public:
    MappedFile() = default;
    // Maps a plain file; an empty or unreadable one gives an empty view.
    explicit MappedFile(const std::filesystem::path& p);
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    [[nodiscard]] bool ok() const { return ok_; } // false: could not be opened or mapped
    [[nodiscard]] std::string_view bytes() const { return {data_, size_}; }

  private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    bool ok_ = false;
};

} // namespace zt
