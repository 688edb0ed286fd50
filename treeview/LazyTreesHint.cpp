// Hints and tooltips: the tree's answer to a hint request (a column's hint over the header, a node
// hint, or a tooltip laid exactly over a clipped cell text), the sizing and rendering of the hint
// window, and its fade and slide on the tree's animation engine.
#include "treeview/LazyTreesHint.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "platform/Guard.h"
#include "platform/Themes.h"
#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using plat::TRect;

bool HintWindowDestroyed = false;

namespace {

// Where the platform's tool tip stands relative to the cursor.
const QPoint TipOffset(2, 16);

bool Contains(const TRect& R, QPoint P) {
    return P.x() >= R.Left && P.x() < R.Right && P.y() >= R.Top && P.y() < R.Bottom;
}

int MulDiv(int Number, int Numerator, int Denominator) {
    return int(std::lround(double(Number) * Numerator / Denominator));
}

// The one hint window of the process and the class it was made of.
struct SharedWindow {
    QPointer<TLazyTreeHintWindow> window;
    THintWindowClass cls;
};
SharedWindow& Shared() {
    static SharedWindow shared;
    return shared;
}

// The hint window of the class for the tree: the one there is when it is of that class, moved to
// the tree, else a new one.
TLazyTreeHintWindow* HintWindowFor(const THintWindowClass& Class, TBaseLazyTree* Tree) {
    SharedWindow& s = Shared();
    if (s.window && !(s.cls == Class)) {
        s.window->hide();
        s.window->deleteLater();
        s.window = nullptr;
    }
    if (!s.window) {
        s.window = Class.Create(Tree);
        s.cls = Class;
    } else if (s.window->parentWidget() != Tree) {
        // The window belongs to the tree it shows for, so it goes with it.
        s.window->setParent(Tree, s.window->windowFlags());
    }
    return s.window;
}

// The shown hint window when it shows for Tree (any tree for nil).
TLazyTreeHintWindow* ShownHintWindowOf(const TBaseLazyTree* Tree) {
    TLazyTreeHintWindow* w = Shared().window;
    if (!w || !w->isVisible()) return nullptr;
    if (Tree && w->HintData().Tree != Tree) return nullptr;
    return w;
}

}  // namespace

// ---- The hint window ----

TLazyTreeHintWindow::TLazyTreeHintWindow(TBaseLazyTree* Tree)
    : QWidget(Tree,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      FMeasure(1, 1, QImage::Format_ARGB32) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    FCanvas.SetDevice(&FMeasure);
    HintWindowDestroyed = false;
}

TLazyTreeHintWindow::~TLazyTreeHintWindow() {
    HintWindowDestroyed = true;
    FCanvas.SetDevice(nullptr);
}

