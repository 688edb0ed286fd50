#pragma once
// The column grid: a string grid whose columns are described by column items, one item per real
// column (hidden ones included). An item carries its column's header, look, editor kind with its
// drop-down items, check texts, limits and pop-up menu, and answers the cell queries of its column
// before the events do. Items move with their columns, follow the column count and travel through
// a stream of the grid's own binary format.
//
// With hidden columns the queries take real columns and the item of a cell is always the one of
// its real column; the pop-up maps the clicked display column to its real column first.
#include "grid/ExGrid.h"

#include <QIODevice>
#include <QPointer>
#include <functional>
#include <memory>

class QMenu;
class TExColumnGrid;
class TGridColumnCollection;

enum TColumnPopupType : uint8_t {
    cpFixedCellsRClick, cpFixedCellsLClick, cpNormalCellsRClick, cpNormalCellsLClick, cpAllCellsRClick,
    cpAllCellsLClick
};

class TGridColumnItem : public plat::TCollectionItem {
public:
    // Inside a collection the item takes the grid's colour and font and reports its changes; the
    // spare item outside any collection (nullptr) gets neither.
    explicit TGridColumnItem(TGridColumnCollection* Collection);
    ~TGridColumnItem() override;

    // Copies every described field; nothing is updated or repainted, the grid column keeps its size.
    void Assign(const TGridColumnItem& Source);
    // The same but colour and font come from the grid, and the header, drop-down items and count,
    // header font, name and tag stay.
    void AssignVisuals(const TGridColumnItem& Source);
    // "Col 2: ID" with a name, else "Column 2".
    QString GetDisplayName() const;
    TGridColumnCollection* Owner() const { return FOwner; }

    // The grid's stored width of the column, kept while it is hidden; 0 outside a collection.
    int Width() const;
    void SetWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    const QString& Header() const { return FColumnHeader; }
    // Also the text of the header row (unless a column move is under way) and the grid's
    // ColumnHeaders list.
    void SetHeader(const QString& Value);
    // A change of the font reports to the collection.
    plat::TFont& Font() { return FFont; }
    const plat::TFont& Font() const { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TEditorType Editor() const { return FEditorType; }
    void SetEditor(TEditorType Value);
    bool Fixed() const { return FFixed; }
    void SetFixed(bool Value);
    QStringList& ComboItems() { return FComboItems; }
    const QStringList& ComboItems() const { return FComboItems; }
    void SetComboItems(const QStringList& Value) { FComboItems = Value; }
    bool Password() const { return FPassword; }
    void SetPassword(bool Value);
    const plat::TFont& PrintFont() const { return FPrintFont; }
    plat::TFont& PrintFont() { return FPrintFont; }
    void SetPrintFont(const plat::TFont& Value) { FPrintFont.Assign(Value); }
    TCellBorders Borders() const { return FBorders; }
    void SetBorders(TCellBorders Value);
    const plat::TPen& BorderPen() const { return FBorderPen; }
    // Copies the pen's settings into the item's own pen.
    void SetBorderPen(const plat::TPen& Value);
    bool ShowBands() const { return FShowBands; }
    void SetShowBands(bool Value);
    const QStringList& Filter() const { return FFilter; }
    void SetFilter(const QStringList& Value);
    const QString& FloatFormat() const { return FFloatFormat; }
    void SetFloatFormat(const QString& Value);
    TAlignment HeaderAlignment() const { return FHeaderAlignment; }
    void SetHeaderAlignment(TAlignment Value);
    plat::TFont& HeaderFont() { return FHeaderFont; }
    const plat::TFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const plat::TFont& Value) { FHeaderFont.Assign(Value); }

    // Fields read and written directly.
    TSortStyle SortStyle = ssAutomatic;
    QString SortPrefix, SortSuffix;
    QString EditMask;
    // Most characters the cell editor takes (0: no limit).
    int EditLength = 0;
    int DropDownCount = 8;
    int SpinMin = 0, SpinMax = 0, SpinStep = 1;
    TColor PrintColor = 0xFFFFFF;
    plat::TPen PrintBorderPen;
    TCellBorders PrintBorders{cbTop, cbLeft, cbRight, cbBottom};
    int Tag = 0;
    // The column's index in the designed order.
    int DefIdx = 0;
    QString Name;
    QString CheckFalse = QStringLiteral("N");
    QString CheckTrue = QStringLiteral("Y");
    int MaxSize = 0, MinSize = 0, AutoMinSize = 0, AutoMaxSize = 0;
    bool ReadOnly = false;
    bool FilterCaseSensitive = false;
    bool PrintBorderCustom = true;
    bool PrintFontCustom = true;
    // Not owned: a menu destroyed elsewhere reads as none.
    QPointer<QMenu> ColumnPopup;
    // The column's editor link for its edCustom cells, put into the grid before an edit. Not owned:
    // a link destroyed elsewhere reads as none.
    QPointer<TEditLink> EditLink;
    TColumnPopupType ColumnPopupType = cpFixedCellsRClick;

