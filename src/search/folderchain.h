#pragma once
// The folders from below a stock's top down to one folder, as a chain of
// links shared by everything found in or below that folder: a row holds its
// folder's link, not a copy of every parent's name, so the rows of a deep
// stock take memory in proportion to the stock, not to its depth squared.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class FolderChain {
  public:
    FolderChain() = default; // the stock's top
    // The folder `name` inside `parent`.
    FolderChain(FolderChain parent, std::string name);

    [[nodiscard]] bool atTop() const { return !node_; }
    [[nodiscard]] size_t depth() const;
    // The innermost folder's name and the folder holding it (at the top: "" and the top).
    [[nodiscard]] const std::string& name() const;
    [[nodiscard]] FolderChain parent() const;
    // The names, outermost first.
    [[nodiscard]] std::vector<std::string> names() const;
    // Appends "\" and a name for each folder, outermost first.
    void appendPath(std::string& out) const;
    // The chain both chains begin with (the deepest folder they share a link for).
    [[nodiscard]] static FolderChain common(FolderChain a, FolderChain b);

    // The same link (not merely equal names).
    [[nodiscard]] bool sameAs(const FolderChain& other) const { return node_ == other.node_; }

  private:
    struct Node;
    explicit FolderChain(std::shared_ptr<Node> node) : node_(std::move(node)) {}
    std::shared_ptr<Node> node_;
};

} // namespace zt
