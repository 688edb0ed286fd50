#pragma once
// Byte-coded structural operations (and toggles, full expand and collapse, hiding, filtering and
// sorting) applied to a lazy tree core and to a naive reference tree (a node with a vector of
// children), compared after every operation, with the invariant checker run; the displayed rows,
// the visible count and the total height are checked against a brute-force walk of the reference.
// The random-operation test and the fuzz target share it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

namespace testing_support {

class TreeOpsDriver {
public:
    // Nodes whose id is a multiple of this answer ivsFiltered when initialised.
    static constexpr uint64_t kFilteredEvery = 5;
    static constexpr size_t kMaxNodes = 300;

    TreeOpsDriver() {
        tree_.SetNodeDataSize(8);
        tree_.OnInitNode = [](TLazyTreeCore*, PLazyNode, PLazyNode Node, TLazyNodeInitStates& States) {
            if (IdOf(Node) % kFilteredEvery == 0) States += TLazyNodeInitState::ivsFiltered;
        };
        root_.height = 0;
    }

    TLazyTreeCore& Tree() { return tree_; }
    size_t NodeCount() const { return order_.size(); }
    size_t Steps() const { return steps_; }

    // Runs every operation of the input; the first difference or broken invariant, or empty.
    std::string Run(const uint8_t* data, size_t size, size_t maxSteps = SIZE_MAX) {
        data_ = data;
        end_ = data + size;
        std::string error = Compare();
        while (error.empty() && data_ < end_ && steps_ < maxSteps) {
            error = Step();
            ++steps_;
        }
        while (error.empty() && updates_ > 0) {
            tree_.EndUpdate();
            --updates_;
            error = Compare();
        }
        return error;
    }

    // One operation from the input.
    std::string Step() {
        const uint8_t op = Take();
        try {
            Apply(op % 22);
        } catch (const ELazyTreeError& e) {
            if (!expectMoveError_) return std::string("unexpected ELazyTreeError: ") + e.what();
            if (e.HelpContext != 2001) return "ELazyTreeError with the wrong help context";
            expectMoveError_ = false;
        } catch (const std::exception& e) {
            return std::string("unexpected exception: ") + e.what();
        }
        if (expectMoveError_) return "moving a node under its own descendant did not raise 2001";
        return Compare();
    }

private:
    struct Ref {
        uint64_t id = 0;
        Ref* parent = nullptr;
        std::vector<std::unique_ptr<Ref>> children;
        bool initialized = false, expanded = false, hasChildren = false, filtered = false, visible = true;
        uint32_t height = 18;
    };

    static uint64_t IdOf(PLazyNode n) {
        uint64_t id;
        std::memcpy(&id, n->Data(), sizeof id);
        return id;
    }
    static void SetId(PLazyNode n, uint64_t id) { std::memcpy(n->Data(), &id, sizeof id); }

    uint8_t Take() { return data_ < end_ ? *data_++ : 0; }

    // A node picked by the next byte: one of the nodes, or the root (nil).
    Ref* Pick() {
        const size_t k = Take() % (order_.size() + 1);
        return k == order_.size() ? &root_ : order_[k];
    }
    PLazyNode Real(Ref* r) { return r == &root_ ? nullptr : real_.at(r->id); }

    std::unique_ptr<Ref> NewRef() {
        auto r = std::make_unique<Ref>();
        r->id = nextId_++;
        r->height = defaultHeight_;
        return r;
    }

    void Init(Ref* r) {
        if (r == &root_ || r->initialized) return;
        r->initialized = true;
        if (r->id % kFilteredEvery == 0) r->filtered = true;
    }

    std::unique_ptr<Ref> Detach(Ref* r) {
        Ref* p = r->parent;
        auto it = std::find_if(p->children.begin(), p->children.end(), [&](auto& c) { return c.get() == r; });
        std::unique_ptr<Ref> owned = std::move(*it);
        p->children.erase(it);
        if (p->children.empty()) {
            p->hasChildren = false;
            if (p != &root_) p->expanded = false;
        }
        return owned;
    }

