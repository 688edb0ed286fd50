#include "dropdowns/ExCalculatorDropdown.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>

#include "dropdowns/DovUzerAdev.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "platform/Themes.h"

using namespace plat;

namespace dropdowns {

// ---------------------------------------------------------------------------------------------------
// Items and appearance

void TButtonItem::Assign(const TButtonItem& Source) {
    if (&Source == this) return;
    FCaption = Source.FCaption;
    FCaptionColor = Source.FCaptionColor;
    FTag = Source.FTag;
    FImageIndex = Source.FImageIndex;
    FImage.Assign(Source.FImage);
    FEnabled = Source.FEnabled;
    FName = Source.FName;
}

void TButtonItems::Assign(const TButtonItems& Source) {
    if (&Source == this) return;
    Clear();
    for (int i = 0; i < Source.Count(); ++i) Add().Assign(Source.Items(i));
}

TButtonAppearance::TButtonAppearance() {
    FFont.SetSize(10);
    FFont.SetStyle(TFontStyles{fsBold});
}

#define DD_CALC_SETTER(Name, Default)                     \
    void TButtonAppearance::Set##Name(TColor Value) {     \
        if (F##Name == Value) return;                     \
        F##Name = Value;                                  \
        if (OnChange) OnChange(this);                     \
    }
DD_CALC_COLORS(DD_CALC_SETTER)
#undef DD_CALC_SETTER

void TButtonAppearance::Assign(const TButtonAppearance& Source) {
    if (&Source == this) return;
#define DD_CALC_COPY(Name, Default) F##Name = Source.F##Name;
    DD_CALC_COLORS(DD_CALC_COPY)
#undef DD_CALC_COPY
    FShineColor = Source.FShineColor;
    FFont.Assign(Source.FFont);
}

// ---------------------------------------------------------------------------------------------------
// The keypad panel

namespace {

struct KeyDef {
    const char16_t* caption;
    const char16_t* name;
    int tag;
    bool special;
};

// The keys in collection order; ArrangeButtons places them by index.
constexpr KeyDef kKeys[] = {
    {u"", u"BTN_ON", ctOn, false},          {u"Back", u"BTN_BACK", ctBack, true},
    {u"CE", u"BTN_CE", ctClearEntry, true}, {u"C", u"BTN_C", ctClear, true},
    {u"MC", u"BTN_MC", ctMemoryClear, true}, {u"MR", u"BTN_MR", ctMemoryRecall, true},
    {u"MS", u"BTN_MS", ctMemoryStore, true}, {u"M+", u"BTN_M+", ctMemoryAdd, true},
    {u"0", u"BTN_0", 0, false},             {u"1", u"BTN_1", 1, false},
    {u"4", u"BTN_4", 4, false},             {u"7", u"BTN_7", 7, false},
    {u"8", u"BTN_8", 8, false},             {u"5", u"BTN_5", 5, false},
    {u"2", u"BTN_2", 2, false},             {u"+/-", u"BTN_+/-", ctSign, false},
    {u".", u"BTN_.", ctDecimal, false},     {u"3", u"BTN_3", 3, false},
    {u"6", u"BTN_6", 6, false},             {u"9", u"BTN_9", 9, false},
    {u"/", u"BTN_/", ctDivide, true},       {u"*", u"BTN_*", ctMultiply, true},
    {u"-", u"BTN_-", ctSubtract, true},     {u"+", u"BTN_+", ctAdd, true},
    {u"=", u"BTN_=", ctResult, true},       {u"1/x", u"BTN_1/x", ctReciprocal, false},
    {u"%", u"BTN_%", ctPercent, false},     {u"sqrt", u"BTN_sqrt", ctSqrt, true},
};

// Column (0-5) and row (1-4) of the keys below the top row, by index.
struct Cell {
    int index, column, row;
};
constexpr Cell kGrid[] = {
    {4, 0, 1},  {11, 1, 1}, {12, 2, 1}, {19, 3, 1}, {20, 4, 1}, {27, 5, 1},  //
    {5, 0, 2},  {10, 1, 2}, {13, 2, 2}, {18, 3, 2}, {21, 4, 2}, {26, 5, 2},  //
    {6, 0, 3},  {9, 1, 3},  {14, 2, 3}, {17, 3, 3}, {22, 4, 3}, {25, 5, 3},  //
    {7, 0, 4},  {8, 1, 4},  {15, 2, 4}, {16, 3, 4}, {23, 4, 4}, {24, 5, 4},
};

}  // namespace

TCustomButtonPanel::TCustomButtonPanel(QWidget* parent) : TCustomControl(parent) {
    FButtons = std::make_unique<TButtonItems>(this);
    FButtonAppearance = std::make_unique<TButtonAppearance>();
    FButtonAppearance->OnChange = [this](QObject*) {
        if (!FDovUzerAdev) update();
    };
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

TCustomButtonPanel::~TCustomButtonPanel() = default;

void TCustomButtonPanel::SetImages(const TImageList* Value) {
    if (FImages == Value) return;
    FImages = Value;
    ArrangeButtons();
    update();
}

void TCustomButtonPanel::SetButtonPanelType(TButtonPanelType Value) {
    if (FButtonPanelType == Value) return;
    FButtonPanelType = Value;
    ArrangeButtons();
    update();
}

void TCustomButtonPanel::Notification(const void* Component) {
    if (!Component) return;
    if (Component == FImages) SetImages(nullptr);
    if (Component == FEdit) FEdit = nullptr;
}

void TCustomButtonPanel::Loaded() {
    if (!FDovUzerAdev) CreateCalculatorButtons();
}

void TCustomButtonPanel::GetButtonArea(TRect& Rect) {
    Rect = {FOffSetX, FOffSetY, width() - FOffSetX, height() - FOffSetY};
}

bool TCustomButtonPanel::pictureSize(const TButtonItem& Item, int& Width, int& Height) const {
    if (!Item.Image().Empty()) {
        Width = Item.Image().Width();
        Height = Item.Image().Height();
        return true;
    }
    if (FImages && Item.ImageIndex() >= 0) {
        Width = FImages->Width();
        Height = FImages->Height();
        return true;
    }
    Width = Height = 0;
    return false;
}

void TCustomButtonPanel::drawPicture(TCanvas& Canvas, const TButtonItem& Item, int X, int Y) {
    if (!Item.Image().Empty())
        Canvas.Draw(X, Y, Item.Image());
    else if (FImages && Item.ImageIndex() >= 0 && Item.ImageIndex() < FImages->Count())
        FImages->Draw(Canvas, X, Y, Item.ImageIndex(), Item.Enabled());
}

void TCustomButtonPanel::GetButtonSize(int& Width, int& Height) {
    int tw = 0, th = 0, pw = 0, ph = 0;
    Canvas().Font().Assign(Font());
    for (int i = 0; i < FButtons->Count(); ++i) {
        const TButtonItem& b = FButtons->Items(i);
        if (!b.Caption().isEmpty()) {
            const QSize s = Canvas().TextExtent(b.Caption());
            tw = std::max(tw, s.width());
            th = std::max(th, s.height());
        }
        int w = 0, h = 0;
        if (pictureSize(b, w, h)) {
            pw = std::max(pw, w);
            ph = std::max(ph, h);
        }
    }
    // Along the caption's axis picture and caption follow each other, across it the larger counts.
    auto along = [this](int picture, int caption, int offset) {
        int v = 2 * offset;
        if (picture > 0) v += picture;
        if (caption > 0) v += caption + (picture > 0 ? FCaptionGap : 0);
        return v;
    };
    if (FButtonLayout == ilCaptionLeft || FButtonLayout == ilCaptionRight) {
        Width = along(pw, tw, FButtonOffSetX);
        Height = std::max(ph, th) + 2 * FButtonOffSetY;
    } else {
        Height = along(ph, th, FButtonOffSetY);
        Width = std::max(pw, tw) + 2 * FButtonOffSetX;
    }
}

void TCustomButtonPanel::ClearButtons() {
    FButtons->Clear();
    FButtonHot = FButtonDown = -1;
}

void TCustomButtonPanel::ResetButtons() {
    ClearButtons();
    CreateCalculatorButtons();
}

void TCustomButtonPanel::CreateCalculatorButtons() {
    if (FButtons->Count() > 0) return;
    if (FButtonPanelType == plCalculator) {
        for (const KeyDef& k : kKeys) {
            TButtonItem& b = FButtons->Add();
            b.SetCaption(QString::fromUtf16(k.caption));
            b.SetName(QString::fromUtf16(k.name));
            b.SetTag(k.tag);
            if (k.special) {
                b.SetSpecial(true);
                b.SetCaptionColor(128);
            }
        }
    }
    ArrangeButtons();
}

void TCustomButtonPanel::ArrangeButtons() {
    if (FButtons->Count() == 0 || FButtonPanelType != plCalculator) return;
    TRect a;
    GetButtonArea(a);
    const int w = (a.Right - a.Left - 8) / 6;
    const int h = (a.Bottom - a.Top - 4) / 5;
    int x[6];
    x[0] = a.Left;
    x[1] = x[0] + w + 4;
    x[2] = x[1] + w - 1;
    x[3] = x[2] + w - 1;
    x[4] = x[3] + w + 4;
    x[5] = x[4] + w - 1;
    const int xe = x[5] + w;
    int y[5];
    y[0] = a.Top;
    y[1] = a.Top + h + 4;
    y[2] = y[1] + h - 1;
    y[3] = y[2] + h - 1;
    y[4] = y[3] + h - 1;
    auto place = [this](int index, int left, int top, int width, int height) {
        if (index < FButtons->Count()) FButtons->Items(index).SetBounds(left, top, width, height);
    };
    place(0, x[0], y[0], w, h);
    const int left = x[0] + w + 4;
    const int w3 = (xe - left - 8) / 3;
    place(1, left, y[0], w3, h);
    place(2, left + w3 + 4, y[0], w3, h);
    const int cLeft = left + 2 * (w3 + 4);
    place(3, cLeft, y[0], xe - cLeft, h);
    for (const Cell& c : kGrid) place(c.index, x[c.column], y[c.row], w, h);
}

int TCustomButtonPanel::ButtonAtPos(int X, int Y) const {
    for (int i = 0; i < FButtons->Count(); ++i) {
        const TRect r = FButtons->Items(i).Rect();
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

void TCustomButtonPanel::InvalidateButton(int Index) {
    if (Index < 0 || Index >= FButtons->Count()) return;
    const TRect r = FButtons->Items(Index).Rect();
    update(QRect(r.Left - 8, r.Top - 8, r.Width() + 16, r.Height() + 16));
}

void TCustomButtonPanel::DoButtonClick(int Index) {
    if (OnButtonClick) OnButtonClick(this, Index);
}

void TCustomButtonPanel::SetButtonHot(int Index) {
    if (Index == FButtonHot) return;
    if (Index >= 0 && Index < FButtons->Count() && !FButtons->Items(Index).Enabled()) return;
    if (FButtonHot >= 0) {
        const int old = FButtonHot;
        FButtonHot = -1;
        InvalidateButton(old);
    }
    FButtonHot = Index;
    // Painting happens only in the paint pass: the hot key is drawn there, over its neighbours.
    if (Index >= 0) InvalidateButton(Index);
}

void TCustomButtonPanel::SetButtonDown(int Index) {
    if (Index == FButtonDown) return;
    if (Index >= 0 && Index < FButtons->Count() && !FButtons->Items(Index).Enabled()) return;
    if (FButtonDown >= 0) {
        const int old = FButtonDown;
        FButtonDown = -1;
        InvalidateButton(old);
    }
    FButtonDown = Index;
    if (Index >= 0) InvalidateButton(Index);
}

void TCustomButtonPanel::DrawButton(int Index, TCanvas& Canvas) {
    if (Index < 0 || Index >= FButtons->Count()) return;
    const TButtonItem& b = FButtons->Items(Index);
    TRect r = b.Rect();
    if (r.Left < 0 && r.Right < 0) return;
    Canvas.FillRect(r);
    int state = PBS_NORMAL;
    if (!isEnabled())
        state = PBS_DISABLED;
    else if (Index == FButtonDown)
        state = PBS_PRESSED;
    else if (Index == FButtonHot)
        state = PBS_HOT;
    const TThemeData theme = OpenThemeData(this, u"button");
    if (!DrawThemeBackground(theme, Canvas, BP_PUSHBUTTON, state, r)) {
        unsigned s = DFCS_BUTTONPUSH;
        if (state == PBS_DISABLED) s |= DFCS_INACTIVE;
        if (state == PBS_PRESSED) s |= DFCS_PUSHED;
        if (state == PBS_HOT) s |= DFCS_HOT;
        TRect f = r;
        DrawFrameControl(Canvas, f, DFC_BUTTON, s);
    }
    TRect c{r.Left + FButtonOffSetX, r.Top + FButtonOffSetY, r.Right - FButtonOffSetX, r.Bottom - FButtonOffSetY};
    Canvas.Font().Assign(FButtonAppearance->Font());
    Canvas.Font().SetColor(b.Special() ? FButtonAppearance->SpecialTextColor() : FButtonAppearance->TextColor());
    const TBrushStyle brush = Canvas.Brush().Style();
    Canvas.Brush().SetStyle(bsClear);
    int pw = 0, ph = 0;
    const bool picture = pictureSize(b, pw, ph);
    const QString caption = b.Caption();
    const unsigned horizontal = picture ? DT_LEFT : DT_CENTER;
    auto text = [&](TRect tr, unsigned flags) {
        if (!caption.isEmpty()) Canvas.DrawText(caption, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | flags);
    };
    const int centredY = c.Top + (c.Height() - ph) / 2;
    switch (FButtonLayout) {
        case ilCaptionRight:
            if (picture) drawPicture(Canvas, b, c.Left, centredY);
            text({c.Left + pw + FCaptionGap, c.Top, c.Right, c.Bottom}, horizontal);
            break;
        case ilCaptionLeft:
            text({c.Left, c.Top, c.Right - pw, c.Bottom}, horizontal);
            if (picture) drawPicture(Canvas, b, c.Left + Canvas.TextWidth(caption) + FCaptionGap, centredY);
            break;
        case ilCaptionTop:
            text({c.Left, c.Top, c.Right, c.Bottom - ph}, DT_CENTER);
            if (picture)
                drawPicture(Canvas, b, c.Left,
                            caption.isEmpty() ? centredY : c.Top + Canvas.TextHeight(caption) + FCaptionGap);
            break;
        case ilCaptionBottom: {
            const int top = caption.isEmpty() ? centredY : c.Top;
            if (picture) drawPicture(Canvas, b, c.Left, top);
            text({c.Left, top + ph + FCaptionGap, c.Right, c.Bottom}, DT_CENTER);
            break;
        }
    }
    Canvas.Brush().SetStyle(brush);
}

void TCustomButtonPanel::Paint() {
    TCanvas& c = Canvas();
    c.Brush().SetColor(FromQColor(palette().color(backgroundRole())));
    c.Brush().SetStyle(bsSolid);
    c.FillRect({0, 0, width(), height()});
    if (!FDovUzerAdev) {
        c.Brush().SetStyle(bsClear);
        c.Pen().SetColor(clBlack);
        c.Rectangle({0, 0, width(), height()});
        c.Brush().SetStyle(bsSolid);
    }
    for (int i = 0; i < FButtons->Count(); ++i)
        if (i != FButtonHot) DrawButton(i, c);
    // The hot key last: it shares its edge pixels with its neighbours and must lie over them.
    if (FButtonHot >= 0) DrawButton(FButtonHot, c);
}

void TCustomButtonPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    const int i = ButtonAtPos(X, Y);
    if (i >= 0 && FButtons->Items(i).Enabled()) SetButtonDown(i);
}

void TCustomButtonPanel::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    int i = ButtonAtPos(X, Y);
    if (i >= 0 && !FButtons->Items(i).Enabled()) i = -1;
    if (i != FButtonHot) SetButtonHot(i);
}

void TCustomButtonPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FButtonDown < 0) return;
    const int i = ButtonAtPos(X, Y);
    const bool counts = i == FButtonDown;
    SetButtonDown(-1);
    if (counts) DoButtonClick(i);
}

