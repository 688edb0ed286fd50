#include "dropdowns/ExDetailDropDown.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "controls/ExHTMLRender.h"
#include "dropdowns/DovUzerAdev.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "platform/Keys.h"

namespace dropdowns {

using plat::TRect;
using plat::VK_BACK, plat::VK_DELETE, plat::VK_DOWN, plat::VK_END, plat::VK_ESCAPE, plat::VK_HOME, plat::VK_LEFT,
    plat::VK_NEXT, plat::VK_PRIOR, plat::VK_RETURN, plat::VK_RIGHT, plat::VK_UP;

// ---------------------------------------------------------------------------------------------------
// Items

void TDetailItem::Changed() {
    if (auto* c = dynamic_cast<TDetailItems*>(Collection())) c->Changed();
}

void TDetailItem::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed();
}

void TDetailItem::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Changed();
}

void TDetailItem::Assign(const TDetailItem& Source) {
    SetCaption(Source.FCaption);
    SetImageIndex(Source.FImageIndex);
    FImage.Assign(Source.FImage);
    FEnabled = Source.FEnabled;
    FNotes = Source.FNotes;
    FTag = Source.FTag;
    FItemObject = Source.FItemObject;
}

TDetailItem& TDetailItems::Insert(int Index) {
    TDetailItem& item = TCollection<TDetailItem>::Insert(Index);
    Changed();
    return item;
}

void TDetailItems::Delete(int Index) {
    TCollectionBase::Delete(Index);
    Changed();
}

void TDetailItems::Clear() {
    TCollectionBase::Clear();
    Changed();
}

void TDetailItems::Assign(const TDetailItems& Source) {
    if (&Source == this) return;
    TCollectionBase::Clear();
    for (int i = 0; i < Source.Count(); ++i) TCollection<TDetailItem>::Insert(Count()).Assign(Source.Items(i));
    Changed();
}

int TDetailItems::IndexOf(const QString& Caption) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i).Caption() == Caption) return i;
    return -1;
}

void TDetailItems::Changed() {
    ++version_;
    if (OnChange) OnChange(FMyOwner);
}

// ---------------------------------------------------------------------------------------------------
// The drop-down

TExDetailDropDown::TExDetailDropDown(QWidget* parent) : TExCustomDropDown(parent) {
    FItems = new TDetailItems(this);
    FItems->OnChange = [](QObject*) {};
    FItemAppearance = new TItemAppearance(this);
    SetEditorEnabled(true);
    DropDownEnabled = true;
    FCaptionFont.Assign(Font());
    FNotesFont.Assign(Font());
}

TExDetailDropDown::~TExDetailDropDown() {
    // The list reads the items while it paints: it goes with the pop-up form; unhook it first.
    if (FItemSelector) {
        FItemSelector->OnItemSelect = nullptr;
        FItemSelector->OnDrawItem = nullptr;
        FItemSelector->OnItemSize = nullptr;
        FItemSelector->OnResize = nullptr;
    }
    delete FItems;
    delete FItemAppearance;
}

void TExDetailDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (!FItemSelector) {
        FItemSelector = new TExCustomItemSelector(DropDownForm());
        FItemSelector->SetSelectorType(stImage);
        FItemSelector->setGeometry(0, 0, FItemSelector->width(), 150);
        FItemSelector->OnDrawItem = [this](QObject*, plat::TCanvas& Canvas, TRect& R, int Index) {
            DrawDetailItem(Canvas, R, Index);
        };
        FItemSelector->OnItemSize = [this](QObject*, QSize& Size) { DetailItemSize(Size); };
        FItemSelector->UpdateSelectorPanel();
        FItemSelector->OnResize = [this](QObject*) { FItemSelector->UpdateSelectorPanel(); };
    }
    FItemSelector->SetColor(DropDownColor());
    FItemSelector->UpdateSelectorPanel();
    SetControl(FItemSelector);
}

void TExDetailDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    LoadSelector();
    FOldItemIndex = FItemIndex;
}

