// Painting of the tree control: PaintTree walks the rows of a window of the tree and composes each
// row from its decorations (tree lines, expand button, check, state and node images, cell marks) and
// the node's own content, which the string and draw trees paint.
#include <QApplication>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Guard.h"
#include "platform/Themes.h"
#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TLTInternalPaintOption;
using enum TLTLineType;
using plat::TRect;

namespace {

// Rounded a * b / c, halves away from zero.
int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t p = int64_t(a) * b;
    const int64_t q = (std::abs(p) * 2 + std::abs(c)) / (2 * std::abs(int64_t(c)));
    return int((p < 0) != (c < 0) ? -q : q);
}

// Nearest integer, halves to even.
int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

bool HasPaint(const TLazyTreeCore& t, TLTPaintOption o) {
    return t.TreeOptions().PaintOptions().Contains(o);
}
bool HasMisc(const TLazyTreeCore& t, TLTMiscOption o) {
    return t.TreeOptions().MiscOptions().Contains(o);
}
bool HasSel(const TLazyTreeCore& t, TLTSelectionOption o) {
    return t.TreeOptions().SelectionOptions().Contains(o);
}

// ---- The shared check picture lists ----

// One picture of the index scheme: 0 empty; radio unchecked, radio checked, check unchecked, check
// checked, check mixed, button, each normal, hot, pressed, disabled.
QImage StyleCheckPicture(int index, QSize size, bool flat) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (index <= 0) return image;
    QStyle* style = QApplication::style();
    QPainter p(&image);
    const int group = (index - 1) / 4, look = (index - 1) % 4;
    QStyleOptionButton opt;
    opt.rect = QRect(QPoint(0, 0), size);
    opt.palette = QApplication::palette();
    if (look == 3) opt.palette.setCurrentColorGroup(QPalette::Disabled);
    opt.state = look == 3 ? QStyle::State_None : QStyle::State_Enabled;
    if (look == 1) opt.state |= QStyle::State_MouseOver;
    if (look == 2) opt.state |= QStyle::State_Sunken;
    if (flat) opt.features |= QStyleOptionButton::Flat;
    switch (group) {
        case 0:
        case 1:
            opt.state |= group == 0 ? QStyle::State_Off : QStyle::State_On;
            style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &opt, &p);
            break;
        case 2:
        case 3:
        case 4:
            opt.state |= group == 2 ? QStyle::State_Off : group == 3 ? QStyle::State_On : QStyle::State_NoChange;
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p);
            break;
        default: break;
    }
    return image;
}

// A picture strip of our own resources, as a bitmap (a null one when it is missing).
QImage Resource(const char* name) {
    return QImage(QStringLiteral(":/treeview/%1.png").arg(QLatin1String(name)));
}

// The resource strip of a check picture kind.
const char* CheckResourceName(TCheckImageKind kind) {
    switch (kind) {
        case TCheckImageKind::ckLightCheck: return "LT_CHECK_LIGHT";
        case TCheckImageKind::ckDarkCheck: return "LT_CHECK_DARK";
        case TCheckImageKind::ckLightTick: return "LT_TICK_LIGHT";
        case TCheckImageKind::ckDarkTick: return "LT_TICK_DARK";
        case TCheckImageKind::ckFlat: return "LT_FLAT";
        case TCheckImageKind::ckXP: return "LT_XP";
        default: return nullptr;
    }
}

// A strip cut into square pictures as high as it is, the top-left pixel's colour see-through.
std::unique_ptr<plat::TImageList> ListFromStrip(const QImage& strip) {
    auto list = std::make_unique<plat::TImageList>(strip.height(), strip.height());
    if (strip.isNull()) return list;
    plat::TBitmap bitmap;
    bitmap.SetImage(strip);
    list->AddMasked(bitmap, plat::FromQRgb(strip.pixel(0, 0)));
    return list;
}

std::unique_ptr<plat::TImageList> BuildCheckList(TCheckImageKind kind) {
    if (const char* name = CheckResourceName(kind)) return ListFromStrip(Resource(name));
    // The system kinds are drawn by the style's check-box and radio indicators in its own size.
    QStyle* style = QApplication::style();
    const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth), style->pixelMetric(QStyle::PM_IndicatorHeight));
    auto list = std::make_unique<plat::TImageList>(size.width(), size.height());
    for (int i = 0; i < 21; ++i) {
        plat::TBitmap bitmap(size.width(), size.height(), plat::pf32bit);  // keeps the see-through pixels
        bitmap.SetImage(StyleCheckPicture(i, size, kind == TCheckImageKind::ckSystemFlat));
        list->Add(bitmap);
    }
    // The button pictures come from the dark list (the flat one for the flat kind), centred.
    const plat::TImageList* source = CheckListOfKind(kind == TCheckImageKind::ckSystemFlat ? TCheckImageKind::ckFlat
                                                                                           : TCheckImageKind::ckDarkCheck);
    for (int i = 21; i < 25; ++i) {
        QImage picture(size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.drawImage((size.width() - source->Width()) / 2, (size.height() - source->Height()) / 2, source->Image(i));
        p.end();
        plat::TBitmap bitmap(size.width(), size.height(), plat::pf32bit);
        bitmap.SetImage(picture);
        list->Add(bitmap);
    }
    return list;
}

}  // namespace

void lazytree::TakeFont(plat::TFont& Target, const plat::TFont& Source) {
    if (Target.Name() == Source.Name() && Target.Height() == Source.Height() && Target.Style() == Source.Style() &&
        Target.Orientation() == Source.Orientation()) {
        if (Target.Color() != Source.Color()) Target.SetColor(Source.Color());
        return;
    }
    Target.Assign(Source);
}

const plat::TImageList* UtilityImages() {
    static const std::unique_ptr<plat::TImageList> list = ListFromStrip(Resource("LT_UTILITIES"));
    return list.get();
}

const plat::TImageList* CheckListOfKind(TCheckImageKind Kind) {
    if (Kind == TCheckImageKind::ckCustom) return nullptr;
    // Shared by every tree of the process, made on first use and kept for the process's life.
    static std::recursive_mutex lock;
    static std::map<TCheckImageKind, std::unique_ptr<plat::TImageList>> lists;
    std::lock_guard guard(lock);
    std::unique_ptr<plat::TImageList>& list = lists[Kind];
    if (!list) list = BuildCheckList(Kind);
    return list.get();
}

int CheckImageIndexFor(TLazyTreeCore& Tree, PLazyNode Node, TCheckType ImgCheckType, TCheckState ImgCheckState,
                       bool ImgEnabled, bool TreeEnabled) {
    bool hot = false;
    if (Node) {
        ImgCheckType = Node->CheckType;
        ImgCheckState = Node->CheckState;
        ImgEnabled = !Node->States.Contains(vsDisabled) && TreeEnabled;
        hot = Node == Tree.HotNode();
    }
    using enum TCheckState;
    switch (ImgCheckState) {
        case csUncheckedDisabled: ImgCheckState = csUncheckedNormal; ImgEnabled = false; break;
        case csCheckedDisabled: ImgCheckState = csCheckedNormal; ImgEnabled = false; break;
        case csMixedDisabled: ImgCheckState = csMixedNormal; ImgEnabled = false; break;
        default: break;
    }
    if (ImgCheckType == TCheckType::ctNone) return -1;
    if (ImgCheckType == TCheckType::ctTriStateCheckBox) ImgCheckType = TCheckType::ctCheckBox;
    const bool mixed = ImgCheckState == csMixedNormal || ImgCheckState == csMixedPressed;
    if (mixed) ImgCheckType = TCheckType::ctCheckBox;
    const bool pressed = ImgCheckState == csUncheckedPressed || ImgCheckState == csCheckedPressed ||
                         ImgCheckState == csMixedPressed;
    // The first picture of the group; +1 hot, +2 pressed, +3 disabled.
    int first = 0;
    switch (ImgCheckType) {
        case TCheckType::ctCheckBox:
            first = mixed ? 17 : (ImgCheckState == csCheckedNormal || ImgCheckState == csCheckedPressed) ? 13 : 9;
            break;
        case TCheckType::ctRadioButton:
            first = (ImgCheckState == csCheckedNormal || ImgCheckState == csCheckedPressed) ? 5 : 1;
            break;
        case TCheckType::ctButton: first = 21; break;
        default: return -1;
    }
    if (!ImgEnabled) return first + 3;
    if (pressed) return first + 2;
    return hot ? first + 1 : first;
}

