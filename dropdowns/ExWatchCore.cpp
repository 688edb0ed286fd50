#include "dropdowns/ExWatchCore.h"

#include "dropdowns/DovUzerAdev.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <QDate>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace dropdowns {

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;
constexpr qint64 MSecsPerDay = 86400000;

bool isNone(plat::TColor C) { return C == plat::clNone; }

// A point of the circle about a centre given in fractions, rounded only at the end.
QPoint pointAt(double Cx, double Cy, double AngleDegrees, double R) {
    const double a = AngleDegrees * DegToRad;
    return QPoint(Nearest(Cx + std::sin(a) * R), Nearest(Cy - std::cos(a) * R));
}

void line(plat::TCanvas& C, QPoint From, QPoint To) {
    C.MoveTo(From.x(), From.y());
    C.LineTo(To.x(), To.y());
}

// A radial line from R1 to R2, moved by (Dx, Dy).
void radial(plat::TCanvas& C, QPoint Center, double Angle, double R1, double R2, double Dx = 0, double Dy = 0) {
    line(C, pointAt(Center.x() + Dx, Center.y() + Dy, Angle, R1), pointAt(Center.x() + Dx, Center.y() + Dy, Angle, R2));
}

// A hand as a line from Behind on the far side of the centre to Length, moved by (Dx, Dy).
void handLine(plat::TCanvas& C, QPoint Center, double Angle, double Behind, double Length, plat::TColor Color, int Width,
              int Dx = 0, int Dy = 0) {
    if (isNone(Color)) return;
    C.Pen().SetColor(Color);
    C.Pen().SetWidth(Width);
    line(C, pointAt(Center.x() + Dx, Center.y() + Dy, Angle + 180, Behind),
         pointAt(Center.x() + Dx, Center.y() + Dy, Angle, Length));
}

// A hand as a kite: tail, one side, tip, other side.
void handPolygon(plat::TCanvas& C, QPoint Center, double Angle, double R, double Length, plat::TColor Color, int Dx = 0,
                 int Dy = 0) {
    if (isNone(Color)) return;
    const double cx = Center.x() + Dx, cy = Center.y() + Dy;
    C.Pen().SetColor(Color);
    C.Pen().SetWidth(1);
    C.Brush().SetColor(Color);
    C.Polygon({pointAt(cx, cy, Angle + 180, 0.1 * R), pointAt(cx, cy, Angle - 90, 0.05 * R), pointAt(cx, cy, Angle, Length),
               pointAt(cx, cy, Angle + 90, 0.05 * R)});
}

}  // namespace

bool InsideEllipse(QPoint Point, int Left, int Top, int Right, int Bottom) {
    return QRegion(QRect(Left, Top, Right - Left, Bottom - Top), QRegion::Ellipse).contains(Point);
}

void DrawTransparentPicture(plat::TCanvas* Canvas, const plat::TBitmap& Picture, const plat::TRect& Rect) {
    if (!Canvas || Picture.Empty()) return;
    plat::TBitmap bmp(Picture);
    bmp.SetTransparent(true);
    bmp.SetTransparentMode(plat::tmAuto);
    const plat::TClipState saved = Canvas->SaveClip();
    Canvas->IntersectClipRect(Rect);
    Canvas->Draw(Rect.Left, Rect.Top, bmp);
    Canvas->RestoreClip(saved);
}

// ---- TWatchAppearance ----

TWatchAppearance::TWatchAppearance() { SetDefaults(); }

