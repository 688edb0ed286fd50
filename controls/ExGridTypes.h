#pragma once
// Enumerations and event signatures shared by the whole grid family. Windows store several of these
// by name in their form descriptions (a column's `Editor`, a grid's `HoverRowCells`), so the names and
// their order are part of the stored format: append nothing in the middle.
#include "platform/Alignment.h"
#include "platform/Colors.h"
#include "platform/EnumSet.h"
#include "platform/Events.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>

class QObject;
class QPainter;
class QRect;
class QBrush;
class QFont;
class QPen;
class TBaseGrid;

using plat::TColor;
// The colour names the table dialogs give their columns.
using plat::clNone;
using plat::clWhite;
using plat::clWindow;

enum TEditorType : uint8_t {
    edNormal, edSpinEdit, edComboEdit, edComboList, edEditBtn, edCheckBox, edDateEdit, edDateEditUpDown,
    edTimeEdit, edButton, edDataCheckBox, edNumeric, edPositiveNumeric, edFloat, edCapital, edMixedCase,
    edPassword, edUnitEditBtn, edLowerCase, edUpperCase, edFloatSpinEdit, edTimeSpinEdit, edDateSpinEdit,
    edNumericEditBtn, edFloatEditBtn, edCustom, edRichEdit, edNone, edDateTimeEdit, edValidChars,
    edTrackbarDropDown, edMemoDropDown, edCalculatorDropDown, edTimePickerDropDown, edDetailDropDown,
    edGridDropDown, edColorPickerDropDown, edImagePickerDropDown, edExGridDropDown, edPositiveFloat,
    edNumericUnitEditBtn, edFloatUnitEditBtn, edMaskEditBtn
};
enum TCellBorder : uint8_t { cbTop, cbLeft, cbRight, cbBottom };
enum TCellGradientDirection : uint8_t { GradientVertical, GradientHorizontal };
enum TSortStyle : uint8_t {
    ssAutomatic, ssAlphabetic, ssNumeric, ssDate, ssAlphaNoCase, ssAlphaCase, ssShortDateEU, ssShortDateUS,
    ssCustom, ssFinancial, ssAnsiAlphaCase, ssAnsiAlphaNoCase, ssRaw, ssHTML, ssImages, ssCheckBox,
    ssDateTime, ssTime, ssAlphaNumeric, ssAlphaNumericNoCase
};
enum TVAlignment : uint8_t { vtaTop, vtaCenter, vtaBottom };
enum TArrowDirection : uint8_t { arrUp, arrDown, arrLeft, arrRight };
enum TExGridButtonStyle : uint8_t { tasButton, tasCheck };
enum TSearchDirection : uint8_t { sdTopBottom, sdLeftRight };
enum THomeEndAction : uint8_t { heFirstLastColumn, heFirstLastRow, heFirstLastCell };
enum TClipboardPasteAction : uint8_t { paReplace, paInsert };
enum TAdvanceDirection : uint8_t { adLeftRight, adTopBottom, adLeftRightInRow, adTopBottomInCol };
enum TInsertPosition : uint8_t { pInsertBefore, pInsertAfter };
enum TCursorAdvance : uint8_t { caDefault, caSnake, caLoop };
enum TGridFixedCellEdit : uint8_t { fceNone, fceDblClick, fceLeftClick, fceRightClick };
enum TGridFixedCellEditor : uint8_t { fceEdit, fceComboEdit, fceComboList };
enum TWheelAction : uint8_t { waMoveSelection, waScroll };
enum TColumnCalcType : uint8_t {
    acNONE, acSUM, acAVG, acCOUNT, acMIN, acMAX, acSPREAD, acCUSTOM, acDISTINCT, acSTDDEV
};
enum TGridSelectionStyle : uint8_t { ssDefault, ssVista, ssWin7, ssOffice2007 };
enum THoverRowCell : uint8_t { hcNormal, hcFixed, hcSelected };

// Horizontal alignment of a cell's content (the platform's, one type for every control) and the cell
// painter's draw state.
using plat::TAlignment;
using plat::taCenter;
using plat::taLeftJustify;
using plat::taRightJustify;
enum TGridDrawStateItem : uint8_t { gdSelected, gdFocused, gdFixed };

using plat::TEnumSet;

using TCellBorders = TEnumSet<TCellBorder>;
using THoverRowCells = TEnumSet<THoverRowCell>;
using TGridDrawState = TEnumSet<TGridDrawStateItem>;

// Names of the values in declaration order, as form descriptions store them.
template <class E>
struct TEnumNames;
#define EX_ENUM_NAMES(E, ...)                                                      \
    template <>                                                                    \
    struct TEnumNames<E> {                                                         \
        static constexpr std::array names{__VA_ARGS__};                            \
    };
