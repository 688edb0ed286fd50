#include "dropdowns/ExTimePickerDropDown.h"

#include "platform/DateTimePicker.h"
#include "platform/FormatSettings.h"
#include "platform/Guard.h"

#include <QGuiApplication>
#include <QPainter>
#include <QResizeEvent>
#include <array>
#include <optional>
#include <utility>

namespace dropdowns {

namespace {

using plat::TColor;

// The clock's colours of each component style; tsCustom has none.
struct TWatchSkin {
    TSkinStyle Style;
    TColor AMPMBorder, AMPMFill, Background, BackgroundTo, Border, CenterBorder, CenterFill, Hands, Second, Shadows;
};

constexpr TColor BtnFace = plat::clBtnFace;

constexpr std::array<TWatchSkin, 15> WatchSkins{{
    {tsOffice2003Blue, 0x962D00, 0xD68759, 0xFFD2AF, 0xFFD2AF, 0xD68759, 0xD68759, 0xD68759, 0xD68759, 0xFFFFFF, 0xFFFFFF},
    {tsOffice2003Silver, 0x962D00, 0xBDA4A5, 0xE6D8D8, 0xE6D8D8, 0xBDA4A5, 0xBDA4A5, 0xBDA4A5, 0xBDA4A5, 0xFFFFFF, 0xFFFFFF},
    {tsOffice2003Olive, 0x962D00, 0x82C0AF, 0xB9EAE1, 0xB9EAE1, 0x82C0AF, 0x82C0AF, 0x82C0AF, 0x82C0AF, 0xFFFFFF, 0xFFFFFF},
    {tsOffice2003Classic, 0x962D00, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFFFFFF},
    {tsOffice2007Luna, 0xF0DED0, 0xF0DED0, 0xFFEFE3, 0xFFEFE3, 0xF0DED0, 0xFFEFE3, 0xFFEFE3, 0x723708, 0x723708, 0xFFFFFF},
    {tsOffice2007Obsidian, 0xF2F1F0, 0x5C534C, 0x5C534C, 0x5C534C, 0xF2F1F0, 0xFFEFE3, 0xFFEFE3, 0xF2F1F0, 0xF2F1F0, 0xFFFFFF},
    {tsWindowsXP, 0, BtnFace, BtnFace, BtnFace, 0, 0, 0, 0, 0, 0xFFFFFF},
    {tsWhidbey, 0x7E9898, 0xF5F9FA, 0xF5F9FA, 0xF5F9FA, 0x7E9898, 0x7E9898, 0x7E9898, 0x7E9898, 0x7E9898, 0xFFFFFF},
    {tsOffice2007Silver, 0xE8E0DB, 0xF8F4F1, 0xF8F4F1, 0xF8F4F1, 0xE8E0DB, 0xE8E0DB, 0x74706F, 0x74706F, 0x74706F, 0xFFFFFF},
    {tsWindowsVista, 0xFEDF9A, 0xFFFDF9, 0xFFFDF9, 0xFFFAF0, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFFFFFF},
    {tsWindows7, 0xFBD6B8, 0xFDFBFA, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFFFFFF},
    {tsTerminal, 0x808080, BtnFace, BtnFace, BtnFace, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFFFFFF},
    {tsOffice2010Blue, 0xC7B29F, 0xF0DAC7, 0xFDF6EF, 0xFDF6EF, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xFFFFFF},
    {tsOffice2010Silver, 0xD2CDC8, 0xEDE5E0, 0xFFFFFF, 0xFFFFFF, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xC0C0C0},
    {tsOffice2010Black, 0x6D6D6D, 0x919191, 0xBFBFBF, 0xBFBFBF, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0xFFFFFF},
}};

struct TPresetFont {
    const char* Name;
    int Size;
    bool Bold;
    TColor Color;
};

// One preset look: what it does not name stays as SetDefaults left it.
struct TWatchPreset {
    TWatchStyle Style;
    TPresetFont AMPMFont, HourFont;
    TColor Background, BackgroundTo;
    TWatchGradient Gradient;
    TColor Border;
    int BorderWidth;
    uint8_t CenterSize;
    TColor CenterColor, CenterBorder, CenterOuterBorder;
    TColor HourPointer, MinutePointer, SecondPointer;
    uint8_t HourPointerSize, MinutePointerSize, SecondPointerSize;
    TColor HourShadow, MinuteShadow;
    TColor HourColor, MinuteColor;
    uint8_t HourMarkLength, HourMarkWidth, MinuteMarkLength, MinuteMarkWidth;
    TWatchShape Shape;
    TPointerStyle Pointer;
    TTickMarks Ticks;
    THourMarkStyle MarkStyle;
    TColor AMPMFill, AMPMBorder;
    TAMPMFrame Frame;
    std::optional<bool> Animation;
    std::optional<int> AnimationFactor;
    std::optional<bool> ShowAMPM, ShowNumbers;
};

constexpr TColor None = plat::clNone;
constexpr TColor Shadow = plat::clBtnShadow;

const std::array<TWatchPreset, 12> WatchPresets{{
    {wsClassic, {"MS Sans Serif", 8, false, 0}, {"Comic Sans MS", 10, false, 0}, 0xFFFFFF, None, wgVertical, 0, 4,
     4, 0, None, None, 0, 0, 0x0000FF, 5, 3, 1, Shadow, Shadow, 0, 0x808080, 8, 1, 4, 1, wsCircle, psLine, tmAll,
     hmsLine, 0xFFFFFF, 0, apRect, true, 10, true, true},
    {wsTower, {"MS Sans Serif", 8, true, 0}, {"Century", 10, false, 0}, 0xB1F0FE, 0x5BCCE8, wgDiagonalForward,
     0x2B2B2B, 3, 6, 0x002BD5, None, None, 0x202020, 0x202020, 0x002BD5, 4, 3, 1, Shadow, Shadow, 0x202020, 0x606060,
     10, 3, 4, 1, wsRect, psPointer, tmHours, hmsLine, 0xE8F8FE, 0x2B2B2B, apRect, std::nullopt, std::nullopt,
     true, false},
    {wsFluorescent, {"Century Gothic", 9, true, 0x00FF80}, {"Century Gothic", 10, true, 0x00FF80}, 0x101010, None,
     wgVertical, 0x00C060, 3, 6, 0x00FF80, 0x101010, None, 0x00FF80, 0x00FF80, 0x00FFFF, 4, 3, 1, None, None,
     0x00FF80, 0x008040, 8, 2, 4, 1, wsCircle, psLine, tmAll, hmsLine, 0x101010, 0x00FF80, apRoundRect,
     std::nullopt, std::nullopt, true, true},
    {wsEmerald, {"Times New Roman", 10, false, 0x1E4D1E}, {"Times New Roman", 11, true, 0x1E4D1E}, 0xC8E6C8,
     0x5A9A5A, wgVertical, 0x2E6B2E, 5, 6, 0x1E4D1E, 0xC8E6C8, None, 0x1E4D1E, 0x1E4D1E, 0x0000C0, 5, 3, 1, 0x4A7A4A,
     0x4A7A4A, 0x1E4D1E, 0x2E6B2E, 9, 2, 4, 1, wsCircle, psPointer, tmAll, hmsQuartDblLine, 0xE6F5E6, 0x2E6B2E,
     apRoundRect, std::nullopt, std::nullopt, true, true},
    {wsBlueStar, {"MS Sans Serif", 8, true, 0x400000}, {"Century Gothic", 10, true, 0x400000}, 0xFFE0C0, 0xC06000,
     wgRadial, 0x800000, 4, 6, 0x400000, 0x00FFFF, None, 0x400000, 0x400000, 0x00FFFF, 5, 3, 1, 0x806040, 0x806040,
     0x400000, 0x804000, 8, 2, 4, 1, wsCircle, psPointer, tmAll, hmsLine, 0xFFF0E0, 0x800000, apRect, std::nullopt,
     std::nullopt, true, true},
    {wsFuchsia, {"Comic Sans MS", 9, false, 0x400040}, {"Comic Sans MS", 10, true, 0x400040}, 0xFFE0FF, 0xC040C0,
     wgDiagonalBackward, 0x800080, 4, 5, 0x400040, None, None, 0x400040, 0x400040, 0xFFFFFF, 4, 3, 1, 0x804080,
     0x804080, 0x400040, 0x800080, 8, 1, 4, 1, wsRoundRect, psLine, tmAll, hmsLine, 0xFFF0FF, 0x800080, apRoundRect,
     std::nullopt, std::nullopt, true, true},
    {wsBlack, {"MS Sans Serif", 8, true, 0xFFFFFF}, {"Century Gothic", 10, true, 0xFFFFFF}, 0x000000, None,
     wgVertical, 0x404040, 4, 5, 0xFFFFFF, None, 0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x0000FF, 4, 3, 1, None, None,
     0xFFFFFF, 0x808080, 8, 2, 4, 1, wsCircle, psLine, tmAll, hmsLine, 0x000000, 0xFFFFFF, apRect, std::nullopt,
     std::nullopt, true, true},
    {wsBlackWhite, {"MS Sans Serif", 8, true, 0}, {"Times New Roman", 12, true, 0}, 0xFFFFFF, None, wgVertical, 0,
     6, 6, 0, 0xFFFFFF, None, 0, 0, 0, 4, 3, 1, None, None, 0, 0, 10, 2, 5, 1, wsCircle, psPointer, tmQuartHours,
     hmsQuartDblLine, 0xFFFFFF, 0, apRect, std::nullopt, std::nullopt, true, true},
    {wsGray, {"MS Sans Serif", 8, false, 0x404040}, {"Century Gothic", 9, false, 0x404040}, 0xE0E0E0, 0xA0A0A0,
     wgVertical, 0x606060, 3, 4, 0x404040, None, None, 0x404040, 0x404040, 0x0000C0, 4, 3, 1, 0x909090, 0x909090,
     0x404040, 0x707070, 7, 1, 3, 1, wsCircle, psLine, tmAll, hmsLine, 0xF0F0F0, 0x606060, apRoundRect,
     std::nullopt, std::nullopt, true, true},
    {wsSuperNova, {"Comic Sans MS", 9, true, 0x002080}, {"Comic Sans MS", 11, true, 0x002080}, 0x00FFFF, 0x0080FF,
     wgRadial, 0x0040C0, 5, 7, 0x002080, 0x00FFFF, 0x0040C0, 0x002080, 0x002080, 0xFF0000, 5, 4, 1, 0x0060C0,
     0x0060C0, 0x002080, 0x0040C0, 10, 3, 5, 1, wsCircle, psPointer, tmAll, hmsLine, 0x80FFFF, 0x0040C0, apRoundRect,
     true, 5, true, true},
    {wsSports, {"Century Gothic", 9, true, 0xFFFFFF}, {"Century Gothic", 11, true, 0xFFFFFF}, 0x303030, 0x101010,
     wgVertical, 0x00A5FF, 4, 6, 0x00A5FF, 0xFFFFFF, None, 0xFFFFFF, 0xFFFFFF, 0x00A5FF, 5, 3, 2, None, None,
     0x00C0FF, 0xC0C0C0, 10, 3, 4, 1, wsRoundRect, psLine, tmAll, hmsLine, 0x303030, 0x00A5FF, apRoundRect, true, 3,
     true, true},
    {wsSmooth, {"Century Gothic", 8, false, 0x7A5C46}, {"Century Gothic", 10, false, 0x7A5C46}, 0xFAF5F0, 0xE6D2C3,
     wgVertical, 0xC8B4A0, 2, 5, 0x7A5C46, None, None, 0x7A5C46, 0x7A5C46, 0x5050E0, 3, 2, 1, 0xD8C8B8, 0xD8C8B8,
     0x7A5C46, 0xC8B4A0, 6, 2, 3, 1, wsCircle, psLine, tmQuartHours, hmsLine, 0xFAF5F0, 0xC8B4A0, apRoundRect, true,
     20, false, true},
}};

plat::TFont presetFont(const TPresetFont& F) {
    plat::TFont font;
    font.SetName(QString::fromLatin1(F.Name));
    font.SetSize(F.Size);
    font.SetStyle(F.Bold ? plat::TFontStyles{plat::fsBold} : plat::TFontStyles{});
    font.SetColor(F.Color);
    return font;
}

}  // namespace

void ApplyWatchSkinStyle(TWatchAppearance& A, TSkinStyle AStyle) {
    A.SetCenterPointOuterBorderColor(0);
    plat::TFont hour(A.HourFont());
    hour.SetColor(0);
    A.SetHourFont(hour);
    plat::TFont ampm(A.AMPMFont());
    ampm.SetColor(0);
    A.SetAMPMFont(ampm);
    for (const TWatchSkin& s : WatchSkins) {
        if (s.Style != AStyle) continue;
        A.SetAMPMBorderColor(s.AMPMBorder);
        A.SetAMPMColor(s.AMPMFill);
        A.SetBackgroundColor(s.Background);
        A.SetBackgroundColorTo(s.BackgroundTo);
        A.SetBorderColor(s.Border);
        A.SetCenterPointBorderColor(s.CenterBorder);
        A.SetCenterPointColor(s.CenterFill);
        A.SetHourColor(s.Hands);
        A.SetMinuteColor(s.Hands);
        A.SetHourPointer(s.Hands);
        A.SetMinutePointer(s.Hands);
        A.SetSecondPointer(s.Second);
        A.SetHourPointerShadow(s.Shadows);
        A.SetMinutePointerShadow(s.Shadows);
        if (AStyle == tsOffice2007Obsidian) {
            // Light words on the dark face.
            ampm.SetColor(0xF2F1F0);
            A.SetAMPMFont(ampm);
            hour.SetColor(0xF2F1F0);
            A.SetHourFont(hour);
        }
    }
}

TExWatch::TExWatch(QWidget* Parent) : plat::TCustomControl(Parent), FCore(FAppearance, FSettings) {
    FAppearance.OnChange = [this] { fullPaint(); };
    FSettings.OnChange = [this] { settingsChanged(); };
    FCore.OnRedrawHands = [this] { update(); };
    FCore.OnFullPaint = [this] { fullPaint(); };
    FCore.OnRollFrame = [this] { update(); };
    FCore.OnAnimationTimer = [this](bool On) { FAnimationTimer.SetEnabled(On); };
    FCore.OnRollTimer = [this](bool On) {
        if (On) {
            const plat::TRect box = GetAMPMRect();
            FRollStrip = AMPMStrip(FAppearance, box.Width() - 2, FCore.RollRows());
        }
        FRollTimer.SetEnabled(On);
    };
    FCore.OnChange = [this] {
        if (OnChange) OnChange(this);
    };
    FCore.AMPMBox = [this] { return GetAMPMRect(); };

    FWatchTimer.SetInterval(100);
    FWatchTimer.SetEnabled(FSettings.Auto());
    FWatchTimer.SetOnTimer([this](QObject*) { FCore.ClockTick(); });
    FAnimationTimer.SetInterval(1);
    FAnimationTimer.SetEnabled(false);
    FAnimationTimer.SetOnTimer([this](QObject*) { FCore.AnimationTick(); });
    FRollTimer.SetInterval(10);
    FRollTimer.SetEnabled(false);
    FRollTimer.SetOnTimer([this](QObject*) { FCore.RollTick(); });

    setMouseTracking(true);
    FBKGCache.SetPixelFormat(plat::pf32bit);
    resize(180, 180);
}

TExWatch::~TExWatch() {
    FAppearance.OnChange = nullptr;
    FSettings.OnChange = nullptr;
}

TWatchGeometry TExWatch::geometry() const { return WatchGeometry(width(), height(), FAppearance.Size()); }

plat::TRect TExWatch::GetAMPMRect() const {
    const TWatchGeometry g = geometry();
    return AMPMRect(FCore.ShowAMPM(), g.Center, g.Radius, AMExtentOf(FAppearance.AMPMFont()));
}

void TExWatch::SetAppearance(const TWatchAppearance& Value) {
    FAppearance.Assign(Value);
    // Assign tells of its last three fields only; the rest changed the face as well.
    fullPaint();
}

void TExWatch::SetSettings(const TWatchSettings& Value) { FSettings.Assign(Value); }

void TExWatch::SetShowAMPM(bool On) {
    if (FCore.ShowAMPM() == On) return;
    FCore.SetShowAMPM(On);
    fullPaint();
}

void TExWatch::SetShowNumbers(bool On) {
    if (FShowNumbers == On) return;
    FShowNumbers = On;
    fullPaint();
}

void TExWatch::SetStyle(TWatchStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    FAppearance.SetDefaults();
    for (const TWatchPreset& p : WatchPresets) {
        if (p.Style != Value) continue;
        TWatchAppearance& a = FAppearance;
        a.SetAMPMFont(presetFont(p.AMPMFont));
        a.SetHourFont(presetFont(p.HourFont));
        a.SetBackgroundColor(p.Background);
        a.SetBackgroundColorTo(p.BackgroundTo);
        a.SetBackgroundGradient(p.Gradient);
        a.SetBorderColor(p.Border);
        a.SetBorderWidth(p.BorderWidth);
        a.SetCenterPointSize(p.CenterSize);
        a.SetCenterPointColor(p.CenterColor);
        a.SetCenterPointBorderColor(p.CenterBorder);
        a.SetCenterPointOuterBorderColor(p.CenterOuterBorder);
        a.SetHourPointer(p.HourPointer);
        a.SetMinutePointer(p.MinutePointer);
        a.SetSecondPointer(p.SecondPointer);
        a.SetHourPointerSize(p.HourPointerSize);
        a.SetMinutePointerSize(p.MinutePointerSize);
        a.SetSecondPointerSize(p.SecondPointerSize);
        a.SetHourPointerShadow(p.HourShadow);
        a.SetMinutePointerShadow(p.MinuteShadow);
        a.SetHourColor(p.HourColor);
        a.SetMinuteColor(p.MinuteColor);
        a.SetHourMarkLength(p.HourMarkLength);
        a.SetHourMarkWidth(p.HourMarkWidth);
        a.SetMinuteMarkLength(p.MinuteMarkLength);
        a.SetMinuteMarkWidth(p.MinuteMarkWidth);
        a.SetShape(p.Shape);
        a.SetPointerStyle(p.Pointer);
        a.SetTickMarks(p.Ticks);
        a.SetHourMarkStyle(p.MarkStyle);
        a.SetAMPMColor(p.AMPMFill);
        a.SetAMPMBorderColor(p.AMPMBorder);
        a.SetAMPMFrame(p.Frame);
        if (p.Animation) SetAnimation(*p.Animation);
        if (p.AnimationFactor) SetAnimationFactor(*p.AnimationFactor);
        if (p.ShowAMPM) SetShowAMPM(*p.ShowAMPM);
        if (p.ShowNumbers) SetShowNumbers(*p.ShowNumbers);
    }
    fullPaint();
}

void TExWatch::SetComponentStyle(TSkinStyle AStyle) { ApplyWatchSkinStyle(FAppearance, AStyle); }

void TExWatch::WatchKeyDown(uint16_t Key) { FCore.WatchKeyDown(Key); }

void TExWatch::fullPaint() {
    FFaceDirty = true;
    update();
}

void TExWatch::settingsChanged() {
    FWatchTimer.SetEnabled(FSettings.Auto());
    FCore.SettingsChanged();
}

void TExWatch::Paint() {
    const TWatchGeometry g = geometry();
    const plat::TRect client{0, 0, width(), height()};
    if (FFaceDirty || FBKGCache.Width() != width() || FBKGCache.Height() != height()) {
        // Transparent where the shape leaves the client uncovered, so the parent shows there.
        QImage face(std::max(1, width()), std::max(1, height()), QImage::Format_ARGB32_Premultiplied);
        face.fill(Qt::transparent);
        FBKGCache.SetImage(face);
        plat::TCanvas& c = FBKGCache.Canvas();
        DrawWatchBackground(c, client, FAppearance, g);
        DrawWatchTicks(c, FAppearance, g, FShowNumbers);
        DrawWatchAMPM(c, FAppearance, GetAMPMRect(), FCore.AM());
        c.Release();
        FFaceDirty = false;
        ++FFacePaints;
    }
    plat::TCanvas& c = Canvas();
    c.Draw(0, 0, FBKGCache);
    if (FCore.Rolling() && !FRollStrip.isNull()) {
        const plat::TRect box = GetAMPMRect();
        if (QPainter* p = c.Painter())
            p->drawImage(QPoint(box.Left + 1, box.Top + 1), FRollStrip,
                         QRect(0, FCore.RollOffset(), FRollStrip.width(), FCore.RollRows()));
        c.Pen().SetColor(FAppearance.AMPMBorderColor());
        c.Pen().SetWidth(1);
        c.Brush().SetStyle(plat::bsClear);
        if (FAppearance.AMPMFrame() == apRect)
            c.Rectangle(box);
        else
            c.RoundRect(box.Left, box.Top, box.Right, box.Bottom, 5, 5);
    }
    DrawWatchHands(c, FAppearance, g, DecodeTimeParts(FCore.DisplayTime()), FSettings.Auto() && FSettings.Second());
}

void TExWatch::MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    plat::TCustomControl::MouseUp(Button, Shift, X, Y);
    FCore.MouseUp(geometry(), X, Y);
}

