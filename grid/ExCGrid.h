#pragma once
// The column grid: a string grid whose columns are described by column items (header, editor kind
// with its drop-down items, check texts, width, alignment, colour, read-only), one item per real
// column. The item answers the cell queries of its column's data cells.
#include "grid/ExGrid.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class TExColumnGrid;
class TGridColumnCollection;

class TGridColumnItem {
public:
    // Index of the item, which is the real column it describes.
    int Index() const { return index_; }

    const QString& Header() const { return header_; }
    // Also writes the text into the column's cell of the header row.
    void SetHeader(const QString& value);
    TEditorType Editor() const { return editor_; }
    void SetEditor(TEditorType value);
    // Items of the drop-down editors; read when a cell editor opens.
    QStringList& ComboItems() { return comboItems_; }
    const QStringList& ComboItems() const { return comboItems_; }
    void SetComboItems(const QStringList& value) { comboItems_ = value; }
    // Rows the drop-down list shows before it scrolls.
    int DropDownCount = 8;
    // Most characters the cell editor takes (0: no limit). A longer text already in the cell stays
    // as it is; it only cannot grow.
    int EditLength = 0;
    // Cell text of a ticked and of an unticked box in an edDataCheckBox column.
    QString CheckTrue = QStringLiteral("Y");
    QString CheckFalse = QStringLiteral("N");
    // The grid's stored width of the column (kept while the column is hidden).
    int Width() const;
    void SetWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ReadOnly = false;
    // The column's pop-up menu (not owned; forgotten when it is destroyed) and the clicks that open it.
    QPointer<QMenu> ColumnPopup;
    TColumnPopupType ColumnPopupType = cpFixedCellsRClick;

    // Copies the look and behaviour of another item: not its header, drop-down items, drop-down
    // row count or colour, which the grid gives, nor when its pop-up menu opens.
    void AssignVisuals(const TGridColumnItem& source);

private:
    friend class TGridColumnCollection;
    TGridColumnItem(TGridColumnCollection* owner, int index);
    void changed();

    TGridColumnCollection* owner_;
    int index_;
    QString header_;
    TEditorType editor_ = edNormal;
    QStringList comboItems_;
    TAlignment alignment_ = taLeftJustify;
    TColor color_;
};

class TGridColumnCollection {
public:
    int Count() const { return int(items_.size()); }
    // Column i; std::out_of_range outside the collection.
    TGridColumnItem& Items(int i);
    const TGridColumnItem& Items(int i) const;
    // Appends an item that continues the look of the last one; the grid gains a column.
    TGridColumnItem& Add();
    TExColumnGrid& Grid() const { return *grid_; }

private:
    friend class TExColumnGrid;
    friend class TGridColumnItem;
    explicit TGridColumnCollection(TExColumnGrid* grid) : grid_(grid) {}
    void appendItem();
    void renumber();

    TExColumnGrid* grid_;
    std::vector<std::unique_ptr<TGridColumnItem>> items_;
};

// A click on a cell of a column with a pop-up menu: display column, row and the menu.
using TColumnPopupEvent = std::function<void(QObject* Sender, int ACol, int ARow, QMenu* PopupMenu)>;

class TExColumnGrid : public TExStringGrid {
    Q_OBJECT
public:
    explicit TExColumnGrid(QWidget* parent = nullptr);
    ~TExColumnGrid() override;

    TGridColumnCollection& Columns() { return columns_; }
    const TGridColumnCollection& Columns() const { return columns_; }

    QString GetCheckTrue(int ACol, int ARow) const override;
    QString GetCheckFalse(int ACol, int ARow) const override;
    // A data cell's editor is its item's, its drop-down list the item's items; OnGetEditorType may
    // change both.
    TEditorType GetCellEditor(int ACol, int ARow) const override;
    int GetDropDownCount(int ACol, int ARow) const override;
    int GetEditLength(int ACol, int ARow) const override;
    bool CanEditCell(int ACol, int ARow) const override;
    TAlignment GetCellAlignment(int ACol, int ARow) const override;
    TColor GetCellColor(int ACol, int ARow) const override;

    // A press with the button of the item's ColumnPopupType, on any cell of a column whose item has
    // a menu, fires this event; the menu then opens below the cell's bottom-left corner when the
    // cell is of the kind (header or data) the type names. A column's item is its real column's.
    TColumnPopupEvent OnColumnPopup;

protected:
    void CellMouseDown(Qt::MouseButton Button, int ACol, int ARow) override;
    bool IsVirtualCheckCell(int ACol, int ARow) const override;
    void TotalColCountChanged() override;

private:
    friend class TGridColumnCollection;
    friend class TGridColumnItem;
    // The item of a data cell's column, or nullptr for fixed cells and columns without an item.
    const TGridColumnItem* dataItem(int ACol, int ARow) const;
    void syncColumns();
    void itemChanged() { RepaintCells(); }

    TGridColumnCollection columns_;
    bool noRecursiveUpdate_ = false;
};
