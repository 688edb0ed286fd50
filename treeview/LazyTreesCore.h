#pragma once
// The node core of the lazy tree: node blocks carved from per-tree slabs, the hidden root, every
// structural operation with its counts and heights, the tree states, the update brackets, the
// events and their dispatchers, the option sets and the plain properties. It has no widget header:
// the window it lives in is reached through ILazyTreeHost, so the core is tested and fuzzed without a
// display. The control (TBaseLazyTree) derives from it and is the host.
//
// Walks that follow the depth of the tree (deleting a subtree, fix-ups, validation, counting)
// iterate over the links instead of recursing, so no depth can exhaust the stack.
#include <QString>
#include <atomic>
#include <deque>
#include <mutex>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Font.h"
#include "treeview/LazyTreesColors.h"
#include "treeview/LazyTreesHost.h"
#include "treeview/LazyTreesOptions.h"
#include "treeview/LazyTreesTypes.h"

namespace plat {
class TCanvas;
}
class TCriticalSection;
class TLazyTreeCore;
class TStream;
struct TLTLazyNodeEnumeration;
namespace lazytree {
class TWorkerThread;
}
using plat::TCanvas;

// ---- Event types (Sender is the tree) ----
using TLTChangeEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node)>;
using TLTFreeNodeEvent = TLTChangeEvent;
using TLTNodeMovedEvent = TLTChangeEvent;
using TLTNodeCopiedEvent = TLTChangeEvent;
using TLTStructureChangeEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, TChangeReason Reason)>;
using TLTInitNodeEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode ParentNode, PLazyNode Node,
                                            TLazyNodeInitStates& InitialStates)>;
using TLTInitChildrenEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, uint32_t& ChildCount)>;
using TLTGetNodeDataSizeEvent = std::function<void(TLazyTreeCore* Sender, int& NodeDataSize)>;
using TLTNodeMovingEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, PLazyNode Target, bool& Allowed)>;
using TLTNodeCopyingEvent = TLTNodeMovingEvent;
using TLTUpdatingEvent = std::function<void(TLazyTreeCore* Sender, TLTUpdateState State)>;
using TLTStateChangeEvent = std::function<void(TLazyTreeCore* Sender, TLazyTreeStates Enter, TLazyTreeStates Leave)>;
using TLTOperationEvent = std::function<void(TLazyTreeCore* Sender, TLTOperationKind OperationKind)>;
using TLTChangingEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, bool& Allowed)>;
using TLTCompareEvent =
    std::function<void(TLazyTreeCore* Sender, PLazyNode Node1, PLazyNode Node2, TColumnIndex Column, int& Result)>;
using TLTGetNodeProc = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, void* Data, bool& Abort)>;
using TLTSaveNodeEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, TStream& Stream)>;
using TLTSaveTreeEvent = std::function<void(TLazyTreeCore* Sender, TStream& Stream)>;
using TLTCheckChangingEvent =
    std::function<void(TLazyTreeCore* Sender, PLazyNode Node, TCheckState& NewState, bool& Allowed)>;
using TLTFocusChangingEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode OldNode, PLazyNode NewNode,
                                                 TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TLTFocusChangeEvent = std::function<void(TLazyTreeCore* Sender, PLazyNode Node, TColumnIndex Column)>;
using TLTMeasureItemEvent =
    std::function<void(TLazyTreeCore* Sender, TCanvas* TargetCanvas, PLazyNode Node, int& NodeHeight)>;

// A C++ type kept in the user data: constructed when a node block is made, destroyed after
// OnFreeNode, so records with owning members are safe for nodes made in bulk. Destroy is nil for a
// type that needs no destruction, so clearing such a tree need not visit its nodes.
struct TNodeDataType {
    int Size;
    void (*Construct)(void*);
    void (*Destroy)(void*);
};
template <typename T>
const TNodeDataType& NodeDataTypeOf() {
    static_assert(alignof(T) <= 8, "user data starts 8-byte aligned");
    constexpr void (*destroy)(void*) =
        std::is_trivially_destructible_v<T> ? nullptr : +[](void* p) { static_cast<T*>(p)->~T(); };
    static const TNodeDataType type{static_cast<int>(sizeof(T)), [](void* p) { ::new (p) T(); }, destroy};
    return type;
}

// Under AddressSanitizer free blocks are poisoned, so every block is handed out through the checked path.
#if defined(__SANITIZE_ADDRESS__)
#define LT_POISONS_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LT_POISONS_BLOCKS 1
#endif
#endif

namespace lazytree {

// Fixed-size node blocks carved from slabs, zero-filled when handed out (a slab is zeroed whole when
// it is taken); a freed block goes to a free list. No per-node heap header.
class NodeSlabs {
public:
    NodeSlabs() = default;
    ~NodeSlabs();
    NodeSlabs(const NodeSlabs&) = delete;
    NodeSlabs& operator=(const NodeSlabs&) = delete;

    // The block size can change only while no block is handed out.
    void SetBlockSize(size_t size);
    size_t BlockSize() const { return blockSize_; }
    void* Allocate() {
#ifndef LT_POISONS_BLOCKS
        // Carving from a zeroed slab is the common case of a growing tree: a bump of the cursor.
        if (!freeList_ && size_t(end_ - cursor_) >= blockSize_) {
            void* block = cursor_;
            cursor_ += blockSize_;
            ++live_;
            return block;
        }
#endif
        return AllocateSlow();
    }
    void Release(void* block);
    // Takes back every block at once, without visiting them: the caller is done with all of them.
    void ReleaseAll();
    size_t LiveBlocks() const { return live_; }
    size_t ReservedBytes() const { return reserved_; }
    // Of those, the bytes taken from the system outside the heap.
    size_t MappedBytes() const;

private:
    void* AllocateSlow();
    void ReleaseSlabs();
    size_t blockSize_ = 0;
    struct Slab {
        std::byte* data;
        size_t bytes;
        bool mapped;  // taken from the system directly
    };
    std::vector<Slab> slabs_;
    std::byte* cursor_ = nullptr;
    // The slab being carved is zero from cursor_ to end_; it is cleared piecewise up to slabEnd_
    // as it is carved, so that blocks are still in the cache when they are filled in.
    std::byte* end_ = nullptr;
    std::byte* slabEnd_ = nullptr;
    void* freeList_ = nullptr;
    size_t live_ = 0;
    size_t reserved_ = 0;
};

// The once-per-process set-up every tree constructor runs.
struct TreeGlobals {
    int setupRuns = 0;
    bool mmxAvailable = false;
    bool isVistaOrAbove = false;
    TCriticalSection* lock = nullptr;  // the library lock
};
const TreeGlobals& InitializeTreeGlobals();

// The states another thread may change, as the four-bit masks of its state message:
// 1 tsStopValidation, 2 tsUseCache, 4 tsValidating, 8 tsValidationNeeded.
TLazyTreeStates StatesFromWorkerMask(uint32_t Mask);

}  // namespace lazytree

