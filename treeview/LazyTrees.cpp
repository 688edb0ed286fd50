#include "treeview/LazyTrees.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QTimerEvent>
#include <algorithm>
#include <climits>
#include <optional>

#include "platform/Clock.h"
#include "platform/Guard.h"
#include "treeview/LTAccessibilityFactory.h"

using enum TLazyTreeState;

// The core's window: this control.
class TBaseLazyTree::Host final : public ILazyTreeHost {
public:
    explicit Host(TBaseLazyTree* tree) : tree_(tree) {}

    bool HasWindow() const override { return tree_->FWindowAlive; }
    void Invalidate() override { tree_->viewport()->update(); }
    void InvalidateFrame() override { tree_->update(); }
    void SetRedraw(bool Enabled) override {
        if (!Enabled && !tree_->isVisible()) return;
        tree_->setUpdatesEnabled(Enabled);
    }
    void UpdateScrollRange(int64_t RangeX, int64_t RangeY) override {
        const QSize client = tree_->viewport()->size();
        auto apply = [](QScrollBar* bar, int64_t range, int page) {
            bar->setRange(0, int(std::clamp<int64_t>(range - page, 0, INT_MAX)));
            bar->setPageStep(std::max(page, 1));
        };
        apply(tree_->verticalScrollBar(), RangeY, client.height());
        apply(tree_->horizontalScrollBar(), RangeX, client.width());
    }
    void StartTimer(int Id, int IntervalMs) override {
        if (Id > 0 && Id < 9) tree_->FTimers[Id].start(IntervalMs, tree_);
    }
    void StopTimer(int Id) override {
        if (Id > 0 && Id < 9) tree_->FTimers[Id].stop();
    }
    bool Focused() const override { return tree_->hasFocus(); }
    QSize ClientSize() const override { return tree_->viewport()->size(); }
    int TextHeight(const QString& Text) override { return tree_->FCanvas.TextHeight(Text); }
    bool IsMainThread() const override {
        return !QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread();
    }
    int64_t NowMs() override { return (tree_->FClock ? *tree_->FClock : plat::realClock()).nowMs(); }
    void RecreateWindow() override { tree_->CreateWnd(); }
    bool ThemesEnabled() const override { return tree_->style() != nullptr; }
    void WakeForWorker() override { QCoreApplication::postEvent(tree_, new QEvent(WorkerEventType())); }
    static QEvent::Type WorkerEventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

private:
    TBaseLazyTree* tree_;
};

TBaseLazyTree::TBaseLazyTree(QWidget* parent)
    : QAbstractScrollArea(parent), FHostImpl(std::make_unique<Host>(this)), FMeasure(1, 1, QImage::Format_RGB32) {
    FCanvas.SetDevice(&FMeasure);
    FCanvas.Font().Assign(FFont);
    SetHost(FHostImpl.get());
    resize(200, 100);
    setFocusPolicy(Qt::StrongFocus);  // TabStop
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Hot tracking and panning follow the mouse without a button held.
    viewport()->setMouseTracking(true);
    FCheckImages = CheckListOfKind(CheckImageKind);
    lazytree::InstallAccessibilityHook();
    FDragImage->SetFade(true);
    FDragImage->SetTransparency(200);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { plat::guarded([&] { ScrollBarAction(verticalScrollBar(), true, action); }); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { plat::guarded([&] { ScrollBarAction(horizontalScrollBar(), false, action); }); });
    connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this, [this] {
        plat::guarded([&] {
            DoStateChange({}, {tsThumbTracking});
            UpdateScrollBars(true);
        });
    });
    connect(horizontalScrollBar(), &QAbstractSlider::sliderReleased, this, [this] {
        plat::guarded([&] {
            DoStateChange({}, {tsThumbTracking});
            UpdateHorizontalScrollBar(false);
        });
    });
    CreateWnd();
}