// ---- Properties ----

void TBaseLazyTree::SetImages(const plat::TImageList* Value) {
    if (Value == FImages) return;
    FImages = Value;
    UpdateScrollBars(true);
    Invalidate();
}

void TBaseLazyTree::SetStateImages(const plat::TImageList* Value) {
    if (Value == FStateImages) return;
    FStateImages = Value;
    UpdateScrollBars(true);
    Invalidate();
}

void TBaseLazyTree::SetCustomCheckImages(const plat::TImageList* Value) {
    if (Value == FCustomCheckImages) return;
    FCustomCheckImages = Value;
    if (CheckImageKind == TCheckImageKind::ckCustom) {
        FCheckImages = Value;
        Invalidate();
    }
}

void TBaseLazyTree::SetCheckImageKind(TCheckImageKind Value) {
    if (Value == CheckImageKind && FCheckImages) return;
    CheckImageKind = Value;
    FCheckImages = Value == TCheckImageKind::ckCustom ? FCustomCheckImages : CheckListOfKind(Value);
    Invalidate();
}

void TBaseLazyTree::SetButtonStyle(TLTButtonStyle Value) {
    if (Value == ButtonStyle) return;
    ButtonStyle = Value;
    BuildButtonBitmaps();
    Invalidate();
}

void TBaseLazyTree::SetButtonFillMode(TLTButtonFillMode Value) {
    if (Value == ButtonFillMode) return;
    ButtonFillMode = Value;
    BuildButtonBitmaps();
    Invalidate();
}

void TBaseLazyTree::SetLineStyle(TLTLineStyle Value) {
    if (Value == LineStyle) return;
    LineStyle = Value;
    BuildButtonBitmaps(false, true);
    Invalidate();
}

void TBaseLazyTree::SetBackground(const QImage& Value) {
    FBackground = Value;
    Invalidate();
}

void TBaseLazyTree::SetBackgroundOffsetX(int Value) {
    if (Value == FBackgroundOffsetX) return;
    FBackgroundOffsetX = Value;
    Invalidate();
}

void TBaseLazyTree::SetBackgroundOffsetY(int Value) {
    if (Value == FBackgroundOffsetY) return;
    FBackgroundOffsetY = Value;
    Invalidate();
}

const QImage& TBaseLazyTree::ButtonBitmap(bool Expanded, bool Hot, bool SelectedHot) const {
    const int index = (Expanded ? 3 : 0) + (SelectedHot ? 2 : Hot ? 1 : 0);
    return FButtons[size_t(index)];
}

bool TBaseLazyTree::PaintFocused() const {
    return hasFocus() || HasPaint(*this, TLTPaintOption::toPopupMode);
}

// ---- Hooks ----

void TBaseLazyTree::DoBeforePaint(TCanvas* Canvas) {
    if (OnBeforePaint) OnBeforePaint(this, Canvas);
}

void TBaseLazyTree::DoAfterPaint(TCanvas* Canvas) {
    if (OnAfterPaint) OnAfterPaint(this, Canvas);
}

bool TBaseLazyTree::DoBeforeItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
    bool customDraw = false;
    if (OnBeforeItemPaint) OnBeforeItemPaint(this, Canvas, Node, ItemRect, customDraw);
    return customDraw;
}

void TBaseLazyTree::DoBeforeItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect, plat::TColor& Color,
                                      TItemEraseAction& EraseAction) {
    if (OnBeforeItemErase) OnBeforeItemErase(this, Canvas, Node, ItemRect, Color, EraseAction);
}

void TBaseLazyTree::DoAfterItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
    if (OnAfterItemErase) OnAfterItemErase(this, Canvas, Node, ItemRect);
}

void TBaseLazyTree::DoAfterItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
    if (OnAfterItemPaint) OnAfterItemPaint(this, Canvas, Node, ItemRect);
}

void TBaseLazyTree::DoBeforeCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                      TLTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect) {
    if (!OnBeforeCellPaint) return;
    lazytree::TakeFont(Canvas->Font(), FFont);
    if (CellPaintMode == TLTCellPaintMode::cpmGetContentMargin) {
        // Asking for a margin must not repaint anything the handler touches.
        const bool wasEnabled = viewport()->updatesEnabled();
        SetUpdateState(true);
        OnBeforeCellPaint(this, Canvas, Node, Column, CellPaintMode, CellRect, ContentRect);
        SetUpdateState(false);
        if (wasEnabled && !FStates.Contains(tsPainting)) viewport()->update();
        return;
    }
    OnBeforeCellPaint(this, Canvas, Node, Column, CellPaintMode, CellRect, ContentRect);
}

void TBaseLazyTree::DoAfterCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const TRect& CellRect) {
    if (OnAfterCellPaint) OnAfterCellPaint(this, Canvas, Node, Column, CellRect);
}

bool TBaseLazyTree::DoPaintBackground(TCanvas* Canvas, const TRect& R) {
    bool handled = false;
    if (OnPaintBackground) OnPaintBackground(this, Canvas, R, handled);
    return handled;
}

bool TBaseLazyTree::DoGetCellIsEmpty(PLazyNode Node, TColumnIndex Column) {
    bool empty = true;
    if (OnGetCellIsEmpty) OnGetCellIsEmpty(this, Node, Column, empty);
    return empty;
}

int TBaseLazyTree::DoGetNodeWidth(PLazyNode, TColumnIndex, TCanvas*) {
    return 0;
}

int TBaseLazyTree::DoGetNodeExtraWidth(PLazyNode, TColumnIndex, TCanvas*) {
    return 0;
}

QPoint TBaseLazyTree::DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column, TLTCellContentMarginType Type,
                                             TCanvas* Canvas) {
    if (!OnBeforeCellPaint) return {0, 0};
    const TRect r = GetDisplayRect(Node, Column, true, false, false);
    TRect c = r;
    DoBeforeCellPaint(Canvas ? Canvas : &this->Canvas(), Node, Column, TLTCellPaintMode::cpmGetContentMargin, r, c);
    switch (Type) {
        case TLTCellContentMarginType::ccmtAllSides: return {r.Width() - c.Width(), r.Height() - c.Height()};
        case TLTCellContentMarginType::ccmtTopLeftOnly: return {c.Left - r.Left, c.Top - r.Top};
        case TLTCellContentMarginType::ccmtBottomRightOnly: return {r.Right - c.Right, r.Bottom - c.Bottom};
    }
    return {0, 0};
}

void TBaseLazyTree::DoPaintNode(TLTPaintInfo&) {}

void TBaseLazyTree::SpanPaintCell(TLTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) {
    NextNonEmpty = FHeader->UseColumns() ? FHeader->Columns().GetNextVisibleColumn(PaintInfo.Column) : InvalidColumn;
}

const plat::TImageList* TBaseLazyTree::DoGetImageIndex(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column,
                                                       bool& Ghosted, int& Index) {
    if (OnGetImageIndexEx) {
        const plat::TImageList* list = Kind == TLTImageKind::ikState ? FStateImages : FImages;
        OnGetImageIndexEx(this, Node, Kind, Column, Ghosted, Index, list);
        return list;
    }
    if (OnGetImageIndex) OnGetImageIndex(this, Node, Kind, Column, Ghosted, Index);
    return nullptr;
}

void TBaseLazyTree::DoBeforeDrawLineImage(PLazyNode Node, int Level, int& XPos) {
    if (OnBeforeDrawTreeLine) OnBeforeDrawTreeLine(this, Node, Level, XPos);
}

void TBaseLazyTree::MeasureItemHeight(TCanvas* Canvas, PLazyNode Node) {
    TLazyTreeCore::MeasureItemHeight(Canvas ? Canvas : &this->Canvas(), Node);
}

// ---- Button pictures and the line pattern ----

void TBaseLazyTree::BuildButtonBitmaps() {
    BuildButtonBitmaps(true, true);
}

