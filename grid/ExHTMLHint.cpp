// The HTML hint window and the application-wide switch that shows every tool tip through it.
#include "controls/ExHTMLRender.h"
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "grid/ExGridParts.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>

namespace {

QString& hintFontName() {
    static QString name;
    return name;
}

void clearHintFontName() { hintFontName().clear(); }

}  // namespace

QString HintFontName() { return hintFontName(); }

void SetHintFontName(const QString& Name) {
    static bool registered = false;
    if (!registered && QCoreApplication::instance()) {
        // The program's end clears it, as the unit's end does.
        qAddPostRoutine(clearHintFontName);
        registered = true;
    }
    hintFontName() = Name;
}

// ---------------------------------------------------------------- THTMLHintWindow

THTMLHintWindow::THTMLHintWindow(QWidget* AParent)
    : QWidget(AParent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void THTMLHintWindow::SetText(const QString& Value) {
    if (FText == Value) return;
    FText = Value;
    update();
}

void THTMLHintWindow::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    update();
}

QFont THTMLHintWindow::wideFont() const {
    QFont f = font();
    if (!HintFontName().isEmpty()) f.setFamilies({HintFontName()});
    return f;
}

int THTMLHintWindow::measure(const QString& AHint, int BoxWidth) {
    FWide = ClassifyCellText(AHint, false) == 5;
    if (FWide) {
        FWideCaption = DecodeWideText(AHint);
        const QFontMetrics fm(wideFont());
        FTextWidth = fm.horizontalAdvance(FWideCaption);
        FTextHeight = fm.height();
        return 8;
    }
    FWideCaption.clear();
    QImage device(1, 1, QImage::Format_RGB32);
    plat::TCanvas cv(&device);
    cv.Font().AssignQFont(font());
    THTMLRenderIn in;
    in.Text = AHint;
    in.Rect = plat::TRect{0, 0, BoxWidth, 65535};
    in.Images = FImages;
    in.Container = FPictureContainer;
    in.MeasureOnly = true;
    THTMLRenderOut out;
    RenderHTML(cv, in, out);
    FTextWidth = out.XSize;
    FTextHeight = out.YSize;
    return 16;
}

void THTMLHintWindow::ActivateHintData(const QRect& Rect, const QString& AHint, QObject* AData) {
    if (auto* g = dynamic_cast<TExStringGrid*>(AData)) {
        FImages = g->GridImages();
        FPictureContainer = g->PictureContainer();
    }
    ActivateHint(Rect, AHint);
}

void THTMLHintWindow::ActivateHint(const QRect& Rect, const QString& AHint) {
    SetText(AHint);
    const int pad = measure(AHint, kMaxHintWidth);
    QRect r(Rect.left(), Rect.top(), FTextWidth + pad, FTextHeight + 4);
    QScreen* screen = QGuiApplication::screenAt(r.topLeft());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        const int availRight = avail.x() + avail.width(), availBottom = avail.y() + avail.height();
        // Kept 2 pixels inside the screen's right and bottom edges.
        if (r.x() + r.width() > availRight) r.moveLeft(availRight - 2 - r.width());
        if (r.y() + r.height() > availBottom) r.moveTop(availBottom - 2 - r.height());
    }
    setGeometry(r);
    show();
    raise();
    update();
}

QRect THTMLHintWindow::CalcHintRect(int MaxWidth, const QString& AHint, QObject* AData) {
    if (auto* g = dynamic_cast<TExStringGrid*>(AData)) {
        FImages = g->GridImages();
        FPictureContainer = g->PictureContainer();
    }
    measure(AHint, MaxWidth);
    return QRect(0, 0, FTextWidth, FTextHeight);
}

void THTMLHintWindow::ActivateHint(QPoint ScreenPos, const QString& Text, int MaxWidth, TColor Color) {
    SetColor(Color);
    SetText(Text);
    const int pad = measure(Text, MaxWidth);
    setGeometry(ScreenPos.x(), ScreenPos.y(), FTextWidth + pad, FTextHeight + 4);
    show();
    raise();
    update();
}