void TExWatch::MouseMove(plat::TShiftState Shift, int X, int Y) {
    plat::TCustomControl::MouseMove(Shift, X, Y);
    const plat::TRect box = GetAMPMRect();
    const bool over = X >= box.Left && X < box.Right && Y >= box.Top && Y < box.Bottom;
    setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------------------------------
// The time picker drop-down

namespace {

using plat::VK_DOWN;
using plat::VK_NEXT;
using plat::VK_PRIOR;
using plat::VK_UP;

QChar timeSeparator() { return plat::formatSettings().timeSeparator; }

// The panel the pop-up hosts: the time picker along its bottom, the clock filling the rest.
class TTimePanel : public QWidget {
public:
    explicit TTimePanel(QWidget* Parent) : QWidget(Parent) { setAutoFillBackground(true); }
    QPointer<QWidget> Clock, Picker;
    void SetColor(plat::TColor Color) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, plat::ToQColor(Color));
        setPalette(pal);
    }
    void Realign() {
        int bottom = height();
        if (Picker && !Picker->isHidden()) {
            const int h = Picker->sizeHint().height();
            bottom -= h;
            Picker->setGeometry(0, bottom, width(), h);
        }
        if (Clock) Clock->setGeometry(0, 0, width(), std::max(0, bottom));
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Realign();
    }
};

