// Node blocks, node data, the hidden root and the plain per-node accessors.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "treeview/LazyTrees.Classes.h"
#include "treeview/LazyTreesCore.h"
#ifdef __linux__
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define LT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LT_ASAN 1
#endif
#endif
#ifdef LT_ASAN
#include <sanitizer/asan_interface.h>
#define LT_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define LT_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define LT_POISON(p, n) ((void)(p), (void)(n))
#define LT_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

using enum TLazyNodeState;

namespace {

constexpr uint32_t RoundUp4(uint32_t v) {
    return (v + 3u) & ~3u;
}
constexpr size_t RoundUp8(size_t v) {
    return (v + 7u) & ~size_t(7);
}
// The record's size rounded up to four: where internal areas start (after the user data).
constexpr uint32_t kRecordSize = RoundUp4(sizeof(TLazyNode));

}  // namespace

// ---- Check states ----

namespace {
struct CheckForms {
    TCheckState pressed, unpressed, enabled, toggled;
};
using enum TCheckState;
constexpr CheckForms kCheckForms[] = {
    {csUncheckedPressed, csUncheckedNormal, csUncheckedNormal, csCheckedNormal},         // csUncheckedNormal
    {csUncheckedPressed, csUncheckedNormal, csUncheckedPressed, csCheckedPressed},       // csUncheckedPressed
    {csCheckedPressed, csCheckedNormal, csCheckedNormal, csUncheckedNormal},             // csCheckedNormal
    {csCheckedPressed, csCheckedNormal, csCheckedPressed, csUncheckedPressed},           // csCheckedPressed
    {csMixedPressed, csMixedNormal, csMixedNormal, csCheckedNormal},                     // csMixedNormal
    {csMixedPressed, csMixedNormal, csMixedPressed, csCheckedPressed},                   // csMixedPressed
    {csUncheckedDisabled, csUncheckedDisabled, csUncheckedNormal, csUncheckedDisabled},  // csUncheckedDisabled
    {csCheckedDisabled, csCheckedDisabled, csCheckedNormal, csCheckedDisabled},          // csCheckedDisabled
    {csMixedDisabled, csMixedDisabled, csMixedNormal, csMixedDisabled},                  // csMixedDisabled
};
const CheckForms& FormsOf(TCheckState s) {
    return kCheckForms[static_cast<size_t>(s)];
}
}  // namespace

TCheckState TCheckStateHelper::GetPressed(TCheckState s) {
    return FormsOf(s).pressed;
}
TCheckState TCheckStateHelper::GetUnpressed(TCheckState s) {
    return FormsOf(s).unpressed;
}
TCheckState TCheckStateHelper::GetEnabled(TCheckState s) {
    return FormsOf(s).enabled;
}
TCheckState TCheckStateHelper::GetToggled(TCheckState s) {
    return FormsOf(s).toggled;
}
bool TCheckStateHelper::IsDisabled(TCheckState s) {
    return s == csUncheckedDisabled || s == csCheckedDisabled || s == csMixedDisabled;
}
bool TCheckStateHelper::IsChecked(TCheckState s) {
    return s == csCheckedNormal || s == csCheckedPressed || s == csCheckedDisabled;
}

// ---- Errors ----

namespace lazytree {
void RaiseTreeError(const std::string& message, int helpContext) {
    throw ELazyTreeError(message, helpContext);
}
void RaiseTreeError(int helpContext) {
    for (const auto& e : kTreeErrors)
        if (e.helpContext == helpContext) RaiseTreeError(e.message, helpContext);
    RaiseTreeError(std::string(), helpContext);
}
}  // namespace lazytree

// ---- The record's own data accessors ----

void TLazyNode::SetData(void* pUserData) {
    std::memcpy(Data(), &pUserData, sizeof pUserData);
    States += vsOnFreeNodeCallRequired;
}

void TLazyNode::SetData(IInterface* pUserData) {
    // A reference the node already holds is given back first, so none is lost.
    if (States.Contains(vsReleaseCallOnUserDataRequired)) {
        IInterface* old = nullptr;
        std::memcpy(&old, Data(), sizeof old);
        States -= vsReleaseCallOnUserDataRequired;
        if (old) old->Release();
    }
    if (pUserData) pUserData->AddRef();
    std::memcpy(Data(), &pUserData, sizeof pUserData);
    States += vsOnFreeNodeCallRequired;
    States += vsReleaseCallOnUserDataRequired;
    TLazyTreeCore::NoteInterfaceData(this);
}

// ---- Slabs ----