TRect TLazyTreeHintWindow::CalcHintRect(int MaxWidth, const QString& AHint, const TLTHintData* AData) {
    if (!AData || !AData->Tree) return {};
    setLayoutDirection(Qt::LeftToRight);
    FHintData = *AData;
    TBaseLazyTree* tree = FHintData.Tree;
    PLazyNode node = FHintData.Node;
    const TColumnIndex column = FHintData.Column;
    if (node && !FHintData.HintRect.IsEmpty()) return FHintData.HintRect;

    TLazyTreeColumns& columns = tree->Header().Columns();
    const bool inColumn = column >= 0 && columns.IsValidColumn(column);
    FHintData.RightToLeft = inColumn ? columns[column].UseRightToLeftReading() : tree->UseRightToLeftReading();
    FHintData.Alignment = inColumn ? columns[column].Alignment() : tree->Alignment();
    if (FHintData.RightToLeft) {
        if (FHintData.Alignment == TAlignment::taLeftJustify)
            FHintData.Alignment = TAlignment::taRightJustify;
        else if (FHintData.Alignment == TAlignment::taRightJustify)
            FHintData.Alignment = TAlignment::taLeftJustify;
    }

    const bool nodeTooltip = node && tree->HintMode == TLTHintMode::hmTooltip;
    if (nodeTooltip) {
        FCanvas.Font().Assign(tree->Font());
        // The application's text styling applies to the tooltip as to the cell.
        if (auto* strings = dynamic_cast<TCustomLazyStringTree*>(tree))
            strings->DoPaintText(node, &FCanvas, column, TVSTTextType::ttNormal);
    } else {
        FCanvas.Font().AssignQFont(QToolTip::font());
    }
    FTextHeight = QFontMetrics(FCanvas.Font().ToQFont()).height();

    FHintData.LineBreakStyle = TLTTooltipLineBreakStyle::hlbDefault;
    if (!FHintData.DefaultHint.isEmpty())
        FHintData.HintText = FHintData.DefaultHint;
    else if (!node)
        FHintData.HintText.clear();
    else if (tree->HintMode == TLTHintMode::hmTooltip)
        FHintData.HintText = tree->DoGetNodeTooltip(node, column, FHintData.LineBreakStyle);
    else
        FHintData.HintText = tree->DoGetNodeHint(node, column, FHintData.LineBreakStyle);
    if (FHintData.HintText.isEmpty()) return {};

    if (!nodeTooltip) {
        TRect r{0, 0, std::max(MaxWidth, 1), FTextHeight};
        FCanvas.DrawText(FHintData.HintText, r, plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_NOPREFIX);
        r.Bottom += 6;
        r.Right += tree->TextMargin() + FTextHeight;
        return r;
    }

    if (FHintData.LineBreakStyle == TLTTooltipLineBreakStyle::hlbDefault)
        FHintData.LineBreakStyle = node->States.Contains(TLazyNodeState::vsMultiline)
                                       ? TLTTooltipLineBreakStyle::hlbForceMultiLine
                                       : TLTTooltipLineBreakStyle::hlbForceSingleLine;
    TRect r;
    if (FHintData.LineBreakStyle == TLTTooltipLineBreakStyle::hlbForceMultiLine) {
        r = tree->GetDisplayRect(node, column, true, false, false);
        TRect t = r;
        FCanvas.DrawText(FHintData.HintText, t, plat::DT_CALCRECT | plat::DT_WORDBREAK);
        if (FHintData.RightToLeft)
            r.Left = t.Left - tree->TextMargin() + 1;
        else
            r.Right = t.Right + tree->TextMargin();
        r.Bottom = t.Bottom;
        r.Right += 1;
        // Wrapped text that fits where it stands needs no tooltip.
        if (tree->Header().UseColumns() && inColumn) {
            const int clientW = tree->viewport()->width(), clientH = tree->viewport()->height();
            if (int(tree->NodeHeight(node)) + 2 >= r.Height() && columns[column].Width() + 2 >= r.Width() &&
                r.Left >= 0 && r.Right <= clientW + 3 && r.Top >= 0 && r.Bottom <= clientH + 3)
                return {};
        }
    } else {
        r = tree->FLastHintRect;
        if (tree->TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowHorzGridLines)) --r.Bottom;
    }
    // One pixel larger on every side, from (-1, -1): offset by the hint position it lies over the text.
    return TRect{-1, -1, r.Width() + 1, r.Height() + 1};
}

QImage TLazyTreeHintWindow::CaptureBackground(const QRect& R) {
    QScreen* screen = QGuiApplication::screenAt(R.center());
    if (!screen && FHintData.Tree) screen = FHintData.Tree->screen();
    if (!screen) return {};
    const QPoint origin = screen->geometry().topLeft();
    const QPixmap grab = screen->grabWindow(0, R.x() - origin.x(), R.y() - origin.y(), R.width(), R.height());
    if (grab.isNull() || grab.size() != R.size()) return {};
    return grab.toImage().convertToFormat(QImage::Format_ARGB32);
}