void TWatchAppearance::SetDefaults() {
    FSize = 0;
    FHourPointer = plat::clBlack;
    FBackgroundColor = plat::clWhite;
    FMinutePointerShadow = plat::clBtnShadow;
    FBackgroundColorTo = plat::clNone;
    FHourPointerShadow = plat::clBtnShadow;
    FSecondPointerShadow = plat::clBtnShadow;
    FSecondPointer = plat::clRed;
    FBorderColor = plat::clBlack;
    FMinutePointer = plat::clBlack;
    plat::TFont hour;
    hour.SetName(QStringLiteral("Tahoma"));
    hour.SetSize(8);
    FHourFont.Assign(hour);
    plat::TFont ampm;
    ampm.SetName(QStringLiteral("Tahoma"));
    ampm.SetSize(10);
    FAMPMFont.Assign(ampm);
    FPicture = plat::TBitmap();
    FAMPMFrame = apRect;
    FWatchShape = wsCircle;
    FPointerStyle = psLine;
    FBorderStyle = wbsSingle;
    FHourPointerSize = 4;
    FSecondPointerSize = 1;
    FMinutePointerSize = 3;
    FHourColor = plat::clBlack;
    FMinuteColor = plat::clGray;
    FCenterPointSize = 4;
    FCenterPointColor = plat::clBlack;
    FCenterPointBorderColor = plat::clNone;
    FBackgroundGradient = wgVertical;
    FRounding = 5;
    FHourMarkLength = 0;
    FHourMarkWidth = 1;
    FMinuteMarkLength = 0;
    FMinuteMarkWidth = 1;
    FBorderWidth = 4;
    FAMPMColor = plat::clWhite;
    FAMPMBorderColor = plat::clBlack;
    FCenterPointOuterBorderColor = plat::clNone;
    FTickMarks = tmAll;
    FHourMarkStyle = hmsLine;
}

void TWatchAppearance::Assign(const TWatchAppearance& S) {
    if (&S == this) return;
    FSize = S.FSize;
    FHourPointer = S.FHourPointer;
    FBackgroundColor = S.FBackgroundColor;
    FMinutePointerShadow = S.FMinutePointerShadow;
    FBackgroundColorTo = S.FBackgroundColorTo;
    FHourPointerShadow = S.FHourPointerShadow;
    FSecondPointerShadow = S.FSecondPointerShadow;
    FSecondPointer = S.FSecondPointer;
    FBorderColor = S.FBorderColor;
    FMinutePointer = S.FMinutePointer;
    FHourFont.Assign(S.FHourFont);
    FAMPMFont.Assign(S.FAMPMFont);
    FPicture.Assign(S.FPicture);
    FAMPMFrame = S.FAMPMFrame;
    FWatchShape = S.FWatchShape;
    FPointerStyle = S.FPointerStyle;
    FBorderStyle = S.FBorderStyle;
    FHourPointerSize = S.FHourPointerSize;
    FSecondPointerSize = S.FSecondPointerSize;
    FMinutePointerSize = S.FMinutePointerSize;
    FHourColor = S.FHourColor;
    FMinuteColor = S.FMinuteColor;
    FCenterPointSize = S.FCenterPointSize;
    FCenterPointColor = S.FCenterPointColor;
    FCenterPointBorderColor = S.FCenterPointBorderColor;
    FBackgroundGradient = S.FBackgroundGradient;
    FRounding = S.FRounding;
    FHourMarkLength = S.FHourMarkLength;
    FHourMarkWidth = S.FHourMarkWidth;
    FMinuteMarkLength = S.FMinuteMarkLength;
    FMinuteMarkWidth = S.FMinuteMarkWidth;
    FBorderWidth = S.FBorderWidth;
    FAMPMColor = S.FAMPMColor;
    FAMPMBorderColor = S.FAMPMBorderColor;
    SetCenterPointOuterBorderColor(S.FCenterPointOuterBorderColor);
    SetTickMarks(S.FTickMarks);
    SetHourMarkStyle(S.FHourMarkStyle);
}

void TWatchAppearance::SetHourFont(const plat::TFont& V) {
    FHourFont.Assign(V);
    changed();
}

void TWatchAppearance::SetAMPMFont(const plat::TFont& V) {
    FAMPMFont.Assign(V);
    changed();
}

void TWatchAppearance::SetPicture(const plat::TBitmap& V) {
    FPicture.Assign(V);
    changed();
}

// ---- TWatchSettings ----

void TWatchSettings::SetAuto(bool V) {
    if (FAuto == V) return;
    FAuto = V;
    changed();
}

void TWatchSettings::SetSecond(bool V) {
    if (FSeconds == V) return;
    FSeconds = V;
    changed();
}

