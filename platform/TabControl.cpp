#include "platform/TabControl.h"

#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/ImageList.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <algorithm>

namespace plat {

TCustomTabControl::TCustomTabControl(QWidget* parent) : TCustomControl(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

TCustomTabControl::~TCustomTabControl() = default;

QString TCustomTabControl::TabText(int index) const {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    return tabs_[size_t(index)].text;
}

QObject* TCustomTabControl::TabObject(int index) const {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    return tabs_[size_t(index)].object;
}

void TCustomTabControl::InsertTab(int index, const QString& text, QObject* object) {
    if (index < 0 || index > TabCount()) throwListIndexError(index);
    tabs_.insert(tabs_.begin() + index, Tab{text, object, false});
    if (tabs_.size() == 1)
        tabIndex_ = 0;  // the first tab is selected
    else if (tabIndex_ >= index)
        ++tabIndex_;
    relayout();
}

void TCustomTabControl::DeleteTab(int index) {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    tabs_.erase(tabs_.begin() + index);
    if (tabIndex_ == index)
        tabIndex_ = -1;
    else if (tabIndex_ > index)
        --tabIndex_;
    relayout();
}

void TCustomTabControl::SetTabText(int index, const QString& text) {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    if (tabs_[size_t(index)].text == text) return;
    tabs_[size_t(index)].text = text;
    relayout();
}

void TCustomTabControl::MoveTab(int from, int to) {
    if (from < 0 || from >= TabCount()) throwListIndexError(from);
    if (to < 0 || to >= TabCount()) throwListIndexError(to);
    if (from == to) return;
    Tab t = tabs_[size_t(from)];
    tabs_.erase(tabs_.begin() + from);
    tabs_.insert(tabs_.begin() + to, t);
    if (tabIndex_ == from)
        tabIndex_ = to;
    else if (from < tabIndex_ && to >= tabIndex_)
        --tabIndex_;
    else if (from > tabIndex_ && to <= tabIndex_ && tabIndex_ >= 0)
        ++tabIndex_;
    relayout();
}

bool TCustomTabControl::Highlighted(int index) const {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    return tabs_[size_t(index)].highlighted;
}

void TCustomTabControl::SetHighlighted(int index, bool on) {
    if (index < 0 || index >= TabCount()) throwListIndexError(index);
    tabs_[size_t(index)].highlighted = on;
    Invalidate();
}

void TCustomTabControl::SetTabIndex(int index) {
    if (index < -1 || index >= TabCount()) index = -1;
    if (index == tabIndex_) return;
    tabIndex_ = index;
    relayout();  // in several rows the selected row moves next to the page
}

void TCustomTabControl::SetTabPosition(TTabPosition position) {
    if (position_ == position) return;
    position_ = position;
    relayout();
}

void TCustomTabControl::SetMultiLine(bool on) {
    if (multiLine_ == on) return;
    multiLine_ = on;
    relayout();
}

void TCustomTabControl::SetTabHeight(int height) {
    tabHeight_ = std::max(0, height);
    relayout();
}

void TCustomTabControl::SetTabWidth(int width) {
    tabWidth_ = std::max(0, width);
    relayout();
}

void TCustomTabControl::SetOwnerDraw(bool on) {
    ownerDraw_ = on;
    Invalidate();
}

void TCustomTabControl::SetTabImages(TImageList* images) {
    images_ = images;
    relayout();
}

void TCustomTabControl::SetColor(TColor color) {
    color_ = color;
    Invalidate();
}

QSize TCustomTabControl::TabImageSize() const {
    return images_ ? QSize(images_->Width(), images_->Height()) : QSize();
}

void TCustomTabControl::relayout() {
    layoutValid_ = false;
    LayoutChanged();
    Invalidate();
}

void TCustomTabControl::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    relayout();
}

void TCustomTabControl::changeEvent(QEvent* event) {
    TCustomControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) relayout();
}

