// The refusal tip of the grid's editors, drawn by us: a rounded box under its pointer, the icon
// and the bold title on the first line, the text word-wrapped beneath.
#include "grid/ExEditBalloon.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <algorithm>

namespace {

constexpr int kMargin = 8;
constexpr int kPointerHeight = 10;
constexpr int kPointerLeft = 16;  // from the box's left edge to the pointer's tip
constexpr int kPointerHalf = 8;
constexpr int kTextWidth = 320;

QStyle::StandardPixmap iconPixmap(int Icon) {
    switch (Icon) {
        case 1: return QStyle::SP_MessageBoxInformation;
        case 2: return QStyle::SP_MessageBoxWarning;
        default: return QStyle::SP_MessageBoxCritical;
    }
}

QFont boldOf(const QFont& f) {
    QFont b(f);
    b.setBold(true);
    return b;
}

}  // namespace

TEditBalloonTip::TEditBalloonTip(QWidget* AOwner)
    : QWidget(AOwner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
}

TEditBalloonTip::~TEditBalloonTip() { watch(false); }

void TEditBalloonTip::watch(bool On) {
    if (On == FWatching || !qApp) return;
    FWatching = On;
    if (On)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void TEditBalloonTip::ShowAt(QWidget* Target, const QString& Title, const QString& Text, int Icon) {
    if (!Target) return;
    FTarget = Target;
    FTitle = Title;
    FText = Text;
    FIcon = std::clamp(Icon, 0, 3);
    const int iconSize = FIcon ? style()->pixelMetric(QStyle::PM_SmallIconSize) : 0;
    const QFontMetrics fm(font()), bold(boldOf(font()));
    const int titleW = FTitle.isEmpty() ? 0 : bold.horizontalAdvance(FTitle);
    const int headW = iconSize + (iconSize && titleW ? kMargin / 2 : 0) + titleW;
    const int headH = std::max(iconSize, FTitle.isEmpty() ? 0 : bold.height());
    const QRect textR = FText.isEmpty() ? QRect()
                                        : fm.boundingRect(QRect(0, 0, kTextWidth, 10000), Qt::TextWordWrap, FText);
    const int gap = headH && !textR.isEmpty() ? kMargin / 2 : 0;
    const int w = std::max({headW, textR.width(), 2 * kPointerLeft}) + 2 * kMargin;
    const int h = kPointerHeight + kMargin + headH + gap + textR.height() + kMargin;
    FTip = Target->mapToGlobal(QPoint(Target->width() / 2, Target->height()));
    setGeometry(FTip.x() - kPointerLeft, FTip.y(), w, h);
    show();
    raise();
    update();
    watch(true);
}

void TEditBalloonTip::Dismiss() {
    watch(false);
    hide();
}

bool TEditBalloonTip::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
        case QEvent::KeyPress:
        case QEvent::FocusIn:
        case QEvent::FocusOut: Dismiss(); break;
        default: break;
    }
    return QWidget::eventFilter(Watched, Event);
}

void TEditBalloonTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, kPointerHeight + 0.5, width() - 1.0, height() - kPointerHeight - 1.0);
    QPainterPath path;
    path.addRoundedRect(box, 6, 6);
    QPainterPath pointer;
    pointer.moveTo(kPointerLeft - kPointerHalf, box.top() + 1);
    pointer.lineTo(kPointerLeft, 0.5);
    pointer.lineTo(kPointerLeft + kPointerHalf, box.top() + 1);
    pointer.closeSubpath();
    path = path.united(pointer);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.setBrush(palette().color(QPalette::ToolTipBase));
    p.drawPath(path);

    int x = kMargin, y = kPointerHeight + kMargin;
    const int iconSize = FIcon ? style()->pixelMetric(QStyle::PM_SmallIconSize) : 0;
    const QFont bold = boldOf(font());
    const int headH = std::max(iconSize, FTitle.isEmpty() ? 0 : QFontMetrics(bold).height());
    if (FIcon) {
        p.drawPixmap(x, y + (headH - iconSize) / 2, style()->standardIcon(iconPixmap(FIcon)).pixmap(iconSize));
        x += iconSize + kMargin / 2;
    }
    if (!FTitle.isEmpty()) {
        p.setFont(bold);
        p.drawText(QRect(x, y, width() - x - kMargin, headH), Qt::AlignLeft | Qt::AlignVCenter, FTitle);
        p.setFont(font());
    }
    if (!FText.isEmpty()) {
        const int top = y + headH + (headH ? kMargin / 2 : 0);
        p.drawText(QRect(kMargin, top, width() - 2 * kMargin, height() - top - kMargin), Qt::TextWordWrap,
                   FText);
    }
}
