#include "controls/ExPageControl.h"

#include "platform/Error.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QRubberBand>
#include <QFontMetrics>
#include <algorithm>

using namespace plat;

// ---------------------------------------------------------------------------------------------
// TTabMargin

void TTabMargin::SetMargin(int index, TMarginSize value) {
    if (index < 0 || index > 2 || margins_[index] == value) return;
    if (OnMarginChange) OnMarginChange(value, margins_[index], index);
    margins_[index] = value;
}

void TTabMargin::Assign(const TTabMargin& other) {
    if (&other == this) return;
    for (int i = 0; i < 3; ++i) margins_[i] = other.margins_[i];
}

// ---------------------------------------------------------------------------------------------
// TExTabSheet

TExTabSheet::TExTabSheet(QWidget* owner) : TCustomControl(owner), owner_(owner) {
    setVisible(false);
}

TExTabSheet::~TExTabSheet() {
    if (pageControl_ && pageControl_->undocking_ == this) pageControl_->undocking_ = nullptr;
    if (pageControl_ && !pageControl_->destroying_) pageControl_->removePage(this);
    pageControl_ = nullptr;
}

void TExTabSheet::SetPageControl(TExPageControl* control) {
    if (pageControl_ == control) return;
    if (pageControl_) pageControl_->removePage(this);
    if (control) {
        setParent(control);
        control->insertPage(this);
    } else {
        setVisible(false);
        if (parentWidget() != owner_.data()) setParent(owner_.data());
    }
}

void TExTabSheet::SetCaption(const QString& caption) {
    // The tab is sized by its tab text while the painter draws the whole caption.
    if (showClose_)
        tabText_ = caption + QLatin1Char(' ');
    else
        tabText_ = caption.size() > 2 ? caption.left(caption.size() - 2) : QString();
    caption_ = caption;
    setWindowTitle(caption);
    refreshTab();
}

void TExTabSheet::refreshTab() {
    if (!pageControl_) return;
    const int tab = TabIndex();
    if (tab < 0) return;
    if (pageControl_->tabBorder3D_)
        pageControl_->SetTabText(tab, caption_);
    else if (pageControl_->activePage_ == this)
        pageControl_->refreshActiveTabWidth(this);
    else
        pageControl_->SetTabText(tab, tabText_);
}

