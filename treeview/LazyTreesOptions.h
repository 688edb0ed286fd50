#pragma once
// The option sets of the tree. Each set's write accessor applies what a change needs (repaint,
// re-creating the window, re-initialising nodes, fixing heights) on the tree that owns the options.
#include <QStringList>

#include "treeview/LazyTreesTypes.h"

class TLazyTreeCore;

enum class TLTPaintOption : uint8_t {
    toHideFocusRect,
    toHideSelection,
    toHotTrack,
    toPopupMode,
    toShowBackground,
    toShowButtons,
    toShowDropmark,
    toShowHorzGridLines,
    toShowRoot,
    toShowTreeLines,
    toShowVertGridLines,
    toThemeAware,
    toUseBlendedImages,
    toGhostedIfUnfocused,
    toFullVertGridLines,
    toAlwaysHideSelection,
    toUseBlendedSelection,
    toStaticBackground,
    toChildrenAbove,
    toFixedIndent,
    toUseExplorerTheme,
    toHideTreeLinesIfThemed,
    toShowFilteredNodes
};
using TLTPaintOptions = TSet<TLTPaintOption, uint32_t>;

enum class TLTAnimationOption : uint8_t { toAnimatedToggle, toAdvancedAnimatedToggle };
using TLTAnimationOptions = TSet<TLTAnimationOption, uint8_t>;

enum class TLTAutoOption : uint8_t {
    toAutoDropExpand,
    toAutoExpand,
    toAutoScroll,
    toAutoScrollOnExpand,
    toAutoSort,
    toAutoSpanColumns,
    toAutoTristateTracking,
    toAutoHideButtons,
    toAutoDeleteMovedNodes,
    toDisableAutoscrollOnFocus,
    toAutoChangeScale,
    toAutoFreeOnCollapse,
    toDisableAutoscrollOnEdit,
    toAutoBidiColumnOrdering
};
using TLTAutoOptions = TSet<TLTAutoOption, uint16_t>;

enum class TLTSelectionOption : uint8_t {
    toDisableDrawSelection,
    toExtendedFocus,
    toFullRowSelect,
    toLevelSelectConstraint,
    toMiddleClickSelect,
    toMultiSelect,
    toRightClickSelect,
    toSiblingSelectConstraint,
    toCenterScrollIntoView,
    toSimpleDrawSelection,
    toAlwaysSelectNode,
    toRestoreSelection
};
using TLTSelectionOptions = TSet<TLTSelectionOption, uint16_t>;

enum class TLTMiscOption : uint8_t {
    toAcceptOLEDrop,
    toCheckSupport,
    toEditable,
    toFullRepaintOnResize,
    toGridExtensions,
    toInitOnSave,
    toReportMode,
    toToggleOnDblClick,
    toWheelPanning,
    toReadOnly,
    toVariableNodeHeight,
    toFullRowDrag,
    toNodeHeightResize,
    toNodeHeightDblClickResize,
    toEditOnClick,
    toEditOnDblClick,
    toReverseFullExpandHotKey
};
using TLTMiscOptions = TSet<TLTMiscOption, uint32_t>;

enum class TLTStringOption : uint8_t { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using TLTStringOptions = TSet<TLTStringOption, uint8_t>;

enum class TLTExportMode : uint8_t { emAll, emChecked, emUnchecked, emVisibleDueToExpansion, emSelected };

class TCustomLazyTreeOptions {
public:
    explicit TCustomLazyTreeOptions(TLazyTreeCore* AOwner);
    virtual ~TCustomLazyTreeOptions() = default;
    TCustomLazyTreeOptions(const TCustomLazyTreeOptions&) = delete;
    TCustomLazyTreeOptions& operator=(const TCustomLazyTreeOptions&) = delete;

    TLTPaintOptions PaintOptions() const { return FPaintOptions; }
    TLTAnimationOptions AnimationOptions() const { return FAnimationOptions; }
    TLTAutoOptions AutoOptions() const { return FAutoOptions; }
    TLTSelectionOptions SelectionOptions() const { return FSelectionOptions; }
    TLTMiscOptions MiscOptions() const { return FMiscOptions; }
    TLTExportMode ExportMode() const { return FExportMode; }

    void SetPaintOptions(TLTPaintOptions Value);
    void SetAnimationOptions(TLTAnimationOptions Value);
    void SetAutoOptions(TLTAutoOptions Value);
    void SetSelectionOptions(TLTSelectionOptions Value);
    void SetMiscOptions(TLTMiscOptions Value);
    void SetExportMode(TLTExportMode Value) { FExportMode = Value; }

    // Copies the five sets into Dest through its write accessors (not the export mode).
    virtual void AssignTo(TCustomLazyTreeOptions& Dest) const;
    TLazyTreeCore* Owner() const { return FOwner; }

protected:
    friend class TLazyTreeCore;
    TLazyTreeCore* FOwner;
    TLTPaintOptions FPaintOptions;
    TLTAnimationOptions FAnimationOptions;
    TLTAutoOptions FAutoOptions;
    TLTSelectionOptions FSelectionOptions;
    TLTMiscOptions FMiscOptions;
    TLTExportMode FExportMode = TLTExportMode::emAll;
};

// The options of the base tree, with every set published.
class TLazyTreeOptions : public TCustomLazyTreeOptions {
public:
    using TCustomLazyTreeOptions::TCustomLazyTreeOptions;
};

class TCustomStringTreeOptions : public TCustomLazyTreeOptions {
public:
    explicit TCustomStringTreeOptions(TLazyTreeCore* AOwner);
    TLTStringOptions StringOptions() const { return FStringOptions; }
    void SetStringOptions(TLTStringOptions Value);
    void AssignTo(TCustomLazyTreeOptions& Dest) const override;

protected:
    TLTStringOptions FStringOptions;
};

class TStringTreeOptions : public TCustomStringTreeOptions {
public:
    using TCustomStringTreeOptions::TCustomStringTreeOptions;
};

// Reads the option list older form files stored as one property: the old names replace the five
// sets entirely; names that are not old option names are skipped.
void ReadOldOptions(TCustomLazyTreeOptions& Options, const QStringList& OldOptionNames);
