#include "dropdowns/ExMultiColumnDropDown.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyle>

#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/MultiColumnSizing.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "platform/Keys.h"

namespace dropdowns {

using plat::TColor;
using plat::VK_BACK, plat::VK_DELETE, plat::VK_DOWN, plat::VK_END, plat::VK_ESCAPE, plat::VK_HOME, plat::VK_NEXT,
    plat::VK_PRIOR, plat::VK_RETURN, plat::VK_UP;

// ---------------------------------------------------------------------------------------------------
// Columns and items

void TDropDownColumn::Assign(const TDropDownColumn& Source) {
    Wordwrap = Source.Wordwrap;
    Width = Source.Width;
    AutoSize = Source.AutoSize;
    Header = Source.Header;
    Alignment = Source.Alignment;
    Color = Source.Color;
    ColumnType = Source.ColumnType;
    FFont.Assign(Source.FFont);
    Ellipsis = Source.Ellipsis;
}

void TDropDownItem::Assign(const TDropDownItem& Source) {
    ImageIndex = Source.ImageIndex;
    FText = Source.FText;
}

int TDropDownItems::IndexInColumn(int Column, const QString& Value) const {
    if (Column < 0) return -1;
    for (int i = 0; i < Count(); ++i) {
        const QStringList& t = Items(i).Text();
        if (Column < t.size() && t[Column] == Value) return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------------
// The drop-down

TExMultiColumnDropDown::TExMultiColumnDropDown(QWidget* parent) : TExCustomDropDown(parent) {}

TExMultiColumnDropDown::~TExMultiColumnDropDown() = default;

void TExMultiColumnDropDown::Created() {
    // These overrule the starting look the creation steps applied (the header font keeps its
    // colour from it).
    ColumnSizing = false;
    FLookupColumn = 0;
    HeaderColorTo = 0x808080;
    HeaderColor = plat::clWhite;
    HeaderHeight = 25;
    LineColor = 0xC0C0C0;
    SetDropDownColor(plat::clWhite);
    SetDropDownHeight(200);
    FItemIndex = FOldItemIndex = -1;
    workmode = true;
    MatchCase = false;
    SetAutoSelect(true);
    FItemChange = false;
    DropDownAutoWidth = true;
    SetSelectionColorStyle(scOffice2007);
    SelectionTextColor = plat::clBlack;
    ColumnSizeWithDropDown = true;
    DropDownRowHeight = 22;
}

void TExMultiColumnDropDown::EndUpdate() {
    if (FLookupColumn < 0 || FItems.Count() == 0) return;
    FLookupItems.clear();
    for (int i = 0; i < FItems.Count(); ++i) FLookupItems << FItems.Items(i).Entry(FLookupColumn);
    foldedValid_ = false;
}

const TCompletionList& TExMultiColumnDropDown::lookupList(bool Exact) {
    if (!foldedValid_ || foldedCase_ != Exact) {
        folded_.Assign(FLookupItems, Exact);
        foldedValid_ = true;
        foldedCase_ = Exact;
    }
    return folded_;
}

int TExMultiColumnDropDown::GetItemIndex(const QString& Value) const {
    if (FLookupColumn < 0) return -1;
    for (int i = 0; i < FItems.Count(); ++i)
        if (FItems.Items(i).Entry(FLookupColumn) == Value) return i;
    return -1;
}

void TExMultiColumnDropDown::SetItemIndex(int Value) {
    if (Value >= FItems.Count()) return;
    FItemIndex = Value;
    if (Value >= 0 && FLookupColumn >= 0 && FLookupColumn < FItems.Items(Value).Text().size())
        SetText(FItems.Items(Value).Text()[FLookupColumn]);
    else
        SetText(QString());
}

void TExMultiColumnDropDown::DoChange() {
    FItemChange = false;
    TExCustomDropDown::DoChange();
    if (!workmode) return;
    SetModifiedState(!Text().isEmpty());
    if (FLookupItems.isEmpty()) return;
    const int prefix = int(TextRules().Prefix.size());
    const TCompletion c = Complete(Text(), std::max(0, TextRules().SelStart() - prefix), lookupList(MatchCase));
    if (!c.Changed) return;
    if (c.Index >= 0) {
        FItemIndex = FItemIdx = c.Index;
        FItemSel = c.KeyLength;
        FItemChange = true;
    }
    // The write reports a change of its own, which completes nothing: its caret is at the start.
    SetText(c.Text);
    SelectText(prefix + c.Anchor, prefix + c.Caret);
}

int TExMultiColumnDropDown::lookupIndexAnyCase(const QString& Text) const {
    for (int i = 0; i < FLookupItems.size(); ++i)
        if (FLookupItems[i].compare(Text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TExMultiColumnDropDown::Step(int Delta) {
    const int n = FItems.Count();
    if (n == 0) return;
    if (FItemIndex < 0) {
        SetItemIndex(0);
        return;
    }
    const int target = std::clamp(FItemIndex + Delta, 0, n - 1);
    if (target != FItemIndex) SetItemIndex(target);
}

void TExMultiColumnDropDown::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const uint16_t key = Key;
    if (FLookupColumn >= 0 && FItems.Count() > 0) {
        if (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE)
            workmode = false;
        else if (Key != VK_RETURN)
            workmode = true;
        if (Key == VK_RETURN) {
            const int i = lookupIndexAnyCase(Text());
            if (i >= 0) {
                SetText(FLookupItems[i]);
                SetItemIndex(i);
                DoChange();
            }
            if (ReturnIsTab) {
                QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
                Key = 0;
                return;
            }
        }
        TExCustomDropDown::KeyDown(Key, Shift);
        if (key == VK_ESCAPE) SetItemIndex(lookupIndexAnyCase(Text()));
    } else {
        TExCustomDropDown::KeyDown(Key, Shift);
    }
    // The stepping keys, after the edit's own handling.
    if (!isEnabled() || Shift.contains(plat::ssAlt) || FItems.Count() == 0) return;
    switch (key) {
        case VK_UP:
            Step(-1);
            break;
        case VK_DOWN:
            Step(1);
            break;
        case VK_PRIOR:
            Step(-10);
            break;
        case VK_NEXT:
            Step(10);
            break;
        case VK_HOME:
            if (!EditorEnabled()) SetItemIndex(0);
            break;
        case VK_END:
            if (!EditorEnabled()) SetItemIndex(FItems.Count() - 1);
            break;
        default:
            break;
    }
}

void TExMultiColumnDropDown::KeyUp(uint16_t& Key, plat::TShiftState Shift) {
    if (!(Key == VK_RETURN && ReturnIsTab)) TExCustomDropDown::KeyUp(Key, Shift);
    if (!FItemChange) return;
    SetItemIndex(FItemIdx);
    SelectText(int(Text().size()), FItemSel);
    FItemChange = false;
}

void TExMultiColumnDropDown::KeyPress(QChar& Key) {
    if (Key == QChar(13) && ReturnIsTab) {
        Key = QChar();
        return;
    }
    TExCustomDropDown::KeyPress(Key);
}

void TExMultiColumnDropDown::HandleMouseWheelDown() {
    TExCustomDropDown::HandleMouseWheelDown();
    Step(1);
}

void TExMultiColumnDropDown::HandleMouseWheelUp() {
    TExCustomDropDown::HandleMouseWheelUp();
    Step(-1);
}

bool TExMultiColumnDropDown::FindPrefixMatch(const QString& Text, QString& Found, int& Row) {
    Found.clear();
    Row = -1;
    if (FLookupColumn < 0 || Text.isEmpty()) return false;
    // The items as they are now: nothing tells when an item's texts change, so no folded copy of
    // them could be trusted.
    const QString key = CaseFold(Text, CaseSensitive);
    for (int i = 0; i < FItems.Count(); ++i) {
        const QString entry = FItems.Items(i).Entry(FLookupColumn);
        if (!CaseFold(entry, CaseSensitive).startsWith(key)) continue;
        Found = entry;
        Row = i;
        return true;
    }
    return false;
}

void TExMultiColumnDropDown::showRow(int Item) {
    if (!FExColGrid || Item + 1 >= FExColGrid->RowCount()) return;
    TExColGrid& g = *FExColGrid;
    const int row = Item + 1;
    // The search has set the item and its text: the row change must not write them again.
    const bool was = FShowing;
    FShowing = true;
    if (row < g.TopRow() || row >= g.TopRow() + g.VisibleRowCount()) g.SetTopRow(row);
    g.FocusCell(0, row, true);
    FShowing = was;
}

void TExMultiColumnDropDown::LookupKey(QChar Key, plat::TShiftState Shift) {
    if ((Key == QChar(13) || Key == QChar(27)) && !Shift.contains(plat::ssAlt)) {
        FLookupEntry.clear();
        return;
    }
    bool found = false;
    QString text;
    int row = -1;
    if (Key == QChar(8)) {
        if (TextRules().SelLength() == 0) {
            FLookupEntry.chop(1);
            SetText(FLookupEntry);
        } else {
            QString t = Text();
            t.remove(TextRules().SelStart(), TextRules().SelLength());
            SetText(t);
        }
        SelectText(int(Text().size()), int(Text().size()));
    } else {
        if (Key != QChar(9)) FLookupEntry += Key;
        if (FindPrefixMatch(FLookupEntry, text, row)) {
            found = true;
            FItemIndex = row;
            showRow(row);
            SetText(text);
            SelectText(int(text.size()), std::min(int(FLookupEntry.size()), int(text.size())));
        } else if (FindPrefixMatch(QString(Key), text, row)) {
            found = true;
            FItemIndex = row;
            showRow(row);
            SetText(text);
            FLookupEntry = QString(Key);
        } else {
            FLookupEntry.clear();
        }
    }
    if (!found) FLookupEntry.clear();
}

void TExMultiColumnDropDown::Assign(const TExCustomDropDown& Source) {
    TExCustomDropDown::Assign(Source);
    const auto* s = dynamic_cast<const TExMultiColumnDropDown*>(&Source);
    if (!s) return;
    CaseSensitive = s->CaseSensitive;
    DropDownAutoWidth = s->DropDownAutoWidth;
    DropDownRowHeight = s->DropDownRowHeight;
    LineColor = s->LineColor;
    FixedLineColor = s->FixedLineColor;
    ColumnSizing = s->ColumnSizing;
    ColumnSizeWithDropDown = s->ColumnSizeWithDropDown;
    FColumns.Assign(s->FColumns);
    HeaderColor = s->HeaderColor;
    HeaderColorTo = s->HeaderColorTo;
    HeaderHeight = s->HeaderHeight;
    FHeaderFont.Assign(s->FHeaderFont);
    FLookupColumn = s->FLookupColumn;
    SelectionTextColor = s->SelectionTextColor;
    FItems.Assign(s->FItems);
    FItemIndex = s->FItemIndex;
}

// ---------------------------------------------------------------------------------------------------
// Looks

void TExMultiColumnDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    if (Value == scOffice2007) {
        LineColor = 0xF1EDEB;
        FixedLineColor = 0xD1BBA4;
    } else if (Value == scWindowsVista || Value == scWindows7) {
        LineColor = 0xECECF0;
        FixedLineColor = 0xD4D2D1;
    }
    TExCustomDropDown::SetSelectionColorStyle(Value);
}

namespace {

constexpr TColor Keep = 0x7FFFFFFE;  // the look leaves the header font's colour

struct TOfficeRow {
    TSkinStyle Style;
    TColor HeaderColor, HeaderColorTo, HeaderFont;
    TSelectionColorStyle Selection;
    TColor Lines;
};
constexpr TOfficeRow kOfficeRows[] = {
    {tsOffice2003Blue, 0xD68759, 9648131, plat::clWhite, scOffice2007, 0x962D00},
    {tsOffice2003Silver, 0xBDA4A5, 0x957475, Keep, scOffice2007, 9731196},
    {tsOffice2003Olive, 0x82C0AF, 0x447A63, Keep, scOffice2007, 0x588060},
    {tsOffice2003Classic, 0x808080, 0x808080, Keep, scOffice2007, 0x808080},
    {tsOffice2007Luna, 0xFFEFE3, 0xFFD2AF, 0x723708, scOffice2007, 0xFFD2AF},
    {tsOffice2007Obsidian, 0xF2F1F0, 0xC9C2BD, 0x433C37, scOffice2007, 0x5C534C},
    {tsWhidbey, 0xEBEEEF, 0x7E9898, plat::clWhite, scOffice2007, 0x962D00},
    {tsOffice2007Silver, 0xF8F7F6, 0xE8E0DB, 0x8B4215, scOffice2007, 0x74706F},
    {tsWindowsVista, 0xFFFDF9, 0xFFFAF0, plat::clBlack, scWindowsVista, 0xFCF2DA},
    {tsWindows7, 0xFDFBFA, 0xFDF3EB, plat::clBlack, scWindows7, 0xFBD6B8},
};

struct TPlainRow {
    TSkinStyle Style;
    TColor FixedLineColor, LineColor, HeaderColor, HeaderColorTo, Selection, HeaderFont, SelectionText;
};
constexpr TPlainRow kPlainRows[] = {
    {tsWindowsXP, plat::clBlack, 0xC0C0C0, plat::clBtnFace, plat::clBtnFace, plat::clHighlight, plat::clBlack,
     plat::clHighlightText},
    {tsTerminal, 0x808080, 0x808080, plat::clBtnFace, plat::clBtnFace, plat::clHighlight, plat::clBlack,
     plat::clHighlightText},
    {tsOffice2010Blue, 0xEEDDCF, 0xEEDDCF, 0xEDDBCD, plat::clNone, 0x6CD0FF, 0x5B391E, plat::clBlack},
    {tsOffice2010Silver, 0xEEDDCF, 0xEEDDCF, 0xEDE9E5, plat::clNone, 0x6CD0FF, 0x5B391E, plat::clBlack},
    {tsOffice2010Black, 0xEEDDCF, 0xEEDDCF, 0x828282, plat::clNone, 0x6CD0FF, 0xD7D7D6, plat::clBlack},
};

}  // namespace

void TExMultiColumnDropDown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    for (const TOfficeRow& r : kOfficeRows) {
        if (r.Style != AStyle) continue;
        HeaderColor = r.HeaderColor;
        HeaderColorTo = r.HeaderColorTo;
        if (r.HeaderFont != Keep) FHeaderFont.SetColor(r.HeaderFont);
        SetSelectionColorStyle(r.Selection);
        LineColor = FixedLineColor = r.Lines;
        SelectionTextColor = plat::clBlack;
        return;
    }
    for (const TPlainRow& r : kPlainRows) {
        if (r.Style != AStyle) continue;
        FixedLineColor = r.FixedLineColor;
        LineColor = r.LineColor;
        HeaderColor = r.HeaderColor;
        HeaderColorTo = r.HeaderColorTo;
        SetSelectionColorStyle(scCustom);
        SelectionColor = SelectionColorTo = r.Selection;
        FHeaderFont.SetColor(r.HeaderFont);
        SelectionTextColor = r.SelectionText;
        return;
    }
}

}  // namespace dropdowns

// ---------------------------------------------------------------------------------------------------
// The pop-up grid

namespace dropdowns {

using plat::TRect;

TExColGrid::TExColGrid(QWidget* parent) : plat::TStringGrid(parent) {
    SetFixedCols(0);
    SetFixedRows(std::min(1, RowCount() - 1));
    plat::TGridOptions o = Options();
    o.exclude(plat::goRangeSelect);
    o.exclude(plat::goDrawFocusSelected);
    o.include(plat::goHorzLine);
    o.include(plat::goRowSelect);
    SetOptions(o);
    SetDefaultDrawing(false);
    SetGridLineWidth(0);
    FGridLineWidth = 1;
    SetBorderStyle(plat::bsNone);
    viewport()->installEventFilter(this);
}

void TExColGrid::SetGridLineWidth(int Value) {
    FGridLineWidth = Value;
    plat::TStringGrid::SetGridLineWidth(0);
    viewport()->update();
}

int TExColGrid::ScrollBarWidth() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

int TExColGrid::GetGridWidth() const {
    std::vector<int> widths;
    for (int c = 0; c < ColCount(); ++c) widths.push_back(ColWidths(c));
    const bool bar = VisibleRowCount() + FixedRows() < RowCount();
    return MultiColumnGridWidth(widths, BorderStyle() == plat::bsSingle ? 1 : 0, bar, ScrollBarWidth());
}

bool TExColGrid::inPopup() const {
    return dynamic_cast<TDropDownForm*>(parentWidget()) != nullptr;
}

void TExColGrid::UpdateFromDropDown(TExMultiColumnDropDown* DropDown) {
    FDovUzerAdev = DropDown;
    FColumns.Assign(DropDown->Columns());
    // A grid with a single row has no fixed row: without items the header row is an ordinary one.
    SetFixedRows(0);
    SetColCount(std::max(1, FColumns.Count()));
    const int items = DropDown->Items().Count();
    SetRowCount(items + 1);
    if (RowCount() > 1) {
        SetFixedRows(1);
        SetRow(1);
    }
    for (int c = 0; c < FColumns.Count(); ++c) SetColWidths(c, FColumns.Items(c).Width);
    LineColor = DropDown->LineColor;
    FixedLineColor = DropDown->FixedLineColor;
    HeaderColor = DropDown->HeaderColor;
    HeaderColorTo = DropDown->HeaderColorTo;
    HeaderHeight = DropDown->HeaderHeight;
    FHeaderFont.Assign(DropDown->HeaderFont());
    Images = DropDown->Images();
    SetDefaultRowHeight(DropDown->DropDownRowHeight > 0 ? DropDown->DropDownRowHeight : 1);
    SetRowHeights(0, HeaderHeight);
    plat::TGridOptions o = Options();
    if (DropDown->ColumnSizing)
        o.include(plat::goColSizing);
    else
        o.exclude(plat::goColSizing);
    SetOptions(o);
    SizeAutoSizeColumns();
    SizeWrappedRows();
}

void TExColGrid::SizeColumnToText(int Index) {
    if (!FDovUzerAdev || Index < 0 || Index >= FColumns.Count()) return;
    TDropDownColumn& column = FColumns.Items(Index);
    plat::TCanvas& c = Canvas();
    c.Font().Assign(column.Font());
    int width = 0;
    const TDropDownItems& items = FDovUzerAdev->Items();
    for (int r = 1; r < RowCount() && r - 1 < items.Count(); ++r) {
        const TDropDownItem& item = items.Items(r - 1);
        const bool has = Index < item.Text().size();
        int need = 0;
        if (column.ColumnType == ctImage && has && item.ImageIndex >= 0 && Images) need += Images->Width() + 4;
        if (has && !item.Text()[Index].isEmpty()) need += c.TextExtent(item.Text()[Index]).width() + 6;
        width = std::max(width, need);
    }
    SetColWidths(Index, width);
    column.Width = width;
}

void TExColGrid::SizeAutoSizeColumns() {
    if (!inPopup()) return;
    for (int i = 0; i < FColumns.Count(); ++i)
        if (FColumns.Items(i).AutoSize) SizeColumnToText(i);
}

void TExColGrid::SizeWrappedRows() {
    if (!FDovUzerAdev || !inPopup()) return;
    bool any = false;
    for (int i = 0; i < FColumns.Count(); ++i) any = any || FColumns.Items(i).Wordwrap;
    if (!any) return;
    const TDropDownItems& items = FDovUzerAdev->Items();
    plat::TCanvas& c = Canvas();
    for (int r = 1; r < RowCount() && r - 1 < items.Count(); ++r) {
        const TDropDownItem& item = items.Items(r - 1);
        int h = 24;
        for (int i = 0; i < FColumns.Count(); ++i) {
            const TDropDownColumn& column = FColumns.Items(i);
            if (!column.Wordwrap) continue;
            const bool has = i < item.Text().size();
            if (column.ColumnType == ctImage && has && item.ImageIndex >= 0 && Images)
                h = std::max(h, Images->Height() + 6);
            if (has && !item.Text()[i].isEmpty()) {
                c.Font().Assign(column.Font());
                TRect box{0, 0, ColWidths(i), 0};
                c.DrawText(item.Text()[i], box, plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_EDITCONTROL);
                h = std::max(h, box.Height() + 6);
            }
        }
        SetRowHeights(r, h);
    }
}

void TExColGrid::DrawCell(int ACol, int ARow, const TRect& ARect, plat::TGridDrawState AState) {
    plat::TCanvas& c = Canvas();
    TExMultiColumnDropDown* d = FDovUzerAdev;
    if (!d) return;
    if (d->OnDropDownDrawItem) {
        d->OnDropDownDrawItem(d, ACol, ARow, c, ARect);
        return;
    }
    TRect r{ARect.Left, ARect.Top, ARect.Left + ColWidths(ACol), ARect.Top + RowHeights(ARow)};
    const int n = ColCount();
    const uint8_t position = n == 1 ? 0 : ACol == 0 ? 1 : ACol == n - 1 ? 2 : 3;
    const bool header = ARow < FixedRows();
    plat::TColor back = Color();
    plat::TAlignment align = plat::taLeftJustify;
    bool wrap = false, ellipsis = false;
    int image = -1;
    QString text;
    if (ACol < FColumns.Count() && !header) {
        const TDropDownColumn& column = FColumns.Items(ACol);
        back = column.Color;
        align = column.Alignment;
        wrap = column.Wordwrap;
        ellipsis = column.Ellipsis;
        c.Font().Assign(column.Font());
        if (ARow >= 1 && ARow - 1 < d->Items().Count()) {
            const TDropDownItem& item = d->Items().Items(ARow - 1);
            text = item.Entry(ACol);
            if (column.ColumnType == ctImage) image = item.ImageIndex;
        }
    } else {
        c.Font().Assign(FHeaderFont);
        if (ACol < FColumns.Count()) {
            align = FColumns.Items(ACol).Alignment;
            if (header) text = FColumns.Items(ACol).Header;
        }
    }
    if (d->OnDropDownGetItemText) d->OnDropDownGetItemText(d, ACol, ARow, text);
    const bool selected = AState.contains(plat::gdSelected) && !header;
    if (!header) {
        if (selected) {
            d->DrawSelectionCell(c, r, back, position);
        } else {
            c.Pen().SetColor(back);
            c.Brush().SetStyle(plat::bsSolid);
            c.Brush().SetColor(back);
            c.FillRect(r);
        }
    } else {
        image = -1;
        if (HeaderColor == plat::clNone || HeaderColorTo == plat::clNone) {
            c.Brush().SetStyle(plat::bsSolid);
            c.Brush().SetColor(HeaderColor);
            if (HeaderColor != plat::clNone) c.FillRect(r);
        } else {
            d->DrawHeaderGradient(c, r);
        }
    }
    const int w = header ? 1 : FGridLineWidth;
    const int k = header ? 1 : (w + 1) / 2;
    const bool horz = Options().contains(header ? plat::goFixedHorzLine : plat::goHorzLine);
    const bool vert = Options().contains(header ? plat::goFixedVertLine : plat::goVertLine);
    const plat::TColor lines = header ? FixedLineColor : LineColor;
    if (w > 0 && lines != plat::clNone && (horz || vert)) {
        c.Pen().SetColor(lines);
        c.Pen().SetWidth(w);
        c.Pen().SetStyle(plat::psSolid);
        const int rtl = UseRightToLeftAlignment() ? 1 : 0;
        if (horz) {
            c.MoveTo(r.Left - k + 1, r.Bottom - k);
            c.LineTo(r.Right - k + 1, r.Bottom - k);
        }
        if (vert) {
            c.MoveTo(r.Right - k + rtl, r.Bottom - k);
            c.LineTo(r.Right - k + rtl, r.Top - k);
        }
        c.Pen().SetWidth(1);
    }
    TRect t{r.Left + FGridLineWidth, r.Top + FGridLineWidth, r.Right - FGridLineWidth, r.Bottom - FGridLineWidth};
    t.Left += 2;
    if (image >= 0 && Images) {
        const int y = Images->Height() < t.Height() ? t.Top + (t.Height() - Images->Height()) / 2 : t.Top;
        Images->Draw(c, t.Left, y, image, true);
        t.Left += Images->Width() + 4;
    }
    if (text.isEmpty()) return;
    c.Brush().SetStyle(plat::bsClear);
    if (selected) c.Font().SetColor(d->SelectionTextColor);
    unsigned flags = plat::DT_VCENTER | plat::DT_EXPANDTABS | plat::DT_NOPREFIX;
    flags |= wrap ? plat::DT_WORDBREAK | plat::DT_EDITCONTROL : plat::DT_SINGLELINE;
    if (align == plat::taRightJustify) flags |= plat::DT_RIGHT;
    if (align == plat::taCenter) flags |= plat::DT_CENTER;
    if (ellipsis) flags |= plat::DT_END_ELLIPSIS;
    c.DrawText(text, t, flags);
}

void TExColGrid::Select() {
    if (OnSelect) OnSelect(this);
}

bool TExColGrid::eventFilter(QObject* watched, QEvent* e) {
    // Tab does nothing in the pop-up: it neither moves the focus nor reaches the keys.
    if (watched == viewport() && e->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab || static_cast<QKeyEvent*>(e)->key() == Qt::Key_Backtab))
        return true;
    return plat::TStringGrid::eventFilter(watched, e);
}

void TExColGrid::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    FConfirmSelection = true;
    if (Shift.contains(plat::ssAlt) && (Key == VK_UP || Key == VK_DOWN)) return;  // the edit has them
    const uint16_t key = Key;
    plat::TStringGrid::KeyDown(Key, Shift);
    if (key == VK_RETURN) Select();
}

void TExColGrid::MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    FConfirmSelection = true;
    plat::TStringGrid::MouseDown(Button, Shift, X, Y);
}

