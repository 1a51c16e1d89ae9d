#include "manage/export.h"

#include "platform/textfile.h"

#include <utility>
#include <vector>

namespace zt {

std::string_view stripExtension(std::string_view name) {
    // A leading dot starts a hidden file's name, not an extension: ".profile"
    // would otherwise become an empty line.
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string fileNameListBytes(const FolderTree& tree, const FolderNode* selected,
                              const ExportOptions& options) {
    const FolderNode* start = options.range == ExportRange::WholeStock ? tree.root() : selected;
    if (!start) return {};
    const bool files = options.kind != ExportKind::Folders;
    const bool folders = options.kind != ExportKind::Files;
    const bool recurse = options.range != ExportRange::FolderOnly;

    TextFileBuilder out;
    auto writeFiles = [&](const FolderNode& node) {
        if (!files) return;
        for (const FileRecord* f = node.firstFile; f; f = f->next)
            out.line(options.stripExtensions ? stripExtension(f->name()) : f->name());
    };

    // Explicit stack of (folder, next child to visit): no recursion, so a very
    // deep tree cannot exhaust the call stack.
    std::vector<std::pair<const FolderNode*, size_t>> stack;
    writeFiles(*start);
    stack.emplace_back(start, 0);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->children.size()) {
            stack.pop_back();
            continue;
        }
        const FolderNode* child = node->children[next++];
        if (folders) out.line(child->name);
        if (recurse) {
            writeFiles(*child);
            stack.emplace_back(child, 0);
        }
    }
    return out.bytes();
}

} // namespace zt