void TCustomButtonPanel::MouseLeave() {
    TCustomControl::MouseLeave();
    if (FButtonHot >= 0) SetButtonHot(-1);
}

void TCustomButtonPanel::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    guarded([this] { ArrangeButtons(); });
}

// ---------------------------------------------------------------------------------------------------
// The calculator drop-down

TExCalculatorDropdown::TExCalculatorDropdown(QWidget* parent)
    : TExCustomDropDown(parent),
      FCalcButtonAppearance(std::make_unique<TButtonAppearance>()),
      FEngine(TextRules()) {
    SetDropDownWidth(230);
    DropDownHeader().SetVisible(false);
    DropDownFooter().SetVisible(false);
    SetEditType(etFloat);
    FEngine.FPrevop = coNone;
    SetPrecision(2);
    FEngine.FDecim = 0;
    FCalcClosed = true;
    FEngine.FMVal = 0;
    FEngine.BeforeCalculate = [this] { BeforeCalculate(); };
}

TExCalculatorDropdown::~TExCalculatorDropdown() = default;

template <class F>
void TExCalculatorDropdown::run(F&& body) {
    // The text is shown even when the operation stops with a conversion error half-way.
    struct Show {
        TExCalculatorDropdown* d;
        ~Show() { d->ShowTextState(); }
    } show{this};
    body();
}

