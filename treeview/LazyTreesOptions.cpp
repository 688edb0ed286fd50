// The option sets and their write side effects; the reading of the old option list.
#include "treeview/LazyTreesOptions.h"

#include "treeview/LazyTreesCore.h"

using enum TLTPaintOption;
using enum TLTAutoOption;
using enum TLTSelectionOption;
using enum TLTMiscOption;
using enum TLazyTreeState;

TCustomLazyTreeOptions::TCustomLazyTreeOptions(TLazyTreeCore* AOwner)
    : FOwner(AOwner),
      FPaintOptions{toShowButtons, toShowDropmark, toShowRoot, toShowTreeLines, toThemeAware, toUseBlendedImages},
      FAutoOptions{toAutoDropExpand,       toAutoScrollOnExpand,   toAutoSort,
                   toAutoTristateTracking, toAutoDeleteMovedNodes, toAutoChangeScale},
      FMiscOptions{toAcceptOLEDrop,    toFullRepaintOnResize, toInitOnSave,
                   toToggleOnDblClick, toWheelPanning,        toEditOnClick} {}

void TCustomLazyTreeOptions::SetAnimationOptions(TLTAnimationOptions Value) {
    FAnimationOptions = Value;
}

void TCustomLazyTreeOptions::SetAutoOptions(TLTAutoOptions Value) {
    if (Value == FAutoOptions) return;
    const bool spanChanged = Value.Contains(toAutoSpanColumns) != FAutoOptions.Contains(toAutoSpanColumns);
    FAutoOptions = Value;
    if (spanChanged && FOwner->HasWindow()) FOwner->Invalidate();
}

void TCustomLazyTreeOptions::SetSelectionOptions(TLTSelectionOptions Value) {
    if (Value == FSelectionOptions) return;
    const TLTSelectionOptions added = Value - FSelectionOptions;
    const TLTSelectionOptions removed = FSelectionOptions - Value;
    FSelectionOptions = Value;
    if (added.Contains(toMultiSelect) || removed.Contains(toMultiSelect) || added.Contains(toLevelSelectConstraint) ||
        added.Contains(toSiblingSelectConstraint))
        FOwner->ClearSelection();
    if (removed.Contains(toExtendedFocus) && FOwner->FFocusedColumn > 0 && FOwner->HasWindow()) {
        FOwner->FFocusedColumn = FOwner->MainColumn();
        FOwner->Invalidate();
    }
    if (!Value.Contains(toExtendedFocus)) FOwner->FFocusedColumn = FOwner->MainColumn();
}

namespace {
// The worker thread reads the paint and miscellaneous options while it builds the position cache:
// it is stopped before they change, and the cache is built again afterwards.
class CacheBuildPause {
public:
    explicit CacheBuildPause(TLazyTreeCore& tree) : tree_(tree) {
        const TLazyTreeStates states = tree.TreeStates();
        wanted_ = states.Contains(TLazyTreeState::tsUseCache) || states.Contains(TLazyTreeState::tsValidationNeeded) ||
                  states.Contains(TLazyTreeState::tsValidating);
        tree.InterruptValidation();
    }
    ~CacheBuildPause() {
        if (!wanted_ || tree_.UpdateCount() > 0) return;
        try {
            tree_.InvalidateCache();
            tree_.RequestCacheValidation();
        } catch (...) {
            // A state-change handler that raises leaves the cache unused; the tree stays whole.
        }
    }
    CacheBuildPause(const CacheBuildPause&) = delete;
    CacheBuildPause& operator=(const CacheBuildPause&) = delete;

private:
    TLazyTreeCore& tree_;
    bool wanted_ = false;
};
}  // namespace

void TCustomLazyTreeOptions::SetMiscOptions(TLTMiscOptions Value) {
    if (Value == FMiscOptions) return;
    CacheBuildPause pause(*FOwner);
    const TLTMiscOptions added = Value - FMiscOptions;
    const TLTMiscOptions removed = FMiscOptions - Value;
    FMiscOptions = Value;
    if (!FOwner->HasWindow()) return;
    if (added.Contains(toCheckSupport) || removed.Contains(toCheckSupport)) FOwner->Invalidate();
    if (removed.Contains(toAcceptOLEDrop)) FOwner->RegisterDropTarget(false);
    if (added.Contains(toFullRepaintOnResize) || removed.Contains(toFullRepaintOnResize))
        FOwner->FHost->RecreateWindow();
    if (added.Contains(toAcceptOLEDrop)) FOwner->RegisterDropTarget(true);
    if (added.Contains(toVariableNodeHeight)) {
        // Every node is initialised again, so that its height gets measured.
        FOwner->BeginUpdate();
        try {
            FOwner->ReinitNode(nullptr, true);
        } catch (...) {
            FOwner->EndUpdate();
            throw;
        }
        FOwner->EndUpdate();
    }
}

