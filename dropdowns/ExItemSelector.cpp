#include "dropdowns/ExItemSelector.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <algorithm>

#include "controls/ExHTMLUtil.h"
#include "controls/ExUtilDraw.h"
#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "platform/Error.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"

namespace dropdowns {

using plat::TColor;
using plat::TRect;
constexpr TColor None = plat::clNone;

// ---------------------------------------------------------------------------------------------------
// Items

void TSelectorItem::Changed() {
    if (auto* c = dynamic_cast<TSelectorItems*>(Collection())) c->Changed();
}

void TSelectorItem::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed();
}

void TSelectorItem::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Changed();
}

void TSelectorItem::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TSelectorItem::Assign(const TSelectorItem& Source) {
    SetCaption(Source.FCaption);
    SetColor(Source.FColor);
    SetImageIndex(Source.FImageIndex);
    FImage.Assign(Source.FImage);
    FEnabled = Source.FEnabled;
    FHint = Source.FHint;
}

TSelectorItem& TSelectorItems::Add() {
    return Insert(Count());
}

TSelectorItem& TSelectorItems::Insert(int Index) {
    TSelectorItem& item = TCollection<TSelectorItem>::Insert(Index);
    Changed();
    return item;
}

void TSelectorItems::Delete(int Index) {
    TCollectionBase::Delete(Index);
    Changed();
}

void TSelectorItems::Clear() {
    TCollectionBase::Clear();
    Changed();
}

void TSelectorItems::Assign(const TSelectorItems& Source) {
    if (&Source == this) return;
    BeginUpdate();
    TCollectionBase::Clear();
    for (int i = 0; i < Source.Count(); ++i) TCollection<TSelectorItem>::Insert(Count()).Assign(Source.Items(i));
    pending_ = true;
    EndUpdate();
}

void TSelectorItems::EndUpdate() {
    if (updates_ > 0 && --updates_ == 0 && pending_) Changed();
}

void TSelectorItems::Changed() {
    if (updates_ > 0) {
        pending_ = true;
        return;
    }
    pending_ = false;
    if (OnChange) OnChange(FMyOwner);
}

// ---------------------------------------------------------------------------------------------------
// Appearance

TItemAppearance::TItemAppearance(QObject* Owner) : FOwner(Owner) {
    FFont.SetName(QStringLiteral("Tahoma"));
    ApplyColorStyle(scOffice2007);
}

void TItemAppearance::ApplyColorStyle(TSelectionColorStyle Style) {
    if (Style == FColorStyle) return;
    FColorStyle = Style;
    struct Preset {
        TColor Hot, HotTo, MirrorHot, MirrorHotTo, Top, Bottom, Border, Edge, Sel, SelTo, MirrorSel, MirrorSelTo;
    };
    static constexpr Preset presets[3] = {
        {plat::RGB(253, 255, 215), plat::RGB(252, 212, 88), plat::RGB(252, 212, 88), plat::RGB(252, 241, 179),
         plat::RGB(255, 254, 244), plat::RGB(255, 248, 202), plat::RGB(211, 215, 141), plat::RGB(223, 217, 195),
         plat::RGB(251, 255, 166), plat::RGB(244, 185, 4), plat::RGB(251, 193, 21), plat::RGB(249, 227, 104)},
        {plat::RGB(241, 248, 253), plat::RGB(213, 239, 252), None, None, plat::RGB(246, 251, 253),
         plat::RGB(231, 245, 253), plat::RGB(153, 222, 253), plat::RGB(203, 237, 252), plat::RGB(222, 238, 250),
         plat::RGB(180, 227, 250), None, None},
        {plat::RGB(220, 235, 252), plat::RGB(193, 219, 252), None, None, plat::RGB(235, 244, 253),
         plat::RGB(219, 234, 253), plat::RGB(125, 162, 206), plat::RGB(174, 197, 224), plat::RGB(185, 216, 249),
         plat::RGB(162, 202, 251), None, None},
    };
    if (Style == scCustom) return;
    const Preset& p = presets[Style - scOffice2007];
    ColorHot = p.Hot;
    ColorHotTo = p.HotTo;
    ColorMirrorHot = p.MirrorHot;
    ColorMirrorHotTo = p.MirrorHotTo;
    BorderColorTop = p.Top;
    BorderColorBottom = p.Bottom;
    BorderColor = p.Border;
    EdgeColor = p.Edge;
    ColorSelected = p.Sel;
    ColorSelectedTo = p.SelTo;
    ColorMirrorSelected = p.MirrorSel;
    ColorMirrorSelectedTo = p.MirrorSelTo;
}

