// Row operations of the table dialogs (declared in UComon.h).
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "platform/Canvas.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

namespace {

const QString kInsertLosesLastRow = QStringLiteral(
    "The last row of the table is in use: inserting a row would lose its values. "
    "Delete or empty the last row first.");

QString text(int n) { return Text_Table.value(n); }

// Columns 1 .. lastDataCol() are the data cells of a row.
int lastDataCol(const TExStringGrid& g) { return g.ColCount() + g.NumHiddenColumns() - 1; }

bool validRow(const TExStringGrid& g, int row) { return row >= 1 && row < g.RowCount(); }

// Column grid: a row is in use when a cell outside the check-box columns holds more than blanks.
bool columnRowInUse(const TExColumnGrid& g, int row) {
    for (int c = 1; c <= lastDataCol(g); ++c) {
        if (c < g.Columns().Count() && g.Columns().Items(c).Editor() == edDataCheckBox) continue;
        if (!TrimCtl(g.Cells(c, row)).isEmpty()) return true;
    }
    return false;
}

// Check-box grid: a row is in use when a cell without a check box holds any text, blanks included.
bool checkRowInUse(TExStringGrid& g, int row) {
    for (int c = 1; c <= lastDataCol(g); ++c)
        if (!g.HasCheckBox(c, row) && !g.Cells(c, row).isEmpty()) return true;
    return false;
}

// The two refusals every paste shares; true when the paste may go on.
bool pasteAllowed(const TExStringGrid& g, bool copyFlag) {
    if (!copyFlag) {
        plat::dialogs().error(text(1102));
        return false;
    }
    if (lastDataCol(g) != g_RowClipboard.size()) {
        plat::dialogs().error(text(1101));
        return false;
    }
    return true;
}

// Moves one data cell of the check-box family: check state or text, and the read-only mark.
void moveCheckCell(TExStringGrid& g, int c, int from, int to) {
    bool state = false;
    if (g.GetCheckBoxState(c, from, state))
        g.SetCheckBoxState(c, to, state);
    else
        g.SetCells(c, to, g.Cells(c, from));
    g.SetReadOnly(c, to, g.ReadOnly(c, from));
}

void resetCheckRow(TExStringGrid& g, int row, bool flag, bool readOnly) {
    for (int c = 1; c <= lastDataCol(g); ++c) {
        if (g.HasCheckBox(c, row))
            g.SetCheckBoxState(c, row, flag && c == 1);
        else
            g.SetCells(c, row, QString());
        g.SetReadOnly(c, row, readOnly);
    }
}

}  // namespace

void Delete_Row_Grid(int row, TExColumnGrid& grid) {
    if (!validRow(grid, row)) return;
    const int last = grid.RowCount() - 1, cols = lastDataCol(grid);
    for (int r = row; r < last; ++r)
        for (int c = 1; c <= cols; ++c) grid.SetCells(c, r, grid.Cells(c, r + 1));
    for (int c = 1; c <= cols; ++c) grid.SetCells(c, last, QString());
}

void Insert_Row_Grid(int row, TExColumnGrid& grid, bool flag) {
    if (!validRow(grid, row)) return;
    const int last = grid.RowCount() - 1, cols = lastDataCol(grid);
    if (columnRowInUse(grid, last)) {
        plat::dialogs().error(kInsertLosesLastRow);
        return;
    }
    for (int r = last - 1; r >= row; --r)
        for (int c = 1; c <= cols; ++c) grid.SetCells(c, r + 1, grid.Cells(c, r));
    for (int c = 1; c <= cols; ++c) grid.SetCells(c, row, QString());
    if (flag && cols >= 1) grid.SetCells(1, row, QStringLiteral("Y"));
}

void Copy_Row_Grid(TExColumnGrid& grid, int row) {
    if (!validRow(grid, row)) return;
    g_RowClipboard.clear();
    // The flags describe the clipboard's entries; this family copies no check boxes.
    g_RowClipboardIsCheck.clear();
    for (int c = 1; c <= lastDataCol(grid); ++c) g_RowClipboard.append(grid.Cells(c, row));
}

void Paste_Row_Grid(TExColumnGrid& grid, int row, bool copyFlag) {
    if (!validRow(grid, row)) return;
    if (!pasteAllowed(grid, copyFlag)) return;
    if (columnRowInUse(grid, row) && plat::dialogs().questionYesNo(text(1100)) != plat::Answer::Yes) return;
    for (int c = 1; c <= lastDataCol(grid); ++c) grid.SetCells(c, row, g_RowClipboard.at(c - 1));
}

void Delete_Row_Check_Grid(int row, TExStringGrid& grid, bool flag) {
    if (!validRow(grid, row)) return;
    const int last = grid.RowCount() - 1, cols = lastDataCol(grid);
    for (int r = row; r < last; ++r)
        for (int c = 1; c <= cols; ++c) moveCheckCell(grid, c, r + 1, r);
    resetCheckRow(grid, last, flag, true);
}

void Insert_Row_Check_Grid(int row, TExStringGrid& grid, bool flag) {
    if (!validRow(grid, row)) return;
    const int last = grid.RowCount() - 1, cols = lastDataCol(grid);
    if (checkRowInUse(grid, last)) {
        plat::dialogs().error(kInsertLosesLastRow);
        return;
    }
    for (int r = last - 1; r >= row; --r)
        for (int c = 1; c <= cols; ++c) moveCheckCell(grid, c, r, r + 1);
    resetCheckRow(grid, row, flag, false);
}

