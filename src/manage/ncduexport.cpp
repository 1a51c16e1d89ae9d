#include "manage/ncduexport.h"

#include <cstdio>
#include <vector>

namespace zt {

namespace {

// 100-ns ticks from 1601 to 1970.
constexpr uint64_t kUnixEpochTicks = 116'444'736'000'000'000ull;
constexpr size_t kPieceBytes = 1 << 16;

void appendTimes(std::string& out, FileTime modified) {
    if (modified.ticks < kUnixEpochTicks) return; // not known, or before 1970
    out += ",\"mtime\":";
    out += std::to_string((modified.ticks - kUnixEpochTicks) / 10'000'000);
}

void appendFolder(std::string& out, const FolderNode& node) {
    out += "[{\"name\":";
    appendNcduName(out, node.name);
    appendTimes(out, node.modified);
    out += '}';
}

void appendFile(std::string& out, const FileRecord& file) {
    out += ",\n{\"name\":";
    appendNcduName(out, file.name());
    const std::string size = std::to_string(file.size);
    out += ",\"asize\":" + size + ",\"dsize\":" + size;
    appendTimes(out, file.modified);
    out += '}';
}

} // namespace

void appendNcduName(std::string& out, std::string_view name) {
    out += '"';
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    out += '"';
}

bool writeNcduExport(const FolderTree& tree, const NcduMetadata& metadata, const NcduSink& sink) {
    if (!tree.root()) return false;
    std::string out = "[1,2,{\"progname\":\"zutomelark\",\"progver\":";
    appendNcduName(out, metadata.progver);
    out += ",\"timestamp\":" + std::to_string(metadata.timestamp) + "},\n";
    // Each open folder with the next of its children to write.
    struct Open {
        const FolderNode* node;
        size_t next;
    };
    std::vector<Open> stack;
    // A folder of a million files is still written in pieces.
    const auto flush = [&] {
        if (out.size() < kPieceBytes) return true;
        const bool taken = sink(out);
        out.clear();
        return taken;
    };
    const auto enter = [&](const FolderNode& n) {
        appendFolder(out, n);
        for (const FileRecord* f = n.firstFile; f; f = f->next) {
            appendFile(out, *f);
            if (!flush()) return false;
        }
        stack.push_back({&n, 0});
        return true;
    };
    if (!enter(*tree.root())) return false;
    while (!stack.empty()) {
        if (!flush()) return false;
        Open& top = stack.back();
        if (top.next < top.node->children.size()) {
            const FolderNode* child = top.node->children[top.next++];
            out += ",\n";
            if (!enter(*child)) return false;
        } else {
            out += ']';
            stack.pop_back();
        }
    }
    out += "]\n";
    return sink(out);
}

} // namespace zt
