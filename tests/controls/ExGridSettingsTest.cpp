// The grid's settings objects: defaults, couplings, notifications and copying.
#include <gtest/gtest.h>

#include <QFont>

#include "controls/ExGridSettings.h"
#include "platform/StringGrid.h"

using namespace plat;

namespace {

// Counts the notifications of one event.
struct Counter {
    int n = 0;
    QObject* sender = nullptr;
    TNotifyEvent handler() {
        return [this](QObject* s) {
            ++n;
            sender = s;
        };
    }
};

TEST(ExGridSettings, SearchFooterDefaults) {
    for (bool design : {false, true}) {
        SCOPED_TRACE(design ? "design" : "run time");
        TSearchFooter f(nullptr, design);
        EXPECT_FALSE(f.Visible());
        EXPECT_EQ(f.Color(), 0xFFFFFFu);
        EXPECT_EQ(f.ColorTo(), 0xFF00000Fu);
        EXPECT_TRUE(f.ShowClose());
        EXPECT_TRUE(f.ShowFindNext());
        EXPECT_TRUE(f.ShowFindPrev());
        EXPECT_TRUE(f.ShowHighLight());
        EXPECT_TRUE(f.ShowMatchCase());
        EXPECT_FALSE(f.AutoThemeAdapt());
        EXPECT_TRUE(f.AutoSearch());
        EXPECT_FALSE(f.AlwaysHighLight());
        EXPECT_EQ(f.SearchColumn(), -1);
        EXPECT_FALSE(f.SearchActiveColumnOnly());
        EXPECT_FALSE(f.SearchMatchStart());
        EXPECT_FALSE(f.SearchFixedCells());
        EXPECT_FALSE(f.SearchHiddenRows());
        EXPECT_EQ(f.SearchDirection(), sdTopBottom);
        EXPECT_TRUE(f.LastSearch().isEmpty());
        const QStringList texts{f.FindNextCaption(), f.FindPrevCaption(), f.MatchCaseCaption(), f.HighLightCaption(),
                                f.HintClose(),       f.HintFindNext(),    f.HintFindPrev(),     f.HintHighlight()};
        const QStringList expected =
            design ? QStringList({"Find &next", "Find &previous", "Match case", "Highlight", "Close",
                                  "Find next occurrence", "Find previous occurrence", "Highlight occurrences"})
                   : QStringList(8, QString());
        EXPECT_EQ(texts, expected);
    }
}

TEST(ExGridSettings, SearchFooterNotifications) {
    // Each write with the value the setting already has: some settings tell the grid anyway.
    struct Case {
        const char* name;
        std::function<void(TSearchFooter&)> write;
        int fired;
    };
    const Case cases[] = {
        {"ShowFindNext unchanged", [](TSearchFooter& f) { f.SetShowFindNext(true); }, 0},
        {"ShowFindNext changed", [](TSearchFooter& f) { f.SetShowFindNext(false); }, 1},
        {"Visible unchanged", [](TSearchFooter& f) { f.SetVisible(false); }, 0},
        {"ShowClose unchanged", [](TSearchFooter& f) { f.SetShowClose(true); }, 1},
        {"caption unchanged", [](TSearchFooter& f) { f.SetFindNextCaption("Find &next"); }, 1},
        {"hint unchanged", [](TSearchFooter& f) { f.SetHintClose("Close"); }, 1},
        {"Color unchanged", [](TSearchFooter& f) { f.SetColor(0xFFFFFF); }, 1},
        {"font", [](TSearchFooter& f) { f.SetFont(QFont("Serif", 15)); }, 1},
        {"AutoThemeAdapt", [](TSearchFooter& f) { f.SetAutoThemeAdapt(true); }, 1},
        {"AutoSearch stores only", [](TSearchFooter& f) { f.SetAutoSearch(false); }, 0},
        {"SearchColumn stores only", [](TSearchFooter& f) { f.SetSearchColumn(3); }, 0},
        {"LastSearch stores only", [](TSearchFooter& f) { f.SetLastSearch("x"); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSearchFooter f(nullptr, true);
        Counter changes;
        f.OnChange = changes.handler();
        c.write(f);
        EXPECT_EQ(changes.n, c.fired);
        if (c.fired) {
            EXPECT_EQ(changes.sender, &f);
        }
    }
    TSearchFooter f(nullptr, false);
    f.SetFont(QFont("Serif", 15));
    EXPECT_EQ(f.Font().family(), "Serif");
    EXPECT_EQ(f.Font().pointSize(), 15);
}

TEST(ExGridSettings, SearchFooterAssign) {
    TSearchFooter src(nullptr, false), dst(nullptr, true);
    src.SetVisible(true);
    src.SetColor(0x010203);
    src.SetColorTo(0xF0F0F0);
    src.SetFont(QFont("Serif", 17));
    src.SetFindNextCaption("a");
    src.SetFindPrevCaption("b");
    src.SetMatchCaseCaption("c");
    src.SetHighLightCaption("d");
    src.SetHintClose("e");
    src.SetHintFindNext("f");
    src.SetHintFindPrev("g");
    src.SetHintHighlight("h");
    src.SetShowClose(false);
    src.SetShowFindNext(false);
    src.SetShowFindPrev(false);
    src.SetShowHighLight(false);
    src.SetShowMatchCase(false);
    src.SetAutoThemeAdapt(true);
    src.SetAutoSearch(false);
    src.SetAlwaysHighLight(true);
    src.SetSearchColumn(4);
    src.SetSearchActiveColumnOnly(true);
    src.SetSearchMatchStart(true);
    src.SetSearchFixedCells(true);
    src.SetSearchHiddenRows(true);
    src.SetSearchDirection(sdLeftRight);
    src.SetLastSearch("needle");

    Counter changes;
    dst.OnChange = changes.handler();
    dst.Assign(&src);
    EXPECT_EQ(changes.n, 0);
    EXPECT_TRUE(dst.Visible());
    EXPECT_EQ(dst.Color(), 0x010203u);
    EXPECT_EQ(dst.ColorTo(), 0xF0F0F0u);
    EXPECT_EQ(dst.Font().family(), "Serif");
    EXPECT_EQ(dst.Font().pointSize(), 17);
    EXPECT_EQ(QStringList({dst.FindNextCaption(), dst.FindPrevCaption(), dst.MatchCaseCaption(), dst.HighLightCaption(),
                           dst.HintClose(), dst.HintFindNext(), dst.HintFindPrev(), dst.HintHighlight()}),
              QStringList({"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_FALSE(dst.ShowClose());
    EXPECT_FALSE(dst.ShowFindNext());
    EXPECT_FALSE(dst.ShowFindPrev());
    EXPECT_FALSE(dst.ShowHighLight());
    EXPECT_FALSE(dst.ShowMatchCase());
    EXPECT_TRUE(dst.AlwaysHighLight());
    EXPECT_EQ(dst.SearchColumn(), 4);
    EXPECT_TRUE(dst.SearchActiveColumnOnly());
    EXPECT_TRUE(dst.SearchMatchStart());
    EXPECT_TRUE(dst.SearchHiddenRows());
    EXPECT_EQ(dst.SearchDirection(), sdLeftRight);
    // The search state and the theme flag are the grid's own.
    EXPECT_FALSE(dst.AutoThemeAdapt());
    EXPECT_TRUE(dst.AutoSearch());
    EXPECT_FALSE(dst.SearchFixedCells());
    EXPECT_TRUE(dst.LastSearch().isEmpty());

    TNavigation other;
    TSearchFooter untouched(nullptr, true);
    untouched.Assign(&other);
    untouched.Assign(nullptr);
    EXPECT_EQ(untouched.FindNextCaption(), "Find &next");
    EXPECT_FALSE(untouched.Visible());
}

TEST(ExGridSettings, NavigationDefaults) {
    TNavigation n;
    const bool offByDefault[] = {n.AllowInsertRow(),          n.AllowDeleteRow(),       n.AlwaysEdit(),
                                 n.AdvanceOnEnter(),          n.AutoGotoIncremental(),  n.AutoComboDropSize(),
                                 n.AllowClipboardShortCuts(), n.AllowSmartClipboard(),  n.AllowRTFClipboard(),
                                 n.AllowFmtClipboard(),       n.AllowClipboardAlways(), n.AppendOnArrowDown(),
                                 n.CursorWalkEditor(),        n.CursorMoveRows(),       n.MoveRowOnSort(),
                                 n.KeepScrollOnSort(),        n.MoveScrollOnly(),       n.ImproveMaskSel(),
                                 n.KeepHorizScroll(),         n.LineFeedOnEnter(),      n.TabToNextAtEnd(),
                                 n.AdvanceInsert(),           n.AutoGotoWhenSorted(),   n.AdvanceAuto()};
    for (std::size_t i = 0; i < std::size(offByDefault); ++i) EXPECT_FALSE(offByDefault[i]) << i;
    const bool onByDefault[] = {n.AdvanceOnEnterLoop(), n.AdvanceAutoEdit(),         n.AdvanceSkipReadOnlyCells(),
                                n.AllowCtrlEnter(),     n.AllowClipboardRowGrow(),   n.AllowClipboardColGrow(),
                                n.EditSelectAll(),      n.ComboGetUpDown(),          n.CursorWalkAlwaysEdit(),
                                n.LeftRightRowSelect(), n.CopyHTMLTagsToClipboard(), n.SkipFixedCells(),
                                n.SkipDisabledRows()};
    for (std::size_t i = 0; i < std::size(onByDefault); ++i) EXPECT_TRUE(onByDefault[i]) << i;
    EXPECT_EQ(n.AdvanceDirection(), adLeftRight);
    EXPECT_EQ(n.TabAdvanceDirection(), adLeftRight);
    EXPECT_EQ(n.InsertPosition(), pInsertBefore);
    EXPECT_EQ(n.ClipboardPasteAction(), paReplace);
    EXPECT_EQ(n.CursorAdvance(), caDefault);
    EXPECT_EQ(n.HomeEndKey(), heFirstLastColumn);
}

TEST(ExGridSettings, NavigationCouplingsAndNotifications) {
    TNavigation n;
    Counter changes;
    n.OnChange = changes.handler();

    n.SetAdvanceAuto(true);
    EXPECT_TRUE(n.AdvanceOnEnter());
    n.SetAdvanceAuto(false);
    EXPECT_TRUE(n.AdvanceOnEnter()) << "switching automatic advance off leaves Enter advancing";
    n.SetAdvanceOnEnter(false);
    n.SetAdvanceAuto(false);
    EXPECT_FALSE(n.AdvanceOnEnter());
    EXPECT_EQ(changes.n, 0);

    n.SetAdvanceDirection(adLeftRight);
    EXPECT_EQ(changes.n, 0);
    n.SetAdvanceDirection(adTopBottom);
    EXPECT_EQ(changes.n, 1);
    EXPECT_EQ(changes.sender, &n);
    n.SetAdvanceInsert(false);
    EXPECT_EQ(changes.n, 1);
    n.SetAdvanceInsert(true);
    EXPECT_EQ(changes.n, 2);
    n.SetAutoGotoWhenSorted(true);
    n.SetTabAdvanceDirection(adTopBottomInCol);
    EXPECT_EQ(changes.n, 2);
}

TEST(ExGridSettings, NavigationAssign) {
    TNavigation src, dst;
    // Every setting away from its default; TabAdvanceDirection differs from AdvanceDirection so a
    // copy taken from the wrong field shows.
    src.SetAllowInsertRow(true);
    src.SetAllowDeleteRow(true);
    src.SetAlwaysEdit(true);
    src.SetAdvanceOnEnter(true);
    src.SetAutoGotoIncremental(true);
    src.SetAutoComboDropSize(true);
    src.SetAllowClipboardShortCuts(true);
    src.SetAllowSmartClipboard(true);
    src.SetAllowRTFClipboard(true);
    src.SetAllowFmtClipboard(true);
    src.SetAllowClipboardAlways(true);
    src.SetAppendOnArrowDown(true);
    src.SetCursorWalkEditor(true);
    src.SetCursorMoveRows(true);
    src.SetMoveRowOnSort(true);
    src.SetKeepScrollOnSort(true);
    src.SetMoveScrollOnly(true);
    src.SetImproveMaskSel(true);
    src.SetKeepHorizScroll(true);
    src.SetLineFeedOnEnter(true);
    src.SetTabToNextAtEnd(true);
    src.SetAdvanceOnEnterLoop(false);
    src.SetAdvanceAutoEdit(false);
    src.SetAdvanceSkipReadOnlyCells(false);
    src.SetAllowCtrlEnter(false);
    src.SetAllowClipboardRowGrow(false);
    src.SetAllowClipboardColGrow(false);
    src.SetEditSelectAll(false);
    src.SetComboGetUpDown(false);
    src.SetCursorWalkAlwaysEdit(false);
    src.SetLeftRightRowSelect(false);
    src.SetCopyHTMLTagsToClipboard(false);
    src.SetSkipFixedCells(false);
    src.SetSkipDisabledRows(false);
    src.SetAdvanceInsert(true);
    src.SetAutoGotoWhenSorted(true);
    src.SetAdvanceAuto(true);
    src.SetAdvanceDirection(adTopBottom);
    src.SetTabAdvanceDirection(adLeftRightInRow);
    src.SetInsertPosition(pInsertAfter);
    src.SetClipboardPasteAction(paInsert);
    src.SetCursorAdvance(caLoop);
    src.SetHomeEndKey(heFirstLastCell);

    Counter changes;
    dst.OnChange = changes.handler();
    dst.Assign(&src);
    EXPECT_EQ(changes.n, 0);
    const bool copiedOn[] = {dst.AllowInsertRow(),          dst.AllowDeleteRow(),       dst.AlwaysEdit(),
                             dst.AdvanceOnEnter(),          dst.AutoGotoIncremental(),  dst.AutoComboDropSize(),
                             dst.AllowClipboardShortCuts(), dst.AllowSmartClipboard(),  dst.AllowRTFClipboard(),
                             dst.AllowFmtClipboard(),       dst.AllowClipboardAlways(), dst.AppendOnArrowDown(),
                             dst.CursorWalkEditor(),        dst.CursorMoveRows(),       dst.MoveRowOnSort(),
                             dst.MoveScrollOnly(),          dst.ImproveMaskSel(),       dst.KeepHorizScroll(),
                             dst.LineFeedOnEnter(),         dst.TabToNextAtEnd(),       dst.AdvanceInsert(),
                             dst.AutoGotoWhenSorted(),      dst.AdvanceAuto()};
    for (std::size_t i = 0; i < std::size(copiedOn); ++i) EXPECT_TRUE(copiedOn[i]) << i;
    const bool copiedOff[] = {dst.AdvanceOnEnterLoop(), dst.AdvanceAutoEdit(),         dst.AdvanceSkipReadOnlyCells(),
                              dst.AllowCtrlEnter(),     dst.AllowClipboardRowGrow(),   dst.AllowClipboardColGrow(),
                              dst.EditSelectAll(),      dst.ComboGetUpDown(),          dst.CursorWalkAlwaysEdit(),
                              dst.LeftRightRowSelect(), dst.CopyHTMLTagsToClipboard(), dst.SkipFixedCells(),
                              dst.SkipDisabledRows()};
    for (std::size_t i = 0; i < std::size(copiedOff); ++i) EXPECT_FALSE(copiedOff[i]) << i;
    EXPECT_EQ(dst.AdvanceDirection(), adTopBottom);
    EXPECT_EQ(dst.TabAdvanceDirection(), adLeftRightInRow);
    EXPECT_EQ(dst.InsertPosition(), pInsertAfter);
    EXPECT_EQ(dst.ClipboardPasteAction(), paInsert);
    EXPECT_EQ(dst.CursorAdvance(), caLoop);
    EXPECT_EQ(dst.HomeEndKey(), heFirstLastCell);
    EXPECT_FALSE(dst.KeepScrollOnSort()) << "not copied";

    TBands other;
    TNavigation untouched;
    untouched.Assign(&other);
    EXPECT_TRUE(untouched.SkipFixedCells());
}

TEST(ExGridSettings, MouseActionsDefaults) {
    TMouseActions m;
    EXPECT_TRUE(m.AutoSizeColOnDblClick());
    EXPECT_TRUE(m.PreciseNodeClick());
    const bool offByDefault[] = {m.AllColumnSize(),
                                 m.AllRowSize(),
                                 m.AllSelect(),
                                 m.CaretPositioning(),
                                 m.CheckAllCheck(),
                                 m.ColSelect(),
                                 m.DirectComboClose(),
                                 m.DirectComboDrop(),
                                 m.DirectDateClose(),
                                 m.DirectDateDrop(),
                                 m.DirectEdit(),
                                 m.DisjunctRowSelectNoCtrl(),
                                 m.MoveRowOnNodeClick(),
                                 m.NoAutoRangeScroll(),
                                 m.NodeAllExpandContract(),
                                 m.NoScrollOnPartialRow(),
                                 m.PreciseCheckBoxCheck(),
                                 m.RangeSelectAndEdit(),
                                 m.RowSelect(),
                                 m.RowSelectPersistent(),
                                 m.SelectOnRightClick(),
                                 m.SizeFixedCol(),
                                 m.SizeFixedRow(),
                                 m.DisjunctRowSelect(),
                                 m.DisjunctColSelect(),
                                 m.DisjunctCellSelect(),
                                 m.DisjunctRowSelectDirect(),
                                 m.HotmailRowSelect(),
                                 m.EditOnDblClickOnly()};
    for (std::size_t i = 0; i < std::size(offByDefault); ++i) EXPECT_FALSE(offByDefault[i]) << i;
    EXPECT_EQ(m.FixedRowsEdit(), fceNone);
    EXPECT_EQ(m.FixedColsEdit(), fceNone);
    EXPECT_EQ(m.FixedRowsEditor(), fceEdit);
    EXPECT_EQ(m.FixedColsEditor(), fceEdit);
    EXPECT_TRUE(m.FixedComboValues().isEmpty());
    EXPECT_EQ(m.WheelIncrement(), 0);
    EXPECT_EQ(m.WheelAction(), waMoveSelection);
}

TEST(ExGridSettings, MouseActionsDisjunctSelection) {
    // Set all three at run time or while designed, then switch one on again.
    struct Case {
        const char* name;
        bool designing;
        void (TMouseActions::*set)(bool);
        bool row, col, cell;
    };
    const Case cases[] = {
        {"row at run time", false, &TMouseActions::SetDisjunctRowSelect, true, true, true},
        {"col at run time", false, &TMouseActions::SetDisjunctColSelect, true, true, true},
        {"cell at run time", false, &TMouseActions::SetDisjunctCellSelect, true, true, true},
        {"row designed", true, &TMouseActions::SetDisjunctRowSelect, true, false, false},
        {"col designed", true, &TMouseActions::SetDisjunctColSelect, false, true, false},
        {"cell designed", true, &TMouseActions::SetDisjunctCellSelect, false, false, true},
        {"direct row designed", true, &TMouseActions::SetDisjunctRowSelectDirect, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMouseActions m;
        bool designing = false;
        m.OnIsDesigning = [&](QObject* sender, bool& answer) {
            EXPECT_EQ(sender, &m);
            answer = designing;
        };
        // The three flags on, seeded at run time so no exclusion applies.
        m.SetDisjunctRowSelect(true);
        m.SetDisjunctColSelect(true);
        m.SetDisjunctCellSelect(true);
        designing = c.designing;
        (m.*c.set)(true);
        EXPECT_EQ(m.DisjunctRowSelect(), c.row);
        EXPECT_EQ(m.DisjunctColSelect(), c.col);
        EXPECT_EQ(m.DisjunctCellSelect(), c.cell);
        EXPECT_EQ(m.DisjunctRowSelectDirect(), m.DisjunctRowSelect());
    }
    // Switching off never touches the others, designed or not.
    TMouseActions m;
    m.OnIsDesigning = [](QObject*, bool& designing) { designing = true; };
    m.SetDisjunctRowSelectDirect(true);
    m.SetDisjunctColSelect(false);
    EXPECT_TRUE(m.DisjunctRowSelect());
}

TEST(ExGridSettings, MouseActionsEvents) {
    TMouseActions m;
    Counter invalidate, disable, changes;
    m.OnInvalidate = invalidate.handler();
    m.OnDisableEdit = disable.handler();
    m.OnChange = changes.handler();

    m.SetHotmailRowSelect(true);
    EXPECT_EQ(invalidate.n, 1);
    EXPECT_EQ(invalidate.sender, &m);
    EXPECT_TRUE(m.DisjunctRowSelect());
    EXPECT_TRUE(m.CheckAllCheck());
    m.SetHotmailRowSelect(false);
    EXPECT_EQ(invalidate.n, 2);
    EXPECT_FALSE(m.HotmailRowSelect());
    EXPECT_TRUE(m.DisjunctRowSelect());
    EXPECT_TRUE(m.CheckAllCheck());

    // The mail-style selection sets the row flag directly: the other kinds survive even when designed.
    TMouseActions designed;
    designed.OnIsDesigning = [](QObject*, bool& d) { d = true; };
    designed.SetDisjunctColSelect(true);
    designed.SetHotmailRowSelect(true);
    EXPECT_TRUE(designed.DisjunctColSelect());

    m.SetEditOnDblClickOnly(false);
    EXPECT_EQ(disable.n, 0);
    m.SetEditOnDblClickOnly(true);
    m.SetEditOnDblClickOnly(true);
    EXPECT_EQ(disable.n, 2);

    m.SetWheelAction(waMoveSelection);
    EXPECT_EQ(changes.n, 0);
    m.SetWheelAction(waScroll);
    EXPECT_EQ(changes.n, 1);
    m.SetDirectEdit(true);
    m.SetWheelIncrement(3);
    EXPECT_EQ(changes.n, 1);
    EXPECT_EQ(invalidate.n, 2);
}

TEST(ExGridSettings, MouseActionsAssign) {
    TMouseActions src, dst;
    src.SetAutoSizeColOnDblClick(false);
    src.SetPreciseNodeClick(false);
    src.SetAllColumnSize(true);
    src.SetAllRowSize(true);
    src.SetAllSelect(true);
    src.SetCaretPositioning(true);
    src.SetCheckAllCheck(true);
    src.SetColSelect(true);
    src.SetDirectComboClose(true);
    src.SetDirectComboDrop(true);
    src.SetDirectDateClose(true);
    src.SetDirectDateDrop(true);
    src.SetDirectEdit(true);
    src.SetDisjunctRowSelectNoCtrl(true);
    src.SetMoveRowOnNodeClick(true);
    src.SetNoAutoRangeScroll(true);
    src.SetNodeAllExpandContract(true);
    src.SetNoScrollOnPartialRow(true);
    src.SetPreciseCheckBoxCheck(true);
    src.SetRangeSelectAndEdit(true);
    src.SetRowSelect(true);
    src.SetRowSelectPersistent(true);
    src.SetSelectOnRightClick(true);
    src.SetSizeFixedCol(true);
    src.SetSizeFixedRow(true);
    src.SetDisjunctRowSelect(true);
    src.SetDisjunctColSelect(true);
    src.SetDisjunctCellSelect(true);
    src.SetHotmailRowSelect(true);
    src.SetEditOnDblClickOnly(true);
    src.SetFixedRowsEdit(fceDblClick);
    src.SetFixedColsEdit(fceRightClick);
    src.SetFixedRowsEditor(fceComboEdit);
    src.SetFixedColsEditor(fceComboList);
    src.SetFixedComboValues({"a", "b"});
    src.SetWheelIncrement(5);
    src.SetWheelAction(waScroll);

    Counter events;
    dst.OnChange = events.handler();
    dst.OnInvalidate = events.handler();
    dst.OnDisableEdit = events.handler();
    dst.OnIsDesigning = [](QObject*, bool& d) { d = true; };
    dst.Assign(&src);
    EXPECT_EQ(events.n, 0);
    EXPECT_FALSE(dst.AutoSizeColOnDblClick());
    EXPECT_FALSE(dst.PreciseNodeClick());
    const bool copiedOn[] = {
        dst.AllColumnSize(), dst.AllRowSize(), dst.AllSelect(), dst.CaretPositioning(), dst.CheckAllCheck(),
        dst.ColSelect(), dst.DirectComboClose(), dst.DirectComboDrop(), dst.DirectDateClose(), dst.DirectDateDrop(),
        dst.DirectEdit(), dst.DisjunctRowSelectNoCtrl(), dst.MoveRowOnNodeClick(), dst.NoAutoRangeScroll(),
        dst.NodeAllExpandContract(), dst.NoScrollOnPartialRow(), dst.PreciseCheckBoxCheck(), dst.RangeSelectAndEdit(),
        dst.RowSelect(), dst.RowSelectPersistent(), dst.SelectOnRightClick(), dst.SizeFixedCol(),
        // all three disjunct kinds at once: copied without the exclusion
        dst.DisjunctRowSelect(), dst.DisjunctColSelect(), dst.DisjunctCellSelect()};
    for (std::size_t i = 0; i < std::size(copiedOn); ++i) EXPECT_TRUE(copiedOn[i]) << i;
    EXPECT_EQ(dst.FixedRowsEdit(), fceDblClick);
    EXPECT_EQ(dst.FixedColsEdit(), fceRightClick);
    EXPECT_EQ(dst.FixedRowsEditor(), fceComboEdit);
    EXPECT_EQ(dst.FixedColsEditor(), fceComboList);
    EXPECT_EQ(dst.WheelIncrement(), 5);
    EXPECT_EQ(dst.WheelAction(), waScroll);
    // Left as they were.
    EXPECT_FALSE(dst.SizeFixedRow());
    EXPECT_FALSE(dst.HotmailRowSelect());
    EXPECT_FALSE(dst.EditOnDblClickOnly());
    EXPECT_TRUE(dst.FixedComboValues().isEmpty());

    TFocusHelper other;
    TMouseActions untouched;
    untouched.Assign(&other);
    EXPECT_TRUE(untouched.AutoSizeColOnDblClick());
}

TEST(ExGridSettings, SyncGrid) {
    TStringGrid owner, a, b;
    TSyncGrid s(&owner);
    EXPECT_EQ(s.Grid(), nullptr);
    EXPECT_FALSE(s.ScrollVertical() || s.ScrollHorizontal() || s.SelectionColumn() || s.SelectionRow() ||
                 s.MoveColumn() || s.MoveRow());
    s.SetGrid(&a);
    s.SetGrid(&owner);
    EXPECT_EQ(s.Grid(), &a) << "the owner is refused and the previous grid kept";
    s.SetGrid(nullptr);
    EXPECT_EQ(s.Grid(), nullptr);

    TSyncGrid src(&a);
    src.SetGrid(&owner);
    src.SetScrollVertical(true);
    src.SetScrollHorizontal(true);
    src.SetSelectionColumn(true);
    src.SetSelectionRow(true);
    src.SetMoveColumn(true);
    src.SetMoveRow(true);
    s.SetGrid(&b);
    s.Assign(&src);
    EXPECT_EQ(s.Grid(), &b) << "copying cannot make the owner follow itself";
    EXPECT_TRUE(s.ScrollVertical() && s.ScrollHorizontal() && s.SelectionColumn() && s.SelectionRow() &&
                s.MoveColumn() && s.MoveRow());
    TSyncGrid fromB(&owner);
    src.SetGrid(&b);
    fromB.Assign(&src);
    EXPECT_EQ(fromB.Grid(), &b);

    TBands other;
    TSyncGrid untouched(&owner);
    untouched.Assign(&other);
    EXPECT_FALSE(untouched.MoveRow());
}

TEST(ExGridSettings, Bands) {
    TBands bands;
    EXPECT_FALSE(bands.Active());
    EXPECT_EQ(bands.PrimaryColor(), 0xFF000018u);
    EXPECT_EQ(bands.SecondaryColor(), 0xFF000005u);
    EXPECT_EQ(bands.PrimaryLength(), 1);
    EXPECT_EQ(bands.SecondaryLength(), 1);
    EXPECT_EQ(bands.TotalLength(), 2);
    EXPECT_FALSE(bands.Print());

    Counter changes;
    bands.OnChange = changes.handler();
    bands.SetPrimaryColor(clRed);
    bands.SetSecondaryColor(clBlue);
    bands.SetPrimaryLength(2);
    bands.SetSecondaryLength(3);
    EXPECT_EQ(changes.n, 0) << "inactive bands repaint nothing";
    EXPECT_EQ(bands.TotalLength(), 5);
    bands.SetActive(false);
    EXPECT_EQ(changes.n, 0);
    bands.SetActive(true);
    EXPECT_EQ(changes.n, 1);
    bands.SetPrimaryColor(clRed);
    bands.SetPrimaryLength(2);
    EXPECT_EQ(changes.n, 1) << "unchanged values";
    bands.SetPrimaryColor(clLime);
    bands.SetSecondaryColor(clYellow);
    bands.SetPrimaryLength(4);
    bands.SetSecondaryLength(1);
    EXPECT_EQ(changes.n, 5);
    EXPECT_EQ(bands.TotalLength(), 5);
    bands.SetPrint(true);
    EXPECT_EQ(changes.n, 5);

    TBands copy;
    Counter copyChanges;
    copy.OnChange = copyChanges.handler();
    copy.Assign(&bands);
    EXPECT_EQ(copyChanges.n, 0);
    EXPECT_TRUE(copy.Active());
    EXPECT_EQ(copy.PrimaryColor(), clLime);
    EXPECT_EQ(copy.SecondaryColor(), clYellow);
    EXPECT_EQ(copy.PrimaryLength(), 4);
    EXPECT_EQ(copy.SecondaryLength(), 1);
    EXPECT_EQ(copy.TotalLength(), 5);
    EXPECT_TRUE(copy.Print());

    TBands twoThree;
    twoThree.SetPrimaryLength(2);
    twoThree.SetSecondaryLength(3);
    TBands copied;
    copied.Assign(&twoThree);
    EXPECT_EQ(copied.TotalLength(), 5);

    TFocusHelper other;
    TBands untouched;
    untouched.Assign(&other);
    EXPECT_EQ(untouched.TotalLength(), 2);
}

TEST(ExGridSettings, FocusHelper) {
    TFocusHelper f, g;
    EXPECT_FALSE(f.Enabled());
    f.SetEnabled(true);
    g.Assign(&f);
    EXPECT_TRUE(g.Enabled());
    TBands other;
    g.Assign(&other);
    EXPECT_TRUE(g.Enabled());
}

}  // namespace
