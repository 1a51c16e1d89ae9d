#include "platform/datadir.h"

#include "platform/datalock.h"
#include "platform/textfile.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string_view>
#include <vector>

namespace zt {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSampleFile = "ZuTomelark sample file\r\n";

bool writableFolder(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(p.c_str(), W_OK | X_OK) == 0;
}

// The template's lines end in CR LF like every file the program writes; the
// compiled-in copy may have lost its CRs on the way through the compiler.
std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

enum class Write { Written, Existed, Failed };

// Creates a file that must not exist yet; an existing file is left alone.
Write writeNewFile(const fs::path& p, std::string_view bytes) {
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? Write::Existed : Write::Failed;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool ok = ::close(fd) == 0 && done == bytes.size();
    if (!ok) {
        ::unlink(p.c_str()); // no half-written template left behind
        return Write::Failed;
    }
    return Write::Written;
}

// The icon loader renames test.dat to test.<ext> while it works and back when
// done; after a crash in between, the leftover test.* that holds the sample's
// bytes is the sample. Any other test.* is the user's own and stays as it is.
bool restoreSampleFile(const fs::path& iconDir) {
    std::error_code ec;
    for (fs::directory_iterator it(iconDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= 5 || name.compare(0, 5, "test.") != 0 || !fs::is_regular_file(it->symlink_status(ec)) ||
            it->file_size(ec) != kSampleFile.size())
            continue;
        const auto bytes = readFileBytes(it->path());
        // Never over a file that appeared meanwhile.
        if (bytes && *bytes == kSampleFile) return renameNoReplace(it->path(), iconDir / "test.dat");
    }
    return false;
}

} // namespace

fs::path resolveDataDir(const DataDirInputs& in) {
    if (in.commandLine && !in.commandLine->empty()) return *in.commandLine;
    if (in.envData && !in.envData->empty()) return fs::path(*in.envData);

    // A Data folder beside the program is used only when it is already there,
    // so a program folder never fills with user data (or a build folder that
    // `make clean` deletes).
    if (!in.exeDir.empty() && writableFolder(in.exeDir / "Data")) return in.exeDir / "Data";

    if (in.xdgDataHome && fs::path(*in.xdgDataHome).is_absolute())
        return fs::path(*in.xdgDataHome) / "zutomelark" / "Data";
    if (in.home && fs::path(*in.home).is_absolute())
        return fs::path(*in.home) / ".local" / "share" / "zutomelark" / "Data";
    return {};
}

DataDirInputs dataDirInputsFromEnvironment(std::optional<fs::path> commandLine) {
    DataDirInputs in;
    in.commandLine = std::move(commandLine);
    const auto env = [](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        if (!v) return std::nullopt;
        return std::string(v);
    };
    in.envData = env("ZUTOMELARK_DATA");
    in.xdgDataHome = env("XDG_DATA_HOME");
    in.home = env("HOME");
    if (!in.home || in.home->empty()) {
        // No $HOME (a service, a stripped environment): the account's home folder.
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
            in.home = std::string(pw->pw_dir);
    }
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) in.exeDir = exe.parent_path();
    return in;
}

bool seedDataDir(const fs::path& dataDir, fs::path* failed) {
    if (dataDir.empty()) return false; // would seed the current folder
    std::error_code ec;
    const fs::path iconDir = dataDir / "Icon";
    fs::create_directories(iconDir, ec);
    if (!fs::is_directory(dataDir, ec) || !fs::is_directory(iconDir, ec)) return false;

    bool ok = true;
    // A read-only Data folder is told by the file that could not be made.
    const auto make = [&](const fs::path& p, std::string_view bytes) {
        if (writeNewFile(p, bytes) != Write::Failed) return;
        if (ok && failed) *failed = p;
        ok = false;
    };
    make(iconDir / "icon.dat", withCrLf(templateIconList()));
    if (::access((iconDir / "test.dat").c_str(), F_OK) != 0 && !restoreSampleFile(iconDir))
        make(iconDir / "test.dat", kSampleFile);
    make(dataDir / "StockList.dat", "");
    // Start-up never waits for this: a busy Data folder is cleaned next time.
    if (const auto lock =
            DataLock::acquire(dataDir, DataLock::Mode::Exclusive, std::chrono::milliseconds(0)))
        removeDataTemporaries(dataDir);
    return ok;
}

void removeDataTemporaries(const fs::path& dataDir) {
    const int data = ::open(dataDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (data < 0) return;
    removeStaleTemporariesAt(data);
    // Each side folder is opened from the Data folder without following a
    // link, so one swapped for a link after the listing is never swept.
    std::vector<std::string> folders;
    if (DIR* d = ::fdopendir(::dup(data))) {
        ::rewinddir(d);
        while (const dirent* e = ::readdir(d))
            if ((e->d_type == DT_DIR || e->d_type == DT_UNKNOWN) && std::string_view(e->d_name) != "." &&
                std::string_view(e->d_name) != "..")
                folders.emplace_back(e->d_name);
        ::closedir(d);
    }
    for (const std::string& name : folders) {
        const int folder = ::openat(data, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0) continue;
        removeStaleTemporariesAt(folder);
        ::close(folder);
    }
    ::close(data);
}

} // namespace zt