// The tree reached from a node: climbs to the hidden root, which refers to its tree.
TLazyTreeCore* TreeFromNode(PLazyNode Node);

class TLazyTreeCore {
public:
    TLazyTreeCore();
    virtual ~TLazyTreeCore();
    TLazyTreeCore(const TLazyTreeCore&) = delete;
    TLazyTreeCore& operator=(const TLazyTreeCore&) = delete;

    virtual const char* ClassName() const { return "TLazyTreeCore"; }
    void SetHost(ILazyTreeHost* Host);
    ILazyTreeHost* Host() const { return FHost; }

    // ---- Node data and the hidden root ----
    PLazyNode RootNode() const { return FRoot; }
    uint32_t RootNodeCount() const { return FRoot->ChildCount; }
    void SetRootNodeCount(uint32_t Value);
    int NodeDataSize() const { return FNodeDataSize; }
    void SetNodeDataSize(int Value);
    // Keeps a T in every node's user data (NodeDataSize becomes sizeof(T)).
    template <typename T>
    void SetNodeDataType() {
        ChangeNodeLayout(static_cast<int>(sizeof(T)), &NodeDataTypeOf<T>());
    }
    void* GetNodeData(PLazyNode Node);
    template <typename T>
    T* GetNodeData(PLazyNode Node) {
        return static_cast<T*>(GetNodeData(Node));
    }
    void SetNodeData(PLazyNode pNode, void* pUserData);
    void SetNodeData(PLazyNode pNode, IInterface* pUserData);
    void SetNodeData(PLazyNode pNode, std::nullptr_t) { SetNodeData(pNode, static_cast<void*>(nullptr)); }
    uint32_t GetNodeLevel(PLazyNode Node) const;
    PLazyNode NodeParent(PLazyNode Node) const;
    void SetNodeParent(PLazyNode Node, PLazyNode Value);