void TWatchSettings::SetTimeOffset(int V) {
    if (FTimeOffset == V) return;
    FTimeOffset = V;
    changed();
}

void TWatchSettings::Assign(const TWatchSettings& S) {
    if (&S == this) return;
    FSeconds = S.FSeconds;
    FTimeOffset = S.FTimeOffset;
    SetAuto(S.FAuto);
}

// ---- Geometry ----

int Nearest(double X) { return int(std::nearbyint(X)); }

QPoint ClockPoint(QPoint Center, double AngleDegrees, double R) {
    return pointAt(Center.x(), Center.y(), AngleDegrees, R);
}

TWatchGeometry WatchGeometry(int ClientWidth, int ClientHeight, int Size) {
    const int side = std::max(0, Size > 0 ? Size : std::min(ClientWidth, ClientHeight) - 20);
    const int left = (ClientWidth - side) / 2;
    const int top = (ClientHeight - side) / 2;
    TWatchGeometry g;
    g.Face = {std::max(0, left), std::max(0, top), std::min(ClientWidth, left + side), std::min(ClientHeight, top + side)};
    g.Center = QPoint(g.Face.Left + g.Face.Width() / 2, g.Face.Top + g.Face.Height() / 2);
    g.Radius = g.Face.Width() / 2;
    return g;
}

TMarkRadii MarkRadii(double Radius, int BorderWidth, int HourMarkLength, int MinuteMarkLength) {
    TMarkRadii m;
    m.Outer = int(Radius) - BorderWidth / 2;
    m.HourInner = HourMarkLength > 0 ? double(m.Outer - HourMarkLength) : 0.9 * m.Outer;
    m.MinuteInner = MinuteMarkLength > 0 ? double(m.Outer - MinuteMarkLength) : 0.95 * m.Outer;
    return m;
}

QPoint NumeralAnchor(int I, QPoint Center, int Outer, int HourMarkLength, int TextHeight) {
    const int b = HourMarkLength > 0 ? HourMarkLength : Nearest(Outer - 0.9 * Outer) + 2;
    int rn = Outer - (b + 2) - b + b / 2;
    // The two-digit numerals left of twelve sit a little further in, clear of the marks.
    if (I == 10) rn -= Nearest(TextHeight * 0.2);
    if (I == 11) rn -= Nearest(TextHeight * 0.15);
    const double a = I * 30 * DegToRad;
    return QPoint(Center.x() + 1 + Nearest(std::sin(a) * rn), Center.y() + 1 - Nearest(std::cos(a) * rn));
}

plat::TRect AMPMRect(bool ShowAMPM, QPoint Center, double Radius, QSize AMExtent) {
    if (!ShowAMPM) return {-1, -1, -1, -1};
    const int w = AMExtent.width() + 8;
    const int h = AMExtent.height();
    const int left = Center.x() - w / 2;
    const int top = Center.y() + Nearest((Radius - h) / 3);
    return {left, top, left + w, top + h};
}

QSize AMExtentOf(const plat::TFont& Font) {
    plat::TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(Font);
    return measure.Canvas().TextExtent(QStringLiteral("AM"));
}

int MinuteAtPos(QPoint Center, int X, int Y) {
    const int cx = Center.x(), cy = Center.y();
    int dy = std::abs(cy - Y), dx = std::abs(cx - X);
    if (dy == 0) dy = 1;
    if (dx == 0) dx = 1;
    const int a = Nearest(std::atan(double(dy) / dx) / DegToRad / 6);
    int m;
    if (X >= cx && Y >= cy)
        m = a + 15;
    else if (X <= cx && Y >= cy)
        m = 45 - a;
    else if (X <= cx && Y <= cy)
        m = a + 45;
    else
        m = 15 - a;
    return m < 0 || m > 59 ? 0 : m;
}

int HourAtPos(QPoint Center, int X, int Y, bool AM) {
    // Twelve o'clock is 0 on both sides of the top, so the half-day the box shows always holds.
    const int h = Nearest(MinuteAtPos(Center, X, Y) / 5.0) % 12;
    return AM ? h : h + 12;
}

