#include "dropdowns/DovUzerAdevForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevBars.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "platform/Guard.h"

using namespace plat;

namespace dropdowns {

namespace {

// The sizing corner of a sizeable pop-up.
constexpr int kCorner = 10;

}  // namespace

TDropDownForm::TDropDownForm(QWidget* ownerWindow) : TCustomControl(ownerWindow) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    SetWantTabs(true);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { guarded([this] { focusWindowChanged(); }); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        guarded([&] {
            if (s != Qt::ApplicationActive) Deactivated(nullptr);
        });
    });
}

TDropDownForm::~TDropDownForm() {
    // Closing the window changes the focus window: nothing of this half-gone form may answer.
    qApp->removeEventFilter(this);
    QObject::disconnect(qApp, nullptr, this, nullptr);
    if (FDovUzerAdev) FDovUzerAdev->DropDownFormGoing(this);
}

void TDropDownForm::InitializeAndUpdate() {
    TExCustomDropDown* e = FDovUzerAdev;
    if (!e) return;
    const THeaderAppearance& ha = e->DropDownHeader();
    if (FHeader) {
        FHeader->Attach(e);
        FHeader->Rebuild();
        FHeader->setVisible(ha.Visible());
    } else if (ha.Visible()) {
        FHeader = new TExHeader(this);
        FHeader->resize(width(), ha.Height());
        FHeader->Attach(e);
        FHeader->Rebuild();
        FHeader->show();
    }
    if (FHeader) {
        FHeader->OnDrawBackGround = e->OnDrawHeader;
        FHeader->OnGetText = e->OnGetHeaderText;
    }
    const TFooterAppearance& fa = e->DropDownFooter();
    if (FFooter) {
        FFooter->Attach(e);
        FFooter->Rebuild();
        FFooter->setVisible(fa.Visible());
    } else if (fa.Visible()) {
        FFooter = new TExFooter(this);
        FFooter->resize(width(), fa.Height());
        FFooter->Attach(e);
        FFooter->Rebuild();
        FFooter->show();
    }
    if (FFooter) {
        FFooter->OnDrawBackGround = e->OnDrawFooter;
        FFooter->OnGetText = e->OnGetFooterText;
    }
    Realign();
}

TRect TDropDownForm::AdjustClientRect() const {
    const int b = FDovUzerAdev ? FDovUzerAdev->DropDownBorderWidth : 0;
    return {b, b, width() - b, height() - b};
}

void TDropDownForm::Realign() {
    // Laid out when shown: until then the control keeps the size the opening measures.
    if (!isVisible()) return;
    TRect r = AdjustClientRect();
    if (FHeader && !FHeader->isHidden()) {
        FHeader->setGeometry(r.Left, r.Top, r.Width(), FHeader->height());
        r.Top += FHeader->height();
    }
    if (FFooter && !FFooter->isHidden()) {
        FFooter->setGeometry(r.Left, r.Bottom - FFooter->height(), r.Width(), FFooter->height());
        r.Bottom -= FFooter->height();
    }
    if (FDovUzerAdev) {
        QWidget* control = FDovUzerAdev->Control();
        if (control && control->parentWidget() == this) control->setGeometry(r.toQRect());
    }
}

void TDropDownForm::Paint() {
    TCanvas& c = Canvas();
    TExCustomDropDown* e = FDovUzerAdev;
    if (!e) return;
    const int bw = e->DropDownBorderWidth;
    const TRect inner{bw, bw, width() - bw, height() - bw};
    const TColor from = e->DropDownColor(), to = e->DropDownColorTo;
    // The border's pen of the last paint must not widen the bands.
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psSolid);
    if (from != clNone && to != clNone) {
        DrawGradient(c, from, to, 80, inner, e->DropDownGradient == gdHorizontal);
    } else if (from != clNone) {
        c.Brush().SetColor(from);
        c.FillRect(inner);
    }
    if (bw > 0) {
        c.Pen().SetWidth(bw);
        c.Pen().SetColor(e->DropDownBorderColor);
        c.Brush().SetStyle(bsClear);
        c.Rectangle(bw / 2, bw / 2, width(), height());
    }
}

void TDropDownForm::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    guarded([this] { Realign(); });
    update();
}

bool TDropDownForm::inCorner(int X, int Y) const {
    return Sizeable && X > width() - kCorner && Y > height() - kCorner;
}

void TDropDownForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && inCorner(X, Y)) {
        sizing_ = true;
        sizingFrom_ = mapToGlobal(QPoint(X, Y));
        sizingSize_ = size();
        return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDropDownForm::MouseMove(TShiftState Shift, int X, int Y) {
    if (sizing_) {
        const QPoint d = mapToGlobal(QPoint(X, Y)) - sizingFrom_;
        resize(std::max(80, sizingSize_.width() + d.x()), std::max(50, sizingSize_.height() + d.y()));
        if (OnSizing) OnSizing(this);
        return;
    }
    if (inCorner(X, Y))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
    TCustomControl::MouseMove(Shift, X, Y);
}

void TDropDownForm::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (sizing_) {
        sizing_ = false;
        return;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TDropDownForm::wheelEvent(QWheelEvent* event) {
    event->accept();
    guarded([&] {
        if (OnWheel && event->angleDelta().y() != 0) OnWheel(event->angleDelta().y());
    });
}

void TDropDownForm::showEvent(QShowEvent* event) {
    TCustomControl::showEvent(event);
    qApp->installEventFilter(this);
    guarded([this] { Realign(); });
}

void TDropDownForm::hideEvent(QHideEvent* event) {
    qApp->removeEventFilter(this);
    TCustomControl::hideEvent(event);
    if (!event->spontaneous())
        guarded([this] {
            if (OnHide) OnHide(this);
        });
}

bool TDropDownForm::belongsHere(QWidget* w) const {
    // Up through the window's parents (a dialog of the hosted control has the pop-up among them).
    for (QWidget* p = w ? w->window() : nullptr; p; p = p->parentWidget() ? p->parentWidget()->window() : nullptr)
        if (p == this) return true;
    return false;
}

void TDropDownForm::Deactivated(QWidget* receiving) {
    if (BlockActivate || !isVisible()) return;
    FDeActivate = TExCustomDropDown::Clock().nowMs();
    if (belongsHere(receiving)) return;
    if (FDovUzerAdev)
        FDovUzerAdev->HideDropDown(CancelOnDeActivate);
    else
        hide();
}

void TDropDownForm::focusWindowChanged() {
    if (!isVisible()) return;
    QWindow* fw = QGuiApplication::focusWindow();
    if (!fw) return;  // another application: the application state says so
    QWidget* receiving = nullptr;
    if (fw)
        for (QWidget* tl : QApplication::topLevelWidgets())
            if (tl->windowHandle() == fw) receiving = tl;
    if (receiving == this) return;
    Deactivated(receiving);
}

bool TDropDownForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() && isVisible()) {
        auto* w = static_cast<QWidget*>(watched);
        if (!belongsHere(w)) guarded([&] { Deactivated(w); });
    }
    return false;
}

}  // namespace dropdowns
