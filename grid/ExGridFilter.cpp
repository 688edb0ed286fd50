// Filtering: the conditions of Filter tested row by row, the failing rows hidden as one level;
// levels stacked and removed; type-ahead narrowing; and the hooks behind the header's filter
// drop-downs.
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"

#include <cmath>
#include <optional>
#include <utility>

// The conditions of a run, copied and compiled once when it starts: a handler that adds or removes
// conditions meanwhile (OnCustomFilter, OnFilterProgress) changes the next run, not this one. An
// expression item holds its matcher, or nothing when its condition does not compile (every test of
// it is then no match).
struct TExStringGrid::TCompiledFilter {
    struct Item {
        int16_t Column = 0;
        QString Condition, Prefix, Suffix;
        TFilterOperation Operation = foSHORT;
        TFilterCells Data = fcVirtual;
        TFilterMethod Method = fmExpression;
        std::optional<FilterExpression> Expression;
        bool Broken = false;
    };
    std::vector<Item> Items;
};

namespace {

// Upper case of the ASCII letters only, as the whole-row condition compares.
QString asciiUpper(QString s) {
    for (QChar& c : s)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return s;
}

// "name=condition" or a bare condition.
void splitEntry(const QString& Entry, QString& Name, QString& Condition) {
    const qsizetype eq = Entry.indexOf(u'=');
    Name = eq < 0 ? Entry : Entry.left(eq);
    Condition = eq < 0 ? Entry : Entry.mid(eq + 1);
}

std::unique_ptr<TExStringGrid::TCompiledFilter> compile(const TFilter& Filter) {
    auto out = std::make_unique<TExStringGrid::TCompiledFilter>();
    const int n = Filter.Count();
    out->Items.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        const TFilterData& f = Filter.Items(i);
        TExStringGrid::TCompiledFilter::Item& c = out->Items[size_t(i)];
        c.Column = f.Column;
        c.Condition = f.Condition;
        c.Prefix = f.Prefix;
        c.Suffix = f.Suffix;
        c.Operation = f.Operation;
        c.Data = f.Data;
        c.Method = f.Method;
        if (f.Data == fcRow || f.Condition.isEmpty() || f.Method != fmExpression) continue;
        try {
            c.Expression.emplace(f.Condition, f.CaseSensitive);
        } catch (...) {
            c.Broken = true;
        }
    }
    return out;
}

}  // namespace

bool TExStringGrid::matchItems(int ARow, const TCompiledFilter& Compiled) {
    bool result = true;
    for (const TCompiledFilter::Item& f : Compiled.Items) {
        bool m = false;
        try {
            QString text;
            switch (f.Data) {
            case fcVirtual: text = Cells(f.Column, ARow); break;
            case fcNormal:
                checkCell(f.Column, ARow);
                text = GridCells(f.Column, ARow);
                break;
            case fcStripHTML: text = GetStrippedCell(f.Column, ARow); break;
            case fcCalculated:
                checkCell(f.Column, ARow);
                GetCellTextForCalc(f.Column, ARow, text);
                break;
            case fcRow: {
                QStringList cells;
                for (int c = 0; c < ColCount(); ++c) cells << Cells(RealColIndex(c), ARow);
                text = cells.join(u'\n');
                break;
            }
            }
            text = text.trimmed();
            if (text.contains(QStringLiteral("|\\"))) text = DecodeWideText(text);
            if (f.Data == fcRow) {
                m = asciiUpper(text).contains(asciiUpper(f.Condition));
            } else {
                if (!f.Prefix.isEmpty() && text.startsWith(f.Prefix)) text.remove(0, f.Prefix.size());
                if (!f.Suffix.isEmpty()) {
                    const qsizetype at = text.indexOf(f.Suffix);
                    if (at >= 0 && at + f.Suffix.size() == text.size()) text.truncate(at);
                }
                if (f.Condition.isEmpty())
                    m = true;
                else if (f.Method == fmExpression)
                    m = !f.Broken && f.Expression && f.Expression->matches(text);
                else
                    m = f.Condition == text;
            }
        } catch (...) {
            m = false;  // a cell or condition that raises counts as no match
        }
        switch (f.Operation) {
        case foSHORT: result = m; break;
        case foNONE: result = m; break;
        case foAND: result = result && m; break;
        case foXOR: result = result != m; break;
        case foOR: result = result || m; break;
        }
        if (f.Operation == foSHORT && !result) break;
    }
    if (OnCustomFilter) OnCustomFilter(this, ARow, result);
    return result;
}

bool TExStringGrid::MatchFilter(int ARow) {
    if (FCompiledFilter) return matchItems(ARow, *FCompiledFilter);
    const auto compiled = compile(*FFilter);
    return matchItems(ARow, *compiled);
}

void TExStringGrid::FilterRow(int ARow) {
    if (ARow < 0 || ARow >= RowCount()) return;
    if (!MatchFilter(ARow)) HideRow(RealRowIndex(ARow));
}

void TExStringGrid::ApplyFilter() {
    FFilterFixedRows = FixedRows();
    const int first = FixedRows(), end = RowCount() - FFixedFooters;
    const int n = end - first;
    const auto compiled = compile(*FFilter);
    // A run started by a handler of this one ends with its own conditions; this run goes on with its.
    struct Restore {
        const TCompiledFilter*& p;
        const TCompiledFilter* old;
        ~Restore() { p = old; }
    } restore{FCompiledFilter, std::exchange(FCompiledFilter, compiled.get())};
    std::vector<int> failing;
    int tested = 0;
    auto progress = [&] {
        if (OnFilterProgress && n > 0) OnFilterProgress(this, uint16_t(std::lround(double(tested) / n * 100.0)));
    };
    for (int r = first; r < end; ++r) {
        if (FFilterNormalCellsOnly && (IsNode(r) || IsSummary(r))) continue;
        if (!MatchFilter(r)) failing.push_back(r);
        ++tested;
        progress();
    }
    // Every application is a level of its own, also one that hides nothing, so that removing the
    // last level always undoes this one.
    if (failing.empty())
        ++FFilterLevel;
    else
        HideRowList(failing);
    progress();
}

