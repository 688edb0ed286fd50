#pragma once
// Themed and classic drawing of the small parts the controls are made of.
// Themed: a (class, part, state) of the visual-style classes "button", "combobox" and "spin" drawn
// through the window's QStyle. Classic: the frame controls and 3D edges drawn by our own code from
// the fixed system colours, so they look the same on every machine. Neither changes the canvas's
// pen, brush or font.
#include "platform/Canvas.h"

#include <QSize>
#include <QString>
#include <QStringView>

class QWidget;

namespace plat {

// "Themes active": controls draw their parts themed while it is on (the default).
bool IsThemeActive();
void SetThemeActive(bool on);

// What the controls ask of the system before they use themes: this platform has them all.
bool IsWindowsXPOrLater();
bool IsComCtl6();          // the common controls of version 6 or later
bool ThemeBindingLoaded();  // the themed drawing calls are there
// The colour-scheme name of the current visual style; there is none here.
QString CurrentThemeColorName();

// Parts and states of the classes we draw.
inline constexpr int BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3;
inline constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5;
// Radio buttons and check boxes: unchecked 1-4, checked 5-8, mixed 9-12, each in the order normal,
// hot, pressed, disabled.
inline constexpr int CBS_UNCHECKEDNORMAL = 1, CBS_CHECKEDNORMAL = 5, CBS_MIXEDNORMAL = 9;
inline constexpr int RBS_UNCHECKEDNORMAL = 1, RBS_CHECKEDNORMAL = 5;
inline constexpr int CP_DROPDOWNBUTTON = 1;
inline constexpr int CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4;
inline constexpr int SPNP_UP = 1, SPNP_DOWN = 2, SPNP_UPHORZ = 3, SPNP_DOWNHORZ = 4;
inline constexpr int UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4;
// The tree's expand glyph, closed and opened.
inline constexpr int TVP_GLYPH = 2, TVP_HOTGLYPH = 4;
inline constexpr int GLPS_CLOSED = 1, GLPS_OPENED = 2;

// The column header: its item (also the header's empty background) and the sort arrow.
inline constexpr int HP_HEADERITEM = 1, HP_HEADERSORTARROW = 4;
inline constexpr int HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3;
// The progress bar: its frame and the filled chunk (state 1 for both).
inline constexpr int PP_BAR = 1, PP_CHUNK = 3;
inline constexpr int HSAS_SORTEDUP = 1, HSAS_SORTEDDOWN = 2;

enum class TThemeClass : uint8_t { None, Button, ComboBox, Spin, TreeView, Header, Progress };

// The theme data of one class for one window; false when themes are off or the class is not one
// we draw.
class TThemeData {
public:
    TThemeData() = default;
    TThemeData(TThemeClass cls, QWidget* window) : class_(cls), window_(window) {}
    explicit operator bool() const { return class_ != TThemeClass::None; }
    TThemeClass Class() const { return class_; }
    QWidget* Window() const { return window_; }

private:
    TThemeClass class_ = TThemeClass::None;
    QWidget* window_ = nullptr;
};

// `classList` is a class name ("button", "combobox", "spin", "treeview", "header", "progress"), compared without regard
// to case.
// The window's style draws (the application's when the window is null).
TThemeData OpenThemeData(QWidget* window, QStringView classList);
// Draws the part in its state into r; false (nothing drawn) for a null theme or an unknown part or
// state.
bool DrawThemeBackground(const TThemeData& theme, TCanvas& canvas, int part, int state, const TRect& r);
// The size a part takes of its own; an empty size for a part that has none.
QSize GetThemePartSize(const TThemeData& theme, int part, int state);

// Frame controls of the classic look.
inline constexpr unsigned DFC_SCROLL = 3, DFC_BUTTON = 4;
inline constexpr unsigned DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTONPUSH = 0x0010;
inline constexpr unsigned DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001, DFCS_SCROLLLEFT = 0x0002;
inline constexpr unsigned DFCS_SCROLLRIGHT = 0x0003, DFCS_SCROLLCOMBOBOX = 0x0005;
inline constexpr unsigned DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400;
inline constexpr unsigned DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000;

// Draws the frame control of `type` and `state` in r; with DFCS_ADJUSTRECT r becomes the inside of
// a push button's edge. False for a type or kind it does not know.
bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state);

// 3D edges: the outer ring, then the inner one.
inline constexpr unsigned BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8;
inline constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr unsigned BF_MIDDLE = 0x0800, BF_ADJUST = 0x2000;

// The rings of `edge` on the sides of `flags`: light colours left and top, dark ones right and
// bottom (the dark lines own the bottom-left and top-right corners); BF_MIDDLE fills the inside
// with the button face; BF_ADJUST leaves r as the inside.
void DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags);

}  // namespace plat