void THTMLHintWindow::paintEvent(QPaintEvent*) {
    plat::TCanvas cv(this);
    const int w = width(), h = height();
    cv.Brush().SetColor(FColor);
    cv.Brush().SetStyle(plat::bsSolid);
    cv.FillRect(plat::TRect{0, 0, w, h});
    // A sunken frame: light along the left and top, dark shadow along the bottom and right.
    cv.Pen().SetColor(plat::cl3DLight);
    cv.MoveTo(0, h - 2);
    cv.LineTo(0, 0);
    cv.LineTo(w - 1, 0);
    cv.Pen().SetColor(plat::cl3DDkShadow);
    cv.MoveTo(0, h - 1);
    cv.LineTo(w - 1, h - 1);
    cv.LineTo(w - 1, -1);
    const int top = (h - FTextHeight) / 2;
    plat::TRect r{4, top, w - 4, top + FTextHeight + 8};
    cv.Brush().SetStyle(plat::bsClear);
    if (FWide) {
        cv.Font().AssignQFont(wideFont());
        cv.Font().SetColor(plat::clInfoText);
        cv.DrawText(FWideCaption, r, plat::DT_SINGLELINE | plat::DT_NOPREFIX);
        return;
    }
    cv.Font().AssignQFont(font());
    cv.Font().SetColor(plat::clInfoText);
    THTMLRenderIn in;
    in.Text = FText;
    in.Rect = r;
    in.Images = FImages;
    in.Container = FPictureContainer;
    THTMLRenderOut out;
    RenderHTML(cv, in, out);
}

// ---------------------------------------------------------------- the application's hints

namespace {

QPointer<THTMLHintWindow>& sharedWindow() {
    static QPointer<THTMLHintWindow> w;
    return w;
}

void deleteSharedWindow() { delete sharedWindow().data(); }

// Sees the tool-tip event of every widget of the application and shows its tool tip in the HTML
// hint window; the events that end a tool tip hide it.
class HTMLHintFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ToolTip: {
                auto* w = qobject_cast<QWidget*>(watched);
                if (!w || w->toolTip().isEmpty()) return false;  // the widget's own handling (a grid's cells)
                const auto* help = static_cast<const QHelpEvent*>(event);
                plat::guarded([&] { ShowApplicationHint(help->globalPos() + QPoint(0, 16), w->toolTip(), nullptr); });
                return true;
            }
            case QEvent::Leave:
            case QEvent::MouseButtonPress:
            case QEvent::KeyPress:
            case QEvent::Wheel:
            case QEvent::WindowDeactivate:
                if (watched->isWidgetType()) HideApplicationHint();
                return false;
            default: return false;
        }
    }
};

QPointer<HTMLHintFilter>& filter() {
    static QPointer<HTMLHintFilter> f;
    return f;
}

}  // namespace

void SetApplicationHTMLHints(bool On) {
    if (!qApp) return;
    if (On && !filter()) {
        filter() = new HTMLHintFilter;
        filter()->setParent(qApp);
        qApp->installEventFilter(filter());
        QToolTip::hideText();
    } else if (!On && filter()) {
        qApp->removeEventFilter(filter());
        delete filter().data();
        HideApplicationHint();
    }
}

bool ApplicationHTMLHints() { return !filter().isNull(); }

THTMLHintWindow* ApplicationHintWindow() { return sharedWindow().data(); }

void ShowApplicationHint(QPoint GlobalPos, const QString& Hint, QObject* Data) {
    if (Hint.isEmpty()) {
        HideApplicationHint();
        return;
    }
    if (!sharedWindow()) {
        static bool registered = false;
        if (!registered) qAddPostRoutine(deleteSharedWindow);
        registered = true;
        sharedWindow() = new THTMLHintWindow;
    }
    sharedWindow()->ActivateHintData(QRect(GlobalPos, QSize(1, 1)), Hint, Data);
}

void HideApplicationHint() {
    if (sharedWindow()) sharedWindow()->hide();
}

// ---------------------------------------------------------------- the grid's switch

void TExStringGrid::SetUseHTMLHints(const bool& Value) {
    FUseHTMLHints = Value;
    SetApplicationHTMLHints(Value);
}
