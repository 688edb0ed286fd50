#include "grid/ExGridPrintLayout.h"

#include <cmath>

std::vector<TPrintCellBox> TPrintLayout::CellsOfPage(int Page) const {
    std::vector<TPrintCellBox> out;
    for (const TPrintCellBox& b : Cells)
        if (b.Page == Page) out.push_back(b);
    return out;
}

int PrintSlotOf(TPrintPosition Pos) {
    switch (Pos) {
    case ppTopLeft: return psTopLeft;
    case ppTopRight: return psTopRight;
    case ppTopCenter: return psTopCenter;
    case ppBottomLeft: return psBottomLeft;
    case ppBottomRight: return psBottomRight;
    case ppBottomCenter: return psBottomCenter;
    default: return -1;
    }
}

void PutPrintSlotItem(TPrintSlotTexts& Slots, TPrintPosition Pos, const QString& Item) {
    const int s = PrintSlotOf(Pos);
    if (s < 0) return;
    QString& t = Slots[size_t(s)];
    if (s == psTopLeft || s == psBottomLeft)
        t = Item + u' ' + t;
    else
        t = t + u' ' + Item;
}

QString PrintPageNumberText(int Bands, int Page, int BandPage, int Band, int Total, bool TotalKnown,
                            int PageNumberOffset, const QString& Sep, int MaxPagesOffset) {
    if (Bands > 1) return QString::number(BandPage) + u'-' + QString::number(Band);
    QString t = QString::number(int64_t(Page) + PageNumberOffset);
    if (TotalKnown && !Sep.isEmpty() && Total > 1) t += Sep + QString::number(int64_t(Total) + MaxPagesOffset);
    return t;
}

double PrintFitFactor(TFitToPage Mode, int Avail, int S, int F, const std::function<bool(double&)>& Ask) {
    if (Mode == fpNever) return 1.0;
    double f = S != F ? double(Avail - F) / double(S - F) : 1.0;
    // A rectangle with nothing to scale, or a page narrower than its spacing, is left as it is.
    if (!std::isfinite(f) || f <= 0) f = 1.0;
    switch (Mode) {
    case fpShrink:
        if (f > 1) f = 1;
        break;
    case fpGrow:
        if (f < 1) f = 1;
        break;
    case fpCustom:
        if (f != 1.0) {
            if (!Ask || !Ask(f) || !std::isfinite(f) || f <= 0) f = 1.0;
        }
        break;
    default: break;
    }
    return f;
}

TPrintBandFill FillPrintBand(const std::vector<int>& Widths, int Spacing, int Start, int Last, int Limit,
                             int FixedWidth) {
    int used = FixedWidth, end = Start;
    while (used <= Limit && end <= Last) {
        used += Widths[size_t(end)] + Spacing;
        if (used <= Limit) ++end;
    }
    if (used > Limit) {
        // The column that overflowed goes back out, unless it is the band's only one.
        if (end <= Last) used -= Widths[size_t(end)] + Spacing;
        --end;
    }
    if (end < Start) {
        end = Start;
        used = FixedWidth + Widths[size_t(Start)] + Spacing;
    }
    if (end > Last) end = Last;
    return {end, used};
}

int PrintFontHeight(int PointSize, double Factor) { return -int(std::trunc(PointSize * 254.0 / 72.0 * Factor)); }