void TBaseLazyTree::BuildButtonBitmaps(bool NeedButtons, bool NeedLines) {
    const bool themed = FStates.Contains(tsUseThemes);
    plat::TThemeData theme = themed ? plat::OpenThemeData(this, u"treeview") : plat::TThemeData();
    QSize size(9, 9);
    if (theme) size = plat::GetThemePartSize(theme, plat::TVP_GLYPH, plat::GLPS_OPENED);
    FButtonSize = size;
    if (NeedButtons) {
        auto clear = [&](QImage& image) {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);  // the see-through colour
        };
        for (QImage& image : FButtons) clear(image);
        if (OnPrepareButtonImages) {
            OnPrepareButtonImages(this, FButtons[0], FButtons[1], FButtons[2], FButtons[3], FButtons[4], FButtons[5],
                                  size);
        } else if (theme) {
            for (int i = 0; i < 6; ++i) {
                plat::TCanvas canvas(&FButtons[size_t(i)]);
                plat::DrawThemeBackground(theme, canvas, plat::TVP_GLYPH, i < 3 ? plat::GLPS_CLOSED : plat::GLPS_OPENED,
                                          TRect{0, 0, size.width(), size.height()});
            }
        } else {
            const int w = size.width();
            for (int minus = 1; minus >= 0; --minus) {
                QImage& image = FButtons[minus ? 3 : 0];
                plat::TCanvas canvas(&image);
                if (ButtonStyle == TLTButtonStyle::bsTriangle) {
                    canvas.Brush().SetColor(plat::clBlack);
                    canvas.Pen().SetColor(plat::clBlack);
                    if (minus)
                        canvas.Polygon({QPoint(0, 2), QPoint(8, 2), QPoint(4, 6)});
                    else
                        canvas.Polygon({QPoint(2, 0), QPoint(6, 4), QPoint(2, 8)});
                } else if (ButtonFillMode == TLTButtonFillMode::fmShaded) {
                    canvas.Release();
                    image = Resource(minus ? "LT_XPBUTTONMINUS" : "LT_XPBUTTONPLUS")
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
                } else {
                    switch (ButtonFillMode) {
                        case TLTButtonFillMode::fmTreeColor: canvas.Brush().SetColor(FColors.BackGroundColor()); break;
                        case TLTButtonFillMode::fmWindowColor: canvas.Brush().SetColor(plat::clWindow); break;
                        default: canvas.Brush().SetStyle(plat::bsClear); break;
                    }
                    canvas.Pen().SetColor(FColors.TreeLineColor());
                    canvas.Rectangle(0, 0, w, size.height());
                    canvas.Pen().SetColor(FColors.NodeFontColor());
                    canvas.MoveTo(2, w / 2);
                    canvas.LineTo(w - 2, w / 2);
                    if (!minus) {
                        canvas.MoveTo(w / 2, 2);
                        canvas.LineTo(w / 2, w - 2);
                    }
                }
                canvas.Release();
                FButtons[minus ? 4 : 1] = image.copy();
                FButtons[minus ? 5 : 2] = image.copy();
            }
        }
    }
    if (NeedLines) {
        static constexpr std::array<uint16_t, 8> dotted{0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        switch (LineStyle) {
            case TLTLineStyle::lsSolid: FLinePattern.fill(0); break;
            case TLTLineStyle::lsDotted: FLinePattern = dotted; break;
            case TLTLineStyle::lsCustomStyle: {
                const uint16_t* bits = nullptr;
                if (OnGetLineStyle) OnGetLineStyle(this, bits);
                if (bits)
                    std::copy(bits, bits + 8, FLinePattern.begin());
                else
                    FLinePattern = dotted;
                break;
            }
        }
    }
}

namespace {

// The pattern brush of the lines: 0 bits take the line colour, 1 bits the background colour.
QBrush PatternBrush(const std::array<uint16_t, 8>& pattern, plat::TColor line, plat::TColor background) {
    // Lines are drawn many times a row: the last few brushes are kept.
    struct Key {
        std::array<uint16_t, 8> pattern;
        plat::TColor line, background;
        bool operator==(const Key&) const = default;
    };
    thread_local std::vector<std::pair<Key, QBrush>> cache;
    const Key key{pattern, line, background};
    for (const auto& [k, brush] : cache)
        if (k == key) return brush;
    QImage texture(8, 8, QImage::Format_RGB32);
    const QRgb l = plat::ToQColor(line).rgb(), b = plat::ToQColor(background).rgb();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) texture.setPixel(x, y, (pattern[size_t(y)] >> (7 - x)) & 1 ? b : l);
    QBrush brush(texture);
    if (cache.size() >= 8) cache.erase(cache.begin());
    cache.emplace_back(key, brush);
    return brush;
}

}  // namespace

void TBaseLazyTree::DottedHorzLine(TLTPaintInfo& PaintInfo, int Left, int Right, int Top) {
    QPainter* p = PaintInfo.Canvas->Painter();
    if (!p) return;
    const QRect r(std::min(Left, Right), Top, std::abs(Right - Left) + 1, 1);
    p->fillRect(r, PatternBrush(FLinePattern, FLineColor, FColors.BackGroundColor()));
}

void TBaseLazyTree::DottedVertLine(TLTPaintInfo& PaintInfo, int Top, int Bottom, int Left, bool UseSelectedBkColor) {
    QPainter* p = PaintInfo.Canvas->Painter();
    if (!p) return;
    const plat::TColor background = !UseSelectedBkColor ? FColors.BackGroundColor()
                                    : PaintFocused()     ? FColors.FocusedSelectionColor()
                                                         : FColors.UnfocusedSelectionColor();
    const QRect r(Left, std::min(Top, Bottom), 1, std::abs(Bottom - Top) + 1);
    p->fillRect(r, PatternBrush(FLinePattern, FLineColor, background));
}

// ---- Tree lines ----

int TBaseLazyTree::BuildLineImage(PLazyNode Node, TLineImage& LineImage) {
    const bool showRoot = HasPaint(*this, TLTPaintOption::toShowRoot);
    int ancestors = 0, selectLevel = 0;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent) {
        ++ancestors;
        if (p->States.Contains(vsSelected)) ++selectLevel;
    }
    const int indentSize = (showRoot ? 1 : 0) + ancestors;
    LineImage.assign(size_t(indentSize), ltNone);
    if (!HasPaint(*this, TLTPaintOption::toShowTreeLines) ||
        (HasPaint(*this, TLTPaintOption::toHideTreeLinesIfThemed) && FStates.Contains(tsUseThemes)))
        return selectLevel;
    int pos = indentSize - 1;
    auto laterVisible = [&](PLazyNode n) { return GetNextVisibleSiblingNoInit(n) != nullptr; };
    auto earlierVisible = [&](PLazyNode n) { return GetPreviousVisibleSiblingNoInit(n) != nullptr; };
    if (pos >= 0) {
        if (HasPaint(*this, TLTPaintOption::toChildrenAbove)) {
            const bool lowerOrLater = Node->Parent != FRoot || laterVisible(Node);
            if (earlierVisible(Node))
                LineImage[size_t(pos)] = lowerOrLater ? ltTopDownRight : ltTopRight;
            else
                LineImage[size_t(pos)] = lowerOrLater ? ltBottomRight : ltRight;
            int i = pos - 1;
            for (PLazyNode x = Node->Parent; x != FRoot && i >= 0; x = x->Parent, --i)
                LineImage[size_t(i)] = earlierVisible(x) ? ltTopDown : ltNone;
        } else {
            if (Node->Parent != FRoot) {
                LineImage[size_t(pos)] = laterVisible(Node) ? ltTopDownRight : ltTopRight;
                int i = pos - 1;
                for (PLazyNode x = Node->Parent; x->Parent != FRoot && x != FRoot && i >= 0; x = x->Parent, --i)
                    LineImage[size_t(i)] = laterVisible(x) ? ltTopDown : ltNone;
            }
            if (showRoot) {
                if (Node->Parent == FRoot) {
                    const bool first = !earlierVisible(Node), last = !laterVisible(Node);
                    LineImage[0] = first && last ? ltRight : last ? ltTopRight : first ? ltBottomRight : ltTopDownRight;
                } else {
                    PLazyNode top = Node;
                    while (top->Parent != FRoot) top = top->Parent;
                    LineImage[0] = laterVisible(top) ? ltTopDown : ltNone;
                }
            }
        }
    }
    if (FStates.Contains(tsUseExplorerTheme) && pos >= 0 && Node->ChildCount > 0) LineImage[size_t(pos)] = ltNone;
    return selectLevel;
}

