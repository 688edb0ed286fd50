#include "platform/CategoryPanels.h"

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <algorithm>

namespace plat {

// ---------------------------------------------------------------------------------------------
// TCategoryPanel

TCategoryPanel::TCategoryPanel(TCategoryPanelGroup* group)
    : QWidget(nullptr), group_(group), client_(new QWidget(this)) {
    setMouseTracking(true);
    client_->setAutoFillBackground(false);
    group_->add(this);
}

void TCategoryPanel::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TCategoryPanel::setPanelHeight(int height) {
    height = std::max(height, group_->HeaderHeight());
    if (height == height_) return;
    height_ = height;
    group_->relayout();
}

void TCategoryPanel::setTop(int top) {
    if (top == top_) return;
    top_ = top;
    group_->relayout();
}

void TCategoryPanel::setCollapsed(bool collapsed) {
    if (collapsed == collapsed_) return;
    collapsed_ = collapsed;
    client_->setVisible(!collapsed);
    group_->relayout();
    update();
    emit collapseChanged(collapsed);
    if (!collapsed) emit expanded();
}

int TCategoryPanel::shownHeight() const { return collapsed_ ? group_->HeaderHeight() : height_; }

bool TCategoryPanel::overHeader(const QPoint& p) const { return p.y() >= 0 && p.y() < group_->HeaderHeight(); }

void TCategoryPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int hh = group_->HeaderHeight();
    const QRect header(0, 0, width(), hh);
    p.fillRect(header, group_->HeaderColor());
    p.setPen(group_->HeaderColor().darker(115));
    p.drawLine(header.bottomLeft(), header.bottomRight());

    p.setFont(group_->HeaderFont());
    p.setPen(isEnabled() ? QColor(96, 96, 96) : QColor(160, 160, 160));
    const QRect textRect = header.adjusted(8, 0, -28, 0);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(caption_, Qt::ElideRight, textRect.width()));

    // Chevron: pointing up while expanded (a click collapses), down while collapsed.
    p.setRenderHint(QPainter::Antialiasing);
    QColor chevron = (hot_ && isEnabled()) ? QColor(220, 0, 0) : QColor(110, 110, 110);
    if (!isEnabled()) chevron = QColor(170, 170, 170);
    QPen pen(chevron, 2);
    p.setPen(pen);
    const int cx = width() - 16;
    const int cy = hh / 2;
    for (int k = 0; k < 2; ++k) {
        const int off = k * 5 - 2;
        QPainterPath path;
        if (collapsed_) {
            path.moveTo(cx - 4, cy + off - 2);
            path.lineTo(cx, cy + off + 2);
            path.lineTo(cx + 4, cy + off - 2);
        } else {
            path.moveTo(cx - 4, cy + off + 2);
            path.lineTo(cx, cy + off - 2);
            path.lineTo(cx + 4, cy + off + 2);
        }
        p.drawPath(path);
    }
}

void TCategoryPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && overHeader(event->position().toPoint()) && isEnabled()) {
        const bool collapse = !collapsed_;
        setCollapsed(collapse);
        if (collapse) emit collapsedByUser();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TCategoryPanel::setHot(bool hot) {
    if (hot == hot_) return;
    hot_ = hot;
    update(0, 0, width(), group_->HeaderHeight());
}

void TCategoryPanel::mouseMoveEvent(QMouseEvent* event) {
    setHot(overHeader(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void TCategoryPanel::leaveEvent(QEvent* event) {
    setHot(false);
    QWidget::leaveEvent(event);
}

void TCategoryPanel::resizeEvent(QResizeEvent* event) {
    const int hh = group_->HeaderHeight();
    client_->setGeometry(0, hh, width(), std::max(0, height_ - hh));
    QWidget::resizeEvent(event);
}

void TCategoryPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// TCategoryPanelGroup

TCategoryPanelGroup::TCategoryPanelGroup(QWidget* parent) : QScrollArea(parent), content_(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setWidget(content_);
    verticalScrollBar()->setSingleStep(20);
    // The content follows the scroll bar while it is dragged.
    verticalScrollBar()->setTracking(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { followPointer(); });
    viewport()->installEventFilter(this);
    headerFont_ = font();
    headerFont_.setFamily(QStringLiteral("Verdana"));
    headerFont_.setBold(true);
    headerFont_.setPixelSize(15);
}

void TCategoryPanelGroup::add(TCategoryPanel* panel) {
    panel->setParent(content_);
    panels_.append(panel);
    panel->installEventFilter(this);
    panel->show();
    relayout();
}

QList<TCategoryPanel*> TCategoryPanelGroup::stackedPanels() const {
    QList<TCategoryPanel*> out;
    for (TCategoryPanel* p : panels_)
        if (!p->isHidden()) out.append(p);
    std::stable_sort(out.begin(), out.end(), [](const TCategoryPanel* a, const TCategoryPanel* b) { return a->top() < b->top(); });
    return out;
}

void TCategoryPanelGroup::setHeaderColor(const QColor& c) {
    headerColor_ = c;
    for (TCategoryPanel* p : panels_) p->update();
}

void TCategoryPanelGroup::setHeaderFont(const QFont& f) {
    headerFont_ = f;
    for (TCategoryPanel* p : panels_) p->update();
}

void TCategoryPanelGroup::relayout() {
    const int w = viewport()->width();
    int y = 0;
    for (TCategoryPanel* p : stackedPanels()) {
        const int h = p->shownHeight();
        p->setGeometry(0, y, w, h);
        y += h;
    }
    content_->resize(w, y);
    followPointer();
}

void TCategoryPanelGroup::followPointer() {
    const QPoint global = QCursor::pos();
    const bool inView = isVisible() && viewport()->rect().contains(viewport()->mapFromGlobal(global));
    for (TCategoryPanel* p : panels_) {
        const QPoint local = p->mapFromGlobal(global);
        p->setHot(inView && p->isVisible() && p->rect().contains(local) && p->overHeader(local));
    }
}

void TCategoryPanelGroup::scrollLineUp() { verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub); }
void TCategoryPanelGroup::scrollLineDown() { verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd); }

void TCategoryPanelGroup::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    relayout();
}

void TCategoryPanelGroup::wheelEvent(QWheelEvent* event) { event->ignore(); }

bool TCategoryPanelGroup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport() && event->type() == QEvent::Resize) relayout();
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        if (std::any_of(panels_.cbegin(), panels_.cend(), [watched](const QObject* p) { return p == watched; }))
            relayout();
    }
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace plat
