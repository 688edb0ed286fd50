#pragma once
// A drop-down whose pop-up lists items drawn as a picture, a caption and, below the caption, a
// line of notes in mini-HTML. Typing completes the text with the first caption that starts with
// what was typed; Enter takes the item whose caption equals the text.
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DropDownCompletion.h"
#include "dropdowns/ExItemSelector.h"
#include "platform/Bitmap.h"
#include "platform/Collection.h"

namespace dropdowns {

class TDetailItems;

class TDetailItem : public plat::TCollectionItem {
public:
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Enabled() const { return FEnabled; }
    const plat::TBitmap& Image() const { return FImage; }
    void SetImage(const plat::TBitmap& Value) { FImage.Assign(Value); }
    const QString& Notes() const { return FNotes; }
    void SetNotes(const QString& Value) { FNotes = Value; }
    // A caller's object, not owned.
    void* ItemObject() const { return FItemObject; }
    void SetItemObject(void* Value) { FItemObject = Value; }
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    void Assign(const TDetailItem& Source);

private:
    void Changed();
    QString FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    plat::TBitmap FImage;
    QString FNotes;
    void* FItemObject = nullptr;
    int FTag = 0;
};

class TDetailItems : public plat::TCollection<TDetailItem> {
public:
    explicit TDetailItems(QObject* Owner = nullptr) : FMyOwner(Owner) {}
    QObject* Owner() const { return FMyOwner; }
    TDetailItem& Add() { return Insert(Count()); }
    TDetailItem& Insert(int Index);
    void Delete(int Index);
    void Clear();
    void Assign(const TDetailItems& Source);
    // The first item whose caption equals the text exactly (case counts); -1 none.
    int IndexOf(const QString& Caption) const;
    // Counts every change of the items (added, removed, caption), so a reader knows its copy is old.
    uint64_t Version() const { return version_; }
    void Changed();

    plat::TNotifyEvent OnChange;

private:
    QObject* FMyOwner;
    uint64_t version_ = 0;
};

class TExDetailDropDown : public TExCustomDropDown {
public:
    explicit TExDetailDropDown(QWidget* parent = nullptr);
    ~TExDetailDropDown() override;

    TExCustomItemSelector* ItemSelector() const { return FItemSelector; }
    TDetailItems& Items() { return *FItems; }
    void SetItems(const TDetailItems& Value) { FItems->Assign(Value); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    TItemAppearance& ItemAppearance() { return *FItemAppearance; }
    void SetItemAppearance(const TItemAppearance& Value) { FItemAppearance->Assign(Value); }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value) { FItemHeight = Value; }
    plat::TFont& CaptionFont() { return FCaptionFont; }
    void SetCaptionFont(const plat::TFont& Value) { FCaptionFont.Assign(Value); }
    plat::TFont& NotesFont() { return FNotesFont; }
    void SetNotesFont(const plat::TFont& Value) { FNotesFont.Assign(Value); }
    bool MatchCase() const { return FMatchCase; }
    void SetMatchCase(bool Value) { FMatchCase = Value; }
    bool MatchStart() const { return FMatchStart; }
    void SetMatchStart(bool Value) { FMatchStart = Value; }

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    // Fills the list from the items and the settings.
    void LoadSelector();

    void SetComponentStyle(TSkinStyle AStyle) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;

    plat::TNotifyEvent OnSelect;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void UpdateDropDownSize() override;
    void DoShowDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormSizing() override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void DoChange() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectorItemSelect();
    void DetailItemSize(QSize& Size);
    void DrawDetailItem(plat::TCanvas& Canvas, plat::TRect R, int Index);
    // Moves the list's selection by the drop-down itself: the pop-up stays open.
    void moveList(int Index);
    // The typed character searched for in the list.
    void typeAhead();
    const TCompletionList& completionList();
    void StepList(int Delta);

    TExCustomItemSelector* FItemSelector = nullptr;
    TItemLayout FLayout = ilCaptionRight;
    TDetailItems* FItems;
    int FItemIndex = -1;
    TItemAppearance* FItemAppearance;
    bool FInternalCall = false;
    TTypeAhead FCurSearch;
    int FOldItemIndex = -1;
    int FItemHeight = 22;
    plat::TFont FCaptionFont;
    plat::TFont FNotesFont;
    bool FWorkMode = true;
    bool FItemChange = false;
    int FItemIdx = -1;
    int FItemSel = 0;
    QString FOldValue;  // never taken: any non-empty change marks the edit modified
    bool FMatchCase = false;
    bool FMatchStart = false;  // stored only

    bool completing_ = false;  // the completion writes the text: its own change is not completed
    QString lastKeyText_;      // the character of the key being handled
    TCompletionList completion_;
    uint64_t completionVersion_ = ~uint64_t(0);
    bool completionCase_ = false;
};

}  // namespace dropdowns
