#include "dropdowns/ExMultiColumnDropDown.h"

#include "platform/Keys.h"

#include <QCoreApplication>
#include <QKeyEvent>

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
    foldedValid_[0] = foldedValid_[1] = false;
}

const TCompletionList& TExMultiColumnDropDown::lookupList(int slot, bool Exact) {
    if (!foldedValid_[slot] || foldedCase_[slot] != Exact) {
        folded_[slot].Assign(FLookupItems, Exact);
        foldedValid_[slot] = true;
        foldedCase_[slot] = Exact;
    }
    return folded_[slot];
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
    const TCompletion c = Complete(Text(), std::max(0, TextRules().SelStart() - prefix), lookupList(0, MatchCase));
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
        case VK_UP: Step(-1); break;
        case VK_DOWN: Step(1); break;
        case VK_PRIOR: Step(-10); break;
        case VK_NEXT: Step(10); break;
        case VK_HOME:
            if (!EditorEnabled()) SetItemIndex(0);
            break;
        case VK_END:
            if (!EditorEnabled()) SetItemIndex(FItems.Count() - 1);
            break;
        default: break;
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
    if (FLookupColumn < 0) return false;
    const TCompletionList& list = lookupList(1, CaseSensitive);
    const int i = list.FindPrefix(CaseFold(Text, CaseSensitive));
    if (i < 0) return false;
    Found = list.Text(i);
    Row = i;
    return true;
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
            SetText(text);
            SelectText(int(text.size()), std::min(int(FLookupEntry.size()), int(text.size())));
        } else if (FindPrefixMatch(QString(Key), text, row)) {
            found = true;
            FItemIndex = row;
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