void TExDetailDropDown::LoadSelector() {
    if (!FItemSelector) return;
    TExCustomItemSelector& list = *FItemSelector;
    list.OnItemSelect = nullptr;
    list.SetColumns(1);
    list.SetImages(Images());
    list.SetItemLayout(FLayout);
    list.SetColor(DropDownColor());
    list.SetItemAppearance(*FItemAppearance);
    // One batch and one layout, however many items.
    TSelectorItems& items = list.Items();
    items.BeginUpdate();
    items.Clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        const TDetailItem& d = FItems->Items(i);
        TSelectorItem& s = items.Add();
        s.SetCaption(d.Caption());
        s.SetImage(d.Image());
        s.SetImageIndex(d.ImageIndex());
    }
    items.EndUpdate();
    list.UpdateSelectorPanel();
    list.SetItemIndex(FItemIndex);
    list.OnItemSelect = [this](QObject*) { SelectorItemSelect(); };
}

void TExDetailDropDown::UpdateDropDownSize() {
    if (FItemSelector) {
        if (DropDownWidth() <= 0) FItemSelector->resize(width(), FItemSelector->height());
        if (DropDownHeight() <= 0) FItemSelector->resize(FItemSelector->width(), 100);
    }
    TExCustomDropDown::UpdateDropDownSize();
}

void TExDetailDropDown::DoShowDropDown() {
    TExCustomDropDown::DoShowDropDown();
    if (!FItemSelector || !DroppedDown()) return;
    // The cells take the pop-up's width, which is known only now that it is shown.
    FItemSelector->UpdateSelectorPanel();
    FItemSelector->ScrollItemInView(FItemSelector->ItemIndex());
    FItemSelector->setFocus();
}

void TExDetailDropDown::DoHideDropDown(bool Cancelled) {
    TExCustomDropDown::DoHideDropDown(Cancelled);
    if (Cancelled && FItemSelector && FOldItemIndex != -1) SetItemIndex(FOldItemIndex);
}

void TExDetailDropDown::DropDownFormSizing() {
    TExCustomDropDown::DropDownFormSizing();
    if (FItemSelector) FItemSelector->UpdateSelectorPanel();
}

void TExDetailDropDown::StepList(int Delta) {
    if (!FItemSelector) return;
    const int current = FItemSelector->ItemIndex();
    const int target = current < 0 ? 0 : current + Delta;
    if (target >= 0 && target < FItemSelector->Items().Count()) moveList(target);
    update();
}

void TExDetailDropDown::HandleMouseWheelDown() {
    TExCustomDropDown::HandleMouseWheelDown();
    if (!FItemSelector || !DroppedDown())
        SelectNext();
    else
        StepList(1);
}

void TExDetailDropDown::HandleMouseWheelUp() {
    TExCustomDropDown::HandleMouseWheelUp();
    if (!FItemSelector || !DroppedDown())
        SelectPrevious();
    else
        StepList(-1);
}

void TExDetailDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    TExCustomDropDown::SetSelectionColorStyle(Value);
    if (FItemSelector) FItemSelector->ItemAppearance().ApplyColorStyle(Value);
}

void TExDetailDropDown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    SetItemAppearanceStyle(FItemAppearance, AStyle);
}

void TExDetailDropDown::moveList(int Index) {
    const bool was = FInternalCall;
    FInternalCall = true;
    FItemSelector->SetItemIndex(Index);
    FItemSelector->ScrollItemInView(FItemSelector->ItemIndex());
    FInternalCall = was;
}

void TExDetailDropDown::SelectorItemSelect() {
    const int i = FItemSelector->ItemIndex();
    SetItemIndex(i);
    if (i >= 0 && i < FItems->Count()) {
        SetText(FItems->Items(i).Caption());
        SelectAll();
    }
    if (!FInternalCall) DoHideDropDown(false);
}

void TExDetailDropDown::DetailItemSize(QSize& Size) {
    int w = DropDownWidth() > 0 ? DropDownWidth() : (DropDownForm() ? DropDownForm()->width() : 0);
    if (FItemSelector && FItemSelector->VerticalScrollBarShown()) w -= FItemSelector->verticalScrollBar()->width();
    w -= 2 * 1 + 4;  // two system borders of one pixel, and the panel's margins
    Size = QSize(w, FItemHeight);
}