void TExColGrid::MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    plat::TStringGrid::MouseUp(Button, Shift, X, Y);
    int col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (row >= FixedRows() && row < RowCount()) Select();
}

bool TExColGrid::DoMouseWheelDown(plat::TShiftState Shift, QPoint MousePos) {
    FMouseWheelSelection = true;
    FConfirmSelection = false;
    const bool r = plat::TStringGrid::DoMouseWheelDown(Shift, MousePos);
    FMouseWheelSelection = false;
    return r;
}

bool TExColGrid::DoMouseWheelUp(plat::TShiftState Shift, QPoint MousePos) {
    FMouseWheelSelection = true;
    FConfirmSelection = false;
    const bool r = plat::TStringGrid::DoMouseWheelUp(Shift, MousePos);
    FMouseWheelSelection = false;
    return r;
}

// ---------------------------------------------------------------------------------------------------
// The drop-down's pop-up steps

void TExMultiColumnDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (FExColGrid || !DropDownForm()) return;
    FExColGrid = new TExColGrid(DropDownForm());
    FExColGrid->setGeometry(0, 0, FExColGrid->width(), 180);
    FExColGrid->SetColor(DropDownColor());
    // The grid's keys arrive at its viewport: the edit watches that.
    FExColGrid->viewport()->installEventFilter(this);
}

