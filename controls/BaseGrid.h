#pragma once
// The base grid under every string grid of the tool: per-cell properties kept in the platform
// store's object slots, merged blocks of cells shown and edited as one, the grid's own cell painter,
// and the link to an undo/redo component. Columns are real columns unless said otherwise.
//
// Merge encoding: an unmerged cell has no properties or spans -1/-1; a block's base (top-left) cell
// has spans (w - 1, h - 1); every other member has its offsets back to the base and is no base cell.
// A member whose base has no properties or does not cover it any more (after freeing, moving or
// sorting) counts as an unmerged cell everywhere.
#include "controls/ExGridTypes.h"
#include "platform/Canvas.h"
#include "platform/Collection.h"
#include "platform/Font.h"
#include "platform/StringGrid.h"

#include <QPointer>
#include <QString>
#include <memory>

class TBaseGrid;
class TExGridUndoRedo;

// Marks a cell graphic the cell's properties own: one is freed with the properties that hold it
// (the string grid's cell graphics derive from this and from QObject). Other graphic objects are
// the caller's.
class TOwnedCellGraphic {
public:
    virtual ~TOwnedCellGraphic() = default;
};

class TCellProperties final : public plat::TGridObject {
public:
    TCellProperties(TBaseGrid* AOwner, int ACol, int ARow);
    ~TCellProperties() override;

    TBaseGrid* OwnerGrid() const { return FOwnerGrid; }
    int OwnerCol() const { return FOwnerCol; }
    void SetOwnerCol(int v) { FOwnerCol = v; }
    int OwnerRow() const { return FOwnerRow; }
    void SetOwnerRow(int v) { FOwnerRow = v; }
    uintptr_t CellObject() const { return FObject; }
    void SetCellObject(uintptr_t v) { FObject = v; }
    QObject* GraphicObject() const { return FGraphicObject; }
    void SetGraphicObject(QObject* v) { FGraphicObject = v; }
    plat::TBrushStyle BrushStyle() const { return FBrushStyle; }
    void SetBrushStyle(plat::TBrushStyle v) { FBrushStyle = v; }
    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor v);  // repaints the cell
    TColor BrushColorTo() const { return FBrushColorTo; }
    void SetBrushColorTo(TColor v);  // repaints the cell
    int FontSize() const { return FFontSize; }
    void SetFontSize(int v) { FFontSize = v; }
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor v) { FFontColor = v; }
    plat::TFontStyles FontStyle() const { return FFontStyle; }
    void SetFontStyle(plat::TFontStyles v) { FFontStyle = v; }
    int CellSpanY() const { return FCellSpanY; }
    void SetCellSpanY(int v) { FCellSpanY = v; }
    int CellSpanX() const { return FCellSpanX; }
    void SetCellSpanX(int v) { FCellSpanX = v; }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v) { FBorderWidth = v; }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor v) { FBorderColor = v; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; }  // takes effect at the next repaint
    TVAlignment VAlignment() const { return FVAlignment; }
    void SetVAlignment(TVAlignment v);  // repaints the cell
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);  // repaints the cell
    bool IsBaseCell() const { return FIsBaseCell; }
    void SetIsBaseCell(bool v) { FIsBaseCell = v; }
    TColumnCalcType CalcType() const { return FCalcType; }
    void SetCalcType(TColumnCalcType v) { FCalcType = v; }
    QObject* CalcObject() const { return FCalcObject; }
    void SetCalcObject(QObject* v) { FCalcObject = v; }
    int NodeLevel() const { return FNodeLevel; }
    void SetNodeLevel(int v) { FNodeLevel = v; }
    TEditorType Editor() const { return FEditor; }
    void SetEditor(TEditorType v) { FEditor = v; }
    const QString& FontName() const { return FFontName; }
    void SetFontName(const QString& v) { FFontName = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    TCellGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TCellGradientDirection v) { FGradientDirection = v; }
    QWidget* Control() const { return FControl; }
    void SetControl(QWidget* v) { FControl = v; }

    // Paint pass in which this base cell's block was last painted.
    int PaintID() const { return FPaintID; }
    void SetPaintID(int v) { FPaintID = v; }

    // The base cell of the block for a cell at (c, r) holding these properties.
    plat::TGridCoord BaseCell(int c, int r) const;
    // Copies the cell settings of another properties object; owner grid, graphic object, colour-to,
    // gradient direction, calculation and paint pass stay.
    void Assign(const TCellProperties& Source);

