// The string tree: every text is asked from the application when it is needed; the width of the
// main column's text is measured once per node and kept in the node's internal area.
#include <QPainter>

#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"

using enum TLazyNodeState;
using enum TLTInternalPaintOption;
using plat::TRect;

TCustomLazyStringTree::TCustomLazyStringTree(QWidget* parent) : TBaseLazyTree(parent) {
    FOptions = std::make_unique<TStringTreeOptions>(this);
    FInternalDataOffset = AllocateInternalDataArea(sizeof(uint32_t));
    FTextHeight = Canvas().TextHeight(QStringLiteral("Tg"));
    FEllipsisWidth = Canvas().TextWidth(QStringLiteral("..."));
}

uint32_t* TCustomLazyStringTree::WidthCache(PLazyNode Node) const {
    return static_cast<uint32_t*>(InternalData(Node, FInternalDataOffset));
}

// Clears the cached widths of the nodes below Below and of Below itself (nil: every node).
void TCustomLazyStringTree::ClearWidthCaches(PLazyNode Below) {
    PLazyNode stop = nullptr;
    PLazyNode node = Below;
    if (!Below) {
        node = GetFirstNoInit();
    } else {
        // The walk ends at the node after the subtree.
        for (PLazyNode n = Below; n && n != FRoot; n = n->Parent)
            if (n->NextSibling) {
                stop = n->NextSibling;
                break;
            }
    }
    for (; node && node != stop; node = GetNextNoInit(node))
        if (uint32_t* cache = WidthCache(node)) *cache = 0;
}

void TCustomLazyStringTree::SetDefaultText(const QString& Value) {
    if (Value == FDefaultText) return;
    FDefaultText = Value;
    Invalidate();
}

void TCustomLazyStringTree::DoGetText(TVSTGetCellTextEventArgs& E) {
    if (!E.Node->States.Contains(vsInitialized)) InitNode(E.Node);
    if (OnGetCellText) {
        OnGetCellText(this, E);
        return;
    }
    if (OnGetText) {
        OnGetText(this, E.Node, E.Column, TVSTTextType::ttNormal, E.CellText);
        OnGetText(this, E.Node, E.Column, TVSTTextType::ttStatic, E.StaticText);
    }
}

QString TCustomLazyStringTree::Text(PLazyNode Node, TColumnIndex Column) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    TVSTGetCellTextEventArgs e;
    e.Node = Node;
    e.Column = Column;
    e.CellText = FDefaultText;
    DoGetText(e);
    return e.CellText;
}

void TCustomLazyStringTree::SetText(PLazyNode Node, TColumnIndex Column, const QString& Value) {
    DoNewText(Node, Column, Value);
    InvalidateNode(Node);
}

QString TCustomLazyStringTree::StaticText(PLazyNode Node, TColumnIndex Column) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    TVSTGetCellTextEventArgs e;
    e.Node = Node;
    e.Column = Column;
    DoGetText(e);
    return e.StaticText;
}

QString TCustomLazyStringTree::ImageText(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    QString result;
    if (OnGetImageText) OnGetImageText(this, Node, Kind, Column, result);
    return result;
}

void TCustomLazyStringTree::DoNewText(PLazyNode Node, TColumnIndex Column, const QString& Text) {
    if (OnNewText) OnNewText(this, Node, Column, Text);
    if (FUpdateCount == 0) UpdateHorizontalScrollBar(true);
}

void TCustomLazyStringTree::DoPaintText(PLazyNode Node, TCanvas* Canvas, TColumnIndex Column,
                                        TVSTTextType TextType) {
    if (OnPaintText) OnPaintText(this, Canvas, Node, Column, TextType);
}

QString TCustomLazyStringTree::DoShortenString(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& S,
                                               int Width, int EllipsisWidth) {
    QString result;
    bool done = false;
    if (OnShortenString) OnShortenString(this, Canvas, Node, Column, S, Width, result, done);
    if (done) return result;
    lazytree::TCanvasTextMeasure measure(*Canvas);
    return lazytree::EllipsisText(measure, S, Width, EllipsisWidth);
}