void TCustomLazyTreeOptions::SetPaintOptions(TLTPaintOptions Value) {
    if (Value == FPaintOptions) return;
    CacheBuildPause pause(*FOwner);
    if (Value.Contains(toFixedIndent) && !FPaintOptions.Contains(toFixedIndent)) Value += toShowRoot;
    const TLTPaintOptions added = Value - FPaintOptions;
    const TLTPaintOptions removed = FPaintOptions - Value;
    FPaintOptions = Value;
    TLazyTreeCore& tree = *FOwner;

    if (added.Contains(toShowFilteredNodes) || removed.Contains(toShowFilteredNodes)) {
        // Filtered nodes take their room again, or give it up.
        const bool show = added.Contains(toShowFilteredNodes);
        const bool window = tree.HasWindow();
        if (window) tree.BeginUpdate();
        try {
            tree.InterruptValidation();
            PLazyNode root = tree.FRoot;
            for (PLazyNode n = root->FirstChild; n;) {
                if (n->States.Contains(TLazyNodeState::vsFiltered)) {
                    if (tree.FullyVisible(n)) {
                        if (show)
                            ++tree.FVisibleCount;
                        else
                            --tree.FVisibleCount;
                    }
                    tree.AdjustTotalHeight(n, show ? n->NodeHeight : -int64_t(n->NodeHeight), true);
                }
                if (n->FirstChild) {
                    n = n->FirstChild;
                    continue;
                }
                while (n != root && !n->NextSibling) n = n->Parent;
                n = n == root ? nullptr : n->NextSibling;
            }
        } catch (...) {
            if (window) tree.EndUpdate();
            throw;
        }
        if (window) tree.EndUpdate();
    }
    if (!tree.HasWindow()) return;
    // No explorer window theme here: only the platform's theme painter.
    if (added.Contains(toThemeAware) || removed.Contains(toThemeAware) || added.Contains(toUseExplorerTheme) ||
        removed.Contains(toUseExplorerTheme)) {
        if (added.Contains(toThemeAware) && tree.FHost->ThemesEnabled())
            tree.DoStateChange({tsUseThemes});
        else if (removed.Contains(toThemeAware))
            tree.DoStateChange({}, {tsUseThemes});
        tree.BuildButtonBitmaps();
        tree.FHost->InvalidateFrame();
    }
    if (added.Contains(toChildrenAbove) || removed.Contains(toChildrenAbove)) {
        tree.InvalidateCache();
        if (tree.FUpdateCount == 0) {
            tree.RequestCacheValidation();
            tree.Invalidate();
        }
    }
    tree.Invalidate();
}

void TCustomLazyTreeOptions::AssignTo(TCustomLazyTreeOptions& Dest) const {
    Dest.SetPaintOptions(FPaintOptions);
    Dest.SetAnimationOptions(FAnimationOptions);
    Dest.SetAutoOptions(FAutoOptions);
    Dest.SetSelectionOptions(FSelectionOptions);
    Dest.SetMiscOptions(FMiscOptions);
}

TCustomStringTreeOptions::TCustomStringTreeOptions(TLazyTreeCore* AOwner)
    : TCustomLazyTreeOptions(AOwner),
      FStringOptions{TLTStringOption::toSaveCaptions, TLTStringOption::toAutoAcceptEditChange} {}

void TCustomStringTreeOptions::SetStringOptions(TLTStringOptions Value) {
    if (Value == FStringOptions) return;
    const bool staticChanged =
        Value.Contains(TLTStringOption::toShowStaticText) != FStringOptions.Contains(TLTStringOption::toShowStaticText);
    FStringOptions = Value;
    if (staticChanged && FOwner->HasWindow()) FOwner->Invalidate();
}

void TCustomStringTreeOptions::AssignTo(TCustomLazyTreeOptions& Dest) const {
    if (auto* strings = dynamic_cast<TCustomStringTreeOptions*>(&Dest)) strings->SetStringOptions(FStringOptions);
    TCustomLazyTreeOptions::AssignTo(Dest);
}