private:
    friend class TBaseGrid;
    void repaint();

    // Beside the vtable pointer, which every lookup reads: a pass over a node's rows that raises
    // their levels then touches one line of each row's properties.
    int FNodeLevel = 0;
    TBaseGrid* FOwnerGrid;
    int FOwnerCol, FOwnerRow;
    uintptr_t FObject = 0;
    QObject* FGraphicObject = nullptr;
    plat::TBrushStyle FBrushStyle = plat::bsSolid;
    TColor FBrushColor = plat::clNone;
    TColor FBrushColorTo = plat::clNone;
    int FFontSize = 0;
    TColor FFontColor = plat::clNone;
    plat::TFontStyles FFontStyle;
    int FCellSpanY = -1;
    int FCellSpanX = -1;
    int FBorderWidth = 0;
    TColor FBorderColor = 0;
    TAlignment FAlignment = taLeftJustify;
    TVAlignment FVAlignment = vtaTop;
    int FPaintID = 0;
    bool FWordWrap;
    bool FIsBaseCell = true;
    TColumnCalcType FCalcType = acNONE;
    QObject* FCalcObject = nullptr;
    TEditorType FEditor = edNormal;
    QString FFontName;
    bool FReadOnly = false;
    TCellGradientDirection FGradientDirection = GradientVertical;
    QPointer<QWidget> FControl;
};

// Adds nothing: the level the grid family names between the platform grid and the base grid.
class TObjStringGrid : public plat::TStringGrid {
public:
    using plat::TStringGrid::TStringGrid;
};

class TBaseGrid : public TObjStringGrid {
public:
    explicit TBaseGrid(QWidget* parent = nullptr);
    ~TBaseGrid() override;

    // ---- cell API (column first) ----
    QString Cells(int c, int r) const { return GetCellEx(c, r); }
    void SetCells(int c, int r, QString v) { SetCellEx(c, r, std::move(v)); }
    uintptr_t Objects(int c, int r) const { return GetObjectEx(c, r); }
    void SetObjects(int c, int r, uintptr_t v) { SetObjectEx(c, r, v); }
    QObject* GraphicObjects(int c, int r) const { return GetGraphicObjectEx(c, r); }
    void SetGraphicObjects(int c, int r, QObject* v) { SetGraphicObjectEx(c, r, v); }
    // Created with the cell defaults when missing; outside the real cells EInvalidGridOperation.
    TCellProperties* CellProperties(int c, int r) { return GetCellProperties(c, r); }
    TCellProperties* GetCellProperties(int c, int r);
    // Frees the present properties (unless they are the given ones) and stores the given ones.
    void SetCellProperties(int c, int r, std::unique_ptr<TCellProperties> Value);
    const QString& GridCells(int c, int r) const { return plat::TStringGrid::Cells(c, r); }
    void SetGridCells(int c, int r, const QString& v) { plat::TStringGrid::SetCells(c, r, v); }
    TCellProperties* GridObjects(int c, int r) const;
    // Hands the present properties to the caller (nothing dangles, nothing leaks) and stores Value.
    std::unique_ptr<TCellProperties> SetGridObject(int c, int r, std::unique_ptr<TCellProperties> Value);

    QString GetCellEx(int c, int r) const;
    void SetCellEx(int c, int r, QString Value);
    uintptr_t GetObjectEx(int c, int r) const;
    void SetObjectEx(int c, int r, uintptr_t Value);
    QObject* GetGraphicObjectEx(int c, int r) const;
    void SetGraphicObjectEx(int c, int r, QObject* Value);

    // ---- merges ----
    bool IsBaseCell(int c, int r) const;
    bool IsMergedCell(int c, int r) const;
    bool IsMergedNonBaseCell(int c, int r) const;
    bool IsXMergedCell(int c, int r) const;
    bool IsYMergedCell(int c, int r) const;
    plat::TGridCoord BaseCell(int c, int r) const;
    plat::TGridRect FullCell(int c, int r) const;
    plat::TGridCoord CellSpan(int c, int r) const;
    plat::TGridCoord CellExt(int c, int r) const;
    int MinRowSpan(int ARow) const;
    int MaxRowSpan(int ARow) const;
    bool RowSpanIdentical(int ARow1, int ARow2) const;
    bool ColSpanIdentical(int ACol1, int ACol2) const;
    // A block reaching outside the real cells raises EInvalidGridOperation and changes nothing.
    virtual void MergeCells(int c, int r, int spanx, int spany);
    virtual void SplitCells(int c, int r);
    int MergeCount() const { return FMergeCount; }

    // ---- geometry ----
    // A merged block's whole rectangle; else the platform's rectangle, empty off screen.
    plat::TRect CellRect(int c, int r) const;
    QSize CellSize(int c, int r) const;
    void RepaintCell(int c, int r);