    // Typed access to the item's column (idx a display row).
    QString GetRows(int idx) const;
    void SetRows(int idx, const QString& Value);
    int GetInts(int idx) const;
    void SetInts(int idx, int Value);
    double GetFloats(int idx) const;
    void SetFloats(int idx, double Value);
    double GetDates(int idx) const;
    void SetDates(int idx, double Value);
    double GetTimes(int idx) const;
    void SetTimes(int idx, double Value);

private:
    friend class TGridColumnCollection;
    friend class TExColumnGrid;
    void changed();
    void repaint() const;
    TExColumnGrid* grid() const;

    TGridColumnCollection* FOwner;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    QString FColumnHeader;
    plat::TFont FFont;
    TColor FColor = plat::clWindow;
    TEditorType FEditorType = edNormal;
    bool FFixed = false;
    QStringList FComboItems;
    bool FPassword = false;
    plat::TFont FPrintFont;
    TCellBorders FBorders;
    plat::TPen FBorderPen;
    bool FShowBands = false;
    QStringList FFilter;
    QString FFloatFormat;
    TAlignment FHeaderAlignment = taLeftJustify;
    plat::TFont FHeaderFont;
};

class TGridColumnCollection : public plat::TCollectionBase {
public:
    explicit TGridColumnCollection(TExColumnGrid* AOwner);

    TGridColumnItem& Items(int Index) const { return static_cast<TGridColumnItem&>(*itemAt(Index)); }
    void SetItem(int Index, const TGridColumnItem& Value) { Items(Index).Assign(Value); }
    // Appends an item that continues the look of the last one (but with the grid's colour and font
    // and no header or drop-down items); the grid gains a column.
    TGridColumnItem& Add();
    // An item with start values only.
    TGridColumnItem& Insert(int Index);
    void Delete(int Index);
    // Another collection's items copied in, one notice at the end.
    void Assign(const TGridColumnCollection& Source);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Every item's DefIdx becomes its index: the order as designed.
    void SetOrganization();
    // Moves the columns back into the designed order.
    void ResetOrganization();
    // After a change of an item (nullptr: of the list): the grid's column count follows the items,
    // then the headers and a repaint.
    void Update(TGridColumnItem* Item);
    TExColumnGrid& Grid() const { return *FOwner; }
    TExColumnGrid* GetOwner() const { return FOwner; }
    bool NoRecursiveUpdate() const { return FNoRecursiveUpdate; }
    void SetNoRecursiveUpdate(bool Value) { FNoRecursiveUpdate = Value; }

private:
    TExColumnGrid* FOwner;
    bool FNoRecursiveUpdate = false;
    int FUpdateCount = 0;
};

// A click on a column with a pop-up menu: the display column, the row and the menu.
using TColumnPopupEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QMenu* PopupMenu)>;

class TExColumnGrid : public TExStringGrid {
public:
    explicit TExColumnGrid(QWidget* AOwner = nullptr);
    ~TExColumnGrid() override;

    TGridColumnCollection& Columns() { return *FColumnCollection; }
    const TGridColumnCollection& Columns() const { return *FColumnCollection; }
    void SetColumns(const TGridColumnCollection& Value) { FColumnCollection->Assign(Value); }
    bool AutoFilterDisplay() const { return FAutoFilterDisplay; }
    void SetAutoFilterDisplay(bool Value) { FAutoFilterDisplay = Value; }
    // The first item with exactly this name; nullptr when none.
    TGridColumnItem* GetColumnByName(const QString& AValue) const;

    void Loaded() override;
    // The items follow: appended (continuing the last one's look) or dropped at the end.
    void SetColCount(int Value) override;
    void InsertCols(int ColIndex, int CCount) override;
    void RemoveCols(int ColIndex, int CCount) override;
    void Group(int ColIndex) override;
    void UnGroup() override;