    // Places nodes, in order, relative to dest.
    void Attach(std::vector<std::unique_ptr<Ref>> nodes, Ref* dest, TLTNodeAttachMode mode) {
        Ref* parent =
            mode == TLTNodeAttachMode::amInsertBefore || mode == TLTNodeAttachMode::amInsertAfter ? dest->parent : dest;
        size_t at = 0;
        switch (mode) {
            case TLTNodeAttachMode::amAddChildFirst:
                at = 0;
                break;
            case TLTNodeAttachMode::amAddChildLast:
                at = parent->children.size();
                break;
            default: {
                auto it = std::find_if(parent->children.begin(), parent->children.end(),
                                       [&](auto& c) { return c.get() == dest; });
                at = size_t(it - parent->children.begin()) + (mode == TLTNodeAttachMode::amInsertAfter ? 1 : 0);
            }
        }
        if (nodes.empty()) return;
        for (auto& n : nodes) n->parent = parent;
        parent->children.insert(parent->children.begin() + long(at), std::make_move_iterator(nodes.begin()),
                                std::make_move_iterator(nodes.end()));
        parent->hasChildren = true;
    }

    void ClearChildren(Ref* r, bool resetHasChildren) {
        if (r->children.empty()) {
            if (resetHasChildren) r->hasChildren = false;
            return;
        }
        r->children.clear();
        if (resetHasChildren) r->hasChildren = false;
        if (r != &root_) r->expanded = false;
    }

    // Visible with every ancestor expanded and visible.
    bool FullyShown(const Ref* r) const {
        if (!r->visible) return false;
        for (const Ref* p = r->parent; p && p != &root_; p = p->parent)
            if (!p->expanded || !p->visible) return false;
        return true;
    }

    static bool Inside(Ref* node, Ref* top) {
        for (Ref* p = node->parent; p; p = p->parent)
            if (p == top) return true;
        return false;
    }