void TExCalculatorDropdown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (!FExButtonPanel) {
        FExButtonPanel = new TCustomButtonPanel(DropDownForm());
        FExButtonPanel->SetDovUzerAdev(this);
        FExButtonPanel->resize(FExButtonPanel->width(), 150);
        FExButtonPanel->CreateCalculatorButtons();
    }
    SetControl(FExButtonPanel);
    FExButtonPanel->OnButtonClick = [this](QObject* Sender, int Index) { ButtonPanelClick(Sender, Index); };
}

void TExCalculatorDropdown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    if (DropDownForm()) DropDownForm()->CancelOnDeActivate = false;
    if (FExButtonPanel) {
        FExButtonPanel->ButtonAppearance().Assign(*FCalcButtonAppearance);
        QPalette pal = FExButtonPanel->palette();
        pal.setColor(FExButtonPanel->backgroundRole(), ToQColor(DropDownColor()));
        FExButtonPanel->setPalette(pal);
        FExButtonPanel->ArrangeButtons();
    }
    FEngine.Opened();
    FCalcClosed = false;
}

bool TExCalculatorDropdown::keypadClosed() const {
    return FCalcClosed || (DropDownForm() && !DropDownForm()->isVisible());
}

void TExCalculatorDropdown::ButtonPanelClick(QObject*, int Index) {
    if (!FExButtonPanel || Index < 0 || Index >= FExButtonPanel->Buttons().Count()) return;
    const int tag = FExButtonPanel->Buttons().Items(Index).Tag();
    run([&] { FEngine.ButtonClick(tag); });
}