TTimePanel* panelOf(QWidget* W) { return static_cast<TTimePanel*>(W); }

// Page Up, Page Down, Up and Down step the clock in the pop-up; only with Alt do they reach the edit.
bool withheld(uint16_t Key) { return Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN; }

bool altDown() { return QGuiApplication::keyboardModifiers() & Qt::AltModifier; }

QTime toQTime(TDateTime Value) {
    const TTimeParts p = DecodeTimeParts(Value);
    return QTime(p.Hour, p.Minute, p.Second, p.MSec);
}

TDateTime fromQTime(QTime Value) {
    if (!Value.isValid()) return 0;
    return EncodeTime(Value.hour(), Value.minute(), Value.second(), Value.msec());
}

}  // namespace

TExTimePickerDropDown::TExTimePickerDropDown(QWidget* Parent)
    : TExCustomDropDown(Parent), FWatchAppearance(std::make_unique<TWatchAppearance>()) {
    ShowTimePicker = false;
    SetEditorEnabled(false);
    DropDownEnabled = true;
    FShowSeconds = true;
    FInternalCall = true;
    installMask();
    const QChar sep = timeSeparator();
    SetTextDirect(QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("00"));
    FInternalCall = false;
    FWatchSettings = std::make_unique<TWatchSettings>();
    DropDownHeader().SetVisible(false);
    DropDownFooter().SetVisible(false);
}

