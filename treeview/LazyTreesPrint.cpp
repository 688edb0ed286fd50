// Printing, the draw tree, the animation engine and the toggle animation.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesHeader.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TLTInternalPaintOption;
using plat::TRect;

// ---- Printing ----

// The picture is rendered page by page through PaintTree windows: the same pixels as one picture of
// the whole tree, which a large tree could not allocate.
void TBaseLazyTree::Print(QPagedPaintDevice* Printer, bool PrintHeader) {
    if (!Printer) return;
    BeginUpdate();
    const plat::TColor oldColor = FColor;
    plat::TFont oldFont;
    oldFont.Assign(FFont);
    // Colour and font come back on every path.
    struct Restore {
        TBaseLazyTree* tree;
        plat::TColor color;
        plat::TFont& font;
        ~Restore() {
            tree->FColor = color;
            tree->FFont.Assign(font);
            tree->EndUpdate();
        }
    } restore{this, oldColor, oldFont};
    // The picture: the header's columns (when asked for and shown) above the tree.
    const TRect treeRect = GetTreeRect();
    const int headerH = PrintHeader && FHeader->Options().Contains(TLTHeaderOption::hoVisible) ? FHeader->Height() : 0;
    const int imageW = treeRect.Width(), imageH = treeRect.Height() + headerH;
    FColor = plat::clWhite;
    // The header is a strip as wide as the picture: it is painted once, unscrolled, and cut per page.
    QImage header;
    if (headerH > 0) {
        header = QImage(std::max(1, imageW), headerH, QImage::Format_RGB32);
        header.fill(Qt::white);
        plat::TCanvas canvas(&header);
        FHeader->Columns().PaintHeader(canvas, TRect(0, 0, imageW, headerH), QPoint(0, 0));
        canvas.Release();
    }
    // Scale: the printer's text height of the tree font against the screen's.
    QFont printFont = FFont.ToQFont();
    printFont.setPointSizeF(FFont.Size());
    const double screenHeight = std::max(1, Canvas().TextHeight(QStringLiteral("Tj")));
    const double printerHeight = QFontMetricsF(printFont, Printer).height();
    const double scale = printerHeight > 0 ? printerHeight / screenHeight : 1.0;
    const int deviceW = Printer->width(), deviceH = Printer->height();
    const int pageW = std::max(1, int(std::nearbyint(deviceW / scale)));
    const int pageH = std::max(1, int(std::nearbyint(deviceH / scale)));
    const int horzPages = std::max(0, (imageW - 1) / pageW);
    const int vertPages = std::max(0, (imageH - 1) / pageH);
    QPainter printer(Printer);
    if (!printer.isActive()) return;
    QImage page(pageW, pageH, QImage::Format_RGB32);
    for (int v = 0; v <= vertPages; ++v)
        for (int h = 0; h <= horzPages; ++h) {
            page.fill(Qt::white);
            // The part of the picture this page shows, cut to the picture.
            const int left = h * pageW, top = v * pageH;
            const int right = std::min(left + pageW, imageW), bottom = std::min(top + pageH, imageH);
            if (top < headerH) {
                QPainter p(&page);
                p.drawImage(QPoint(0, 0), header, QRect(left, top, right - left, std::min(bottom, headerH) - top));
            }
            const int rowsTop = std::max(top, headerH);
            if (bottom > rowsTop) {
                plat::TCanvas canvas(&page);
                PaintTree(canvas, TRect{left, rowsTop - headerH, right, bottom - headerH}, QPoint(0, rowsTop - top),
                          {poGridLines});
                canvas.Release();
            }
            // Beyond the picture the page stays white.
            {
                QPainter p(&page);
                if (right - left < pageW) p.fillRect(right - left, 0, pageW - (right - left), pageH, Qt::white);
                if (bottom - top < pageH) p.fillRect(0, bottom - top, pageW, pageH - (bottom - top), Qt::white);
            }
            printer.drawImage(QRect(0, 0, deviceW, deviceH - 1), page);
            if (h < horzPages || v < vertPages) Printer->newPage();
        }
}

// ---- The draw tree ----

void TCustomLazyDrawTree::DoPaintNode(TLTPaintInfo& PaintInfo) {
    if (OnDrawNode) OnDrawNode(this, PaintInfo);
}

int TCustomLazyDrawTree::DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
    int width = 2 * FTextMargin;
    if (!Canvas) Canvas = &this->Canvas();
    if (OnGetNodeWidth) OnGetNodeWidth(this, Canvas, Node, Column, width);
    return width;
}