void TLazyTreeHintWindow::ActivateHint(TRect Rect, const QString& AHint) {
    TBaseLazyTree* tree = FHintData.Tree;
    if (Rect.IsEmpty() || !tree || !Contains(tree->FLastHintRect, tree->CursorPos())) {
        // The application's hint is cancelled.
        QToolTip::hideText();
        Hide(false);
        return;
    }
    const bool wasAnimating = tree->TreeStates().Contains(tsInAnimation);
    // A new animation may start inside the one running.
    if (wasAnimating) tree->DoStateChange({}, {tsInAnimation});

    // Kept on the screen's available area.
    QRect r = Rect.toQRect();
    QScreen* screen = QGuiApplication::screenAt(r.topLeft());
    if (!screen) screen = tree->screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
        if (r.right() > area.right()) r.moveRight(area.right());
        if (r.top() < area.top()) r.moveTop(area.top());
        if (r.left() < area.left()) r.moveLeft(area.left());
    }
    // Moved hidden, so the background taken below is the screen's and not the last hint.
    if (isVisible()) {
        FRepositioning = true;
        hide();
        FRepositioning = false;
    }
    setGeometry(r);

    THintAnimationType animation = tree->GetAnimationType();
    FDrawBuffer = QImage(r.size(), QImage::Format_ARGB32);
    FTarget = QImage(r.size(), QImage::Format_ARGB32);
    FBackground = QImage();
    if (animation == THintAnimationType::hatFade || animation == THintAnimationType::hatSlide) {
        tree->repaint();
        FBackground = CaptureBackground(r);
        // Without the screen's picture the hint shows at once.
        if (FBackground.isNull() || FBackground.size() != r.size()) animation = THintAnimationType::hatNone;
    }
    FAnimation = animation;
    FShown = QImage();

    show();
    qApp->installEventFilter(this);
    const int length = int(FHintData.HintText.size());
    FHideTimer.start(10000 + 40 * std::max(0, length - 100), this);

    if (animation == THintAnimationType::hatNone) {
        Paint();
        return;
    }
    int steps = 0;
    QPointer<TLazyTreeHintWindow> self(this);
    const uint32_t duration = tree->AnimationDuration();
    const auto step = [&steps, self](int Step, int StepSize) {
        ++steps;
        return self && self->AnimationStep(Step, StepSize);
    };
    if (animation == THintAnimationType::hatFade)
        tree->Animate(255, 2 * duration, step);
    else
        tree->Animate(uint32_t(r.height()), duration, step);
    if (!self) return;
    // An animation that did not run (no duration) leaves the hint to show at once.
    if (steps == 0) {
        FAnimation = THintAnimationType::hatNone;
        Paint();
    }
    if (wasAnimating && !HintWindowDestroyed && FHintData.Tree) FHintData.Tree->DoStateChange({tsCancelHintAnimation});
}

bool TLazyTreeHintWindow::AnimationStep(int Step, int StepSize) {
    TBaseLazyTree* tree = FHintData.Tree;
    if (HintWindowDestroyed || !isVisible() || !tree || tree->TreeStates().Contains(tsCancelHintAnimation))
        return false;
    InternalPaint(Step, StepSize);
    // Pending input runs between the steps: a new hint may be asked for meanwhile.
    QCoreApplication::processEvents();
    return true;
}

