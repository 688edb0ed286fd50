#include "platform/Themes.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <atomic>
#include <unordered_map>

namespace plat {
namespace {

std::atomic<bool> themeActive{true};

void fill(QPainter* p, int l, int t, int r, int b, TColor color) {
    if (r > l && b > t) p->fillRect(QRect(l, t, r - l, b - t), ToQColor(color));
}

// One ring of an edge on the chosen sides; r shrinks by one pixel on each side drawn.
void ring(QPainter* p, TRect& r, unsigned flags, TColor light, TColor dark) {
    if (r.IsEmpty()) return;
    if (flags & BF_LEFT) fill(p, r.Left, r.Top, r.Left + 1, r.Bottom - 1, light);
    if (flags & BF_TOP) fill(p, r.Left, r.Top, r.Right - 1, r.Top + 1, light);
    if (flags & BF_RIGHT) fill(p, r.Right - 1, r.Top, r.Right, r.Bottom, dark);
    if (flags & BF_BOTTOM) fill(p, r.Left, r.Bottom - 1, r.Right, r.Bottom, dark);
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

void edgeOn(QPainter* p, TRect& r, unsigned edge, unsigned flags) {
    if (edge & BDR_RAISEDOUTER)
        ring(p, r, flags, cl3DLight, cl3DDkShadow);
    else if (edge & BDR_SUNKENOUTER)
        ring(p, r, flags, clBtnShadow, clBtnHighlight);
    if (edge & BDR_RAISEDINNER)
        ring(p, r, flags, clBtnHighlight, clBtnShadow);
    else if (edge & BDR_SUNKENINNER)
        ring(p, r, flags, cl3DDkShadow, cl3DLight);
    if (flags & BF_MIDDLE) fill(p, r.Left, r.Top, r.Right, r.Bottom, clBtnFace);
}

void frame(QPainter* p, const TRect& r, TColor color) {
    fill(p, r.Left, r.Top, r.Right, r.Top + 1, color);
    fill(p, r.Left, r.Bottom - 1, r.Right, r.Bottom, color);
    fill(p, r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1, color);
    fill(p, r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1, color);
}

TRect shrunk(const TRect& r, int by) { return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by}; }

// A filled arrow of rows of odd width, centred in r; `dir` 0 up, 1 down, 2 left, 3 right.
void arrow(QPainter* p, const TRect& r, int dir, TColor color) {
    const int side = std::min(r.Width(), r.Height());
    const int k = std::max(1, (side - 4) / 4);  // rows after the tip
    const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
    for (int i = 0; i <= k; ++i) {
        const int half = (dir == 0 || dir == 2) ? i : k - i;
        const int offset = i - k / 2 - (k % 2);  // the arrow's rows around the centre
        if (dir <= 1)
            fill(p, cx - half, cy + offset, cx + half + 1, cy + offset + 1, color);
        else
            fill(p, cx + offset, cy - half, cx + offset + 1, cy + half + 1, color);
    }
}

void arrowGlyph(QPainter* p, const TRect& r, int dir, bool inactive) {
    if (inactive) {
        arrow(p, {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1}, dir, clBtnHighlight);
        arrow(p, r, dir, clGrayText);
    } else {
        arrow(p, r, dir, clBtnText);
    }
}

void buttonFace(QPainter* p, TRect& r, unsigned state) {
    if (state & DFCS_FLAT) {
        if ((state & DFCS_HOT) && !(state & DFCS_PUSHED)) {
            edgeOn(p, r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        } else {
            frame(p, r, clBtnShadow);
            r = shrunk(r, 1);
            fill(p, r.Left, r.Top, r.Right, r.Bottom, clBtnFace);
        }
        return;
    }
    edgeOn(p, r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void checkMark(QPainter* p, const TRect& in, TColor color) {
    // A tick of three-pixel strokes scaled to the box.
    const int s = std::min(in.Width(), in.Height());
    if (s < 4) return;
    const int x0 = in.Left + (in.Width() - s) / 2, y0 = in.Top + (in.Height() - s) / 2;
    const QColor c = ToQColor(color);
    const int down = s * 2 / 7 + 1, up = s - down - 1;
    const int startX = x0 + (s - down - up) / 2, startY = y0 + s / 2 - 1 - down / 2;
    for (int i = 0; i < down; ++i) p->fillRect(QRect(startX + i, startY + i, 1, 3), c);
    for (int i = 0; i < up; ++i) p->fillRect(QRect(startX + down + i, startY + down - 2 - i, 1, 3), c);
}

void checkBox(QPainter* p, const TRect& r, unsigned state) {
    const bool inactive = state & DFCS_INACTIVE;
    const TColor back = (inactive || (state & DFCS_PUSHED)) ? clBtnFace : clWindow;
    TRect in = r;
    if (state & DFCS_FLAT) {
        frame(p, in, clBtnShadow);
        in = shrunk(in, 1);
    } else {
        edgeOn(p, in, EDGE_SUNKEN, BF_RECT);
    }
    fill(p, in.Left, in.Top, in.Right, in.Bottom, back);
    if (state & DFCS_CHECKED) checkMark(p, shrunk(in, 1), inactive ? clGrayText : clWindowText);
}

void radioButton(QPainter* p, const TRect& r, unsigned state) {
    const bool inactive = state & DFCS_INACTIVE;
    const TColor back = (inactive || (state & DFCS_PUSHED)) ? clBtnFace : clWindow;
    const int s = std::min(r.Width(), r.Height());
    if (s < 2) return;
    const QRect box(r.Left + (r.Width() - s) / 2, r.Top + (r.Height() - s) / 2, s - 1, s - 1);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(ToQColor(back));
    p->setPen(Qt::NoPen);
    p->drawEllipse(box);
    p->setBrush(Qt::NoBrush);
    // Arcs in sixteenths of a degree: the upper-left half from 45 to 225 degrees.
    auto halves = [&](const QRect& b, TColor light, TColor dark) {
        p->setPen(QPen(ToQColor(light), 0));
        p->drawArc(b, 45 * 16, 180 * 16);
        p->setPen(QPen(ToQColor(dark), 0));
        p->drawArc(b, 225 * 16, 180 * 16);
    };
    if (state & DFCS_FLAT) {
        p->setPen(QPen(ToQColor(clBtnShadow), 0));
        p->drawEllipse(box);
    } else {
        halves(box, clBtnShadow, clBtnHighlight);
        if (s > 4) halves(box.adjusted(1, 1, -1, -1), cl3DDkShadow, cl3DLight);
    }
    if (state & DFCS_CHECKED) {
        const int dot = std::max(2, s / 3);
        const QRect d(box.left() + (box.width() + 1 - dot) / 2, box.top() + (box.height() + 1 - dot) / 2, dot - 1, dot - 1);
        p->setPen(QPen(ToQColor(inactive ? clGrayText : clWindowText), 0));
        p->setBrush(ToQColor(inactive ? clGrayText : clWindowText));
        p->drawEllipse(d);
    }
    p->restore();
}

QStyle* styleOf(QWidget* w) { return w ? w->style() : QApplication::style(); }

// The look of a (normal, hot, pressed, disabled) index 0-3.
void applyLook(QStyleOption& opt, int look) {
    opt.state = QStyle::State_None;
    if (look != 3) opt.state |= QStyle::State_Enabled;
    else opt.palette.setCurrentColorGroup(QPalette::Disabled);
    if (look == 1) opt.state |= QStyle::State_MouseOver;
    if (look == 2) opt.state |= QStyle::State_Sunken;
    else opt.state |= QStyle::State_Raised;
}

void initOption(QStyleOption& opt, QWidget* w, const TRect& r) {
    opt.rect = r.toQRect();
    opt.palette = w ? w->palette() : QApplication::palette();
    opt.direction = w ? w->layoutDirection() : QApplication::layoutDirection();
    opt.fontMetrics = w ? w->fontMetrics() : QFontMetrics(QApplication::font());
}

bool themedButton(QPainter* p, QWidget* w, int part, int state, const TRect& r) {
    QStyle* style = styleOf(w);
    QStyleOptionButton opt;
    initOption(opt, w, r);
    if (part == BP_PUSHBUTTON) {
        if (state < PBS_NORMAL || state > PBS_DEFAULTED) return false;
        applyLook(opt, state == PBS_DEFAULTED ? 0 : state - 1);
        if (state == PBS_DEFAULTED) opt.features |= QStyleOptionButton::DefaultButton;
        style->drawControl(QStyle::CE_PushButtonBevel, &opt, p, w);
        return true;
    }
    if (part != BP_RADIOBUTTON && part != BP_CHECKBOX) return false;
    if (state < 1 || state > 12) return false;
    applyLook(opt, (state - 1) % 4);
    const int check = (state - 1) / 4;
    opt.state |= check == 0 ? QStyle::State_Off : check == 1 ? QStyle::State_On : QStyle::State_NoChange;
    style->drawPrimitive(part == BP_CHECKBOX ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton, &opt, p, w);
    return true;
}

// Check boxes and radio buttons come by the hundred in grids and trees, alike per look, size and
// palette: the style draws each kind once into a picture that later cells copy. Only for a painter
// that moves by whole pixels (a scaled or turned one, as in printing, gets the style's own drawing).
struct GlyphKey {
    const QStyle* style;
    qint64 palette;
    int part, state, width, height, direction;
    qreal ratio;
    bool operator==(const GlyphKey&) const = default;
};
struct GlyphKeyHash {
    size_t operator()(const GlyphKey& k) const noexcept {
        size_t h = std::hash<const void*>()(k.style);
        for (qint64 v : {k.palette, qint64(k.part), qint64(k.state), qint64(k.width), qint64(k.height),
                         qint64(k.direction), qint64(k.ratio * 64)})
            h = h * 1000003u ^ std::hash<qint64>()(v);
        return h;
    }
};

bool cachedCheckGlyph(QPainter* p, QWidget* w, int part, int state, const TRect& r) {
    if (!qApp || QThread::currentThread() != qApp->thread()) return false;
    const QTransform& t = p->deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return false;
    QPaintDevice* device = p->device();
    const qreal ratio = device ? device->devicePixelRatio() : 1.0;
    if (ratio != std::floor(ratio)) return false;
    QStyle* style = styleOf(w);
    QStyleOptionButton opt;
    initOption(opt, w, TRect(0, 0, r.Width(), r.Height()));
    const GlyphKey key{style, opt.palette.cacheKey(), part, state, r.Width(), r.Height(), int(opt.direction), ratio};
    static std::unordered_map<GlyphKey, QPixmap, GlyphKeyHash> kept;
    auto it = kept.find(key);
    if (it == kept.end()) {
        if (kept.size() >= 256) kept.clear();  // palettes and sizes come and go; the live ones return
        QPixmap glyph(QSize(r.Width(), r.Height()) * ratio);
        glyph.setDevicePixelRatio(ratio);
        glyph.fill(Qt::transparent);
        QPainter gp(&glyph);
        gp.setRenderHints(p->renderHints());
        applyLook(opt, (state - 1) % 4);
        const int check = (state - 1) / 4;
        opt.state |= check == 0 ? QStyle::State_Off : check == 1 ? QStyle::State_On : QStyle::State_NoChange;
        style->drawPrimitive(part == BP_CHECKBOX ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton,
                             &opt, &gp, w);
        gp.end();
        it = kept.emplace(key, std::move(glyph)).first;
    }
    p->drawPixmap(r.Left, r.Top, it->second);
    return true;
}

bool themedArrowButton(QPainter* p, QWidget* w, QStyle::PrimitiveElement arrowElement, int state, const TRect& r) {
    if (state < 1 || state > 4) return false;
    QStyle* style = styleOf(w);
    QStyleOptionButton opt;
    initOption(opt, w, r);
    applyLook(opt, state - 1);
    style->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, p, w);
    QStyleOption glyph = opt;
    glyph.rect = opt.rect.adjusted(2, 2, -2, -2);
    if (state == 3) glyph.rect.translate(1, 1);
    style->drawPrimitive(arrowElement, &glyph, p, w);
    return true;
}

// The branch indicator of an item view, without its lines: an arrow right (closed) or down (opened).
bool themedTreeGlyph(QPainter* p, QWidget* w, bool hot, bool opened, const TRect& r) {
    QStyle* style = styleOf(w);
    QStyleOption opt;
    initOption(opt, w, r);
    opt.state = QStyle::State_Enabled | QStyle::State_Children;
    if (opened) opt.state |= QStyle::State_Open;
    if (hot) opt.state |= QStyle::State_MouseOver;
    style->drawPrimitive(QStyle::PE_IndicatorBranch, &opt, p, w);
    return true;
}

// A header section of the style, or its sort indicator.
bool themedHeader(QPainter* p, QWidget* w, int part, int state, const TRect& r) {
    QStyle* style = styleOf(w);
    QStyleOptionHeader opt;
    initOption(opt, w, r);
    opt.orientation = Qt::Horizontal;
    opt.position = QStyleOptionHeader::Middle;
    if (part == HP_HEADERITEM) {
        if (state < HIS_NORMAL || state > HIS_PRESSED) return false;
        applyLook(opt, state - 1);
        style->drawControl(QStyle::CE_HeaderSection, &opt, p, w);
        return true;
    }
    if (part == HP_HEADERSORTARROW) {
        if (state != HSAS_SORTEDUP && state != HSAS_SORTEDDOWN) return false;
        applyLook(opt, 0);
        opt.sortIndicator = state == HSAS_SORTEDUP ? QStyleOptionHeader::SortUp : QStyleOptionHeader::SortDown;
        style->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &opt, p, w);
        return true;
    }
    return false;
}

// The progress bar's groove, or its chunk filling the whole of r.
bool themedProgress(QPainter* p, QWidget* w, int part, const TRect& r) {
    if (part != PP_BAR && part != PP_CHUNK) return false;
    QStyle* style = styleOf(w);
    QStyleOptionProgressBar opt;
    initOption(opt, w, r);
    opt.state |= QStyle::State_Horizontal;
    opt.minimum = 0;
    opt.maximum = 100;
    opt.progress = part == PP_CHUNK ? 100 : 0;
    style->drawControl(part == PP_BAR ? QStyle::CE_ProgressBarGroove : QStyle::CE_ProgressBarContents, &opt, p, w);
    return true;
}

}  // namespace

bool IsThemeActive() { return themeActive.load(); }
void SetThemeActive(bool on) { themeActive.store(on); }
bool IsWindowsXPOrLater() { return true; }
bool IsComCtl6() { return true; }
bool ThemeBindingLoaded() { return true; }
QString CurrentThemeColorName() { return {}; }

TThemeData OpenThemeData(QWidget* window, QStringView classList) {
    if (!IsThemeActive()) return {};
    if (classList.compare(u"button", Qt::CaseInsensitive) == 0) return {TThemeClass::Button, window};
    if (classList.compare(u"combobox", Qt::CaseInsensitive) == 0) return {TThemeClass::ComboBox, window};
    if (classList.compare(u"spin", Qt::CaseInsensitive) == 0) return {TThemeClass::Spin, window};
    if (classList.compare(u"treeview", Qt::CaseInsensitive) == 0) return {TThemeClass::TreeView, window};
    if (classList.compare(u"header", Qt::CaseInsensitive) == 0) return {TThemeClass::Header, window};
    if (classList.compare(u"progress", Qt::CaseInsensitive) == 0) return {TThemeClass::Progress, window};
    return {};
}

bool DrawThemeBackground(const TThemeData& theme, TCanvas& canvas, int part, int state, const TRect& r) {
    if (!theme || r.IsEmpty()) return false;
    QPainter* p = canvas.Painter();
    if (!p) return false;
    if (theme.Class() == TThemeClass::Button && (part == BP_CHECKBOX || part == BP_RADIOBUTTON) && state >= 1 &&
        state <= 12 && p->opacity() == 1.0 && p->compositionMode() == QPainter::CompositionMode_SourceOver &&
        cachedCheckGlyph(p, theme.Window(), part, state, r))
        return true;
    p->save();
    bool drawn = false;
    switch (theme.Class()) {
    case TThemeClass::Button: drawn = themedButton(p, theme.Window(), part, state, r); break;
    case TThemeClass::ComboBox:
        drawn = part == CP_DROPDOWNBUTTON && themedArrowButton(p, theme.Window(), QStyle::PE_IndicatorArrowDown, state, r);
        break;
    case TThemeClass::Spin: {
        static constexpr QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                              QStyle::PE_IndicatorArrowRight, QStyle::PE_IndicatorArrowLeft};
        drawn = part >= SPNP_UP && part <= SPNP_DOWNHORZ && themedArrowButton(p, theme.Window(), arrows[part - 1], state, r);
        break;
    }
    case TThemeClass::TreeView:
        drawn = (part == TVP_GLYPH || part == TVP_HOTGLYPH) && (state == GLPS_CLOSED || state == GLPS_OPENED) &&
                themedTreeGlyph(p, theme.Window(), part == TVP_HOTGLYPH, state == GLPS_OPENED, r);
        break;
    case TThemeClass::Header: drawn = themedHeader(p, theme.Window(), part, state, r); break;
    case TThemeClass::Progress: drawn = state == 1 && themedProgress(p, theme.Window(), part, r); break;
    case TThemeClass::None: break;
    }
    p->restore();
    return drawn;
}

QSize GetThemePartSize(const TThemeData& theme, int part, int) {
    if (theme.Class() == TThemeClass::TreeView && (part == TVP_GLYPH || part == TVP_HOTGLYPH)) {
        // The style's branch arrow has no size of its own: it takes the classic button's square,
        // one pixel larger on each side so the arrow reads at small font sizes.
        return {11, 11};
    }
    return {};
}

bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state) {
    QPainter* p = canvas.Painter();
    if (!p) return false;
    const unsigned kind = state & 0xFF;
    if (type == DFC_BUTTON) {
        if (kind == DFCS_BUTTONPUSH) {
            TRect in = r;
            buttonFace(p, in, state);
            if (state & DFCS_ADJUSTRECT) r = in;
            return true;
        }
        if (kind == DFCS_BUTTONCHECK) {
            checkBox(p, r, state);
            return true;
        }
        if (kind == DFCS_BUTTONRADIO) {
            radioButton(p, r, state);
            return true;
        }
        return false;
    }
    if (type == DFC_SCROLL) {
        int dir;
        switch (kind) {
        case DFCS_SCROLLUP: dir = 0; break;
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX: dir = 1; break;
        case DFCS_SCROLLLEFT: dir = 2; break;
        case DFCS_SCROLLRIGHT: dir = 3; break;
        default: return false;
        }
        TRect in = r;
        buttonFace(p, in, state);
        TRect glyph = r;
        if (state & DFCS_PUSHED) glyph = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
        arrowGlyph(p, glyph, dir, state & DFCS_INACTIVE);
        if (state & DFCS_ADJUSTRECT) r = in;
        return true;
    }
    return false;
}

void DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags) {
    QPainter* p = canvas.Painter();
    if (!p) return;
    TRect in = r;
    edgeOn(p, in, edge, flags);
    if (flags & BF_ADJUST) r = in;
}

}  // namespace plat