QPoint TCustomLazyDrawTree::DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column, TLTCellContentMarginType Type,
                                                   TCanvas* Canvas) {
    QPoint margin(0, 0);
    if (!Canvas) Canvas = &this->Canvas();
    if (OnGetCellContentMargin) OnGetCellContentMargin(this, Canvas, Node, Column, Type, margin);
    return margin;
}

// ---- Animation ----

void TBaseLazyTree::Animate(uint32_t Steps, uint32_t Duration, const TLTAnimationCallback& Callback) {
    if (FStates.Contains(tsInAnimation) || Duration == 0) return;
    DoStateChange({tsInAnimation});
    struct Leave {
        TBaseLazyTree* tree;
        ~Leave() { tree->DoStateChange({}, {tsInAnimation, tsCancelHintAnimation}); }
    } leave{this};
    int64_t remaining = Duration;
    int stepSize = int(std::nearbyint(std::max(double(Steps) / Duration, 1.0)));
    int64_t numSteps = Steps / uint32_t(stepSize);
    int step = 0;
    auto terminating = [] { return QCoreApplication::closingDown(); };
    while (numSteps > 0 && remaining > 0 && !terminating()) {
        const int64_t start = FHost->NowMs();
        const int64_t next = start + remaining / numSteps;
        if (!Callback(step, stepSize)) break;
        // The wait processes no events: the screen shows only what the steps moved.
        int64_t now = FHost->NowMs();
        while (now < next) now = FHost->NowMs();
        const int64_t elapsed = now - start;
        if (elapsed > remaining) {
            remaining = 0;
            numSteps = 0;
        } else {
            remaining -= elapsed;
            --numSteps;
        }
        while (numSteps > 0 && remaining / numSteps < 1) {
            ++stepSize;
            numSteps = remaining / stepSize;
        }
        step = int(Steps - numSteps);
    }
    if (!terminating()) Callback(0, 0);
}

void TBaseLazyTree::MoveBand(const QRect& Band, int Dy, bool PaintStrip) {
    if (Band.isEmpty() || Dy == 0) return;
    viewport()->scroll(0, Dy, Band);
    // The strip the move uncovered takes the background on the first step; the final paint after
    // the toggle draws the rows.
    const QRect strip = Dy < 0 ? QRect(Band.left(), Band.bottom() + 1 + Dy - 1, Band.width(), -Dy + 1)
                               : QRect(Band.left(), Band.top(), Band.width(), Dy + 1);
    if (PaintStrip) {
        FStripToFill = strip;
        viewport()->repaint(strip);
        FStripToFill = QRect();
    }
    // The moved pixels reach the screen with this step: only the window's own flush request is
    // delivered, no input and nothing else is processed during the run.
    QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
}