TExTimePickerDropDown::~TExTimePickerDropDown() {
    // The pop-up form deletes the panel, the clock and the picker with it; they must not call
    // back into the part of this object that is gone by then.
    if (FExWatch) FExWatch->OnChange = nullptr;
    if (FDateTimePicker) {
        FDateTimePicker->OnChange = nullptr;
        FDateTimePicker->OnKeyDown = nullptr;
        FDateTimePicker->OnKeyPress = nullptr;
    }
}

void TExTimePickerDropDown::installMask() { SetEditMask(TimeEditMask(FShowSeconds, timeSeparator())); }

QString TExTimePickerDropDown::FormatTimeText(int Hour, int Minute, int Second) const {
    return dropdowns::FormatTimeText(Hour, Minute, Second, FShowSeconds, timeSeparator());
}

void TExTimePickerDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    TDropDownForm* form = DropDownForm();
    if (!FPanelCtrl) FPanelCtrl = new TTimePanel(form);
    FPanelCtrl->setGeometry(0, 0, FPanelCtrl->width(), 180);
    if (!FExWatch) {
        FExWatch = new TExWatch(FPanelCtrl);
        // The pop-up form keeps the focus and hands the clock its keys; a focused clock would
        // swallow them.
        FExWatch->setFocusPolicy(Qt::NoFocus);
        panelOf(FPanelCtrl)->Clock = FExWatch.data();
        panelOf(FPanelCtrl)->Realign();
    }
    SetControl(FPanelCtrl);
}

void TExTimePickerDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    TDropDownForm* form = DropDownForm();
    if (!FPanelCtrl || !FExWatch || !form) return;
    TTimePanel* panel = panelOf(FPanelCtrl);
    panel->resize(170, 170);
    // A width change and back lays the form out anew.
    form->resize(form->width() + 1, form->height());
    form->resize(form->width() - 1, form->height());
    form->CancelOnDeActivate = false;
    panel->SetColor(DropDownColor());

    FExWatch->SetAppearance(*FWatchAppearance);
    FExWatch->SetSettings(*FWatchSettings);
    FExWatch->SetShowAMPM(ShowWatchAMPM);
    FExWatch->SetShowNumbers(ShowWatchNumbers);
    FExWatch->SetAnimation(Animation);
    FExWatch->SetAnimationFactor(AnimationFactor);

    FExWatch->OnChange = nullptr;
    if (!FWatchSettings->Auto()) FExWatch->SetTime(FTime);
    FExWatch->OnChange = [this](QObject*) { WatchChanged(); };

    if (ShowTimePicker) {
        if (!FDateTimePicker) {
            FDateTimePicker = new plat::TDateTimePicker(panel);
            FDateTimePicker->SetKind(plat::dtkTime);
            panel->Picker = FDateTimePicker.data();
        }
        plat::TDateTimePicker* picker = FDateTimePicker;
        picker->OnChange = nullptr;
        picker->show();
        picker->SetTime(toQTime(FTime));
        picker->raise();
        picker->OnChange = [this](QObject*) { PickerChanged(); };
        picker->OnKeyDown = [this](QObject*, uint16_t& Key, plat::TShiftState Shift) { ControlKeyDown(Key, Shift); };
        picker->OnKeyPress = [this](QObject*, QChar& Key) { ControlKeyPress(Key); };
        picker->SetFormat(FShowSeconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
        panel->resize(panel->width(), picker->sizeHint().height() + 170);
    } else if (FDateTimePicker) {
        FDateTimePicker->hide();
    }
    panel->Realign();
}