    // Column order by item: "CP" + i = the designed index of the column now at position i, in the
    // INI file Key, section Section. Loading needs every "CP" entry, a permutation of 0 .. n - 1.
    void SaveColumnPositions(const QString& Key, const QString& Section);
    void LoadColumnPositions(const QString& Key, const QString& Section);
    void SaveColPositions() override;
    void LoadColPositions() override;
    // The items in a versioned binary format of the grid's own. Loading checks the whole stream
    // before any item changes; a stream it cannot read changes nothing and answers false.
    void SaveColumnsToStream(QIODevice& st);
    bool LoadColumnsFromStream(QIODevice& st);

    int32_t GetVersionNr() const override;
    QString GetVersionString() const override;

    // Cell queries: real column, display row.
    void GetCellColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                      plat::TFont& AFont) override;
    void GetCellPrintColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                           plat::TFont& AFont) override;
    void GetCellBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) override;
    void GetCellPrintBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) override;
    void GetCellAlign(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) override;
    void GetCellFormat(int ACol, TSortStyle& AStyle, QString& APrefix, QString& ASuffix) override;
    // The string grid's return-value forms beside the overridden in/out forms.
    using TExStringGrid::CanEditCell;
    using TExStringGrid::CheckBoxClick;
    using TExStringGrid::GetCellEditor;
    using TExStringGrid::GetCheckFalse;
    using TExStringGrid::GetCheckTrue;
    void GetCellEditor(int ACol, int ARow, TEditorType& AEditor) override;
    // A data cell's item's EditLength.
    int GetEditLength(int ACol, int ARow) override;
    void IsFixedCell(int ACol, int ARow, bool& IsFixed) override;
    void IsPasswordCell(int ACol, int ARow, bool& IsPassword) override;
    void GetCheckTrue(int ACol, int ARow, QString& Value) override;
    void GetCheckFalse(int ACol, int ARow, QString& Value) override;
    TCellGraphic* GetHiddenRowGraphic(int ACol, int ARealRow) override;
    void GetHiddenRowCheckText(int ACol, int ARealRow, bool State, QString& Value) override;
    QString GetFloatFormat(int ACol, int ARow) const override;
    void GetCellDefaults(int ACol, int ARow, plat::TFont& AFont, plat::TBrush& ABrush, TColor& ColorTo,
                         TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HA, TVAlignment& VA, bool& WW,
                         TCellGradientDirection& GD) override;
    void CanEditCell(int ACol, int ARow, bool& CanEdit) override;
    bool HasComboBox(int ACol, int ARow) override;
    bool GetColumnFilter(int Column) override;
    void FilterSelect(int ItemIndex) override;
    QString GetFormattedCell(int ACol, int ARow) override;
    TCellType GetCellType(int ACol, int ARow) override;
    TCellGraphic* GetCellGraphic(int ACol, int ARow) override;
    QString GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    void UpdateColumnSize(int ACol, int& AWidth) override;
    void UpdateAutoColumnSize(int ACol, int& AWidth) override;
    void ColumnHeadersChanged() override;
    void CellsLoaded() override;
    void ChangeScale(int M, int D) override;

    TColumnPopupEvent OnColumnPopup;
    TMovedEvent OnAfterColumnMoved;

protected:
    // A new collection owned by the grid.
    virtual std::unique_ptr<TGridColumnCollection> CreateColumns();
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;

private:
    friend class TGridColumnCollection;
    friend class TGridColumnItem;
    // The item of a column, nullptr for a column without one.
    TGridColumnItem* item(int ACol) const;
    bool isNormal(int ACol, int ARow) const { return ACol >= FixedCols() && ARow >= FixedRows(); }
    bool inDataArea(int ACol, int ARow) const;
    // A hidden row's cell in a data column: a hidden row is always a data row.
    bool hiddenDataCell(int ACol, int ARealRow) const;
    // Items appended or dropped at the end until there is one per real column.
    void syncColumns();
    void syncColumnsQuiet();
    // Items' headers into ColumnHeaders, an empty one taking the header row's text first.
    void itemsToHeaders();
    // ColumnHeaders := every item's header, no cell written.
    void headersFromItems();

    std::unique_ptr<TGridColumnCollection> FColumnCollection;
    std::unique_ptr<TGridColumnItem> FSaveCol;
    std::unique_ptr<TCellGraphic> FCellGraphic;
    bool FColMoving = false;
    bool FAutoFilterDisplay = false;
    bool FDestroying = false;
};

// Carries a column collection through a stream.
class TExColumnGridIO {
public:
    explicit TExColumnGridIO(TExColumnGrid* AOwner);
    TGridColumnCollection& Items() { return FItems; }
    void SetItems(const TGridColumnCollection& Value) { FItems.Assign(Value); }

private:
    TGridColumnCollection FItems;
};
