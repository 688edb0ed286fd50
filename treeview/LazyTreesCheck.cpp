#include "treeview/LazyTreesCheck.h"

#include <string>
#include <vector>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;

namespace {

struct Frame {
    PLazyNode node;
    PLazyNode next;       // the next child to look at
    PLazyNode prev;       // the child looked at last
    uint32_t index;       // children seen so far
    uint64_t count;       // sum of the children's TotalCount
    uint64_t height;      // sum of the visible children's TotalHeight
    bool childrenOnPath;  // the node is the root, or it and all its ancestors are expanded and visible
    uint32_t level;
};

std::string Where(const Frame& f) {
    return " (node at level " + std::to_string(f.level) + ", index " + std::to_string(f.node->Index) + ")";
}

}  // namespace

std::string CheckTreeInvariants(const TLazyTreeCore& Tree) {
    const PLazyNode root = Tree.RootNode();
    if (root->NextSibling != root || root->PrevSibling != root) return "the root is not its own sibling";
    if (TreeFromNode(root) != &Tree) return "the root does not refer to its tree";
    if (root->NodeHeight != Tree.DefaultNodeHeight()) return "the root's height differs from DefaultNodeHeight";
    if (!root->States.Contains(vsExpanded) || !root->States.Contains(vsVisible)) return "the root is not expanded";

    const uint64_t limit = Tree.AllocatedNodeCount();
    uint64_t nodes = 0;
    uint64_t visible = 0;
    std::vector<Frame> stack;
    stack.push_back({root, root->FirstChild, nullptr, 0, 0, 0, true, 0});
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (PLazyNode c = f.next) {
            if (++nodes > limit) return "more linked nodes than blocks handed out (a cycle)";
            if (c->Parent != f.node) return "a child's Parent is not its parent" + Where(f);
            if (c->PrevSibling != f.prev) return "PrevSibling does not match the sibling before" + Where(f);
            if (c->Index != f.index)
                return "Index " + std::to_string(c->Index) + " where " + std::to_string(f.index) + " was expected" +
                       Where(f);
            if (c->NextSibling == c) return "a node other than the root is its own sibling";
            if (f.childrenOnPath && Tree.IsEffectivelyVisible(c)) ++visible;
            f.prev = c;
            f.next = c->NextSibling;
            ++f.index;
            const bool path = f.childrenOnPath && c->States.Contains(vsVisible) && c->States.Contains(vsExpanded);
            const uint32_t level = f.node == root ? 0 : f.level + 1;
            stack.push_back({c, c->FirstChild, nullptr, 0, 0, 0, path, level});
            continue;
        }
        const Frame done = f;
        stack.pop_back();
        PLazyNode n = done.node;
        if (n->LastChild != done.prev) return "LastChild is not the last linked child" + Where(done);
        if ((n->FirstChild == nullptr) != (done.index == 0))
            return "FirstChild does not match the children" + Where(done);
        if (n->ChildCount != done.index)
            return "ChildCount " + std::to_string(n->ChildCount) + " but " + std::to_string(done.index) +
                   " children linked" + Where(done);
        if (n->TotalCount != done.count + 1)
            return "TotalCount " + std::to_string(n->TotalCount) + " where " + std::to_string(done.count + 1) +
                   " was expected" + Where(done);
        const uint64_t own = n == root || !Tree.IsEffectivelyFiltered(n) ? n->NodeHeight : 0;
        const uint64_t height = own + (n->States.Contains(vsExpanded) ? done.height : 0);
        if (n->TotalHeight != height)
            return "TotalHeight " + std::to_string(n->TotalHeight) + " where " + std::to_string(height) +
                   " was expected" + Where(done);
        if (!stack.empty()) {
            Frame& parent = stack.back();
            parent.count += n->TotalCount;
            if (n->States.Contains(vsVisible)) parent.height += n->TotalHeight;
        }
    }
    if (nodes != limit)
        return std::to_string(limit - nodes) + " node blocks are handed out but not linked into the tree";
    if (visible != Tree.VisibleCount())
        return "VisibleCount " + std::to_string(Tree.VisibleCount()) + " where " + std::to_string(visible) +
               " was expected";
    return {};
}