TBaseLazyTree::~TBaseLazyTree() {
    // Every node is freed while the control is whole, so handlers and overrides still run.
    try {
        DestroyNodes();
    } catch (...) {
        // The tree goes whatever a handler does.
    }
    FWindowAlive = false;
    for (QBasicTimer& t : FTimers) t.stop();
    // A hint animation running on this tree stops at its next step.
    if (FStates.Contains(tsInAnimation)) HintWindowDestroyed = true;
    if (TLazyTreeHintWindow* hint = HintWindow()) hint->hide();
    ReleaseAccessibleObjects();
    // The header's bar talks to the header: it goes first.
    delete FHeaderBar.data();
    FCanvas.SetDevice(nullptr);
    SetHost(nullptr);
}

void TBaseLazyTree::CreateWnd() {
    DoStateChange({tsWindowCreating});
    // A single border is the sunken client edge with Ctl3D, a plain line without.
    if (FBorderStyle == TBorderStyle::bsNone)
        setFrameStyle(QFrame::NoFrame);
    else if (FCtl3D)
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    else
        setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    UpdateFrameMargins();
    viewport()->setAttribute(Qt::WA_StaticContents,
                             !TreeOptions().MiscOptions().Contains(TLTMiscOption::toFullRepaintOnResize));
    DoStateChange({}, {tsWindowCreating});
    // Themed parts are drawn through the platform's style; there is no explorer window theme.
    if (FHostImpl->ThemesEnabled() && TreeOptions().PaintOptions().Contains(TLTPaintOption::toThemeAware))
        DoStateChange({tsUseThemes}, {tsUseExplorerTheme});
    else
        DoStateChange({}, {tsUseThemes, tsUseExplorerTheme});
    AutoScaleCheck();
    BuildButtonBitmaps();
    if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toAcceptOLEDrop)) RegisterDropTarget(true);
    UpdateScrollBars(true);
    update();
}

void TBaseLazyTree::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    CreateWnd();
}

void TBaseLazyTree::SetBorderWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == FBorderWidth) return;
    FBorderWidth = Value;
    UpdateFrameMargins();
}

#define LT_FRAME_SETTER(Name, Type)             \
    void TBaseLazyTree::Set##Name(Type Value) { \
        if (Value == F##Name) return;           \
        F##Name = Value;                        \
        UpdateFrameMargins();                   \
    }
LT_FRAME_SETTER(BevelKind, TBevelKind)
LT_FRAME_SETTER(BevelInner, TBevelCut)
LT_FRAME_SETTER(BevelOuter, TBevelCut)
LT_FRAME_SETTER(BevelEdges, TBevelEdges)
#undef LT_FRAME_SETTER

void TBaseLazyTree::SetCtl3D(bool Value) {
    if (Value == FCtl3D) return;
    FCtl3D = Value;
    if (FBorderStyle == TBorderStyle::bsSingle)
        CreateWnd();
    else
        UpdateFrameMargins();
}

void TBaseLazyTree::SetBevelWidth(int Value) {
    Value = std::max(Value, 1);
    if (Value == FBevelWidth) return;
    FBevelWidth = Value;
    UpdateFrameMargins();
}

// The client area gives way to the bevel on each of its edges and to the border band all round.
void TBaseLazyTree::UpdateFrameMargins() {
    int bevel = 0;
    if (FBevelKind != TBevelKind::bkNone) {
        if (FBevelInner != TBevelCut::bvNone) bevel += FBevelWidth;
        if (FBevelOuter != TBevelCut::bvNone) bevel += FBevelWidth;
    }
    auto side = [&](TBevelEdge e) { return FBorderWidth + (FBevelEdges.Contains(e) ? bevel : 0); };
    // A shown header sits between the frame and the client area at the top.
    const int header = FHeader->Options().Contains(TLTHeaderOption::hoVisible) ? FHeader->Height() : 0;
    setViewportMargins(side(TBevelEdge::beLeft), side(TBevelEdge::beTop) + header, side(TBevelEdge::beRight),
                       side(TBevelEdge::beBottom));
    PlaceHeaderBar();
    update();
}