void TExTabSheet::SetColor(TColor c) {
    color_ = c;
    Invalidate();
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetColorTo(TColor c) {
    colorTo_ = c;
    Invalidate();
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetTabColor(TColor c) {
    tabColor_ = c;
    Invalidate();
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetTabColorTo(TColor c) {
    tabColorTo_ = c;
    Invalidate();
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetTextColor(TColor c) {
    textColor_ = c;
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetTabGradientDirection(TGradientDirection d) {
    if (tabGradient_ == d) return;
    tabGradient_ = d;
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetImageIndex(int index) {
    imageIndex_ = index < 0 ? -1 : index;
    SetCaption(caption_);
}

int TExTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TExTabSheet::SetPageIndex(int index) {
    if (!pageControl_) return;
    auto& pages = pageControl_->pages_;
    const int last = int(pages.size()) - 1;
    // A negative index is refused like one past the end: it would corrupt the page list.
    if (index < 0 || index > last)
        throw EListError(QStringLiteral("%1 is an invalid PageIndex value.  PageIndex must be between 0 and %2")
                             .arg(index)
                             .arg(last));
    const int from = PageIndex();
    if (from == index) return;
    const int oldTab = TabIndex();
    pages.erase(pages.begin() + from);
    pages.insert(pages.begin() + index, this);
    if (oldTab >= 0) pageControl_->MoveTab(oldTab, TabIndex());
    pageControl_->Invalidate();
}

int TExTabSheet::TabIndex() const {
    if (!tabShowing_ || !pageControl_) return -1;
    int n = 0;
    for (TExTabSheet* p : pageControl_->pages_) {
        if (p == this) return n;
        if (p->tabShowing_) ++n;
    }
    return -1;
}

void TExTabSheet::SetShowClose(bool on) {
    showClose_ = on;
    SetCaption(caption_);
    if (pageControl_) pageControl_->Invalidate();
}

void TExTabSheet::SetTabVisible(bool on) {
    if (tabVisible_ == on) return;
    tabVisible_ = on;
    updateTabShowing();
}

void TExTabSheet::SetTabEnable(bool on) {
    if (pageControl_) {
        if (tabShowing_ && TabIndex() == pageControl_->TabIndex())
            throw Error(QStringLiteral("Can not disable active tab."));
        tabEnable_ = on;
        pageControl_->Invalidate();
    } else {
        tabEnable_ = on;
    }
}

void TExTabSheet::SetHighlighted(bool on) {
    if (pageControl_ && TabIndex() >= 0) pageControl_->TCustomTabControl::SetHighlighted(TabIndex(), on);
    highlighted_ = on;
}

void TExTabSheet::updateTabShowing() { setTabShowing(pageControl_ && tabVisible_); }

void TExTabSheet::setTabShowing(bool on) {
    if (tabShowing_ == on) return;
    TExPageControl* pc = pageControl_;
    if (on) {
        tabShowing_ = true;
        pc->InsertTab(TabIndex(), pc->tabBorder3D_ ? caption_ : tabText_, this);
        if (highlighted_) pc->TCustomTabControl::SetHighlighted(TabIndex(), true);
        pc->UpdateActivePage();
    } else {
        const int old = TabIndex();
        tabShowing_ = false;
        if (!pc) return;
        pc->DeleteTab(old);
        if (pc->activePage_ == this) {
            const int count = pc->TabCount();
            pc->SetTabIndex(old >= count ? count - 1 : old);
        }
        pc->UpdateActivePage();
    }
}

void TExTabSheet::Paint() {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(color_);
    c.FillRect(Rect(0, 0, width(), height()));
    if (colorTo_ != clNone) DrawGradient(c, color_, colorTo_, 64, Rect(0, 0, width(), height()), false);
}

void TExTabSheet::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    if (docked_) docked_->setGeometry(rect());  // a docked control fills its page
}

void TExTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TExTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

void TExTabSheet::showingChanged(bool showing) {
    if (showing == shownReported_) return;
    shownReported_ = showing;
    // A failing handler is reported and goes no further.
    guarded([&] {
        if (showing)
            DoShow();
        else
            DoHide();
    });
}

void TExTabSheet::showEvent(QShowEvent* event) {
    TCustomControl::showEvent(event);
    showingChanged(true);
}

void TExTabSheet::hideEvent(QHideEvent* event) {
    TCustomControl::hideEvent(event);
    showingChanged(false);
}

// ---------------------------------------------------------------------------------------------
// TExPageControl

TExPageControl::TExPageControl(QWidget* parent) : TCustomTabControl(parent) {
    SetControlStyle(ControlStyle().include(csOpaque).include(csDoubleClicks));
    setAttribute(Qt::WA_OpaquePaintEvent);
    tabMargin_.OnMarginChange = [this](TMarginSize n, TMarginSize o, int i) { marginChanged(n, o, i); };
    SetImages(&spacer_);  // the tab control itself gets no image list
    SetOwnerDraw(true);
    Font().SetName(QStringLiteral("Tahoma"));
    activeFont_.SetName(QStringLiteral("Tahoma"));
    setMouseTracking(true);
    // Ctrl+Tab and Ctrl+Shift+Tab reach the control from any control on its pages, whatever
    // that control does with Tab.
    qApp->installEventFilter(this);
}

TExPageControl::~TExPageControl() {
    destroying_ = true;
    // The pages forget the control so none tries to leave it.
    for (TExTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

TExTabSheet* TExPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) throwListIndexError(index);
    return pages_[size_t(index)];
}

QString TExPageControl::Version() const {
    const int v = GetVersionNr();
    return QStringLiteral("%1.%2.%3.%4").arg((v >> 24) & 0xFF).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

void TExPageControl::insertPage(TExTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    if (page->textColor_ == 0) page->textColor_ = defaultTextColor_;
    if (page->tabColor_ == clNone) page->tabColor_ = defaultTabColor_;
    if (page->tabColorTo_ == clNone) page->tabColorTo_ = defaultTabColorTo_;
    page->setGeometry(DisplayRect().toQRect());
    page->updateTabShowing();
    Invalidate();
}

void TExPageControl::removePage(TExTabSheet* page) {
    TExTabSheet* next = FindNextPage(page, true, true);
    if (next == page) next = nullptr;
    page->setTabShowing(false);
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    page->pageControl_ = nullptr;
    if (hoverPage_ >= PageCount()) hoverPage_ = -1;
    if (activePage_ == page) {
        page->setVisible(false);
        activePage_ = nullptr;
    }
    if (!destroying_) SetActivePage(next);
    Invalidate();
}

TExTabSheet* TExPageControl::FindNextPage(TExTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const {
    const int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(pages_.begin(), pages_.end(), CurPage);
    int start = it == pages_.end() ? (GoForward ? count - 1 : 0) : int(it - pages_.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TExTabSheet* p = pages_[size_t(i)];
        if (!CheckTabVisible || p->TabVisible()) return p;
    } while (i != start);
    return nullptr;
}

void TExPageControl::SelectNextPage(bool GoForward) {
    TExTabSheet* page = FindNextPage(activePage_, GoForward, true);
    if (page && page != activePage_ && CanChange()) {
        SetTabIndex(page->TabIndex());
        Change();
    }
}

void TExPageControl::SetActivePage(TExTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    changeActivePage(page);
    if (!page) {
        SetTabIndex(-1);
        if (activePage_) activePage_->setVisible(false);
        activePage_ = nullptr;
    } else if (page == activePage_) {
        SetTabIndex(page->TabIndex());
    }
    Invalidate();
}

void TExPageControl::changeActivePage(TExTabSheet* page) {
    if (page == activePage_ || !page || !page->tabEnable_) return;
    TExTabSheet* old = activePage_;
    QWidget* focus = QApplication::focusWidget();
    const bool focusInOld = old && focus && old->isAncestorOf(focus);
    page->setGeometry(DisplayRect().toQRect());
    page->raise();
    page->setVisible(true);
    if (old) old->setVisible(false);
    activePage_ = page;
    if (old) old->refreshTab();
    page->refreshTab();
    if (focusInOld) {
        // The focus stays in the pages: on the new page's first control, or on the control.
        page->setFocus();
        QWidget* next = page->nextInFocusChain();
        if (next && page->isAncestorOf(next) && next->focusPolicy() != Qt::NoFocus)
            next->setFocus();
        else
            setFocus();
    }
}

void TExPageControl::refreshActiveTabWidth(TExTabSheet* page) {
    const int tab = page->TabIndex();
    if (tab < 0 || tabBorder3D_) return;
    QString text = page->tabText_;
    if (page == activePage_ && (activeFont_.Style().contains(fsBold) || activeFont_.Style().contains(fsItalic))) {
        // A bold or italic active font needs more room than the tab was sized for in Font.
        QFontMetrics active(activeFont_.ToQFont()), plain(Font().ToQFont());
        const int diff = active.horizontalAdvance(text) - plain.horizontalAdvance(text);
        QString blanks;
        while (plain.horizontalAdvance(blanks) < diff) blanks += QLatin1Char(' ');
        text += blanks;
    }
    SetTabText(tab, text);
}

int TExPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TExPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[size_t(index)] : nullptr);
}

void TExPageControl::UpdateActivePage() {
    if (TabIndex() < 0)
        SetActivePage(nullptr);
    else
        SetActivePage(static_cast<TExTabSheet*>(TabObject(TabIndex())));
}

int TExPageControl::tabToPage(int tab) const {
    if (tab < 0) return -1;
    int n = 0;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i]->tabShowing_) continue;
        if (n == tab) return int(i);
        ++n;
    }
    return -1;
}

int TExPageControl::PageIndexAt(int x, int y) const { return tabToPage(IndexOfTabAt(x, y)); }

TRect TExPageControl::PageTabRect(int pageIndex) const {
    if (pageIndex < 0 || pageIndex >= PageCount()) return {};
    return TabRect(pages_[size_t(pageIndex)]->TabIndex());
}

bool TExPageControl::CanChange() {
    const QPoint at = mapFromGlobal(QCursor::pos());
    bool allow = true;
    if (OnCanChange) OnCanChange(this, ActivePageIndex(), PageIndexAt(at.x(), at.y()), allow);
    return allow && TCustomTabControl::CanChange();
}

void TExPageControl::Change() {
    UpdateActivePage();
    TCustomTabControl::Change();
    Invalidate();
}

bool TExPageControl::CanShowTab(int tab) {
    const int page = tabToPage(tab);
    if (page < 0) return false;
    // A disabled tab is never selected, so the selection and the shown page stay together.
    return pages_[size_t(page)]->isEnabled() && pages_[size_t(page)]->tabEnable_;
}

int TExPageControl::GetImageIndex(int tab) {
    if (OnGetImageIndex) return TCustomTabControl::GetImageIndex(tab);
    const int page = tabToPage(tab);
    if (page < 0) return 0;
    const int i = pages_[size_t(page)]->imageIndex_;
    return i < 0 ? 0 : i;
}

void TExPageControl::ShowControl(QWidget* control) {
    for (TExTabSheet* p : pages_)
        if (p == control) SetActivePage(p);
    if (control) control->show();
}

void TExPageControl::LayoutChanged() { fitPages(); }

void TExPageControl::fitPages() {
    const QRect r = DisplayRect().toQRect();
    for (TExTabSheet* p : pages_) p->setGeometry(r);
}

QSize TExPageControl::TabImageSize() const {
    if (TabImages() == &spacer_) return QSize(spacerW_, spacerH_);
    return TCustomTabControl::TabImageSize();
}

// --- settings

void TExPageControl::SetActiveFont(const TFont& font) {
    activeFont_.Assign(font);
    if (activePage_) activePage_->refreshTab();
    Invalidate();
}

void TExPageControl::SetCloseGlyph(const TBitmap& glyph) {
    closeGlyph_.Assign(glyph);
    Invalidate();
}

void TExPageControl::SetDefaultTextColor(TColor c) {
    for (TExTabSheet* p : pages_)
        if (p->textColor_ == defaultTextColor_) p->textColor_ = c;
    defaultTextColor_ = c;
    Invalidate();
}

void TExPageControl::SetDefaultTabColor(TColor c) {
    for (TExTabSheet* p : pages_)
        if (p->tabColor_ == defaultTabColor_) p->tabColor_ = c;
    defaultTabColor_ = c;
    Invalidate();
}

void TExPageControl::SetDefaultTabColorTo(TColor c) {
    for (TExTabSheet* p : pages_)
        if (p->tabColorTo_ == defaultTabColorTo_) p->tabColorTo_ = c;
    defaultTabColorTo_ = c;
    Invalidate();
}

void TExPageControl::SetActiveColor(TColor c) { activeColor_ = c; Invalidate(); }
void TExPageControl::SetActiveColorTo(TColor c) { activeColorTo_ = c; Invalidate(); }
void TExPageControl::SetTabBorderColor(TColor c) { tabBorderColor_ = c; Invalidate(); }

void TExPageControl::SetTabBorder3D(bool on) {
    if (tabBorder3D_ == on) return;
    tabBorder3D_ = on;
    SetTabImages(on ? images_ : &spacer_);
    SetOwnerDraw(!on);
    for (TExTabSheet* p : pages_)
        if (p->TabIndex() >= 0) SetTabText(p->TabIndex(), on ? p->caption_ : p->tabText_);
    if (!on && activePage_) refreshActiveTabWidth(activePage_);
    Invalidate();
}

void TExPageControl::SetTabSheet3D(bool on) {
    if (tabSheet3D_ == on) return;
    tabSheet3D_ = on;
    Invalidate();
}

void TExPageControl::SetTabSheetBorderColor(TColor c) {
    if (tabSheetBorderColor_ == c) return;
    tabSheetBorderColor_ = c;
    Invalidate();
}

void TExPageControl::SetTabBackGroundColor(TColor c) {
    if (tabBackGroundColor_ == c) return;
    tabBackGroundColor_ = c;
    Invalidate();
}

void TExPageControl::SetTabBackGround(const TBitmap& picture) {
    tabBackGround_.Assign(picture);
    Invalidate();
}

void TExPageControl::SetTabBackGroundActive(const TBitmap& picture) {
    tabBackGroundActive_.Assign(picture);
    Invalidate();
}

void TExPageControl::SetTabOverlap(int overlap) {
    tabOverlap_ = std::clamp(overlap, 0, 15);
    Invalidate();
}

void TExPageControl::SetTabSplitLine(bool on) {
    if (on && tabStyle_ == tsDotNet) throw Error(QStringLiteral("TabSplitLine must be false when TabStyle is tsDotNet"));
    tabSplitLine_ = on;
    Invalidate();
}

void TExPageControl::SetRoundEdges(bool on) {
    if (roundEdges_ == on) return;
    roundEdges_ = on;
    Invalidate();
}

void TExPageControl::SetTabStyle(TTabStyle style) {
    if (tabStyle_ == style) return;
    tabStyle_ = style;
    Invalidate();
}

void TExPageControl::SetLowerActive(int lower) {
    if (lowerActive_ == lower) return;
    lowerActive_ = lower;
    Invalidate();
}

int TExPageControl::listLength(const TImageList* list) const {
    if (!list) return 0;
    const bool vertical = TabPosition() == tpLeft || TabPosition() == tpRight;
    if (list == &spacer_) return vertical ? spacerH_ : spacerW_;
    return vertical ? list->Height() : list->Width();
}

void TExPageControl::addListLength(int delta) {
    if (TabPosition() == tpLeft || TabPosition() == tpRight)
        spacerH_ += delta;
    else
        spacerW_ += delta;
}

void TExPageControl::SetImages(TImageList* images) {
    if (images_) addListLength(-listLength(images_));
    images_ = images;
    if (images_) addListLength(listLength(images_));
    if (tabBorder3D_) SetTabImages(images_);
    relayout();
}

void TExPageControl::sizeSpacer() {
    const int base = listLength(images_);
    if (TabPosition() == tpLeft || TabPosition() == tpRight)
        spacerH_ = base + tabMargin_.RightMargin() + tabMargin_.TopMargin();
    else
        spacerW_ = base + tabMargin_.RightMargin() + tabMargin_.LeftMargin();
    relayout();
}

void TExPageControl::SetTabPosition(TTabPosition position) {
    TImageList* images = images_;
    SetImages(nullptr);
    TCustomTabControl::SetTabPosition(position);
    SetImages(images);
    sizeSpacer();
}

void TExPageControl::marginChanged(TMarginSize newValue, TMarginSize oldValue, int index) {
    if (loaded_) {
        const bool vertical = TabPosition() == tpLeft || TabPosition() == tpRight;
        const int base = listLength(images_);
        if (index == 0 && !vertical)
            spacerW_ = base + tabMargin_.RightMargin() + newValue;
        else if (index == 1 && vertical)
            spacerH_ = base + tabMargin_.RightMargin() + newValue;
        else if (index == 2)
            addListLength(newValue - oldValue);
        relayout();
    }
    Invalidate();
}

void TExPageControl::Loaded() {
    for (TExTabSheet* p : pages_)
        if (p->TabIndex() >= 0) TCustomTabControl::SetHighlighted(p->TabIndex(), p->highlighted_);
    sizeSpacer();
    loaded_ = true;
}

// --- keys and mouse

bool TExPageControl::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::WindowTitleChange || e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent) {
        auto* w = qobject_cast<QWidget*>(watched);
        for (TExTabSheet* p : pages_) {
            if (!w || p->docked_ != w) continue;
            guarded([&] {
                if (e->type() == QEvent::WindowTitleChange)
                    p->SetCaption(w->windowTitle().section(QLatin1Char('\n'), 0, 0).section(QLatin1Char('\r'), 0, 0));
                else
                    p->SetTabVisible(!w->isHidden());
            });
            break;
        }
        return false;
    }
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (!(k->modifiers() & Qt::ControlModifier) || (k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab))
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || (w != this && !isAncestorOf(w)) || w != QApplication::focusWidget()) return false;
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
    guarded([&] { SelectNextPage(!back); });
    return true;
}

