#include "library/names.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

using Names = std::vector<std::string>;

TEST(StockNames, CaptureBaseNamesEverySystemCanHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:", "C"},
        {"a:b:c", "ab_c"}, // the first ":" goes, the others cannot name a Windows file
        {"/", "root"},
        {"My/Disk", "My_Disk"},
        {":", "noname"},
        {"", "noname"},
        {"tab\there\x7f", "tab_here_"},
        {"a*b?\"<>|", "a_b_____"},
        {"ドライブ", "ドライブ"},
        {"CON", "CON_"},
        {"com1.txt", "com1_.txt"},
        {"LPT9", "LPT9_"},
        {"COM10", "COM10"}, // not a device name
        {"disc.", "disc._"},
        {"disc ", "disc _"},
        {".", "._"},
    };
    for (const auto& [root, name] : cases)
        EXPECT_EQ(stockNameBase(root), name) << root;
    // Long names are cut at a character boundary.
    EXPECT_EQ(stockNameBase(std::string(199, 'x') + "あいう"), std::string(199, 'x'));
}

TEST(StockNames, UniqueNamesAvoidTheListReservedNamesAndStrayFiles) {
    test::TempDir data;
    EXPECT_EQ(uniqueStockName("C", {}, data.path()), "C");
    EXPECT_EQ(uniqueStockName("C", {"C"}, data.path()), "C_2");
    EXPECT_EQ(uniqueStockName("c", {"C"}, data.path()), "c_2"); // c collides with C
    EXPECT_EQ(uniqueStockName("C", {"C", "c_2"}, data.path()), "C_3");
    EXPECT_EQ(uniqueStockName("setting", {}, data.path()), "setting_2");
    EXPECT_EQ(uniqueStockName("StockList", {}, data.path()), "StockList_2");
    test::writeFile(data / "D.dat", "left over");
    EXPECT_EQ(uniqueStockName("D", {}, data.path()), "D_2");
    EXPECT_TRUE(isSafeStockName(uniqueStockName("..", {}, data.path())));
}

TEST(StockNames, TakenComparesWithoutLetterCase) {
    EXPECT_TRUE(stockNameTaken({"C", "ＡＢ"}, "c"));
    EXPECT_TRUE(stockNameTaken({"C", "ＡＢ"}, "ａｂ"));
    EXPECT_FALSE(stockNameTaken({"C"}, "C_2"));
}

class StockRename : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string check(const Names& names, int index, std::string_view newName) {
        return validateStockRename(dir.path(), names, index, newName);
    }
};

TEST_F(StockRename, RefusesWithTheMessageOfTheFirstFailure) {
    const std::string blank = "名前が空欄です", taken = "その名前は使われています";
    const std::string forbidden = "\\ / : , ; * ? \" < > |  は使えません";
    const Names names{"a", "Photos", "b|"};
    const std::pair<std::string, std::string> cases[] = {
        {"", blank},
        {"x\\y", forbidden},
        {"x/y", forbidden},
        {"x:y", forbidden},
        {"x,y", forbidden},
        {"x;y", forbidden},
        {"x*y", forbidden},
        {"x?y", forbidden},
        {"x\"y", forbidden},
        {"x<y", forbidden},
        {"x>y", forbidden},
        {"x|y", forbidden},
        {"b|", forbidden}, // a forbidden character beats a clash
        {"tab\tname", forbidden},
        {"line\nbreak", forbidden},
        {"del\x7f", forbidden},
        {"CON", forbidden},
        {"nul.txt", forbidden},
        {"Com3", forbidden},
        {"lpt1.a.b", forbidden},
        {"trailing.", forbidden},
        {"trailing ", forbidden},
        {"photos", taken},
        {"PHOTOS", taken},
        {"StockList", taken},
        {"setting", taken},
        {"..", forbidden},
        {std::string(252, 'x'), taken},
        {"a", ""},
        {"A", ""},
        {"表", ""},
        {"ソ能", ""},
        {" c", ""},
        {"COM10", ""},
        {std::string(251, 'x'), ""},
    };
    for (const auto& [name, message] : cases)
        EXPECT_EQ(check(names, 0, name), message) << name;
}

TEST_F(StockRename, NeverReachesAnotherFile) {
    const Names names{"a"};
    test::writeFile(dir / "stray.dat", "x");
    EXPECT_EQ(check(names, 0, "stray"), "その名前は使われています");
    test::writeFile(dir / "a.dat", "1200\r\n0\r\n"); // its own file is no obstacle
    EXPECT_EQ(check(names, 0, "a"), "");
}

} // namespace
} // namespace zt
