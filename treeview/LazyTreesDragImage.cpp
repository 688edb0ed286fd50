// The drag picture: prepared with a fading alpha channel, composed over the saved screen under it and
// moved by strips so only the newly covered screen is read.
#include "treeview/LazyTreesDragImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"

using enum TLTDragImageState;

namespace {

// The picture's own window: frameless, above everything, never taking the focus or the mouse.
class DragImageWindow final : public QWidget {
public:
    DragImageWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture);
    }
};

class WindowScreen final : public ILTDragImageScreen {
public:
    bool CanGrab() const override {
        // Only window systems that hand out the screen's pixels; elsewhere the window's alpha serves.
        const QString platform = QGuiApplication::platformName();
        return platform == QLatin1String("xcb") || platform == QLatin1String("offscreen");
    }
    QImage Grab(const QRect& R) override {
        QScreen* screen = QGuiApplication::screenAt(R.center());
        if (!screen) screen = QGuiApplication::primaryScreen();
        QImage result(R.size(), QImage::Format_ARGB32);
        result.fill(Qt::transparent);
        if (!screen) return result;
        const QRect geometry = screen->geometry();
        const QImage grabbed =
            screen->grabWindow(0, R.x() - geometry.x(), R.y() - geometry.y(), R.width(), R.height()).toImage();
        if (!grabbed.isNull()) {
            QPainter p(&result);
            p.drawImage(0, 0, grabbed);
        }
        return result;
    }
    void Put(const QImage&, QPoint) override {}
    void Present(const QImage& Image, QPoint At) override {
        if (!window_) window_ = std::make_unique<DragImageWindow>();
        window_->picture = Image;
        window_->setGeometry(QRect(At, Image.size()));
        window_->show();
        window_->update();
    }
    void Hide() override {
        if (window_) window_->hide();
    }

private:
    std::unique_ptr<DragImageWindow> window_;
};

QImage Blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(0);
    return image;
}

}  // namespace

TLTDragImage::TLTDragImage(TBaseLazyTree* Owner) : FOwner(Owner) {}

TLTDragImage::~TLTDragImage() { EndDrag(); }

void TLTDragImage::SetScreen(std::unique_ptr<ILTDragImageScreen> Screen) { FScreen = std::move(Screen); }

ILTDragImageScreen& TLTDragImage::Screen() {
    if (!FScreen) FScreen = std::make_unique<WindowScreen>();
    return *FScreen;
}

bool TLTDragImage::Visible() const {
    const TLTDragImageStates four{disHidden, disInDrag, disPrepared, disSystemSupport};
    return (FStates * four) == TLTDragImageStates{disInDrag, disPrepared};
}

