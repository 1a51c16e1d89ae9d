#include "catalogue/filelist.h"
#include "catalogue/folder_tree.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zt;

TEST(FileList, AddFileTrimsNameEndAndKeepsOrderAndHighHalf) {
    TFileList list;
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Count(), 0);

    WIN32_FIND_DATA fd;
    fd.cFileName = "big.iso  \t\r\n";
    fd.nFileSizeHigh = 1;
    fd.nFileSizeLow = 5;
    fd.ftLastWriteTime = FILETIME{0xffffffffu, 0x80000000u};
    list.AddFile(fd);
    list.AddFile(std::string_view("b"));
    list.AddFile(std::string_view("   ")); // blanks only: an empty name, still a record

    ASSERT_EQ(list.Count(), 3);
    const TFileChain* f = list.First();
    EXPECT_EQ(f->name(), "big.iso");
    EXPECT_EQ(f->size(), (uint64_t(1) << 32) + 5);
    EXPECT_EQ(f->lastWriteTime.dwHighDateTime, 0x80000000u);
    EXPECT_EQ(f->next->name(), "b");
    EXPECT_EQ(f->next->next->name(), "");
    EXPECT_EQ(list.tail, f->next->next);
    EXPECT_EQ(list.tail->next, nullptr);
}

TEST(FileList, ReleasingAMillionRecordsAndFoldersNeedsNoRecursion) {
    // A deep chain of folders and a long list of files are released iteratively
    // (ASan would report leaks, a recursive release would overflow the stack).
    test::StockBuilder s;
    FolderTree& tree = s.tree;
    FileListChain& chain = s.chain;
    FolderNode* node = s.root("stock");
    for (int i = 0; i < 1000000; ++i)
        node->data->AddFile(std::string_view("file"));
    for (int i = 0; i < 200000; ++i)
        node = s.add(node, "d");
    EXPECT_EQ(node->level, 200000);
    EXPECT_EQ(tree.folderCount(), 200000);
    tree.Clear();
    chain.Release();
    EXPECT_EQ(chain.first(), nullptr);
    EXPECT_EQ(chain.last(), nullptr);
    EXPECT_TRUE(tree.empty());
}

TEST(FolderTree, SortsEveryLevelCaseSensitivelyAndKeepsRows) {
    FolderTree tree;
    FolderNode* root = tree.AddRoot("s", nullptr);
    for (const char* t : {"B", "b", "A", "a"})
        tree.AddChild(root, t, nullptr);
    FolderNode* deep = tree.AddChild(root->children[0], "z", nullptr);
    tree.AddChild(root->children[0], "y", nullptr);
    tree.SortAll();

    std::string order;
    for (const FolderNode* c : root->children)
        order += c->text;
    EXPECT_EQ(order, "aAbB");
    for (size_t i = 0; i < root->children.size(); ++i)
        EXPECT_EQ(root->children[i]->row, int(i));
    EXPECT_EQ(deep->row, 1);
    EXPECT_EQ(deep->parent->children[0]->text, "y");
}

TEST(FolderTree, FolderSizeSumsEveryDepthWithoutOverflow) {
    test::StockBuilder s;
    FolderNode* root = s.root("s");
    FolderNode* a = s.add(root, "a");
    FolderNode* b = s.add(a, "b");
    s.add(root, "empty");
    for (int i = 0; i < 3; ++i) {
        TFileChain* f = b->data->AddFile(std::string_view("x"));
        f->sizeHigh = 0xffffffffu; // three files of nearly 2^64 / 2^32 each
        f->sizeLow = 0;
    }
    a->data->AddFile(std::string_view("y"))->sizeLow = 10;
    EXPECT_EQ(FolderSize(*root->children[1]), 0u);
    EXPECT_EQ(FolderSize(*a),
              uint64_t(3) * (uint64_t(0xffffffffu) << 32) + 10); // wraps as unsigned
    EXPECT_EQ(FolderSize(*root), FolderSize(*a));
}
