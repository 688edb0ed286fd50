#include "treeview/LazyTrees.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QTimerEvent>
#include <algorithm>
#include <climits>

#include "platform/Clock.h"
#include "platform/Guard.h"

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
    int64_t NowMs() override { return plat::realClock().nowMs(); }
    void RecreateWindow() override { tree_->CreateWnd(); }
    bool ThemesEnabled() const override { return tree_->style() != nullptr; }

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
    FCanvas.SetDevice(nullptr);
    SetHost(nullptr);
}

void TBaseLazyTree::CreateWnd() {
    DoStateChange({tsWindowCreating});
    setFrameStyle(FBorderStyle == TBorderStyle::bsSingle ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    setViewportMargins(FBorderWidth, FBorderWidth, FBorderWidth, FBorderWidth);
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
    setViewportMargins(Value, Value, Value, Value);
    update();
}

void TBaseLazyTree::FontChanged() {
    FCanvas.Font().Assign(FFont);  // the scaling check measures with it
    if (!FSyncingFont) {
        FSyncingFont = true;
        setFont(FFont.ToQFont());
        FSyncingFont = false;
    }
    TLazyTreeCore::FontChanged();
}

void TBaseLazyTree::Assign(const TLazyTreeCore& Source) {
    if (const auto* tree = dynamic_cast<const TBaseLazyTree*>(&Source)) {
        if (!ReadOnly()) {
            setEnabled(tree->isEnabled());
            SetBorderStyle(tree->FBorderStyle);
            SetBorderWidth(tree->FBorderWidth);
            setFocusPolicy(tree->focusPolicy());
        }
    }
    TLazyTreeCore::Assign(Source);
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
                update();
                break;
            default:
                break;
        }
    });
}

bool TBaseLazyTree::event(QEvent* event) {
    const bool result = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint && FBorderWidth > 0) {
        // The band between the frame and the client area, in the border colour.
        QPainter p(this);
        QRegion band(contentsRect());
        band -= viewport()->geometry();
        p.setClipRegion(band);
        p.fillRect(contentsRect(), plat::ToQColor(FColors.BorderColor()));
    }
    return result;
}

void TBaseLazyTree::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    p.fillRect(event->rect(), plat::ToQColor(FColor));
}

void TBaseLazyTree::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    plat::guarded([&] { UpdateScrollBars(true); });
}

TCustomLazyStringTree::TCustomLazyStringTree(QWidget* parent) : TBaseLazyTree(parent) {
    FOptions = std::make_unique<TStringTreeOptions>(this);
    FInternalDataOffset = AllocateInternalDataArea(sizeof(uint32_t));
}