namespace lazytree {

namespace {

constexpr size_t kHugeSlab = size_t(2) << 20;

// A 2 MiB slab on a 2 MiB boundary, straight from the system, so that it can be one huge page;
// nil when the system gives none (the caller then takes ordinary memory).
std::byte* MapHugeSlab() {
#ifdef __linux__
    void* area = mmap(nullptr, 2 * kHugeSlab, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) return nullptr;
    auto* start = static_cast<std::byte*>(area);
    const auto address = reinterpret_cast<uintptr_t>(start);
    const size_t head = (kHugeSlab - address % kHugeSlab) % kHugeSlab;
    if (head) munmap(start, head);
    std::byte* slab = start + head;
    munmap(slab + kHugeSlab, kHugeSlab - head);
    madvise(slab, kHugeSlab, MADV_HUGEPAGE);
    return slab;
#else
    return nullptr;
#endif
}

void UnmapHugeSlab(std::byte* slab) {
#ifdef __linux__
    munmap(slab, kHugeSlab);
#else
    (void)slab;
#endif
}

// Big slabs a tree gave back, kept for the next big tree of the process with their pages handed
// back to the system (MADV_DONTNEED over a whole aligned 2 MiB range drops a huge page without
// splitting it, which MADV_FREE would): the address range stays reserved and aligned, and the
// pages come back zero when the slab is carved again. What is kept is bounded.
constexpr size_t kPooledSlabs = 128;

struct SlabPool {
    std::mutex lock;
    std::vector<std::byte*> slabs;
};

SlabPool& Pool() {
    // Never destroyed: a tree that goes during static destruction still gives its slabs back.
    static SlabPool* pool = new SlabPool;
    return *pool;
}

void PoolHugeSlab(std::byte* slab) {
#ifdef __linux__
    if (madvise(slab, kHugeSlab, MADV_DONTNEED) != 0) {
        UnmapHugeSlab(slab);
        return;
    }
#endif
    SlabPool& pool = Pool();
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        if (pool.slabs.size() < kPooledSlabs) {
            pool.slabs.push_back(slab);
            return;
        }
    }
    UnmapHugeSlab(slab);
}

// A pooled slab, zero like fresh pages; nil when the pool is empty.
std::byte* TakePooledSlab() {
    SlabPool& pool = Pool();
    std::lock_guard<std::mutex> guard(pool.lock);
    if (pool.slabs.empty()) return nullptr;
    std::byte* slab = pool.slabs.back();
    pool.slabs.pop_back();
    return slab;
}

// How much of a slab is cleared at a time: small enough to stay in the cache until its blocks are
// filled in.
constexpr size_t kClearStep = size_t(64) << 10;

}  // namespace

NodeSlabs::~NodeSlabs() {
    ReleaseSlabs();
}

void NodeSlabs::ReleaseSlabs() {
    for (const Slab& slab : slabs_) {
        LT_UNPOISON(slab.data, slab.bytes);
        if (slab.mapped)
            PoolHugeSlab(slab.data);
        else
            std::free(slab.data);
    }
    slabs_.clear();
    cursor_ = end_ = slabEnd_ = nullptr;
    freeList_ = nullptr;
    reserved_ = 0;
}

size_t NodeSlabs::MappedBytes() const {
    size_t bytes = 0;
    for (const Slab& slab : slabs_)
        if (slab.mapped) bytes += slab.bytes;
    return bytes;
}

void NodeSlabs::SetBlockSize(size_t size) {
    size = RoundUp8(std::max(size, sizeof(void*)));
    if (size == blockSize_) return;
    if (live_ != 0) throw std::logic_error("node block size changed while nodes exist");
    ReleaseSlabs();
    blockSize_ = size;
}