    // ---- painting ----
    void PaintCell(plat::TCanvas& ACanvas, int ACol, int ARow, const plat::TRect& ARect, plat::TGridDrawState AState);
    void PaintCellExt(plat::TCanvas& ACanvas, int ACol, int ARow, const plat::TRect& ARect,
                      plat::TGridDrawState AState);
    int PaintID() const { return FPaintID; }

    // ---- hooks ----
    virtual bool IsFixed(int ACol, int ARow) const;
    virtual int RowIndent(int ARow) const;
    virtual bool HasNodes() const;
    virtual void DrawCellContent(plat::TCanvas& Canvas, int ACol, int ARow, const plat::TRect& ARect,
                                 plat::TGridDrawState AState);
    virtual void HiddenLastRowChanged();
    virtual void DoGetDisplText(int ACol, int ARow, QString& Value) const;
    virtual void DoGetDisplWideText(int ACol, int ARow, QString& Value) const;
    virtual void GetCellDefaults(int ACol, int ARow, plat::TFont& AFont, plat::TBrush& ABrush, TColor& ColorTo,
                                 TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HA, TVAlignment& VA,
                                 bool& WW, TCellGradientDirection& GD);
    virtual void CellTextChanged(int ACol, int ARow);
    virtual bool HasCellBorderEvent() const;
    virtual bool UsesVCLStyles() const;
    virtual void GetVisualProperties(int ACol, int ARow, plat::TGridDrawState& AState, bool Print, bool Select,
                                     bool Remap, plat::TBrush& ABrush, TColor& AColorTo, TColor& AMirrorColor,
                                     TColor& AMirrorColorTo, plat::TFont& AFont, TAlignment& HA, TVAlignment& VA,
                                     bool& WW, TCellGradientDirection& GD);
    virtual int DisplColIndex(int ACol) const;
    virtual int TotalColCount() const;

    // ---- properties ----
    bool ActiveRowShow() const { return FActiveRowShow; }
    void SetActiveRowShow(bool v);
    TColor ActiveRowColor() const { return FActiveRowColor; }
    void SetActiveRowColor(TColor v);
    TColor ActiveRowColorTo() const { return FActiveRowColorTo; }
    void SetActiveRowColorTo(TColor v);
    TColor ActiveRowMirrorColor() const { return FActiveRowMirrorColor; }
    void SetActiveRowMirrorColor(TColor v);
    TColor ActiveRowMirrorColorTo() const { return FActiveRowMirrorColorTo; }
    void SetActiveRowMirrorColorTo(TColor v);
    bool BaseDefaultDrawing() const { return FDefaultDrawing; }
    void SetBaseDefaultDrawing(bool v);
    int BaseGridLineWidth() const { return FGridLineWidth; }
    void SetBaseGridLineWidth(int v);
    TColor GridLineColor() const { return FGridLineColor; }
    void SetGridLineColor(TColor v);
    TColor GridFixedLineColor() const { return FGridFixedLineColor; }
    void SetGridFixedLineColor(TColor v);
    bool HoverRow() const { return FHoverRow; }
    void SetHoverRow(bool v) { FHoverRow = v; }
    TColor HoverRowColor() const { return FHoverRowColor; }
    void SetHoverRowColor(TColor v) { FHoverRowColor = v; }
    TColor HoverRowColorTo() const { return FHoverRowColorTo; }
    void SetHoverRowColorTo(TColor v) { FHoverRowColorTo = v; }
    THoverRowCells HoverRowCells() const { return FHoverRowCells; }
    void SetHoverRowCells(THoverRowCells v) { FHoverRowCells = v; }
    TGridSelectionStyle SelectionStyle() const { return FSelectionStyle; }
    void SetSelectionStyle(TGridSelectionStyle v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; }
    TExGridUndoRedo* UndoRedo() const { return FUndoRedo; }
    void SetUndoRedo(TExGridUndoRedo* v);
    bool HideLastRow() const { return FHideLastRow; }
    void SetHideLastRow(bool v) { FHideLastRow = v; }
    int NormalRowCount() const { return FNormalRowCount; }
    void SetNormalRowCount(int v) { FNormalRowCount = v; }
    int HoverRowIdx() const { return FHoverRowIdx; }
    void SetHoverRowIdx(int v) { FHoverRowIdx = v; }
    bool ShowSel() const { return FShowSel; }
    void SetShowSel(bool v) { FShowSel = v; }
    bool HasCellProps() const { return FHasCellProps; }
    bool CustomSelect() const { return FCustomSelect; }

    TGetDisplTextEvent OnGetDisplText;
    TGetDisplWideTextEvent OnGetDisplWideText;

