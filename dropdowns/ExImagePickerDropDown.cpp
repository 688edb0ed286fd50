#include "dropdowns/ExImagePickerDropDown.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStyle>

#include "platform/ImageList.h"
#include "platform/Keys.h"

namespace dropdowns {

using plat::TCanvas, plat::TRect;
using plat::VK_DOWN, plat::VK_END, plat::VK_HOME, plat::VK_LEFT, plat::VK_NEXT, plat::VK_PRIOR, plat::VK_RETURN,
    plat::VK_RIGHT, plat::VK_UP;

// ---------------------------------------------------------------------------------------------------
// Items

void TImageItem::Changed() {
    if (auto* c = dynamic_cast<TImageItems*>(Collection())) c->Changed();
}

void TImageItem::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed();
}

void TImageItem::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Changed();
}

void TImageItem::Assign(const TImageItem& Source) {
    SetCaption(Source.FCaption);
    SetImageIndex(Source.FImageIndex);
    FImage.Assign(Source.FImage);
    FEnabled = Source.FEnabled;
    FHint = Source.FHint;
}

TImageItem& TImageItems::Insert(int Index) {
    TImageItem& item = TCollection<TImageItem>::Insert(Index);
    Changed();
    return item;
}

void TImageItems::Delete(int Index) {
    TCollectionBase::Delete(Index);
    Changed();
}

void TImageItems::Clear() {
    TCollectionBase::Clear();
    Changed();
}

void TImageItems::Assign(const TImageItems& Source) {
    if (&Source == this) return;
    TCollectionBase::Clear();
    for (int i = 0; i < Source.Count(); ++i) TCollection<TImageItem>::Insert(Count()).Assign(Source.Items(i));
    Changed();
}

void TImageItems::Changed() {
    if (OnChange) OnChange(FMyOwner);
}

// ---------------------------------------------------------------------------------------------------
// The picker

TExImagePickerDropDown::TExImagePickerDropDown(QWidget* parent) : TExCustomDropDown(parent) {
    FItems = new TImageItems(this);
    FItems->OnChange = [](QObject*) {};
    FItemAppearance = new TItemAppearance(this);
    SetEditorEnabled(false);
    DropDownEnabled = true;
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
}

TExImagePickerDropDown::~TExImagePickerDropDown() {
    // The list lives on the pop-up form, which may outlive these callbacks' target for a moment.
    if (FItemSelector) {
        FItemSelector->OnItemSelect = nullptr;
        FItemSelector->OnDrawItem = nullptr;
    }
    delete FItems;
    delete FItemAppearance;
}

void TExImagePickerDropDown::AddImagesFromImageList() {
    const plat::TImageList* images = Images();
    if (!images) return;
    for (int i = 0; i < images->Count(); ++i) FItems->Add().SetImageIndex(i);
}

void TExImagePickerDropDown::AddImagesFromFolder(const QString& AFolder, bool SetImageCaption) {
    const QFileInfo mask(AFolder);
    const QDir folder = mask.dir();
    const QStringList names =
        folder.entryList({mask.fileName()}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        TImageItem& item = FItems->Add();
        // Read within the reader's allocation limit: an oversized or broken file gives no picture.
        QImageReader reader(folder.filePath(name));
        const QImage picture = reader.read();
        if (picture.isNull()) continue;
        plat::TBitmap bitmap;
        bitmap.SetImage(picture);
        item.SetImage(bitmap);
        if (SetImageCaption) item.SetCaption(name);
    }
}

void TExImagePickerDropDown::SetItemIndex(int Value) {
    if (Value == FItemIndex || Value >= FItems->Count()) return;
    FItemIndex = Value;
    update();
    if (OnChange) OnChange(this);
    if (OnSelect) OnSelect(this);
}

int TExImagePickerDropDown::ImageIndex() const {
    return FItemIndex < 0 ? -1 : FItems->Items(FItemIndex).ImageIndex();
}

void TExImagePickerDropDown::SetImageIndex(int Value) {
    for (int i = 0; i < FItems->Count(); ++i)
        if (FItems->Items(i).ImageIndex() == Value) {
            SetItemIndex(i);
            return;
        }
    SetItemIndex(-1);
}

void TExImagePickerDropDown::SelectFirst() {
    if (FItems->Count() > 0) SetItemIndex(0);
}

void TExImagePickerDropDown::SelectLast() {
    if (FItems->Count() > 0) SetItemIndex(FItems->Count() - 1);
}

void TExImagePickerDropDown::SelectNext() {
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex + 1 < FItems->Count())
        SetItemIndex(FItemIndex + 1);
}