void* NodeSlabs::AllocateSlow() {
    std::byte* block;
    if (freeList_) {
        block = static_cast<std::byte*>(freeList_);
        LT_UNPOISON(block, blockSize_);
        std::memcpy(&freeList_, block, sizeof freeList_);
    } else {
        while (size_t(end_ - cursor_) < blockSize_) {
            if (end_ != slabEnd_) {
                // The next piece of the slab is cleared in one go rather than block by block.
                const size_t step = std::min(kClearStep, size_t(slabEnd_ - end_));
                LT_UNPOISON(end_, step);
                std::memset(end_, 0, step);
                LT_POISON(end_, step);
                end_ += step;
                continue;
            }
            // Slabs grow with the tree: 64 blocks first, doubling; a big tree takes slabs of 2 MiB
            // that the system may back with huge pages, so a million nodes do not cost a page fault
            // every few dozen nodes.
            size_t bytes = (size_t(64) << std::min<size_t>(slabs_.size(), 12)) * blockSize_;
            std::byte* slab = nullptr;
            bool zero = false;
            if (bytes >= kHugeSlab / 2) {
                bytes = kHugeSlab;
                // Pooled and fresh pages alike read as zero.
                slab = TakePooledSlab();
                if (!slab) slab = MapHugeSlab();
                zero = slab != nullptr;
            }
            const bool mapped = slab != nullptr;
            if (!slab) {
                bytes = (bytes + 15) / 16 * 16;
                slab = static_cast<std::byte*>(std::aligned_alloc(16, bytes));
                if (!slab) throw std::bad_alloc();
            }
            LT_POISON(slab, bytes);
            slabs_.push_back({slab, bytes, mapped});
            reserved_ += bytes;
            cursor_ = slab;
            slabEnd_ = slab + bytes;
            end_ = zero ? slabEnd_ : slab;
        }
        // Carved from the cleared part: the block needs no clearing of its own.
        block = cursor_;
        cursor_ += blockSize_;
        LT_UNPOISON(block, blockSize_);
        ++live_;
        return block;
    }
    std::memset(block, 0, blockSize_);
    ++live_;
    return block;
}

void NodeSlabs::ReleaseAll() {
    live_ = 0;
    ReleaseSlabs();
}

void NodeSlabs::Release(void* block) {
    std::memcpy(block, &freeList_, sizeof freeList_);
    freeList_ = block;
    LT_POISON(block, blockSize_);
    if (--live_ == 0) ReleaseSlabs();
}

// ---- The once-per-process set-up ----

const TreeGlobals& InitializeTreeGlobals() {
    static TreeGlobals globals;
    static std::unique_ptr<TCriticalSection> lock;
    static std::once_flag once;
    std::call_once(once, [] {
        lock = std::make_unique<TCriticalSection>();
        globals.lock = lock.get();
        // The blends are plain integer code: offered on every processor.
        globals.mmxAvailable = true;
        globals.isVistaOrAbove = true;
        ++globals.setupRuns;
    });
    return globals;
}

}  // namespace lazytree

// ---- The hidden root ----

TLazyTreeCore* TreeFromNode(PLazyNode Node) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    while (Node->NextSibling != Node) Node = Node->Parent;
    return reinterpret_cast<TLazyTreeCore*>(Node->Parent);
}

void TLazyTreeCore::InitRootNode(uint32_t OldSize) {
    const uint32_t size = kRecordSize + FTotalInternalDataSize;
    if (!FRoot) {
        FRoot = static_cast<PLazyNode>(std::calloc(1, size));
        if (!FRoot) throw std::bad_alloc();
    } else {
        auto* grown = static_cast<PLazyNode>(std::realloc(FRoot, size));
        if (!grown) throw std::bad_alloc();
        FRoot = grown;
        if (size > OldSize) std::memset(reinterpret_cast<std::byte*>(FRoot) + OldSize, 0, size - OldSize);
    }
    FRootBlockSize = size;
    // The root refers to its tree; it is the one node that is its own sibling.
    FRoot->Parent = reinterpret_cast<PLazyNode>(this);
    FRoot->PrevSibling = FRoot;
    FRoot->NextSibling = FRoot;
    FRoot->States = {vsInitialized, vsExpanded, vsHasChildren, vsVisible};
    FRoot->TotalCount = 1;
    FRoot->NodeHeight = static_cast<uint16_t>(FDefaultNodeHeight);
    FRoot->TotalHeight = FDefaultNodeHeight;
    FRoot->Align = 50;
}

uint32_t TLazyTreeCore::AllocateInternalDataArea(uint32_t Size) {
    lazytree::Assert(FRoot->ChildCount == 0, "Internal data allocation must be done before any node is created.");
    const uint32_t offset = kRecordSize + FTotalInternalDataSize;
    FTotalInternalDataSize += RoundUp4(Size);
    InitRootNode(FRootBlockSize);
    return offset;
}

void* TLazyTreeCore::InternalData(PLazyNode Node, uint32_t Offset) const {
    if (!Node || Node == FRoot) return nullptr;
    return reinterpret_cast<std::byte*>(Node) + FLayoutDataSize + Offset;
}

// ---- Node blocks ----

namespace {
// Set when a reference went into a node that belongs to no tree yet: no tree then knows for sure
// that it holds none, and every tree frees its nodes one by one.
std::atomic<bool> gInterfaceDataOutsideTree{false};
}  // namespace

