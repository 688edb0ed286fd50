#pragma once
// Shared types of the lazy tree: the node record and its states, the check enumerations, the tree
// states and the small value types every part of the tree uses. No widget header: the node logic is
// tested and fuzzed without a display.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

// A set over an enumeration whose values are bit positions (value n = bit n), stored in `Storage`.
template <typename E, typename Storage = uint64_t>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E e : values) bits_ |= Bit(e);
    }
    static constexpr TSet FromBits(Storage bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr Storage Bits() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~Bit(e); }
    constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet operator+(E e) const { return FromBits(bits_ | Bit(e)); }
    constexpr TSet operator-(E e) const { return FromBits(bits_ & ~Bit(e)); }
    constexpr TSet& operator+=(TSet o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr TSet& operator-=(TSet o) {
        bits_ &= ~o.bits_;
        return *this;
    }
    constexpr TSet& operator+=(E e) {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& operator-=(E e) {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr Storage Bit(E e) { return Storage(1) << static_cast<unsigned>(e); }
    Storage bits_ = 0;
};

// ---- Node states (bit n of TLazyNode::States = value n) ----
enum class TLazyNodeState : uint8_t {
    vsInitialized,
    vsChecking,
    vsCutOrCopy,
    vsDisabled,
    vsDeleting,
    vsExpanded,
    vsHasChildren,
    vsVisible,
    vsSelected,
    vsOnFreeNodeCallRequired,
    vsAllChildrenHidden,
    vsReleaseCallOnUserDataRequired,
    vsMultiline,
    vsHeightMeasured,
    vsToggling,
    vsFiltered,
    vsInitializing
};
using TLazyNodeStates = TSet<TLazyNodeState, uint32_t>;

// What OnInitNode answers for a node.
enum class TLazyNodeInitState : uint8_t {
    ivsDisabled,
    ivsExpanded,
    ivsHasChildren,
    ivsMultiline,
    ivsSelected,
    ivsFiltered,
    ivsReInit
};
using TLazyNodeInitStates = TSet<TLazyNodeInitState, uint8_t>;

enum class TCheckType : uint8_t { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };

enum class TCheckState : uint8_t {
    csUncheckedNormal,
    csUncheckedPressed,
    csCheckedNormal,
    csCheckedPressed,
    csMixedNormal,
    csMixedPressed,
    csUncheckedDisabled,
    csCheckedDisabled,
    csMixedDisabled
};

// The derived forms of a check state the check logic works with.
struct TCheckStateHelper {
    static TCheckState GetPressed(TCheckState s);
    static TCheckState GetUnpressed(TCheckState s);
    static TCheckState GetEnabled(TCheckState s);
    static TCheckState GetToggled(TCheckState s);
    static bool IsDisabled(TCheckState s);
    static bool IsChecked(TCheckState s);
};

using TColumnIndex = int32_t;
using TColumnPosition = uint32_t;
constexpr TColumnIndex NoColumn = -1;
constexpr TColumnIndex InvalidColumn = -2;

enum class TLTImageKind : uint8_t { ikNormal, ikSelected, ikState, ikOverlay };

// A reference-counted object whose reference a node can hold in its user data.
class IInterface {
public:
    virtual void AddRef() = 0;
    virtual void Release() = 0;

protected:
    ~IInterface() = default;
};

// ---- The node record ----
struct TLazyNode;
using PLazyNode = TLazyNode*;
using TNodeArray = std::vector<PLazyNode>;

// One node. Event handlers read its fields directly and an OnInitNode handler may write `CheckType`
// and `CheckState`; the user data follows the record in the same block.
struct TLazyNode {
    uint32_t Index;       // position among its siblings
    uint32_t ChildCount;  // allocated children (the root: top-level nodes)
    uint16_t NodeHeight;  // own row height
    TLazyNodeStates States;
    uint8_t Align;  // vertical alignment 0..100 of images, button and line joint
    TCheckState CheckState;
    TCheckType CheckType;
    uint8_t Dummy;
    uint32_t TotalCount;   // the node and all its allocated descendants
    uint32_t TotalHeight;  // own height (0 while effectively filtered) + visible children when expanded
    PLazyNode Parent;      // the hidden root for top-level nodes; the tree itself for the root
    PLazyNode PrevSibling;
    PLazyNode NextSibling;
    PLazyNode FirstChild;
    PLazyNode LastChild;

    // Where the user data begins.
    std::byte* Data() { return reinterpret_cast<std::byte*>(this + 1); }
    const std::byte* Data() const { return reinterpret_cast<const std::byte*>(this + 1); }
    // The user data, marking the node so that OnFreeNode fires for it.
    void* GetData() {
        States += TLazyNodeState::vsOnFreeNodeCallRequired;
        return Data();
    }
    template <typename T>
    T* GetData() {
        return static_cast<T*>(GetData());
    }
    // Stores a pointer in the first bytes of the user data.
    void SetData(void* pUserData);
    // Stores an interface reference; the node holds one reference and releases it when freed.
    void SetData(IInterface* pUserData);
};

inline bool IsAssigned(PLazyNode Node) {
    return Node != nullptr;
}

static_assert(sizeof(TLazyNode) == 72, "the node record is part of the interface");
static_assert(offsetof(TLazyNode, States) == 12 && offsetof(TLazyNode, TotalCount) == 20 &&
              offsetof(TLazyNode, Parent) == 32 && offsetof(TLazyNode, LastChild) == 64);

// ---- Tree states (bit n = value n); changed only through DoStateChange ----
enum class TLazyTreeState : uint8_t {
    tsCancelHintAnimation,
    tsChangePending,
    tsCheckPropagation,
    tsCollapsing,
    tsToggleFocusedSelection,
    tsClearPending,
    tsClipboardFlushing,
    tsCopyPending,
    tsCutPending,
    tsDrawSelPending,
    tsDrawSelecting,
    tsEditing,
    tsEditPending,
    tsExpanding,
    tsNodeHeightTracking,
    tsNodeHeightTrackPending,
    tsHint,
    tsInAnimation,
    tsIncrementalSearching,
    tsIncrementalSearchPending,
    tsIterating,
    tsKeyCheckPending,
    tsLeftButtonDown,
    tsLeftDblClick,
    tsMouseCheckPending,
    tsMiddleButtonDown,
    tsMiddleDblClick,
    tsNeedRootCountUpdate,
    tsOLEDragging,
    tsOLEDragPending,
    tsPainting,
    tsRightButtonDown,
    tsRightDblClick,
    tsPopupMenuShown,
    tsScrolling,
    tsScrollPending,
    tsSizing,
    tsStopValidation,
    tsStructureChangePending,
    tsSynchMode,
    tsThumbTracking,
    tsToggling,
    tsUpdateHiddenChildrenNeeded,
    tsUpdating,
    tsUseCache,
    tsUserDragObject,
    tsUseThemes,
    tsValidating,
    tsPreviouslySelectedLocked,
    tsValidationNeeded,
    tsVCLDragging,
    tsVCLDragPending,
    tsVCLDragFinished,
    tsWheelPanning,
    tsWheelScrolling,
    tsWindowCreating,
    tsUseExplorerTheme
};
using TLazyTreeStates = TSet<TLazyTreeState, uint64_t>;
constexpr int kTreeStateCount = 57;

// ---- Structure ----
enum class TLTNodeAttachMode : uint8_t { amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast };
enum class TChangeReason : uint8_t {
    crIgnore,
    crAccumulated,
    crChildAdded,
    crChildDeleted,
    crNodeAdded,
    crNodeCopied,
    crNodeMoved
};
enum class TLTUpdateState : uint8_t { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };
enum class TSortDirection : uint8_t { sdAscending, sdDescending };
enum class TLTOperationKind : uint8_t {
    okAutoFitColumns,
    okGetMaxColumnWidth,
    okSortNode,
    okSortTree,
    okExport,
    okExpand
};

// ---- Values of the published properties ----
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TBorderStyle : uint8_t { bsNone, bsSingle };
enum class TLTButtonStyle : uint8_t { bsRectangle, bsTriangle };
enum class TLTButtonFillMode : uint8_t { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum class TCheckImageKind : uint8_t {
    ckLightCheck,
    ckDarkCheck,
    ckLightTick,
    ckDarkTick,
    ckFlat,
    ckXP,
    ckCustom,
    ckSystemFlat,
    ckSystemDefault
};
enum class TDragOperation : uint8_t { doCopy, doMove, doLink };
using TDragOperations = TSet<TDragOperation, uint8_t>;
enum class TLTDragImageKind : uint8_t { diComplete, diMainColumnOnly, diNoImage };
enum class TLTDragType : uint8_t { dtOLE, dtVCL };
// Where a drop lands relative to the node under the mouse.
enum class TDropMode : uint8_t { dmNowhere, dmAbove, dmOnNode, dmBelow };
enum class TDragState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
enum class THintAnimationType : uint8_t { hatNone, hatFade, hatSlide, hatSystemDefault };
enum class TLTHintMode : uint8_t { hmDefault, hmHint, hmHintAndDefault, hmTooltip };
enum class TLTIncrementalSearch : uint8_t { isAll, isNone, isInitializedOnly, isVisibleOnly };
enum class TLTSearchDirection : uint8_t { sdForward, sdBackward };
enum class TLTSearchStart : uint8_t { ssAlwaysStartOver, ssLastHit, ssFocusedNode };
enum class TLTNodeAlignment : uint8_t { naFromBottom, naFromTop, naProportional };
enum class TLTLineStyle : uint8_t { lsCustomStyle, lsDotted, lsSolid };
enum class TLTLineMode : uint8_t { lmNormal, lmBands };
enum class TLTDrawSelectionMode : uint8_t { smDottedRectangle, smBlendedRectangle };

// ---- Errors ----
// The library's own error, with its help context.
class ELazyTreeError : public std::runtime_error {
public:
    ELazyTreeError(const std::string& message, int helpContext)
        : std::runtime_error(message), HelpContext(helpContext) {}
    int HelpContext;
};

// A broken precondition: the exception carries the assertion's message.
class ELazyTreeAssertion : public std::logic_error {
public:
    explicit ELazyTreeAssertion(const std::string& message) : std::logic_error(message) {}
};

namespace lazytree {
// Help contexts and messages of ELazyTreeError.
struct TreeErrorText {
    int helpContext;
    const char* message;
};
inline constexpr TreeErrorText kTreeErrors[] = {
    {2001, "Target node cannot be a child node of the node to be moved."},
    {2002, "Unable to load tree structure, the format is wrong."},
    {2003, "Unable to load tree structure, the version is unknown."},
    {2004, "Unable to load tree structure, not enough data available."},
    {2005, "Stream data corrupt. A node's anchor chunk is missing."},
    {2006, "Stream data corrupt. Unexpected data after node's end position."},
    {2007, "Clipboard operation failed."},
};
// Raises ELazyTreeError with the message of the help context (2001..2007).
[[noreturn]] void RaiseTreeError(int helpContext);
[[noreturn]] void RaiseTreeError(const std::string& message, int helpContext);
// Raises ELazyTreeAssertion when the condition fails.
inline void Assert(bool condition, const char* message) {
    if (!condition) throw ELazyTreeAssertion(message);
}
}  // namespace lazytree
