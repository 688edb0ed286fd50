// Hit testing: which node, column and part of the row lie under a point.
#include "treeview/LazyTrees.h"

using enum THitPosition;
using enum TLazyNodeState;
using plat::TRect;

bool TBaseLazyTree::HasImage(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column) {
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    bool ghosted = false;
    int index = -1;
    DoGetImageIndex(Node, Kind, Column, ghosted, index);
    return index >= 0;
}

void TBaseLazyTree::GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo) {
    HitInfo = THitInfo{};
    const int64_t clientW = viewport()->width(), clientH = viewport()->height();
    int64_t x = X, y = Y;
    if (x < 0)
        HitInfo.HitPositions += hiToLeft;
    else if (x > std::max(clientW, FRangeX))
        HitInfo.HitPositions += hiToRight;
    if (y < 0)
        HitInfo.HitPositions += hiAbove;
    else if (y > std::max(clientH, FRangeY))
        HitInfo.HitPositions += hiBelow;
    if (Relative) {
        // The fixed columns do not scroll.
        if (!FHeader->UseColumns() || x >= FHeader->Columns().GetVisibleFixedWidth()) x += FEffectiveOffsetX;
        y -= FOffsetY;
    }
    HitInfo.HitPoint = QPoint(int(x), int(y));
    if (!HitInfo.HitPositions.Empty()) return;
    int nodeTop = 0;
    HitInfo.HitNode = GetNodeAt(int(x), int(y), false, nodeTop);
    if (!HitInfo.HitNode) {
        HitInfo.HitPositions += hiNowhere;
        return;
    }
    PLazyNode node = HitInfo.HitNode;
    if (!node->States.Contains(vsInitialized)) InitNode(node);
    // Without header columns the row is one cell, column -1.
    HitInfo.HitColumn = NoColumn;
    int64_t cellWidth = std::max(clientW, FRangeX);
    TAlignment alignment = FAlignment;
    bool rightToLeft = UseRightToLeftReading();
    if (FHeader->UseColumns()) {
        TLazyTreeColumns& columns = FHeader->Columns();
        int left = 0, right = 0;
        // x is in tree coordinates already: the column lookup must not scroll it again.
        const TColumnIndex hit = columns.GetColumnAndBounds(QPoint(int(x), 0), left, right, false);
        HitInfo.HitColumn = hit;
        if (hit < 0) {
            HitInfo.HitPositions += hiNowhere;
            return;
        }
        if (TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSpanColumns)) {
            // An empty cell belongs to the text spilling over from the left.
            while (HitInfo.HitColumn >= 0 && DoGetCellIsEmpty(node, HitInfo.HitColumn)) {
                HitInfo.HitColumn = columns.GetPreviousVisibleColumn(HitInfo.HitColumn);
                if (HitInfo.HitColumn >= 0) left -= columns[HitInfo.HitColumn].Width();
            }
            for (TColumnIndex next = columns.GetNextVisibleColumn(hit);
                 next >= 0 && DoGetCellIsEmpty(node, next); next = columns.GetNextVisibleColumn(next))
                right += columns[next].Width();
            if (HitInfo.HitColumn < 0) {
                HitInfo.HitPositions += hiNowhere;
                return;
            }
        }
        x -= left;
        cellWidth = right - left;
        const TLazyTreeColumn& c = columns[HitInfo.HitColumn];
        alignment = c.Alignment();
        rightToLeft = c.UseRightToLeftReading();
    }
    HitInfo.HitPositions = {hiOnItem};
    if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toNodeHeightResize)) {
        const int64_t top = nodeTop, bottom = nodeTop + int64_t(NodeHeight(node));
        if (y <= top + 1)
            HitInfo.HitPositions += hiUpperSplitter;
        else if (y >= bottom - 3)
            HitInfo.HitPositions += hiLowerSplitter;
    }
    if (rightToLeft)
        HitPositionsRightToLeft(HitInfo, int(x), alignment, cellWidth);
    else
        HitPositionsLeftToRight(HitInfo, int(x), alignment, cellWidth);
}

namespace {

int64_t MainIndent(TBaseLazyTree& tree, PLazyNode node) {
    const auto paint = tree.TreeOptions().PaintOptions();
    if (paint.Contains(TLTPaintOption::toFixedIndent)) return tree.Indent();
    const int64_t level = tree.GetNodeLevel(node);
    return int64_t(tree.Indent()) * (paint.Contains(TLTPaintOption::toShowRoot) ? level + 1 : level);
}

}  // namespace

