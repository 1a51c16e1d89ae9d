#include "search/folderchain.h"

#include <algorithm>

namespace zt {

struct FolderChain::Node {
    std::string name;
    std::shared_ptr<Node> parent;
    size_t depth = 1;

    // Links are let go one by one: a chain 100,000 folders deep would
    // otherwise be destroyed by as many nested calls.
    ~Node() {
        std::shared_ptr<Node> next = std::move(parent);
        while (next && next.use_count() == 1)
            next = std::move(next->parent);
    }
};

FolderChain::FolderChain(FolderChain parent, std::string name) : node_(std::make_shared<Node>()) {
    node_->name = std::move(name);
    node_->depth = parent.depth() + 1;
    node_->parent = std::move(parent.node_);
}

size_t FolderChain::depth() const {
    return node_ ? node_->depth : 0;
}

const std::string& FolderChain::name() const {
    static const std::string none;
    return node_ ? node_->name : none;
}

FolderChain FolderChain::parent() const {
    return node_ ? FolderChain(node_->parent) : FolderChain();
}

std::vector<std::string> FolderChain::names() const {
    std::vector<std::string> out(depth());
    size_t i = out.size();
    for (const Node* n = node_.get(); n; n = n->parent.get())
        out[--i] = n->name;
    return out;
}

void FolderChain::appendPath(std::string& out) const {
    size_t length = 0;
    for (const Node* n = node_.get(); n; n = n->parent.get())
        length += 1 + n->name.size();
    out.resize(out.size() + length);
    size_t end = out.size();
    for (const Node* n = node_.get(); n; n = n->parent.get()) {
        end -= n->name.size();
        std::copy(n->name.begin(), n->name.end(), out.begin() + std::ptrdiff_t(end));
        out[--end] = '\\';
    }
}

FolderChain FolderChain::common(FolderChain a, FolderChain b) {
    while (a.depth() > b.depth())
        a = a.parent();
    while (b.depth() > a.depth())
        b = b.parent();
    while (!a.sameAs(b)) {
        a = a.parent();
        b = b.parent();
    }
    return a;
}

} // namespace zt