void TBaseLazyTree::DrawLineSegments(TLTPaintInfo& PaintInfo, int X, int Y, int H, int VAlign, TLTLineType Style,
                                     bool Reverse) {
    const int half = RoundHalfEven(FIndent / 2.0);
    const int mid = X + half, centre = Y + VAlign, bottom = Y + H;
    const int end = Reverse ? X : X + int(FIndent);
    switch (Style) {
        case ltNone: break;
        case ltBottomRight:
            DottedVertLine(PaintInfo, centre, bottom, mid);
            DottedHorzLine(PaintInfo, mid, end, centre);
            break;
        case ltTopDown: DottedVertLine(PaintInfo, Y, bottom, mid); break;
        case ltTopDownRight:
            DottedVertLine(PaintInfo, Y, bottom, mid);
            DottedHorzLine(PaintInfo, mid, end, centre);
            break;
        case ltRight: DottedHorzLine(PaintInfo, mid, end, centre); break;
        case ltTopRight:
            DottedVertLine(PaintInfo, Y, centre, mid);
            DottedHorzLine(PaintInfo, mid, end, centre);
            break;
        case ltLeft: DottedVertLine(PaintInfo, Y, bottom, Reverse ? X + int(FIndent) : X); break;
        case ltLeftBottom:
            DottedVertLine(PaintInfo, Y, bottom, Reverse ? X + int(FIndent) : X);
            DottedHorzLine(PaintInfo, X, X + int(FIndent), bottom);
            break;
    }
}

void TBaseLazyTree::DrawTreeLines(TLTPaintInfo& PaintInfo, int VAlignment, int IndentSize,
                                  const TLineImage& LineImage) {
    const bool rtl = PaintInfo.BidiMode == TBiDiMode::bdRightToLeft;
    const int step = rtl ? -int(FIndent) : int(FIndent);
    const int start = rtl ? PaintInfo.CellRect.Right - int(FIndent) : PaintInfo.CellRect.Left;
    const int levelBase = HasPaint(*this, TLTPaintOption::toShowRoot) ? 0 : 1;
    const int nodeHeight = int(NodeHeight(PaintInfo.Node));
    const int count = std::min<int>(IndentSize, int(LineImage.size()));
    if (FLineMode == TLTLineMode::lmBands) {
        if (!PaintInfo.PaintOptions.Contains(poGridLines)) return;
        // The band image: each level continues the band of the level below it.
        TLineImage bands(LineImage.size(), ltNone);
        const bool open = PaintInfo.Node->States.Contains(vsExpanded) && GetFirstVisibleChildNoInit(PaintInfo.Node);
        for (int i = int(LineImage.size()) - 1; i >= 0; --i) {
            const TLTLineType t = LineImage[size_t(i)];
            if (open) {
                bands[size_t(i)] = ltLeft;
            } else if (t == ltNone || t == ltTopDown) {
                const bool last = i + 1 >= int(LineImage.size());
                const TLTLineType next = last ? ltNone : LineImage[size_t(i + 1)];
                bands[size_t(i)] = last ? ltLeft : (next == ltNone || next == ltTopRight) ? bands[size_t(i + 1)] : ltLeft;
            } else if (t == ltLeft || t == ltLeftBottom) {
                bands[size_t(i)] = t;
            } else {
                bands[size_t(i)] = ltLeftBottom;
            }
        }
        FLineColor = FColors.GridLineColor();
        int x = start;
        for (int i = 0; i < count; ++i) {
            DoBeforeDrawLineImage(PaintInfo.Node, i + levelBase, x);
            DrawLineSegments(PaintInfo, x, PaintInfo.CellRect.Top, nodeHeight - 1, VAlignment, bands[size_t(i)], rtl);
            x += step;
        }
        return;
    }
    FLineColor = FColors.TreeLineColor();
    int x = start;
    for (int i = 0; i < count; ++i) {
        DoBeforeDrawLineImage(PaintInfo.Node, i + levelBase, x);
        DrawLineSegments(PaintInfo, x, PaintInfo.CellRect.Top, nodeHeight, VAlignment, LineImage[size_t(i)], rtl);
        x += step;
    }
}

// ---- Buttons, check pictures and images ----

void TBaseLazyTree::DrawNodeButton(TCanvas& Canvas, PLazyNode Node, TColumnIndex, const TRect& R, int ButtonX,
                                   int ButtonY, TBiDiMode BidiMode) {
    const bool hot = Node == FCurrentHotNode && FHotNodeButton;
    const bool expanded = Node->States.Contains(vsExpanded);
    const QImage& bitmap = ButtonBitmap(expanded, hot, hot && Node->States.Contains(vsSelected));
    const int x = BidiMode == TBiDiMode::bdRightToLeft ? R.Right - ButtonX - bitmap.width() : R.Left + ButtonX;
    if (QPainter* p = Canvas.Painter()) p->drawImage(QPoint(x, R.Top + ButtonY), bitmap);
}

void TBaseLazyTree::DrawCheckImage(TCanvas& Canvas, const TLTImageInfo& ImageInfo, bool Selected) {
    if (FStates.Contains(tsUseThemes) && CheckImageKind == TCheckImageKind::ckSystemDefault && ImageInfo.Index > 0) {
        const int index = ImageInfo.Index;
        QStyle* s = style();
        const TRect r{ImageInfo.XPos, ImageInfo.YPos, ImageInfo.XPos + s->pixelMetric(QStyle::PM_IndicatorWidth),
                      ImageInfo.YPos + s->pixelMetric(QStyle::PM_IndicatorHeight)};
        const plat::TThemeData theme = plat::OpenThemeData(this, u"button");
        if (theme) {
            if (index <= 8)
                plat::DrawThemeBackground(theme, Canvas, plat::BP_RADIOBUTTON, index, r);
            else if (index <= 20)
                plat::DrawThemeBackground(theme, Canvas, plat::BP_CHECKBOX, index - 8, r);
            else
                plat::DrawThemeBackground(theme, Canvas, plat::BP_PUSHBUTTON, index - 20, r);
            // The button's mark.
            if (index > 20) UtilityImages()->Draw(Canvas, ImageInfo.XPos, ImageInfo.YPos, 4);
            return;
        }
    }
    const plat::TImageList* list = ImageInfo.Images ? ImageInfo.Images : FCheckImages;
    if (!list) return;
    const plat::TColor blend = Selected && !ImageInfo.Ghosted
                                   ? (PaintFocused() ? FColors.FocusedSelectionColor() : FColors.UnfocusedSelectionColor())
                                   : plat::clNone;
    list->DrawStyled(Canvas, ImageInfo.XPos, ImageInfo.YPos, ImageInfo.Index, plat::ILD_TRANSPARENT, blend);
}

void TBaseLazyTree::FetchImageIndex(TLTPaintInfo& PaintInfo, TLTImageKind Kind, TLTImageInfoIndex InfoIndex,
                                    const plat::TImageList* DefaultImages) {
    TLTImageInfo& info = PaintInfo.ImageInfo[InfoIndex];
    info.Index = -1;
    info.Ghosted = false;
    const plat::TImageList* list = DoGetImageIndex(PaintInfo.Node, Kind, PaintInfo.Column, info.Ghosted, info.Index);
    info.Images = list ? list : DefaultImages;
}

