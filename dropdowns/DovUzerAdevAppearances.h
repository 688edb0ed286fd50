#pragma once
// How the header and footer bars of a drop-down's pop-up look, which buttons they carry, and how
// those buttons are painted. The objects hold values and tell their owner of a few changes; they
// draw nothing. Every drop-down edit owns one of each, and so does every grid's control look,
// which copies them into the drop-downs it uses.
//
// Notifications: of an appearance only Visible notifies (OnChange); a button's Caption, Enabled
// and Width reach the appearance's OnButtonsChanged through the collection's OnChange, its Height
// does not; every colour and the gradient of the button appearance notify, its font does not.
// A setter notifies only when the value changes.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "platform/Collection.h"
#include "platform/Colors.h"
#include "platform/Events.h"
#include "platform/Font.h"

namespace dropdowns {

enum TGradientDirection : uint8_t { gdHorizontal, gdVertical };
enum TButtonAlignment : uint8_t { baLeft, baRight };
using TModalResult = int;

// ---------------------------------------------------------------------------------------------------
// Bar buttons

// Told by a button that its caption, enabled state or width changed.
class IBarButtonsChange {
public:
    virtual void ItemChanged() = 0;

protected:
    ~IBarButtonsChange() = default;
};

// What header and footer buttons share. A Width or Height of 0 lets the bar size the button to
// its content.
class TBarButtonBase : public plat::TCollectionItem {
public:
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }

    // Copies a button of the same class; from anything else (or nothing) it throws EConvertError
    // and changes nothing.
    virtual void Assign(const plat::TCollectionItem* Source) = 0;
    virtual const char* ClassName() const = 0;

protected:
    TBarButtonBase() = default;
    void AssignCommon(const TBarButtonBase& Source);
    [[noreturn]] void AssignError(const plat::TCollectionItem* Source) const;

private:
    void changed();
    QString FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    int FHeight = 0;
    int FWidth = 0;
};

class THeaderButton : public TBarButtonBase {
public:
    THeaderButton() = default;
    void Assign(const plat::TCollectionItem* Source) override;
    const char* ClassName() const override { return "THeaderButton"; }
};

class TFooterButton : public TBarButtonBase {
public:
    TFooterButton() = default;
    // Which footer buttons close the pop-up, and whether that counts as cancelling.
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    void Assign(const plat::TCollectionItem* Source) override;
    const char* ClassName() const override { return "TFooterButton"; }

private:
    TModalResult FModalResult = 0;
};

// A bar's buttons. A position outside the list throws the list-index error (EListError).
template <class T>
class TBarButtons : public QObject, public plat::TCollection<T>, public IBarButtonsChange {
public:
    explicit TBarButtons(QObject* Owner) : FMyOwner(Owner) {}
    // The component the buttons belong to (the appearance's owner).
    QObject* GetOwner() const { return FMyOwner; }
    // Writing an item copies the given button into the stored one.
    void SetItems(int Index, const T& Value) { this->Items(Index).Assign(&Value); }
    // Replaces the buttons by copies of Source's; the copying reports no change.
    void Assign(const TBarButtons& Source) {
        if (&Source == this) return;
        ++copying_;
        try {
            this->Clear();
            for (int i = 0; i < Source.Count(); ++i) this->Add().Assign(&Source.Items(i));
        } catch (...) {
            --copying_;
            throw;
        }
        --copying_;
    }

    plat::TNotifyEvent OnChange;

    void ItemChanged() override {
        if (copying_ == 0 && OnChange) OnChange(this);
    }

private:
    QObject* FMyOwner;
    int copying_ = 0;
};

class THeaderButtons : public TBarButtons<THeaderButton> {
public:
    using TBarButtons::TBarButtons;
};

class TFooterButtons : public TBarButtons<TFooterButton> {
public:
    using TBarButtons::TBarButtons;
};

// ---------------------------------------------------------------------------------------------------
// Header and footer appearances

// The values both bars have. The owner is kept for the streaming owner query only and never freed.
template <class TButtons>
class TBarAppearance : public QObject {
public:
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value) { FColor = Value; }
    // None: a plain fill.
    plat::TColor ColorTo() const { return FColorTo; }
    void SetColorTo(plat::TColor Value) { FColorTo = Value; }
    // Mini-HTML allowed.
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    const plat::TFont& Font() const { return FFont; }
    plat::TFont& Font() { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TGradientDirection Value) { FGradientDirection = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) {
        if (FVisible == Value) return;
        FVisible = Value;
        if (OnChange) OnChange(this);
    }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }
    // None: no border.
    plat::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(plat::TColor Value) { FBorderColor = Value; }
    // 0 or less: no border.
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value) { FBorderWidth = Value; }
    // Below 0: no image.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    const TButtons& Buttons() const { return *FButtons; }
    TButtons& Buttons() { return *FButtons; }
    void SetButtons(const TButtons& Value) { FButtons->Assign(Value); }
    TButtonAlignment ButtonAlignment() const { return FButtonAlignment; }
    void SetButtonAlignment(TButtonAlignment Value) { FButtonAlignment = Value; }

    QObject* GetOwner() const { return FOwner; }

    // Set by the owner: Visible changed; a button's caption, enabled state or width changed.
    plat::TNotifyEvent OnChange;
    plat::TNotifyEvent OnButtonsChanged;