void TItemAppearance::Assign(const TItemAppearance& Source) {
    ColorMirrorHotTo = Source.ColorMirrorHotTo;
    BorderColor = Source.BorderColor;
    ColorMirrorHot = Source.ColorMirrorHot;
    ColorSelectedTo = Source.ColorSelectedTo;
    ColorSelected = Source.ColorSelected;
    EdgeColor = Source.EdgeColor;
    ColorHotTo = Source.ColorHotTo;
    BorderColorBottom = Source.BorderColorBottom;
    ColorHot = Source.ColorHot;
    BorderColorTop = Source.BorderColorTop;
    ColorMirrorSelectedTo = Source.ColorMirrorSelectedTo;
    ColorMirrorSelected = Source.ColorMirrorSelected;
    FFont.Assign(Source.FFont);
    ApplyColorStyle(Source.FColorStyle);
    ColorSelectedText = Source.ColorSelectedText;
    ColorHotText = Source.ColorHotText;
    BorderColorHot = Source.BorderColorHot;
    BorderColorSelected = Source.BorderColorSelected;
}

// ---------------------------------------------------------------------------------------------------
// The scroll box

TExCustomItemSelector::TExCustomItemSelector(QWidget* parent) : QScrollArea(parent) {
    FItems = new TSelectorItems(this);
    FItems->OnChange = [this](QObject*) {
        if (FItemSelectorPanel) FItemSelectorPanel->CaptionsChanged();
        UpdateSelectorPanel();
    };
    FItemAppearance = new TItemAppearance(this);
    FItemAppearance->OnChange = [](QObject*) {};
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setFocusPolicy(Qt::StrongFocus);
    FItemSelectorPanel = new TCustomItemSelector(this);
    FItemSelectorPanel->OnItemSelect = [this](QObject*) {
        if (OnItemSelect) OnItemSelect(this);
    };
    setWidget(FItemSelectorPanel);
    UpdateSelectorPanel();
}

TExCustomItemSelector::~TExCustomItemSelector() {
    // The panel reads the items while it goes: it goes first.
    delete takeWidget();
    FItemSelectorPanel = nullptr;
    delete FItems;
    delete FItemAppearance;
}

void TExCustomItemSelector::UpdateSelectorPanel() {
    if (FItemSelectorPanel) FItemSelectorPanel->ArrangeItems();
}

void TExCustomItemSelector::SetColor(TColor Value) {
    FColor = Value;
    if (FItemSelectorPanel) FItemSelectorPanel->update();
    viewport()->update();
}

void TExCustomItemSelector::SetColumns(int Value) {
    if (Value < 1 || Value == FColumns) return;
    FColumns = Value;
    UpdateSelectorPanel();
}

void TExCustomItemSelector::SetSelectorType(TSelectorType Value) {
    if (Value == FSelectorType) return;
    FSelectorType = Value;
    UpdateSelectorPanel();
}

void TExCustomItemSelector::SetImages(const plat::TImageList* Value) {
    if (Value == FImages) return;
    FImages = Value;
    UpdateSelectorPanel();
}

void TExCustomItemSelector::SetColorBoxWidth(int Value) {
    if (Value == FColorBoxWidth) return;
    FColorBoxWidth = Value;
    UpdateSelectorPanel();
}