EX_ENUM_NAMES(TEditorType, "edNormal", "edSpinEdit", "edComboEdit", "edComboList", "edEditBtn", "edCheckBox",
              "edDateEdit", "edDateEditUpDown", "edTimeEdit", "edButton", "edDataCheckBox", "edNumeric",
              "edPositiveNumeric", "edFloat", "edCapital", "edMixedCase", "edPassword", "edUnitEditBtn",
              "edLowerCase", "edUpperCase", "edFloatSpinEdit", "edTimeSpinEdit", "edDateSpinEdit",
              "edNumericEditBtn", "edFloatEditBtn", "edCustom", "edRichEdit", "edNone", "edDateTimeEdit",
              "edValidChars", "edTrackbarDropDown", "edMemoDropDown", "edCalculatorDropDown",
              "edTimePickerDropDown", "edDetailDropDown", "edGridDropDown", "edColorPickerDropDown",
              "edImagePickerDropDown", "edExGridDropDown", "edPositiveFloat", "edNumericUnitEditBtn",
              "edFloatUnitEditBtn", "edMaskEditBtn")
EX_ENUM_NAMES(TCellBorder, "cbTop", "cbLeft", "cbRight", "cbBottom")
EX_ENUM_NAMES(TCellGradientDirection, "GradientVertical", "GradientHorizontal")
EX_ENUM_NAMES(TSortStyle, "ssAutomatic", "ssAlphabetic", "ssNumeric", "ssDate", "ssAlphaNoCase", "ssAlphaCase",
              "ssShortDateEU", "ssShortDateUS", "ssCustom", "ssFinancial", "ssAnsiAlphaCase",
              "ssAnsiAlphaNoCase", "ssRaw", "ssHTML", "ssImages", "ssCheckBox", "ssDateTime", "ssTime",
              "ssAlphaNumeric", "ssAlphaNumericNoCase")
EX_ENUM_NAMES(TVAlignment, "vtaTop", "vtaCenter", "vtaBottom")
EX_ENUM_NAMES(TArrowDirection, "arrUp", "arrDown", "arrLeft", "arrRight")
EX_ENUM_NAMES(TExGridButtonStyle, "tasButton", "tasCheck")
EX_ENUM_NAMES(TSearchDirection, "sdTopBottom", "sdLeftRight")
EX_ENUM_NAMES(THomeEndAction, "heFirstLastColumn", "heFirstLastRow", "heFirstLastCell")
EX_ENUM_NAMES(TClipboardPasteAction, "paReplace", "paInsert")
EX_ENUM_NAMES(TAdvanceDirection, "adLeftRight", "adTopBottom", "adLeftRightInRow", "adTopBottomInCol")
EX_ENUM_NAMES(TInsertPosition, "pInsertBefore", "pInsertAfter")
EX_ENUM_NAMES(TCursorAdvance, "caDefault", "caSnake", "caLoop")
EX_ENUM_NAMES(TGridFixedCellEdit, "fceNone", "fceDblClick", "fceLeftClick", "fceRightClick")
EX_ENUM_NAMES(TGridFixedCellEditor, "fceEdit", "fceComboEdit", "fceComboList")
EX_ENUM_NAMES(TWheelAction, "waMoveSelection", "waScroll")
EX_ENUM_NAMES(TColumnCalcType, "acNONE", "acSUM", "acAVG", "acCOUNT", "acMIN", "acMAX", "acSPREAD", "acCUSTOM",
              "acDISTINCT", "acSTDDEV")
EX_ENUM_NAMES(TGridSelectionStyle, "ssDefault", "ssVista", "ssWin7", "ssOffice2007")
EX_ENUM_NAMES(THoverRowCell, "hcNormal", "hcFixed", "hcSelected")
EX_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
EX_ENUM_NAMES(TGridDrawStateItem, "gdSelected", "gdFocused", "gdFixed")
#undef EX_ENUM_NAMES

template <class E>
constexpr std::size_t EnumCount() { return TEnumNames<E>::names.size(); }

template <class E>
QString EnumToName(E value) {
    const auto i = static_cast<std::size_t>(value);
    return i < EnumCount<E>() ? QString::fromLatin1(TEnumNames<E>::names[i]) : QString();
}

// Names match exactly, as the stored format writes them.
template <class E>
std::optional<E> EnumFromName(QStringView name) {
    for (std::size_t i = 0; i < EnumCount<E>(); ++i)
        if (name == QLatin1StringView(TEnumNames<E>::names[i])) return static_cast<E>(i);
    return std::nullopt;
}

// "[hcNormal, hcSelected]": the set's members in ordinal order.
template <class E>
QString EnumSetToText(TEnumSet<E> set) {
    QStringList parts;
    for (std::size_t i = 0; i < EnumCount<E>(); ++i)
        if (set.contains(static_cast<E>(i))) parts << EnumToName(static_cast<E>(i));
    return u'[' + parts.join(QStringLiteral(", ")) + u']';
}