void TCustomTabControl::layout() const {
    if (layoutValid_) return;
    layoutValid_ = true;
    const bool vertical = position_ == tpLeft || position_ == tpRight;
    const int W = width(), H = height();
    QFontMetrics fm(const_cast<TCustomTabControl*>(this)->Font().ToQFont());
    const int thick = tabHeight_ > 0 ? tabHeight_ : fm.height() + 6;
    const int avail = (vertical ? H : W) - 4;
    int imageLen = 0;
    if (images_) imageLen = (vertical ? TabImageSize().height() : TabImageSize().width()) + 3;

    // Rows of tabs along the edge; each tab: row and offset along the edge.
    std::vector<int> row(tabs_.size()), pos(tabs_.size()), len(tabs_.size());
    int r = 0, p = 2;
    for (size_t i = 0; i < tabs_.size(); ++i) {
        len[i] = tabWidth_ > 0 ? tabWidth_ : fm.horizontalAdvance(tabs_[i].text) + 12 + imageLen;
        if (multiLine_ && p > 2 && p + len[i] > avail + 2) {
            ++r;
            p = 2;
        }
        row[i] = r;
        pos[i] = p;
        p += len[i];
    }
    const int rows = tabs_.empty() ? 0 : r + 1;
    // The selected tab's row lies next to the page, the rows beyond it keep their order.
    const int selRow = tabIndex_ >= 0 && size_t(tabIndex_) < tabs_.size() ? row[size_t(tabIndex_)] : rows - 1;
    auto place = [&](int rw) {  // 0 = outermost
        if (rows <= 1) return 0;
        if (rw == selRow) return rows - 1;
        return rw > selRow ? rw - 1 : rw;
    };
    rects_.assign(tabs_.size(), TRect{});
    for (size_t i = 0; i < tabs_.size(); ++i) {
        const int k = place(row[i]);
        switch (position_) {
        case tpTop: rects_[i] = Rect(pos[i], 2 + k * thick, pos[i] + len[i], 2 + (k + 1) * thick); break;
        case tpBottom: rects_[i] = Rect(pos[i], H - 2 - (k + 1) * thick, pos[i] + len[i], H - 2 - k * thick); break;
        case tpLeft: rects_[i] = Rect(2 + k * thick, pos[i], 2 + (k + 1) * thick, pos[i] + len[i]); break;
        case tpRight: rects_[i] = Rect(W - 2 - (k + 1) * thick, pos[i], W - 2 - k * thick, pos[i] + len[i]); break;
        }
    }
    const int depth = 2 + rows * thick;
    switch (position_) {
    case tpTop: strip_ = Rect(0, 0, W, depth); break;
    case tpBottom: strip_ = Rect(0, H - depth, W, H); break;
    case tpLeft: strip_ = Rect(0, 0, depth, H); break;
    case tpRight: strip_ = Rect(W - depth, 0, W, H); break;
    }
}

TRect TCustomTabControl::TabRect(int index) const {
    if (index < 0 || index >= TabCount()) return {};
    layout();
    return rects_[size_t(index)];
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
    layout();
    for (size_t i = 0; i < rects_.size(); ++i) {
        const TRect& r = rects_[i];
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return int(i);
    }
    return -1;
}

TRect TCustomTabControl::DisplayRect() const {
    layout();
    const int W = width(), H = height();
    switch (position_) {
    case tpTop: return Rect(4, strip_.Bottom + 4, W - 4, H - 4);
    case tpBottom: return Rect(4, 4, W - 4, strip_.Top - 4);
    case tpLeft: return Rect(strip_.Right + 4, 4, W - 4, H - 4);
    case tpRight: return Rect(4, 4, strip_.Left - 4, H - 4);
    }
    return {};
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    const int i = IndexOfTabAt(X, Y);
    if (i < 0 || i == tabIndex_ || !CanShowTab(i)) return;
    if (!CanChange()) return;
    SetTabIndex(i);
    Change();
}

void TCustomTabControl::Paint() {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(color_);
    c.FillRect(Rect(0, 0, width(), height()));
    if (!ownerDraw_) paintStyled();
}

void TCustomTabControl::paintStyled() {
    layout();
    // The style paints into a picture the canvas then takes, so only one painter works the widget.
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(ToQColor(ColorToRGB(color_)));
    QPainter p(&image);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = DisplayRect().toQRect().adjusted(-2, -2, 2, 2);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
    for (int i = 0; i < TabCount(); ++i) {
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.rect = rects_[size_t(i)].toQRect();
        opt.text = tabs_[size_t(i)].text;
        // The style's rounded shapes in the order north, south, west, east: our positions' order.
        opt.shape = decltype(opt.shape)(int(position_));
        if (i == tabIndex_) opt.state |= QStyle::State_Selected;
        if (!hotTrack_) opt.state &= ~QStyle::State_MouseOver;
        style()->drawControl(QStyle::CE_TabBarTab, &opt, &p, this);
    }
    p.end();
    TBitmap picture;
    picture.SetImage(image);
    Canvas().Draw(0, 0, picture);
}

}  // namespace plat