TRect TExPageControl::CloseRect(int pageIndex) const {
    TRect r = PageTabRect(pageIndex);
    if (r.IsEmpty()) return {};
    if (TabPosition() == tpLeft) {
        int left = r.Left + tabMargin_.LeftMargin();
        int bottom = r.Bottom - tabMargin_.TopMargin();
        if (!tabBackGroundActive_.Empty()) {
            left += 2;
            bottom += tabOverlap_;
        }
        return Rect(left + 2, bottom - 13, left + 14, bottom - 2);
    }
    const int left = r.Left + tabMargin_.LeftMargin();
    const int top = r.Top + tabMargin_.TopMargin();
    return Rect(left + 2, top + 2, left + 14, top + 13);
}

static bool inRect(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

TExTabSheet* TExPageControl::DockControl(QWidget* control) {
    if (!dockSite_ || !control) return nullptr;
    for (TExTabSheet* p : pages_)
        if (p->docked_ == control) return nullptr;  // docked here already
    auto* sheet = new TExTabSheet(this);
    try {
        const bool visible = !control->isHidden();
        if (control->isWindow()) sheet->SetCaption(control->windowTitle());
        sheet->SetPageControl(this);
        control->setParent(sheet, Qt::Widget);
        sheet->docked_ = control;
        control->setGeometry(sheet->rect());
        sheet->SetTabVisible(visible);
        if (visible) {
            control->show();
            SetActivePage(sheet);
        }
    } catch (...) {
        delete sheet;  // a failing dock leaves no page behind
        throw;
    }
    return sheet;
}

void TExPageControl::UndockControl(QWidget* control) {
    TExTabSheet* page = nullptr;
    for (TExTabSheet* p : pages_)
        if (p->docked_ == control) page = p;
    if (!page) return;
    undocking_ = page;
    page->docked_ = nullptr;
    const bool visible = !control->isHidden();
    control->setParent(nullptr, Qt::Window);
    if (visible) control->show();
    TExTabSheet* next = FindNextPage(page, true, true);
    if (next && next != page) SetActivePage(next);
    if (undocking_ == page && !destroying_) {
        undocking_ = nullptr;
        delete page;
    }
}

TExPageControl* TExPageControl::DockSiteAt(const QPoint& globalPos) {
    for (QWidget* w = QApplication::widgetAt(globalPos); w; w = w->parentWidget())
        if (auto* pc = dynamic_cast<TExPageControl*>(w); pc && pc->dockSite_) return pc;
    return nullptr;
}

void TExPageControl::dragTo(const QPoint& globalPos) {
    if (!dockFrame_) {
        dockFrame_ = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    }
    TExPageControl* target = DockSiteAt(globalPos);
    QRect frame;
    if (target && target != this)
        frame = QRect(target->mapToGlobal(QPoint(0, 0)), target->size());  // the whole window rectangle
    else if (!target && dragPage_ && dragPage_->docked_)
        frame = QRect(globalPos, dragPage_->docked_->size());  // floating where it is let go
    if (frame.isEmpty()) {
        dockFrame_->hide();
    } else {
        dockFrame_->setGeometry(frame);
        dockFrame_->show();
    }
}

void TExPageControl::dropAt(const QPoint& globalPos) {
    dockFrame_.reset();
    if (!dragPage_ || !dragPage_->docked_) return;
    QPointer<QWidget> control = dragPage_->docked_.data();
    TExPageControl* target = DockSiteAt(globalPos);
    if (target == this) return;  // already docked here
    UndockControl(control);
    if (!control) return;
    if (target)
        target->DockControl(control);
    else
        control->move(globalPos);
}

void TExPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Shift.contains(ssDouble)) {
        // A double click on a docked page's tab undocks its control.
        const int page = PageIndexAt(X, Y);
        if (page >= 0 && pages_[size_t(page)]->docked_) {
            UndockControl(pages_[size_t(page)]->docked_);
            return;
        }
    }
    if (Button == mbLeft && !Shift.contains(ssDouble)) {
        const int page = PageIndexAt(X, Y);
        dragPage_ = page >= 0 && pages_[size_t(page)]->docked_ ? pages_[size_t(page)] : nullptr;
        dragStart_ = QPoint(X, Y);
        dragging_ = false;
    }
    if (Button == mbLeft && !tabBorder3D_ && activePage_ && activePage_->showClose_ &&
        inRect(CloseRect(ActivePageIndex()), X, Y)) {
        closePressed_ = true;
        Invalidate();
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    TCustomTabControl::MouseDown(Button, Shift, X, Y);
}