void TExDetailDropDown::DrawDetailItem(plat::TCanvas& Canvas, TRect R, int Index) {
    if (Index < 0 || Index >= FItems->Count()) return;
    const TDetailItem& item = FItems->Items(Index);
    const plat::TImageList* images = Images();
    auto place = [&](int w, int h) {
        const int x = item.Caption().isEmpty() ? R.Left + (R.Width() - w) / 2 : R.Left + 2;
        return QPoint(x, R.Top + (R.Height() - h) / 2);
    };
    if (!item.Image().Empty()) {
        const QPoint p = place(item.Image().Width(), item.Image().Height());
        plat::TBitmap picture(item.Image());
        picture.SetTransparent(true);
        picture.SetTransparentMode(plat::tmAuto);
        Canvas.Draw(p.x(), p.y(), picture);
        R.Left += item.Image().Width() + 4;
    } else if (images && item.ImageIndex() >= 0) {
        const QPoint p = place(images->Width(), images->Height());
        images->Draw(Canvas, p.x(), p.y(), item.ImageIndex(), true);
        R.Left += images->Width() + 4;
    }
    const int hot = FItemSelector ? FItemSelector->ItemHot() : -1;
    auto colourFont = [&](plat::TFont& Font) {
        Canvas.Font().Assign(Font);
        if (Index == hot) Canvas.Font().SetColor(FItemAppearance->ColorHotText);
        if (Index == FItemIndex) Canvas.Font().SetColor(FItemAppearance->ColorSelectedText);
    };
    colourFont(FCaptionFont);
    Canvas.Brush().SetStyle(plat::bsClear);
    R.Left += 4;
    R.Right -= 4;
    R.Top += 2;
    Canvas.TextOut(R.Left, R.Top, ShortenText(Canvas, item.Caption(), R.Width(), true));
    if (item.Notes().isEmpty()) return;
    R.Top += Canvas.TextHeight(QStringLiteral("gh"));
    colourFont(FNotesFont);
    THTMLRenderIn in;
    in.Text = item.Notes();
    in.Rect = R;
    in.Images = images;
    in.WindowHandle = FItemSelector;
    in.ShadowColor = 0x808080;
    in.HoverColor = plat::clNone;
    in.HoverFontColor = plat::clNone;
    in.URLColor = 0xFF0000;
    THTMLRenderOut out;
    RenderHTML(Canvas, in, out, nullptr);
}

void TExDetailDropDown::SetItemIndex(int Value) {
    if (Value != FItemIndex && Value >= 0 && Value < FItems->Count()) {
        FItemIndex = Value;
        SetText(FItems->Items(Value).Caption());
        SelectAll();
        update();
        if (FItemSelector) FItemSelector->viewport()->update();
        if (OnSelect) OnSelect(this);
    }
    if (Value != FItemIndex && Value == -1) {
        SetText(QString());
        FItemIndex = -1;
    }
}

void TExDetailDropDown::SelectFirst() {
    if (FItems->Count() > 0) SetItemIndex(0);
}

void TExDetailDropDown::SelectLast() {
    if (FItems->Count() > 0) SetItemIndex(FItems->Count() - 1);
}

void TExDetailDropDown::SelectNext() {
    if (FItems->Count() == 0) return;
    if (FItemIndex == -1)
        SetItemIndex(0);
    else if (FItemIndex + 1 < FItems->Count())
        SetItemIndex(FItemIndex + 1);
}

void TExDetailDropDown::SelectPrevious() {
    if (FItems->Count() == 0) return;
    if (FItemIndex == -1)
        SetItemIndex(0);
    else if (FItemIndex - 1 >= 0)
        SetItemIndex(FItemIndex - 1);
}

// ---------------------------------------------------------------------------------------------------
// Completion

const TCompletionList& TExDetailDropDown::completionList() {
    if (completionVersion_ != FItems->Version() || completionCase_ != FMatchCase) {
        QStringList captions;
        captions.reserve(FItems->Count());
        for (int i = 0; i < FItems->Count(); ++i) captions << FItems->Items(i).Caption();
        completion_.Assign(captions, FMatchCase);
        completionVersion_ = FItems->Version();
        completionCase_ = FMatchCase;
    }
    return completion_;
}

void TExDetailDropDown::DoChange() {
    if (completing_) return;
    FItemChange = false;
    TExCustomDropDown::DoChange();
    if (!FWorkMode) return;
    SetModifiedState(Text() != FOldValue);
    const int prefix = int(TextRules().Prefix.size());
    const TCompletion c = Complete(Text(), std::max(0, TextRules().SelStart() - prefix), completionList());
    if (!c.Changed) return;
    completing_ = true;
    if (c.Index >= 0) {
        FItemIndex = FItemIdx = c.Index;
        FItemSel = c.KeyLength;
        FItemChange = true;
    }
    SetText(c.Text);
    SelectText(prefix + c.Anchor, prefix + c.Caret);
    completing_ = false;
}

