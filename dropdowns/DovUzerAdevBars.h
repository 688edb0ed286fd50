#pragma once
// The header and footer bars of a drop-down's pop-up and the buttons they carry. A bar draws its
// background (plain or gradient), a border, an image, a mini-HTML caption and its buttons, one per
// button item of the drop-down's appearance; a click on one reports the item's index to the
// drop-down. A footer button may close the pop-up by its modal result, and the footer of a
// sizeable pop-up shows a size grip that resizes it.
//
// A button shows its parent through (it paints only its face) and follows Qt's enter and leave
// events for its hover state.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "dropdowns/DovUzerAdevAppearances.h"
#include "platform/Controls.h"

namespace plat {
class TImageList;
}

namespace dropdowns {

class TExCustomDropDown;

// A list of pointers whose indexed access is checked.
class TDbgList {
public:
    int Count() const { return int(items_.size()); }
    void Add(void* Item) { items_.push_back(Item); }
    void Clear() { items_.clear(); }
    // "Index out of bounds in list read access" at or beyond the count.
    void* Items(int Index) const;
    // "Index out of bounds in list write access".
    void SetItems(int Index, void* Item);
    void AssignList(const TDbgList& Source) { items_ = Source.items_; }

private:
    std::vector<void*> items_;
};

enum TExButtonStyle : uint8_t { tasButton, tasCheck };
enum TExButtonState : uint8_t { absUp, absDisabled, absDown, absDropDown, absExclusive };

class TExButton : public plat::TCustomControl {
public:
    explicit TExButton(QWidget* parent = nullptr);

    // 0: independent; buttons of one parent with one index form a group, one latched at a time.
    int GroupIndex = 0;
    bool AllowAllUp = false;
    TExButtonStyle Style = tasButton;
    const TExButtonAppearance* Appearance = nullptr;
    const plat::TImageList* Images = nullptr;
    int ImageIndex = -1;
    TModalResult ModalResult = 0;
    // The drop-down a footer button closes.
    TExCustomDropDown* DovUzerAdev = nullptr;
    QString Caption;
    int Tag = 0;

    bool Down() const { return FDown; }
    void SetDown(bool Value);
    TExButtonState State() const { return FState; }
    bool Hot() const { return FMouseInControl; }
    // Height and width from the caption in the appearance's font and the image.
    void FitToContent();
    // Closes the pop-up for the modal results that do; OnClick only for a mouse click.
    void Click() override;
    virtual void DrawButton();

protected:
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void changeEvent(QEvent* event) override;

private:
    bool inside(int X, int Y) const { return X >= 0 && X < width() && Y >= 0 && Y <= height(); }
    void groupPressed(TExButton* Sender);

    bool FDown = false;
    bool FMouseInControl = false;
    TExButtonState FState = absUp;
    bool FMouseDownInControl = false;
    bool FDragging = false;
    bool FInternalClick = false;
};

// What the header and the footer share.
class TExBar : public plat::TControl {
public:
    const plat::TImageList* Images = nullptr;
    TExCustomDropDown* DovUzerAdev() const { return FDovUzerAdev; }
    // Takes the drop-down's images and a copy of its appearance (null: detaches).
    virtual void Attach(TExCustomDropDown* DropDown) = 0;
    void Rebuild() {
        if (FDovUzerAdev) CreateButtons();
    }
    const TDbgList& ButtonList() const { return FButtonList; }
    TExButton* ButtonAt(int Index) const { return static_cast<TExButton*>(FButtonList.Items(Index)); }

    std::function<void(QObject* Sender, plat::TCanvas& ACanvas, const plat::TRect& ARect)> OnDrawBackGround;
    std::function<void(QObject* Sender, QString& Text)> OnGetText;

