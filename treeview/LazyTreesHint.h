#pragma once
// The tree's hints: what a hint request carries, the tree's hint data, and the hint window that
// renders a hint into an off-screen picture and fades or slides it in over what the screen showed.
// The pause before a hint comes and its hiding on a move out of its rectangle, a click or a time-out
// follow the platform's tool-tip rules; the tree decides what is shown and where.
#include <QBasicTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include "platform/Canvas.h"
#include "treeview/LazyTreesTypes.h"

class TBaseLazyTree;
class TLazyTreeHintWindow;

enum class TLTTooltipLineBreakStyle : uint8_t { hlbDefault, hlbForceSingleLine, hlbForceMultiLine };
enum class TLTHintKind : uint8_t { vhkText, vhkOwnerDraw };

// What a tree hands its hint window: who asked, for what, and the text finally shown.
struct TLTHintData {
    TBaseLazyTree* Tree = nullptr;
    PLazyNode Node = nullptr;  // nil for header and control hints
    TColumnIndex Column = NoColumn;
    plat::TRect HintRect;  // the owner-drawn size, empty otherwise
    QString DefaultHint;   // wins over the node texts (a column's hint, the short hint)
    QString HintText;
    bool RightToLeft = false;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TLTTooltipLineBreakStyle LineBreakStyle = TLTTooltipLineBreakStyle::hlbDefault;
};

// A class of hint window: makes a TLazyTreeHintWindow or a window derived from it. The empty class is
// the platform's plain tool tip.
struct THintWindowClass {
    TLazyTreeHintWindow* (*Create)(TBaseLazyTree* Tree) = nullptr;
    explicit operator bool() const { return Create != nullptr; }
    friend bool operator==(const THintWindowClass&, const THintWindowClass&) = default;
};
template <class T>
THintWindowClass HintWindowClassOf() {
    return {[](TBaseLazyTree* Tree) -> TLazyTreeHintWindow* { return new T(Tree); }};
}

// The hint request as the platform's hint manager hands it to the control; the control may change
// every field.
struct TLTHintInfo {
    THintWindowClass HintWindowClass;  // empty: the plain tool tip
    QPoint HintPos;                    // screen
    plat::TRect CursorRect;            // client; the hint stays while the mouse stays inside
    QPoint CursorPos;                  // client
    QString HintStr;
    int HintMaxWidth = 0;
    const TLTHintData* HintData = nullptr;
};

// Set while a hint window is destroyed (or a tree's window goes during an animation), cleared when
// one is made or hidden: a running animation stops when it finds it set.
extern bool HintWindowDestroyed;

class TLazyTreeHintWindow : public QWidget {
    Q_OBJECT
public:
    explicit TLazyTreeHintWindow(TBaseLazyTree* Tree);
    ~TLazyTreeHintWindow() override;

    // The window's size for a hint; AData is the tree's hint data (nil: empty). A node tooltip is
    // laid over its cell text, one pixel larger on every side, from (-1, -1).
    virtual plat::TRect CalcHintRect(int MaxWidth, const QString& AHint, const TLTHintData* AData);
    // Shows the window at Rect (screen), kept on the screen's available area, faded or slid in by
    // the tree's animation type; an empty Rect, or a cursor outside the tree's last hint rectangle,
    // cancels the hint instead.
    virtual void ActivateHint(plat::TRect Rect, const QString& AHint);
    // Whether an event hides the hint: mouse buttons and the wheel do, keys and moves over the
    // frame do not while it shows.
    virtual bool IsHintMsg(const QEvent& Event) const;

    const TLTHintData& HintData() const { return FHintData; }
    int TextHeight() const { return FTextHeight; }
    // What the window shows now.
    const QImage& Shown() const { return FShown; }
    // Where the mouse may go without hiding the hint (screen).
    void SetCursorRect(const QRect& Global) { FCursorRect = Global; }

protected:
    // Step 0 renders the hint into the draw buffer; then the buffer (or a blend or slide of it over
    // the background) becomes what the window shows. StepSize < 1 is the plain paint.
    virtual void InternalPaint(int Step, int StepSize);
    void Paint() { InternalPaint(0, 0); }
    bool AnimationStep(int Step, int StepSize);
    // What the screen shows under R (screen); a null image where the window system allows no grab.
    virtual QImage CaptureBackground(const QRect& R);
    THintAnimationType AnimationType() const { return FAnimation; }

    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    TLTHintData FHintData;
    QImage FBackground, FDrawBuffer, FTarget;
    QImage FShown;
    int FTextHeight = 0;

private:
    void RenderHint(plat::TCanvas& Canvas);
    void ShowFrame(const QImage& Frame);
    void Hide(bool LeftTheRectangle);
    plat::TCanvas FCanvas;
    QImage FMeasure;
    QRect FCursorRect;
    QBasicTimer FHideTimer;
    // The animation of the hint now showing: the tree's type, or none where the screen could not be
    // read or the animation did not run.
    THintAnimationType FAnimation = THintAnimationType::hatNone;
    // Hidden only to be moved: the hint data stays.
    bool FRepositioning = false;
};
