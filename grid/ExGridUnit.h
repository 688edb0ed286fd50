#pragma once
// The free-standing routines of the grid unit and the five small settings objects the string grid
// publishes as nested properties: node look, sizing while typing, column sizing, HTML export and
// printing. The objects only hold values with their defaults and copy themselves; the grid and its
// painting, export and printing code read them.
#include "controls/ExGridLists.h"
#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/Font.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class QWidget;
class TExStringGrid;

using plat::TColor;

// The grid's own error: each raise carries one fixed English text.
class EExGridError : public plat::Error {
public:
    using plat::Error::Error;
};

// ---- locale routines: the process-wide format settings at the moment of the call ----
QChar GetTimeSeparator();
QChar GetDateSeparator();
QChar GetThousandSeparator();
QChar GetDecimalSeparator();
// Formats in Qt's date-time syntax ("dd/MM/yyyy", "hh:mm", "hh:mm:ss").
QString GetShortDateFormat();
QString GetShortTimeFormat();
QString GetLongTimeFormat();

// Lets every mouse input through the window to what lies under it; its other attributes stay.
void MakeWindowTransparent(QWidget* Window);

// The version of a file: major in the high 16 bits, minor in the low 16. Here a file carries a
// version in its name the way shared libraries do ("libname.so.6.2" -> 0x00060002, symbolic links
// followed); a missing file, a name over 255 characters or a file without version data gives -1.
int32_t GetFileVersion(const QString& FileName);

// ---- the focus window follows its cell when windows move ----
// Installs, once per process, the application-wide watcher that calls MoveFocusWindow of the grid
// registered as showing its focus window whenever any window of the program moves or resizes.
void InstallGridMoveHook();
// The grid that shows its focus window now (none: nullptr); the reference is guarded, so a grid
// destroyed while registered reads as none.
TExStringGrid* FocusWindowGrid();
void SetFocusWindowGrid(TExStringGrid* Grid);
bool GridMoveHookInstalled();
// The unit's end, run once as the application object goes (and callable before): the watcher
// leaves the application and is forgotten, so a later application installs its own, and the hint
// font name is cleared. There is no OLE to shut down here.
void FinalizeGridUnit();
// The font name wide-encoded hints are measured and drawn in; the grid records its own.
QString& GridHintFontName();

// ---------------------------------------------------------------------------------------------------

enum TNodeType : uint8_t { cnFlat, cn3D, cnGlyph, cnLeaf, cnXP };

// Node look (the grid's CellNode).
class TCellNode : public QObject {
public:
    explicit TCellNode(TExStringGrid* AOwner);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TNodeType NodeType() const { return FNodeType; }
    void SetNodeType(TNodeType Value);  // repaints the grid on a change
    TColor NodeColor() const { return FNodeColor; }
    void SetNodeColor(TColor Value) { FNodeColor = Value; }
    const plat::TBitmap& ExpandGlyph() const { return FExpandGlyph; }
    void SetExpandGlyph(const plat::TBitmap& Value) { FExpandGlyph.Assign(Value); }
    bool ExpandOne() const { return FExpandOne; }
    void SetExpandOne(bool Value) { FExpandOne = Value; }
    const plat::TBitmap& ContractGlyph() const { return FContractGlyph; }
    void SetContractGlyph(const plat::TBitmap& Value) { FContractGlyph.Assign(Value); }
    bool ShowTree() const { return FShowTree; }
    void SetShowTree(bool Value);  // repaints on a change
    bool ShowTreeFull() const { return FShowTreeFull; }
    void SetShowTreeFull(bool Value);  // repaints on a change
    int32_t NodeIndent() const { return FNodeIndent; }
    void SetNodeIndent(int32_t Value);  // repaints on a change
    TColor TreeColor() const { return FTreeColor; }
    void SetTreeColor(TColor Value);  // repaints on a change

    // From another node look only; the fields are written directly, so the grid is not repainted.
    void Assign(const QObject* Source);

private:
    void repaint();
    TColor FColor = plat::clSilver;
    TNodeType FNodeType = cnXP;
    TColor FNodeColor = plat::clBlack;
    plat::TBitmap FExpandGlyph;
    bool FExpandOne = false;
    plat::TBitmap FContractGlyph;
    TExStringGrid* FOwner;
    bool FShowTree = true;
    bool FShowTreeFull = true;
    int32_t FNodeIndent = 12;
    TColor FTreeColor = plat::clGray;
};