protected:
    explicit TBarAppearance(QObject* AOwner) : FOwner(AOwner) {}
    void createButtons() {
        FButtons = std::make_unique<TButtons>(FOwner);
        FButtons->OnChange = [this](QObject*) {
            if (OnButtonsChanged) OnButtonsChanged(this);
        };
    }

    QObject* FOwner;
    bool FVisible = false;
    int FHeight = 0;
    int FBorderWidth = 0;
    int FImageIndex = 0;
    QString FCaption;
    plat::TColor FColorTo = plat::clNone;
    plat::TColor FColor = plat::clNone;
    plat::TColor FBorderColor = plat::clNone;
    plat::TFont FFont;
    std::unique_ptr<TButtons> FButtons;
    TGradientDirection FGradientDirection = gdVertical;
    TButtonAlignment FButtonAlignment = baRight;
};

class THeaderAppearance : public TBarAppearance<THeaderButtons> {
public:
    explicit THeaderAppearance(QObject* AOwner);
    // Copies another header appearance (Visible through its setter, so OnChange only for a
    // change; the owner and the events stay); anything else is ignored.
    void Assign(const QObject* Source);
    // Copies only the colours and the font of another header appearance; no notification.
    void AssignColors(const QObject* Source);
};

class TFooterAppearance : public TBarAppearance<TFooterButtons> {
public:
    explicit TFooterAppearance(QObject* AOwner);
    // Asks the footer bar for a size grip when the pop-up is sizeable.
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value) { FSizeGrip = Value; }
    void Assign(const QObject* Source);
    void AssignColors(const QObject* Source);

private:
    bool FSizeGrip = false;
};

// ---------------------------------------------------------------------------------------------------
// Button appearance

// Every colour with a setter that notifies, in the order Assign copies them. The latched colours
// (a check-style button that stays down) are not published but copied all the same.
#define DD_BUTTON_APPEARANCE_COLORS(X)                                   \
    X(Color, plat::clNone)                                               \
    X(ColorTo, plat::clNone)                                             \
    X(ColorHot, plat::RGB(225, 240, 245))                                \
    X(ColorHotTo, plat::RGB(178, 210, 249))                              \
    X(ColorDown, plat::RGB(202, 216, 245))                               \
    X(ColorDownTo, plat::RGB(160, 189, 249))                             \
    X(ColorChecked, ShadeColor(plat::RGB(225, 240, 245), -10, -10, 0))   \
    X(ColorCheckedTo, ShadeColor(plat::RGB(178, 210, 249), -10, -10, 0)) \
    X(ColorDisabled, plat::RGB(242, 242, 242))                           \
    X(ColorDisabledTo, plat::clNone)                                     \
    X(BorderColor, plat::clNone)                                         \
    X(BorderColorHot, plat::clGray)                                      \
    X(BorderColorDown, plat::clNavy)                                     \
    X(BorderColorChecked, plat::clBlue)                                  \
    X(BorderColorDisabled, plat::clGray)

class TExButtonAppearance : public QObject {
public:
    TExButtonAppearance();

#define DD_BA_ACCESS(Name, Default) \
    plat::TColor Name() const {     \
        return F##Name;             \
    }                               \
    void Set##Name(plat::TColor Value);
    DD_BUTTON_APPEARANCE_COLORS(DD_BA_ACCESS)
#undef DD_BA_ACCESS

    TGradientDirection Gradient() const {
        return FGradient;
    }
    void SetGradient(TGradientDirection Value);
    const plat::TFont& Font() const {
        return FFont;
    }
    plat::TFont& Font() {
        return FFont;
    }
    void SetFont(const plat::TFont& Value) {
        FFont.Assign(Value);
    }

    // Copies every colour and the gradient of another button appearance through the setters (the
    // font stays); from anything else (or nothing) it throws EConvertError and changes nothing.
    void Assign(const QObject* Source);

    plat::TNotifyEvent OnChange;

private:
#define DD_BA_FIELD(Name, Default) plat::TColor F##Name = plat::clNone;
    DD_BUTTON_APPEARANCE_COLORS(DD_BA_FIELD)
#undef DD_BA_FIELD
    TGradientDirection FGradient = gdVertical;
    plat::TFont FFont;
};

}  // namespace dropdowns
