#include "dropdowns/DovUzerAdevAppearances.h"

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"

using namespace plat;

namespace dropdowns {

namespace {

[[noreturn]] void throwAssignError(const QString& source, const char* target) {
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2.").arg(source, QLatin1String(target)));
}

QString classNameOf(const QObject* o) {
    if (!o) return QStringLiteral("nil");
    if (dynamic_cast<const THeaderAppearance*>(o)) return QStringLiteral("THeaderAppearance");
    if (dynamic_cast<const TFooterAppearance*>(o)) return QStringLiteral("TFooterAppearance");
    if (dynamic_cast<const TExButtonAppearance*>(o)) return QStringLiteral("TExButtonAppearance");
    return QLatin1String(o->metaObject()->className());
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Bar buttons

void TBarButtonBase::changed() {
    if (auto* owner = dynamic_cast<IBarButtonsChange*>(Collection())) owner->ItemChanged();
}

void TBarButtonBase::SetCaption(const QString& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    changed();
}

void TBarButtonBase::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    changed();
}

void TBarButtonBase::SetWidth(int Value) {
    if (FWidth == Value) return;
    FWidth = Value;
    changed();
}

void TBarButtonBase::AssignCommon(const TBarButtonBase& Source) {
    SetEnabled(Source.FEnabled);
    SetWidth(Source.FWidth);
    SetHeight(Source.FHeight);
}

void TBarButtonBase::AssignError(const TCollectionItem* Source) const {
    const auto* button = dynamic_cast<const TBarButtonBase*>(Source);
    throwAssignError(!Source  ? QStringLiteral("nil")
                     : button ? QLatin1String(button->ClassName())
                              : QStringLiteral("TCollectionItem"),
                     ClassName());
}

void THeaderButton::Assign(const TCollectionItem* Source) {
    const auto* src = dynamic_cast<const THeaderButton*>(Source);
    if (!src) AssignError(Source);
    if (src == this) return;
    SetCaption(src->Caption());
    SetImageIndex(src->ImageIndex());
    AssignCommon(*src);
}

void TFooterButton::Assign(const TCollectionItem* Source) {
    const auto* src = dynamic_cast<const TFooterButton*>(Source);
    if (!src) AssignError(Source);
    if (src == this) return;
    SetCaption(src->Caption());
    SetImageIndex(src->ImageIndex());
    FModalResult = src->FModalResult;
    AssignCommon(*src);
}

// ---------------------------------------------------------------------------------------------------
// Header and footer appearances

THeaderAppearance::THeaderAppearance(QObject* AOwner) : TBarAppearance(AOwner) {
    FFont.SetName(QStringLiteral("Tahoma"));
    FVisible = true;
    FHeight = 22;
    FBorderWidth = 1;
    FImageIndex = -1;
    FColorTo = clWhite;
    FColor = clSilver;
    FBorderColor = clBlack;
    FGradientDirection = gdVertical;
    createButtons();
    FButtonAlignment = baRight;
}

void THeaderAppearance::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const THeaderAppearance*>(Source);
    if (!src || src == this) return;
    FColorTo = src->FColorTo;
    FColor = src->FColor;
    FBorderColor = src->FBorderColor;
    FCaption = src->FCaption;
    FFont.Assign(src->FFont);
    FImageIndex = src->FImageIndex;
    FBorderWidth = src->FBorderWidth;
    FGradientDirection = src->FGradientDirection;
    FHeight = src->FHeight;
    SetVisible(src->FVisible);
    FButtonAlignment = src->FButtonAlignment;
    FButtons->Assign(*src->FButtons);
}

void THeaderAppearance::AssignColors(const QObject* Source) {
    const auto* src = dynamic_cast<const THeaderAppearance*>(Source);
    if (!src || src == this) return;
    FColorTo = src->FColorTo;
    FColor = src->FColor;
    FBorderColor = src->FBorderColor;
    FFont.Assign(src->FFont);
    FGradientDirection = src->FGradientDirection;
}

TFooterAppearance::TFooterAppearance(QObject* AOwner) : TBarAppearance(AOwner) {
    // The footer keeps every default of the platform font, its face included.
    FVisible = true;
    FHeight = 22;
    FBorderWidth = 1;
    FSizeGrip = true;
    FColorTo = clWhite;
    FColor = clSilver;
    FBorderColor = clBlack;
    FGradientDirection = gdVertical;
    createButtons();
    FImageIndex = -1;
    FButtonAlignment = baRight;
}

void TFooterAppearance::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TFooterAppearance*>(Source);
    if (!src || src == this) return;
    FBorderColor = src->FBorderColor;
    FColor = src->FColor;
    FColorTo = src->FColorTo;
    FGradientDirection = src->FGradientDirection;
    FFont.Assign(src->FFont);
    FCaption = src->FCaption;
    FSizeGrip = src->FSizeGrip;
    FBorderWidth = src->FBorderWidth;
    FHeight = src->FHeight;
    FImageIndex = src->FImageIndex;
    SetVisible(src->FVisible);
    FButtonAlignment = src->FButtonAlignment;
    FButtons->Assign(*src->FButtons);
}

void TFooterAppearance::AssignColors(const QObject* Source) {
    const auto* src = dynamic_cast<const TFooterAppearance*>(Source);
    if (!src || src == this) return;
    FBorderColor = src->FBorderColor;
    FColor = src->FColor;
    FColorTo = src->FColorTo;
    FGradientDirection = src->FGradientDirection;
    FFont.Assign(src->FFont);
}

// ---------------------------------------------------------------------------------------------------
// Button appearance

TExButtonAppearance::TExButtonAppearance() {
    // The latched colours are the hot ones shaded (red and green to 90 %), so they follow the
    // hot defaults rather than being numbers of their own.
#define DD_BA_INIT(Name, Default) F##Name = Default;
    DD_BUTTON_APPEARANCE_COLORS(DD_BA_INIT)
#undef DD_BA_INIT
    FGradient = gdVertical;
    FFont.SetName(QStringLiteral("Tahoma"));
}

#define DD_BA_SETTER(Name, Default)                     \
    void TExButtonAppearance::Set##Name(TColor Value) { \
        if (F##Name == Value) return;                   \
        F##Name = Value;                                \
        if (OnChange) OnChange(this);                   \
    }
DD_BUTTON_APPEARANCE_COLORS(DD_BA_SETTER)
#undef DD_BA_SETTER

void TExButtonAppearance::SetGradient(TGradientDirection Value) {
    if (FGradient == Value) return;
    FGradient = Value;
    if (OnChange) OnChange(this);
}

void TExButtonAppearance::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TExButtonAppearance*>(Source);
    if (!src) throwAssignError(classNameOf(Source), "TExButtonAppearance");
    if (src == this) return;
#define DD_BA_COPY(Name, Default) Set##Name(src->F##Name);
    DD_BUTTON_APPEARANCE_COLORS(DD_BA_COPY)
#undef DD_BA_COPY
    SetGradient(src->FGradient);
}

}  // namespace dropdowns