// ---------------------------------------------------------------------------------------------------
// Keys

void TExDetailDropDown::keyPressEvent(QKeyEvent* event) {
    lastKeyText_ = plat::KeyPressText(*event);
    TExCustomDropDown::keyPressEvent(event);
}

bool TExDetailDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FItemSelector && event->type() == QEvent::KeyPress)
        lastKeyText_ = plat::KeyPressText(*static_cast<QKeyEvent*>(event));
    return TExCustomDropDown::eventFilter(watched, event);
}

void TExDetailDropDown::typeAhead() {
    // The key's own character: a key without one (a function key) leaves the search as it is.
    const int64_t t = Clock().nowMs();
    const QString before = FCurSearch.Text(t);
    FCurSearch.Add(lastKeyText_, t);
    const QString now = FCurSearch.Text(t);
    if (now.isEmpty() || now == before) return;
    const bool was = FInternalCall;
    FInternalCall = true;
    FItemSelector->LookupItem(now);
    FInternalCall = was;
}

void TExDetailDropDown::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const QString keyText = std::exchange(lastKeyText_, QString());
    if (isEnabled() && !Shift.contains(plat::ssAlt)) {
        const bool open = DroppedDown();
        switch (Key) {
            case VK_PRIOR:
            case VK_NEXT:
                if (FItemSelector) {
                    if (FItemSelector->Items().Count() != FItems->Count()) LoadSelector();
                    const int v = std::max(1, FItemSelector->GetVisibleItemCount());
                    const int n = FItemSelector->Items().Count();
                    const int i = FItemSelector->ItemIndex();
                    if (n > 0) moveList(Key == VK_PRIOR ? std::max(0, i - v) : std::min(n - 1, i + v));
                }
                break;
            case VK_HOME:
            case VK_END:
                if (open && FItemSelector) {
                    const bool was = FInternalCall;
                    FInternalCall = true;
                    if (Key == VK_HOME)
                        FItemSelector->SelectFirst();
                    else
                        FItemSelector->SelectLast();
                    FInternalCall = was;
                } else if (!open && !EditorEnabled()) {
                    if (Key == VK_HOME)
                        SelectFirst();
                    else
                        SelectLast();
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
                if (!EditorEnabled() && open && FItemSelector) {
                    const bool was = FInternalCall;
                    FInternalCall = true;
                    if (Key == VK_LEFT)
                        FItemSelector->SelectPrevious();
                    else
                        FItemSelector->SelectNext();
                    FInternalCall = was;
                }
                break;
            case VK_UP:
            case VK_DOWN:
                if (open)
                    StepList(Key == VK_UP ? -1 : 1);
                else if (Key == VK_UP)
                    SelectPrevious();
                else
                    SelectNext();
                break;
            default:
                if (!Shift.contains(plat::ssCtrl) && FItemSelector) {
                    lastKeyText_ = keyText;
                    typeAhead();
                }
                break;
        }
        if (open && (Key == VK_PRIOR || Key == VK_NEXT || (Key >= VK_LEFT && Key <= VK_DOWN))) {
            Key = 0;
            return;
        }
    }
    if (FItems->Count() > 0) {
        if (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE)
            FWorkMode = false;
        else if (Key != VK_RETURN)
            FWorkMode = true;
        if (Key == VK_RETURN) {
            const int i = FItems->IndexOf(Text());
            if (i >= 0) {
                SetText(FItems->Items(i).Caption());
                SetItemIndex(i);
                DoChange();
            }
        }
    }
    TExCustomDropDown::KeyDown(Key, Shift);
    if (FItems->Count() > 0 && Key == VK_ESCAPE) {
        const int i = FItems->IndexOf(Text());
        if (i >= 0) SetItemIndex(i);
    }
}

void TExDetailDropDown::KeyUp(uint16_t& Key, plat::TShiftState Shift) {
    TExCustomDropDown::KeyUp(Key, Shift);
    if (FItemChange) {
        SetItemIndex(FItemIdx);
        FItemChange = false;
    }
}

}  // namespace dropdowns