bool TExMultiColumnDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (FExColGrid && watched == FExColGrid->viewport() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) return false;
        plat::guarded([&] {
            const plat::TKeyInfo info = plat::KeyFromEvent(*k);
            uint16_t key = info.Key;
            if (event->type() == QEvent::KeyRelease) {
                if (key != 0 && !k->isAutoRepeat()) ControlKeyUp(key, info.Shift);
                return;
            }
            if (key != 0) ControlKeyDown(key, info.Shift);
            for (QChar ch : plat::KeyPressText(*k)) {
                QChar c = ch;
                ControlKeyPress(c);
            }
        });
    }
    return TExCustomDropDown::eventFilter(watched, event);
}

void TExMultiColumnDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    if (DropDownForm()) DropDownForm()->CancelOnDeActivate = false;
    FShowing = true;
    if (FExColGrid) {
        TExColGrid& g = *FExColGrid;
        g.UpdateFromDropDown(this);
        plat::TGridOptions o = g.Options();
        o.include(plat::goThumbTracking);
        g.SetOptions(o);
        g.SetColor(DropDownColor());
        g.OnSelectCell = [this](QObject*, int, int Row, bool&) { GridSelectCell(Row); };
        g.OnSelect = [this](QObject*) { GridSelect(); };
        int row = FItemIndex + 1;
        if (row < g.FixedRows()) row = 1;
        g.SetRow(std::clamp(row, 0, g.RowCount() - 1));
    }
    FOldItemIndex = FItemIndex;
}