void TExPageControl::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomTabControl::MouseMove(Shift, X, Y);
    if (dragPage_ && Shift.contains(ssLeft)) {
        if (!dragging_ && (QPoint(X, Y) - dragStart_).manhattanLength() >= QApplication::startDragDistance())
            dragging_ = true;
        if (dragging_) {
            dragTo(mapToGlobal(QPoint(X, Y)));
            return;
        }
    }
    if (tabBorder3D_ || tabHoverColor_ == clNone) return;
    if (activePage_ && activePage_->showClose_) {
        const bool hot = inRect(CloseRect(ActivePageIndex()), X, Y);
        if (hot != closeHot_) {
            closeHot_ = hot;
            Invalidate();
        }
    }
    if (!tabBackGround_.Empty()) return;
    const int page = PageIndexAt(X, Y);
    if (page != hoverPage_) {
        update(PageTabRect(hoverPage_).toQRect().adjusted(-2, -2, 2, 2));
        hoverPage_ = page;
        update(PageTabRect(hoverPage_).toQRect().adjusted(-2, -2, 2, 2));
    }
}

void TExPageControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomTabControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && dragging_) {
        dragging_ = false;
        dropAt(mapToGlobal(QPoint(X, Y)));
        dragPage_ = nullptr;
        return;
    }
    if (Button == mbLeft) dragPage_ = nullptr;
    const bool pressed = closePressed_;
    closePressed_ = false;
    if (Button != mbLeft || tabBorder3D_ || !pressed || !activePage_ || !activePage_->showClose_) return;
    if (!inRect(CloseRect(ActivePageIndex()), X, Y)) {
        Invalidate();
        return;
    }
    TExTabSheet* page = activePage_;
    TExTabSheet* next = FindNextPage(page, true, true);
    bool canClose = true;
    if (page->OnCanClose) page->OnCanClose(page, canClose);
    if (canClose) {
        if (page->OnClose) page->OnClose(page);
        if (next != page) SetActivePage(next);
        if (freeOnClose_) {
            delete page;
        } else {
            auto known = std::find_if(closedPages_.begin(), closedPages_.end(),
                                      [&](const ClosedPage& c) { return c.page == page; });
            if (known == closedPages_.end())
                closedPages_.push_back({page->objectName(), page});
            else
                known->name = page->objectName();
            page->SetPageControl(nullptr);
        }
    }
    Invalidate();
}