namespace {

// The colours of one edge of a 3D frame: top-left and bottom-right.
struct EdgeColors {
    plat::TColor topLeft, bottomRight;
};

// Outer or inner edge of a bevel cut, by kind: sunken and raised as a 3D edge, softened, flat or in
// one colour.
std::optional<EdgeColors> BevelColors(TBevelCut cut, bool outer, TBevelKind kind, bool ctl3d) {
    using namespace plat;
    if (cut == TBevelCut::bvNone || cut == TBevelCut::bvSpace) return std::nullopt;
    const bool raised = cut == TBevelCut::bvRaised;
    if (!ctl3d) return outer ? EdgeColors{clWindowFrame, clWindowFrame} : EdgeColors{clWindow, clWindow};
    if (kind == TBevelKind::bkFlat)
        return outer ? EdgeColors{clBtnShadow, clBtnShadow} : EdgeColors{clBtnFace, clBtnFace};
    const bool soft = kind == TBevelKind::bkSoft;
    if (outer)
        return raised ? EdgeColors{soft ? clBtnHighlight : cl3DLight, cl3DDkShadow}
                      : EdgeColors{soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight};
    return raised ? EdgeColors{soft ? cl3DLight : clBtnHighlight, clBtnShadow}
                  : EdgeColors{soft ? clBtnShadow : cl3DDkShadow, cl3DLight};
}

}  // namespace

void TBaseLazyTree::PaintBevelAndBorder(QPainter& p) {
    QRect r = contentsRect();  // inside the frame of the border style
    if (FBevelKind != TBevelKind::bkNone) {
        // Each cut is one line wide at the outside of its BevelWidth; the rest of its width is space.
        for (bool outer : {true, false}) {
            const TBevelCut cut = outer ? FBevelOuter : FBevelInner;
            if (cut == TBevelCut::bvNone) continue;
            if (auto c = BevelColors(cut, outer, FBevelKind, FCtl3D)) {
                const QColor tl = plat::ToQColor(c->topLeft), br = plat::ToQColor(c->bottomRight);
                if (FBevelEdges.Contains(TBevelEdge::beLeft)) p.fillRect(r.left(), r.top(), 1, r.height(), tl);
                if (FBevelEdges.Contains(TBevelEdge::beTop)) p.fillRect(r.left(), r.top(), r.width(), 1, tl);
                if (FBevelEdges.Contains(TBevelEdge::beRight)) p.fillRect(r.right(), r.top(), 1, r.height(), br);
                if (FBevelEdges.Contains(TBevelEdge::beBottom)) p.fillRect(r.left(), r.bottom(), r.width(), 1, br);
            }
            r.adjust(FBevelEdges.Contains(TBevelEdge::beLeft) ? FBevelWidth : 0,
                     FBevelEdges.Contains(TBevelEdge::beTop) ? FBevelWidth : 0,
                     FBevelEdges.Contains(TBevelEdge::beRight) ? -FBevelWidth : 0,
                     FBevelEdges.Contains(TBevelEdge::beBottom) ? -FBevelWidth : 0);
        }
    }
    if (FBorderWidth > 0) {
        // The band between the bevel and the client area, in the border colour.
        QRegion band(r);
        band -= viewport()->geometry();
        p.setClipRegion(band);
        p.fillRect(r, plat::ToQColor(FColors.BorderColor()));
    }
}

void TBaseLazyTree::FontChanged() {
    FCanvas.Font().Assign(FFont);  // the scaling check measures with it
    if (!FSyncingFont) {
        FSyncingFont = true;
        setFont(FFont.ToQFont());
        FSyncingFont = false;
    }
    if (FHeader) FHeader->ParentFontChanged();
    TLazyTreeCore::FontChanged();
}