void TExMultiColumnDropDown::UpdateDropDownSize() {
    TExCustomDropDown::UpdateDropDownSize();
    if (!DropDownAutoWidth || !DropDownForm() || !FExColGrid) return;
    const int w = FExColGrid->GetGridWidth();
    FExColGrid->resize(w, FExColGrid->height());
    DropDownForm()->resize(w + 2 * DropDownBorderWidth, DropDownForm()->height());
    DropDownForm()->Realign();
}

void TExMultiColumnDropDown::PlaceDropDownControl() {
    if (FExColGrid) SetControl(FExColGrid);
    TExCustomDropDown::PlaceDropDownControl();
}

void TExMultiColumnDropDown::AdjustDropDownHeight(int& Height) {
    int bars = 0;
    if (DropDownHeader().Visible()) bars += DropDownHeader().Height();
    if (DropDownFooter().Visible()) bars += DropDownFooter().Height();
    Height = SnapDropDownHeight(Height, bars, HeaderHeight, DropDownRowHeight);
}

void TExMultiColumnDropDown::DoShowDropDown() {
    TExCustomDropDown::DoShowDropDown();
    if (FExColGrid && DroppedDown()) {
        // Keys typed now search the items and move the rows: the grid has the focus.
        FExColGrid->setFocus();
        SizeColumnsToDropDown();
        TExColGrid& g = *FExColGrid;
        if (g.RowCount() > g.FixedRows()) {
            const int row = std::min(FItemIndex < 0 ? 1 : FItemIndex + 1, g.RowCount() - 1);
            g.SetRow(row);
            if (row < g.TopRow() || row >= g.TopRow() + g.VisibleRowCount())
                g.SetTopRow(std::max(g.FixedRows(), row - g.VisibleRowCount() + 1));
        }
    }
    FShowing = false;
}