void TBaseLazyTree::DrawNodeImage(TLTPaintInfo& PaintInfo, TLTImageInfoIndex InfoIndex, bool DoOverlay) {
    TLTImageInfo& info = PaintInfo.ImageInfo[InfoIndex];
    if (!info.Images) return;
    PLazyNode node = PaintInfo.Node;
    const bool cut = node->States.Contains(vsCutOrCopy) && FStates.Contains(tsCutPending);
    const bool focused = hasFocus() || HasPaint(*this, TLTPaintOption::toGhostedIfUnfocused);
    TLTImageInfo& overlay = PaintInfo.ImageInfo[iiOverlay];
    overlay.Index = -1;
    if (DoOverlay) {
        FetchImageIndex(PaintInfo, TLTImageKind::ikOverlay, iiOverlay, FImages);
        // An overlay equal to the picture itself would only darken it.
        if (overlay.Index == info.Index && overlay.Images == info.Images) overlay.Index = -1;
    }
    const bool enabled = !node->States.Contains(vsDisabled) && isEnabled();
    const bool selected = node->States.Contains(vsSelected);
    plat::TColor blend = FColor;
    if (selected && !info.Ghosted && !cut)
        blend = focused || HasPaint(*this, TLTPaintOption::toPopupMode) ? FColors.FocusedSelectionColor()
                                                                          : FColors.UnfocusedSelectionColor();
    uint32_t style = plat::ILD_TRANSPARENT;
    if (overlay.Index >= 0 && overlay.Index <= 14) style |= plat::IndexToOverlayMask(overlay.Index + 1);
    const bool selectedBlend = selected && !HasSel(*this, TLTSelectionOption::toFullRowSelect) &&
                               !HasMisc(*this, TLTMiscOption::toGridExtensions);
    if (focused && HasPaint(*this, TLTPaintOption::toUseBlendedImages) && (info.Ghosted || selectedBlend || cut))
        style |= plat::ILD_BLEND50;
    if (!enabled)
        lazytree::DrawListImage(*info.Images, info.Index, *PaintInfo.Canvas, info.XPos, info.YPos, style, false);
    else
        info.Images->DrawStyled(*PaintInfo.Canvas, info.XPos, info.YPos, info.Index, style, blend);
    if (overlay.Index >= 15 && overlay.Images)
        overlay.Images->DrawStyled(*PaintInfo.Canvas, info.XPos, info.YPos, overlay.Index,
                                   style & ~plat::ILD_BLEND50 & ~plat::ILD_OVERLAYMASK, blend);
}

void TBaseLazyTree::PlaceCellImage(const plat::TImageList* Images, TBiDiMode BidiMode, int VAlign,
                                   TRect& ContentRect, TLTImageInfo& ImageInfo) {
    const int w = Images->Width();
    if (BidiMode == TBiDiMode::bdRightToLeft) {
        ImageInfo.XPos = ContentRect.Right - w;
        ContentRect.Right -= w + 2;
    } else {
        ImageInfo.XPos = ContentRect.Left - 1;
        ContentRect.Left += w + 2;
    }
    ImageInfo.YPos = ContentRect.Top + VAlign - Images->Height() / 2;
}

void TBaseLazyTree::ShiftByIndent(TLTPaintInfo& PaintInfo, int Levels) {
    int offset = Levels * int(FIndent);
    if (PaintInfo.BidiMode == TBiDiMode::bdRightToLeft) {
        PaintInfo.ContentRect.Right -= offset;
        offset = -offset;
    } else {
        PaintInfo.ContentRect.Left += offset;
    }
    for (TLTImageInfoIndex i : {iiNormal, iiState, iiCheck}) PaintInfo.ImageInfo[i].XPos += offset;
}

// ---- Cell marks and the rubber band ----

void TBaseLazyTree::PaintCellFrame(TLTPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth) {
    TCanvas& canvas = *PaintInfo.Canvas;
    PLazyNode node = PaintInfo.Node;
    if (PaintInfo.PaintOptions.Contains(poColumnColor) && FHeader->Columns().IsValidColumn(PaintInfo.Column)) {
        canvas.Brush().SetColor(FHeader->Columns()[PaintInfo.Column].Color());
        canvas.Brush().SetStyle(plat::bsSolid);
        canvas.FillRect(PaintInfo.CellRect);
    }
    DoBeforeCellPaint(&canvas, node, PaintInfo.Column, TLTCellPaintMode::cpmPaint, PaintInfo.CellRect,
                      PaintInfo.ContentRect);
    const bool gridExtensions = HasMisc(*this, TLTMiscOption::toGridExtensions);
    const bool fullRow = HasSel(*this, TLTSelectionOption::toFullRowSelect);
    TRect inner = PaintInfo.ContentRect;
    if (!gridExtensions) {
        switch (PaintInfo.Alignment) {
            case TAlignment::taLeftJustify:
                inner.Right = std::min(inner.Right, inner.Left + PaintInfo.NodeWidth);
                break;
            case TAlignment::taRightJustify:
                inner.Left = std::max(inner.Left, inner.Right - PaintInfo.NodeWidth);
                break;
            case TAlignment::taCenter:
                if (PaintInfo.NodeWidth < inner.Width()) {
                    inner.Left = (inner.Left + inner.Right - PaintInfo.NodeWidth) / 2;
                    inner.Right = inner.Left + PaintInfo.NodeWidth;
                }
                break;
        }
    }
    const bool focusedColumn = PaintInfo.Column == FFocusedColumn || fullRow;
    const bool selected = node->States.Contains(vsSelected);
    auto drawMark = [&](plat::TColor brush, plat::TColor pen) {
        TRect r = gridExtensions || fullRow ? PaintInfo.CellRect : inner;
        if (r.IsEmpty()) return;
        if (HasPaint(*this, TLTPaintOption::toUseBlendedSelection)) {
            // A see-through selection over what is already painted, clipped to the row picture.
            QPainter* p = canvas.Painter();
            if (!p) return;
            TRect b{std::max(r.Left, WindowOrgX), r.Top, std::min(r.Right, WindowOrgX + MaxWidth), r.Bottom};
            if (b.IsEmpty()) return;
            QColor c = plat::ToQColor(brush);
            c.setAlpha(SelectionBlendFactor);
            p->fillRect(b.toQRect(), c);
            canvas.Brush().SetStyle(plat::bsClear);
            canvas.Pen().SetColor(pen);
            canvas.Rectangle(r);
            return;
        }
        canvas.Brush().SetColor(brush);
        canvas.Pen().SetColor(pen);
        canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, FSelectionCurveRadius, FSelectionCurveRadius);
    };
    if (focusedColumn && PaintInfo.PaintOptions.Contains(poDrawSelection)) {
        if (node == FDropTargetNode && (FLastDropMode == TDropMode::dmOnNode || selected)) {
            drawMark(FColors.DropTargetColor(), FColors.DropTargetBorderColor());
        } else if (selected) {
            if (PaintFocused())
                drawMark(FColors.FocusedSelectionColor(), FColors.FocusedSelectionBorderColor());
            else
                drawMark(FColors.UnfocusedSelectionColor(), FColors.UnfocusedSelectionBorderColor());
        } else if (node == FDropTargetNode) {
            canvas.Brush().SetStyle(plat::bsClear);
        }
    }
    if (focusedColumn && PaintInfo.PaintOptions.Contains(poDrawFocusRect) && PaintFocused() &&
        node == FFocusedNode && PaintInfo.Column == FFocusedColumn) {
        TRect focus = gridExtensions ? PaintInfo.CellRect : inner;
        const plat::TColor font = canvas.Font().Color();
        canvas.Font().SetColor(plat::clWhite);
        canvas.DrawFocusRect(focus);
        canvas.Font().SetColor(font);
    }
}

void TBaseLazyTree::PaintRubberBand(TCanvas& Target, int WindowOrgX, const TRect& SelectionRect,
                                    const TRect& TargetRect) {
    QPainter* p = Target.Painter();
    if (!p) return;
    const TRect band = lazytree::SortRectCorners(SelectionRect);
    if (DrawSelectionMode == TLTDrawSelectionMode::smBlendedRectangle || FStates.Contains(tsUseThemes)) {
        const QRect area = TargetRect.toQRect().translated(WindowOrgX, 0).intersected(band.toQRect());
        if (area.isEmpty()) return;
        QColor c = plat::ToQColor(FColors.SelectionRectangleBlendColor());
        c.setAlpha(SelectionBlendFactor);
        p->fillRect(area, c);
        Target.Brush().SetColor(FColors.SelectionRectangleBorderColor());
        Target.FrameRect(band);
        return;
    }
    Target.DrawFocusRect(band);
}

// ---- Backgrounds ----

void TBaseLazyTree::PaintStaticBackground(TCanvas& Canvas, const TRect& R, QPoint Offset) {
    QPainter* p = Canvas.Painter();
    if (!p) return;
    p->fillRect(R.toQRect(), plat::ToQColor(FColor));
    const QRect picture(FBackgroundOffsetX, FBackgroundOffsetY, FBackground.width(), FBackground.height());
    const QRect part = picture.intersected(R.toQRect().translated(Offset));
    if (part.isEmpty()) return;
    p->drawImage(part.translated(-Offset), FBackground, part.translated(-picture.topLeft()));
}