void Copy_Row_Check_Grid(TExStringGrid& grid, int row) {
    if (!validRow(grid, row)) return;
    g_RowClipboard.clear();
    g_RowClipboardIsCheck.assign(size_t(lastDataCol(grid)), 0);
    for (int c = 1; c <= lastDataCol(grid); ++c) {
        bool state = false;
        if (grid.GetCheckBoxState(c, row, state)) {
            g_RowClipboardIsCheck[size_t(c - 1)] = 1;
            g_RowClipboard.append(state ? QStringLiteral("Y") : QStringLiteral("N"));
        } else {
            g_RowClipboard.append(grid.Cells(c, row));
        }
    }
}

void Paste_Row_Check_Grid(TExStringGrid& grid, int row, bool copyFlag) {
    if (!validRow(grid, row)) return;
    if (!pasteAllowed(grid, copyFlag)) return;
    if (checkRowInUse(grid, row) && plat::dialogs().questionYesNo(text(1100)) != plat::Answer::Yes) return;
    for (int c = 1; c <= lastDataCol(grid); ++c) {
        const QString& v = g_RowClipboard.at(c - 1);
        // A row copied by the column-grid family carries no check flags: all its cells are texts.
        const bool isCheck = size_t(c - 1) < g_RowClipboardIsCheck.size() && g_RowClipboardIsCheck[size_t(c - 1)];
        if (isCheck)
            grid.SetCheckBoxState(c, row, v == QStringLiteral("Y"));
        else
            grid.SetCells(c, row, v);
    }
}

void Grid_Enter_Next_Cell(TExStringGrid& grid, QChar& key) {
    if (!g_EnableJumpFieldTables || key != QChar(13)) return;
    if (grid.Col() > 0 && grid.Row() > 0) {
        if (grid.Col() < grid.ColCount() - 1) {
            grid.SetCol(grid.Col() + 1);
        } else {
            grid.SetCol(1);
            grid.SetRow(grid.Row() == grid.RowCount() - 1 ? 1 : grid.Row() + 1);
        }
    }
    key = QChar(0);
}

bool Edit_Cell_In_Window(TExStringGrid& grid, int col, int row, const std::function<bool(QString& text)>& edit) {
    grid.HideInplaceEdit();
    QString text = grid.Cells(col, row);
    if (!edit(text)) return false;
    grid.SetCells(col, row, text);
    return true;
}

void Fit_Header_Row(TExStringGrid& grid) {
    if (grid.RowCount() < 1) return;
    // Measured as the cell painter lays a fixed cell's text out: in the header's own font, wrapped
    // at blanks into the cell less its edges, grid line and text offsets, whole lines only.
    constexpr int kFixedEdgeX = 1, kFixedEdgeY = 2;
    const int lineWidth = grid.BaseGridLineWidth();
    const QPoint offset = grid.XYOffset();
    const int xOffsets = grid.XYOffsetTopLeftOnly() ? offset.x() : 2 * offset.x();
    plat::TCanvas measure;
    int height = grid.DefaultRowHeight();
    for (int c = 0; c < grid.ColCount(); ++c) {
        const QString text = grid.Cells(grid.RealColIndex(c), 0);
        if (text.isEmpty()) continue;
        plat::TGridDrawState state;
        plat::TBrush brush;
        TColor to = plat::clNone, mirror = plat::clNone, mirrorTo = plat::clNone;
        TAlignment ha = taLeftJustify;
        TVAlignment va = vtaTop;
        bool wrap = grid.WordWrap();
        TCellGradientDirection gradient = GradientVertical;
        grid.GetVisualProperties(c, 0, state, false, false, true, brush, to, mirror, mirrorTo, measure.Font(), ha, va,
                                 wrap, gradient);
        if (!wrap) continue;  // a header that does not wrap keeps to one line whatever its height
        measure.Font().SetSize(measure.Font().Size() + grid.ZoomFactor());
        plat::TRect r{0, 0, std::max(1, grid.ColWidths(c) - kFixedEdgeX - lineWidth - xOffsets), 0};
        const int textHeight = measure.DrawText(text, r,
                                                plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_EDITCONTROL |
                                                    plat::DT_EXPANDTABS | plat::DT_NOPREFIX);
        height = std::max(height, textHeight + kFixedEdgeY + lineWidth + offset.y());
    }
    if (grid.RowHeights(0) != height) grid.SetRowHeights(0, height);
}

void Set_Table_Grid_Form(TExStringGrid& grid, bool editing) {
    SetConfiguratorFormValues(grid);
    // The column items a new column grid starts with take the form's fonts too, as later ones do
    // from the grid.
    if (auto* columns = dynamic_cast<TExColumnGrid*>(&grid))
        for (int c = 0; c < columns->Columns().Count(); ++c) {
            TGridColumnItem& item = columns->Columns().Items(c);
            item.Font().Assign(grid.Font());
            item.HeaderFont().Assign(grid.Font());
            item.PrintFont().Assign(grid.Font());
        }
    plat::TGridOptions options = grid.Options();
    options.include(plat::goColSizing);
    if (editing) options.include(plat::goEditing);
    grid.SetOptions(options);
}

void Grid_Auto_Size_Col(TExStringGrid& grid, int row, int column) {
    if (!g_DoubleClickAutoSize || row != 0) return;
    grid.AutoSizeCol(column, 0);
}