void TLazyTreeHintWindow::RenderHint(plat::TCanvas& Canvas) {
    TBaseLazyTree* tree = FHintData.Tree;
    PLazyNode node = FHintData.Node;
    TRect r{0, 0, FDrawBuffer.width(), FDrawBuffer.height()};
    int y = 2;
    const bool nodeTooltip = node && tree->HintMode == TLTHintMode::hmTooltip;
    if (nodeTooltip) {
        plat::TFont font = tree->Font();
        TRect textRect;
        QString text;
        if (auto* strings = dynamic_cast<TCustomLazyStringTree*>(tree))
            strings->GetTextInfo(node, FHintData.Column, font, textRect, text);
        Canvas.Font().Assign(font);
        y = FHintData.LineBreakStyle == TLTTooltipLineBreakStyle::hlbForceMultiLine
                ? 1
                : (textRect.Top + FDrawBuffer.height() - textRect.Bottom) / 2;
    } else {
        Canvas.Font().AssignQFont(QToolTip::font());
    }
    TLTHintKind kind = TLTHintKind::vhkText;
    if (node) tree->DoGetHintKind(node, FHintData.Column, kind);
    if (kind == TLTHintKind::vhkOwnerDraw) {
        tree->DoDrawHint(Canvas, node, r, FHintData.Column);
        return;
    }
    Canvas.Font().SetColor(plat::clInfoText);
    Canvas.Pen().SetColor(plat::clBlack);
    Canvas.Brush().SetColor(plat::clInfoBk);
    const auto paint = tree->TreeOptions().PaintOptions();
    const bool explorer = paint.Contains(TLTPaintOption::toUseExplorerTheme);
    const bool themed = lazytree::InitializeTreeGlobals().isVistaOrAbove && plat::IsThemeActive() &&
                        (paint.Contains(TLTPaintOption::toThemeAware) || explorer);
    if (QPainter* p = themed ? Canvas.Painter() : nullptr) {
        // The style's tool-tip panel; unless it is the explorer look, its own frame is left outside
        // and the tool-tip edge drawn around the hint.
        QStyleOptionFrame option;
        option.initFrom(this);
        option.palette = QToolTip::palette();
        option.rect = explorer ? r.toQRect() : r.toQRect().adjusted(-4, -4, 4, 4);
        p->save();
        p->setClipRect(r.toQRect());
        style()->drawPrimitive(QStyle::PE_PanelTipLabel, &option, p, this);
        p->restore();
        if (!explorer) {
            p->save();
            p->setPen(QToolTip::palette().color(QPalette::ToolTipText));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.toQRect().adjusted(0, 0, -1, -1));
            p->restore();
        }
    } else {
        Canvas.Rectangle(r);
    }
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    r.Top = y;
    r.Left += 3;
    // A plain hint was measured wrapped at the maximum width: it is drawn the same way.
    unsigned format = plat::DT_NOPREFIX;
    if (!nodeTooltip || FHintData.LineBreakStyle == TLTTooltipLineBreakStyle::hlbForceMultiLine)
        format |= plat::DT_WORDBREAK;
    Canvas.DrawText(FHintData.HintText, r, format);
}

void TLazyTreeHintWindow::InternalPaint(int Step, int StepSize) {
    if (FDrawBuffer.isNull() || !FHintData.Tree) return;
    if (Step == 0) {
        FDrawBuffer.fill(plat::ToQColor(plat::clInfoBk));
        plat::TCanvas canvas(&FDrawBuffer);
        RenderHint(canvas);
    }
    const int h = FDrawBuffer.height();
    if (StepSize < 1) {
        if (FAnimation != THintAnimationType::hatFade) ShowFrame(FDrawBuffer);
        return;
    }
    if (FAnimation == THintAnimationType::hatFade) {
        FTarget = FBackground.copy();
        // MulDiv(255, 256, 255) would be 256, which a byte's alpha cannot hold: full is 255.
        const int alpha = std::min(MulDiv(Step, 256, 255), 255);
        lazytree::BlendRect(&FDrawBuffer, FTarget, TRect{0, 0, FDrawBuffer.width(), h}, QPoint(0, 0), 0, alpha, 0);
        ShowFrame(FTarget);
    } else if (FAnimation == THintAnimationType::hatSlide) {
        // The hint slides down out of its top edge over the background.
        const int rows = std::clamp(Step, 0, h);
        FTarget = FBackground.copy();
        QPainter p(&FTarget);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (rows > 0) p.drawImage(QPoint(0, 0), FDrawBuffer, QRect(0, h - rows, FDrawBuffer.width(), rows));
        p.end();
        ShowFrame(FTarget);
    } else {
        ShowFrame(FDrawBuffer);
    }
}