void TExMultiColumnDropDown::DoHideDropDown(bool Cancelled) {
    if (!DropDownForm() || !DropDownForm()->isVisible()) {
        TExCustomDropDown::DoHideDropDown(Cancelled);
        return;
    }
    TExCustomDropDown::DoHideDropDown(Cancelled);
    if (Cancelled)
        SetItemIndex(FOldItemIndex);
    else if (FExColGrid && FExColGrid->ConfirmSelection())
        SetItemIndex(FExColGrid->Row() - 1);
    FOldItemIndex = FItemIndex;
}

void TExMultiColumnDropDown::DropDownFormSizing() {
    TExCustomDropDown::DropDownFormSizing();
    SizeColumnsToDropDown();
}

void TExMultiColumnDropDown::SizeColumnsToDropDown() {
    if (!ColumnSizeWithDropDown || !FExColGrid || !DropDownForm()) return;
    TExColGrid& g = *FExColGrid;
    g.SetScrollBars(plat::ssVertical);
    if (FColumns.Count() == 0) return;
    std::vector<int> design;
    for (int i = 0; i < FColumns.Count(); ++i) design.push_back(FColumns.Items(i).Width);
    int avail = DropDownForm()->width();
    if (g.VisibleRowCount() < g.RowCount() - g.FixedRows()) avail -= g.ScrollBarWidth();
    const std::vector<int> widths = ScaleColumnWidths(design, avail);
    for (int i = 0; i < int(widths.size()) && i < g.ColCount(); ++i) g.SetColWidths(i, widths[std::size_t(i)]);
}

void TExMultiColumnDropDown::ControlKeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const bool gridKey = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN;
    if (gridKey && !Shift.contains(plat::ssAlt)) return;
    TExCustomDropDown::ControlKeyDown(Key, Shift);
}

void TExMultiColumnDropDown::ControlKeyUp(uint16_t& Key, plat::TShiftState Shift) {
    const bool gridKey = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN;
    if (gridKey && !Shift.contains(plat::ssAlt)) return;
    TExCustomDropDown::ControlKeyUp(Key, Shift);
}

void TExMultiColumnDropDown::ControlKeyPress(QChar& Key) {
    LookupKey(Key, plat::ShiftStateOf(QGuiApplication::keyboardModifiers(), Qt::NoButton));
}

void TExMultiColumnDropDown::GridSelectCell(int Row) {
    if (FExColGrid && !FExColGrid->MouseWheelSelection() && !FShowing) SetItemIndex(Row - 1);
}

void TExMultiColumnDropDown::GridSelect() {
    if (!FExColGrid) return;
    if (FExColGrid->ConfirmSelection()) SetItemIndex(FExColGrid->Row() - 1);
    DoHideDropDown(false);
    if (OnSelect) OnSelect(this);
}

}  // namespace dropdowns
