#pragma once
// The string grid's owned helpers beside its settings objects: the floating footer's settings and
// its strip, the search bar's strip, the filter conditions and the filter drop-down's look, the
// items that keep hidden rows aside, and the hidden helper windows (hint window, filter lists,
// transparent editors). Here they hold their data and keep their place at the grid's bottom edge;
// the footer and search painting, searching, filtering and hints arrive with their own handling.
#include "controls/ExGridTypes.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Collection.h"
#include "platform/ComboBox.h"
#include "platform/Events.h"
#include "platform/Font.h"
#include "platform/GridStore.h"

#include <QImage>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>

class TExStringGrid;
class TPictureContainer;
namespace plat {
class TImageList;
}

enum TFooterStyle : uint8_t { fsFixedLastRow, fsColumnPreview, fsCustomPreview, fsCustomPaint };

using TCalcFooterEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value)>;

// The strip along the grid's bottom edge that shows the footer; height 0 while hidden.
class TFooterPanel : public QWidget {
public:
    explicit TFooterPanel(TExStringGrid* AGrid);
    TExStringGrid* Grid() const { return FGrid; }
    int LastHintX() const { return FLastHintX; }
    // The panel's canvas, with the panel's font; it measures until the panel paints on it.
    plat::TCanvas& Canvas() { return FCanvas; }

private:
    TExStringGrid* FGrid;
    int FLastHintX = -1;
    QImage FMeasure{1, 1, QImage::Format_RGB32};
    plat::TCanvas FCanvas{&FMeasure};
};

class TFloatingFooter : public QObject {
public:
    explicit TFloatingFooter(TExStringGrid* AGrid);

    bool Visible() const { return FVisible; }
    // The panel's height and visibility, the grid's footer row and its last row follow.
    void SetVisible(bool Value);
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TFooterStyle FooterStyle() const { return FFooterStyle; }
    void SetFooterStyle(TFooterStyle Value);
    int32_t Column() const { return FColumn; }
    void SetColumn(int32_t Value);
    const QString& CustomTemplate() const { return FCustomTemplate; }
    void SetCustomTemplate(const QString& Value);
    bool CalculateHiddenRows() const { return FCalculateHiddenRows; }
    void SetCalculateHiddenRows(bool Value) { FCalculateHiddenRows = Value; }
    bool EnableCalculation() const { return FEnableCalculation; }
    void SetEnableCalculation(bool Value) { FEnableCalculation = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);

    // The calculation of a footer column, kept in the properties of the last row's cell.
    TColumnCalcType GetColumnCalc(int ACol) const;
    void SetColumnCalc(int ACol, TColumnCalcType Value);
    void Invalidate();
    void Assign(const QObject* Source);

    TCalcFooterEvent OnCalcFooter;

private:
    void applyLastRow();
    TExStringGrid* FGrid;
    bool FVisible = false;
    int32_t FHeight = 0;
    TColor FColor = plat::clBtnFace;
    TColor FBorderColor = plat::clNone;
    TFooterStyle FFooterStyle = fsFixedLastRow;
    int32_t FColumn = 0;
    QString FCustomTemplate;
    bool FCalculateHiddenRows = true;
    bool FEnableCalculation = true;
    bool FShowHint = false;
};

// The search bar's strip: captions, hints and colours taken from the grid's search-footer settings.
class TSearchPanel : public QWidget {
public:
    explicit TSearchPanel(TExStringGrid* AGrid);
    TExStringGrid* Grid() const { return FGrid; }

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor Value);
    QString FindNextCaption, FindPrevCaption, MatchCaseCaption, HighLightCaption;
    QString HintFindPrev, HintClose, HintFindNext, HintHighlight;

    plat::TNotifyEvent OnForwardClick, OnBackwardClick, OnEditChange, OnExitClick, OnHighlightClick;

private:
    TExStringGrid* FGrid;
    TColor FColor = plat::clWhite;
    TColor FColorTo = plat::clNone;
};

// ---- filtering ----

enum TFilterOperation : uint8_t { foSHORT, foNONE, foAND, foXOR, foOR };
enum TFilterCells : uint8_t { fcVirtual, fcNormal, fcStripHTML, fcCalculated, fcRow };
enum TFilterMethod : uint8_t { fmExpression, fmLiteral };

class TFilterData : public plat::TCollectionItem {
public:
    int16_t Column = 0;
    QString Condition;
    bool CaseSensitive = true;
    QString Suffix, Prefix;
    TFilterOperation Operation = foSHORT;
    TFilterCells Data = fcVirtual;
    TFilterMethod Method = fmExpression;
    // Not Method.
    void Assign(const TFilterData& Source);
};