void TExStringGrid::SetFilterDropDownRow(const int32_t& Value) {
    // The buttons stand in a fixed row only.
    if (Value < 0 || Value >= FixedRows()) return;
    FFilterDropDownRow = Value;
    RepaintGrid();
}

void TExStringGrid::SetFilterDropDownAuto(const bool& Value) {
    FFilterDropDownAuto = Value;
    RepaintGrid();
}

void TExStringGrid::SetFilterActive(bool Value) {
    if (Value != FFilterActive) {
        FFilterActive = Value;
        if (Value) {
            if (Row() >= RowCount() || Col() >= ColCount()) TBaseGrid::FocusCell(FixedCols(), FixedRows(), true);
            BeginUpdate();
            struct End {
                TExStringGrid* g;
                ~End() { g->EndUpdate(); }
            } end{this};
            ApplyFilter();
            FSelHidden = false;
        } else {
            UnHideRowList();
            if (FFilterFixedRows < RowCount()) SetFixedRows(FFilterFixedRows);
            if (FSelHidden) UnHideSelection();
        }
        if (FixedRows() < RowCount()) SetTopRow(FixedRows());
    }
    CalcFooter(-1);
}

bool TExStringGrid::RemoveLastFilter() {
    if (FFilterLevel <= 0) return false;
    UnHideRowList();
    if (FFilterFixedRows < RowCount()) SetFixedRows(FFilterFixedRows);
    if (FSelHidden) UnHideSelection();
    CalcFooter(-1);
    --FFilterLevel;
    return FFilterLevel > 1;
}

void TExStringGrid::RemoveAllFilters() {
    if (FFilterLevel <= 0) {
        FFilter->Clear();
        return;
    }
    while (FFilterLevel >= 1) RemoveLastFilter();
}

void TExStringGrid::NarrowDown(const QString& ACondition, int AColumn) {
    FFixedRowAlways = true;
    auto single = [&](bool Quote) {
        FFilter->Clear();
        TFilterData& f = FFilter->Add();
        if (AColumn == -1) {
            f.Data = fcRow;
            f.Condition = ACondition;
        } else {
            f.Data = fcNormal;
            f.Condition = u'*' + ACondition + u'*';
            if (Quote && f.Condition.contains(u' ')) f.Condition = u'"' + f.Condition + u'"';
        }
        f.CaseSensitive = false;
        f.Column = int16_t(AColumn);
    };
    if (!FLastFilter.isEmpty() && ACondition.size() == FLastFilter.size() + 1 && ACondition.startsWith(FLastFilter)) {
        single(true);
        ApplyFilter();
    } else if (!ACondition.isEmpty() && ACondition.size() + 1 == FLastFilter.size() &&
               FLastFilter.startsWith(ACondition)) {
        RemoveLastFilter();
    } else {
        RemoveAllFilters();
        if (!ACondition.isEmpty()) {
            single(false);
            ApplyFilter();
        }
    }
    // An empty text has removed the filter levels above; rows hidden otherwise (contracted nodes,
    // HideRows) stay hidden and restorable.
    FLastFilter = ACondition;
}

void TExStringGrid::FilterSelect(int ItemIndex) {
    if (isVisible()) setFocus();
    if (FFilterCol >= 0 && FFilterCol < AllColCount() && ItemIndex >= 0 && ItemIndex < FDropList->Items.size()) {
        GetColumnFilter(FFilterCol);
        const QString entry = ItemIndex < FFilterList.size() ? FFilterList[ItemIndex] : FDropList->Items[ItemIndex];
        QString name, condition;
        splitEntry(entry, name, condition);
        if (condition == FFilterDropDownClear) condition.clear();
        if (FAutoFilterUpdate) SetFilterActive(false);
        if (OnFilterSelect) OnFilterSelect(this, FFilterCol, ItemIndex, name, condition);
        if (!condition.isEmpty())
            FFilter->GetColFilter(FFilterCol).Condition = condition;
        else
            FFilter->RemoveColumnFilter(FFilterCol);
        if (FAutoFilterUpdate) {
            FFixedRowAlways = true;
            SetFilterActive(true);
            if (!(RowCount() == FixedRows() || (RowCount() == 1 && FFixedRowAlways)) && FixedRows() < RowCount())
                SetRow(FixedRows());
            FilterDone();
        }
    }
    FFilterCol = -1;
}

void TExStringGrid::FilterCheck() {
    if (FFilterCol < 0 || FFilterCol >= AllColCount()) return;
    GetColumnFilter(FFilterCol);
    if (FAutoFilterUpdate) SetFilterActive(false);
    FFilter->Clear();
    const TDropCheckList& list = *FDropCheckList;
    for (int i = 0; i < list.Items.size(); ++i) {
        if (!list.IsChecked(i)) continue;
        const QString entry = i < FFilterList.size() ? FFilterList[i] : list.Items[i];
        QString name, condition;
        splitEntry(entry, name, condition);
        if (condition == FFilterDropDownClear) condition.clear();
        if (OnFilterCheck) OnFilterCheck(this, FFilterCol, i, name, condition, FDropCheckList.get());
        TFilterData& f = FFilter->Add();
        f.Condition = condition;
        f.Column = int16_t(FFilterCol);
        f.Operation = FFilter->Count() == 1 ? foNONE : foOR;
    }
    SetFilterActive(true);
    FDropCheckList->update();
}
