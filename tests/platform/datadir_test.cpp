#include "platform/datadir.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace zt {
namespace {

namespace fs = std::filesystem;

DataDirInputs baseInputs(const fs::path& exeDir) {
    DataDirInputs in;
    in.exeDir = exeDir;
    in.xdgDataHome = "/xdg";
    in.home = "/home/u";
    return in;
}

TEST(DataDir, CommandLineThenEnvironmentThenExistingPortableFolderThenXdg) {
    test::TempDir exe;
    DataDirInputs in = baseInputs(exe.path());
    in.commandLine = "/from/cli";
    in.envData = "/from/env";
    EXPECT_EQ(resolveDataDir(in), fs::path("/from/cli"));
    in.commandLine.reset();
    EXPECT_EQ(resolveDataDir(in), fs::path("/from/env"));
    in.envData = "";
    // A writable program folder without Data: the user's folder, and nothing is
    // made beside the program (a build folder or ~/.local/bin stays clean).
    EXPECT_EQ(resolveDataDir(in), fs::path("/xdg/zutomelark/Data"));
    EXPECT_FALSE(fs::exists(exe / "Data"));
    // A Data folder carried along with the program is used.
    fs::create_directory(exe / "Data");
    EXPECT_EQ(resolveDataDir(in), exe / "Data");
}

TEST(DataDir, UnusablePortableFolderFallsBackToXdgThenHome) {
    test::TempDir exe;
    test::writeFile(exe / "Data", "not a folder");
    DataDirInputs in = baseInputs(exe.path());
    EXPECT_EQ(resolveDataDir(in), fs::path("/xdg/zutomelark/Data"));
    in.exeDir = exe / "gone";
    EXPECT_EQ(resolveDataDir(in), fs::path("/xdg/zutomelark/Data"));
    const fs::path homeData("/home/u/.local/share/zutomelark/Data");
    for (const auto& xdg : {std::optional<std::string>("relative/xdg"),
                            std::optional<std::string>(""), std::optional<std::string>()}) {
        in.xdgDataHome = xdg;
        EXPECT_EQ(resolveDataDir(in), homeData) << xdg.value_or("(unset)");
    }
    // No home at all: no folder rather than one in whatever the current folder is.
    in.home.reset();
    EXPECT_EQ(resolveDataDir(in), fs::path());
    EXPECT_FALSE(seedDataDir(resolveDataDir(in)));
}

TEST(DataDir, TemplateIconListIsWellFormed) {
    std::istringstream text{std::string(templateIconList())};
    std::string line;
    ASSERT_TRUE(std::getline(text, line));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const int count = std::stoi(line);
    std::set<std::string> seen;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ASSERT_FALSE(line.empty());
        for (char c : line)
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << line;
        EXPECT_TRUE(seen.insert(line).second) << "listed twice: " << line;
    }
    EXPECT_EQ(int(seen.size()), count);
    EXPECT_GT(count, 100);
    EXPECT_TRUE(seen.count("txt") && seen.count("jpg") && seen.count("zip") && seen.count("exe"));
}

TEST(DataDir, SeedCreatesTemplateFilesWithCrLf) {
    test::TempDir tmp;
    const fs::path data = tmp / "a" / "Data";
    ASSERT_TRUE(seedDataDir(data));
    const std::string icons = test::readFile(data / "Icon" / "icon.dat");
    ASSERT_FALSE(icons.empty());
    for (size_t i = 0; i < icons.size(); ++i)
        if (icons[i] == '\n') {
            ASSERT_TRUE(i > 0 && icons[i - 1] == '\r') << "bare LF at " << i;
        }
    EXPECT_EQ(icons.substr(icons.size() - 2), "\r\n");
    EXPECT_FALSE(test::readFile(data / "Icon" / "test.dat").empty());
    EXPECT_TRUE(fs::is_regular_file(data / "StockList.dat"));
    EXPECT_EQ(fs::file_size(data / "StockList.dat"), 0u);
}

TEST(DataDir, SeedNeverOverwrites) {
    test::TempDir tmp;
    const fs::path data = tmp / "Data";
    ASSERT_TRUE(seedDataDir(data));
    test::writeFile(data / "Icon" / "icon.dat", "1\r\nfoo\r\n");
    test::writeFile(data / "Icon" / "test.dat", "mine");
    test::writeFile(data / "StockList.dat", "stock");
    ASSERT_TRUE(seedDataDir(data));
    EXPECT_EQ(test::readFile(data / "Icon" / "icon.dat"), "1\r\nfoo\r\n");
    EXPECT_EQ(test::readFile(data / "Icon" / "test.dat"), "mine");
    EXPECT_EQ(test::readFile(data / "StockList.dat"), "stock");
}

TEST(DataDir, SeedRestoresSampleLeftByInterruptedIconLoad) {
    test::TempDir tmp;
    const fs::path data = tmp / "Data", icons = data / "Icon";
    ASSERT_TRUE(seedDataDir(data));
    const std::string sample = test::readFile(icons / "test.dat");
    fs::rename(icons / "test.dat", icons / "test.jpg");
    test::writeFile(icons / "test.txt", "the user's own");
    ASSERT_TRUE(seedDataDir(data));
    EXPECT_EQ(test::readFile(icons / "test.dat"), sample);
    EXPECT_FALSE(fs::exists(icons / "test.jpg"));

    // No leftover holds the sample: a new one is written, the user's file stays.
    fs::remove(icons / "test.dat");
    ASSERT_TRUE(seedDataDir(data));
    EXPECT_EQ(test::readFile(icons / "test.dat"), sample);
    EXPECT_EQ(test::readFile(icons / "test.txt"), "the user's own");
}

TEST(DataDir, SweepRemovesTemporariesLeftByKilledWriters) {
    test::TempDir tmp;
    const fs::path data = tmp / "Data";
    fs::create_directories(data / "Info");
    fs::create_directories(tmp / "Outside");
    fs::create_directory_symlink(tmp / "Outside", data / "Linked");
    for (const fs::path& p : {data / ".zutomelark-000001.tmp", data / "Info/.zutomelark-000002.tmp",
                              tmp / "Outside/.zutomelark-000003.tmp"})
        test::writeFile(p, "left by a kill");
    // Swept by a change under the lock, not by every start.
    ASSERT_TRUE(seedDataDir(data));
    EXPECT_TRUE(fs::exists(data / ".zutomelark-000001.tmp"));
    removeDataTemporaries(data);
    EXPECT_FALSE(fs::exists(data / ".zutomelark-000001.tmp"));
    EXPECT_FALSE(fs::exists(data / "Info/.zutomelark-000002.tmp"));
    EXPECT_TRUE(fs::exists(tmp / "Outside/.zutomelark-000003.tmp")); // never through a link
}

TEST(DataDir, SeedFailsWhenFolderCannotBeMade) {
    test::TempDir tmp;
    test::writeFile(tmp / "file", "x");
    EXPECT_FALSE(seedDataDir(tmp / "file" / "Data"));
    EXPECT_FALSE(seedDataDir(tmp / "file"));
}

} // namespace
} // namespace zt