void TExPageControl::MouseLeave() {
    TCustomTabControl::MouseLeave();
    if (hoverPage_ >= 0 && tabBackGround_.Empty()) update(PageTabRect(hoverPage_).toQRect().adjusted(-2, -2, 2, 2));
    hoverPage_ = -1;
    if (closeHot_) {
        closeHot_ = false;
        Invalidate();
    }
}

void TExPageControl::dropFreedClosedPages() {
    std::erase_if(closedPages_, [](const ClosedPage& c) { return c.page.isNull(); });
}

bool TExPageControl::OpenClosedTab(const QString& TabName) {
    dropFreedClosedPages();
    // Of the pages closed under the name, the first one still closed; the entry stays.
    TExTabSheet* found = nullptr;
    for (const ClosedPage& c : closedPages_) {
        if (c.name != TabName) continue;
        if (!found) found = c.page;
        if (!c.page->PageControl()) {
            found = c.page;
            break;
        }
    }
    if (!found) return false;
    found->SetPageControl(this);
    return true;
}

void TExPageControl::OpenAllClosedTabs() {
    dropFreedClosedPages();
    // A copy: a page that joins may change the list through its handlers.
    const std::vector<ClosedPage> pages = closedPages_;
    for (const ClosedPage& c : pages)
        if (c.page) c.page->SetPageControl(this);
}

std::vector<QString> TExPageControl::ClosedTabNames() const {
    std::vector<QString> names;
    for (const ClosedPage& c : closedPages_)
        if (c.page) names.push_back(c.name);
    return names;
}

void TExPageControl::Paint() {
    TCustomTabControl::Paint();
    if (!tabBorder3D_) DrawTabs(Canvas());
}