void TExCustomItemSelector::SetColorBoxHeight(int Value) {
    if (Value == FColorBoxHeight) return;
    FColorBoxHeight = Value;
    UpdateSelectorPanel();
}

int TExCustomItemSelector::ItemIndex() const {
    return FItemSelectorPanel ? FItemSelectorPanel->ItemIndex() : -1;
}

void TExCustomItemSelector::SetItemIndex(int Value) {
    if (!FItemSelectorPanel) return;
    FItemSelectorPanel->SetItemIndex(Value);
    ScrollItemInView(FItemSelectorPanel->ItemIndex());
}

int TExCustomItemSelector::ItemHot() const {
    return FItemSelectorPanel ? FItemSelectorPanel->ItemHot() : -1;
}

#define DD_SELECTOR_STEP(Name, Field)                  \
    void TExCustomItemSelector::Name() {               \
        if (!FItemSelectorPanel) return;               \
        FItemSelectorPanel->Name();                    \
        ScrollItemInView(FItemSelectorPanel->Field()); \
    }
DD_SELECTOR_STEP(SelectFirst, ItemIndex)
DD_SELECTOR_STEP(SelectLast, ItemIndex)
DD_SELECTOR_STEP(SelectNext, ItemIndex)
DD_SELECTOR_STEP(SelectPrevious, ItemIndex)
DD_SELECTOR_STEP(HotNext, ItemHot)
DD_SELECTOR_STEP(HotPrevious, ItemHot)
#undef DD_SELECTOR_STEP

bool TExCustomItemSelector::LookupItem(const QString& S) {
    return FItemSelectorPanel && FItemSelectorPanel->LookupItem(S);
}

bool TExCustomItemSelector::VerticalScrollBarShown() const {
    const QScrollBar* b = verticalScrollBar();
    return verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && b->maximum() > b->minimum();
}

bool TExCustomItemSelector::HorizontalScrollBarShown() const {
    const QScrollBar* b = horizontalScrollBar();
    return horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && b->maximum() > b->minimum();
}

int TExCustomItemSelector::VerticalScrollBarRoom() const {
    QStyleOptionSlider opt;
    opt.initFrom(verticalScrollBar());
    const int overlap = style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarOverlap, &opt, verticalScrollBar());
    return std::max(0, verticalScrollBar()->sizeHint().width() - overlap);
}

void TExCustomItemSelector::ScrollItemInView(int Index) {
    if (!FItemSelectorPanel || Index < 0 || Index >= FItems->Count() || !VerticalScrollBarShown()) return;
    const TRect& item = FItems->Items(Index).Rect();
    // In the box's client coordinates: the panel stands at minus the scroll position.
    int top = item.Top + FItemSelectorPanel->y();
    int bottom = item.Bottom + FItemSelectorPanel->y();
    const int client = viewport()->height();
    QScrollBar* b = verticalScrollBar();
    if (top < 0) {
        b->setValue(b->value() + top);
    } else if (bottom > client) {
        if (bottom - top > client) bottom = client + top;
        b->setValue(b->value() + bottom - client);
    }
}

int TExCustomItemSelector::GetVisibleItemCount() const {
    if (!FItemSelectorPanel || FItems->Count() == 0) return 0;
    int h = height();
    if (HorizontalScrollBarShown()) h -= 20;
    const int itemHeight = FItems->Items(0).Rect().Height();
    if (itemHeight <= 0) return 0;
    return (h / itemHeight) * FColumns;
}

void TExCustomItemSelector::GetPanelSize(int& Width, int& Height) const {
    if (!FItemSelectorPanel) {
        Width = 100;
        Height = 50;
        return;
    }
    Width = FItemSelectorPanel->width();
    Height = FItemSelectorPanel->height();
}

void TExCustomItemSelector::Notification(const void* Component) {
    if (Component && Component == FImages) SetImages(nullptr);
}