void TBaseLazyTree::Assign(const TLazyTreeCore& Source) {
    if (const auto* tree = dynamic_cast<const TBaseLazyTree*>(&Source)) {
        if (!ReadOnly()) {
            setEnabled(tree->isEnabled());
            SetBorderStyle(tree->FBorderStyle);
            SetBorderWidth(tree->FBorderWidth);
            SetBevelKind(tree->FBevelKind);
            SetBevelInner(tree->FBevelInner);
            SetBevelOuter(tree->FBevelOuter);
            SetBevelEdges(tree->FBevelEdges);
            SetBevelWidth(tree->FBevelWidth);
            SetCtl3D(tree->FCtl3D);
            setFocusPolicy(tree->focusPolicy());
        }
    }
    TLazyTreeCore::Assign(Source);
    if (const auto* tree = dynamic_cast<const TBaseLazyTree*>(&Source)) {
        SetImages(tree->FImages);
        SetStateImages(tree->FStateImages);
        SetCustomCheckImages(tree->FCustomCheckImages);
        FScrollBarOptions.Assign(tree->FScrollBarOptions);
    }
    FCheckImages = nullptr;
    SetCheckImageKind(CheckImageKind);
}

void TBaseLazyTree::PostStateChange(uint32_t EnterMask, uint32_t LeaveMask) {
    QMetaObject::invokeMethod(
        this,
        [this, EnterMask, LeaveMask] {
            plat::guarded([&] {
                DoStateChange(lazytree::StatesFromWorkerMask(EnterMask), lazytree::StatesFromWorkerMask(LeaveMask));
            });
        },
        Qt::QueuedConnection);
}

void TBaseLazyTree::timerEvent(QTimerEvent* event) {
    for (int id = 1; id < 9; ++id) {
        if (FTimers[id].timerId() == event->timerId()) {
            plat::guarded([&] { TimerExpired(id); });
            return;
        }
    }
    QAbstractScrollArea::timerEvent(event);
}

void TBaseLazyTree::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    plat::guarded([&] {
        switch (event->type()) {
            case QEvent::FontChange:
                if (!FSyncingFont) {
                    FSyncingFont = true;
                    FFont.AssignQFont(font());  // runs FontChanged through the font's change event
                    FSyncingFont = false;
                }
                break;
            case QEvent::PaletteChange:
                SystemColorsChanged();
                break;
            case QEvent::StyleChange:
                // Themes settle before the window is built again.
                if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toThemeAware))
                    DoStateChange({tsUseThemes});
                else
                    DoStateChange({}, {tsUseThemes});
                StartTimer(8, 500);
                break;
            case QEvent::EnabledChange:
                if (!isEnabled()) CancelMode();
                update();
                break;
            case QEvent::ActivationChange:
                if (!isActiveWindow()) CancelMode();
                break;
            case QEvent::LayoutDirectionChange: {
                // The horizontal bar's position is measured from the other side now.
                const int client = viewport()->width();
                FEffectiveOffsetX = UseRightToLeftReading() ? std::max<int64_t>(FRangeX + FOffsetX - client, 0)
                                                            : -FOffsetX;
                UpdateHorizontalScrollBar(true);
                viewport()->update();
                break;
            }
            default:
                break;
        }
    });
}

bool TBaseLazyTree::event(QEvent* event) {
    if (event->type() == Host::WorkerEventType()) {
        plat::guarded([&] { ProcessWorkerQueue(); });
        return true;
    }
    if (event->type() == QEvent::UngrabMouse) plat::guarded([&] { CancelMode(); });
    // Tool-tip requests of the viewport and the header bar come up here.
    if (event->type() == QEvent::ToolTip && HandleHelpEvent(static_cast<QHelpEvent*>(event))) {
        event->accept();
        return true;
    }
    const bool result = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint && (FBorderWidth > 0 || FBevelKind != TBevelKind::bkNone)) {
        QPainter p(this);
        PaintBevelAndBorder(p);
    }
    return result;
}

void TBaseLazyTree::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    plat::guarded([&] { UpdateScrollBars(true); });
}

void TBaseLazyTree::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    plat::guarded([&] {
        // Nothing while the window is built or already sizing, or without a client area.
        if (!HasWindow() || FStates.Contains(tsSizing) || FStates.Contains(tsWindowCreating) ||
            viewport()->height() < 1)
            return;
        DoStateChange({tsSizing});
        struct Leave {
            TBaseLazyTree* tree;
            ~Leave() { tree->DoStateChange({}, {tsSizing}); }
        } leave{this};
        FHeader->HandleResize();
        FHeader->UpdateSpringColumns();
        PlaceHeaderBar();
        UpdateScrollBars(true);
    });
}