void TExImagePickerDropDown::SelectPrevious() {
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex > 0)
        SetItemIndex(FItemIndex - 1);
}

void TExImagePickerDropDown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    SetItemAppearanceStyle(FItemAppearance, AStyle);
}

void TExImagePickerDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    TExCustomDropDown::SetSelectionColorStyle(Value);
    if (FItemSelector) FItemSelector->ItemAppearance().ApplyColorStyle(Value);
}

// ---- The pop-up ----

void TExImagePickerDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (!FItemSelector) {
        FItemSelector = new TExCustomItemSelector(DropDownForm());
        FItemSelector->SetSelectorType(stImage);
        FItemSelector->setGeometry(0, 0, FItemSelector->width(), 150);
        FItemSelector->OnResize = [this](QObject*) { FItemSelector->UpdateSelectorPanel(); };
    }
    FItemSelector->SetColor(DropDownColor());
    FItemSelector->UpdateSelectorPanel();
    SetControl(FItemSelector);
}

void TExImagePickerDropDown::UpdateItemSelector() {
    if (!FItemSelector) return;
    TExCustomItemSelector& list = *FItemSelector;
    list.OnItemSelect = nullptr;
    list.SetColumns(FColumns);
    list.SetImages(Images());
    list.SetItemLayout(FLayout);
    list.SetColor(DropDownColor());
    list.SetItemAppearance(*FItemAppearance);
    // One batch and one layout, however many items.
    TSelectorItems& items = list.Items();
    items.BeginUpdate();
    items.Clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        const TImageItem& p = FItems->Items(i);
        TSelectorItem& s = items.Add();
        s.SetCaption(p.Caption());
        s.SetImage(p.Image());
        s.SetImageIndex(p.ImageIndex());
        s.SetHint(p.Hint());
    }
    items.EndUpdate();
    list.UpdateSelectorPanel();
    list.SetItemIndex(FItemIndex);
    list.ScrollItemInView(FItemIndex);
    list.OnItemSelect = [this](QObject*) { ListSelect(); };
}

void TExImagePickerDropDown::FillListIfStale() {
    if (FItemSelector && FItemSelector->Items().Count() != FItems->Count()) UpdateItemSelector();
}

void TExImagePickerDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    UpdateItemSelector();
    if (FItemSelector) {
        if (OnDrawItem)
            FItemSelector->OnDrawItem = [this](QObject*, TCanvas& Canvas, TRect& R, int Index) {
                if (OnDrawItem) OnDrawItem(this, Canvas, R, Index);
            };
        else
            FItemSelector->OnDrawItem = nullptr;
    }
    FOldItemIndex = FItemIndex;
}

void TExImagePickerDropDown::UpdateDropDownSize() {
    int panelHeight = 0;
    if (FItemSelector) {
        int w = 0, h = 0;
        FItemSelector->GetPanelSize(w, h);
        panelHeight = h;
        if (DropDownWidth() < 1) FItemSelector->resize(w, FItemSelector->height());
        if (DropDownHeight() < 1) FItemSelector->resize(FItemSelector->width(), h);
    }
    TExCustomDropDown::UpdateDropDownSize();
    if (FItemSelector) GrowForTheList(*this, *FItemSelector, panelHeight);
}

void TExImagePickerDropDown::DoShowDropDown() {
    TExCustomDropDown::DoShowDropDown();
    if (!FItemSelector || !DroppedDown()) return;
    // The cells take the pop-up's width, which is known only now that it is shown.
    FItemSelector->UpdateSelectorPanel();
    FItemSelector->ScrollItemInView(FItemSelector->ItemIndex());
    FItemSelector->setFocus();
}

void TExImagePickerDropDown::DoHideDropDown(bool Cancelled) {
    TExCustomDropDown::DoHideDropDown(Cancelled);
    if (Cancelled && FItemSelector) SetItemIndex(FOldItemIndex);
}

void TExImagePickerDropDown::ListSelect() {
    SetItemIndex(FItemSelector->ItemIndex());
    if (!FInternalCall) DoHideDropDown(false);
}

// ---- Keys and wheel ----

void TExImagePickerDropDown::keyPressEvent(QKeyEvent* event) {
    lastKeyText_ = plat::KeyPressText(*event);
    TExCustomDropDown::keyPressEvent(event);
}

bool TExImagePickerDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FItemSelector && event->type() == QEvent::KeyPress)
        lastKeyText_ = plat::KeyPressText(*static_cast<QKeyEvent*>(event));
    return TExCustomDropDown::eventFilter(watched, event);
}