void TLazyTreeCore::NoteInterfaceData(PLazyNode Node) {
    PLazyNode n = Node;
    while (n && n->NextSibling != n) n = n->Parent;
    if (n)
        reinterpret_cast<TLazyTreeCore*>(n->Parent)->FInterfaceData = true;
    else
        gInterfaceDataOutsideTree.store(true);
}

bool TLazyTreeCore::NodesNeedFreeStep() const {
    return OnFreeNode || (FLayoutDataType && FLayoutDataType->Destroy) || FInterfaceData ||
           gInterfaceDataOutsideTree.load();
}

PLazyNode TLazyTreeCore::MakeNodeWithLayout() {
    if (FNodeDataSize == -1) DoGetNodeDataSize(FNodeDataSize);
    int dataSize = std::max(FNodeDataSize, 0);
    if (FSlabs.LiveBlocks() == 0) {
        // Every block of the tree has the same layout; it is fixed when the first block is made.
        FLayoutDataSize = dataSize;
        FLayoutDataType = FDataType && FDataType->Size <= dataSize ? FDataType : nullptr;
        FInterfaceData = false;
        FSlabs.SetBlockSize(kRecordSize + size_t(dataSize) + FTotalInternalDataSize);
    } else if (dataSize != FLayoutDataSize) {
        // A size answered late cannot change blocks that exist: the property follows the blocks.
        FNodeDataSize = FLayoutDataSize;
    }
    PLazyNode node = InitNewNode(FSlabs.Allocate());
    if (FLayoutDataType) {
        try {
            FLayoutDataType->Construct(node->Data());
        } catch (...) {
            FSlabs.Release(node);
            throw;
        }
    }
    return node;
}

void TLazyTreeCore::ForgetNode(PLazyNode Node) {
    auto gone = [&](PLazyNode p) { return p && (Node ? p == Node : p != FRoot); };
    for (PLazyNode* p : {&FLastChangedNode, &FCurrentHotNode, &FDropTargetNode, &FLastStructureChangeNode,
                         &FLastSearchNode, &FLastSelected, &FLastVCLDragTarget})
        if (gone(*p)) *p = nullptr;
    // A box pressed by Space or the mouse whose node goes is released with nothing to apply.
    if (gone(FCheckNode)) {
        FCheckNode = nullptr;
        DoStateChange({}, {TLazyTreeState::tsKeyCheckPending, TLazyTreeState::tsMouseCheckPending});
    }
    // A dragged node that goes during the drag (a handler deleted it) must not be moved later.
    if (!FDragSelection.empty()) {
        if (Node)
            std::erase(FDragSelection, Node);
        else
            FDragSelection.clear();
    }
    if (gone(FNextNodeToSelect)) FNextNodeToSelect = Node ? Node->Parent : FRoot;
}

void TLazyTreeCore::DoFreeNode(PLazyNode Node) {
    ForgetNode(Node);

    // The block goes back also when the handler raises.
    struct Release {
        TLazyTreeCore* tree;
        PLazyNode node;
        ~Release() {
            if (node->States.Contains(vsReleaseCallOnUserDataRequired)) {
                IInterface* ref = nullptr;
                std::memcpy(&ref, node->Data(), sizeof ref);
                if (ref) ref->Release();
            }
            if (tree->FLayoutDataType && tree->FLayoutDataType->Destroy) tree->FLayoutDataType->Destroy(node->Data());
            tree->FSlabs.Release(node);
        }
    } release{this, Node};
    if (OnFreeNode && (Node->States.Contains(vsInitialized) || Node->States.Contains(vsOnFreeNodeCallRequired)))
        OnFreeNode(this, Node);
    if (FUpdateCount == 0) EnsureNodeSelected();
}

// ---- Node data ----

void TLazyTreeCore::SetNodeDataSize(int Value) {
    ChangeNodeLayout(Value, FDataType && FDataType->Size == Value ? FDataType : nullptr);
}

void TLazyTreeCore::ChangeNodeLayout(int DataSize, const TNodeDataType* Type) {
    if (DataSize < -1) DataSize = -1;
    if (DataSize == FNodeDataSize && Type == FDataType) return;
    // Clear does nothing on a read-only tree, so its blocks could not follow a new size: the change is
    // refused rather than letting user data be read beyond a block.
    if (FRoot->ChildCount > 0 && ReadOnly()) return;
    FNodeDataSize = DataSize;
    FDataType = Type;
    const uint32_t count = FRoot->ChildCount;
    Clear();
    SetRootNodeCount(count);
}