void TBaseLazyTree::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    plat::guarded([&] {
        CancelMode();
        // The hint is a window of its own: it goes with the tree.
        CancelHint();
    });
}

void TBaseLazyTree::CancelMode() {
    for (int id : {1, 2, 3, 4, 7, 8}) StopTimer(id);
    SearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsClearPending, tsDrawSelPending, tsDrawSelecting, tsEditPending, tsIncrementalSearching,
                       tsOLEDragPending, tsVCLDragPending});
}

void TBaseLazyTree::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    plat::guarded([&] {
        if (!(SelectedCount() == 0 && TreeOptions().PaintOptions().Contains(TLTPaintOption::toGhostedIfUnfocused)))
            viewport()->update();
        EnsureNodeSelected();
    });
}

void TBaseLazyTree::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    plat::guarded([&] {
        FHeader->CancelTracking();
        CancelHint();
        StopWheelPanning();
        for (int id : {1, 2, 3, 4, 7}) StopTimer(id);
        SearchBuffer.clear();
        FLastSearchNode = nullptr;
        DoStateChange({}, {tsEditPending, tsNodeHeightTracking, tsNodeHeightTrackPending, tsIncrementalSearching,
                           tsLeftButtonDown, tsMiddleButtonDown, tsOLEDragPending, tsRightButtonDown, tsScrolling,
                           tsScrollPending, tsVCLDragPending});
        if (SelectedCount() == 0 && TreeOptions().PaintOptions().Contains(TLTPaintOption::toGhostedIfUnfocused)) {
            if (FFocusedNode) InvalidateNode(FFocusedNode);
        } else {
            viewport()->update();
        }
    });
}

void TBaseLazyTree::enterEvent(QEnterEvent* event) {
    plat::guarded([&] {
        if (OnMouseEnter) OnMouseEnter(this);
    });
    QAbstractScrollArea::enterEvent(event);
}

void TBaseLazyTree::leaveEvent(QEvent* event) {
    plat::guarded([&] {
        FLastHintRect = {};
        if (FCurrentHotNode) {
            PLazyNode hot = FCurrentHotNode;
            FCurrentHotNode = nullptr;
            FHotNodeButton = false;
            if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toHotTrack) ||
                TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport))
                InvalidateNode(hot);
        }
        if (OnMouseLeave) OnMouseLeave(this);
    });
    QAbstractScrollArea::leaveEvent(event);
}

void TBaseLazyTree::contextMenuEvent(QContextMenuEvent* event) {
    plat::guarded([&] { DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending}); });
    if (!FStates.Contains(tsPopupMenuShown)) QAbstractScrollArea::contextMenuEvent(event);
}

void TBaseLazyTree::keyPressEvent(QKeyEvent* event) {
    bool used = false;
    plat::guarded([&] {
        // Escape ends a column drag or a border tracking and nothing else.
        if (event->key() == Qt::Key_Escape && FHeader->CancelTracking()) {
            used = true;
            return;
        }
        used = HandleKeyDown(event);
        // The character the key typed belongs to the search.
        if (FStates.Contains(tsIncrementalSearchPending)) {
            const QString text = event->key() == Qt::Key_Backspace ? QString(QChar(8)) : event->text();
            if (!text.isEmpty()) ProcessIncrementalSearch(text.at(0));
            DoStateChange({}, {tsIncrementalSearchPending});
            used = true;
        }
    });
    // A tree that wants Tab keeps it from the dialog's focus chain.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (used || (tab && WantTabs))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TBaseLazyTree::keyReleaseEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyReleaseEvent(event);
    plat::guarded([&] {
        if (event->key() == Qt::Key_Tab) EnsureFocusedNode();
        // The Space key's pressed box: the state it promised is applied on the real release. A held
        // key repeats as release and press pairs; those releases leave the box pressed.
        if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && FStates.Contains(tsKeyCheckPending)) {
            DoStateChange({}, {tsKeyCheckPending});
            if (FCheckNode && FCheckNode == FFocusedNode) DoCheckClick(FCheckNode, FPendingCheckState);
            if (FCheckNode) InvalidateNode(FCheckNode);
            FCheckNode = nullptr;
        }
    });
}