// ---- Times ----

TTimeParts DecodeTimeParts(TDateTime Value) {
    if (!std::isfinite(Value)) Value = 0;
    const double frac = std::fabs(Value - std::trunc(Value));
    const qint64 ms = std::min<qint64>(std::llround(frac * MSecsPerDay), MSecsPerDay - 1);
    TTimeParts p;
    p.Hour = int(ms / 3600000);
    p.Minute = int(ms / 60000 % 60);
    p.Second = int(ms / 1000 % 60);
    p.MSec = int(ms % 1000);
    return p;
}

TDateTime ReplaceTimeParts(TDateTime Value, const TTimeParts& P) {
    const double date = std::isfinite(Value) ? std::trunc(Value) : 0;
    const TDateTime time = EncodeTime(P.Hour, P.Minute, P.Second, P.MSec);
    return Value < 0 ? date - time : date + time;
}

TDateTime NowDateTime() {
    const QDateTime now = plat::localNow();
    return double(QDate(1899, 12, 30).daysTo(now.date())) + double(now.time().msecsSinceStartOfDay()) / MSecsPerDay;
}

// ---- Drawing ----

void DrawWatchBackground(plat::TCanvas& C, const plat::TRect& Client, const TWatchAppearance& A, const TWatchGeometry& G) {
    const plat::TRect s = A.Shape() == wsCircle ? G.Face : Client;
    const plat::TClipState saved = C.SaveClip();
    const QRect grown(s.Left - 1, s.Top - 1, s.Width() + 3, s.Height() + 3);
    if (A.Shape() == wsCircle) {
        C.SelectClipRegion(QRegion(grown, QRegion::Ellipse));
    } else if (A.Shape() == wsRoundRect) {
        QPainterPath path;
        path.addRoundedRect(QRectF(grown), 10, 10);
        C.SelectClipRegion(QRegion(path.toFillPolygon().toPolygon()));
    }
    if (!isNone(A.BackgroundColor()) && !isNone(A.BackgroundColorTo())) {
        C.Pen().SetStyle(plat::psSolid);
        C.Pen().SetWidth(1);
        DrawGradient(C, A.BackgroundColor(), A.BackgroundColorTo(), 80, s, A.BackgroundGradient() == wgRadial);
    } else if (!isNone(A.BackgroundColor())) {
        C.Brush().SetColor(A.BackgroundColor());
        C.FillRect(s);
    }
    if (!isNone(A.BorderColor()) && A.BorderWidth() > 0) {
        C.Pen().SetColor(A.BorderColor());
        C.Pen().SetWidth(A.BorderWidth());
        C.Brush().SetStyle(plat::bsClear);
        if (A.Shape() == wsCircle)
            C.Ellipse(s.Left, s.Top, s.Right, s.Bottom);
        else if (A.Shape() == wsRect)
            C.Rectangle(Client);
        else
            C.RoundRect(Client.Left, Client.Top, Client.Right, Client.Bottom, 20, 20);
    }
    C.RestoreClip(saved);
    DrawTransparentPicture(&C, A.Picture(), Client);
}