void TBaseLazyTree::PaintTiledBackground(TCanvas& Canvas, const TRect& R, QPoint Offset) {
    QPainter* p = Canvas.Painter();
    if (!p || FBackground.isNull()) return;
    const int w = FBackground.width(), h = FBackground.height();
    auto mod = [](int a, int m) { return ((a % m) + m) % m; };
    int sourceY = mod(R.Top + Offset.y() + FBackgroundOffsetY, h);
    for (int y = R.Top; y < R.Bottom;) {
        const int bandH = std::min(R.Bottom - y, h - sourceY);
        int sourceX = mod(R.Left + Offset.x() + FBackgroundOffsetX, w);
        for (int x = R.Left; x < R.Right;) {
            const int stripW = std::min(R.Right - x, w - sourceX);
            p->drawImage(QPoint(x, y), FBackground, QRect(sourceX, sourceY, stripW, bandH));
            x += stripW;
            sourceX = 0;
        }
        y += bandH;
        sourceY = 0;
    }
}

void TBaseLazyTree::PaintItemBackground(TLTPaintInfo& PaintInfo, bool ShowBackground, TRect R) {
    TCanvas& canvas = *PaintInfo.Canvas;
    plat::TColor color = FColors.BackGroundColor();
    TItemEraseAction action = TItemEraseAction::eaDefault;
    const QPoint offset(int(-FEffectiveOffsetX), R.Top);
    R.Bottom -= R.Top;
    R.Top = 0;
    DoBeforeItemErase(&canvas, PaintInfo.Node, R, color, action);
    switch (action) {
        case TItemEraseAction::eaColor:
            canvas.Brush().SetColor(color);
            canvas.FillRect(R);
            break;
        case TItemEraseAction::eaNone: break;
        case TItemEraseAction::eaDefault:
            if (ShowBackground) {
                if (HasPaint(*this, TLTPaintOption::toStaticBackground))
                    PaintStaticBackground(canvas, R, offset);
                else
                    PaintTiledBackground(canvas, R, offset);
            } else if (PaintInfo.PaintOptions.Contains(poDrawSelection) &&
                       HasSel(*this, TLTSelectionOption::toFullRowSelect) &&
                       PaintInfo.Node->States.Contains(vsSelected) &&
                       !HasPaint(*this, TLTPaintOption::toUseBlendedSelection)) {
                canvas.Brush().SetColor(color);
                if (HasPaint(*this, TLTPaintOption::toShowHorzGridLines)) {
                    canvas.FillRect(TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom});
                    --R.Bottom;
                }
                const bool focused = PaintFocused();
                canvas.Brush().SetColor(focused ? FColors.FocusedSelectionColor() : FColors.UnfocusedSelectionColor());
                canvas.Pen().SetColor(focused ? FColors.FocusedSelectionBorderColor()
                                              : FColors.UnfocusedSelectionBorderColor());
                canvas.RoundRect(R.Left, R.Top, R.Right, R.Bottom, FSelectionCurveRadius, FSelectionCurveRadius);
            } else {
                canvas.Brush().SetColor(color);
                canvas.FillRect(R);
            }
            break;
    }
    DoAfterItemErase(&canvas, PaintInfo.Node, R);
}

// ---- PaintTree ----