    void Apply(uint8_t op) {
        using enum TLTNodeAttachMode;
        const bool full = order_.size() >= kMaxNodes;
        switch (op) {
            case 0: {  // AddChild
                Ref* p = Pick();
                if (full) return Apply(8);
                auto r = NewRef();
                const uint64_t id = r->id;
                tree_.AddChild(Real(p), reinterpret_cast<void*>(id));
                Init(p);
                std::vector<std::unique_ptr<Ref>> one;
                one.push_back(std::move(r));
                Attach(std::move(one), p, amAddChildLast);
                return;
            }
            case 1: {  // InsertNode
                Ref* d = Pick();
                auto mode = static_cast<TLTNodeAttachMode>(1 + Take() % 4);
                if (full) return Apply(8);
                auto r = NewRef();
                tree_.InsertNode(Real(d), mode, reinterpret_cast<void*>(r->id));
                if (d == &root_)
                    mode = mode == amInsertBefore ? amAddChildFirst : mode == amInsertAfter ? amAddChildLast : mode;
                if (mode == amAddChildFirst || mode == amAddChildLast) Init(d);
                std::vector<std::unique_ptr<Ref>> one;
                one.push_back(std::move(r));
                Attach(std::move(one), d, mode);
                return;
            }
            case 2: {  // DeleteNode
                Ref* n = Pick();
                tree_.DeleteNode(Real(n));
                if (n != &root_) Detach(n);
                return;
            }
            case 3: {  // DeleteChildren
                Ref* n = Pick();
                const bool reset = Take() & 1;
                tree_.DeleteChildren(n == &root_ ? tree_.RootNode() : Real(n), reset);
                ClearChildren(n, reset);
                return;
            }
            case 4: {  // SetChildCount
                Ref* n = Pick();
                const uint32_t k = Take() % 5;
                if (full && k > n->children.size()) return Apply(8);
                const size_t old = n->children.size();
                tree_.SetChildCount(Real(n), k);
                if (k == 0) {
                    ClearChildren(n, false);
                } else if (k > old) {
                    std::vector<std::unique_ptr<Ref>> added;
                    for (size_t i = old; i < k; ++i) added.push_back(NewRef());
                    std::vector<uint64_t> ids;
                    for (auto& a : added) ids.push_back(a->id);
                    Attach(std::move(added), n, amAddChildLast);
                    PLazyNode parent = n == &root_ ? tree_.RootNode() : Real(n);
                    PLazyNode c = parent->LastChild;
                    for (size_t i = ids.size(); i-- > 0 && c; c = c->PrevSibling) {
                        if (IdOf(c) != 0) throw std::logic_error("new children are not the last ones");
                        SetId(c, ids[i]);
                    }
                } else {
                    while (n->children.size() > k) Detach(n->children.back().get());
                }
                return;
            }
            case 5:
            case 6: {  // MoveTo
                Ref* s = Pick();
                Ref* t = Pick();
                auto mode = static_cast<TLTNodeAttachMode>(Take() % 5);
                const bool childrenOnly = op == 6;
                if (s == &root_) return;
                const bool insert = mode == amInsertBefore || mode == amInsertAfter;
                const bool proceeds = (t != s || (insert && childrenOnly)) && mode != amNoWhere;
                if (proceeds) {
                    Init(t);  // the target is initialised before anything is checked
                    expectMoveError_ = t != s && Inside(t, s);
                }
                tree_.MoveTo(Real(s), t == &root_ ? nullptr : Real(t), mode, childrenOnly);
                if (!proceeds || expectMoveError_) return;
                if (t == &root_) mode = amAddChildFirst;
                std::vector<std::unique_ptr<Ref>> moving;
                if (!childrenOnly) {
                    moving.push_back(Detach(s));
                } else {
                    while (!s->children.empty()) moving.push_back(Detach(s->children.front().get()));
                }
                Attach(std::move(moving), t, mode);
                return;
            }
            case 7:  // Clear
                tree_.Clear();
                root_.children.clear();
                return;
            case 8: {  // NodeHeight
                Ref* n = Pick();
                const uint32_t h = Take();
                if (n == &root_) return;
                tree_.SetNodeHeight(Real(n), h);
                n->height = h;
                return;
            }
            case 9: {  // a leaf marked expanded
                Ref* n = Pick();
                if (n == &root_ || !n->children.empty()) return;
                Real(n)->States += TLazyNodeState::vsExpanded;
                n->expanded = true;
                return;
            }
            case 10: {  // ValidateNode
                Ref* n = Pick();
                const bool recursive = Take() & 1;
                tree_.ValidateNode(Real(n), recursive);
                Init(n);
                if (recursive) {
                    std::vector<Ref*> todo{n};
                    while (!todo.empty()) {
                        Ref* r = todo.back();
                        todo.pop_back();
                        Init(r);
                        for (auto& c : r->children) todo.push_back(c.get());
                    }
                }
                return;
            }
            case 11:  // update brackets
                if (updates_ < 3 && (Take() & 1)) {
                    tree_.BeginUpdate();
                    ++updates_;
                } else if (updates_ > 0) {
                    tree_.EndUpdate();
                    --updates_;
                }
                return;
            case 12: {  // ResetNode
                Ref* n = Pick();
                tree_.ResetNode(Real(n));
                if (n == &root_) {
                    root_.children.clear();
                } else {
                    n->children.clear();
                    n->initialized = n->expanded = n->hasChildren = false;
                }
                return;
            }
            case 13: {  // DefaultNodeHeight
                const uint32_t h = Take() % 64;
                tree_.SetDefaultNodeHeight(h);
                defaultHeight_ = h == 0 ? 18 : h;
                return;
            }
            case 15: {  // ToggleNode
                Ref* n = Pick();
                if (n == &root_) return;
                tree_.ToggleNode(Real(n));
                if (n->expanded) {
                    n->expanded = false;
                } else {
                    Init(n);
                    if (!n->children.empty()) n->expanded = true;
                }
                return;
            }
            case 16: {  // FullExpand
                Ref* n = Pick();
                if (order_.empty()) return;
                tree_.FullExpand(Real(n));
                std::vector<Ref*> todo;
                if (n == &root_)
                    for (auto it = root_.children.rbegin(); it != root_.children.rend(); ++it) todo.push_back(it->get());
                else
                    todo.push_back(n);
                while (!todo.empty()) {
                    Ref* r = todo.back();
                    todo.pop_back();
                    Init(r);
                    if (!r->expanded && !r->children.empty()) r->expanded = true;
                    for (auto it = r->children.rbegin(); it != r->children.rend(); ++it) todo.push_back(it->get());
                }
                // The walk's last step reaches the node after the subtree, which it initialises.
                for (Ref* a = n; a != &root_; a = a->parent) {
                    auto& siblings = a->parent->children;
                    auto it = std::find_if(siblings.begin(), siblings.end(), [&](auto& c) { return c.get() == a; });
                    if (++it != siblings.end()) {
                        Init(it->get());
                        break;
                    }
                }
                return;
            }
            case 17: {  // FullCollapse: shown expanded nodes below; the node itself whatever it shows
                Ref* n = Pick();
                if (order_.empty()) return;
                tree_.FullCollapse(Real(n));
                std::vector<Ref*> collapse;
                std::vector<Ref*> todo;
                for (auto& c : n->children) todo.push_back(c.get());
                while (!todo.empty()) {
                    Ref* r = todo.back();
                    todo.pop_back();
                    if (r->expanded && r->hasChildren && FullyShown(r)) collapse.push_back(r);
                    for (auto& c : r->children) todo.push_back(c.get());
                }
                for (Ref* r : collapse) r->expanded = false;
                if (n != &root_ && n->expanded && n->hasChildren) n->expanded = false;
                return;
            }
            case 18: {  // IsVisible
                Ref* n = Pick();
                if (n == &root_) return;
                tree_.SetVisible(Real(n), !n->visible);
                n->visible = !n->visible;
                return;
            }
            case 19: {  // IsFiltered
                Ref* n = Pick();
                const bool value = Take() & 1;
                if (n == &root_) return;
                tree_.SetFiltered(Real(n), value);
                Init(n);
                n->filtered = value;
                return;
            }
            case 20:
            case 21: {  // Sort one level, or the tree, by a key of the id, either way
                Ref* n = Pick();
                const uint8_t how = Take();
                const auto direction = (how & 1) ? TSortDirection::sdDescending : TSortDirection::sdAscending;
                const uint64_t modulus = 2 + (how >> 1) % 5;
                auto key = [modulus](uint64_t id) { return int(id % modulus); };
                tree_.OnCompareNodes = [&](TLazyTreeCore*, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
                    result = key(IdOf(a)) - key(IdOf(b));
                };
                try {
                    if (op == 20)
                        tree_.Sort(Real(n), NoColumn, direction, false);
                    else
                        tree_.SortTree(NoColumn, direction, false);
                } catch (...) {
                    tree_.OnCompareNodes = nullptr;
                    throw;
                }
                tree_.OnCompareNodes = nullptr;
                auto sortRef = [&](Ref* r) {
                    std::stable_sort(r->children.begin(), r->children.end(), [&](auto& a, auto& b) {
                        return direction == TSortDirection::sdAscending ? key(a->id) < key(b->id)
                                                                        : key(a->id) > key(b->id);
                    });
                };
                if (op == 20) {
                    if (n == &root_ || n->hasChildren) sortRef(n);
                    return;
                }
                if (order_.size() < 2) return;
                // Under toAutoSort only expanded levels are sorted.
                const bool autoSort = tree_.TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSort);
                std::vector<Ref*> todo{&root_};
                while (!todo.empty()) {
                    Ref* r = todo.back();
                    todo.pop_back();
                    sortRef(r);
                    for (auto& c : r->children)
                        if (c->initialized && (!autoSort || c->expanded) && c->hasChildren) todo.push_back(c.get());
                }
                return;
            }
            case 14: {  // filtered nodes shown or not
                TLTPaintOptions paint = tree_.TreeOptions().PaintOptions();
                if (paint.Contains(TLTPaintOption::toShowFilteredNodes))
                    paint -= TLTPaintOption::toShowFilteredNodes;
                else
                    paint += TLTPaintOption::toShowFilteredNodes;
                tree_.TreeOptions().SetPaintOptions(paint);
                return;
            }
        }
    }

