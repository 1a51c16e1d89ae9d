// Arbitrary bytes as a stock file: the reader never crashes or recurses, and
// what it read is written so that it reads back to the very same bytes.
#include "catalogue/stockfile.h"
#include "platform/piecereader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    using namespace zt;

    FolderTree tree;
    int folders = 0;
    const auto r = parseStock(in, "stock", tree, {}, [&] {
        ++folders;
        return false;
    });
    check(r.status == StockReadStatus::Completed);
    check(tree.root() != nullptr && tree.root()->level == 0);
    check(tree.folderCount() <= folders); // a folder record cut short is not added

    // Read piece by piece, the same bytes give the same tree.
    FolderTree pieces;
    PieceReader reader(1 + (size % 97));
    reader.openBytes(in);
    (void)readStock(reader, "stock", pieces);
    check(serializeStock(pieces) == serializeStock(tree));

    const std::string once = serializeStock(tree);
    FolderTree again;
    const auto r2 = parseStock(once, "stock", again);
    check(r2.formatMark == kStockFormatMark && r2.folderCount == tree.folderCount());
    check(again.nodeCount() == tree.nodeCount());
    check(serializeStock(again) == once);

    // Sorting keeps every node and the rows right.
    tree.sortAll();
    bool rowsRight = true;
    tree.forEachPreOrder([&](FolderNode& n) {
        for (size_t i = 0; i < n.children.size(); ++i)
            rowsRight = rowsRight && n.children[i]->row == int(i) && n.children[i]->parent == &n;
        return true;
    });
    check(rowsRight);
    return 0;
}