void TExImagePickerDropDown::MoveList(int Target) {
    if (!FItemSelector || Target < 0 || Target >= FItemSelector->Items().Count()) return;
    Internal([&] {
        FItemSelector->SetItemIndex(Target);
        FItemSelector->ScrollItemInView(Target);
    });
}

void TExImagePickerDropDown::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const QString keyText = std::exchange(lastKeyText_, QString());
    bool chosen = false;
    if (isEnabled() && DroppedDown() && Key == VK_RETURN && FItemSelector && FItemSelector->ItemHot() >= 0) {
        FItemSelector->SetItemIndex(FItemSelector->ItemHot());
        chosen = true;
    }
    const uint16_t key = Key;
    TExCustomDropDown::KeyDown(Key, Shift);
    if (!isEnabled() || Shift.contains(plat::ssAlt) || !FItemSelector) return;
    TExCustomItemSelector& list = *FItemSelector;
    const bool open = DroppedDown();
    switch (key) {
        case VK_RETURN:
            if (!chosen && OnSelect) OnSelect(this);
            break;
        case VK_PRIOR:
        case VK_NEXT: {
            FillListIfStale();
            const int n = list.GetVisibleItemCount();
            if (n < 1) break;
            MoveList(key == VK_PRIOR ? std::max(0, list.ItemIndex() - n)
                                     : std::min(list.ItemIndex() + n, FItems->Count() - 1));
            break;
        }
        case VK_HOME:
        case VK_END:
            if (open)
                Internal([&] { key == VK_HOME ? list.SelectFirst() : list.SelectLast(); });
            else if (key == VK_HOME)
                SelectFirst();
            else
                SelectLast();
            break;
        case VK_LEFT:
        case VK_RIGHT:
            if (open && !EditorEnabled()) Internal([&] { key == VK_LEFT ? list.SelectPrevious() : list.SelectNext(); });
            break;
        case VK_UP:
        case VK_DOWN:
            if (open) {
                const int i = list.ItemIndex();
                MoveList(i < 0 ? 0 : key == VK_UP ? i - FColumns : i + FColumns);
            } else if (key == VK_UP) {
                SelectPrevious();
            } else {
                SelectNext();
            }
            break;
        default:
            if (!Shift.contains(plat::ssCtrl)) {
                // The key's own character; a key without one (a function key) searches nothing.
                const int64_t t = Clock().nowMs();
                const QString before = FCurSearch.Text(t);
                const QString now = FCurSearch.Add(keyText, t);
                if (now.isEmpty() || now == before) break;
                FillListIfStale();
                Internal([&] { list.LookupItem(now); });
            }
            break;
    }
    if (open && (key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN))) Key = 0;
}

void TExImagePickerDropDown::HandleMouseWheelDown() {
    TExCustomDropDown::HandleMouseWheelDown();
    if (!isEnabled() || ReadOnly() || !FItemSelector) return;
    if (DroppedDown()) {
        FItemSelector->HotNext();
    } else {
        FillListIfStale();
        Internal([&] { FItemSelector->SelectNext(); });
    }
}

void TExImagePickerDropDown::HandleMouseWheelUp() {
    TExCustomDropDown::HandleMouseWheelUp();
    if (!isEnabled() || ReadOnly() || !FItemSelector) return;
    if (DroppedDown()) {
        FItemSelector->HotPrevious();
    } else {
        FillListIfStale();
        Internal([&] { FItemSelector->SelectPrevious(); });
    }
}

// ---- Face ----

void TExImagePickerDropDown::Paint() {
    TExCustomDropDown::Paint();
    if (Canvas().Painter()) PaintSelectedImage(Canvas());
}

void TExImagePickerDropDown::PaintSelectedImage(TCanvas& Canvas) {
    TRect R = FEditRect;
    if (OnDrawSelectedImage) {
        OnDrawSelectedImage(this, Canvas, R);
        return;
    }
    if (FItemIndex < 0) return;
    const TImageItem& item = FItems->Items(FItemIndex);
    if (!item.Image().Empty()) {
        Canvas.Draw(R.Left + (R.Width() - item.Image().Width()) / 2, R.Top + (R.Height() - item.Image().Height()) / 2,
                    item.Image());
    } else if (const plat::TImageList* images = Images(); images && item.ImageIndex() >= 0) {
        images->Draw(Canvas, R.Left + (R.Width() - images->Width()) / 2, R.Top + (R.Height() - images->Height()) / 2,
                     item.ImageIndex(), true);
    }
}

}  // namespace dropdowns