void DrawWatchTicks(plat::TCanvas& C, const TWatchAppearance& A, const TWatchGeometry& G, bool ShowNumbers) {
    const TTickMarks marks = A.TickMarks();
    if (marks == tmNone) return;
    const TMarkRadii r = MarkRadii(G.Radius, A.BorderWidth(), A.HourMarkLength(), A.MinuteMarkLength());
    C.Pen().SetColor(A.HourColor());
    C.Pen().SetWidth(A.HourMarkWidth());
    for (int q = 0; q < 4; ++q) {
        const double angle = q * 90;
        if (A.HourMarkStyle() == hmsQuartDblLine) {
            // Across the radial line: (cos, sin) of the clock angle.
            const double dx = std::cos(angle * DegToRad) * 2, dy = std::sin(angle * DegToRad) * 2;
            radial(C, G.Center, angle, r.HourInner, r.Outer, dx, dy);
            radial(C, G.Center, angle, r.HourInner, r.Outer, -dx, -dy);
        } else {
            radial(C, G.Center, angle, r.HourInner, r.Outer);
        }
    }
    if (marks == tmAll || marks == tmHours)
        for (int i = 1; i < 12; ++i)
            if (i % 3 != 0) radial(C, G.Center, i * 30, r.HourInner, r.Outer);
    if (marks == tmAll) {
        C.Pen().SetColor(A.MinuteColor());
        C.Pen().SetWidth(A.MinuteMarkWidth());
        for (int i = 0; i < 60; ++i)
            if (i % 5 != 0) radial(C, G.Center, i * 6, r.MinuteInner, r.Outer);
    }
    if (!ShowNumbers || (marks != tmAll && marks != tmQuartHours)) return;
    C.Font().Assign(A.HourFont());
    C.Brush().SetStyle(plat::bsClear);
    for (int i = 1; i <= 12; ++i) {
        if (marks == tmQuartHours && i % 3 != 0) continue;
        const QString text = QString::number(i);
        const int th = C.TextHeight(text), tw = C.TextWidth(text);
        const QPoint p = NumeralAnchor(i, G.Center, r.Outer, A.HourMarkLength(), th);
        C.TextOut(p.x() - tw / 2 - 1, p.y() - th / 2 - 1, text);
    }
}

void DrawWatchAMPM(plat::TCanvas& C, const TWatchAppearance& A, const plat::TRect& Box, bool AM) {
    if (Box.Left < 0 && Box.Right < 0) return;
    if (!isNone(A.AMPMColor()) || !isNone(A.AMPMBorderColor())) {
        C.Brush().SetColor(A.AMPMColor());
        if (isNone(A.AMPMColor())) C.Brush().SetStyle(plat::bsClear);
        C.Pen().SetColor(A.AMPMBorderColor());
        C.Pen().SetWidth(1);
        if (A.AMPMFrame() == apRect)
            C.Rectangle(Box);
        else
            C.RoundRect(Box.Left, Box.Top, Box.Right, Box.Bottom, 5, 5);
    }
    C.Brush().SetStyle(plat::bsClear);
    C.Font().Assign(A.AMPMFont());
    plat::TRect r = Box;
    C.DrawText(AM ? QStringLiteral("AM") : QStringLiteral("PM"), r, plat::DT_CENTER | plat::DT_VCENTER | plat::DT_SINGLELINE);
}

void DrawWatchHands(plat::TCanvas& C, const TWatchAppearance& A, const TWatchGeometry& G, const TTimeParts& T, bool Seconds) {
    const double R = G.Radius;
    const QPoint c = G.Center;
    const double hourAngle = (T.Hour % 12) * 30 + T.Minute / 12.0 * 6;
    const double minuteAngle = T.Minute * 6;
    const TPointerStyle style = A.PointerStyle();
    if (style == psLine) {
        handLine(C, c, hourAngle, 0.1 * R, 0.46 * R, A.HourPointerShadow(), A.HourPointerSize(), -1, 3);
        handLine(C, c, minuteAngle, 0.1 * R, 0.65 * R, A.MinutePointerShadow(), A.MinutePointerSize(), 0, 3);
        handLine(C, c, hourAngle, 0.1 * R, 0.5 * R, A.HourPointer(), A.HourPointerSize());
        handLine(C, c, minuteAngle, 0.1 * R, 0.7 * R, A.MinutePointer(), A.MinutePointerSize());
    } else if (style == psPointer) {
        handPolygon(C, c, hourAngle, R, 0.5 * R, A.HourPointerShadow(), 1, 3);
        handPolygon(C, c, hourAngle, R, 0.5 * R, A.HourPointer());
        handPolygon(C, c, minuteAngle, R, 0.7 * R, A.MinutePointerShadow(), 1, 3);
        handPolygon(C, c, minuteAngle, R, 0.7 * R, A.MinutePointer());
    }
    if (Seconds && (style == psLine || style == psPointer))
        handLine(C, c, T.Second * 6, 0.2 * R, 0.9 * R, A.SecondPointer(), A.SecondPointerSize());

    const int s = A.CenterPointSize();
    if (s <= 0) return;
    const int left = Nearest(c.x() - s / 2.0), top = Nearest(c.y() - s / 2.0);
    if (!isNone(A.CenterPointColor())) {
        C.Pen().SetColor(A.CenterPointColor());
        C.Pen().SetWidth(1);
        C.Brush().SetColor(A.CenterPointColor());
        C.Ellipse(left, top, left + s, top + s);
    }
    int w = 0;
    if (!isNone(A.CenterPointOuterBorderColor())) {
        w = Nearest(s * 0.2);
        C.Pen().SetColor(A.CenterPointOuterBorderColor());
        C.Pen().SetWidth(w);
        C.Brush().SetStyle(plat::bsClear);
        C.Ellipse(left, top, left + s, top + s);
    }
    if (!isNone(A.CenterPointBorderColor())) {
        const int d = s - w;
        const int l = Nearest(c.x() - d / 2.0), t = Nearest(c.y() - d / 2.0);
        C.Pen().SetColor(A.CenterPointBorderColor());
        C.Pen().SetWidth(Nearest(s * 0.1));
        C.Brush().SetStyle(plat::bsClear);
        C.Ellipse(l, t, l + d, t + d);
    }
}