// Whether the row (Height) or the column (Width) grows to the text while the user types.
class TSizeWhileTyping : public QObject {
public:
    bool Height() const { return FHeight; }
    void SetHeight(bool Value) { FHeight = Value; }
    bool Width() const { return FWidth; }
    void SetWidth(bool Value) { FWidth = Value; }

private:
    bool FHeight = false;
    bool FWidth = false;
};

enum TColumnSizeLocation : uint8_t { clRegistry, clIniFile };
enum TAutoSizeRows : uint8_t { arAll, arNormal, arFixed };

// Column sizing: saved widths, the stretched column and scaling with the grid.
class TColumnSize : public QObject {
public:
    explicit TColumnSize(QObject* AOwner);

    QObject* Owner() const { return FOwner; }
    bool Save() const { return FSave; }
    void SetSave(bool Value) { FSave = Value; }
    const QString& Key() const { return FKey; }
    void SetKey(const QString& Value) { FKey = Value; }
    const QString& Section() const { return FSection; }
    void SetSection(const QString& Value) { FSection = Value; }
    bool Stretch() const { return FStretch; }
    // Stores the flag, then stretches the column when the owner grid sits on a parent.
    void SetStretch(bool Value);
    int32_t StretchColumn() const { return FStretchColumn; }
    void SetStretchColumn(int32_t Value) { FStretchColumn = Value; }
    bool SynchWithGrid() const { return FSynchWithGrid; }
    void SetSynchWithGrid(bool Value) { FSynchWithGrid = Value; }
    bool SynchNormalCellsOnly() const { return FSynchNormalCellsOnly; }
    void SetSynchNormalCellsOnly(bool Value) { FSynchNormalCellsOnly = Value; }
    TColumnSizeLocation Location() const { return FLocation; }
    void SetLocation(TColumnSizeLocation Value) { FLocation = Value; }
    TAutoSizeRows Rows() const { return FRows; }
    void SetRows(TAutoSizeRows Value) { FRows = Value; }

    // From another column size only; Stretch as a field (nothing stretches); the owner stays.
    void Assign(const QObject* Source);

private:
    QPointer<QObject> FOwner;
    bool FSave = false;
    QString FKey;
    QString FSection;
    bool FStretch = false;
    int32_t FStretchColumn = -1;
    bool FSynchWithGrid = false;
    bool FSynchNormalCellsOnly = false;
    TColumnSizeLocation FLocation = clRegistry;
    TAutoSizeRows FRows = arAll;
};

#define EX_HTMLSETTINGS_FIELDS(X)           \
    X(bool, AutoPreview, false)             \
    X(bool, ConvertSpecialChars, false)     \
    X(bool, NonBreakingText, false)         \
    X(bool, SaveColor, true)                \
    X(bool, SaveFonts, true)                \
    X(QString, FooterFile, QString())       \
    X(QString, HeaderFile, QString())       \
    X(int32_t, BorderSize, 1)               \
    X(int32_t, CellSpacing, 0)              \
    X(int32_t, CellPadding, 0)              \
    X(QString, TableStyle, QString())       \
    X(QString, PrefixTag, QString())        \
    X(QString, SuffixTag, QString())        \
    X(QString, Summary, QString())          \
    X(int32_t, Width, 100)                  \
    X(bool, XHTML, false)                   \
    X(bool, ExportImages, true)