    virtual void CreateButtons();
    virtual void ClearButtons();
    virtual void ArrangeButtons();
    virtual void RefreshButtons();
    // Where the buttons go; its height limits theirs.
    virtual plat::TRect ButtonArea() const = 0;

protected:
    explicit TExBar(QWidget* parent);
    // The appearance values the painting and the buttons read.
    virtual const QObject* appearanceObject() const = 0;
    virtual plat::TColor color() const = 0;
    virtual plat::TColor colorTo() const = 0;
    virtual TGradientDirection direction() const = 0;
    virtual plat::TColor borderColor() const = 0;
    virtual int borderWidth() const = 0;
    virtual int imageIndex() const = 0;
    virtual QString caption() const = 0;
    virtual const plat::TFont& font() const = 0;
    virtual TButtonAlignment alignment() const = 0;
    virtual int itemCount() const = 0;
    virtual const TBarButtonBase* item(int Index) const = 0;
    virtual bool isFooter() const = 0;
    virtual void paintBorder(plat::TCanvas& c, const plat::TRect& R, bool outerEdges) = 0;
    virtual void paintExtra(plat::TCanvas& c, const plat::TRect& R) {}
    void buttonClicked(QObject* Sender);
    void Paint() override;
    void resizeEvent(QResizeEvent* event) override;

    TExCustomDropDown* FDovUzerAdev = nullptr;
    TDbgList FButtonList;
};

class TExHeader : public TExBar {
public:
    explicit TExHeader(QWidget* parent = nullptr);
    THeaderAppearance& Appearance() { return *FAppearance; }
    void SetAppearance(const THeaderAppearance& Value) { FAppearance->Assign(&Value); }
    void Attach(TExCustomDropDown* DropDown) override;
    THeaderButtons* Buttons() const;
    void ArrangeButtons() override;
    plat::TRect ButtonArea() const override;

protected:
    const QObject* appearanceObject() const override { return FAppearance.get(); }
    plat::TColor color() const override { return FAppearance->Color(); }
    plat::TColor colorTo() const override { return FAppearance->ColorTo(); }
    TGradientDirection direction() const override { return FAppearance->GradientDirection(); }
    plat::TColor borderColor() const override { return FAppearance->BorderColor(); }
    int borderWidth() const override { return FAppearance->BorderWidth(); }
    int imageIndex() const override { return FAppearance->ImageIndex(); }
    QString caption() const override { return FAppearance->Caption(); }
    const plat::TFont& font() const override { return FAppearance->Font(); }
    TButtonAlignment alignment() const override { return FAppearance->ButtonAlignment(); }
    int itemCount() const override;
    const TBarButtonBase* item(int Index) const override;
    bool isFooter() const override { return false; }
    void paintBorder(plat::TCanvas& c, const plat::TRect& R, bool outerEdges) override;

private:
    std::unique_ptr<THeaderAppearance> FAppearance;
};

class TExFooter : public TExBar {
public:
    explicit TExFooter(QWidget* parent = nullptr);
    TFooterAppearance& Appearance() { return *FAppearance; }
    void SetAppearance(const TFooterAppearance& Value) { FAppearance->Assign(&Value); }
    void Attach(TExCustomDropDown* DropDown) override;
    TFooterButtons* Buttons() const;
    plat::TRect ButtonArea() const override;
    // The grip shows with SizeGrip, attached, in a sizeable pop-up.
    bool GripShown() const;

protected:
    const QObject* appearanceObject() const override { return FAppearance.get(); }
    plat::TColor color() const override { return FAppearance->Color(); }
    plat::TColor colorTo() const override { return FAppearance->ColorTo(); }
    TGradientDirection direction() const override { return FAppearance->GradientDirection(); }
    plat::TColor borderColor() const override { return FAppearance->BorderColor(); }
    int borderWidth() const override { return FAppearance->BorderWidth(); }
    int imageIndex() const override { return FAppearance->ImageIndex(); }
    QString caption() const override { return FAppearance->Caption(); }
    const plat::TFont& font() const override { return FAppearance->Font(); }
    TButtonAlignment alignment() const override { return FAppearance->ButtonAlignment(); }
    int itemCount() const override;
    const TBarButtonBase* item(int Index) const override;
    bool isFooter() const override { return true; }
    void paintBorder(plat::TCanvas& c, const plat::TRect& R, bool outerEdges) override;
    void paintExtra(plat::TCanvas& c, const plat::TRect& R) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;

private:
    bool inGrip(int X, int Y) const { return X > width() - 12 && Y > height() - 15; }
    std::unique_ptr<TFooterAppearance> FAppearance;
    // Resizing the pop-up by the grip.
    bool sizing_ = false;
    QPoint sizingFrom_;
    QSize sizingSize_;
};

}  // namespace dropdowns