void TBaseLazyTree::HitPositionsLeftToRight(THitInfo& HitInfo, int Offset, TAlignment Alignment, int64_t CellWidth) {
    PLazyNode node = HitInfo.HitNode;
    const bool isMain = HitInfo.HitColumn == MainColumn();
    const bool reportMode = TreeOptions().MiscOptions().Contains(TLTMiscOption::toReportMode);
    const int64_t indent = isMain ? MainIndent(*this, node) : 0;
    if (isMain && Offset < indent + FMargin) {
        if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowButtons) &&
            node->States.Contains(vsHasChildren)) {
            if (Offset >= indent - int64_t(FIndent)) HitInfo.HitPositions += hiOnItemButton;
            if (Offset >= indent - FButtonSize.width()) HitInfo.HitPositions += hiOnItemButtonExact;
        }
        if (!HitInfo.HitPositions.Contains(hiOnItemButton) && !HitInfo.HitPositions.Contains(hiOnItemButtonExact))
            HitInfo.HitPositions += hiOnItemIndent;
        return;
    }
    if (!isMain && reportMode) return;
    int64_t x0 = indent + FMargin;
    const bool checks = isMain && TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FCheckImages &&
                        node->CheckType != TCheckType::ctNone;
    if (checks) x0 += FCheckImages->Width() + 2;
    if (isMain && Offset < x0) {
        HitInfo.HitPositions = {hiOnItem};
        if (node->CheckType != TCheckType::ctNone) HitInfo.HitPositions += hiOnItemCheckbox;
        return;
    }
    if (FStateImages && HasImage(node, TLTImageKind::ikState, HitInfo.HitColumn)) {
        x0 += FStateImages->Width() + 2;
        if (Offset < x0) {
            HitInfo.HitPositions += hiOnStateIcon;
            return;
        }
    }
    if (FImages && HasImage(node, TLTImageKind::ikNormal, HitInfo.HitColumn)) {
        x0 += FImages->Width() + 2;
        if (Offset < x0) {
            HitInfo.HitPositions += hiOnNormalIcon;
            return;
        }
    }
    const int64_t w = DoGetNodeWidth(node, HitInfo.HitColumn);
    if (CellWidth - x0 < w) {
        HitInfo.HitPositions += hiOnItemLabel;
        return;
    }
    switch (Alignment) {
        case TAlignment::taLeftJustify:
            HitInfo.HitPositions += Offset < x0 + w ? hiOnItemLabel : hiOnItemRight;
            break;
        case TAlignment::taRightJustify:
            HitInfo.HitPositions += Offset < CellWidth - w ? hiOnItemLeft : hiOnItemLabel;
            break;
        case TAlignment::taCenter: {
            const int64_t m = (x0 + CellWidth - w) / 2;
            HitInfo.HitPositions += Offset < m ? hiOnItemLeft : Offset < m + w ? hiOnItemLabel : hiOnItemRight;
            break;
        }
    }
}

void TBaseLazyTree::HitPositionsRightToLeft(THitInfo& HitInfo, int Offset, TAlignment Alignment, int64_t CellWidth) {
    PLazyNode node = HitInfo.HitNode;
    const bool isMain = HitInfo.HitColumn == MainColumn();
    const bool reportMode = TreeOptions().MiscOptions().Contains(TLTMiscOption::toReportMode);
    const int64_t indent = isMain ? MainIndent(*this, node) : 0;
    const int64_t right = CellWidth - indent;
    if (Offset >= right) {
        if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowButtons) &&
            node->States.Contains(vsHasChildren)) {
            if (Offset <= right + int64_t(FIndent)) HitInfo.HitPositions += hiOnItemButton;
            if (Offset <= right + FButtonSize.width()) HitInfo.HitPositions += hiOnItemButtonExact;
        }
        if (!HitInfo.HitPositions.Contains(hiOnItemButton)) HitInfo.HitPositions += hiOnItemIndent;
        return;
    }
    if (!isMain && reportMode) return;
    int64_t x1 = right - FMargin;
    if (isMain && TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FCheckImages &&
        node->CheckType != TCheckType::ctNone)
        x1 -= FCheckImages->Width() + 2;
    if (isMain && Offset > x1) {
        HitInfo.HitPositions = {hiOnItem};
        if (node->CheckType != TCheckType::ctNone) HitInfo.HitPositions += hiOnItemCheckbox;
        return;
    }
    if (FStateImages && HasImage(node, TLTImageKind::ikState, HitInfo.HitColumn)) {
        x1 -= FStateImages->Width() + 2;
        if (Offset > x1) {
            HitInfo.HitPositions += hiOnStateIcon;
            return;
        }
    }
    if (FImages && HasImage(node, TLTImageKind::ikNormal, HitInfo.HitColumn)) {
        x1 -= FImages->Width() + 2;
        if (Offset > x1) {
            HitInfo.HitPositions += hiOnNormalIcon;
            return;
        }
    }
    const int64_t w = DoGetNodeWidth(node, HitInfo.HitColumn);
    if (x1 < w) {
        HitInfo.HitPositions += hiOnItemLabel;
        return;
    }
    // Reading from the right: left and right swap.
    if (Alignment == TAlignment::taLeftJustify)
        Alignment = TAlignment::taRightJustify;
    else if (Alignment == TAlignment::taRightJustify)
        Alignment = TAlignment::taLeftJustify;
    switch (Alignment) {
        case TAlignment::taRightJustify:
            HitInfo.HitPositions += Offset < x1 - w ? hiOnItemLeft : hiOnItemLabel;
            break;
        case TAlignment::taCenter: {
            const int64_t m = (x1 - w) / 2;
            HitInfo.HitPositions += Offset < m ? hiOnItemLeft : Offset < m + w ? hiOnItemLabel : hiOnItemRight;
            break;
        }
        case TAlignment::taLeftJustify:
            HitInfo.HitPositions += Offset > w ? hiOnItemRight : hiOnItemLabel;
            break;
    }
}