void TLazyTreeHintWindow::ShowFrame(const QImage& Frame) {
    FShown = Frame;
    if (isVisible()) repaint();
}

void TLazyTreeHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (FShown.isNull())
        p.fillRect(rect(), plat::ToQColor(plat::clInfoBk));
    else
        p.drawImage(QPoint(0, 0), FShown);
}

void TLazyTreeHintWindow::Hide(bool LeftTheRectangle) {
    // The mouse left the hint's rectangle: the tree may show a hint there again.
    if (LeftTheRectangle && FHintData.Tree) FHintData.Tree->FLastHintRect = {};
    hide();
}

void TLazyTreeHintWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    FHideTimer.stop();
    qApp->removeEventFilter(this);
    if (FRepositioning) return;
    FHintData = TLTHintData{};
    HintWindowDestroyed = false;
}

void TLazyTreeHintWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == FHideTimer.timerId()) {
        FHideTimer.stop();
        hide();
        return;
    }
    QWidget::timerEvent(event);
}

bool TLazyTreeHintWindow::IsHintMsg(const QEvent& Event) const {
    switch (Event.type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::NonClientAreaMouseMove:
            // Typing and moves over the frame leave a showing hint alone.
            return !isVisible();
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ApplicationDeactivate:
        case QEvent::WindowDeactivate:
            return true;
        default:
            return false;
    }
}

bool TLazyTreeHintWindow::eventFilter(QObject* Watched, QEvent* Event) {
    plat::guarded([&] {
        if (!isVisible()) return;
        if (Event->type() == QEvent::MouseMove) {
            const QPoint global = static_cast<QMouseEvent*>(Event)->globalPosition().toPoint();
            if (!FCursorRect.isEmpty() && !FCursorRect.contains(global)) Hide(true);
        } else if (IsHintMsg(*Event)) {
            Hide(false);
        }
    });
    return QWidget::eventFilter(Watched, Event);
}

// ---- The tree's side ----

QString TBaseLazyTree::ShortHint() const {
    const qsizetype bar = FHint.indexOf(u'|');
    return bar < 0 ? FHint : FHint.left(bar);
}

QString TBaseLazyTree::DoGetNodeHint(PLazyNode, TColumnIndex, TLTTooltipLineBreakStyle& LineBreakStyle) {
    LineBreakStyle = TLTTooltipLineBreakStyle::hlbDefault;
    return FHint;
}

QString TBaseLazyTree::DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column, TLTTooltipLineBreakStyle& LineBreakStyle) {
    return TBaseLazyTree::DoGetNodeHint(Node, Column, LineBreakStyle);
}

void TBaseLazyTree::DoGetHintKind(PLazyNode Node, TColumnIndex Column, TLTHintKind& Kind) {
    if (OnGetHintKind)
        OnGetHintKind(this, Node, Column, Kind);
    else
        Kind = GetDefaultHintKind();
}

void TBaseLazyTree::DoGetHintSize(PLazyNode Node, TColumnIndex Column, TRect& R) {
    if (OnGetHintSize) OnGetHintSize(this, Node, Column, R);
}

void TBaseLazyTree::DoDrawHint(TCanvas& Canvas, PLazyNode Node, const TRect& R, TColumnIndex Column) {
    if (OnDrawHint) {
        const TRect copy = R;
        OnDrawHint(this, Canvas, Node, copy, Column);
    }
}

THintWindowClass TBaseLazyTree::GetHintWindowClass() {
    return HintWindowClassOf<TLazyTreeHintWindow>();
}