void TBaseLazyTree::PaintTree(TCanvas& TargetCanvas, const TRect& Window, QPoint Target,
                              TLTInternalPaintOptions PaintOptions) {
    if (FStates.Contains(tsPainting)) return;
    QPainter* target = TargetCanvas.Painter();
    if (!target) return;
    DoStateChange({tsPainting});
    const bool unbuffered = PaintOptions.Contains(poUnbuffered);
    // The row picture lives for this call only; what it held is dropped on every way out.
    struct Cleanup {
        TBaseLazyTree* tree;
        QPainter* target;
        bool unbuffered;
        ~Cleanup() {
            if (unbuffered) {
                target->restore();
            } else {
                tree->FRowCanvas.SetDevice(nullptr);
                tree->FRowImage = QImage();
            }
            tree->DoStateChange({}, {tsPainting});
        }
    };
    DoBeforePaint(&TargetCanvas);
    if (unbuffered) target->save();
    Cleanup cleanup{this, target, unbuffered};

    const int windowW = Window.Width();
    TRect selectionRect = lazytree::SortRectCorners(NewSelRect);
    const bool rubberBand = FStates.Contains(tsDrawSelecting) && !selectionRect.IsEmpty() &&
                            (QGuiApplication::mouseButtons() & Qt::LeftButton);
    const int clientW = viewport()->width();
    TRect rowRect{0, 0, int(std::max<int64_t>(clientW, FRangeX)), 0};
    const auto paint = TreeOptions().PaintOptions();
    const bool showBackground = paint.Contains(TLTPaintOption::toShowBackground) &&
                                PaintOptions.Contains(poBackground) && !FBackground.isNull();
    const bool showImages = FImages != nullptr;
    const bool showStateImages = FStateImages != nullptr;
    const bool showCheckImages = FCheckImages != nullptr && HasMisc(*this, TLTMiscOption::toCheckSupport);
    TLTInternalPaintOptions effective = PaintOptions;
    if (paint.Contains(TLTPaintOption::toAlwaysHideSelection) ||
        (!hasFocus() && paint.Contains(TLTPaintOption::toHideSelection)))
        effective -= poDrawSelection;
    if (paint.Contains(TLTPaintOption::toHideFocusRect)) effective -= poDrawFocusRect;

    int nodeTopInt = 0;
    PLazyNode node = GetNodeAt(0, Window.Top, false, nodeTopInt);
    int64_t nodeTop = node ? nodeTopInt : Window.Top;
    selectionRect.Top -= int(nodeTop);
    selectionRect.Bottom -= int(nodeTop);
    int rowLeft = Target.x();
    int64_t rowTop = Target.y() + nodeTop - Window.Top;
    const int maximumRight = Target.x() + windowW;
    const int64_t maximumBottom = Target.y() + Window.Height();
    TargetCanvas.Font().Assign(FFont);
    const int plusHeight = FButtonSize.height();
    const int halfButton = RoundHalfEven((int(FIndent) - FButtonSize.width()) / 2.0);
    FButtonX = halfButton + 1;
    const bool fixedIndent = paint.Contains(TLTPaintOption::toFixedIndent);
    const bool childrenAbove = paint.Contains(TLTPaintOption::toChildrenAbove);
    const TBiDiMode bidi = UseRightToLeftReading() ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight;
    TLineImage lineImage;
    TLTPaintInfo info;
    TLazyTreeColumns& columns = FHeader->Columns();
    const bool useColumns = FHeader->UseColumns();

    for (; node && rowTop < maximumBottom; node = GetNextVisible(node, true)) {
        int selectLevel = BuildLineImage(node, lineImage);
        const int indentSize = int(lineImage.size());
        if (!fixedIndent) FButtonX = halfButton + (indentSize - 1) * int(FIndent) + 1;
        if (!node->States.Contains(vsInitialized)) InitNode(node);
        if (node->States.Contains(vsSelected) && !childrenAbove) ++selectLevel;
        TCanvas* rowCanvas = unbuffered ? &TargetCanvas : &FRowCanvas;
        MeasureItemHeight(rowCanvas, node);
        const int nodeHeight = int(NodeHeight(node));
        info.BrushOrigin = QPoint(Window.Left & 1, int(nodeTop & 1));
        nodeTop += nodeHeight;
        if (selectLevel > 0 || !PaintOptions.Contains(poSelectedOnly)) {
            QPainter* p = nullptr;
            if (unbuffered) {
                p = target;
                p->restore();
                p->save();
                p->translate(rowLeft - Window.Left, int(rowTop));
                p->setClipRect(QRect(Window.Left, 0, windowW,
                                     int(std::min<int64_t>(nodeHeight, maximumBottom - rowTop))));
            } else {
                if (FRowImage.isNull() || FRowImage.height() != nodeHeight || FRowImage.width() != windowW) {
                    FRowCanvas.SetDevice(nullptr);
                    FRowImage = QImage(std::max(windowW, 1), std::max(nodeHeight, 1), QImage::Format_RGB32);
                    ++FRowBufferAllocations;
                    FRowCanvas.SetDevice(&FRowImage);
                    FRowCanvas.Font().Assign(FFont);
                    if (QPainter* rp = FRowCanvas.Painter()) rp->translate(-Window.Left, 0);
                }
                p = FRowCanvas.Painter();
                FRowCanvas.ClearClip();
            }
            // The pattern of the dotted lines stays in step with the tree's coordinates.
            p->setBrushOrigin(QPoint(Window.Left + info.BrushOrigin.x(), info.BrushOrigin.y()));
            rowRect.Bottom = nodeHeight;
            // The row's centre line: images, button and the tree line's joint.
            if (FNodeAlignment == TLTNodeAlignment::naFromBottom) {
                FVAlign = nodeHeight - node->Align;
            } else if (FNodeAlignment == TLTNodeAlignment::naFromTop) {
                FVAlign = node->Align;
            } else if (showImages || showStateImages) {
                const int imageHeight = showImages ? FImages->Height() : FStateImages->Height();
                FVAlign = MulDiv(nodeHeight - imageHeight, node->Align, 100) + imageHeight / 2;
            } else if (paint.Contains(TLTPaintOption::toShowButtons)) {
                FVAlign = MulDiv(nodeHeight - plusHeight, node->Align, 100) + plusHeight / 2;
            } else {
                FVAlign = MulDiv(nodeHeight, node->Align, 100);
            }
            FButtonY = FVAlign - plusHeight / 2 - (plusHeight & 1);
            info = TLTPaintInfo{};
            info.Canvas = rowCanvas;
            info.Node = node;
            info.BrushOrigin = QPoint(Window.Left & 1, int((nodeTop - nodeHeight) & 1));
            if (!DoBeforeItemPaint(rowCanvas, node, rowRect)) {
                info.PaintOptions = effective;
                PaintItemBackground(info, showBackground,
                                    TRect{Window.Left, int(nodeTop - nodeHeight), Window.Right, int(nodeTop)});
                info.CellRect = rowRect;
                // Without header columns the row is one cell, column -1; with them one cell per column.
                TColumnIndex column = NoColumn;
                TColumnPosition position = 0;
                if (useColumns) {
                    column = columns.GetFirstVisibleColumn();
                    if (column >= 0) {
                        position = columns[column].Position();
                        info.CellRect.Left = columns[column].GetRect().Left;
                        info.CellRect.Right = info.CellRect.Left + columns[column].Width();
                    }
                }
                while ((column > InvalidColumn || !useColumns) && info.CellRect.Left < Window.Right) {
                    if (useColumns) {
                        column = columns.ColumnFromPosition(position);
                        const TLazyTreeColumn& c = columns[column];
                        info.BidiMode = c.UseRightToLeftReading() ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight;
                        info.Alignment = c.Alignment();
                    } else {
                        info.BidiMode = bidi;
                        info.Alignment = FAlignment;
                    }
                    info.Column = column;
                    info.Position = position;
                    info.PaintOptions = effective;
                    if (FStates.Contains(tsEditing) && node == FFocusedNode && (FEditColumn == column || !useColumns))
                        info.PaintOptions -= poDrawSelection;
                    if (!useColumns ||
                        (node->States.Contains(vsSelected) && effective.Contains(poDrawSelection) &&
                         TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toFullRowSelect)) ||
                        columns[column].Options().Contains(TLTColumnOption::coParentColor))
                        info.PaintOptions -= poColumnColor;
                    const bool isMain = column == MainColumn();
                    if (info.BidiMode == TBiDiMode::bdRightToLeft) {
                        if (info.Alignment == TAlignment::taLeftJustify)
                            info.Alignment = TAlignment::taRightJustify;
                        else if (info.Alignment == TAlignment::taRightJustify)
                            info.Alignment = TAlignment::taLeftJustify;
                    }
                    const TBiDiMode cellBidi = info.BidiMode;
                    TColumnIndex next = InvalidColumn;
                    const bool skipped = useColumns && (!columns[column].Options().Contains(TLTColumnOption::coVisible) ||
                                                        (effective.Contains(poMainOnly) && !isMain));
                    if (skipped) {
                        next = columns.GetNextVisibleColumn(column);
                    } else {
                        SpanPaintCell(info, next);
                    }
                    if (!skipped && Window.Left < info.CellRect.Right) {
                        info.NodeWidth = DoGetNodeWidth(node, column, rowCanvas);
                        info.ContentRect = info.CellRect;
                        if (cellBidi == TBiDiMode::bdRightToLeft)
                            info.ContentRect.Right -= FMargin;
                        else
                            info.ContentRect.Left += FMargin;
                        TLTImageInfo& check = info.ImageInfo[iiCheck];
                        check.Index = isMain && showCheckImages ? CheckImageIndexFor(node) : -1;
                        if (check.Index >= 0) {
                            PlaceCellImage(FCheckImages, cellBidi, FVAlign, info.ContentRect, check);
                            check.Images = FCheckImages;
                            check.Ghosted = false;
                        }
                        TLTImageInfo& state = info.ImageInfo[iiState];
                        state.Index = -1;
                        if (showStateImages) {
                            FetchImageIndex(info, TLTImageKind::ikState, iiState, FStateImages);
                            if (state.Index >= 0)
                                PlaceCellImage(state.Images, cellBidi, FVAlign, info.ContentRect, state);
                        }
                        TLTImageInfo& normal = info.ImageInfo[iiNormal];
                        normal.Index = -1;
                        if (showImages) {
                            FetchImageIndex(info,
                                            node->States.Contains(vsSelected) ? TLTImageKind::ikSelected
                                                                              : TLTImageKind::ikNormal,
                                            iiNormal, FImages);
                            if (normal.Index >= 0)
                                PlaceCellImage(normal.Images, cellBidi, FVAlign, info.ContentRect, normal);
                        }
                        if (isMain) ShiftByIndent(info, fixedIndent ? 1 : indentSize);
                        const plat::TClipState savedClip = rowCanvas->SaveClip();
                        if (useColumns) rowCanvas->IntersectClipRect(info.CellRect);
                        if (effective.Contains(poGridLines) && paint.Contains(TLTPaintOption::toShowHorzGridLines)) {
                            FLineColor = FColors.GridLineColor();
                            const int levels = (fixedIndent ? 1 : indentSize) * int(FIndent);
                            int left = info.CellRect.Left, right = info.CellRect.Right;
                            if (isMain && FLineMode == TLTLineMode::lmBands) {
                                if (cellBidi == TBiDiMode::bdRightToLeft)
                                    right = info.CellRect.Right - levels - 1;
                                else
                                    left = info.CellRect.Left + levels, right = info.CellRect.Right - 1;
                            }
                            DottedHorzLine(info, left, right, info.CellRect.Bottom - 1);
                            --info.CellRect.Bottom;
                            --info.ContentRect.Bottom;
                        }
                        if (useColumns && effective.Contains(poGridLines) &&
                            paint.Contains(TLTPaintOption::toShowVertGridLines) &&
                            !(FHeader->Options().Contains(TLTHeaderOption::hoAutoResize) &&
                              column == columns.GetLastVisibleColumn()) &&
                            (info.CellRect.Right != viewport()->width() ||
                             columns[column].Options().Contains(TLTColumnOption::coFixed)) &&
                            !(cellBidi == TBiDiMode::bdRightToLeft && DoGetCellIsEmpty(node, column))) {
                            FLineColor = FColors.GridLineColor();
                            const bool selectedGaps =
                                effective.Contains(poDrawSelection) &&
                                TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toFullRowSelect) &&
                                node->States.Contains(vsSelected) &&
                                !paint.Contains(TLTPaintOption::toUseBlendedSelection) &&
                                !FStates.Contains(tsUseExplorerTheme);
                            DottedVertLine(info, info.CellRect.Top, info.CellRect.Bottom, info.CellRect.Right - 1,
                                               selectedGaps);
                            --info.CellRect.Right;
                            --info.ContentRect.Right;
                        }
                        PaintCellFrame(info, Window.Left, windowW);
                        if (isMain) {
                            if (paint.Contains(TLTPaintOption::toShowTreeLines) &&
                                (!paint.Contains(TLTPaintOption::toHideTreeLinesIfThemed) ||
                                 !FStates.Contains(tsUseThemes)))
                                DrawTreeLines(info, FVAlign - 1, fixedIndent ? 1 : indentSize, lineImage);
                            if (paint.Contains(TLTPaintOption::toShowButtons) && node->States.Contains(vsHasChildren) &&
                                (!node->States.Contains(vsAllChildrenHidden) ||
                                 !TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoHideButtons)))
                                DrawNodeButton(*rowCanvas, node, column, info.CellRect, FButtonX, FButtonY, cellBidi);
                            if (check.Index >= 0)
                                DrawCheckImage(*rowCanvas, check, node->States.Contains(vsSelected));
                        }
                        if (state.Index >= 0) DrawNodeImage(info, iiState, false);
                        if (normal.Index >= 0) DrawNodeImage(info, iiNormal, true);
                        if (!(FStates.Contains(tsEditing) && node == FFocusedNode &&
                              (FEditColumn == column || !useColumns)))
                            DoPaintNode(info);
                        DoAfterCellPaint(rowCanvas, node, column, info.CellRect);
                        rowCanvas->RestoreClip(savedClip);
                    }
                    if (!useColumns) break;
                    if (info.CellRect.Left >= Window.Right || next < 0) break;
                    column = next;
                    position = columns[next].Position();
                    info.CellRect.Left = columns[next].GetRect().Left;
                    info.CellRect.Right = info.CellRect.Left + columns[next].Width();
                    info.CellRect.Bottom = nodeHeight;
                    info.ImageInfo = {};
                }
                DoAfterItemPaint(rowCanvas, node, rowRect);
                if (node == FDropTargetNode && paint.Contains(TLTPaintOption::toShowDropmark) &&
                    PaintOptions.Contains(poDrawDropMark))
                    DoPaintDropMark(*rowCanvas, node, rowRect);
            }
            if (rubberBand)
                PaintRubberBand(*rowCanvas, Window.Left, selectionRect, TRect{0, 0, windowW, nodeHeight});
            if (!unbuffered) target->drawImage(QPoint(rowLeft, int(rowTop)), FRowImage);
        }
        rowTop += nodeHeight;
        selectionRect.Top -= nodeHeight;
        selectionRect.Bottom -= nodeHeight;
    }
    if (unbuffered) {
        target->restore();
        target->save();
    }
    // Below the last row.
    if (rowTop < maximumBottom) {
        const TRect targetRect{0, 0, maximumRight - rowLeft, int(maximumBottom - rowTop)};
        TCanvas* canvas = &TargetCanvas;
        target->save();
        target->translate(rowLeft, int(rowTop));
        target->setClipRect(targetRect.toQRect());
        if (!DoPaintBackground(canvas, targetRect)) {
            if (showBackground) {
                const QPoint offset(Window.Left, int(nodeTop));
                if (paint.Contains(TLTPaintOption::toStaticBackground))
                    PaintStaticBackground(*canvas, targetRect, offset);
                else
                    PaintTiledBackground(*canvas, targetRect, offset);
            } else {
                target->fillRect(targetRect.toQRect(), plat::ToQColor(FColors.BackGroundColor()));
            }
        }
        if (rubberBand) {
            target->translate(-Window.Left, 0);
            PaintRubberBand(*canvas, Window.Left, selectionRect, targetRect);
        }
        target->restore();
    }
    // An empty tree may say so.
    if (FRoot->ChildCount == 0 && !FEmptyListMessage.isEmpty()) {
        TargetCanvas.Font().Assign(FFont);
        TargetCanvas.Font().SetColor(plat::clGrayText);
        TargetCanvas.Brush().SetStyle(plat::bsClear);
        TRect r{int(FOffsetX) + 2, 2, int(FOffsetX) + width(), height() - 2};
        TargetCanvas.DrawText(FEmptyListMessage, r, plat::DT_LEFT | plat::DT_NOCLIP | plat::DT_WORDBREAK);
    }
    DoAfterPaint(&TargetCanvas);
}