void TExCalculatorDropdown::KeyPress(QChar& Key) {
    run([&] { FEngine.KeyPress(Key, keypadClosed()); });
    if (!Key.isNull()) TExCustomDropDown::KeyPress(Key);
}

void TExCalculatorDropdown::DropDownFormKeyPress(QChar& Key) {
    QChar forwarded = Key;
    TExCustomDropDown::DropDownFormKeyPress(forwarded);
    TKeypadClose close = TKeypadClose::None;
    run([&] { close = FEngine.OpenKeypadChar(Key); });
    if (close == TKeypadClose::Accept)
        DoHideDropDown(false);
    else if (close == TKeypadClose::Cancel)
        DoHideDropDown(true);
}

void TExCalculatorDropdown::DropDownFormKeyDown(uint16_t& Key, TShiftState Shift) {
    TExCustomDropDown::DropDownFormKeyDown(Key, Shift);
    if (Key == VK_TAB || Key == VK_F4)
        DoHideDropDown(false);
    else if (Key == VK_BACK)
        run([&] { FEngine.OpenKeypadBackspace(); });
}

void TExCalculatorDropdown::keyPressEvent(QKeyEvent* event) {
    const bool wasError = FEngine.DisplayIsError();
    TExCustomDropDown::keyPressEvent(event);
    if (event->key() == Qt::Key_Delete) guarded([&] { run([&] { FEngine.DeleteDone(wasError); }); });
}