void TExCustomItemSelector::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    plat::guarded([this] {
        if (OnResize) OnResize(this);
    });
}

void TExCustomItemSelector::keyPressEvent(QKeyEvent* event) {
    // The drop-down has seen the key already (it watches its hosted control).
    event->accept();
}

// ---------------------------------------------------------------------------------------------------
// The panel

namespace {
TExCustomItemSelector* hostOf(QObject* Owner) {
    auto* host = dynamic_cast<TExCustomItemSelector*>(Owner);
    if (!host) throw plat::Error(QStringLiteral("Invalid parent"));
    return host;
}
}  // namespace

TCustomItemSelector::TCustomItemSelector(QObject* Owner)
    : plat::TCustomControl(hostOf(Owner)), FExItemSelector(static_cast<TExCustomItemSelector*>(Owner)) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(100, 50);
}

bool TCustomItemSelector::enabledItem(int Index) const {
    return Index >= 0 && Index < count() && items().Items(Index).Enabled();
}

void TCustomItemSelector::GetItemArea(TRect& R) {
    R = TRect{FOffSetX, FOffSetY, width() - FOffSetX, height() - FOffSetY};
}

void TCustomItemSelector::GetItemSize(QSize& Size) {
    TExCustomItemSelector& host = *FExItemSelector;
    if (host.OnItemSize) {
        host.OnItemSize(this, Size);
        return;
    }
    int cw = 0, ch = 0;
    if (host.SelectorType() == stColor) {
        cw = host.ColorBoxWidth();
        ch = host.ColorBoxHeight();
    } else {
        for (int i = 0; i < count(); ++i) {
            const TSelectorItem& it = items().Items(i);
            if (!it.Image().Empty()) {
                cw = std::max(cw, it.Image().Width());
                ch = std::max(ch, it.Image().Height());
            } else if (host.Images() && it.ImageIndex() >= 0) {
                cw = std::max(cw, host.Images()->Width());
                ch = std::max(ch, host.Images()->Height());
            }
        }
    }
    const QFont font = host.ItemAppearance().Font().ToQFont();
    if (!captionsMeasured_ || font != captionFont_ || host.Images() != captionImages_) {
        plat::TCanvas& c = Canvas();
        c.Font().Assign(host.ItemAppearance().Font());
        int w = 0, h = 0;
        for (int i = 0; i < count(); ++i) {
            const QString& caption = items().Items(i).Caption();
            if (caption.isEmpty()) continue;
            const QPoint s = DrawHTMLText(c, caption, TRect{0, 0, 1000, 500}, host.Images(), false, this);
            w = std::max(w, s.x());
            h = std::max(h, s.y());
        }
        captionExtent_ = QSize(w, h);
        captionFont_ = font;
        captionImages_ = host.Images();
        captionsMeasured_ = true;
    }
    int tw = captionExtent_.width(), th = captionExtent_.height();
    if (tw > 0) tw += 4;
    const TItemLayout layout = host.ItemLayout();
    if (layout == ilCaptionLeft || layout == ilCaptionRight) {
        int w = 2 * FItemOffSetX;
        if (cw > 0) w += cw;
        if (cw > 0 && tw > 0) w += FCaptionGap;
        if (tw > 0) w += tw;
        Size = QSize(w, std::max(th, ch) + 2 * FItemOffSetY);
    } else {
        int h = 2 * FItemOffSetY;
        if (ch > 0) h += ch;
        if (ch > 0 && th > 0) h += FCaptionGap;
        if (th > 0) h += th;
        Size = QSize(std::max(tw, cw) + 2 * FItemOffSetX, h);
    }
}