void TCustomLazyStringTree::DoDrawText(TLTPaintInfo& PaintInfo, const QString& Text, TRect CellRect,
                                       unsigned DrawFormat) {
    bool defaultDraw = true;
    if (OnDrawText) OnDrawText(this, PaintInfo.Canvas, PaintInfo.Node, PaintInfo.Column, Text, CellRect, defaultDraw);
    if (defaultDraw) PaintInfo.Canvas->DrawText(Text, CellRect, DrawFormat);
}

QSize TCustomLazyStringTree::DoMeasureText(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& Text) {
    QSize size = Canvas->TextExtent(Text);
    if (Node->States.Contains(vsMultiline)) {
        unsigned format = plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_NOPREFIX | plat::DT_EDITCONTROL |
                          plat::DT_END_ELLIPSIS;
        format |= FAlignment == TAlignment::taCenter         ? plat::DT_CENTER
                  : FAlignment == TAlignment::taRightJustify ? plat::DT_RIGHT
                                                             : plat::DT_LEFT;
        if (UseRightToLeftReading()) format |= plat::DT_RTLREADING;
        TRect r{0, 0, size.width(), INT_MAX / 2};
        Canvas->DrawText(Text, r, format);
        size.setWidth(r.Width());
    }
    int width = size.width(), height = size.height();
    if (OnMeasureTextWidth) OnMeasureTextWidth(this, Canvas, Node, Column, Text, width);
    if (OnMeasureTextHeight) OnMeasureTextHeight(this, Canvas, Node, Column, Text, height);
    return {width, height};
}

int TCustomLazyStringTree::MeasureCellText(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& Text) {
    int result = 2 * FTextMargin;
    if (Text.isEmpty()) return result;
    lazytree::TakeFont(Canvas->Font(), FFont);
    DoPaintText(Node, Canvas, Column, TVSTTextType::ttNormal);
    return result + DoMeasureText(Canvas, Node, Column, Text).width();
}

int TCustomLazyStringTree::MeasureStaticText(TCanvas* Canvas, PLazyNode Node, const QString& Text,
                                             TColumnIndex Column) {
    if (Text.isEmpty() || FAlignment == TAlignment::taCenter || Node->States.Contains(vsMultiline)) return 0;
    DoPaintText(Node, Canvas, Column, TVSTTextType::ttStatic);
    return FTextMargin + DoMeasureText(Canvas, Node, Column, Text).width();
}

int TCustomLazyStringTree::DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
    if (!Canvas) Canvas = &this->Canvas();
    if (Column == MainColumn()) {
        uint32_t* cache = WidthCache(Node);
        if (!cache) return 0;
        if (*cache == 0) *cache = uint32_t(MeasureCellText(Canvas, Node, Column, Text(Node, Column)));
        return int(*cache);
    }
    return MeasureCellText(Canvas, Node, Column, Text(Node, Column));
}

int TCustomLazyStringTree::DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
    if (!StringTreeOptions().StringOptions().Contains(TLTStringOption::toShowStaticText)) return 0;
    if (!Canvas) Canvas = &this->Canvas();
    return MeasureStaticText(Canvas, Node, StaticText(Node, Column), Column);
}

bool TCustomLazyStringTree::DoGetCellIsEmpty(PLazyNode Node, TColumnIndex Column) {
    if (!Text(Node, Column).isEmpty()) return false;
    return TBaseLazyTree::DoGetCellIsEmpty(Node, Column);
}

void TCustomLazyStringTree::DoPaintNode(TLTPaintInfo& PaintInfo) {
    TVSTGetCellTextEventArgs e;
    e.Node = PaintInfo.Node;
    e.Column = PaintInfo.Column;
    DoGetText(e);
    if (!e.CellText.isEmpty()) DrawNormalText(PaintInfo, e.CellText);
    if (FAlignment != TAlignment::taCenter && !PaintInfo.Node->States.Contains(vsMultiline) &&
        StringTreeOptions().StringOptions().Contains(TLTStringOption::toShowStaticText) && !e.StaticText.isEmpty())
        DrawStaticText(PaintInfo, e.StaticText);
}