// ---- The old option list ----

namespace {

enum class OldSet { Paint, Animation, Auto, Selection, Misc };
struct OldOption {
    const char* name;
    OldSet set;
    uint8_t bit;
};
template <typename E>
constexpr uint8_t B(E e) {
    return static_cast<uint8_t>(e);
}

constexpr OldOption kOldOptions[] = {
    {"voAcceptOLEDrop", OldSet::Misc, B(toAcceptOLEDrop)},
    {"voAnimatedToggle", OldSet::Animation, B(TLTAnimationOption::toAnimatedToggle)},
    {"voAutoDropExpand", OldSet::Auto, B(toAutoDropExpand)},
    {"voAutoExpand", OldSet::Auto, B(toAutoExpand)},
    {"voAutoScroll", OldSet::Auto, B(toAutoScroll)},
    {"voAutoSort", OldSet::Auto, B(toAutoSort)},
    {"voAutoSpanColumns", OldSet::Auto, B(toAutoSpanColumns)},
    {"voAutoTristateTracking", OldSet::Auto, B(toAutoTristateTracking)},
    {"voCheckSupport", OldSet::Misc, B(toCheckSupport)},
    {"voDisableDrawSelection", OldSet::Selection, B(toDisableDrawSelection)},
    {"voEditable", OldSet::Misc, B(toEditable)},
    {"voExtendedFocus", OldSet::Selection, B(toExtendedFocus)},
    {"voFullRowSelect", OldSet::Selection, B(toFullRowSelect)},
    {"voGridExtensions", OldSet::Misc, B(toGridExtensions)},
    {"voHideFocusRect", OldSet::Paint, B(toHideFocusRect)},
    {"voHideSelection", OldSet::Paint, B(toHideSelection)},
    {"voHotTrack", OldSet::Paint, B(toHotTrack)},
    {"voInitOnSave", OldSet::Misc, B(toInitOnSave)},
    {"voLevelSelectConstraint", OldSet::Selection, B(toLevelSelectConstraint)},
    {"voMiddleClickSelect", OldSet::Selection, B(toMiddleClickSelect)},
    {"voMultiSelect", OldSet::Selection, B(toMultiSelect)},
    {"voRightClickSelect", OldSet::Selection, B(toRightClickSelect)},
    {"voPopupMode", OldSet::Paint, B(toPopupMode)},
    {"voShowBackground", OldSet::Paint, B(toShowBackground)},
    {"voShowButtons", OldSet::Paint, B(toShowButtons)},
    {"voShowDropmark", OldSet::Paint, B(toShowDropmark)},
    {"voShowHorzGridLines", OldSet::Paint, B(toShowHorzGridLines)},
    {"voShowRoot", OldSet::Paint, B(toShowRoot)},
    {"voShowTreeLines", OldSet::Paint, B(toShowTreeLines)},
    {"voShowVertGridLines", OldSet::Paint, B(toShowVertGridLines)},
    {"voSiblingSelectConstraint", OldSet::Selection, B(toSiblingSelectConstraint)},
    {"voToggleOnDblClick", OldSet::Misc, B(toToggleOnDblClick)},
};

}  // namespace

void ReadOldOptions(TCustomLazyTreeOptions& Options, const QStringList& OldOptionNames) {
    Options.SetPaintOptions({});
    Options.SetAnimationOptions({});
    Options.SetAutoOptions({});
    Options.SetSelectionOptions({});
    Options.SetMiscOptions({});
    for (const QString& name : OldOptionNames) {
        for (const OldOption& o : kOldOptions) {
            if (name != QLatin1String(o.name)) continue;
            switch (o.set) {
                case OldSet::Paint:
                    Options.SetPaintOptions(Options.PaintOptions() + static_cast<TLTPaintOption>(o.bit));
                    break;
                case OldSet::Animation:
                    Options.SetAnimationOptions(Options.AnimationOptions() + static_cast<TLTAnimationOption>(o.bit));
                    break;
                case OldSet::Auto:
                    Options.SetAutoOptions(Options.AutoOptions() + static_cast<TLTAutoOption>(o.bit));
                    break;
                case OldSet::Selection:
                    Options.SetSelectionOptions(Options.SelectionOptions() + static_cast<TLTSelectionOption>(o.bit));
                    break;
                case OldSet::Misc:
                    Options.SetMiscOptions(Options.MiscOptions() + static_cast<TLTMiscOption>(o.bit));
                    break;
            }
        }
    }
}
