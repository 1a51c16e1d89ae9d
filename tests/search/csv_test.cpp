#include "platform/codec.h"
#include "search/csv.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

const std::string kHeaderLine =
    cp932::encode("ファイル・フォルダ名,パス,サイズ,作成日時,更新日時") + "\r\n";

TEST(SearchCsv, FieldsAreQuotedOnlyForCommasAndQuotes) {
    auto field = [](std::string_view s) {
        std::string out;
        writeCsvField(out, s);
        return out;
    };
    EXPECT_EQ(field(""), "");
    EXPECT_EQ(field("0KB"), "0KB");
    EXPECT_EQ(field("1,234KB"), "\"1,234KB\"");
    EXPECT_EQ(field("say \"hi\".txt"), "\"say \"\"hi\"\".txt\"");
    EXPECT_EQ(field("\""), "\"\"\"\"");
    EXPECT_EQ(field("表,ソ"), "\"表,ソ\""); // ソ and 表 end in 0x5C in CP932: no effect on UTF-8
    EXPECT_FALSE(needsCsvQuotes("ソ表能.txt"));
}

TEST(SearchCsv, FileHasHeaderRowsCrLfAndCp932) {
    test::TempDir dir;
    const auto path = dir / "r.csv";
    ASSERT_TRUE(saveResultsCsv(path, {}));
    EXPECT_EQ(test::readFile(path), kHeaderLine); // an empty list: the header alone

    const std::vector<ResultCells> rows = {
        {"a,b.txt", "\\S\\a,b.txt", "1,234KB", "2001/3/5 9:7:3", "2001/3/5 9:7:4"},
        {"フォルダ", "\\S\\フォルダ", "", "2001/3/5 9:7:3", ""},
        {"x", "\\S\\x", "0KB", "", ""},
    };
    ASSERT_TRUE(saveResultsCsv(path, rows));
    const std::string expected =
        kHeaderLine + "\"a,b.txt\",\"\\S\\a,b.txt\",\"1,234KB\",2001/3/5 9:7:3,2001/3/5 9:7:4\r\n" +
        cp932::encode("フォルダ,\\S\\フォルダ,,2001/3/5 9:7:3,") + "\r\n" + "x,\\S\\x,0KB,,\r\n";
    EXPECT_EQ(test::readFile(path), expected);
    EXPECT_EQ(cp932::encode("フォルダ"), "\x83\x74\x83\x48\x83\x8B\x83\x5F");

    // Failure is reported and leaves an existing file alone.
    EXPECT_FALSE(saveResultsCsv(dir / "no-such-folder" / "r.csv", rows));
    EXPECT_FALSE(saveResultsCsv(dir.path(), rows));
    EXPECT_TRUE(saveResultsCsv("", rows));
}

TEST(SearchCsv, AFileWrittenInPiecesIsTheWholeFile) {
    test::TempDir dir;
    const auto path = dir / "r.csv";
    // Several pieces' worth, every line different.
    std::vector<ResultCells> rows(30000);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = {"名前" + std::to_string(i), "\\S\\" + std::string(40, 'p') + std::to_string(i),
                   "1KB", "", ""};
    ASSERT_TRUE(saveResultsCsv(path, rows.size(), [&](size_t i) { return rows[i]; }));
    EXPECT_EQ(test::readFile(path), resultsCsvBytes(rows));
}

} // namespace
} // namespace zt
