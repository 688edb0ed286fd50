#pragma once
// The string grid of every table dialog. Row 0 is the header row and column 0 the fixed column of
// row numbers; both stay in place while the data cells scroll. With FixedCols 0, column 0 is a data
// column like the others (editable, selectable, scrolling). Every cell operation takes
// (column, row), column first, and the column is a real column: hidden columns are counted, so a
// hidden column's cells stay where they are. `Col`, `ColCount` and the column widths by position
// are display indexes, which skip the hidden columns.
//
// All cell texts live in one row-major store of the grid (with one byte of flags per cell for check
// boxes and read-only marks); an inner view paints from it through a thin table model. That view is
// the grid's own business: dialogs see a widget with the grid's API only.
#include "grid/GridTypes.h"

#include <QChar>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QAbstractButton;
namespace plat {
class TImageList;
}
class TExStringGrid;

namespace gridimpl {
class GridModel;
class GridDelegate;
class GridView;
}  // namespace gridimpl

// Events of the grid beyond the shared signatures. Key is in and out: setting it to 0 consumes it.
using TGridKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TComboChangeEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection)>;

class TExStringGrid : public QWidget {
    Q_OBJECT
public:
    // Only real columns below this limit can be hidden.
    static constexpr int kMaxHideCol = 512;
    // Space left and right of a cell's text; AutoSizeCol adds it to the widest text.
    static constexpr int kCellMargin = 4;
    static constexpr int kDefaultColWidth = 64;
    static constexpr int kDefaultRowHeight = 22;
    // A new grid: rows and columns, the header row and the fixed column included.
    static constexpr int kDefaultRowCount = 10;
    static constexpr int kDefaultColCount = 5;

    explicit TExStringGrid(QWidget* parent = nullptr);
    ~TExStringGrid() override;

    // Rows, the header row included.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int value);
    // Shown columns, the fixed column included; hidden columns are not counted.
    int ColCount() const { return totalCols_ - numHidden_; }
    void SetColCount(int value);
    // Fixed columns at the left: 1 (column 0, the default) or 0; other values: std::out_of_range.
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int NumHiddenColumns() const { return numHidden_; }
    int TotalColCount() const { return totalCols_; }

    // The current cell, display indexes. Writing moves the focus cell.
    int Col() const { return col_; }
    void SetCol(int value);
    int Row() const { return row_; }
    void SetRow(int value);
    int GetRealCol() const { return RealColIndex(col_); }
    int GetRealRow() const { return row_; }

    // The cell's rectangle in the grid's coordinates (display column); empty when it is not on
    // screen (scrolled away or in a hidden column).
    QRect CellRect(int ACol, int ARow) const;

    int RealColIndex(int ACol) const;   // display -> real
    int DisplColIndex(int ACol) const;  // real -> display

    void HideColumn(int ColIndex) { HideColumns(ColIndex, ColIndex); }
    void HideColumns(int FromCol, int ToCol);
    void UnHideColumn(int ColIndex) { UnHideColumns(ColIndex, ColIndex); }
    void UnHideColumns(int FromCol, int ToCol);
    bool IsHiddenColumn(int ColIndex) const;