THintAnimationType TBaseLazyTree::GetAnimationType() {
    THintAnimationType type = HintAnimation;
    if (type == THintAnimationType::hatSystemDefault) {
        if (!QApplication::isEffectEnabled(Qt::UI_AnimateTooltip))
            type = THintAnimationType::hatNone;
        else
            type = QApplication::isEffectEnabled(Qt::UI_FadeTooltip) ? THintAnimationType::hatFade
                                                                     : THintAnimationType::hatSlide;
    }
    if (type == THintAnimationType::hatFade && !lazytree::DetectMMX()) type = THintAnimationType::hatSlide;
    return type;
}

int TBaseLazyTree::CMHintShow(TLTHintInfo& HintInfo) {
    const QPoint p = HintInfo.CursorPos;
    // Inside the hint already shown: nothing new.
    if (Contains(FLastHintRect, p)) return 1;
    THitInfo hit;
    GetHitTestInfoAt(p.x(), p.y(), true, hit);
    bool allowed;
    if (FStates.Contains(tsEditing)) {
        allowed = hit.HitNode != FFocusedNode;
    } else if (QWidget* form = window(); form != this) {
        allowed = form->isActiveWindow() || QGuiApplication::applicationState() == Qt::ApplicationActive;
    } else {
        allowed = hasFocus();
    }
    const bool dragging = FStates.Contains(tsOLEDragging) || FStates.Contains(tsVCLDragging);
    if (QWidget::mouseGrabber() || QApplication::activePopupWidget() || !FShowHint || dragging ||
        FStates.Contains(tsDrawSelecting) || FStates.Contains(tsScrolling) || !FHeader->States().Empty() || !allowed)
        return 1;

    int result = 0;
    bool showHint = false;
    const THintWindowClass windowClass = GetHintWindowClass();
    TLazyTreeColumns& columns = FHeader->Columns();
    const bool inHeader =
        FHeader->UseColumns() && FHeader->Options().Contains(TLTHeaderOption::hoShowHint) && FHeader->InHeader(p);
    const bool leftHeld = FStates.Contains(tsLeftButtonDown);
    int headerLeft = 0, headerRight = 0;
    // The column lookup measures across the tree's height; only x matters here.
    const TColumnIndex headerColumn =
        inHeader ? columns.GetColumnAndBounds(QPoint(p.x(), 0), headerLeft, headerRight, true) : NoColumn;
    PLazyNode hintNode = hit.HitNode;
    TColumnIndex hintColumn = hit.HitColumn;

    // The string: the tree's own window finds its text itself; the plain tool tip is given it.
    if (windowClass) {
        HintInfo.HintStr = QStringLiteral(" ");
    } else {
        HintInfo.HintStr.clear();
        if (inHeader) {
            if (headerColumn >= 0 && !leftHeld) HintInfo.HintStr = columns[headerColumn].Hint();
        } else if (HintMode != TLTHintMode::hmDefault && hit.HitNode && hit.HitColumn >= NoColumn) {
            TLTTooltipLineBreakStyle style = TLTTooltipLineBreakStyle::hlbDefault;
            HintInfo.HintStr = HintMode == TLTHintMode::hmTooltip ? DoGetNodeTooltip(hit.HitNode, hit.HitColumn, style)
                                                                  : DoGetNodeHint(hit.HitNode, hit.HitColumn, style);
        } else if (HintMode == TLTHintMode::hmDefault) {
            HintInfo.HintStr = ShortHint();
        }
    }

    if (inHeader) {
        // The column's cell of the header; the hint goes below the header.
        HintInfo.CursorRect = TRect{headerLeft, -FHeader->Height(), headerRight, 0};
        HintInfo.HintPos.setY(std::max(HintInfo.HintPos.y(), viewport()->mapToGlobal(QPoint(0, 0)).y()));
        hintNode = nullptr;
        hintColumn = headerColumn;
        if (headerColumn < 0 || leftHeld) {
            result = 1;
        } else {
            FHintData.DefaultHint = columns[headerColumn].Hint();
            if (FHintData.DefaultHint.isEmpty())
                result = 1;
            else
                showHint = true;
        }
    } else if (HintMode == TLTHintMode::hmDefault) {
        // The platform's plain hint with the short hint.
        HintInfo.HintStr = ShortHint();
    } else if (hit.HitNode && hit.HitColumn >= NoColumn) {
        PLazyNode node = hit.HitNode;
        const TColumnIndex column = hit.HitColumn;
        TLTHintKind kind = TLTHintKind::vhkText;
        DoGetHintKind(node, column, kind);
        FHintData.HintRect = {};
        if (kind == TLTHintKind::vhkOwnerDraw) {
            DoGetHintSize(node, column, FHintData.HintRect);
            showHint = !FHintData.HintRect.IsEmpty();
        } else {
            showHint = true;
        }
        if (!showHint) {
            result = 1;
        } else {
            const int clientW = viewport()->width(), clientH = viewport()->height();
            int spanLeft = 0, spanRight = clientW;
            if (column >= 0 && columns.IsValidColumn(column)) {
                columns.GetColumnBounds(column, spanLeft, spanRight);
                // Text may run on into the empty cells after it.
                if (TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSpanColumns)) {
                    for (TColumnIndex next = columns.GetNextVisibleColumn(column);
                         columns.IsValidColumn(next) && DoGetCellIsEmpty(node, next);
                         next = columns.GetNextVisibleColumn(next)) {
                        int l = 0, r = 0;
                        columns.GetColumnBounds(next, l, r);
                        spanRight = r;
                    }
                }
            }
            FHintData.DefaultHint.clear();
            if (HintMode == TLTHintMode::hmTooltip) {
                TRect r;
                if (!node->States.Contains(TLazyNodeState::vsMultiline)) {
                    r = GetDisplayRect(node, column, true, true, true);
                    const QPoint margin =
                        DoGetCellContentMargin(node, column, TLTCellContentMarginType::ccmtBottomRightOnly);
                    // Only clipped text gets a tooltip.
                    const bool clipped = std::min(spanRight - 1, clientW) < r.Right + margin.x() ||
                                         r.Left < std::max(spanLeft, 0) || clientH < r.Bottom + margin.y() || r.Top < 0;
                    showHint = Contains(r, p) && p.x() >= spanLeft && p.x() <= spanRight && clipped;
                } else {
                    showHint = hit.HitPositions.Contains(THitPosition::hiOnItemLabel);
                    if (showHint) r = GetDisplayRect(node, column, true, false, false);
                }
                if (showHint) {
                    HintInfo.HintPos = viewport()->mapToGlobal(QPoint(r.Left, r.Top));
                    HintInfo.CursorRect = r;
                } else {
                    result = 1;
                }
            } else {
                TRect cell = GetDisplayRect(node, column, false, false, false);
                cell.Left = spanLeft;
                cell.Right = spanRight;
                HintInfo.CursorRect = cell;
                HintInfo.HintPos.setY(
                    std::max(HintInfo.HintPos.y(), viewport()->mapToGlobal(QPoint(0, cell.Bottom)).y()) + 2);
            }
        }
    } else if (HintMode == TLTHintMode::hmHintAndDefault) {
        FHintData.DefaultHint = ShortHint();
        if (FHintData.DefaultHint.isEmpty())
            result = 1;
        else
            showHint = true;
    } else {
        result = 1;
    }

    if (showHint && result == 0) {
        HintInfo.HintWindowClass = windowClass;
        FHintData.Tree = this;
        FHintData.Column = hintColumn;
        FHintData.Node = hintNode;
        FLastHintRect = HintInfo.CursorRect;
        HintInfo.HintData = &FHintData;
    } else {
        FLastHintRect = {};
    }
    if (result == 0)
        DoStateChange({tsHint});
    else
        DoStateChange({}, {tsHint});
    return result;
}

