#include "platform/textfile.h"

#include "testutil.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace zt;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    LineCursor cursor(bytes);
    std::string_view line;
    while (cursor.next(line))
        lines.emplace_back(line);
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(LineCursor, SplitsOnCrLfAndBareLf) {
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(splitLines("\r\n\n"), (Lines{"", ""}));
    // Only one CR is part of the line end; a CR elsewhere belongs to the line.
    EXPECT_EQ(splitLines("a\r\r\nb\rc\n"), (Lines{"a\r", "b\rc"}));
    EXPECT_EQ(splitLines("\r"), Lines{""});
}

TEST(TextFile, ReadsBytesAndLines) {
    test::TempDir dir;
    test::writeFile(dir / "s.txt", "\x95\x5C\r\n&#128512;\nlast");
    EXPECT_EQ(readFileBytes(dir / "s.txt"), "\x95\x5C\r\n&#128512;\nlast");
    EXPECT_EQ(readTextLines(dir / "s.txt"), (Lines{"表", "😀", "last"}));

    test::writeFile(dir / "empty.txt", "");
    EXPECT_EQ(readFileBytes(dir / "empty.txt"), "");
    EXPECT_EQ(readTextLines(dir / "empty.txt"), Lines{});

    EXPECT_EQ(readFileBytes(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(readTextLines(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(readFileBytes(dir.path()), std::nullopt); // a folder
}

TEST(TextFile, OnlyPlainFilesAreRead) {
    // A pipe or a device put where a data file belongs would block the reader
    // for ever or never end.
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.dat").c_str(), 0600), 0);
    EXPECT_EQ(readFileBytes(dir / "pipe.dat"), std::nullopt);
    fs::create_symlink("/dev/zero", dir / "zero.dat");
    EXPECT_EQ(readFileBytes(dir / "zero.dat"), std::nullopt);
}

TEST(TextFile, AtomicWriteReplacesTheFile) {
    test::TempDir dir;
    const fs::path p = dir / "list.txt";
    test::writeFile(p, "old content that is longer");
    ASSERT_TRUE(writeFileAtomically(p, "new\r\n"));
    EXPECT_EQ(test::readFile(p), "new\r\n");
    ASSERT_TRUE(writeFileAtomically(p, ""));
    EXPECT_EQ(test::readFile(p), "");
    // Nothing but the target is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TextFile, ALinkIsFollowedOnlyToAPlainFile) {
    // A user's link in place of a shared file: its plain file is replaced and
    // the link kept; a pipe or a device behind it is never replaced.
    test::TempDir dir;
    test::writeFile(dir / "real.dat", "old");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "real.dat", dir / "file.dat");
    fs::create_symlink(dir / "pipe", dir / "pipe.dat");
    fs::create_symlink("/dev/null", dir / "null.dat");
    ASSERT_TRUE(writeFileAtomically(dir / "file.dat", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "file.dat"));
    EXPECT_EQ(test::readFile(dir / "real.dat"), "new");
    EXPECT_FALSE(writeFileAtomically(dir / "pipe.dat", "x"));
    EXPECT_FALSE(writeFileAtomically(dir / "null.dat", "x"));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_symlink(dir / "null.dat"));

    // Not followed at all when asked: the link itself is replaced.
    AtomicFileWriter own(dir / "file.dat", AtomicFileWriter::FollowLinks::No);
    own.write("own");
    ASSERT_TRUE(own.commit());
    EXPECT_FALSE(fs::is_symlink(dir / "file.dat"));
    EXPECT_EQ(test::readFile(dir / "real.dat"), "new");
}

TEST(TextFile, InPlaceWriteToAPipeNobodyReadsFailsAtOnce) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::string why;
    EXPECT_FALSE(writeFileInPlace(dir / "pipe", "x", &why));
    EXPECT_FALSE(why.empty());
}

TEST(TextFile, AtomicWriteHonoursTheUmask) {
    test::TempDir dir;
    const mode_t old = umask(027);
    const bool ok = writeFileAtomically(dir / "f.txt", "x");
    umask(old);
    ASSERT_TRUE(ok);
    struct stat st {};
    ASSERT_EQ(stat((dir / "f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TextFile, FailedAtomicWriteLeavesNothingBehind) {
    test::TempDir dir;
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "list.txt", "x"));
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // A folder in the way: the rename fails, the temporary file goes away.
    fs::create_directory(dir / "taken");
    EXPECT_FALSE(writeFileAtomically(dir / "taken", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TextFile, AReplacedFileKeepsItsPermissionBits) {
    test::TempDir dir;
    const mode_t old = umask(077); // the new file's bits come from the old file, not the umask
    for (const mode_t mode : {0600, 0640, 0664}) {
        const fs::path p = dir / ("f" + std::to_string(mode));
        test::writeFile(p, "old");
        ASSERT_EQ(::chmod(p.c_str(), mode), 0);
        EXPECT_TRUE(writeFileAtomically(p, "new"));
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    umask(old);
    // A name of 250 bytes (with ".dat", near the file-name limit) still saves.
    EXPECT_TRUE(writeFileAtomically(dir / (std::string(250, 'n') + ".dat"), "x"));
}

// Temporary files: one of a live writer (in this process or another) is
// kept, one whose writer died is removed, and nothing else is touched.
TEST(TextFile, OnlyUnownedTemporariesAreRemoved) {
    test::TempDir dir;
    const std::string stale = ".zutomelark-aB3xYz.tmp";
    for (const char* other : {".zutomelark-aB3xY.tmp", ".zutomelark-aB3x-z.tmp", "x.tmp"})
        test::writeFile(dir / other, "not ours");
    test::writeFile(dir / stale, "left by a kill");
    fs::create_symlink(dir / stale, dir / ".zutomelark-link00.tmp");
    AtomicFileWriter mine(dir / "mine.dat");
    mine.write("mine");

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicFileWriter theirs(dir / "theirs.dat");
        theirs.write("theirs");
        (void)!::write(ready[1], "r", 1);
        ::pause(); // until killed, the temporary file still there
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const auto count = [&] {
        return std::count_if(fs::directory_iterator(dir.path()), fs::directory_iterator(),
                             [](const fs::directory_entry& e) {
                                 return isTemporaryFileName(e.path().filename().string());
                             });
    };
    EXPECT_EQ(count(), 4); // the stale one, the link, mine, the child's
    EXPECT_EQ(removeStaleTemporaries(dir.path()), 1);
    EXPECT_FALSE(fs::exists(dir / stale));
    EXPECT_EQ(count(), 3);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(removeStaleTemporaries(dir.path()), 1);
    EXPECT_EQ(count(), 2);
    EXPECT_TRUE(mine.commit());
    EXPECT_EQ(test::readFile(dir / "mine.dat"), "mine");
    for (const char* other : {".zutomelark-aB3xY.tmp", ".zutomelark-aB3x-z.tmp", "x.tmp"})
        EXPECT_TRUE(fs::exists(dir / other)) << other;
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(TextFileBuilder, EncodesLinesWithCrLf) {
    TextFileBuilder b;
    b.line("表\nx");
    b.number(-42);
    b.number(9223372036854775807LL);
    b.rawLine("\x83\x7C");
    EXPECT_EQ(b.bytes(), "\x95\x5C&#10;x\r\n-42\r\n9223372036854775807\r\n\x83\x7C\r\n");
}