void TLTDragImage::PrepareDrag(const QImage& DragImage, QPoint ImagePosition, QPoint HotSpot,
                               const QMimeData* DataObject) {
    if (DragImage.isNull()) return;
    FStates -= disSystemSupport;
    FSystemImage = QImage();
    if (!DataObject && !lazytree::DetectMMX()) return;
    const QSize size = DragImage.size();
    FLastPosition = HotSpot;
    FDragImage = Blank(size);
    FAlphaImage = Blank(size);
    FBackImage = Blank(size);
    const QImage source = DragImage.convertToFormat(QImage::Format_ARGB32);
    if (FPreBlendBias != 0)
        lazytree::BlendRect(&source, FDragImage, plat::Rect(0, 0, size.width(), size.height()), QPoint(0, 0), 0, 255,
                            FPreBlendBias);
    else
        FDragImage = source.copy();
    MakeAlphaChannel(source);
    if (DataObject) {
        // A platform drag carries its picture over every window, ours and others'; the cursor's place
        // in it is where the press was.
        // Only the part that shows: without a compositing window manager the platform's picture is an
        // opaque window, which must not hide more of the target than the dragged rows.
        const QImage picture = TranslucentPicture();
        int left = picture.width(), top = picture.height(), right = -1, bottom = -1;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if (qAlpha(line[x]) == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
        const QRect shown = right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
        FSystemImage = shown.isEmpty() ? QImage() : picture.copy(shown);
        FSystemHotSpot = HotSpot - ImagePosition - shown.topLeft();
        FDragImage = FAlphaImage = FBackImage = QImage();
        FStates += disSystemSupport;
        return;
    }
    FImagePosition = ImagePosition;
    FStates += TLTDragImageStates{disHidden, disInDrag, disPrepared};
}

QImage TLTDragImage::TranslucentPicture() const {
    const bool perPixel = FFade || FColorKey != plat::clNone;
    const int W = FDragImage.width(), H = FDragImage.height();
    QImage result = Blank(FDragImage.size());
    for (int y = 0; y < H; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(FDragImage.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const int a = (perPixel ? int(qAlpha(s[x])) : 255) * FTransparency / 255;
            d[x] = qRgba(qRed(s[x]), qGreen(s[x]), qBlue(s[x]), a);
        }
    }
    return result;
}

void TLTDragImage::MakeAlphaChannel(const QImage& Source) {
    const int W = FDragImage.width(), H = FDragImage.height();
    const double radius = std::max(W, H);
    const bool keyed = FColorKey != plat::clNone;
    const QRgb key = keyed ? (plat::ToQColor(FColorKey).rgb() & 0xFFFFFFu) : 0;
    for (int y = 0; y < H; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(Source.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(FDragImage.scanLine(y));
        for (int x = 0; x < W; ++x) {
            int alpha = 0;
            if (!keyed || (s[x] & 0xFFFFFFu) != key) {
                const double dx = (x - W / 2) / radius, dy = (y - H / 2) / radius;
                alpha = int(std::lround(255.0 * std::exp(-8.0 * std::sqrt(dx * dx + dy * dy))));
            }
            d[x] = (d[x] & 0xFFFFFFu) | (QRgb(alpha) << 24);
        }
    }
}

void TLTDragImage::InternalShowDragImage() {
    const bool perPixel = FFade || FColorKey != plat::clNone;
    const int W = FDragImage.width(), H = FDragImage.height();
    if (Screen().CanGrab()) {
        FAlphaImage = FBackImage.copy();
        lazytree::BlendRect(&FDragImage, FAlphaImage, plat::Rect(0, 0, W, H), QPoint(0, 0), perPixel ? 2 : 0,
                            FTransparency, FPostBlendBias);
        // What is shown covers the screen completely: the blend already holds what lay under it.
        for (int y = 0; y < H; ++y) {
            QRgb* d = reinterpret_cast<QRgb*>(FAlphaImage.scanLine(y));
            for (int x = 0; x < W; ++x) d[x] |= 0xFF000000u;
        }
    } else {
        // Nothing to blend onto: the window's alpha lets the screen show through.
        FAlphaImage = TranslucentPicture();
    }
    Screen().Present(FAlphaImage, FImagePosition);
}

void TLTDragImage::ShowDragImage() {
    const TLTDragImageStates four{disHidden, disInDrag, disPrepared, disSystemSupport};
    if ((FStates * four) != TLTDragImageStates{disHidden, disInDrag, disPrepared}) return;
    FStates -= disHidden;
    if (Screen().CanGrab()) FBackImage = Screen().Grab(QRect(FImagePosition, FDragImage.size()));
    InternalShowDragImage();
}

void TLTDragImage::HideDragImage() {
    if (!Visible()) return;
    FStates += disHidden;
    Screen().Put(FBackImage, FImagePosition);
    Screen().Hide();
}

bool TLTDragImage::WillMove(QPoint P) const {
    if (!Visible()) return false;
    switch (FRestriction) {
    case TLTDragMoveRestriction::dmrHorizontalOnly: return P.x() != FLastPosition.x();
    case TLTDragMoveRestriction::dmrVerticalOnly: return P.y() != FLastPosition.y();
    case TLTDragMoveRestriction::dmrNone: break;
    }
    return P != FLastPosition;
}

bool TLTDragImage::DragTo(QPoint P, bool ForceRepaint) {
    int deltaX = FLastPosition.x() - P.x(), deltaY = FLastPosition.y() - P.y();
    if (FRestriction == TLTDragMoveRestriction::dmrHorizontalOnly) deltaY = 0;
    if (FRestriction == TLTDragMoveRestriction::dmrVerticalOnly) deltaX = 0;
    if (deltaX == 0 && deltaY == 0 && !ForceRepaint) return false;
    if (Visible()) {
        ILTDragImageScreen& screen = Screen();
        const int W = FDragImage.width(), H = FDragImage.height();
        if (std::abs(deltaX) >= W || std::abs(deltaY) >= H || ForceRepaint) {
            // The old and new places do not overlap: restore the old one, read the new one whole.
            screen.Put(FBackImage, FImagePosition);
            if (ForceRepaint && FOwner) FOwner->repaint();
            FImagePosition -= QPoint(deltaX, deltaY);
            if (screen.CanGrab()) FBackImage = screen.Grab(QRect(FImagePosition, FDragImage.size()));
        } else {
            plat::TRect restoreA, restoreB, fetchA, fetchB, scroll, clip;
            lazytree::SplitMovedPicture(W, H, deltaX, deltaY, restoreA, restoreB, fetchA, fetchB, scroll, clip);
            auto strip = [](const plat::TRect& s) { return QRect(s.Left, s.Top, s.Right, s.Bottom); };
            for (const plat::TRect* r : {&restoreA, &restoreB}) {
                const QRect s = strip(*r);
                if (!s.isEmpty()) screen.Put(FBackImage.copy(s), FImagePosition + s.topLeft());
            }
            // The part both places share moves along inside the saved background.
            const QImage old = FBackImage.copy();
            {
                QPainter p(&FBackImage);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                const QRect from = scroll.toQRect().intersected(clip.toQRect());
                const QRect to = from.translated(deltaX, deltaY).intersected(clip.toQRect());
                p.drawImage(to.topLeft(), old, to.translated(-deltaX, -deltaY));
            }
            FImagePosition -= QPoint(deltaX, deltaY);
            if (screen.CanGrab()) {
                QPainter p(&FBackImage);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                for (const plat::TRect* r : {&fetchA, &fetchB}) {
                    const QRect s = strip(*r);
                    if (!s.isEmpty()) p.drawImage(s.topLeft(), screen.Grab(s.translated(FImagePosition)));
                }
            }
        }
        InternalShowDragImage();
    }
    FLastPosition = P;
    return true;
}

void TLTDragImage::EndDrag() {
    HideDragImage();
    FStates -= TLTDragImageStates{disInDrag, disPrepared, disSystemSupport};
    FSystemImage = QImage();
    FBackImage = QImage();
    FAlphaImage = QImage();
    FDragImage = QImage();
}

QRect TLTDragImage::GetDragImageRect() const {
    if (!Visible()) return QRect(0, 0, 0, 0);
    return QRect(FImagePosition, FBackImage.size());
}

void TLTDragImage::RecaptureBackground(const QRect& R, const QImage& Picture, bool ReshowDragImage) {
    if (!Visible()) return;
    const QRect s = R.intersected(GetDragImageRect());
    if (!s.isEmpty()) {
        QPainter p(&FBackImage);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(s.topLeft() - FImagePosition, Picture, QRect(s.topLeft() - R.topLeft(), s.size()));
    }
    if (ReshowDragImage) InternalShowDragImage();
}

// ---- Tree side ----

void TBaseLazyTree::PrepareDragImage(QPoint HotSpot, const QMimeData* DataObject) {
    if (!CanShowDragImage()) return;
    const QPoint P(HotSpot.x() + int(FEffectiveOffsetX), HotSpot.y() - int(FOffsetY));
    plat::TRect R = plat::Rect(P.x() - DragWidth / 2, P.y() - DragHeight / 2, P.x() + DragWidth / 2, P.y() + DragHeight / 2);
    // A hot spot near the left or top edge leaves the part outside the tree as background.
    plat::TRect window = R;
    QPoint target(0, 0);
    if (window.Left < 0) {
        target.setX(-R.Left);
        window.Left = 0;
    }
    if (window.Top < 0) {
        target.setY(-R.Top);
        window.Top = 0;
    }
    const plat::TColor background = Colors().BackGroundColor();
    QImage picture(std::max(1, R.Width()), std::max(1, R.Height()), QImage::Format_ARGB32);
    picture.fill(plat::ToQColor(background));
    {
        plat::TCanvas canvas(&picture);
        TLTInternalPaintOptions options{TLTInternalPaintOption::poDrawSelection, TLTInternalPaintOption::poSelectedOnly};
        if (DragImageKind == TLTDragImageKind::diMainColumnOnly) options += TLTInternalPaintOption::poMainOnly;
        PaintTree(canvas, window, target, options);
    }
    const QPoint clientTopLeft(R.Left - int(FEffectiveOffsetX), R.Top + int(FOffsetY));
    FDragImage->SetColorKey(background);
    FDragImage->PrepareDrag(picture, viewport()->mapToGlobal(clientTopLeft), viewport()->mapToGlobal(HotSpot),
                            DataObject);
}

void TBaseLazyTree::UpdateWindowAndDragImage(TBaseLazyTree* Tree, QRect TreeRect, bool, bool ReshowDragImage) {
    TreeRect = TreeRect.intersected(viewport()->rect());
    if (TreeRect.isEmpty() || !Tree) return;
    TLTDragImage& image = Tree->DragImage();
    if (image.Visible()) {
        // The area under the picture is painted into its saved background, not onto the window.
        const QRect onScreen(viewport()->mapToGlobal(TreeRect.topLeft()), TreeRect.size());
        QImage picture(TreeRect.size(), QImage::Format_ARGB32);
        picture.fill(plat::ToQColor(Colors().BackGroundColor()));
        {
            plat::TCanvas canvas(&picture);
            const plat::TRect window = plat::Rect(TreeRect.left() - int(FOffsetX), TreeRect.top() - int(FOffsetY),
                                     TreeRect.right() + 1 - int(FOffsetX), TreeRect.bottom() + 1 - int(FOffsetY));
            PaintTree(canvas, window, QPoint(0, 0),
                      {TLTInternalPaintOption::poBackground, TLTInternalPaintOption::poColumnColor,
                       TLTInternalPaintOption::poDrawFocusRect, TLTInternalPaintOption::poDrawSelection,
                       TLTInternalPaintOption::poDrawDropMark, TLTInternalPaintOption::poGridLines});
        }
        image.RecaptureBackground(onScreen, picture, ReshowDragImage);
    }
    viewport()->repaint(TreeRect);
}