    // Cell texts by (real column, row). Out of the grid: std::out_of_range.
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& value);

    // Column widths: by display position, and by real column (a hidden column keeps its width).
    int ColWidths(int ACol) const;
    void SetColWidths(int ACol, int width);
    int AllColWidths(int ACol) const;
    void SetAllColWidths(int ACol, int width);
    // Sizes the shown column ACol to its widest text plus padding.
    void AutoSizeCol(int ACol, int padding = 0);

    // The grid's check texts; a column grid's columns bring their own.
    QString CheckTrue = QStringLiteral("Y");
    QString CheckFalse = QStringLiteral("N");
    TColor Color = clWindow;

    // Check boxes. A plain box keeps its state in the cell; a data box (Data true) shows the cell
    // text, checked exactly when it equals the check-true text.
    void AddCheckBox(int ACol, int ARow, bool State, bool Data);
    void RemoveCheckBox(int ACol, int ARow);
    bool HasCheckBox(int ACol, int ARow) const;
    bool HasDataCheckBox(int ACol, int ARow) const;
    // True when the cell carries a check box; State then tells whether it is ticked.
    bool GetCheckBoxState(int ACol, int ARow, bool& State) const;
    // Sets a box without events; false (and no change) for a cell without one.
    bool SetCheckBoxState(int ACol, int ARow, bool State);
    // The user's toggle: checks CanEditCell when it comes from a click or key.
    bool ToggleCellCheck(int ACol, int ARow, bool FromMouse);
    bool ToggleCheckBox(int ACol, int ARow) { return ToggleCellCheck(ACol, ARow, false); }

    // Per-cell read-only mark.
    bool ReadOnly(int ACol, int ARow) const;
    void SetReadOnly(int ACol, int ARow, bool value);

    // Cell queries a column grid answers from its column items.
    virtual QString GetCheckTrue(int ACol, int ARow) const;
    virtual QString GetCheckFalse(int ACol, int ARow) const;
    // The editor of a cell: the grid's own answer (a column grid's item), then OnGetEditorType has
    // the last word. Asking loads the grid's drop-down list for that cell (see ClearComboString).
    virtual TEditorType GetCellEditor(int ACol, int ARow) const;
    // The drop-down list of a cell: asks the cell's editor, then answers the grid's list.
    QStringList GetComboItems(int ACol, int ARow) const;
    // Rows a drop-down cell's list shows before it scrolls.
    virtual int GetDropDownCount(int ACol, int ARow) const;
    // Most characters a cell's editor takes, 0 for no limit.
    virtual int GetEditLength(int ACol, int ARow) const;
    virtual bool CanEditCell(int ACol, int ARow) const;
    virtual TAlignment GetCellAlignment(int ACol, int ARow) const;
    virtual TColor GetCellColor(int ACol, int ARow) const;

    // One cell's background over the grid's colour; clNone returns the cell to it.
    void SetColors(int ACol, int ARow, TColor color);
    // Pictures of GridImages in cells. The list is not owned. While there is none, Add and Get do
    // nothing and answer false.
    const plat::TImageList* GridImages() const { return gridImages_; }
    void SetGridImages(const plat::TImageList* images);
    bool AddImageIdx(int ACol, int ARow, int Aidx, TCellHAlign hal, TCellVAlign val);
    bool GetImageIdx(int ACol, int ARow, int& idx) const;
    void RemoveImageIdx(int ACol, int ARow);

    // A check box in every data row of a real column: a plain box in the given state or a data box
    // (Data true, see AddCheckBox).
    void AddCheckBoxColumn(int ACol, bool DefaultState, bool DataCheckBox);

    // The grid's drop-down list: the items of the drop-down editor that opens next. A column grid
    // loads it from the cell's column item before OnGetEditorType runs, which may refill it.
    void ClearComboString() { comboList_.clear(); }
    void AddComboString(const QString& text) { comboList_.append(text); }

    // Whole rows: every column from FixedCols on, rows RowIndex .. RowIndex + RCount - 1, the
    // count cut at RowCount. The current cell moves to the selection's far corner.
    void SelectRows(int RowIndex, int RCount);
    // Whether a row lies in the selection.
    bool GetRowSelect(int ARow) const;
    // The row-select option: a click or a move selects the current cell's whole row, the current
    // column staying where it is (so the grid does not scroll sideways).
    void SetRowSelect(bool on);
    bool RowSelect() const;

    TClickCellEvent OnClickCell;
    TDblClickCellEvent OnDblClickCell;
    TGridHintEvent OnGridHint;
    TGridKeyPressEvent OnKeyPress;
    // A choice in a drop-down cell's list (the item's index and text), and every edit typed in a
    // drop-down cell with its own text (index -1, the text as it stands). Real column.
    TComboChangeEvent OnComboChange;
    // Chooses the editor of a cell (real column) and, for a drop-down, fills the grid's list.
    TGetEditorTypeEvent OnGetEditorType;
    TCheckBoxClickEvent OnCheckBoxClick;

    // Input entry points; the view's own handlers end here too, so tests can drive them directly.
    // Returns true when the key was consumed.
    bool KeyPress(QChar key);
    // A press on any cell (data, fixed column, header row, corner); display column.
    void ClickCell(int ARow, int ACol);
    void DblClickCell(int ARow, int ACol);
    QString CellHint(int ARow, int ACol);
    void ComboChange(int ACol, int ARow, int itemIndex, const QString& text);
    void CheckBoxClick(int ACol, int ARow);

protected:
    // Lets OnGetEditorType change the editor a cell query arrived at.
    TEditorType DoGetEditorType(int ACol, int ARow, TEditorType AEditor) const;
    void SetComboList(const QStringList& items) const { comboList_ = items; }
    // A mouse press on a cell (display column), after the grid's own handling of it.
    virtual void CellMouseDown(Qt::MouseButton Button, int ACol, int ARow) {}
    // A cell with a check box that no flag stores (the column grid's check-box columns).
    virtual bool IsVirtualCheckCell(int ACol, int ARow) const;
    // Runs after the number of real columns changed.
    virtual void TotalColCountChanged() {}
    // Repaints every cell and header.
    void RepaintCells();
    int index(int ACol, int ARow) const { return ARow * totalCols_ + ACol; }

    // Keys sent to the grid itself go the way of keys typed in it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class gridimpl::GridModel;
    friend class gridimpl::GridDelegate;
    friend class gridimpl::GridView;

    enum CellFlag : uint8_t { fCheck = 1, fChecked = 2, fData = 4, fReadOnly = 8 };

    void checkCell(int ACol, int ARow) const;
    // Real column of a view column and back; a fixed column has view column -1.
    int realCol(int modelCol) const { return modelCol + fixedCols_; }
    int modelCol(int realCol) const { return realCol - fixedCols_; }
    void viewKeyPress(QKeyEvent* event);
    void resizeStore(int rows, int totalCols);
    void numberRows(int from);
    void applyColumns();
    void syncCurrent();
    void cellChanged(int ACol, int ARow);
    void onCurrentChanged(const QModelIndex& current);
    void onSectionResized(int logical, int oldSize, int newSize);

    gridimpl::GridView* view_ = nullptr;
    QAbstractButton* corner_ = nullptr;
    int rowCount_ = 0;
    int totalCols_ = 0;
    int numHidden_ = 0;
    int fixedCols_ = 1;
    int col_ = 1;
    int row_ = 1;
    bool syncing_ = false;
    bool applying_ = false;
    std::vector<QString> text_;
    std::vector<uint8_t> flags_;
    struct CellPicture {
        int16_t index = -1;  // -1: none
        TCellHAlign hal = haLeft;
        TCellVAlign val = vaTop;
    };
    std::vector<TColor> colors_;            // per cell, clNone: the grid's colour
    std::vector<CellPicture> pictures_;     // per cell
    const plat::TImageList* gridImages_ = nullptr;
    std::vector<uint8_t> visible_;  // one flag per real column below kMaxHideCol
    std::vector<int> widths_;       // per real column
    // Filled while the grid is asked for a cell's editor, which is a const query.
    mutable QStringList comboList_;
    gridimpl::GridModel* model_ = nullptr;
    gridimpl::GridDelegate* delegate_ = nullptr;
};