void TCustomLazyStringTree::DrawNormalText(TLTPaintInfo& PaintInfo, const QString& Text) {
    TCanvas& canvas = *PaintInfo.Canvas;
    PLazyNode node = PaintInfo.Node;
    lazytree::TakeFont(canvas.Font(), FFont);
    canvas.Font().SetColor(isEnabled() ? FColors.NodeFontColor() : FColors.DisabledColor());
    const auto paint = TreeOptions().PaintOptions();
    if (paint.Contains(TLTPaintOption::toHotTrack) && node == FCurrentHotNode) {
        canvas.Font().SetStyle(canvas.Font().Style().include(plat::fsUnderline));
        canvas.Font().SetColor(FColors.HotColor());
    }
    const bool fullRow = TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toFullRowSelect);
    if (PaintInfo.PaintOptions.Contains(poDrawSelection) && (PaintInfo.Column == FFocusedColumn || fullRow)) {
        const bool dropTarget = node == FDropTargetNode && (FLastDropMode == TDropMode::dmOnNode || Selected(node));
        if (dropTarget || (node->States.Contains(vsSelected) &&
                           (hasFocus() || paint.Contains(TLTPaintOption::toPopupMode))))
            canvas.Font().SetColor(FColors.SelectionTextColor());
    }
    TRect r = PaintInfo.ContentRect;
    r.Left += FTextMargin;
    r.Right -= FTextMargin;
    const bool disabled = node->States.Contains(vsDisabled) || !isEnabled();
    unsigned format = 0;
    QString text = Text;
    auto alignFlag = [](TAlignment a) {
        return a == TAlignment::taCenter ? plat::DT_CENTER : a == TAlignment::taRightJustify ? plat::DT_RIGHT : plat::DT_LEFT;
    };
    if (node->States.Contains(vsMultiline)) {
        DoPaintText(node, &canvas, PaintInfo.Column, TVSTTextType::ttNormal);
        const int h = ComputeNodeHeight(&canvas, node, PaintInfo.Column);
        if (disabled) canvas.Font().SetColor(FColors.DisabledColor());
        format = alignFlag(PaintInfo.Alignment) | plat::DT_NOPREFIX | plat::DT_WORDBREAK | plat::DT_END_ELLIPSIS |
                 plat::DT_EDITCONTROL;
        if (PaintInfo.BidiMode == TBiDiMode::bdRightToLeft) format |= plat::DT_RTLREADING;
        if (h < r.Height()) {
            const int d = (r.Height() - h) / 2;
            r.Top += d;
            r.Bottom -= d;
        }
    } else {
        // Only a handler can change the font here; without one nothing needs comparing.
        if (OnPaintText) {
            const QFont before = canvas.Font().ToQFont();
            DoPaintText(node, &canvas, PaintInfo.Column, TVSTTextType::ttNormal);
            FFontChanged = canvas.Font().ToQFont() != before;
        } else {
            DoPaintText(node, &canvas, PaintInfo.Column, TVSTTextType::ttNormal);
            FFontChanged = false;
        }
        int ellipsisWidth = FEllipsisWidth;
        if (FFontChanged) {
            ellipsisWidth = 0;
            PaintInfo.NodeWidth = 2 * FTextMargin + DoMeasureText(&canvas, node, PaintInfo.Column, text).width();
        }
        if (disabled) canvas.Font().SetColor(FColors.DisabledColor());
        format = plat::DT_NOPREFIX | plat::DT_VCENTER | plat::DT_SINGLELINE;
        if (PaintInfo.BidiMode == TBiDiMode::bdRightToLeft) format |= plat::DT_RTLREADING;
        if (PaintInfo.Column == NoColumn) {
            // Without columns a long text is never shortened; the row clips it.
            format |= alignFlag(PaintInfo.Alignment);
        } else if (r.Width() < PaintInfo.NodeWidth - 2 * FTextMargin) {
            text = DoShortenString(&canvas, node, PaintInfo.Column, text, r.Width(), ellipsisWidth);
            format |= PaintInfo.Alignment == TAlignment::taRightJustify ? plat::DT_RIGHT : plat::DT_LEFT;
        } else {
            format |= alignFlag(PaintInfo.Alignment);
        }
    }
    canvas.Brush().SetStyle(plat::bsClear);
    DoDrawText(PaintInfo, text, r, format);
}