namespace {
TLazyTreeState ButtonState(Qt::MouseButton button) {
    return button == Qt::RightButton ? tsRightButtonDown : button == Qt::MiddleButton ? tsMiddleButtonDown
                                                                                      : tsLeftButtonDown;
}
}  // namespace

void TBaseLazyTree::mousePressEvent(QMouseEvent* event) {
    plat::guarded([&] {
        // The header sees presses first: the border of the fixed area may be dragged down here.
        if (event->button() == Qt::LeftButton &&
            FHeader->HandleMouseDown(event->position().toPoint(), event->globalPosition().toPoint(), event->button(),
                                     event->modifiers()))
            return;
        DoStateChange({ButtonState(event->button())});
        if (event->button() == Qt::MiddleButton) {
            const bool canScroll = viewport()->width() < FRangeX || viewport()->height() < FRangeY;
            if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toWheelPanning) && !IsPanning() && canScroll) {
                FLastClickPos = event->position().toPoint();
                StartWheelPanning(FLastClickPos);
                return;
            }
            StopWheelPanning();
        }
        HandleMouseDown(event);
    });
}

void TBaseLazyTree::mouseReleaseEvent(QMouseEvent* event) {
    plat::guarded([&] {
        if (event->button() == Qt::LeftButton && !FHeader->States().Empty() &&
            FHeader->HandleMouseUp(event->position().toPoint(), event->globalPosition().toPoint(), event->button(),
                                   event->modifiers()))
            return;
        if (event->button() == Qt::LeftButton)
            DoStateChange({}, {tsNodeHeightTracking, tsNodeHeightTrackPending, tsLeftButtonDown});
        else if (event->button() == Qt::RightButton)
            DoStateChange({}, {tsRightButtonDown, tsPopupMenuShown});
        else if (event->button() == Qt::MiddleButton) {
            DoStateChange({}, {tsMiddleButtonDown});
            if (IsPanning()) {
                // Released without a move: panning goes on until the next press.
                if (FStates.Contains(tsWheelScrolling))
                    DoStateChange({}, {tsWheelPanning});
                else
                    StopWheelPanning();
                return;
            }
        }
        HandleMouseUp(event);
    });
}

void TBaseLazyTree::mouseDoubleClickEvent(QMouseEvent* event) {
    plat::guarded([&] {
        const TLazyTreeState state = event->button() == Qt::RightButton    ? tsRightDblClick
                                     : event->button() == Qt::MiddleButton ? tsMiddleDblClick
                                                                           : tsLeftDblClick;
        DoStateChange({state});
        struct Leave {
            TBaseLazyTree* tree;
            TLazyTreeState state;
            ~Leave() { tree->DoStateChange({}, {state}); }
        } leave{this, state};
        HandleMouseDblClick(event);
    });
}

bool TBaseLazyTree::focusNextPrevChild(bool next) {
    // Tab stays in the tree only when it wants it.
    if (WantTabs) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TBaseLazyTree::TimerExpired(int Id) {
    if (Id == 3) {
        FHeader->HoverTimer();
        return;
    }
    if (Id == 2) {
        // The edit a click asked for starts now.
        StopTimer(2);
        if (FStates.Contains(tsEditPending)) DoEdit();
        return;
    }
    if (Id == 1) {
        DoDragExpand();
        return;
    }
    if (Id != 4) {
        TLazyTreeCore::TimerExpired(Id);
        return;
    }
    // As a drop target the timer repeats the drag-over, which scrolls.
    if (FDragManager && FDragManager->IsDropTargetNow()) {
        DropTargetRepeat();
        return;
    }
    if (FStates.Contains(tsScrollPending)) {
        CancelHint();
        StartTimer(4, int(AutoScrollInterval));
        DoStateChange({tsScrolling}, {tsScrollPending});
    }
    TimerScrollStep();
}