class TFilter : public plat::TCollection<TFilterData> {
public:
    explicit TFilter(TExStringGrid* AGrid) : FGrid(AGrid) {}
    TExStringGrid* Grid() const { return FGrid; }
    // Appended; foNONE when it is the only condition, else foAND.
    TFilterData& Add();
    // Appended whatever the index; Operation stays foSHORT.
    TFilterData& Insert(int Index);
    TFilterData& GetItem(int Index) { return Items(Index); }
    // The column's first condition, added when it has none.
    TFilterData& GetColFilter(int Col);
    bool HasFilter(int Col) const;
    // Deletes every condition of the column, then repaints its header cell.
    void RemoveColumnFilter(int Col);

private:
    TExStringGrid* FGrid;
};

// The look of the header's filter drop-down.
class TFilterDropDown : public QObject {
public:
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value) { FAutoSize = Value; }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t Value) { FHeight = Value; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Value) { FWidth = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    const plat::TFont& Font() const { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    const plat::TBitmap& Glyph() const { return FGlyph; }
    void SetGlyph(const plat::TBitmap& Value);  // fires OnChange
    const plat::TBitmap& GlyphActive() const { return FGlyphActive; }
    void SetGlyphActive(const plat::TBitmap& Value);  // fires OnChange
    bool ColumnWidth() const { return FColumnWidth; }
    void SetColumnWidth(bool Value) { FColumnWidth = Value; }
    // Not AutoSize.
    void Assign(const QObject* Source);
    plat::TNotifyEvent OnChange;

private:
    bool FAutoSize = false;
    int32_t FHeight = 150, FWidth = 150;
    TColor FColor = plat::clWindow;
    plat::TFont FFont;
    plat::TBitmap FGlyph, FGlyphActive;
    bool FColumnWidth = false;
};

// A filter drop-down list; hidden and of no size until the grid opens it.
using TDropListSelectEvent = std::function<void(QObject* Sender, int ItemIndex)>;
class TDropList : public QWidget {
public:
    explicit TDropList(QWidget* AParent);
    QStringList Items;
    int ItemIndex = -1;
    TDropListSelectEvent OnSelect;
};
class TDropCheckList : public TDropList {
public:
    using TDropList::TDropList;
    // One check state per item; an item without one is unchecked.
    QList<bool> Checked;
    bool IsChecked(int Index) const { return Index >= 0 && Index < Checked.size() && Checked[Index]; }
};

// ---- hidden rows ----

// One hidden row kept aside: its real index, height, node level and the row's record itself
// (texts of every real column, cell properties and objects), moved out of the store by pointer.
class TGridItem : public plat::TCollectionItem {
public:
    // A contracted outline hides rows by the hundred thousand at once: items come from shared
    // blocks of slots, not one heap allocation each (user-interface thread only, as the grid).
    static void* operator new(std::size_t Size);
    static void operator delete(void* P, std::size_t Size) noexcept;
    // The row's real index; for a row hidden by a filter level, the display index it had then.
    int32_t Idx = 0;
    int32_t Height = 0;
    int32_t Level = 0;
    // The row's real index in every case, and whether a filter level hid it (its Level then names
    // the level; rows hidden one by one carry level 0 as well).
    int32_t RealIdx = 0;
    bool Listed = false;
    // The row's cell texts, one per real column up to the last one written.
    QStringList Items() const;
    // Writing hands the row over to the item: a record by move, texts into a fresh record; what
    // the item held before is freed at once (nothing else refers to it).
    void SetItems(plat::TGridStore::TRowRecord&& Value) { FRecord = std::move(Value); }
    void SetItems(const QStringList& Value);
    plat::TGridStore::TRowRecord& Record() { return FRecord; }
    const plat::TGridStore::TRowRecord& Record() const { return FRecord; }

private:
    plat::TGridStore::TRowRecord FRecord;
};
using TGridItems = plat::TCollection<TGridItem>;

// ---- hidden helper windows ----

// The hint window of the grid's HTML hints and scroll hints. A hint is measured and drawn by the
// mini-HTML renderer with the window's images and picture container; a wide-encoded hint is decoded
// and drawn on one line in the hint font. The window has no border of its own; any drop shadow is
// the window system's, as for every tool-tip window.
class THTMLHintWindow : public QWidget {
public:
    // The widest box a hint is laid out in.
    static constexpr int kMaxHintWidth = 1008;

    explicit THTMLHintWindow(QWidget* AParent = nullptr);
    QString Text() const { return FText; }
    // A new text repaints the window.
    void SetText(const QString& Value);
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value) { FImages = Value; }
    TPictureContainer* PictureContainer() const { return FPictureContainer; }
    void SetPictureContainer(TPictureContainer* Value) { FPictureContainer = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int TextWidth() const { return FTextWidth; }
    int TextHeight() const { return FTextHeight; }
    const QString& WideCaption() const { return FWideCaption; }

    // With a string grid as AData the window takes that grid's image list and picture container;
    // then the hint is shown (ActivateHint).
    void ActivateHintData(const QRect& Rect, const QString& AHint, QObject* AData);
    // Measures the hint in a box 1008 pixels wide from Rect's left, sizes the window to it (text
    // plus padding, height plus 4) and shows it at Rect's top-left without taking the focus, kept
    // 2 pixels inside the available area of the nearest screen.
    void ActivateHint(const QRect& Rect, const QString& AHint);
    // (0, 0, width, height) of the hint measured in a box MaxWidth wide.
    QRect CalcHintRect(int MaxWidth, const QString& AHint, QObject* AData);
    // The scroll hints: the text in Color at a screen point, at most MaxWidth wide.
    void ActivateHint(QPoint ScreenPos, const QString& Text, int MaxWidth, TColor Color);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // Measures AHint laid out BoxWidth wide into FTextWidth and FTextHeight; returns the horizontal
    // padding (8 for a wide-encoded hint, else 16).
    int measure(const QString& AHint, int BoxWidth);
    QFont wideFont() const;
    QString FText;
    TColor FColor = plat::clInfoBk;
    const plat::TImageList* FImages = nullptr;
    TPictureContainer* FPictureContainer = nullptr;
    int FTextWidth = 0, FTextHeight = 0;
    QString FWideCaption;
    bool FWide = false;
};

// The font name of wide-encoded hints; the grid sets it to its font's whenever it prepares a cell
// hint. Cleared when the program ends.
QString HintFontName();
void SetHintFontName(const QString& Name);

// While on, every tool tip of the application is shown by the one shared HTML hint window; off, the
// platform's plain tool tips return. Process-wide: the last grid to set UseHTMLHints decides.
void SetApplicationHTMLHints(bool On);
bool ApplicationHTMLHints();
// The shared hint window (made on first use); nullptr before.
THTMLHintWindow* ApplicationHintWindow();
// Shows Hint at a screen point through the shared window (Data: the string grid it comes from).
void ShowApplicationHint(QPoint GlobalPos, const QString& Hint, QObject* Data);
void HideApplicationHint();

// The thin scroll control of the metro scroll type: 0 vertical (6 pixels wide along the right
// edge), 1 horizontal (6 pixels high along the bottom).
class TScrollControl : public QWidget {
public:
    TScrollControl(QWidget* AParent, int ADirection);
    int Direction() const { return FDirection; }
    static constexpr int Thickness = 6;

private:
    int FDirection;
};

// The edit and combo of fixed-cell editing: borderless, hidden until used. They edit one fixed cell
// (display column, row) of their owner grid; leaving them stops the edit through the grid's
// OnCellValidate, and a refused value keeps them open on that cell.
class TGridTransEdit : public QLineEdit {
public:
    explicit TGridTransEdit(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    void SetCell(int ACol, int ARow) { FCol = ACol, FRow = ARow; }
    // False when the value was refused (the editor stays, focused); true when it went into the cell,
    // or when there is no grid, and the editor is hidden.
    bool StopEdit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TExStringGrid* FGrid;
    int FCol = 0, FRow = 0;
    bool FStopping = false;
};
class TGridTransCombo : public plat::TCustomComboBox {
public:
    explicit TGridTransCombo(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    void SetCell(int ACol, int ARow) { FCol = ACol, FRow = ARow; }
    bool StopEdit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TExStringGrid* FGrid;
    int FCol = 0, FRow = 0;
    bool FStopping = false;
};

// The fixed-cell editors' common stop: Value through the grid's OnCellValidate for the cell; refused,
// the grid's cursor moves to the cell where it may and Editor keeps the focus; accepted,
// OnEditingDone, the cell (its real column) takes the value and Editor hides.
bool StopFixedCellEdit(TExStringGrid* Grid, QWidget* Editor, int ACol, int ARow, const QString& Text);