void TBaseLazyTree::RequestHint(QPoint ClientPos, QPoint GlobalPos) {
    TLTHintInfo info;
    info.CursorPos = ClientPos;
    info.HintPos = GlobalPos + TipOffset;
    info.CursorRect = TRect{0, 0, viewport()->width(), viewport()->height()};
    info.HintStr = ShortHint();
    QScreen* s = QGuiApplication::screenAt(GlobalPos);
    if (!s) s = screen();
    info.HintMaxWidth = s ? s->availableGeometry().width() : 1024;
    if (CMHintShow(info) != 0) return;
    if (!info.HintWindowClass) {
        if (TLazyTreeHintWindow* w = ShownHintWindowOf(nullptr)) w->hide();
        if (info.HintStr.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(info.HintPos - TipOffset, info.HintStr, this,
                               info.CursorRect.toQRect().translated(viewport()->pos()));
        return;
    }
    QToolTip::hideText();
    TLazyTreeHintWindow* window = HintWindowFor(info.HintWindowClass, this);
    TRect r = window->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    r = TRect{r.Left + info.HintPos.x(), r.Top + info.HintPos.y(), r.Right + info.HintPos.x(),
              r.Bottom + info.HintPos.y()};
    window->SetCursorRect(info.CursorRect.toQRect().translated(viewport()->mapToGlobal(QPoint(0, 0))));
    window->ActivateHint(r, info.HintStr);
}

int TBaseLazyTree::HintShowPause(QPoint P) const {
    if (HintWindowDestroyed && FHeader->UseColumns() && FHeader->Options().Contains(TLTHeaderOption::hoShowHint) &&
        FHeader->InHeader(P))
        return 0;
    if (HintMode == TLTHintMode::hmTooltip) return 0;
    return -1;
}

void TBaseLazyTree::HintMouseMove(QPoint P, QPoint Global) {
    // Without a pause the request comes with the move itself, once the mouse left the last hint.
    if (FShowHint && HintShowPause(P) == 0 && !Contains(FLastHintRect, P)) RequestHint(P, Global);
}

TLazyTreeHintWindow* TBaseLazyTree::HintWindow() const {
    return ShownHintWindowOf(this);
}

void TBaseLazyTree::CancelHint() {
    if (FStates.Contains(tsHint)) QToolTip::hideText();
    if (TLazyTreeHintWindow* w = ShownHintWindowOf(this)) w->hide();
}

bool TBaseLazyTree::HandleHelpEvent(QHelpEvent* Event) {
    // Requests for the viewport and the header bar; the scroll bars and the frame have no hints.
    const QPoint p = Event->pos();
    const bool overViewport = viewport()->geometry().contains(p);
    const bool overHeader = FHeaderBar && FHeaderBar->isVisible() && FHeaderBar->geometry().contains(p);
    if (!overViewport && !overHeader) return false;
    plat::guarded([&] { RequestHint(p - viewport()->geometry().topLeft(), Event->globalPos()); });
    return true;
}

// ---- The string tree's hints ----

QString TCustomLazyStringTree::DoGetNodeHint(PLazyNode Node, TColumnIndex Column,
                                             TLTTooltipLineBreakStyle& LineBreakStyle) {
    QString result = TBaseLazyTree::DoGetNodeHint(Node, Column, LineBreakStyle);
    if (OnGetHint) OnGetHint(this, Node, Column, LineBreakStyle, result);
    return result;
}

QString TCustomLazyStringTree::DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column,
                                                TLTTooltipLineBreakStyle& LineBreakStyle) {
    QString result = TBaseLazyTree::DoGetNodeTooltip(Node, Column, LineBreakStyle);
    if (OnGetHint)
        OnGetHint(this, Node, Column, LineBreakStyle, result);
    else
        result = Text(Node, Column);
    return result;
}
