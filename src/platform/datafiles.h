#pragma once
// The files the program keeps for itself in folders of the Data folder
// (Data/<folder>/<name>: the facts, the name indexes, ...). A Data folder may
// come from anyone (copied from another machine, unpacked from an archive),
// so the program's own writes never follow a link out of it: the Data folder
// itself is taken as the user chose it, but the side folder and the file in
// it are opened without following links (openat with O_NOFOLLOW from the
// side folder's descriptor). A side folder that is a link or not a folder is
// refused (errno ELOOP or ENOTDIR), never followed, moved or removed.
//
// Every path given here is <Data>/<folder>/<name>.
#include "platform/fileops.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// The side folder `<Data>/<folder>` as a descriptor (the caller closes it),
// created when missing and asked; -1 with errno set when it cannot be opened,
// is a link (ELOOP) or is not a folder (ENOTDIR).
[[nodiscard]] int openSideFolder(const std::filesystem::path& folder, bool create);

// True when the side folder would take a new file: a writable folder that is
// not a link, or missing in a writable Data folder.
[[nodiscard]] bool sideFolderWritable(const std::filesystem::path& folder);

// Whether a side file must survive a crash (the facts, a note) or is a cache
// the program builds again when it is missing or damaged (the name indexes,
// the catalogue summary), which is then not flushed to the disk.
enum class SideFileSync { Durable, Rebuildable };

// Saves a side file atomically (created with its folder when missing); a
// link of that name is replaced, never written through. False with errno
// set on failure, the old file unchanged.
[[nodiscard]] bool writeSideFile(const std::filesystem::path& file, std::string_view bytes,
                                 SideFileSync sync = SideFileSync::Durable);

// A side file opened for reads at offsets (never through a link, only a
// plain file); null when it is missing or cannot be opened so.
[[nodiscard]] std::unique_ptr<RandomAccessFile> openSideFile(const std::filesystem::path& file);

// The first maxBytes bytes of a side file (what lies beyond is never read);
// nullopt when it is missing, a link, not a plain file or unreadable.
[[nodiscard]] std::optional<std::string> readSideFile(const std::filesystem::path& file,
                                                      size_t maxBytes);

// Removes a side file (a link of that name is removed itself); true when
// nothing bears the name afterwards.
bool removeSideFile(const std::filesystem::path& file);

// Gives the side file `from` the second name `to` in the same folder (an
// existing `to` is replaced): a hard link, else a copy. False when from is
// missing, a link or not a plain file, or the name cannot be made.
bool linkSideFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames a side file within its folder (an existing `to` is replaced); the
// names themselves move, a link among them is never followed.
bool renameSideFile(const std::filesystem::path& from, const std::filesystem::path& to);

// The names of the plain files in a side folder (none when it is missing, a
// link or not a folder).
[[nodiscard]] std::vector<std::string> sideFileNames(const std::filesystem::path& folder);

} // namespace zt
