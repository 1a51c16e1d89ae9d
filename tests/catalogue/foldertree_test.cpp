#include "catalogue/foldertree.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zt;

TEST(FolderTree, AddFileTrimsNameEndAndKeepsOrder) {
    FolderTree tree;
    FolderNode* root = tree.addRoot("s");
    EXPECT_EQ(root->firstFile, nullptr);
    EXPECT_EQ(root->fileCount, 0);

    tree.addFile(root, "big.iso  \t\r\n")->size = (uint64_t(1) << 32) + 5;
    tree.addFile(root, "b");
    tree.addFile(root, "   "); // blanks only: an empty name, still a record

    ASSERT_EQ(root->fileCount, 3);
    EXPECT_EQ(tree.fileCount(), 3u);
    const FileRecord* f = root->firstFile;
    EXPECT_EQ(f->name(), "big.iso");
    EXPECT_EQ(f->size, (uint64_t(1) << 32) + 5);
    EXPECT_EQ(f->next->name(), "b");
    EXPECT_EQ(f->next->next->name(), "");
    EXPECT_EQ(root->lastFile, f->next->next);
    EXPECT_EQ(root->lastFile->next, nullptr);
}

TEST(FolderTree, ReleasingAMillionRecordsAndFoldersNeedsNoRecursion) {
    // A deep chain of folders and a long list of files are released iteratively
    // (ASan would report leaks, a recursive release would overflow the stack).
    test::StockBuilder s;
    FolderTree& tree = s.tree;
    FolderNode* node = s.root("stock");
    for (int i = 0; i < 1000000; ++i)
        tree.addFile(node, "file");
    for (int i = 0; i < 200000; ++i)
        node = s.add(node, "d");
    EXPECT_EQ(node->level, 200000);
    EXPECT_EQ(tree.folderCount(), 200000);
    tree.clear();
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(tree.fileCount(), 0u);
}

TEST(FolderTree, SortsEveryLevelCaseSensitivelyAndKeepsRows) {
    FolderTree tree;
    FolderNode* root = tree.addRoot("s");
    for (const char* t : {"B", "b", "A", "a"})
        tree.addChild(root, t);
    FolderNode* deep = tree.addChild(root->children[0], "z");
    tree.addChild(root->children[0], "y");
    tree.sortAll();

    std::string order;
    for (const FolderNode* c : root->children)
        order += c->name;
    EXPECT_EQ(order, "aAbB");
    for (size_t i = 0; i < root->children.size(); ++i)
        EXPECT_EQ(root->children[i]->row, int(i));
    EXPECT_EQ(deep->row, 1);
    EXPECT_EQ(deep->parent->children[0]->name, "y");
}

TEST(FolderTree, FolderSizeSumsEveryDepthWithoutOverflow) {
    test::StockBuilder s;
    FolderNode* root = s.root("s");
    FolderNode* a = s.add(root, "a");
    FolderNode* b = s.add(a, "b");
    s.add(root, "empty");
    for (int i = 0; i < 3; ++i) // three files of nearly 2^64 / 2^32 each
        s.tree.addFile(b, "x")->size = uint64_t(0xffffffffu) << 32;
    s.tree.addFile(a, "y")->size = 10;
    EXPECT_EQ(folderSize(*root->children[1]), 0u);
    EXPECT_EQ(folderSize(*a),
              uint64_t(3) * (uint64_t(0xffffffffu) << 32) + 10); // wraps as unsigned
    EXPECT_EQ(folderSize(*root), folderSize(*a));
}