// ---- Paint and invalidation ----

void TBaseLazyTree::Paint() {
    if (FUpdateRect.isEmpty()) return;
    plat::TCanvas canvas(viewport());
    const QRect r = FUpdateRect;
    const TLTInternalPaintOptions options{poBackground,    poColumnColor,  poDrawFocusRect,
                                          poDrawSelection, poDrawDropMark, poGridLines};
    const int fixedWidth = FHeader->UseColumns() ? FHeader->Columns().GetVisibleFixedWidth() : 0;
    if (fixedWidth > 0) {
        // The fixed columns do not scroll horizontally: their strip is painted unscrolled first.
        const QRect fixed = r.intersected(QRect(0, r.top(), fixedWidth, r.height()));
        if (!fixed.isEmpty())
            PaintTree(canvas, TRect::fromQRect(fixed.translated(0, int(-FOffsetY))), fixed.topLeft(), options);
        const QRect rest = r.intersected(QRect(fixedWidth, r.top(), std::max(0, viewport()->width() - fixedWidth),
                                               r.height()));
        if (!rest.isEmpty())
            PaintTree(canvas, TRect::fromQRect(rest.translated(int(FEffectiveOffsetX), int(-FOffsetY))),
                      rest.topLeft(), options);
        return;
    }
    const TRect window = TRect::fromQRect(r.translated(int(FEffectiveOffsetX), int(-FOffsetY)));
    PaintTree(canvas, window, r.topLeft(), options);
}

void TBaseLazyTree::paintEvent(QPaintEvent* event) {
    plat::guarded([&] {
        if (!FStripToFill.isEmpty() && FStripToFill.contains(event->rect())) {
            QPainter(viewport()).fillRect(event->rect(), plat::ToQColor(FColors.BackGroundColor()));
            return;
        }
        FUpdateRect = event->rect();
        Paint();
    });
}

plat::TRect TBaseLazyTree::InvalidateNode(PLazyNode Node) {
    if (FUpdateCount > 0 || !HasWindow() || !Node || Node == FRoot) return {-1, -1, -1, -1};
    const TRect r = GetDisplayRect(Node, NoColumn, false);
    if (!r.IsEmpty()) viewport()->update(r.toQRect());
    return r;
}

void TBaseLazyTree::InvalidateChildren(PLazyNode Node, bool Recursive) {
    if (Node) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        InvalidateNode(Node);
        if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    }
    // Depth first without recursing: the children of each node, its own subtree first when asked.
    PLazyNode top = Node ? Node : FRoot;
    std::vector<PLazyNode> pending;
    for (PLazyNode c = top->LastChild; c; c = c->PrevSibling) pending.push_back(c);
    while (!pending.empty()) {
        PLazyNode c = pending.back();
        pending.pop_back();
        if (Recursive) {
            if (!c->States.Contains(vsInitialized)) InitNode(c);
            if (c->States.Contains(vsHasChildren) && c->ChildCount == 0) InitChildren(c);
            for (PLazyNode g = c->LastChild; g; g = g->PrevSibling) pending.push_back(g);
        }
        InvalidateNode(c);
    }
}

void TBaseLazyTree::InvalidateColumn(TColumnIndex Column) {
    if (FUpdateCount > 0 || !HasWindow() || !FHeader->Columns().IsValidColumn(Column)) return;
    int left = 0, right = 0;
    FHeader->Columns().GetColumnBounds(Column, left, right);
    viewport()->update(QRect(left, 0, right - left, viewport()->height()));
}

void TBaseLazyTree::RepaintNode(PLazyNode Node) {
    if (!Node || Node == FRoot) return;
    const TRect r = GetDisplayRect(Node, NoColumn, false);
    if (!r.IsEmpty()) viewport()->repaint(r.toQRect());
}

TRect TBaseLazyTree::GetTreeRect() {
    return TRect{0, 0, int(std::max<int64_t>(viewport()->width(), FRangeX)),
                 int(std::max<int64_t>(viewport()->height(), RangeY()))};
}

void TBaseLazyTree::InvalidateToBottom(PLazyNode Node) {
    if (FUpdateCount > 0 || !HasWindow()) return;
    if (!Node || Node == FRoot) {
        viewport()->update();
        return;
    }
    if (!Node->States.Contains(vsInitialized) || !IsEffectivelyVisible(Node) || !FullyVisible(Node)) return;
    const TRect r = GetDisplayRect(Node, NoColumn, false);
    int top = r.Top;
    if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toChildrenAbove) && Node->States.Contains(vsExpanded))
        top -= int(Node->TotalHeight) - int(NodeHeight(Node));
    if (top < viewport()->height())
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}