void TCustomItemSelector::ArrangeItems() {
    const int n = count();
    if (n == 0) {
        resize(100, 50);
        return;
    }
    FItemHot = -1;
    QSize size;
    GetItemSize(size);
    const int w = size.width(), h = size.height();
    TRect area;
    GetItemArea(area);
    const int x0 = area.Left, y0 = area.Top;
    const int columns = FExItemSelector->Columns();
    int x = x0, y = y0, column = 0, maxX = 0;
    for (int i = 0; i < n; ++i) {
        items().Items(i).SetRect(TRect{x, y, x + w, y + h});
        ++column;
        if (i == n - 1) break;
        if (column < columns) {
            x += w;
        } else {
            maxX = std::max(maxX, x);
            x = x0;
            y += h;
            column = 0;
        }
    }
    maxX = std::max(maxX, x);
    resize(maxX + w + x0, y + h + y0);
    update();
}

int TCustomItemSelector::ItemAtPos(int X, int Y) const {
    for (int i = 0; i < count(); ++i) {
        const TRect& r = items().Items(i).Rect();
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

void TCustomItemSelector::paintEvent(QPaintEvent* event) {
    paintRect_ = event->rect();
    plat::TCustomControl::paintEvent(event);
}

void TCustomItemSelector::Paint() {
    plat::TCanvas& c = Canvas();
    c.Brush().SetColor(FExItemSelector->Color());
    c.Brush().SetStyle(plat::bsSolid);
    c.FillRect(TRect::fromQRect(paintRect_.isValid() ? paintRect_ : rect()));
    // Only the cells the paint touches: opening a long list costs what is in view.
    for (int i = 0; i < count(); ++i)
        if (items().Items(i).Rect().toQRect().intersects(paintRect_)) DrawItem(i, c);
}

void TCustomItemSelector::drawNow(int Index) {
    if (Index < 0 || Index >= count()) return;
    const QRect r = items().Items(Index).Rect().toQRect();
    if (isVisible())
        repaint(r);
    else
        update(r);
}

void TCustomItemSelector::InvalidateItem(int Index) {
    if (Index >= 0 && Index < count()) update(items().Items(Index).Rect().toQRect());
}

void TCustomItemSelector::DrawItem(int Index, plat::TCanvas& Canvas) {
    if (Index < 0 || Index >= count() || !FExItemSelector) return;
    TExCustomItemSelector& host = *FExItemSelector;
    const TSelectorItem& item = items().Items(Index);
    TRect R = item.Rect();
    if (R.Left < 0 && R.Right < 0) return;
    const TItemAppearance& a = host.ItemAppearance();
    TColor border = a.BorderColor, top = a.BorderColorTop, bottom = a.BorderColorBottom, edge = a.EdgeColor;
    TColor fill = None, fillTo = None, mirror = None, mirrorTo = None;
    const bool hot = Index == FItemHot, selected = Index == FItemIndex;
    auto take = [&](TColor c, TColor cTo, TColor m, TColor mTo, TColor plain) {
        fill = c;
        fillTo = cTo;
        mirror = m;
        mirrorTo = mTo;
        if (plain != None) {
            border = plain;
            top = bottom = edge = None;
        }
    };
    if (hot) take(a.ColorHot, a.ColorHotTo, a.ColorMirrorHot, a.ColorMirrorHotTo, a.BorderColorHot);
    if (selected)
        take(a.ColorSelected, a.ColorSelectedTo, a.ColorMirrorSelected, a.ColorMirrorSelectedTo, a.BorderColorSelected);
    if (!hot && !selected) {
        Canvas.Brush().SetStyle(plat::bsSolid);
        Canvas.Brush().SetColor(host.Color());
        Canvas.FillRect(R);
    } else if (top == None) {
        DrawGradientBox(&Canvas, R, fill, fillTo, border, 1, true);
    } else {
        DrawSelectionRect(Canvas, fill, fillTo, mirror, mirrorTo, top, bottom, border, edge, host.Color(), R, 0);
    }
    if (host.OnDrawItem) {
        host.OnDrawItem(this, Canvas, R, Index);
        return;
    }
    const plat::TImageList* images = host.Images();
    int cw = 0, ch = 0;
    enum { None_, Box, Picture, ListImage } content = None_;
    if (host.SelectorType() == stColor) {
        cw = host.ColorBoxWidth();
        ch = host.ColorBoxHeight();
        content = Box;
    } else if (!item.Image().Empty()) {
        cw = item.Image().Width();
        ch = item.Image().Height();
        content = Picture;
    } else if (images && item.ImageIndex() >= 0) {
        cw = images->Width();
        ch = images->Height();
        content = ListImage;
    }
    const TRect C{R.Left + FItemOffSetX, R.Top + FItemOffSetY, R.Right - FItemOffSetX, R.Bottom - FItemOffSetY};
    TRect T = C;
    Canvas.Font().Assign(a.Font());
    if (hot) Canvas.Font().SetColor(a.ColorHotText);
    if (selected) Canvas.Font().SetColor(a.ColorSelectedText);
    Canvas.Brush().SetStyle(plat::bsClear);
    auto drawContent = [&](int X, int Y) {
        switch (content) {
            case Box:
                Canvas.Brush().SetStyle(plat::bsSolid);
                Canvas.Brush().SetColor(item.Color());
                Canvas.Pen().SetColor(plat::clBlack);
                Canvas.Pen().SetWidth(1);
                Canvas.Pen().SetStyle(plat::psSolid);
                Canvas.Rectangle(X, Y, X + cw, Y + ch);
                Canvas.Brush().SetStyle(plat::bsClear);
                break;
            case Picture:
                Canvas.Draw(X, Y, item.Image());
                break;
            case ListImage:
                images->Draw(Canvas, X, Y, item.ImageIndex(), item.Enabled());
                break;
            case None_:
                break;
        }
    };
    const QString& caption = item.Caption();
    // Measures the caption in T and moves T down to centre it; returns its size.
    auto centre = [&]() {
        const QPoint s = DrawHTMLText(Canvas, caption, T, images, false, this);
        if (s.y() < T.Height()) T.Top += (T.Height() - s.y()) / 2;
        return s;
    };
    switch (host.ItemLayout()) {
        case ilCaptionLeft: {
            int X = C.Left;
            if (!caption.isEmpty()) {
                T.Right -= cw;
                const QPoint s = centre();
                DrawHTMLText(Canvas, caption, T, images, true, this);
                X = C.Left + s.x() + FCaptionGap;
            }
            drawContent(X, content == Box ? C.Top : C.Top + (C.Height() - ch) / 2);
            break;
        }
        case ilCaptionRight: {
            const int X = C.Left;
            drawContent(X, content == Box ? C.Top : C.Top + (C.Height() - ch) / 2);
            if (content != None_) T.Left = X + cw + FCaptionGap;
            if (!caption.isEmpty()) {
                centre();
                DrawHTMLText(Canvas, caption, T, images, true, this);
            }
            break;
        }
        case ilCaptionTop: {
            int Y;
            if (!caption.isEmpty()) {
                T.Bottom -= ch;
                const QPoint s = DrawHTMLText(Canvas, caption, T, images, true, this);
                Y = T.Top + s.y() + FCaptionGap;
            } else {
                Y = C.Top + (C.Height() - ch) / 2;
            }
            drawContent(C.Left + (C.Width() - cw) / 2, Y);
            break;
        }
        case ilCaptionBottom: {
            const int Y = caption.isEmpty() ? C.Top + (C.Height() - ch) / 2 : C.Top;
            drawContent(C.Left + (C.Width() - cw) / 2, Y);
            if (content != None_) T.Top = Y + ch + FCaptionGap;
            if (!caption.isEmpty()) DrawHTMLText(Canvas, caption, T, images, true, this);
            break;
        }
    }
}

void TCustomItemSelector::SetItemIndex(int Value) {
    if (Value >= 0 && Value < count() && !items().Items(Value).Enabled()) return;
    const int old = FItemIndex;
    if (old >= 0 && old != Value) {
        FItemIndex = -1;
        InvalidateItem(old);
    }
    FItemIndex = Value;
    if (Value >= 0) {
        drawNow(Value);
        if (OnItemSelect) OnItemSelect(this);
    }
}

void TCustomItemSelector::SetItemHot(int Index) {
    if (Index == FItemHot) return;
    if (Index >= 0 && Index < count() && !items().Items(Index).Enabled()) return;
    const int old = FItemHot;
    if (old >= 0) {
        FItemHot = -1;
        InvalidateItem(old);
    }
    FItemHot = Index;
    if (Index >= 0) drawNow(Index);
}

void TCustomItemSelector::SelectFirst() {
    if (count() > 0) SetItemIndex(0);
}

void TCustomItemSelector::SelectLast() {
    if (count() > 0) SetItemIndex(count() - 1);
}

void TCustomItemSelector::SelectNext() {
    if (count() == 0) return;
    if (FItemIndex == -1)
        SetItemIndex(0);
    else if (FItemIndex + 1 < count())
        SetItemIndex(FItemIndex + 1);
}

void TCustomItemSelector::SelectPrevious() {
    if (count() == 0) return;
    if (FItemIndex == -1)
        SetItemIndex(0);
    else if (FItemIndex - 1 >= 0)
        SetItemIndex(FItemIndex - 1);
}

void TCustomItemSelector::HotNext() {
    if (count() == 0) return;
    if (FItemHot == -1)
        SetItemHot(0);
    else if (FItemHot + 1 < count())
        SetItemHot(FItemHot + 1);
}

void TCustomItemSelector::HotPrevious() {
    if (count() == 0) return;
    if (FItemHot == -1)
        SetItemHot(0);
    else if (FItemHot - 1 >= 0)
        SetItemHot(FItemHot - 1);
}

bool TCustomItemSelector::LookupItem(const QString& S) {
    for (int i = 0; i < count(); ++i) {
        const QString t = UpperCaseUnless(StripHTMLTags(items().Items(i).Caption()).trimmed(), false);
        if (t.startsWith(S)) {
            SetItemIndex(i);
            return true;
        }
    }
    return false;
}

void TCustomItemSelector::MouseMove(plat::TShiftState Shift, int X, int Y) {
    plat::TCustomControl::MouseMove(Shift, X, Y);
    const int i = ItemAtPos(X, Y);
    if (i >= 0 && i != FItemHot) {
        SetItemHot(enabledItem(i) ? i : -1);
        setToolTip(items().Items(i).Hint());
        QToolTip::hideText();
    } else if (i < 0 && FItemHot >= 0) {
        SetItemHot(-1);
    }
}

void TCustomItemSelector::MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    plat::TCustomControl::MouseDown(Button, Shift, X, Y);
    const int i = ItemAtPos(X, Y);
    if (enabledItem(i)) SetItemIndex(i);
}

void TCustomItemSelector::MouseLeave() {
    plat::TCustomControl::MouseLeave();
    if (FItemHot >= 0) SetItemHot(-1);
}

void GrowForTheList(TExCustomDropDown& Edit, TExCustomItemSelector& List, int PanelHeight) {
    TDropDownForm* form = Edit.DropDownForm();
    if (!form) return;
    int room = form->height() - 2 * Edit.DropDownBorderWidth;
    if (Edit.DropDownHeader().Visible()) room -= Edit.DropDownHeader().Height();
    if (Edit.DropDownFooter().Visible()) room -= Edit.DropDownFooter().Height();
    int grow = Edit.DropDownWidth() < 1 ? 2 * Edit.DropDownBorderWidth : 0;
    const int bar = List.VerticalScrollBarShown() || PanelHeight > room ? List.VerticalScrollBarRoom() : 0;
    grow += bar;
    if (grow == 0) return;
    form->resize(form->width() + grow, form->height());
    List.resize(List.width() + bar, List.height());
}

}  // namespace dropdowns