void TCustomLazyStringTree::DrawStaticText(TLTPaintInfo& PaintInfo, const QString& Text) {
    TCanvas& canvas = *PaintInfo.Canvas;
    PLazyNode node = PaintInfo.Node;
    lazytree::TakeFont(canvas.Font(), FFont);
    if (TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toFullRowSelect)) {
        const bool focused = hasFocus() || TreeOptions().PaintOptions().Contains(TLTPaintOption::toPopupMode);
        const bool marked = (node->States.Contains(vsSelected) && focused) ||
                            (node == FDropTargetNode && FLastDropMode == TDropMode::dmOnNode);
        canvas.Font().SetColor(marked ? FColors.SelectionTextColor() : FColors.NodeFontColor());
    }
    DoPaintText(node, &canvas, PaintInfo.Column, TVSTTextType::ttStatic);
    if (node->States.Contains(vsDisabled) || !isEnabled()) canvas.Font().SetColor(FColors.DisabledColor());
    TRect r = PaintInfo.ContentRect;
    if (PaintInfo.Alignment == TAlignment::taRightJustify)
        r.Right -= PaintInfo.NodeWidth + FTextMargin;
    else
        r.Left += PaintInfo.NodeWidth + FTextMargin;
    canvas.Brush().SetStyle(plat::bsClear);
    canvas.DrawText(Text, r, plat::DT_NOPREFIX | plat::DT_VCENTER | plat::DT_SINGLELINE);
}

int TCustomLazyStringTree::ComputeNodeHeight(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, QString S) {
    if (!Canvas) Canvas = &this->Canvas();
    if (S.isEmpty()) S = Text(Node, Column);
    const bool rtl = UseRightToLeftReading();
    unsigned format = Node->States.Contains(vsMultiline) ? plat::DT_EDITCONTROL | plat::DT_NOPREFIX | plat::DT_WORDBREAK
                                                         : plat::DT_NOPREFIX | plat::DT_VCENTER | plat::DT_SINGLELINE;
    format |= plat::DT_CALCRECT;
    if (rtl) format |= plat::DT_RIGHT | plat::DT_RTLREADING;
    // Without columns the text may use the client's width.
    TRect r{0, 0, viewport()->width(), 0};
    Canvas->DrawText(S, r, format);
    return r.Height();
}

QString TCustomLazyStringTree::Path(PLazyNode Node, TColumnIndex Column, QChar Delimiter) {
    if (!Node || Node == FRoot) return QString(Delimiter);
    QString result;
    for (PLazyNode n = Node; n && n != FRoot; n = n->Parent) result.prepend(Text(n, Column) + Delimiter);
    return result;
}

void TCustomLazyStringTree::GetTextInfo(PLazyNode Node, TColumnIndex Column, plat::TFont& AFont, TRect& R,
                                        QString& Text) {
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(AFont);
    const QFont before = canvas.Font().ToQFont();
    DoPaintText(Node, &canvas, Column, TVSTTextType::ttNormal);
    int textHeight = FTextHeight;
    if (canvas.Font().ToQFont() != before) {
        AFont.Assign(canvas.Font());
        textHeight = canvas.TextHeight(QStringLiteral("Tg"));
    }
    Text = this->Text(Node, Column);
    R = GetDisplayRect(Node, Column, true, !Node->States.Contains(vsMultiline), false);
    if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowHorzGridLines)) --R.Bottom;
    const int d = (R.Top + textHeight - R.Bottom) / 2;
    R.Top -= d;
    R.Bottom += d;
}

TRect TCustomLazyStringTree::InvalidateNode(PLazyNode Node) {
    const TRect r = TBaseLazyTree::InvalidateNode(Node);
    if (uint32_t* cache = WidthCache(Node)) *cache = 0;
    if (Node && Node != FRoot) Node->States -= vsHeightMeasured;
    return r;
}

void TCustomLazyStringTree::ReinitNode(PLazyNode Node, bool Recursive) {
    TBaseLazyTree::ReinitNode(Node, Recursive);
    if (Recursive)
        ClearWidthCaches(Node == FRoot ? nullptr : Node);
    else if (uint32_t* cache = WidthCache(Node))
        *cache = 0;
}