void TExTimePickerDropDown::DoHideDropDown(bool Cancelled) {
    // Enter and Esc close a pop-up that may not be open; the clock then holds the time of an
    // earlier opening, and taking it would overwrite Time.
    const bool open = DropDownFormVisible();
    FHiding = true;
    TExCustomDropDown::DoHideDropDown(Cancelled);
    FHiding = false;
    if (FExWatch && open) {
        if (Cancelled) {
            FExWatch->SetTime(FTime);
            // The base put back the text it last wrote; the edit shows Time, not that.
            writeTimeText();
        } else {
            SetTime(FExWatch->Time());
        }
    }
    // The form told of its hiding while the base hid it: Time follows the clock only now, after
    // a cancel has put the clock back.
    if (std::exchange(FHidePending, false) && FExWatch) SetTime(FExWatch->Time());
}

void TExTimePickerDropDown::DropDownFormHide() {
    TExCustomDropDown::DropDownFormHide();
    if (FHiding)
        FHidePending = true;
    else if (FExWatch)
        SetTime(FExWatch->Time());
}

void TExTimePickerDropDown::WatchChanged() {
    if (!FExWatch) return;
    if (FDateTimePicker && ShowTimePicker && fromQTime(FDateTimePicker->Time()) != FExWatch->Time()) {
        FDateTimePicker->SetTime(toQTime(FExWatch->Time()));
        if (OnTimeChange) OnTimeChange(this);
    }
    SetTime(FExWatch->Time());
}