    // Walks both trees in step; refreshes the node order and the id map on the way.
    std::string Compare() {
        if (std::string e = CheckTreeInvariants(tree_); !e.empty()) return "invariant: " + e;
        order_.clear();
        real_.clear();
        struct Pair {
            Ref* ref;
            PLazyNode node;
        };
        std::vector<Pair> todo{{&root_, tree_.RootNode()}};
        while (!todo.empty()) {
            auto [r, n] = todo.back();
            todo.pop_back();
            if (r != &root_) {
                if (IdOf(n) != r->id)
                    return "node " + std::to_string(IdOf(n)) + " where " + std::to_string(r->id) + " was expected";
                using enum TLazyNodeState;
                if (n->States.Contains(vsInitialized) != r->initialized)
                    return "initialised differs at " + std::to_string(r->id);
                if (n->States.Contains(vsExpanded) != r->expanded)
                    return "expanded differs at " + std::to_string(r->id);
                if (n->States.Contains(vsHasChildren) != r->hasChildren)
                    return "has-children differs at " + std::to_string(r->id);
                if (n->States.Contains(vsFiltered) != r->filtered)
                    return "filtered differs at " + std::to_string(r->id);
                if (n->NodeHeight != r->height) return "height differs at " + std::to_string(r->id);
                if (n->States.Contains(vsVisible) != r->visible) return "visible differs at " + std::to_string(r->id);
                order_.push_back(r);
                real_[r->id] = n;
            }
            if (n->ChildCount != r->children.size())
                return "child count " + std::to_string(n->ChildCount) + " where " + std::to_string(r->children.size()) +
                       " was expected at " + std::to_string(r->id);
            PLazyNode c = n->LastChild;
            for (size_t i = r->children.size(); i-- > 0; c = c->PrevSibling) todo.push_back({r->children[i].get(), c});
        }
        return CompareDisplay();
    }