void TBaseLazyTree::AnimateToggle(PLazyNode Node, int64_t HeightDelta, bool Expanding) {
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    if (row.IsEmpty()) return;
    const int ch = viewport()->height();
    const int64_t rangeY = FRangeY, offsetY = FOffsetY;
    const int nodeTop = row.Top, nodeBottom = row.Bottom, nodeHeight = int(NodeHeight(Node));
    const int left = row.Left, right = row.Right;
    const auto animation = TreeOptions().AnimationOptions();
    const bool advanced = animation.Contains(TLTAnimationOption::toAdvancedAnimatedToggle);
    const bool above = TreeOptions().PaintOptions().Contains(TLTPaintOption::toChildrenAbove);
    const bool autoScroll = TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoScrollOnExpand);
    enum Dir { bdUp, bdDown, bdNone };
    QRect band1(QPoint(left, nodeTop), QPoint(right - 1, nodeBottom - 1)), band2;
    Dir dir1 = bdNone, dir2 = bdNone;
    int64_t distance1 = 0, distance2 = 0;
    auto rect = [&](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    if (!Expanding) {
        const int64_t children = int64_t(Node->TotalHeight) - nodeHeight;
        if (!above) {
            if (ch > rangeY + offsetY - children && ch < rangeY && offsetY != 0 && advanced) {
                // The rows above the node slide down; the band covers them and the node's row,
                // plus the children's height, capped at the client height.
                dir1 = bdDown;
                band1 = rect(left, 0, right, int(std::min<int64_t>(nodeBottom + children, ch)));
                distance1 = std::min<int64_t>(ch - rangeY - offsetY + children, -offsetY);
            } else {
                dir1 = bdUp;
                band1 = rect(left, nodeTop + nodeHeight, right, ch);
                distance1 = std::min<int64_t>(ch - (nodeTop + nodeHeight) + 1, children);
            }
        } else if (ch > nodeTop) {
            if (children + offsetY > 0 && advanced) {
                dir1 = bdUp;
                band1 = rect(left, int(std::max<int64_t>(nodeTop - children, 0)), right, ch);
                distance1 = offsetY + children;
            } else {
                dir1 = bdDown;
                band1 = rect(left, 0, right, nodeTop);
                distance1 = std::min<int64_t>(children, nodeTop + 1);
            }
        }
        if (!(ch > band1.top())) return;
    } else {
        const int64_t e = HeightDelta;
        const bool fits = nodeHeight + e <= ch;
        band1.setBottom(ch - 1);
        if (!above) {
            if ((fits && ch >= nodeBottom + e) || !autoScroll || !advanced || nodeTop < 1) {
                dir1 = bdDown;
                band1 = rect(left, nodeTop + nodeHeight, right, ch);
                distance1 = std::min<int64_t>(ch - nodeTop - nodeHeight, e);
            } else {
                dir1 = bdUp;
                band1 = rect(left, 0, right, nodeTop + nodeHeight + 1);
                dir2 = bdDown;
                band2 = rect(left, nodeTop + nodeHeight + 1, right, ch);
                distance1 = std::min<int64_t>(e + band2.top() - ch, nodeTop + 1);
                distance2 = ch - band2.top();
            }
        } else if (!advanced || ((fits && rangeY >= ch) && ((ch >= nodeBottom && nodeTop - e >= 0) || !autoScroll))) {
            dir1 = bdUp;
            band1 = rect(left, 0, right, nodeTop);
            distance1 = std::min<int64_t>(e, nodeTop);
        } else {
            dir1 = bdDown;
            band1 = rect(left, nodeTop, right, ch);
            dir2 = bdUp;
            band2 = rect(left, 0, right, nodeTop);
            if (autoScroll) {
                if (fits && ch >= nodeBottom && ch < rangeY + e) {
                    distance1 = e < nodeTop ? ch - rangeY : std::abs(nodeTop - e);
                } else if (ch < rangeY + e) {
                    distance1 = ch - nodeTop - nodeHeight;
                } else {
                    dir2 = bdNone;
                    distance1 = e;
                }
                if (dir2 != bdNone) {
                    if (distance1 < 1) {
                        dir1 = bdNone;
                        distance2 = std::min<int64_t>(e, ch);
                    } else {
                        distance2 = std::min<int64_t>(nodeTop, e - distance1);
                    }
                }
            } else {
                const int64_t excess = rangeY + e - ch;
                distance1 = e - offsetY - std::max<int64_t>(excess, 0);
                if (excess > 0)
                    distance2 = std::min<int64_t>(excess, nodeTop);
                else
                    dir2 = bdNone;
            }
        }
        if (!(ch >= band1.top())) return;
    }
    if (dir1 != bdNone && dir2 != bdNone && distance1 < distance2) {
        std::swap(band1, band2);
        std::swap(dir1, dir2);
        std::swap(distance1, distance2);
    }
    double ratio = 0, carry = 0;
    if (dir1 != bdNone && dir2 != bdNone) {
        // Two bands with nothing to move, or a counting band that does not move, are not animated.
        if (distance1 <= 0) return;
        ratio = double(distance2) / double(distance1);
    }
    const int64_t steps = dir1 == bdNone ? distance2 : distance1;
    if (steps <= 0) return;
    auto move = [&](const QRect& band, Dir dir, int amount, bool first) {
        if (dir == bdNone || amount <= 0) return;
        MoveBand(band, dir == bdUp ? -amount : amount, first);
    };
    Animate(uint32_t(steps), FAnimationDuration, [&](int step, int stepSize) {
        if (stepSize <= 0) return true;
        int step2 = 0;
        if (dir1 != bdNone) {
            move(band1, dir1, stepSize, step == 0);
            if (dir2 != bdNone && ratio > 0) {
                step2 = int(std::nearbyint((stepSize + carry) * ratio));
                carry = stepSize * ratio + carry - step2;
            }
        } else {
            step2 = stepSize;
        }
        if (dir2 != bdNone) move(band2, dir2, step2, step == 0);
        return true;
    });
}