void TExTimePickerDropDown::PickerChanged() {
    if (FDateTimePicker && FExWatch && !FWatchSettings->Auto()) FExWatch->SetTime(fromQTime(FDateTimePicker->Time()));
}

void TExTimePickerDropDown::writeTimeText() {
    const TTimeParts p = DecodeTimeParts(FTime);
    SetTextDirect(FormatTimeText(p.Hour, p.Minute, p.Second));
}

void TExTimePickerDropDown::SetTime(TDateTime Value) {
    if (Value == FTime) return;
    FTime = Value;
    const QString before = EditText();
    writeTimeText();
    // The text is read back into Time, so Time holds what it shows; an unchanged text raised no
    // change to do that.
    if (EditText() == before) DoChange();
    if (DroppedDown()) {
        if (FExWatch) FExWatch->SetTime(FTime);
        if (ShowTimePicker && FDateTimePicker) FDateTimePicker->SetTime(toQTime(FTime));
    }
}

void TExTimePickerDropDown::SetShowSeconds(bool Value) {
    if (FShowSeconds == Value) return;
    FShowSeconds = Value;
    const TDateTime kept = FTime;
    FInternalCall = true;
    SetEditMask(QString());
    SetText(QString());
    FInternalCall = false;
    installMask();
    // Time differs now, so writing the kept value back writes the text in the new format.
    FTime = kept + 1;
    SetTime(kept);
}