    // ---- internal operations, for descendants ----
    bool CellHasProperties(int ACol, int ARow) const;
    // True and the cell itself for an unmerged or base cell; False and the base for a member.
    bool ResolveBaseCell(int ACol, int ARow, int& BaseCol, int& BaseRow) const;
    plat::TRect ComputeCellRect(int c, int r) const;
    static QObject* GetPropsGraphic(const TCellProperties* Props);
    void SnapToBaseCell();
    void ClearColumnData(int ACol);
    void ClearRowData(int ARow);
    void ClearCellData(int ACol, int ARow);
    void FreeCellProperties(int ACol, int ARow);
    void FreeCellPropertiesRect(int Col1, int Row1, int Col2, int Row2);
    void FreeAllCellProperties();
    // The caller freed every cell's properties: merge look-ups may skip them until new ones come.
    void ForgetCellProps() { FHasCellProps = false; }

protected:
    void Paint() override;
    void DrawCell(int ACol, int ARow, const plat::TRect& ARect, plat::TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    bool DoMouseWheelDown(plat::TShiftState Shift, QPoint MousePos) override;
    bool DoMouseWheelUp(plat::TShiftState Shift, QPoint MousePos) override;
    void TopLeftChanged() override;

private:
    friend class TCellProperties;
    friend class TExGridUndoRedo;
    void checkRealCell(int c, int r) const;
    // Keeps the merge count equal to the blocks whose base is in the store.
    void countBlock(const plat::TGridObject* o, int delta);
    // The properties of a cell only when a valid merge state stands behind them: a member whose
    // base lost its properties or no longer covers it reads as unmerged.
    const TCellProperties* mergeProps(int c, int r, int& bc, int& br) const;
    void paintGridCell(plat::TCanvas& Canvas, int ACol, int ARow, const plat::TRect& ARect,
                       plat::TGridDrawState AState, bool ScreenMode);
    // Drops the cell's properties from a block's cells without a repaint.
    void splitBlock(int bc, int br, int sx, int sy);

    bool FDefaultDrawing = false;
    int FGridLineWidth = 1;
    TColor FGridLineColor = 0xC0C0C0;
    TColor FGridFixedLineColor = 0x808080;
    int FPaintID = 1;
    bool FCustomSelect = true;
    bool FHideLastRow = false;
    int FNormalRowCount = 0;
    QPointer<TExGridUndoRedo> FUndoRedo;
    bool FWordWrap = true;
    bool FActiveRowShow = false;
    TColor FActiveRowColor = plat::clInfoBk;
    TColor FActiveRowColorTo = plat::clNone, FActiveRowMirrorColor = plat::clNone,
           FActiveRowMirrorColorTo = plat::clNone;
    TGridSelectionStyle FSelectionStyle = ssDefault;
    int FHoverRowIdx = -1;
    bool FHoverRow = false;
    THoverRowCells FHoverRowCells{hcNormal, hcSelected};
    TColor FHoverRowColor = plat::clInfoBk, FHoverRowColorTo = plat::clNone;
    bool FShowSel = true;
    bool FHasCellProps = false;
    int FMergeCount = 0;
    bool FInPaintPass = false;
};

// ---- undo and redo ----

class TUndoRedoItem : public plat::TCollectionItem {
public:
    int Row = -1;
    int Col = -1;
    QString Value;
    QString OrigValue;
    bool SequenceStart = false;
    bool SequenceStop = false;
};

class TUndoRedoCollection : public plat::TCollection<TUndoRedoItem> {};

using TExGridUndoRedoEvent = std::function<void(QObject* Sender, TBaseGrid* Grid, int ACol, int ARow,
                                                const QString& OrigValue, const QString& NewValue)>;

class TExGridUndoRedo : public QObject {
public:
    explicit TExGridUndoRedo(QObject* AOwner = nullptr);
    ~TExGridUndoRedo() override;

    TUndoRedoCollection& Items() { return FItems; }
    const TUndoRedoCollection& Items() const { return FItems; }
    TBaseGrid* Grid() const { return FGrid; }
    void SetGrid(TBaseGrid* v) { FGrid = v; }
    int Level() const { return FLevel; }
    int MaxLevel() const { return FMaxLevel; }
    void SetMaxLevel(int v) { FMaxLevel = v; }

    void RegisterChange(int ACol, int ARow, const QString& OldValue, const QString& NewValue);
    void StartSequence();
    void StopSequence();
    void Undo();
    void Redo();
    void Reset();
    bool CanUndo() const { return FLevel > 0; }
    bool CanRedo() const { return FLevel < FItems.Count(); }

    TExGridUndoRedoEvent OnUndo, OnRedo;

private:
    friend class TBaseGrid;
    void undoItem(const TUndoRedoItem& item);
    void redoItem(const TUndoRedoItem& item);
    TUndoRedoCollection FItems;
    QPointer<TBaseGrid> FGrid;
    int FLevel = 0;
    int FMaxLevel = 0;
};