#define EX_UNIT_FIELD(T, Name, Default) T F##Name = Default;
#define EX_UNIT_ACCESS(T, Name, Default)             \
    const T& Name() const { return F##Name; }        \
    void Set##Name(const T& Value) { F##Name = Value; }

// The HTML export's settings.
class THTMLSettings : public QObject {
public:
    THTMLSettings();
    EX_HTMLSETTINGS_FIELDS(EX_UNIT_ACCESS)
    // Per-column widths of the exported table.
    TIntList& ColWidths() { return FColWidths; }
    const TIntList& ColWidths() const { return FColWidths; }

    // From other HTML settings only; ExportImages and the column widths stay.
    void Assign(const QObject* Source);

private:
    EX_HTMLSETTINGS_FIELDS(EX_UNIT_FIELD)
    TIntList FColWidths{0, 0};
};

enum TPrintPosition : uint8_t {
    ppNone, ppTopLeft, ppTopRight, ppTopCenter, ppBottomLeft, ppBottomRight, ppBottomCenter
};
enum TPrintBorders : uint8_t {
    pbNoborder, pbSingle, pbDouble, pbVertical, pbHorizontal, pbAround, pbAroundVertical, pbAroundHorizontal,
    pbCustom
};
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };
enum TFitToPage : uint8_t { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };

// Plain print settings in declaration order; fonts and title lines are owned objects beside them.
#define EX_PRINTSETTINGS_FIELDS(X)                     \
    X(TPrintPosition, Time, ppNone)                    \
    X(TPrintPosition, Date, ppNone)                    \
    X(TPrintPosition, PageNr, ppNone)                  \
    X(QString, PageNumSep, QStringLiteral("/"))        \
    X(QString, DateFormat, QStringLiteral("dd/mm/yyyy")) \
    X(TPrintPosition, Title, ppNone)                   \
    X(TPrintBorders, Borders, pbSingle)                \
    X(TPenStyle, BorderStyle, psSolid)                 \
    X(QString, TitleText, QString())                   \
    X(bool, Centered, true)                            \
    X(bool, RepeatFixedRows, false)                    \
    X(bool, RepeatFixedCols, false)                    \
    X(int32_t, FooterSize, 0)                          \
    X(int32_t, HeaderSize, 0)                          \
    X(int32_t, LeftSize, 0)                            \
    X(int32_t, RightSize, 0)                           \
    X(int32_t, ColumnSpacing, 0)                       \
    X(int32_t, RowSpacing, 0)                          \
    X(int32_t, TitleSpacing, 0)                        \
    X(TPrinterOrientation, Orientation, poPortrait)    \
    X(QString, PagePrefix, QString())                  \
    X(QString, PageSuffix, QString())                  \
    X(int32_t, FixedHeight, 0)                         \
    X(bool, UseFixedHeight, false)                     \
    X(int32_t, FixedWidth, 0)                          \
    X(bool, UseFixedWidth, false)                      \
    X(TFitToPage, FitToPage, fpNever)                  \
    X(bool, NoAutoSize, false)                         \
    X(bool, PrintGraphics, false)                      \
    X(QString, JobName, QString())                     \
    X(bool, NoAutoSizeRow, false)                      \
    X(int32_t, PageNumberOffset, 0)                    \
    X(int32_t, MaxPagesOffset, 0)                      \
    X(bool, UseDisplayFont, true)                      \
    X(bool, UseDefaultOrientation, false)              \
    X(bool, FixedCellsAlways, false)                   \
    X(TColor, BorderColor, plat::clBlack)

class TPrintSettings : public QObject {
public:
    explicit TPrintSettings(TExStringGrid* AGrid);

    EX_PRINTSETTINGS_FIELDS(EX_UNIT_ACCESS)
    TExStringGrid* Grid() const { return FGrid; }
    // Font writes copy the given font into the owned one.
    const plat::TFont& Font() const { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    const plat::TFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const plat::TFont& Value) { FHeaderFont.Assign(Value); }
    const plat::TFont& FooterFont() const { return FFooterFont; }
    void SetFooterFont(const plat::TFont& Value) { FFooterFont.Assign(Value); }
    const plat::TFont& FixedFont() const { return FFixedFont; }
    void SetFixedFont(const plat::TFont& Value) { FFixedFont.Assign(Value); }
    const QStringList& TitleLines() const { return FTitleLines; }
    void SetTitleLines(const QStringList& Value) { FTitleLines = Value; }

    // From other print settings: anything else raises the invalid-cast error with nothing copied.
    // FixedCellsAlways and the grid stay.
    void Assign(const QObject* Source);

private:
    TExStringGrid* FGrid;
    EX_PRINTSETTINGS_FIELDS(EX_UNIT_FIELD)
    plat::TFont FFont, FHeaderFont, FFooterFont, FFixedFont;
    QStringList FTitleLines;
};