void TExCalculatorDropdown::focusInEvent(QFocusEvent* event) {
    guarded([this] {
        if (AutoSelect() && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) SelectAll();
    });
    TExCustomDropDown::focusInEvent(event);
}

long double TExCalculatorDropdown::Value() {
    long double v = 0;
    run([&] { v = FEngine.Value(); });
    return v;
}

void TExCalculatorDropdown::SetValue(long double Value) {
    run([&] { FEngine.SetValue(Value); });
}

void TExCalculatorDropdown::CalcResult() {
    run([this] { FEngine.CalcResult(); });
}

void TExCalculatorDropdown::SetShowThousandSeparator(bool Value) {
    if (FShowThousandSeparator == Value) return;
    FShowThousandSeparator = Value;
    SetEditType(Value ? etMoney : etFloat);
    SetFloatValue(GetFloatValue());
}

void TExCalculatorDropdown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    const TExButtonAppearance& s = ButtonAppearance();
    TButtonAppearance& d = *FCalcButtonAppearance;
    d.SetBorderColor(s.BorderColor());
    d.SetBorderColorHot(s.BorderColorHot());
    d.SetBorderColorDown(s.BorderColorDown());
    d.SetColor(s.Color());
    d.SetColorTo(s.ColorTo());
    d.SetColorDown(s.ColorDown());
    d.SetColorDownTo(s.ColorDownTo());
    d.SetColorHot(s.ColorHot());
    d.SetColorHotTo(s.ColorHotTo());
    if (AStyle == tsOffice2010Blue || AStyle == tsOffice2010Silver || AStyle == tsOffice2010Black) {
        d.SetGlowColorHot(s.ColorHot());
        d.SetGlowColorDown(s.ColorHot());
    } else {
        d.SetGlowColorDown(0xD5C244);
        d.SetGlowColorHot(s.ColorDownTo());
    }
}

void TExCalculatorDropdown::Created() {
    // The calculator's white pop-up overrules the starting look the creation steps applied.
    SetDropDownColor(clWhite);
}

}  // namespace dropdowns
