#include "platform/direnum.h"
#include "platform/utf8.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

const DirEntry* find(const DirListing& l, std::string_view nativeName) {
    for (const auto& e : l.entries)
        if (e.nativeName == nativeName) return &e;
    return nullptr;
}

// Removes a tree too deep for path-based removal, one folder at a time.
void removeTreeAt(int parentFd, const char* name) {
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        if (DIR* d = ::fdopendir(fd)) {
            std::vector<std::string> children;
            while (const dirent* e = ::readdir(d))
                if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..")
                    children.emplace_back(e->d_name);
            for (const auto& c : children)
                if (::unlinkat(::dirfd(d), c.c_str(), 0) != 0) removeTreeAt(::dirfd(d), c.c_str());
            ::closedir(d);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

constexpr uint64_t kTicksTo1970 = 116444736000000000ull;

TEST(DirEnum, ListsEntriesWithTypesSizesAndTimes) {
    test::TempDir dir;
    test::writeFile(dir / "a.txt", "hello");
    test::writeFile(dir / ".hidden", "x");
    fs::create_directory(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "linkdir");
    fs::create_symlink("loop2", dir / "loop1"); // a link loop: never followed
    fs::create_symlink("loop1", dir / "loop2");
    {
        const int fd = ::open((dir / "big").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, (off_t(1) << 32) + 5), 0); // sparse, over 4 GiB
        ::close(fd);
    }
    const timespec times[2] = {{1600000000, 500}, {1700000000, 123456700}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);

    const time_t before = std::time(nullptr);
    const DirListing l = listDirectory(dir.path());
    ASSERT_TRUE(l.opened);
    ASSERT_EQ(l.entries.size(), 7u); // "." and ".." left out

    const auto* a = find(l, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, "a.txt");
    EXPECT_FALSE(a->isDirectory);
    EXPECT_EQ(a->size, 5u);
    EXPECT_EQ(a->modified.ticks, kTicksTo1970 + 1700000000ull * 10000000 + 1234567);
    EXPECT_EQ(a->accessed.ticks, kTicksTo1970 + 1600000000ull * 10000000 + 5);
    // Birth time where the file system keeps one: made just now.
    if (!a->created.isZero()) {
        const int64_t made = int64_t((a->created.ticks - kTicksTo1970) / 10000000);
        EXPECT_NEAR(double(made), double(before), 120.0);
    }
    EXPECT_NE(a->deviceId, 0u);
    EXPECT_EQ(a->deviceId, deviceOf(dir.path()));

    ASSERT_TRUE(find(l, ".hidden"));
    EXPECT_TRUE(find(l, "sub")->isDirectory);
    EXPECT_EQ(find(l, "sub")->size, 0u);

    const auto* big = find(l, "big");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size, (uint64_t(1) << 32) + 5);

    for (const char* link : {"linkdir", "loop1", "loop2"}) {
        const auto* e = find(l, link);
        ASSERT_TRUE(e) << link;
        EXPECT_FALSE(e->isDirectory) << link;
        EXPECT_FALSE(e->modified.isZero()) << link; // the link itself was read
    }
}

TEST(DirEnum, UnreadableOrMissingFolderIsNotOpened) {
    test::TempDir dir;
    EXPECT_FALSE(listDirectory(dir / "missing").opened);
    test::writeFile(dir / "file", "x");
    EXPECT_FALSE(listDirectory(dir / "file").opened);
    EXPECT_EQ(deviceOf(dir / "missing"), 0u);

    fs::create_directory(dir / "locked");
    test::writeFile(dir / "locked" / "inside", "x");
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
    if (::geteuid() != 0) { // root reads it regardless of permissions
        const DirListing l = listDirectory(dir / "locked");
        EXPECT_FALSE(l.opened);
        EXPECT_TRUE(l.entries.empty());
    }
}

TEST(DirEnum, NamesThatAreNotUtf8) {
    test::TempDir dir;
    const std::string cp932Name = "\x95\x5c\x8e\xa6"; // 表示 in CP932
    const std::string brokenName = "a\xFF.txt";
    test::writeFile(dir / cp932Name, "");
    test::writeFile(dir / brokenName, "");
    test::writeFile(dir / "\xE8\xA1\xA8.txt", ""); // 表 in UTF-8

    const DirListing l = listDirectory(dir.path());
    ASSERT_EQ(l.entries.size(), 3u);
    ASSERT_TRUE(find(l, cp932Name));
    EXPECT_EQ(find(l, cp932Name)->name, "表示");
    ASSERT_TRUE(find(l, brokenName));
    EXPECT_EQ(find(l, brokenName)->name, "a" + keepBytesRaw(brokenName.substr(1, 1)) + ".txt");
    EXPECT_EQ(find(l, "\xE8\xA1\xA8.txt")->name, "表.txt");

    // Valid UTF-8 runs are kept; only the stray bytes are held as raw bytes.
    EXPECT_EQ(displayNameOfNative("\xC3\xA9\xFF"), "é\xED\xB3\xBF");
    EXPECT_EQ(displayNameOfNative("\xFF\xFF"), "\xED\xB3\xBF\xED\xB3\xBF");
    EXPECT_EQ(displayNameOfNative(""), "");
}

TEST(DirEnum, OrderIsByNativeBytesAndRepeatable) {
    test::TempDir dir;
    for (const char* n : {"b", "B", "\xE3\x81\x82", "a", "_x", "10", "9", "\x95\x5c"})
        test::writeFile(dir / n, "");
    const DirListing first = listDirectory(dir.path());
    std::vector<std::string> names;
    for (const auto& e : first.entries)
        names.push_back(e.nativeName);
    const std::vector<std::string> expected = {"10", "9", "B",        "_x",
                                               "a",  "b", "\x95\x5c", "\xE3\x81\x82"};
    EXPECT_EQ(names, expected);

    const DirListing second = listDirectory(dir.path());
    ASSERT_EQ(second.entries.size(), first.entries.size());
    for (size_t i = 0; i < first.entries.size(); ++i)
        EXPECT_EQ(second.entries[i].nativeName, first.entries[i].nativeName);
}

TEST(DirEnum, ListsFolderWhosePathIsLongerThanPathMax) {
    test::TempDir dir;
    const std::string part(200, 'd');
    int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    fs::path deep = dir.path();
    while (deep.native().size() <= PATH_MAX + 200) {
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0755), 0);
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        deep /= part;
    }
    const int f = ::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(f, 0);
    ::close(f);
    ::close(fd);

    const DirListing l = listDirectory(deep);
    const int top = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    removeTreeAt(top, part.c_str());
    ::close(top);

    ASSERT_TRUE(l.opened);
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0].name, "leaf.txt");
}

} // namespace
} // namespace zt