void TExTimePickerDropDown::setPart(int Index, int Value) {
    TTimeParts p = DecodeTimeParts(FTime);
    int* field = Index == 0 ? &p.Hour : Index == 1 ? &p.Minute : &p.Second;
    const int limit = Index == 0 ? 23 : 59;
    if (Value == *field || Value < 0 || Value > limit) return;
    *field = Value;
    SetTime(EncodeTime(p.Hour, p.Minute, p.Second, p.MSec));
    if (OnTimeChange) OnTimeChange(this);
}

void TExTimePickerDropDown::SetHourPart(int Hour) { setPart(0, Hour); }
void TExTimePickerDropDown::SetMinutePart(int Minute) { setPart(1, Minute); }
void TExTimePickerDropDown::SetSecondPart(int Second) { setPart(2, Second); }

void TExTimePickerDropDown::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const uint16_t key = Key;
    TExCustomDropDown::KeyDown(Key, Shift);
    if (key != VK_UP && key != VK_DOWN) return;
    if (altDown() || Shift.contains(plat::ssAlt) || Shift.contains(plat::ssCtrl)) return;
    const int step = key == VK_DOWN ? 1 : -1;
    const QString t = Text();
    const QChar sep = timeSeparator();
    const int caret = TextRules().SelStart();
    const int p = int(t.indexOf(sep)) + 1;
    const int q = int(t.mid(p).indexOf(sep)) + 1;
    int field = 1;
    if (caret < p)
        field = 0;
    else if (FShowSeconds && caret - p >= q)
        field = 2;
    const TTimeParts now = DecodeTimeParts(FTime);
    const int value = field == 0 ? now.Hour : field == 1 ? now.Minute : now.Second;
    const int count = field == 0 ? 24 : 60;
    // Each field wraps on its own: no carry into the next.
    setPart(field, (value + step + count) % count);
    TextRules().Select(caret, caret);
    showText();
}

void TExTimePickerDropDown::DoChange() {
    if (FInternalCall) return;
    const QString t = Text();
    const std::optional<TTimeFields> f = ParseTimeText(t, FShowSeconds, timeSeparator());
    if (!f) return;
    FTime = EncodeTime(f->Hour, f->Minute, f->Second, 0);
    const QString formatted = FormatTimeText(f->Hour, f->Minute, f->Second);
    if (formatted != t && f->Minute == 0 && f->Second == 0) {
        FInternalCall = true;
        SetText(formatted);
        FInternalCall = false;
    }
}

void TExTimePickerDropDown::DropDownFormKeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const uint16_t key = Key;
    if (!withheld(Key) || Shift.contains(plat::ssAlt)) TExCustomDropDown::DropDownFormKeyDown(Key, Shift);
    if (DropDownFormVisible() && FExWatch && key != 0) FExWatch->WatchKeyDown(key);
}

void TExTimePickerDropDown::DropDownFormKeyUp(uint16_t& Key, plat::TShiftState Shift) {
    if (!withheld(Key) || Shift.contains(plat::ssAlt)) TExCustomDropDown::DropDownFormKeyUp(Key, Shift);
}

void TExTimePickerDropDown::ControlKeyDown(uint16_t& Key, plat::TShiftState Shift) {
    if (!withheld(Key) || Shift.contains(plat::ssAlt)) TExCustomDropDown::ControlKeyDown(Key, Shift);
}

void TExTimePickerDropDown::ControlKeyUp(uint16_t& Key, plat::TShiftState Shift) {
    if (!withheld(Key) || Shift.contains(plat::ssAlt)) TExCustomDropDown::ControlKeyUp(Key, Shift);
}

void TExTimePickerDropDown::ControlKeyPress(QChar& Key) {
    // The key codes compared as characters: "!", '"', "&" and "(" are the ones held back.
    if (!withheld(Key.unicode()) || altDown()) TExCustomDropDown::ControlKeyPress(Key);
}

void TExTimePickerDropDown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    ApplyWatchSkinStyle(*FWatchAppearance, AStyle);
}

}  // namespace dropdowns
