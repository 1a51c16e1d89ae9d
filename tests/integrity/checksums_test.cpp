// The checksum side file: what it holds survives a round trip, and a file
// that is cut, altered or oversized is refused whole.
#include "integrity/checksums.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

ContentHash hashOf(std::string_view bytes, size_t piece) {
    ContentHasher h;
    for (size_t at = 0; at < bytes.size(); at += piece)
        h.update(bytes.data() + at, std::min(piece, bytes.size() - at));
    return h.digest();
}

TEST(ContentHash, IsXxh3Of128BitsWhateverThePieces) {
    // As `xxh128sum` prints them.
    EXPECT_EQ(hashText(hashOf("", 1)), "99aa06d3014798d86001c324468d497f");
    EXPECT_EQ(hashText(hashOf("abc", 1)), "06b05ab6733a618578af5f94892f3950");
    const std::string big(300000, 'q');
    EXPECT_EQ(hashOf(big, 7), hashOf(big, 65536));
    EXPECT_EQ(parseHashText(hashText(hashOf("abc", 2))), hashOf("abc", 3));
    EXPECT_FALSE(parseHashText("06b05ab6733a618578af5f94892f395"));
    EXPECT_FALSE(parseHashText("06b05ab6733a618578af5f94892f395g"));
}

ChecksumSet sample() {
    ChecksumSet set;
    set.stamp = {4321, 1700000000123456789};
    FileSum ok;
    ok.hash = {0x0123456789abcdefull, 0xfedcba9876543210ull};
    ok.size = 12;
    ok.modified = FileTime{133000000000000000ull};
    FileSum bad;
    bad.readable = false;
    bad.error = 5;
    bad.size = 7;
    set.addFile(ChecksumSet::kTop, "top.txt", ok);
    const uint32_t a = set.addFolder(ChecksumSet::kTop, "a b");
    set.addFile(a, "line\nbreak &#65; 😀", ok);
    const uint32_t deep = set.addFolder(set.addFolder(a, "x"), "y");
    set.addFile(deep, "bad.bin", bad);
    set.addFile(set.addFolder(ChecksumSet::kTop, "z"), "top.txt", bad); // same name elsewhere
    return set;
}

TEST(ChecksumFile, RoundTripKeepsEverySumInItsFolder) {
    const ChecksumSet in = sample();
    const std::string bytes = serializeChecksums(in);
    ChecksumSet out;
    ASSERT_EQ(parseChecksums(bytes, 100, out), ChecksumParse::Ok);
    EXPECT_EQ(out.stamp, in.stamp);
    EXPECT_EQ(out.fileCount(), 4u);
    EXPECT_EQ(out.folderCount(), 4u);
    EXPECT_EQ(out.hashedCount(), 2u);
    const uint32_t a = out.folder(ChecksumSet::kTop, "a b");
    ASSERT_NE(out.file(a, "line\nbreak &#65; 😀"), nullptr);
    EXPECT_EQ(out.file(a, "line\nbreak &#65; 😀")->hash, in.file(ChecksumSet::kTop, "top.txt")->hash);
    const FileSum* bad = out.file(out.folder(out.folder(a, "x"), "y"), "bad.bin");
    ASSERT_NE(bad, nullptr);
    EXPECT_FALSE(bad->readable);
    EXPECT_EQ(bad->error, 5);
    EXPECT_TRUE(out.file(ChecksumSet::kTop, "top.txt")->readable);
    EXPECT_FALSE(out.file(out.folder(ChecksumSet::kTop, "z"), "top.txt")->readable);
    EXPECT_EQ(out.file(ChecksumSet::kTop, "bad.bin"), nullptr);
    EXPECT_EQ(serializeChecksums(out), bytes);
}

TEST(ChecksumFile, AnythingButTheWholeFileIsRefused) {
    const std::string good = serializeChecksums(sample());
    ChecksumSet out;
    // Cut anywhere: no end line, or an end line whose check does not match.
    for (size_t cut = 0; cut + 2 < good.size(); ++cut)
        ASSERT_EQ(parseChecksums(good.substr(0, cut), 100, out), ChecksumParse::Damaged) << cut;
    const auto altered = [&](std::string_view from, std::string_view to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::string bad[] = {
        altered("top.txt", "top.txu"),       // a name changed: the check differs
        altered("ZTSUMS 1", "ZTSUMS 2"),     // another version
        altered("D 1 a b", "D 3 a b"),       // a depth that fits no open folder
        good + "F 0 0 0 x\r\n",              // bytes after the end
        altered("end 4 4", "end 5 4"),       // counts that disagree
    };
    for (const std::string& s : bad) EXPECT_EQ(parseChecksums(s, 100, out), ChecksumParse::Damaged);
    EXPECT_EQ(out.fileCount(), 0u); // nothing half-read is kept
    // More records than the stock file can hold.
    EXPECT_EQ(parseChecksums(good, 7, out), ChecksumParse::Damaged);
    EXPECT_EQ(parseChecksums(good, 8, out), ChecksumParse::Ok);
}

} // namespace
} // namespace zt
