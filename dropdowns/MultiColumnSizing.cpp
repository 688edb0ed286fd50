#include "dropdowns/MultiColumnSizing.h"

#include <cmath>
#include <numeric>

namespace dropdowns {

int MultiColumnGridWidth(const std::vector<int>& ColumnWidths, int BorderWidth, bool ScrollBar, int ScrollBarWidth) {
    const long long sum = std::accumulate(ColumnWidths.begin(), ColumnWidths.end(), 0LL);
    return int(2LL * BorderWidth + sum + (ScrollBar ? ScrollBarWidth : 0));
}

int SnapDropDownHeight(int Height, int BarsHeight, int HeaderHeight, int RowHeight) {
    if (RowHeight <= 0) return Height;
    const int fixed = BarsHeight + HeaderHeight + 2;
    return fixed + ((Height - fixed) / RowHeight) * RowHeight;
}

std::vector<int> ScaleColumnWidths(const std::vector<int>& DesignWidths, int Available) {
    std::vector<int> r;
    if (DesignWidths.empty()) return r;
    const double total = 1.0 + std::accumulate(DesignWidths.begin(), DesignWidths.end(), 0.0);
    const double factor = Available / total;
    double err = 0;
    for (int w : DesignWidths) {
        const double exact = w * factor;
        const double n = std::nearbyint(exact);  // the default rounding mode: halves to even
        err += exact - n;
        if (err > 1) {
            r.push_back(int(n) + 1);
            err -= 1;
        } else {
            r.push_back(int(n));
        }
    }
    return r;
}

}  // namespace dropdowns