QImage AMPMStrip(const TWatchAppearance& A, int Width, int Rows) {
    if (Width <= 0 || Rows <= 0) return {};
    plat::TBitmap strip(Width, 2 * Rows);
    plat::TCanvas& C = strip.Canvas();
    C.Brush().SetColor(A.AMPMColor());
    C.FillRect({0, 0, Width, 2 * Rows});
    C.Brush().SetStyle(plat::bsClear);
    C.Font().Assign(A.AMPMFont());
    plat::TRect am{0, 0, Width, Rows}, pm{0, Rows, Width, 2 * Rows};
    const unsigned flags = plat::DT_CENTER | plat::DT_VCENTER | plat::DT_SINGLELINE;
    C.DrawText(QStringLiteral("AM"), am, flags);
    C.DrawText(QStringLiteral("PM"), pm, flags);
    return strip.Image();
}

// ---- TWatchCore ----

struct TWatchCore::Internal {
    explicit Internal(bool& Flag) : flag(Flag), old(Flag) { flag = true; }
    ~Internal() { flag = old; }
    bool& flag;
    bool old;
};

TWatchCore::TWatchCore(TWatchAppearance& Appearance, TWatchSettings& Settings)
    : FAppearance(Appearance), FSettings(Settings) {}

TDateTime TWatchCore::DisplayTime() const {
    if (FSettings.Auto()) return NowDateTime() + FSettings.TimeOffset() / 1440.0;
    return FTime;
}

void TWatchCore::SetTime(TDateTime Value) {
    FinishRoll();
    if (Value == FTime) return;
    setTimeValue(Value);
    redrawHands();
}

void TWatchCore::setTimeValue(TDateTime Value) {
    if (Value == FTime) return;
    FTime = Value;
    Internal set(FInternalSet);
    setAM(DecodeTimeParts(Value).Hour < 12);
}

void TWatchCore::setAM(bool Value) {
    if (FAM == Value) return;
    FAM = Value;
    if (FAnimation && FShowAMPM && !isNone(FAppearance.AMPMColor()) && !FInternalSet && AMPMBox) {
        const plat::TRect box = AMPMBox();
        const int rows = box.Height() - 2;
        if (rows > 0) {
            FRoll.Active = true;
            FRoll.ToAM = Value;
            FRoll.Rows = rows;
            FRoll.Frame = 0;
            FRoll.PendingSwitch = false;
            if (OnRollTimer) OnRollTimer(true);
            return;
        }
    }
    if (OnFullPaint) OnFullPaint();
}

int TWatchCore::RollOffset() const { return FRoll.ToAM ? FRoll.Rows - FRoll.Frame : FRoll.Frame; }