void TCustomLazyStringTree::SetChildCount(PLazyNode Node, uint32_t NewChildCount) {
    TBaseLazyTree::SetChildCount(Node, NewChildCount);
    if (uint32_t* cache = WidthCache(Node)) *cache = 0;
}

void TCustomLazyStringTree::FontChanged() {
    TBaseLazyTree::FontChanged();
    FTextHeight = Canvas().TextHeight(QStringLiteral("Tg"));
    FEllipsisWidth = Canvas().TextWidth(QStringLiteral("..."));
    // Every measured width belonged to the old font.
    ClearWidthCaches(nullptr);
}

// ---- Restoring a selection by text ----

bool TCustomLazyStringTree::RestoresSelection() const {
    return TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toRestoreSelection) && OnGetText;
}

QString TCustomLazyStringTree::SelectionText(PLazyNode Node) {
    // Texts usually come from what OnInitNode stored: the node is initialised first.
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    QString text;
    OnGetText(this, Node, 0, TVSTTextType::ttNormal, text);
    return text.toCaseFolded();
}

void TCustomLazyStringTree::AddToSelection(PLazyNode Node) {
    TBaseLazyTree::AddToSelection(Node);
    if (Node && Node->States.Contains(vsSelected) && RestoresSelection() &&
        !FStates.Contains(TLazyTreeState::tsPreviouslySelectedLocked)) {
        if (!FPreviouslySelected) FPreviouslySelected = std::make_unique<std::set<QString>>();
        if (SelectedCount() == 1) FPreviouslySelected->clear();
        FPreviouslySelected->insert(SelectionText(Node));
    }
    if (Node) ChooseNextNodeToSelect(Node);
}

void TCustomLazyStringTree::RemoveFromSelection(PLazyNode Node) {
    TBaseLazyTree::RemoveFromSelection(Node);
    if (!FPreviouslySelected || !Node || Node->States.Contains(vsSelected)) return;
    if (SelectedCount() > 0 && OnGetText)
        FPreviouslySelected->erase(SelectionText(Node));
    else
        FPreviouslySelected->clear();
}

PLazyNode TCustomLazyStringTree::AddChild(PLazyNode Parent, void* UserData) {
    PLazyNode child = TBaseLazyTree::AddChild(Parent, UserData);
    if (child && RestoresSelection() && FPreviouslySelected && !FPreviouslySelected->empty() &&
        FPreviouslySelected->count(SelectionText(child))) {
        DoStateChange({TLazyTreeState::tsPreviouslySelectedLocked});
        struct Leave {
            TCustomLazyStringTree* tree;
            ~Leave() { tree->DoStateChange({}, {TLazyTreeState::tsPreviouslySelectedLocked}); }
        } leave{this};
        SetSelected(child, true);
        if (FUpdateCount == 0) ScrollIntoView(GetFirstSelected(), true, false);
    }
    return child;
}

int TCustomLazyStringTree::DoIncrementalSearch(PLazyNode Node, const QString& Text) {
    if (OnIncrementalSearch) return TBaseLazyTree::DoIncrementalSearch(Node, Text);
    // A prefix of the text in the focused column, in any letter case (typing "b" finds "Beta"); an
    // empty text matches nothing.
    if (Text.isEmpty()) return 1;
    return this->Text(Node, FFocusedColumn).startsWith(Text, Qt::CaseInsensitive) ? 0 : 1;
}

void TCustomLazyStringTree::SpanPaintCell(TLTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) {
    TLazyTreeColumns& columns = Header().Columns();
    if (!TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSpanColumns) || !Header().UseColumns() ||
        PaintInfo.BidiMode != TBiDiMode::bdLeftToRight) {
        TBaseLazyTree::SpanPaintCell(PaintInfo, NextNonEmpty);
        return;
    }
    NextNonEmpty = columns.GetNextVisibleColumn(PaintInfo.Column);
    while (NextNonEmpty >= 0 && DoGetCellIsEmpty(PaintInfo.Node, NextNonEmpty) &&
           !columns[NextNonEmpty].UseRightToLeftReading()) {
        PaintInfo.CellRect.Right += columns[NextNonEmpty].Width();
        NextNonEmpty = columns.GetNextVisibleColumn(NextNonEmpty);
    }
}