    // The displayed rows by brute force over the reference: their order, number and heights.
    std::string CompareDisplay() {
        const bool showFiltered = tree_.TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowFilteredNodes);
        std::vector<uint64_t> shown;
        uint64_t height = tree_.RootNode()->NodeHeight;
        std::vector<Ref*> todo;
        for (auto it = root_.children.rbegin(); it != root_.children.rend(); ++it) todo.push_back(it->get());
        while (!todo.empty()) {
            Ref* r = todo.back();
            todo.pop_back();
            if (!r->visible) continue;
            if (!r->filtered || showFiltered) {
                shown.push_back(r->id);
                height += r->height;
            }
            if (r->expanded)
                for (auto it = r->children.rbegin(); it != r->children.rend(); ++it) todo.push_back(it->get());
        }
        std::vector<uint64_t> walked;
        for (PLazyNode n : tree_.VisibleNoInitNodes()) walked.push_back(IdOf(n));
        if (walked != shown) return "displayed rows differ";
        if (tree_.VisibleCount() != shown.size()) return "visible count differs";
        if (tree_.RootNode()->TotalHeight != uint32_t(height)) return "total height differs";
        return {};
    }

    TLazyTreeCore tree_;
    Ref root_;
    std::vector<Ref*> order_;
    std::unordered_map<uint64_t, PLazyNode> real_;
    uint64_t nextId_ = 1;
    uint32_t defaultHeight_ = 18;
    int updates_ = 0;
    size_t steps_ = 0;
    bool expectMoveError_ = false;
    const uint8_t* data_ = nullptr;
    const uint8_t* end_ = nullptr;
};

}  // namespace testing_support