void TWatchCore::RollTick() {
    if (!FRoll.Active) return;
    ++FRoll.Frame;
    if (OnRollFrame) OnRollFrame();
    if (FRoll.Frame >= FRoll.Rows) FinishRoll();
}

void TWatchCore::FinishRoll() {
    if (!FRoll.Active) return;
    FRoll.Frame = FRoll.Rows;
    FRoll.Active = false;
    if (OnRollTimer) OnRollTimer(false);
    if (FRoll.PendingSwitch) {
        FRoll.PendingSwitch = false;
        switchHalfDay();
    }
    if (OnFullPaint) OnFullPaint();
}

void TWatchCore::switchHalfDay() {
    const TTimeParts t = DecodeTimeParts(DisplayTime());
    Internal internal(FInternalCall);
    FCurrentHourTo = t.Hour < 12 ? t.Hour + 12 : t.Hour - 12;
    setHour(FCurrentHourTo);
}

void TWatchCore::redrawHands() {
    if (OnRedrawHands) OnRedrawHands();
}

void TWatchCore::fireChange() {
    if (OnChange) OnChange();
}

void TWatchCore::setAnimationTimer(bool On) {
    if (FAnimationTimerOn == On) return;
    FAnimationTimerOn = On;
    if (OnAnimationTimer) OnAnimationTimer(On);
}

void TWatchCore::SetHour(int Hour) {
    FinishRoll();
    if (Hour < 0 || Hour > 23) throw plat::Error(QStringLiteral("Invalid time"));
    setHour(Hour);
}

void TWatchCore::SetMinute(int Minute) {
    FinishRoll();
    if (Minute < 0 || Minute > 59) throw plat::Error(QStringLiteral("Invalid time"));
    setMinute(Minute);
}

void TWatchCore::setHour(int Hour) {
    const TDateTime shown = DisplayTime();
    const TTimeParts t = DecodeTimeParts(shown);
    if (Hour == t.Hour) return;
    if (!FAnimation || FInternalCall) {
        // A change made at once is complete at once: it is its own target.
        if (!FInternalCall) FCurrentHourTo = Hour;
        setTimeValue(ReplaceTimeParts(shown, {Hour, t.Minute, t.Second, t.MSec}));
        redrawHands();
        if (Hour == FCurrentHourTo) fireChange();
        return;
    }
    FCurrentHourTo = Hour;
    FHourAnimating = true;
    setAnimationTimer(true);
}

void TWatchCore::setMinute(int Minute) {
    const TDateTime shown = DisplayTime();
    const TTimeParts t = DecodeTimeParts(shown);
    if (Minute == t.Minute) return;
    if (FAnimation && !FInternalCall) {
        FCurrentMinuteTo = Minute;
        FHourAnimating = false;
        FMinuteFrom = t.Minute;
        setAnimationTimer(true);
        return;
    }
    if (!FAnimation) {
        FMinuteFrom = t.Minute;
        if (!FInternalCall) FCurrentMinuteTo = Minute;
    }
    int hour = t.Hour;
    // The hand went forward past twelve: the hour moves on with it.
    if (Minute == 0 && FMinuteFrom > 30) {
        hour = (hour + 1) % 24;
        FMinuteFrom = 0;
    }
    setTimeValue(ReplaceTimeParts(shown, {hour, Minute, t.Second, t.MSec}));
    redrawHands();
    if (Minute == FCurrentMinuteTo) fireChange();
}

void TWatchCore::AnimationTick() {
    if (!FAnimation) return;
    const TTimeParts t = DecodeTimeParts(DisplayTime());
    const double factor = FAnimationFactor > 0 ? FAnimationFactor : 1;
    Internal internal(FInternalCall);
    if (FHourAnimating) {
        if (t.Hour == FCurrentHourTo) {
            setHour(FCurrentHourTo);
            setAnimationTimer(false);
            return;
        }
        const int step = std::max(1, Nearest(std::abs(FCurrentHourTo - t.Hour) / factor));
        setHour(FCurrentHourTo > t.Hour ? t.Hour + step : t.Hour - step);
        return;
    }
    if (t.Minute == FCurrentMinuteTo) {
        setMinute(FCurrentMinuteTo);
        setAnimationTimer(false);
        return;
    }
    const bool forwardPastTwelve = FCurrentMinuteTo == 0 && t.Minute > 30;
    const int d = forwardPastTwelve ? 60 - t.Minute : std::abs(FCurrentMinuteTo - t.Minute);
    const int step = std::max(1, Nearest(d / factor));
    if (t.Minute < FCurrentMinuteTo || forwardPastTwelve)
        setMinute((t.Minute + step) % 60);
    else
        setMinute(t.Minute - step);
}