// Reads the text form back; nothing when the brackets are missing or a name is unknown.
template <class E>
std::optional<TEnumSet<E>> EnumSetFromText(QStringView text) {
    text = text.trimmed();
    if (text.size() < 2 || text.front() != u'[' || text.back() != u']') return std::nullopt;
    TEnumSet<E> set;
    const QStringView inner = text.mid(1, text.size() - 2).trimmed();
    if (inner.isEmpty()) return set;
    for (QStringView part : inner.split(u',')) {
        const auto v = EnumFromName<E>(part.trimmed());
        if (!v) return std::nullopt;
        set.include(*v);
    }
    return set;
}

// Event signatures: a handler bound to its object. A reference parameter is a value the handler may
// change and the firing code then uses. Several events pass the row before the column.
using plat::TNotifyEvent;
using TGetDisplTextEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value)>;
using TGetDisplWideTextEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value)>;
using TFloatFormatEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, bool& IsFloat, QString& FloatFormat)>;
using TOnResizeEvent = std::function<void(QObject* Sender)>;
using TColumnSizeEvent = std::function<void(QObject* Sender, int32_t ACol, bool& Allow)>;
using TColumnSizingEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ColumnSize)>;
using TRowSizingEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t RowSize)>;
using TRowSizeEvent = std::function<void(QObject* Sender, int32_t ARow, bool& Allow)>;
using TEndColumnSizeEvent = std::function<void(QObject* Sender, int32_t ACol)>;
using TUpdateColumnSizeEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t& AWidth)>;
using TEndRowSizeEvent = std::function<void(QObject* Sender, int32_t ARow)>;
using TClickCellEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol)>;
using TDblClickCellEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol)>;
using TCanEditCellEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, bool& CanEdit)>;
using TScrollHintEvent = std::function<void(QObject* Sender, int32_t ARow, QString& hintstr)>;
using TButtonClickEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow)>;
using TExpandClickEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, bool Expanded)>;
using TCheckBoxClickEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, bool State)>;
using TGetEditorTypeEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, TEditorType& AEditor)>;
using TCustomCellDrawEvent = std::function<void(QObject* Sender, QPainter* Canvas, int32_t ACol, int32_t ARow,
                                                TGridDrawState AState, const QRect& ARect, bool Printing)>;
using TAnchorClickEvent =
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, const QString& Anchor, bool& AutoHandle)>;
using TAnchorHintEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, QString& Anchor)>;
using TAnchorEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, const QString& Anchor)>;
using TClickSortEvent = std::function<void(QObject* Sender, int32_t ACol)>;
using TCanSortEvent = std::function<void(QObject* Sender, int32_t ACol, bool& DoSort)>;
using TCustomCompareEvent =
    std::function<void(QObject* Sender, const QString& str1, const QString& str2, int32_t& Res)>;
using TRawCompareEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t Row1, int32_t Row2, int32_t& Res)>;
using TGridFormatEvent = std::function<void(QObject* Sender, int32_t ACol, TSortStyle& AStyle, QString& aPrefix,
                                            QString& aSuffix)>;
using TGridColorEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, TGridDrawState AState,
                                           QBrush& ABrush, QFont& AFont)>;
using TGridGradientEvent =
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, TColor& Color, TColor& ColorTo,
                       TColor& ColorMirror, TColor& ColorMirrorTo, TCellGradientDirection& GD)>;
using TGridBorderEvent =
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, QPen& APen, TCellBorders& Borders)>;
using TGridBorderPropEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, QPen& LeftPen,
                                                QPen& TopPen, QPen& RightPen, QPen& BottomPen)>;
using TGridAlignEvent =
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, TAlignment& HAlign, TVAlignment& VAlign)>;
using TGridHintEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, QString& hintstr)>;
using TEllipsClickEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& S)>;
using TGridBalloonEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& ATitle,
                                             QString& AText, int32_t& AIcon)>;
using TCanInsertRowEvent = std::function<void(QObject* Sender, int32_t ARow, bool& CanInsert)>;
using TAutoInsertRowEvent = std::function<void(QObject* Sender, int32_t ARow)>;
using TCanAddRowEvent = std::function<void(QObject* Sender, bool& CanAdd)>;
using TAutoAddRowEvent = std::function<void(QObject* Sender, int32_t ARow)>;
using TCanDeleteRowEvent = std::function<void(QObject* Sender, int32_t ARow, bool& CanDelete)>;
using TAutoDeleteRowEvent = std::function<void(QObject* Sender, int32_t ARow)>;
using TAutoInsertColEvent = std::function<void(QObject* Sender, int32_t ACol)>;
using TSearchEditChangeEvent = std::function<void(QObject* Sender, const QString& Value, bool& DefaultSearch)>;
using TSpinClickEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t AValue, bool UpDown)>;
using TImageChangeEvent = std::function<void(QObject* Sender, int32_t Acol, int32_t Arow)>;
using TIsDesigningEvent = std::function<void(QObject* Sender, bool& IsDesigning)>;
using TExGridUndoRedoEvent = std::function<void(QObject* Sender, TBaseGrid* Grid, int32_t Col, int32_t Row,
                                                const QString& OrigValue, const QString& NewValue)>;
