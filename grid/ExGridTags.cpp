// Highlighting ("hi" tags) and marking ("e" tags) of a text in cell ranges and their removal; the
// cell checker run over ranges; and the four fills.
#include "controls/ExHTMLUtil.h"
#include "controls/ExStringGridCheck.h"
#include "grid/ExGrid.h"
#include "platform/Format.h"

namespace {
const QString kHi = QStringLiteral("hi");
const QString kMark = QStringLiteral("e");

QString tagged(bool DoCase, const QString& S, const QString& Text, const QString& Tag) {
    QString out;
    InsertHighlightTags(S, Text, Tag, out, DoCase);
    return out;
}
QString untagged(const QString& S, const QString& Tag) {
    QString out;
    RemoveHighlightTags(S, Tag, out);
    return out;
}
}  // namespace

QString TExStringGrid::HilightText(bool DoCase, const QString& S, const QString& Text) {
    return tagged(DoCase, S, Text, kHi);
}
QString TExStringGrid::UnHilightText(const QString& S) { return untagged(S, kHi); }
QString TExStringGrid::MarkText(bool DoCase, const QString& S, const QString& Text) {
    return tagged(DoCase, S, Text, kMark);
}
QString TExStringGrid::UnMarkText(const QString& S) { return untagged(S, kMark); }

// ---------------------------------------------------------------- ranges

void TExStringGrid::tagInRange(const QString& Text, const QString& Tag, int FromCol, int FromRow, int ToCol,
                               int ToRow, bool DoCase) {
    const QString find = EscapeHTMLText(Text, false);
    FromCol = std::max(FromCol, 0);
    FromRow = std::max(FromRow, 0);
    ToCol = std::min(ToCol, TotalColCount() - 1);
    ToRow = std::min(ToRow, RowCount() - 1);
    for (int r = FromRow; r <= ToRow; ++r)
        for (int c = FromCol; c <= ToCol; ++c) {
            if (IsMergedNonBaseCell(c, r)) continue;
            QString s = GridCells(c, r);
            if (OnGetDisplText) DoGetDisplText(c, r, s);
            QString out;
            InsertHighlightTags(EscapeHTMLText(s, false), find, Tag, out, DoCase);
            SetCellEx(c, r, out);
        }
}

void TExStringGrid::unTagInRange(const QString& Tag, int FromCol, int FromRow, int ToCol, int ToRow) {
    FromCol = std::max(FromCol, 0);
    FromRow = std::max(FromRow, 0);
    ToCol = std::min(ToCol, TotalColCount() - 1);
    ToRow = std::min(ToRow, RowCount() - 1);
    for (int r = FromRow; r <= ToRow; ++r)
        for (int c = FromCol; c <= ToCol; ++c) {
            if (IsMergedNonBaseCell(c, r)) continue;
            QString out;
            RemoveHighlightTags(UnescapeHTMLText(GridCells(c, r), false), Tag, out);
            SetCellEx(c, r, out);
        }
}

void TExStringGrid::HilightInCell(bool DoCase, int Col, int Row, const QString& HiText) {
    tagInRange(HiText, kHi, Col, Row, Col, Row, DoCase);
}
void TExStringGrid::HilightInCol(bool DoFixed, bool DoCase, int Col, const QString& HiText) {
    tagInRange(HiText, kHi, Col, DoFixed ? 0 : FixedRows(), Col, DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1,
               DoCase);
}
void TExStringGrid::HilightInRow(bool DoFixed, bool DoCase, int Row, const QString& HiText) {
    tagInRange(HiText, kHi, DoFixed ? 0 : FixedCols(), Row, DoFixed ? ColCount() - 1 : ColCount() - FFixedRightCols - 1,
               Row, DoCase);
}
void TExStringGrid::HilightInGrid(bool DoFixed, bool DoCase, const QString& HiText) {
    if (DoFixed)
        tagInRange(HiText, kHi, 0, 0, ColCount() - 1, RowCount() - 1, DoCase);
    else
        tagInRange(HiText, kHi, FixedCols(), FixedRows(), ColCount() + FNumHidden - FFixedRightCols - 1,
                   RowCount() - FFixedFooters - 1, DoCase);
}
void TExStringGrid::MarkInCell(bool DoCase, int Col, int Row, const QString& HiText) {
    tagInRange(HiText, kMark, Col, Row, Col, Row, DoCase);
}
void TExStringGrid::MarkInCol(bool DoFixed, bool DoCase, int Col, const QString& HiText) {
    tagInRange(HiText, kMark, Col, DoFixed ? 0 : FixedRows(), Col,
               DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1, DoCase);
}
void TExStringGrid::MarkInRow(bool DoFixed, bool DoCase, int Row, const QString& HiText) {
    tagInRange(HiText, kMark, DoFixed ? 0 : FixedCols(), Row,
               DoFixed ? ColCount() - 1 : ColCount() - FFixedRightCols - 1, Row, DoCase);
}
void TExStringGrid::MarkInGrid(bool DoFixed, bool DoCase, const QString& HiText) {
    if (DoFixed)
        tagInRange(HiText, kMark, 0, 0, ColCount() - 1, RowCount() - 1, DoCase);
    else
        tagInRange(HiText, kMark, FixedCols(), FixedRows(), ColCount() - FFixedRightCols - 1,
                   RowCount() - FFixedFooters - 1, DoCase);
}

