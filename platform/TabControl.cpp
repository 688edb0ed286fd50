#include "platform/TabControl.h"

#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/ImageList.h"

#include <QEvent>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <algorithm>

namespace plat {

namespace {
constexpr int kArrowWidth = 17;  // each of the two arrow buttons
}

// The scroll arrows of an overflowing row: a child window, so it lies over whatever the owner
// paints into the strip.
class TCustomTabControl::Arrows : public QWidget {
public:
    explicit Arrows(TCustomTabControl* owner) : QWidget(owner), owner_(owner) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int h = height();
        for (int b = 0; b < 2; ++b) {
            const QRect r(b * kArrowWidth, 0, kArrowWidth, h);
            p.fillRect(r, ToQColor(ColorToRGB(clBtnFace)));
            p.setPen(ToQColor(ColorToRGB(clBtnHighlight)));
            p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
            p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
            p.setPen(ToQColor(ColorToRGB(clBtnShadow)));
            p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
            p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
            p.setPen(ToQColor(ColorToRGB(cl3DDkShadow)));
            p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
            const bool enabled = b == 0 ? owner_->firstTab_ > 0 : owner_->firstTab_ < owner_->lastFirstTab_;
            const QColor ink = ToQColor(ColorToRGB(enabled ? clBtnText : clGrayText));
            const int cx = r.left() + kArrowWidth / 2, cy = h / 2;
            // A triangle four pixels deep, pointing the way the row moves.
            for (int i = 0; i < 4; ++i) {
                const int x = b == 0 ? cx - 2 + i : cx + 1 - i;
                p.fillRect(QRect(x, cy - i, 1, 2 * i + 1), ink);
            }
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        owner_->ScrollTabs(event->position().x() < kArrowWidth ? -1 : 1);
    }

private:
    TCustomTabControl* owner_;
};

TCustomTabControl::TCustomTabControl(QWidget* parent) : TCustomControl(parent), arrows_(new Arrows(this)) {
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
    revealSelection_ = true;  // a selected tab is never left scrolled out of a single row
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
    layout();
    LayoutChanged();
    Invalidate();
}

void TCustomTabControl::placeArrows() const {
    if (!arrows_) return;
    if (arrowsRect_.Width() <= 0) {
        arrows_->hide();
        return;
    }
    arrows_->setGeometry(arrowsRect_.toQRect());
    arrows_->show();
    arrows_->raise();
    arrows_->update();
}

int TCustomTabControl::FirstVisibleTab() const {
    layout();
    return firstTab_;
}

TRect TCustomTabControl::ScrollArrowsRect() const {
    layout();
    return arrowsRect_;
}

void TCustomTabControl::ScrollTabs(int delta) {
    layout();
    const int first = std::clamp(firstTab_ + delta, 0, lastFirstTab_);
    if (first == firstTab_) return;
    firstTab_ = first;
    relayout();
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
    // A hidden control is resized without a resize event, so the size is checked as well.
    if (layoutValid_ && laidOut_ == size()) return;
    layoutValid_ = true;
    laidOut_ = size();
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
    // A single horizontal row longer than the control scrolls; the arrows take the row's right end.
    const bool scrolls = !multiLine_ && !vertical && !tabs_.empty() && p > avail + 2;
    arrowsRect_ = {};
    if (scrolls) {
        const int room = W - 2 * kArrowWidth;  // the tabs end where the arrows begin
        const int end = p;
        lastFirstTab_ = 0;
        while (lastFirstTab_ + 1 < int(tabs_.size()) && end - (pos[size_t(lastFirstTab_)] - 2) > room)
            ++lastFirstTab_;
        if (revealSelection_ && tabIndex_ >= 0) {
            const size_t t = size_t(tabIndex_);
            if (tabIndex_ < firstTab_) firstTab_ = tabIndex_;
            while (firstTab_ < tabIndex_ && pos[t] + len[t] - (pos[size_t(firstTab_)] - 2) > room) ++firstTab_;
        }
        firstTab_ = std::clamp(firstTab_, 0, lastFirstTab_);
        const int shift = pos[size_t(firstTab_)] - 2;
        for (int& q : pos) q -= shift;
        arrowsRect_ = position_ == tpTop ? Rect(W - 2 * kArrowWidth, 2, W, 2 + thick - 2)
                                         : Rect(W - 2 * kArrowWidth, H - thick, W, H - 2);
    } else {
        firstTab_ = lastFirstTab_ = 0;
    }
    revealSelection_ = false;
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
    placeArrows();
}

TRect TCustomTabControl::TabRect(int index) const {
    if (index < 0 || index >= TabCount()) return {};
    layout();
    return rects_[size_t(index)];
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
    layout();
    const TRect& a = arrowsRect_;
    if (a.Width() > 0 && x >= a.Left && x < a.Right && y >= a.Top && y < a.Bottom) return -1;
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

int TCustomTabControl::GetImageIndex(int tab) {
    int index = tab;
    if (OnGetImageIndex) OnGetImageIndex(this, tab, index);
    return index;
}

void TCustomTabControl::DrawTab(int TabIndex, const TRect& Rect, bool Active) {
    if (OnDrawTab)
        OnDrawTab(this, TabIndex, Rect, Active);
    else
        Canvas().FillRect(Rect);
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
    if (!ownerDraw_) {
        paintStyled();
        return;
    }
    layout();
    for (int i = 0; i < TabCount(); ++i) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(color_);
        DrawTab(i, rects_[size_t(i)], i == tabIndex_);
    }
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
        if (tabs_[size_t(i)].highlighted) {
            // A highlighted tab: its face in the selection colour, the text in the selection's text colour.
            const QRect face = opt.rect.adjusted(2, 2, -2, -2);
            p.fillRect(face, palette().color(QPalette::Highlight));
            p.setPen(palette().color(QPalette::HighlightedText));
            p.setFont(Font().ToQFont());
            p.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, opt.text);
        }
    }
    p.end();
    TBitmap picture;
    picture.SetImage(image);
    Canvas().Draw(0, 0, picture);
    if (images_)
        for (int i = 0; i < TabCount(); ++i) {
            const TRect& r = rects_[size_t(i)];
            const int index = GetImageIndex(i);
            if (index >= 0 && index < images_->Count())
                images_->Draw(Canvas(), r.Left + 4, r.Top + (r.Height() - images_->Height()) / 2, index);
        }
}

}  // namespace plat