void TWatchCore::MouseUp(const TWatchGeometry& G, int X, int Y) {
    if (FSettings.Auto()) return;
    FinishRoll();
    const plat::TRect& f = G.Face;
    if (!InsideEllipse(QPoint(X, Y), f.Left, f.Top, f.Right, f.Bottom)) {
        setMinute(MinuteAtPos(G.Center, X, Y));
        return;
    }
    const plat::TRect box = AMPMBox ? AMPMBox() : plat::TRect{-1, -1, -1, -1};
    if (X >= box.Left && X < box.Right && Y >= box.Top && Y < box.Bottom) {
        if (FAnimation) {
            setAM(!FAM);
            if (FRoll.Active) {
                FRoll.PendingSwitch = true;
                return;
            }
        }
        switchHalfDay();
        return;
    }
    setHour(HourAtPos(G.Center, X, Y, FAM));
}

void TWatchCore::WatchKeyDown(uint16_t Key) {
    if (FSettings.Auto()) return;
    FinishRoll();
    const TDateTime shown = DisplayTime();
    const TTimeParts t = DecodeTimeParts(shown);
    // Changes that skip the animation name their own target, so they complete with one OnChange.
    auto internalHour = [&](int Hour) {
        Internal internal(FInternalCall);
        FCurrentHourTo = Hour;
        setHour(Hour);
    };
    switch (Key) {
    case 'A':
        if (t.Hour >= 12) setHour(t.Hour - 12);
        break;
    case 'P':
        if (t.Hour < 12) setHour(t.Hour + 12);
        break;
    case 0x21:  // Page Up
        if (t.Hour == 23)
            internalHour(0);
        else
            setHour(t.Hour + 1);
        break;
    case 0x22:  // Page Down
        if (t.Hour == 0)
            internalHour(23);
        else
            setHour(t.Hour - 1);
        break;
    case 0x24:  // Home
        internalHour(12);
        break;
    case 0x23:  // End
        setMinute(0);
        break;
    case 0x25:  // Left
        if (t.Minute == 0) {
            SetTime(ReplaceTimeParts(shown, {(t.Hour + 23) % 24, 59, t.Second, t.MSec}));
            fireChange();
        } else {
            setMinute(t.Minute - 1);
        }
        break;
    case 0x27:  // Right
        if (t.Minute == 59) {
            // Round to 0 in the same hour: no carry, unlike the hand moved past twelve.
            Internal internal(FInternalCall);
            FCurrentMinuteTo = 0;
            FMinuteFrom = 0;
            setTimeValue(ReplaceTimeParts(shown, {t.Hour, 0, t.Second, t.MSec}));
            redrawHands();
            fireChange();
        } else {
            setMinute(t.Minute + 1);
        }
        break;
    default:
        break;
    }
}

void TWatchCore::ClockTick() {
    const TTimeParts t = DecodeTimeParts(DisplayTime());
    {
        Internal set(FInternalSet);
        setAM(t.Hour < 12);
    }
    FOldHour = t.Hour;
    FOldMinute = t.Minute;
    FOldSecond = t.Second;
    redrawHands();
}

void TWatchCore::SettingsChanged() {
    if (FSettings.Auto()) {
        const TDateTime now = NowDateTime();
        SetTime(now);
        Internal set(FInternalSet);
        setAM(DecodeTimeParts(now).Hour < 12);
    }
    if (OnFullPaint) OnFullPaint();
}

}  // namespace dropdowns
