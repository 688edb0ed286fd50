#pragma once
// The translucent picture that follows the mouse while rows or a header column are dragged. The
// picture is composed over a copy of the screen under it and shown in a frameless window of its own
// that moves with the mouse; where the window system allows no screen grab, the window's own alpha
// lets the screen show through instead.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <memory>

#include "platform/Colors.h"
#include "treeview/LazyTreesTypes.h"

class QMimeData;
class TBaseLazyTree;

enum class TLTDragMoveRestriction : uint8_t { dmrNone, dmrHorizontalOnly, dmrVerticalOnly };
enum class TLTDragImageState : uint8_t { disHidden, disInDrag, disPrepared, disSystemSupport };
using TLTDragImageStates = TSet<TLTDragImageState, uint8_t>;

// Where the picture goes: grabbing what lies under it, putting saved parts back and presenting the
// composed picture. The default draws through a frameless, topmost window.
class ILTDragImageScreen {
public:
    virtual ~ILTDragImageScreen() = default;
    // Whether Grab answers the real screen contents.
    virtual bool CanGrab() const = 0;
    // The screen contents of R (screen coordinates), 32-bit.
    virtual QImage Grab(const QRect& R) = 0;
    // Puts a saved part of the screen back at its place (a window of our own needs nothing here).
    virtual void Put(const QImage& Image, QPoint At) = 0;
    // Shows the composed picture with its top-left at At.
    virtual void Present(const QImage& Image, QPoint At) = 0;
    virtual void Hide() = 0;
};

class TLTDragImage {
public:
    explicit TLTDragImage(TBaseLazyTree* Owner);
    ~TLTDragImage();
    TLTDragImage(const TLTDragImage&) = delete;
    TLTDragImage& operator=(const TLTDragImage&) = delete;

    // Sets up the picture: a 32-bit image, its top-left and the hot spot in screen coordinates. With
    // the data object of a platform drag, the platform draws the picture (SystemImage) and this
    // object draws nothing.
    void PrepareDrag(const QImage& DragImage, QPoint ImagePosition, QPoint HotSpot,
                     const QMimeData* DataObject = nullptr);
    // The picture the platform's drag shows, with its alpha and cut to its visible part, and the
    // cursor's place in it; null unless the platform draws it.
    const QImage& SystemImage() const { return FSystemImage; }
    QPoint SystemHotSpot() const { return FSystemHotSpot; }
    void ShowDragImage();
    void HideDragImage();
    // Moves the picture with the mouse; true when it moved or ForceRepaint was given.
    bool DragTo(QPoint P, bool ForceRepaint = false);
    bool WillMove(QPoint P) const;
    void EndDrag();
    QRect GetDragImageRect() const;
    // Replaces the saved screen under R (screen coordinates) with Picture (R's size) and shows the
    // picture again when asked: the tree under the picture repainted.
    void RecaptureBackground(const QRect& R, const QImage& Picture, bool ReshowDragImage);

    bool Visible() const;
    TLTDragImageStates States() const { return FStates; }
    int Transparency() const { return FTransparency; }
    void SetTransparency(int Value) { FTransparency = uint8_t(std::clamp(Value, 0, 255)); }
    int PreBlendBias() const { return FPreBlendBias; }
    void SetPreBlendBias(int Value) { FPreBlendBias = int8_t(std::clamp(Value, -128, 127)); }
    int PostBlendBias() const { return FPostBlendBias; }
    void SetPostBlendBias(int Value) { FPostBlendBias = int8_t(std::clamp(Value, -128, 127)); }
    bool Fade() const { return FFade; }
    void SetFade(bool Value) { FFade = Value; }
    TLTDragMoveRestriction MoveRestriction() const { return FRestriction; }
    void SetMoveRestriction(TLTDragMoveRestriction Value) { FRestriction = Value; }
    plat::TColor ColorKey() const { return FColorKey; }
    void SetColorKey(plat::TColor Value) { FColorKey = Value; }

    // The picture with its alpha channel, and the picture as last shown (for tests and screenshots).
    const QImage& DragImage() const { return FDragImage; }
    const QImage& BackImage() const { return FBackImage; }
    const QImage& AlphaImage() const { return FAlphaImage; }
    QPoint ImagePosition() const { return FImagePosition; }
    // Replaces where the picture is drawn (owned).
    void SetScreen(std::unique_ptr<ILTDragImageScreen> Screen);
    ILTDragImageScreen& Screen();

private:
    void MakeAlphaChannel(const QImage& Source);
    // The picture with its own alpha: the fade or key times the constant opacity.
    QImage TranslucentPicture() const;
    void InternalShowDragImage();

    TBaseLazyTree* FOwner;
    QImage FBackImage, FAlphaImage, FDragImage, FSystemImage;
    QPoint FSystemHotSpot;
    QPoint FImagePosition, FLastPosition;
    uint8_t FTransparency = 128;
    int8_t FPreBlendBias = 0, FPostBlendBias = 0;
    bool FFade = false;
    TLTDragMoveRestriction FRestriction = TLTDragMoveRestriction::dmrNone;
    plat::TColor FColorKey = plat::clNone;
    TLTDragImageStates FStates;
    std::unique_ptr<ILTDragImageScreen> FScreen;
};