void* TLazyTreeCore::GetNodeData(PLazyNode Node) {
    lazytree::Assert(FNodeDataSize > 0, "NodeDataSize not initialized.");
    if (!Node || Node == FRoot) return nullptr;
    return Node->GetData();
}

namespace {
[[noreturn]] void NotEnoughUserData(const char* className) {
    throw ELazyTreeAssertion(std::string(className) +
                             ": Cannot set initial user data because there is not enough user data space allocated.");
}
}  // namespace

void TLazyTreeCore::SetNodeData(PLazyNode pNode, void* pUserData) {
    if (FNodeDataSize < static_cast<int>(sizeof(void*))) NotEnoughUserData(ClassName());
    if (!pNode || pNode == FRoot) return;  // the root has no user data area
    pNode->SetData(pUserData);
}

void TLazyTreeCore::SetNodeData(PLazyNode pNode, IInterface* pUserData) {
    // The reference takes a pointer's room like any user data.
    if (FNodeDataSize < static_cast<int>(sizeof(void*))) NotEnoughUserData(ClassName());
    if (!pNode || pNode == FRoot) return;
    pNode->SetData(pUserData);
}

// ---- Identity and level ----

uint32_t TLazyTreeCore::GetNodeLevel(PLazyNode Node) const {
    uint32_t level = 0;
    if (!Node || Node == FRoot) return 0;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent) ++level;
    return level;
}

PLazyNode TLazyTreeCore::NodeParent(PLazyNode Node) const {
    if (!Node || Node == FRoot || Node->Parent == FRoot) return nullptr;
    return Node->Parent;
}

void TLazyTreeCore::SetNodeParent(PLazyNode Node, PLazyNode Value) {
    if (Value && Node && Value != NodeParent(Node)) MoveTo(Node, Value, TLTNodeAttachMode::amAddChildLast, false);
}

// ---- Accessors ----

uint32_t TLazyTreeCore::ChildCount(PLazyNode Node) const {
    return !Node || Node == FRoot ? FRoot->ChildCount : Node->ChildCount;
}

bool TLazyTreeCore::ChildrenInitialized(PLazyNode Node) const {
    return !(Node->States.Contains(vsHasChildren) && Node->ChildCount == 0);
}

bool TLazyTreeCore::Expanded(PLazyNode Node) const {
    return Node && Node->States.Contains(vsExpanded);
}

bool TLazyTreeCore::HasChildren(PLazyNode Node) const {
    return (Node ? Node : FRoot)->States.Contains(vsHasChildren);
}

void TLazyTreeCore::SetHasChildren(PLazyNode Node, bool Value) {
    if (!Node || ReadOnly()) return;
    if (Value) {
        Node->States += vsHasChildren;
    } else {
        Node->States -= vsHasChildren;
        DeleteChildren(Node, false);
    }
}

bool TLazyTreeCore::IsDisabled(PLazyNode Node) const {
    return Node && Node->States.Contains(vsDisabled);
}

void TLazyTreeCore::SetIsDisabled(PLazyNode Node, bool Value) {
    if (!Node || Value == Node->States.Contains(vsDisabled)) return;
    if (Value)
        Node->States += vsDisabled;
    else
        Node->States -= vsDisabled;
    if (FUpdateCount == 0) InvalidateNode(Node);
}

bool TLazyTreeCore::MultiLine(PLazyNode Node) const {
    return Node && Node != FRoot && Node->States.Contains(vsMultiline);
}

void TLazyTreeCore::SetMultiLine(PLazyNode Node, bool Value) {
    if (!Node || Node == FRoot || Value == Node->States.Contains(vsMultiline)) return;
    if (Value)
        Node->States += vsMultiline;
    else
        Node->States -= vsMultiline;
    if (FUpdateCount == 0) InvalidateNode(Node);
}

bool TLazyTreeCore::Selected(PLazyNode Node) const {
    return Node && Node->States.Contains(vsSelected);
}

void TLazyTreeCore::SetVerticalAlignment(PLazyNode Node, uint8_t Value) {
    Value = std::min<uint8_t>(Value, 100);
    if (Node->Align == Value) return;
    Node->Align = Value;
    if (FullyVisible(Node) && !IsEffectivelyFiltered(Node)) InvalidateNode(Node);
}

bool TLazyTreeCore::IsVisible(PLazyNode Node) {
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    return Node->States.Contains(vsVisible);
}