    // ---- Plain per-node accessors ----
    TCheckState CheckState(PLazyNode Node) const { return Node->CheckState; }
    TCheckType CheckType(PLazyNode Node) const { return Node->CheckType; }
    uint32_t ChildCount(PLazyNode Node) const;
    bool ChildrenInitialized(PLazyNode Node) const;
    bool Expanded(PLazyNode Node) const;
    bool HasChildren(PLazyNode Node) const;
    void SetHasChildren(PLazyNode Node, bool Value);
    bool IsDisabled(PLazyNode Node) const;
    void SetIsDisabled(PLazyNode Node, bool Value);
    bool IsFiltered(PLazyNode Node) const { return Node->States.Contains(TLazyNodeState::vsFiltered); }
    bool MultiLine(PLazyNode Node) const;
    void SetMultiLine(PLazyNode Node, bool Value);
    bool Selected(PLazyNode Node) const;
    uint8_t VerticalAlignment(PLazyNode Node) const { return Node->Align; }
    void SetVerticalAlignment(PLazyNode Node, uint8_t Value);
    bool IsVisible(PLazyNode Node);
    bool IsEffectivelyFiltered(PLazyNode Node) const {
        return Node && Node->States.Contains(TLazyNodeState::vsFiltered) &&
               !FOptions->PaintOptions().Contains(TLTPaintOption::toShowFilteredNodes);
    }
    bool IsEffectivelyVisible(PLazyNode Node) const {
        return Node && Node->States.Contains(TLazyNodeState::vsVisible) && !IsEffectivelyFiltered(Node);
    }
    bool GetEffectivelyFiltered(PLazyNode Node) const { return IsEffectivelyFiltered(Node); }
    bool GetEffectivelyVisible(PLazyNode Node) const { return IsEffectivelyVisible(Node); }
    // Visible and every ancestor expanded and visible.
    bool FullyVisible(PLazyNode Node) const {
        if (!Node) return false;
        if (Node == FRoot) return true;
        if (!Node->States.Contains(TLazyNodeState::vsVisible)) return false;
        for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent)
            if (!p->States.Contains(TLazyNodeState::vsExpanded) || !p->States.Contains(TLazyNodeState::vsVisible))
                return false;
        return true;
    }

    // ---- Structure ----
    virtual PLazyNode AddChild(PLazyNode Parent, void* UserData = nullptr);
    PLazyNode AddChild(PLazyNode Parent, IInterface* UserData);
    PLazyNode AddChild(PLazyNode Parent, std::nullptr_t) { return AddChild(Parent, static_cast<void*>(nullptr)); }
    PLazyNode InsertNode(PLazyNode Node, TLTNodeAttachMode Mode, void* UserData = nullptr);
    void DeleteNode(PLazyNode Node);
    void DeleteChildren(PLazyNode Node, bool ResetHasChildren = false);
    virtual void DeleteSelectedNodes();
    virtual void Clear();
    bool IsEmpty() const { return FRoot->ChildCount == 0; }
    void MoveTo(PLazyNode Source, PLazyNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly);
    void MoveTo(PLazyNode Node, TLazyTreeCore* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly);
    PLazyNode CopyTo(PLazyNode Source, PLazyNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly);
    PLazyNode CopyTo(PLazyNode Source, TLazyTreeCore* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly);
    virtual void SetChildCount(PLazyNode Node, uint32_t NewChildCount);
    uint32_t NodeHeight(PLazyNode Node);
    void SetNodeHeight(PLazyNode Node, uint32_t Value);
    uint32_t DefaultNodeHeight() const { return FDefaultNodeHeight; }
    void SetDefaultNodeHeight(uint32_t Value);
    // Initialises every node and returns the number of nodes.
    uint32_t TotalCount();
    uint32_t VisibleCount() const { return FVisibleCount; }
    // The vertical scroll range: root TotalHeight + BottomSpace - root NodeHeight.
    int64_t RangeY() const;
    int64_t RangeX() const { return FRangeX; }


    // ---- Navigation (plain forms initialise what they hand out, NoInit forms see what exists) ----
    // ConsiderChildrenAbove: walk in children-above order when toChildrenAbove is set.
    PLazyNode GetFirst(bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstNoInit(bool ConsiderChildrenAbove = false);
    PLazyNode GetLast(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLazyNode GetLastNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLazyNode GetNext(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetNextNoInit(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetPrevious(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetPreviousNoInit(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstChild(PLazyNode Node);
    PLazyNode GetFirstChildNoInit(PLazyNode Node);
    PLazyNode GetLastChild(PLazyNode Node);
    PLazyNode GetLastChildNoInit(PLazyNode Node);
    PLazyNode GetNextSibling(PLazyNode Node);
    PLazyNode GetNextSiblingNoInit(PLazyNode Node);
    PLazyNode GetPreviousSibling(PLazyNode Node);
    PLazyNode GetPreviousSiblingNoInit(PLazyNode Node);
    PLazyNode GetFirstVisible(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true, bool IncludeFiltered = false);
    PLazyNode GetFirstVisibleNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                    bool IncludeFiltered = false);
    PLazyNode GetLastVisible(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true, bool IncludeFiltered = false);
    PLazyNode GetLastVisibleNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                   bool IncludeFiltered = false);
    PLazyNode GetNextVisible(PLazyNode Node, bool ConsiderChildrenAbove = true);
    PLazyNode GetNextVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove = true);
    PLazyNode GetPreviousVisible(PLazyNode Node, bool ConsiderChildrenAbove = true);
    PLazyNode GetPreviousVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove = true);
    PLazyNode GetFirstVisibleChild(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetFirstVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetLastVisibleChild(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetLastVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetNextVisibleSibling(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetNextVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetPreviousVisibleSibling(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetPreviousVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered = false);
    PLazyNode GetFirstChecked(TCheckState State = TCheckState::csCheckedNormal, bool ConsiderChildrenAbove = false);
    PLazyNode GetNextChecked(PLazyNode Node, TCheckState State = TCheckState::csCheckedNormal,
                             bool ConsiderChildrenAbove = false);
    PLazyNode GetNextChecked(PLazyNode Node, bool ConsiderChildrenAbove);
    PLazyNode GetPreviousChecked(PLazyNode Node, TCheckState State = TCheckState::csCheckedNormal,
                                 bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstCutCopy(bool ConsiderChildrenAbove = false);
    PLazyNode GetNextCutCopy(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetPreviousCutCopy(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstSelected(bool ConsiderChildrenAbove = false);
    PLazyNode GetNextSelected(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetPreviousSelected(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstInitialized(bool ConsiderChildrenAbove = false);
    PLazyNode GetNextInitialized(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetPreviousInitialized(PLazyNode Node, bool ConsiderChildrenAbove = false);
    PLazyNode GetLastInitialized(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLazyNode GetFirstLeaf();
    PLazyNode GetNextLeaf(PLazyNode Node);
    PLazyNode GetPreviousLeaf(PLazyNode Node);
    PLazyNode GetFirstLevel(uint32_t NodeLevel);
    PLazyNode GetNextLevel(PLazyNode Node, uint32_t NodeLevel);
    PLazyNode GetPreviousLevel(PLazyNode Node, uint32_t NodeLevel);

    // Enumerations for range loops: for (PLazyNode n : tree.VisibleNodes()) ...
    TLTLazyNodeEnumeration Nodes(bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration CheckedNodes(TCheckState State = TCheckState::csCheckedNormal,
                                        bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration ChildNodes(PLazyNode Node);
    TLTLazyNodeEnumeration CutCopyNodes(bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration InitializedNodes(bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration LeafNodes();
    TLTLazyNodeEnumeration LevelNodes(uint32_t NodeLevel);
    TLTLazyNodeEnumeration NoInitNodes(bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration SelectedNodes(bool ConsiderChildrenAbove = false);
    TLTLazyNodeEnumeration VisibleNodes(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                        bool IncludeFiltered = false);
    TLTLazyNodeEnumeration VisibleChildNodes(PLazyNode Node, bool IncludeFiltered = false);
    TLTLazyNodeEnumeration VisibleChildNoInitNodes(PLazyNode Node, bool IncludeFiltered = false);
    TLTLazyNodeEnumeration VisibleNoInitNodes(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                              bool IncludeFiltered = false);

    // Calls Callback for the nodes of Node's subtree (nil: the whole tree) whose states hold Filter;
    // answers the node at which the callback set Abort, else nil. Deleting inside it fails.
    PLazyNode IterateSubtree(PLazyNode Node, const TLTGetNodeProc& Callback, void* Data, TLazyNodeStates Filter = {},
                             bool DoInit = false, bool ChildNodesOnly = false);
    // Zero-based position in normal order over the existing nodes.
    uint32_t AbsoluteIndex(PLazyNode Node);
    bool HasAsParent(PLazyNode Node, PLazyNode PotentialParent) const;
    // Negative when Node1 comes first.
    int32_t CompareNodePositions(PLazyNode Node1, PLazyNode Node2, bool ConsiderChildrenAbove = false) const;
    // The displayed node at Y (Relative: Y counts from the window's top); NodeTop is set only when a
    // node is found. X is not used.
    PLazyNode GetNodeAt(int X, int Y, bool Relative, int& NodeTop);
    PLazyNode GetNodeAt(int X, int Y);

    // ---- Expanding, collapsing, visibility and filtering ----
    virtual void ToggleNode(PLazyNode Node);
    void SetExpanded(PLazyNode Node, bool Value);
    virtual void FullExpand(PLazyNode Node = nullptr);
    virtual void FullCollapse(PLazyNode Node = nullptr);
    void SetVisible(PLazyNode Node, bool Value);
    void SetFullyVisible(PLazyNode Node, bool Value);
    // Every ancestor below the root expanded and visible (the node's own flag is not looked at).
    bool VisiblePath(PLazyNode Node) const;
    void SetVisiblePath(PLazyNode Node, bool Value);
    void SetFiltered(PLazyNode Node, bool Value);
    PLazyNode GetVisibleParent(PLazyNode Node, bool IncludeFiltered = false) const;
    TLTChangingEvent OnExpanding;
    TLTChangingEvent OnCollapsing;
    TLTChangeEvent OnExpanded;
    TLTChangeEvent OnCollapsed;

    // ---- Sorting ----
    virtual void Sort(PLazyNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
    virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
    TLTCompareEvent OnCompareNodes;

    // ---- Position cache (built by the shared worker thread) ----
    // Lookups: the last cache entry at or before Node / Position, its top in CurrentPos; nil and 0
    // when there is none.
    PLazyNode FindInPositionCache(PLazyNode Node, uint32_t& CurrentPos) const;
    PLazyNode FindInPositionCache(uint32_t Position, uint32_t& CurrentPos) const;
    struct TCacheEntry {
        PLazyNode Node;
        uint32_t AbsoluteTop;
    };
    // The cache as it stands (read on the user-interface thread while no build runs).
    const std::vector<TCacheEntry>& PositionCache() const { return FPositionCache; }
    // Runs what the worker handed back (state changes, calls it waits for); the host calls it when
    // woken. Answers whether anything ran.
    bool ProcessWorkerQueue();
    // The build itself; runs on the worker thread.
    virtual bool ValidatePositionCache();
    virtual void InterruptValidation();
    virtual void InvalidateCache();
    virtual void RequestCacheValidation();

    // ---- Initialisation ----
    void ValidateNode(PLazyNode Node, bool Recursive);
    void ValidateChildren(PLazyNode Node, bool Recursive);
    void InitRecursive(PLazyNode Node, uint32_t Levels = 0xFFFFFFFF, bool pVisibleOnly = true);
    virtual void ReinitNode(PLazyNode Node, bool Recursive);
    virtual void ReinitChildren(PLazyNode Node, bool Recursive);
    virtual void ResetNode(PLazyNode Node);

    // ---- Updates ----
    virtual void BeginUpdate();
    virtual void EndUpdate();
    void BeginSynch();
    void EndSynch();
    uint32_t UpdateCount() const { return FUpdateCount; }

    // ---- Tree states, timers, long operations ----
    TLazyTreeStates TreeStates() const { return FStates; }
    void SetTreeStates(TLazyTreeStates Value) { DoStateChange(Value - FStates, FStates - Value); }
    // The only change of the tree states: fires OnStateChange when something changes, then
    // states := (states + Enter) - Leave.
    virtual void DoStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave = {});
    // Handles the expiry of a window timer (ids 1-8).
    virtual void TimerExpired(int Id);
    void StartOperation(TLTOperationKind OperationKind);
    void EndOperation(TLTOperationKind OperationKind);
    void CancelOperation();
    bool OperationCanceled() const { return FOperationCanceled && FOperationCount > 0; }
    uint32_t OperationCount() const { return FOperationCount; }
    // Failures that could not reach a caller (one while cleaning up after an earlier failure, which
    // is the one raised; a clipboard rendering, whose reader only sees no data), counted so that
    // they stay visible.
    uint64_t SuppressedErrors() const { return FSuppressedErrors; }
    void NoteSuppressedError() { ++FSuppressedErrors; }

    // ---- Check boxes ----
    // Changes a state as a click would: OnChecking asks, OnChecked tells; tri-state boxes pass it to
    // their children and parent (toAutoTristateTracking), radio buttons clear their siblings.
    void SetCheckState(PLazyNode Node, TCheckState Value);
    void SetCheckType(PLazyNode Node, TCheckType Value);
    void SetCheckStateForAll(TCheckState aCheckState, bool pSelectedOnly, bool pExcludeDisabled);
    void ClearChecked();
    // Nodes whose state is exactly csCheckedNormal.
    uint32_t CheckedCount();
    TLTCheckChangingEvent OnChecking;
    TLTChangeEvent OnChecked;

    // ---- Selection and focus ----
    virtual void AddToSelection(PLazyNode Node);
    virtual void RemoveFromSelection(PLazyNode Node);
    void SetSelected(PLazyNode Node, bool Value);
    virtual void ClearSelection();
    void SelectAll(bool VisibleOnly);
    void InvertSelection(bool VisibleOnly);
    virtual void EnsureNodeSelected();
    uint32_t SelectedCount() const { return uint32_t(FSelectionCount); }
    bool SelectionLocked() const { return FSelectionLocked; }
    void SetSelectionLocked(bool Value) { FSelectionLocked = Value; }
    // The selected nodes in tree order, without those below a selected node when Reduce is set.
    TNodeArray GetSortedSelection(bool Reduce) const;
    void SetFocusedNode(PLazyNode Node);
    void SetFocusedColumn(TColumnIndex Value);
    void SetFocusedNodeAndColumn(PLazyNode Node, TColumnIndex Column);
    PLazyNode RangeAnchor() const { return FRangeAnchor; }
    // Range operations of the mouse and keyboard.
    void SelectNodeRange(PLazyNode StartNode, PLazyNode EndNode, bool AddOnly);
    void ToggleNodeRange(PLazyNode StartNode, PLazyNode EndNode);
    void UnselectNodeRange(PLazyNode StartNode, PLazyNode EndNode);
    // The selection array as it stands (address order, the first SelectedCount entries valid).
    const TNodeArray& SelectionArray() const { return FSelection; }
    size_t TempCacheCapacity() const { return FTempNodeCache.size(); }
    TLTChangeEvent OnAddToSelection;
    TLTChangeEvent OnRemoveFromSelection;
    TLTChangeEvent OnChange;
    TLTFocusChangingEvent OnFocusChanging;
    TLTFocusChangeEvent OnFocusChanged;

    // ---- Options ----
    TCustomLazyTreeOptions& TreeOptions() { return *FOptions; }
    const TCustomLazyTreeOptions& TreeOptions() const { return *FOptions; }
    void SetTreeOptions(const TCustomLazyTreeOptions& Value) { Value.AssignTo(*FOptions); }

    // ---- Properties ----
    uint32_t ChangeDelay() const { return FChangeDelay; }
    void SetChangeDelay(uint32_t Value) { FChangeDelay = Value; }
    int BottomSpace() const { return FBottomSpace; }
    void SetBottomSpace(int Value);
    uint32_t Indent() const { return FIndent; }
    void SetIndent(uint32_t Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int TextMargin() const { return FTextMargin; }
    void SetTextMargin(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TLTNodeAlignment NodeAlignment() const { return FNodeAlignment; }
    void SetNodeAlignment(TLTNodeAlignment Value);
    int SelectionCurveRadius() const { return FSelectionCurveRadius; }
    void SetSelectionCurveRadius(int Value);
    TLTLineMode LineMode() const { return FLineMode; }
    void SetLineMode(TLTLineMode Value);
    QString EmptyListMessage() const { return FEmptyListMessage; }
    void SetEmptyListMessage(const QString& Value);
    uint32_t AnimationDuration() const { return FAnimationDuration; }
    void SetAnimationDuration(uint32_t Value);
    // Stored values whose behaviour belongs to painting, input, dragging, hints and editing.
    TDragOperations DragOperations = {TDragOperation::doCopy, TDragOperation::doMove};
    int HotCursor = 0;
    TLTDragImageKind DragImageKind = TLTDragImageKind::diComplete;
    TLTDragType DragType = TLTDragType::dtOLE;
    THintAnimationType HintAnimation = THintAnimationType::hatSystemDefault;
    TLTHintMode HintMode = TLTHintMode::hmDefault;
    uint8_t SelectionBlendFactor = 128;
    TLTButtonStyle ButtonStyle = TLTButtonStyle::bsRectangle;
    TLTButtonFillMode ButtonFillMode = TLTButtonFillMode::fmTreeColor;
    TCheckImageKind CheckImageKind = TCheckImageKind::ckSystemDefault;
    uint32_t AutoExpandDelay = 1000;
    uint32_t AutoScrollDelay = 1000;
    uint32_t AutoScrollInterval = 1;
    TLTNodeAttachMode DefaultPasteMode = TLTNodeAttachMode::amAddChildLast;
    int DragHeight = 350;
    int DragWidth = 200;
    uint32_t EditDelay = 1000;
    uint32_t IncrementalSearchTimeout = 1000;
    TLTSearchStart IncrementalSearchStart = TLTSearchStart::ssFocusedNode;
    TLTSearchDirection IncrementalSearchDirection = TLTSearchDirection::sdForward;
    TLTIncrementalSearch IncrementalSearch = TLTIncrementalSearch::isNone;
    TLTLineStyle LineStyle = TLTLineStyle::lsDotted;
    TLTDrawSelectionMode DrawSelectionMode = TLTDrawSelectionMode::smDottedRectangle;
    bool WantTabs = false;
    QString AccessibleName;
    QString SearchBuffer;

    PLazyNode FocusedNode() const { return FFocusedNode; }
    TColumnIndex FocusedColumn() const { return FFocusedColumn; }
    PLazyNode HotNode() const { return FCurrentHotNode; }
    PLazyNode DropTargetNode() const { return FDropTargetNode; }

    // ---- Appearance ----
    TLTColors& Colors() { return FColors; }
    const TLTColors& Colors() const { return FColors; }
    void SetColors(const TLTColors& Value) { FColors.Assign(Value); }
    // The control's own background colour.
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);
    // The tree's font; a change runs the font scaling check, rebuilds the button pictures and repaints.
    plat::TFont& Font() { return FFont; }
    const plat::TFont& Font() const { return FFont; }
    // The header's font; the header follows the tree's font until it has one of its own.
    virtual const plat::TFont& HeaderFont() const { return FFont; }
    // What a colour change of TLTColors needs (Index -1: all of them).
    void ColorsChanged(int Index);
    // The system colours changed: the check pictures are loaded again and the tree repaints.
    virtual void SystemColorsChanged();

    // Copies the tree's settings (not its nodes: only their top-level count) from Source.
    virtual void Assign(const TLazyTreeCore& Source);

    // With toAutoChangeScale, DefaultNodeHeight grows to the height of "Tg" in the tree's font (it
    // never shrinks). Run when the window is created and when the font changes.
    void AutoScaleCheck();
    // Scales DefaultNodeHeight and Indent by M/D with toAutoChangeScale.
    void ChangeScale(int M, int D);

    // ---- Events ----
    TLTInitNodeEvent OnInitNode;
    TLTInitChildrenEvent OnInitChildren;
    TLTFreeNodeEvent OnFreeNode;
    TLTGetNodeDataSizeEvent OnGetNodeDataSize;
    TLTStructureChangeEvent OnStructureChange;
    TLTChangeEvent OnResetNode;
    TLTNodeMovingEvent OnNodeMoving;
    TLTNodeMovedEvent OnNodeMoved;
    TLTNodeCopyingEvent OnNodeCopying;
    TLTNodeCopiedEvent OnNodeCopied;
    TLTMeasureItemEvent OnMeasureItem;
    TLTUpdatingEvent OnUpdating;
    TLTStateChangeEvent OnStateChange;
    TLTOperationEvent OnStartOperation;
    TLTOperationEvent OnEndOperation;

    // ---- Node stream (LazyTreesStream.cpp) ----
    // Header, node count and the records of Node's subtree (nil: every top-level node), then
    // OnSaveTree.
    virtual void SaveToStream(TStream& Stream, PLazyNode Node = nullptr);
    // Replaces the nodes by the stream's; a stream of the wrong format, version or length leaves the
    // tree as it was. Read-only trees ignore it.
    virtual void LoadFromStream(TStream& Stream);
    // Appends the stream's top-level nodes as the last children of TargetNode (nil or the root: the
    // top level). Read-only trees ignore it.
    void AddFromStream(TStream& Stream, PLazyNode TargetNode);
    // Through an atomic write: a failed save leaves the old file.
    void SaveToFile(const QString& FileName);
    virtual void LoadFromFile(const QString& FileName);
    // The application's data of a node (nil: the hidden root), written and read at the stream's
    // position; what OnSaveNode writes becomes the node's user-data chunk.
    TLTSaveNodeEvent OnSaveNode;
    TLTSaveNodeEvent OnLoadNode;
    TLTSaveTreeEvent OnSaveTree;
    TLTSaveTreeEvent OnLoadTree;

    // Bytes the node blocks take now (slabs reserved), for measurements.
    size_t NodeStoreBytes() const { return FSlabs.ReservedBytes(); }
    size_t NodeStoreMappedBytes() const { return FSlabs.MappedBytes(); }
    size_t NodeBlockSize() const { return FSlabs.BlockSize(); }
    // Node blocks handed out and not yet freed (the hidden root not counted).
    size_t AllocatedNodeCount() const { return FSlabs.LiveBlocks(); }

protected:
    // Set-up that needs the derived object: descendants reserve internal areas in their constructor.
    uint32_t AllocateInternalDataArea(uint32_t Size);
    // An internal area of a node (nil for nil and the root, which has no user data).
    void* InternalData(PLazyNode Node, uint32_t Offset) const;
    void InitRootNode(uint32_t OldSize);
    PLazyNode MakeNewNode() {
        // Inline for a tree whose block layout is fixed already and whose user data is plain bytes.
        if (FSlabs.LiveBlocks() == 0 || FNodeDataSize != FLayoutDataSize || FLayoutDataType) return MakeNodeWithLayout();
        return InitNewNode(FSlabs.Allocate());
    }
    virtual void DoFreeNode(PLazyNode Node);
    // Forgets every reference the tree keeps to Node (nil: to every node but the root), so that none
    // is followed once the node is freed.
    virtual void ForgetNode(PLazyNode Node);
    // Whether freeing a node takes a step of its own (a free handler, user data to destroy, an
    // interface reference to release); without one the whole tree is freed at once. A descendant
    // whose DoFreeNode does more answers true.
    virtual bool NodesNeedFreeStep() const;
    // Frees every node before the derived object goes; the destructor order of the control.
    void DestroyNodes();
    bool Destroying() const { return FDestroying; }
    void ChangeNodeLayout(int DataSize, const TNodeDataType* Type);

    // Structure building blocks.
    virtual void InitNode(PLazyNode Node);
    virtual void InitChildren(PLazyNode Node);
    virtual void InternalConnectNode(PLazyNode Node, PLazyNode Destination, TLazyTreeCore* Target,
                                     TLTNodeAttachMode Mode);
    virtual void InternalDisconnectNode(PLazyNode Node, bool KeepFocus, bool Reindex, bool ParentClearing = false);
    void StructureChanged(PLazyNode Node, TChangeReason Reason);
    void RecordPendingChange(bool IsStructureChange, PLazyNode Node, TChangeReason Reason) {
        if (IsStructureChange) {
            if (FStates.Contains(TLazyTreeState::tsStructureChangePending))
                StopTimer(6);
            else
                DoStateChange({TLazyTreeState::tsStructureChangePending});
            FLastStructureChangeNode = Node;
            if (FLastStructureChangeReason == TChangeReason::crIgnore)
                FLastStructureChangeReason = Reason;
            else if (Reason != TChangeReason::crIgnore)
                FLastStructureChangeReason = TChangeReason::crAccumulated;
        } else {
            if (FStates.Contains(TLazyTreeState::tsChangePending))
                StopTimer(5);
            else
                DoStateChange({TLazyTreeState::tsChangePending});
            FLastChangedNode = Node;
        }
    }
    uint32_t CountVisibleChildren(PLazyNode Node) const;
    void UpdateChildrenHiddenFlag(PLazyNode Node);
    void UpdateAllChildrenHiddenFlags();
    void AdjustTotalCount(PLazyNode Node, int64_t Value, bool Relative = false) {
        if (!Relative) Value -= Node->TotalCount;
        if (Value == 0) return;
        // Up to the root, the one node that is its own sibling.
        for (PLazyNode n = Node;; n = n->Parent) {
            n->TotalCount = static_cast<uint32_t>(int64_t(n->TotalCount) + Value);
            if (n->NextSibling == n) break;
        }
    }
    void AdjustTotalHeight(PLazyNode Node, int64_t Value, bool Relative = false);
    void FixupTotalCount(PLazyNode Node);
    void FixupTotalHeight(PLazyNode Node);
    void SetUpdateState(bool Updating);
    virtual void MeasureItemHeight(TCanvas* Canvas, PLazyNode Node);
    // A node moved to, or copied into, another tree travels through the node stream; a move answers
    // whether the nodes went.
    virtual bool MoveNodesToTree(PLazyNode Source, PLazyNode Target, TLazyTreeCore* TargetTree, TLTNodeAttachMode Mode,
                                 bool ChildrenOnly);
    virtual PLazyNode CopyNodesToTree(PLazyNode Source, PLazyNode Target, TLazyTreeCore* TargetTree,
                                      TLTNodeAttachMode Mode, bool ChildrenOnly);

    // Node stream building blocks. A record is written and read walking the subtree with a stack of
    // its own; the base chunk with the child records is the walk's, the chunks after it are
    // WriteChunks' and ReadChunk's.
    void WriteNode(TStream& Stream, PLazyNode Node);
    // The chunks that follow the node's base chunk: the user-data chunk unless OnSaveNode wrote nothing.
    virtual void WriteChunks(TStream& Stream, PLazyNode Node);
    void FinishChunkHeader(TStream& Stream, int64_t StartPos, int64_t EndPos);
    // One record into Node, bounded by the stream's end.
    void ReadNode(TStream& Stream, int Version, PLazyNode Node);
    // A chunk other than the base chunk whose header was read; true when it was understood and used.
    // The stream is set to the chunk's end afterwards whatever the reader consumed.
    virtual bool ReadChunk(TStream& Stream, int Version, PLazyNode Node, int ChunkType, int ChunkSize);
    void SkipNode(TStream& Stream);
    // Reads a record into Node, connected already, and brings counts, heights, the visible count and
    // the selection in step; a record that fails is freed again before the error goes on.
    void InternalAddFromStream(TStream& Stream, int Version, PLazyNode Node);
    virtual void DoSaveUserData(PLazyNode Node, TStream& Stream);
    virtual void DoLoadUserData(PLazyNode Node, TStream& Stream);

    // Toggle dispatchers: each fires its event.
    virtual bool DoExpanding(PLazyNode Node);
    virtual void DoExpanded(PLazyNode Node);
    virtual bool DoCollapsing(PLazyNode Node);
    virtual void DoCollapsed(PLazyNode Node);
    virtual int DoCompare(PLazyNode Node1, PLazyNode Node2, TColumnIndex Column);
    // Whether comparisons can order anything: a descendant that overrides DoCompare answers true.
    virtual bool CanCompare() const { return static_cast<bool>(OnCompareNodes); }
    // toAutoSort with a sort column and a comparison: without a comparison a sort keeps every order,
    // so the automatic one would only initialise nodes for nothing.
    bool AutoSortActive() const {
        return FOptions->AutoOptions().Contains(TLTAutoOption::toAutoSort) && SortColumn() > InvalidColumn &&
               CanCompare();
    }
    // Scrolling after a toggle and the toggle animation belong to the control.
    virtual void AnimateToggle(PLazyNode, int64_t /*HeightDelta*/, bool /*Expanding*/) {}
    virtual void AdjustScrollAfterToggle(PLazyNode Node, int64_t /*HeightDelta*/, bool /*Expanded*/) {
        InvalidateToBottom(Node);
    }
    // Dispatchers: each fires its event and supplies the default answer.
    virtual void DoInitNode(PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& InitStates);
    virtual bool DoInitChildren(PLazyNode Node, uint32_t& ChildCount);
    virtual void DoGetNodeDataSize(int& Size);
    virtual void DoStructureChange(PLazyNode Node, TChangeReason Reason);
    virtual void DoUpdating(TLTUpdateState State);
    virtual void DoResetNode(PLazyNode Node);
    virtual bool DoNodeMoving(PLazyNode Node, PLazyNode NewParent);
    virtual void DoNodeMoved(PLazyNode Node);
    virtual bool DoNodeCopying(PLazyNode Node, PLazyNode NewParent);
    virtual void DoNodeCopied(PLazyNode Node);
    virtual void DoMeasureItem(TCanvas* TargetCanvas, PLazyNode Node, int& NodeHeight);
    virtual void DoStartOperation(TLTOperationKind OperationKind);
    virtual void DoEndOperation(TLTOperationKind OperationKind);
    // The pending plain change (selection); the selection code raises OnChange here.
    virtual void DoChange(PLazyNode Node);

    // Hooks into the position cache, selection, focus, toggling, sorting, editing, painting and the
    // clipboard: the structure calls them where it must; they do nothing here until those parts
    // of the tree exist.
    // Selection building blocks (the selection's own file): no repaint, no change notification.
    void InsertIntoSelection(PLazyNode Node) { InsertNodeIntoSelection(Node, false); }
    void InsertNodeIntoSelection(PLazyNode Node, bool ForceInsert);
    // Adds the items (marked and sorted in place); answers whether any was added.
    bool InsertIntoSelection(PLazyNode* NewItems, int NewLength, bool ForceInsert);
    virtual bool AddToSelection(PLazyNode* NewItems, int NewLength, bool ForceInsert);
    // Binary search by address: the node's index, or where it would go.
    bool FindInSelection(PLazyNode Node, int& Index, int LowBound = -1, int HighBound = -1) const;
    // Drops the node from the selection leaving a mark in its entry; PackNodeArray removes marks.
    bool MarkRemovedFromSelection(PLazyNode Node);
    static int PackNodeArray(PLazyNode* Array, int Count);
    static void SortNodeArray(PLazyNode* Array, int L, int R);
    // The marks left by removals inside an update go at its end.
    void CompactSelection();
    void DropSelection();
    void InvalidateAndClearSelection(bool Notify);
    virtual void ResetRangeAnchor();
    void ChooseNextNodeToSelect(PLazyNode Node);
    void AppendToTempCache(PLazyNode Node);
    void ResetTempCache();
    void NotifyChange(PLazyNode Node);
    virtual void ChangeFocusedNode(PLazyNode Node, bool Ask);
    void EnsureFocusedNode();
    virtual bool DoFocusChanging(PLazyNode OldNode, PLazyNode NewNode, TColumnIndex OldColumn, TColumnIndex NewColumn);
    virtual void DoFocusChange(PLazyNode Node, TColumnIndex Column);
    virtual void DoAddToSelection(PLazyNode Node);
    virtual void DoRemoveFromSelection(PLazyNode Node);
    // Whether the column may take the focus (the header answers once there are columns).
    virtual bool ColumnAllowsFocus(TColumnIndex Column) const { return Column == NoColumn; }
    virtual void InvalidateColumn(TColumnIndex) { Invalidate(); }
    // Check logic.
    virtual TCheckState DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState) const;
    virtual bool DoChecking(PLazyNode Node, TCheckState& NewCheckState);
    virtual void DoCheckClick(PLazyNode Node, TCheckState NewCheckState);
    virtual void DoChecked(PLazyNode Node);
    virtual bool CheckParentCheckState(PLazyNode Node, TCheckState NewCheckState);
    virtual bool CancelEditNode() { return true; }
    // Ends a running edit; false when the editor refuses.
    virtual bool EndEditNode() { return true; }
    virtual bool DoCancelEdit() { return false; }
    // Ends the edit of a node that goes: ended, else cancelled, else dropped; it never stays open.
    virtual void AbandonEdit() {
        if (!EndEditNode()) DoCancelEdit();
    }
    virtual void UpdateEditBounds() {}
    virtual void CancelHint() {}
    virtual void EmptyClipboardOfTree() {}
    virtual bool ScrollIntoView(PLazyNode, bool /*Center*/, bool /*Horizontally*/) { return false; }
    virtual void BuildButtonBitmaps() {}
    virtual void RegisterDropTarget(bool /*Register*/) {}
    // The header's sort column and direction; without a header there is no sort column.
    virtual TColumnIndex SortColumn() const { return NoColumn; }
    virtual TSortDirection SortDirection() const { return TSortDirection::sdAscending; }
    virtual TColumnIndex MainColumn() const { return NoColumn; }
    // Until rows have positions, a node's repaint is the whole client area; nothing inside updates.
    // Answers the row's rectangle in client coordinates, (-1, -1, -1, -1) when nothing was invalidated.
    virtual plat::TRect InvalidateNode(PLazyNode Node);
    virtual void InvalidateToBottom(PLazyNode) {
        if (FUpdateCount == 0) Invalidate();
    }
    virtual void UpdateScrollBars(bool DoRepaint);

    // Host services.
    bool HasWindow() const { return FHost && FHost->HasWindow(); }
    void Invalidate();
    void InvalidateFrame();
    virtual void FontChanged();
    void StartTimer(int Id, int IntervalMs);
    void StopTimer(int Id) {
        // Structure changes stop the change timer every time: only a started one costs a call.
        if (FTimersStarted & (1u << Id)) StopStartedTimer(Id);
    }
    void StopStartedTimer(int Id);
    bool ReadOnly() const { return FOptions->MiscOptions().Contains(TLTMiscOption::toReadOnly); }

    friend class TCustomLazyTreeOptions;
    friend class TCustomStringTreeOptions;
    friend TLazyTreeCore* TreeFromNode(PLazyNode Node);
    friend struct TLazyNode;

    ILazyTreeHost* FHost = nullptr;
    std::unique_ptr<TCustomLazyTreeOptions> FOptions;
    PLazyNode FRoot = nullptr;
    uint32_t FRootBlockSize = 0;
    lazytree::NodeSlabs FSlabs;
    int FNodeDataSize = -1;
    // The user-data size and type the existing node blocks were made with.
    int FLayoutDataSize = -1;
    const TNodeDataType* FDataType = nullptr;
    const TNodeDataType* FLayoutDataType = nullptr;
    // A node of the tree may hold an interface reference (set until the tree is empty again).
    bool FInterfaceData = false;
    uint32_t FTotalInternalDataSize = 0;
    TLazyTreeStates FStates;
    uint32_t FUpdateCount = 0;
    uint32_t FSynchUpdateCount = 0;
    uint32_t FVisibleCount = 0;
    uint32_t FDefaultNodeHeight = 18;
    int FBottomSpace = 0;
    int64_t FRangeX = 0;
    uint32_t FChangeDelay = 0;
    PLazyNode FLastStructureChangeNode = nullptr;
    TChangeReason FLastStructureChangeReason = TChangeReason::crIgnore;
    PLazyNode FLastChangedNode = nullptr;
    PLazyNode FFocusedNode = nullptr;
    TColumnIndex FFocusedColumn = NoColumn;
    PLazyNode FCurrentHotNode = nullptr;
    PLazyNode FDropTargetNode = nullptr;
    PLazyNode FNextNodeToSelect = nullptr;
    PLazyNode FLastSelected = nullptr;
    PLazyNode FRangeAnchor = nullptr;
    PLazyNode FCheckNode = nullptr;
    TCheckState FPendingCheckState = TCheckState::csUncheckedNormal;
    int FCheckPropagationCount = 0;
    // The selection: addresses ascending, the first FSelectionCount entries valid (Part of the
    // selection's own file); marks in the low bit wait for PackNodeArray.
    TNodeArray FSelection;
    int FSelectionCount = 0;
    bool FSelectionLocked = false;
    TNodeArray FTempNodeCache;
    uint32_t FTempNodeCount = 0;
    PLazyNode FSingletonNodeArray[1] = {nullptr};
    PLazyNode FLastVCLDragTarget = nullptr;
    // The nodes being dragged out of this tree, only while the drag runs.
    TNodeArray FDragSelection;
    PLazyNode FLastSearchNode = nullptr;
    int FLastSelectionLevel = -1;
    uint32_t FOperationCount = 0;
    uint64_t FSuppressedErrors = 0;
    bool FOperationCanceled = false;
    bool FDestroying = false;
    uint32_t FTimersStarted = 0;  // bit n: timer n may be running
    int64_t FOffsetX = 0;
    int64_t FOffsetY = 0;
    uint32_t FIndent = 18;
    int FMargin = 4;
    int FTextMargin = 4;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    TLTNodeAlignment FNodeAlignment = TLTNodeAlignment::naProportional;
    int FSelectionCurveRadius = 0;
    TLTLineMode FLineMode = TLTLineMode::lmNormal;
    QString FEmptyListMessage;
    uint32_t FAnimationDuration = 200;
    TLTColors FColors{this};
    plat::TColor FColor = plat::clWindow;
    plat::TFont FFont;

private:
    // Position cache and the worker thread's hand-back queue.
    friend class lazytree::TWorkerThread;
    std::vector<TCacheEntry> FPositionCache;
    uint32_t FStartIndex = 0;
    // Counts the changes of tsUseCache: what was found from one valid cache stays valid for the same
    // count.
    uint64_t FCacheGeneration = 0;
    // The node GetNodeAt found last through the cache, with its top: the rows a scroll shows next
    // lie mostly just below it, nearer than the cache entry before them.
    struct {
        PLazyNode Node = nullptr;
        uint32_t Top = 0;
        uint64_t Generation = 0;
    } FLastNodeAt;
    // tsStopValidation as the worker reads it.
    std::atomic<bool> FStopValidation{false};
    // Handed to the worker and not taken back yet (user-interface thread only).
    bool FWorkerListed = false;
    // A call the worker handed back runs now (it may be waiting for it).
    bool FRunningWorkerCall = false;
    std::atomic<uint32_t> FWorkerQueued{0};
    std::mutex FWorkerQueueLock;
    std::deque<std::function<void()>> FWorkerQueue;
    // The worker waits for a call it queued; it runs when the user-interface thread drains the queue.
    void RunOnUiThread(const std::function<void()>& Call);
    // Hands a call to the user-interface thread (worker thread side) and wakes it.
    void QueueCall(std::function<void()> Call);
    void QueueStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave);
    PLazyNode NextVisibleSiblingUp(PLazyNode S, bool Init);
    // The nearest preceding sibling with vsVisible; nil when none.
    PLazyNode PreviousVisibleSiblingOf(PLazyNode Node, bool Init);
    // The last child with vsVisible of an expanded node (the root counts as expanded); nil when none.
    PLazyNode LastShownChild(PLazyNode Node, bool Init);
    PLazyNode FirstVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered, bool Init);
    PLazyNode NextVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init);
    PLazyNode PreviousVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init);
    PLazyNode NextImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init);
    PLazyNode PreviousImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init);
    PLazyNode LastImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init);
    template <typename Pred>
    PLazyNode SearchForward(PLazyNode Node, bool ConsiderChildrenAbove, Pred Accept);
    template <typename Pred>
    PLazyNode SearchBackward(PLazyNode Node, bool ConsiderChildrenAbove, Pred Accept);
    bool ChildrenAboveOrder(bool ConsiderChildrenAbove) const {
        return ConsiderChildrenAbove && FOptions->PaintOptions().Contains(TLTPaintOption::toChildrenAbove);
    }
    void EnsureInitialized(PLazyNode Node);
    void EnsureChildren(PLazyNode Node);
    void SortChildren(PLazyNode Node, TColumnIndex Column, TSortDirection Direction);
    void InternalDeleteNode(PLazyNode Node, bool Reindex, bool ParentClearing);
    // Grows Node's children to NewChildCount with fresh nodes at the end: links, counts and
    // heights, nothing announced.
    void AppendChildren(PLazyNode Node, uint32_t NewChildCount);
    // The first node of a layout, or one with C++ user data to construct.
    PLazyNode MakeNodeWithLayout();
    // A zeroed block as a fresh node: one row of the default height, visible.
    PLazyNode InitNewNode(void* Block) const {
        auto* node = static_cast<PLazyNode>(Block);
        node->TotalCount = 1;
        node->NodeHeight = static_cast<uint16_t>(FDefaultNodeHeight);
        node->TotalHeight = FDefaultNodeHeight;
        node->States = {TLazyNodeState::vsVisible};
        node->Align = 50;
        return node;
    }
    // Marks the tree of Node as holding an interface reference.
    static void NoteInterfaceData(PLazyNode Node);
    // Frees every node at once, with the states and announcements of freeing them one by one;
    // false when some node needs a step of its own.
    bool ReleaseAllNodes();
    // Deletes the children of Node, the whole subtree below it, without recursing.
    std::exception_ptr DeleteSubtreeBelow(PLazyNode Node);
    void FlushStructureChange(PLazyNode Node, TChangeReason Reason);
    void ReinitSubtree(PLazyNode Node, bool Recursive, bool IncludeNode);
    void ValidateSubtree(PLazyNode Node, bool IncludeNode, bool Recursive);
};


// What an enumeration walks over.
enum class TLZLazyNodeEnumerationMode : uint8_t {
    vneAll,
    vneChecked,
    vneChild,
    vneCutCopy,
    vneInitialized,
    vneLeaf,
    vneLevel,
    vneNoInit,
    vneSelected,
    vneVisible,
    vneVisibleChild,
    vneVisibleNoInitChild,
    vneVisibleNoInit
};

struct TLTLazyNodeEnumeration;
// Steps through an enumeration, which must outlive it.
struct TLTLazyNodeEnumerator {
    PLazyNode FNode = nullptr;
    bool FCanModeNext = true;
    TLTLazyNodeEnumeration* FEnumeration = nullptr;
    bool MoveNext();
    PLazyNode Current() const { return FNode; }
};

// A walk over the tree by criterion, usable in a range loop.
struct TLTLazyNodeEnumeration {
    TLZLazyNodeEnumerationMode FMode = TLZLazyNodeEnumerationMode::vneAll;
    TLazyTreeCore* FTree = nullptr;
    bool FConsiderChildrenAbove = false;
    PLazyNode FNode = nullptr;
    uint32_t FNodeLevel = 0;
    TCheckState FState = TCheckState::csCheckedNormal;
    bool FIncludeFiltered = false;

    TLTLazyNodeEnumerator GetEnumerator() { return TLTLazyNodeEnumerator{nullptr, true, this}; }
    // The node after Node (nil: the first one).
    PLazyNode GetNextNode(PLazyNode Node);

    struct Iterator {
        TLTLazyNodeEnumerator e;
        PLazyNode operator*() const { return e.Current(); }
        Iterator& operator++() {
            e.MoveNext();
            return *this;
        }
        bool operator!=(std::nullptr_t) const { return e.FCanModeNext; }
    };
    Iterator begin() {
        Iterator it{GetEnumerator()};
        it.e.MoveNext();
        return it;
    }
    std::nullptr_t end() { return nullptr; }
};

// Raises the update count for a scope and lowers it again, also when an exception passes.
class TUpdateCountGuard {
public:
    explicit TUpdateCountGuard(uint32_t& count) : count_(count) { ++count_; }
    ~TUpdateCountGuard() { --count_; }
    TUpdateCountGuard(const TUpdateCountGuard&) = delete;
    TUpdateCountGuard& operator=(const TUpdateCountGuard&) = delete;

private:
    uint32_t& count_;
};