// Untagging a row or the grid goes on over the hidden columns.
void TExStringGrid::unTagCol(const QString& Tag, bool DoFixed, int Col) {
    unTagInRange(Tag, Col, DoFixed ? 0 : FixedRows(), Col, DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1);
}
void TExStringGrid::unTagRow(const QString& Tag, bool DoFixed, int Row) {
    unTagInRange(Tag, DoFixed ? 0 : FixedCols(), Row,
                 DoFixed ? ColCount() + FNumHidden - 1 : ColCount() + FNumHidden - FFixedRightCols - 1, Row);
}
void TExStringGrid::unTagGrid(const QString& Tag, bool DoFixed) {
    unTagInRange(Tag, DoFixed ? 0 : FixedCols(), DoFixed ? 0 : FixedRows(),
                 DoFixed ? ColCount() + FNumHidden - 1 : ColCount() + FNumHidden - FFixedRightCols - 1,
                 DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1);
}
void TExStringGrid::UnHilightInCell(int Col, int Row) { unTagInRange(kHi, Col, Row, Col, Row); }
void TExStringGrid::UnHilightInCol(bool DoFixed, int Col) { unTagCol(kHi, DoFixed, Col); }
void TExStringGrid::UnHilightInRow(bool DoFixed, int Row) { unTagRow(kHi, DoFixed, Row); }
void TExStringGrid::UnHilightInGrid(bool DoFixed) { unTagGrid(kHi, DoFixed); }
void TExStringGrid::UnMarkInCell(int Col, int Row) { unTagInRange(kMark, Col, Row, Col, Row); }
void TExStringGrid::UnMarkInCol(bool DoFixed, int Col) { unTagCol(kMark, DoFixed, Col); }
void TExStringGrid::UnMarkInRow(bool DoFixed, int Row) { unTagRow(kMark, DoFixed, Row); }
void TExStringGrid::UnMarkInGrid(bool DoFixed) { unTagGrid(kMark, DoFixed); }

// ---------------------------------------------------------------- cell checks

bool TExStringGrid::CheckCell(int ACol, int ARow) {
    if (!FCellChecker) return true;
    if (ACol < 0 || ARow < 0 || ACol >= TotalColCount() || ARow >= RowCount()) return true;
    const QString clean = UnMarkText(Cells(ACol, ARow));
    const int d = DisplColIndex(ACol);
    if (FCellChecker->GotoCell && d < ColCount()) TBaseGrid::FocusCell(d, ARow, true);
    QString value = clean;
    if (FCellChecker->UseCorrect) value = FCellChecker->Correct(ACol, ARow, clean);
    // A checker's marking sees the text without marks, not its own correction.
    if (FCellChecker->UseMarkError) value = FCellChecker->MarkError(ACol, ARow, clean);
    SetCells(ACol, ARow, value);
    return value == clean;
}

bool TExStringGrid::CheckCells(int FromCol, int FromRow, int ToCol, int ToRow) {
    if (!FCellChecker) return true;
    FCellChecker->StartCheck();
    const int row = Row(), col = Col();
    bool result = true;
    for (int r = FromRow; r <= ToRow; ++r)
        for (int c = FromCol; c <= ToCol; ++c) result = CheckCell(c, r) && result;
    FCellChecker->StopCheck();
    if (FCellChecker->GotoCell && row < RowCount() && col < ColCount()) {
        SetRow(row);
        SetCol(col);
    }
    return result;
}

bool TExStringGrid::CheckCol(bool DoFixed, int ACol) {
    return CheckCells(ACol, DoFixed ? 0 : FixedRows(), ACol, DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1);
}
bool TExStringGrid::CheckRow(bool DoFixed, int ARow) {
    return CheckCells(DoFixed ? 0 : FixedCols(), ARow, DoFixed ? ColCount() - 1 : ColCount() - FFixedRightCols - 1, ARow);
}
bool TExStringGrid::CheckGrid(bool DoFixed) {
    return CheckCells(DoFixed ? 0 : FixedCols(), DoFixed ? 0 : FixedRows(),
                      DoFixed ? ColCount() - 1 : ColCount() - FFixedRightCols - 1,
                      DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1);
}

// ---------------------------------------------------------------- fills

void TExStringGrid::fillRange(bool DoFixed, const std::function<QString(int, int)>& Value) {
    const int c0 = DoFixed ? 0 : FixedCols(), c1 = DoFixed ? ColCount() - 1 : ColCount() - FFixedRightCols - 1;
    const int r0 = DoFixed ? 0 : FixedRows(), r1 = DoFixed ? RowCount() - 1 : RowCount() - FFixedFooters - 1;
    BeginUpdate();
    struct End {
        TExStringGrid* g;
        ~End() { g->EndUpdate(); }
    } end{this};
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) SetCells(c, r, Value(c, r));
}

void TExStringGrid::TextFill(bool DoFixed, const QString& Txt) {
    fillRange(DoFixed, [&](int, int) { return Txt; });
    CellsLoaded();
}

void TExStringGrid::FormatFill(bool DoFixed, const QString& Fmt) {
    // The formatter checks the format against two whole numbers before any cell changes.
    (void)plat::Format(Fmt, {0, 0});
    fillRange(DoFixed, [&](int c, int r) { return plat::Format(Fmt, {c, r}); });
    CellsLoaded();
}

void TExStringGrid::RandomFill(bool DoFixed, int Rnd) {
    fillRange(DoFixed, [&](int, int) {
        if (Rnd < 1) return QStringLiteral("0");
        return QString::number(std::uniform_int_distribution<int>(0, Rnd - 1)(FRandom));
    });
    CellsLoaded();
}

void TExStringGrid::LinearFill(bool DoFixed) {
    fillRange(DoFixed, [](int c, int r) { return QString::number(c) + u':' + QString::number(r); });
    CellsLoaded();
}
