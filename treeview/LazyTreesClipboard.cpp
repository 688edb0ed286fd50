// Copy, cut and paste of nodes: the selected nodes are marked and a data object goes to the
// clipboard; the node records are written only when a consumer reads "Lazy Tree Data". A paste in
// the same process finds the source tree through the reference and moves a cut instead of copying.
#include <QMimeData>
#include <QtEndian>

#include "platform/Clipboard.h"
#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TLTNodeAttachMode;

void TBaseLazyTree::GetNativeClipboardFormats(TFormatEtcArray& Formats) {
    lazytree::RegisterLibraryFormats();
    TClipboardFormatList::EnumerateFormats(metaObject(), Formats, FClipboardFormats.get());
    DoGetUserClipboardFormats(Formats);
}

void TBaseLazyTree::DoGetUserClipboardFormats(TFormatEtcArray& Formats) {
    if (OnGetUserClipboardFormats) OnGetUserClipboardFormats(this, Formats);
}

bool TBaseLazyTree::DoRenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard) {
    bool result = false;
    if (OnRenderOLEData) OnRenderOLEData(this, FormatEtcIn, Medium, ForClipboard, result);
    return result;
}

bool TBaseLazyTree::RenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard) {
    Medium.clear();
    if (FormatEtcIn.cfFormat != lazytree::CF_LAZYTREE()) return DoRenderOLEData(FormatEtcIn, Medium, ForClipboard);
    const TNodeArray nodes = ForClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true);
    // Each node's record is a whole anchor chunk with its subtree inside.
    TMemoryStream stream;
    for (PLazyNode n : nodes) WriteNode(stream, n);
    const QByteArray& records = stream.Data();
    if (records.isEmpty()) return false;
    // i32 size of the records, then the records.
    Medium.resize(4 + records.size());
    qToLittleEndian<int32_t>(int32_t(records.size()), Medium.data());
    std::copy(records.begin(), records.end(), Medium.begin() + 4);
    return true;
}

void TBaseLazyTree::MarkCutCopyNodes() {
    for (int i = 0; i < FSelectionCount; ++i) {
        PLazyNode n = FSelection[size_t(i)];
        if (!n->States.Contains(vsDisabled)) n->States += vsCutOrCopy;
    }
}

TNodeArray TBaseLazyTree::GetSortedCutCopySet(bool Resolve) {
    TNodeArray result;
    PLazyNode n = GetFirstNoInit();
    while (n) {
        if (!n->States.Contains(vsCutOrCopy)) {
            n = GetNextNoInit(n);
            continue;
        }
        result.push_back(n);
        if (!Resolve) {
            n = GetNextNoInit(n);
            continue;
        }
        // Past the subtree: the next sibling of the node or of its nearest ancestor that has one.
        while (n != FRoot && !n->NextSibling) n = n->Parent;
        n = n == FRoot ? nullptr : n->NextSibling;
    }
    return result;
}

uint32_t TBaseLazyTree::CutCopyCount() {
    uint32_t count = 0;
    for (PLazyNode n = GetFirstCutCopy(); n; n = GetNextCutCopy(n)) ++count;
    return count;
}

void TBaseLazyTree::CopyToClipboard() {
    if (SelectedCount() == 0) return;
    if (!plat::clipboard().Set(new TLTDataObject(this, true))) return;
    MarkCutCopyNodes();
    DoStateChange({tsCopyPending});
    Invalidate();
}

void TBaseLazyTree::CutToClipboard() {
    if (SelectedCount() == 0 || ReadOnly()) return;
    if (!plat::clipboard().Set(new TLTDataObject(this, true))) return;
    MarkCutCopyNodes();
    DoStateChange({tsCutPending}, {tsCopyPending});
    Invalidate();
}

TBaseLazyTree* TBaseLazyTree::GetTreeFromDataObject(const QMimeData* Data) {
    if (!Data) return nullptr;
    return lazytree::TreeFromReference(Data->data(QLatin1String(lazytree::MimeTreeReference)));
}

bool TBaseLazyTree::PasteFromClipboard() {
    if (ReadOnly()) return false;
    const QMimeData* data = plat::clipboard().Get();
    if (!data) lazytree::RaiseTreeError(2007);
    // The source may go while the nodes arrive (its data object with the clipboard's next owner).
    QPointer<TBaseLazyTree> source = GetTreeFromDataObject(data);
    const bool result = ProcessOLEData(source, data, FFocusedNode, DefaultPasteMode,
                                       source && source->TreeStates().Contains(tsCutPending));
    // A paste that took nothing leaves the cut pending: its nodes are still only in the source.
    if (source && result) {
        if (source == this)
            DoStateChange({}, {tsCutPending});
        else
            source->FinishCutOrCopy();
    }
    return result;
}

void TBaseLazyTree::FlushClipboard() {
    if (!FStates.Contains(tsCopyPending) && !FStates.Contains(tsCutPending)) return;
    DoStateChange({tsClipboardFlushing});
    struct Leave {
        TBaseLazyTree* tree;
        ~Leave() { tree->DoStateChange({}, {tsClipboardFlushing}); }
    } leave{this};
    // Every offered format rendered now into plain data the clipboard keeps; the reference is refused
    // while flushing, so the copy never names the tree.
    if (const QMimeData* current = plat::clipboard().Get(); current && qobject_cast<const TLTDataObject*>(current)) {
        auto* copy = new QMimeData();
        for (const QString& format : current->formats()) {
            const QByteArray bytes = current->data(format);
            if (!bytes.isEmpty()) copy->setData(format, bytes);
        }
        plat::clipboard().Set(copy);
    }
    CancelCutOrCopy();
}

void TBaseLazyTree::CancelCutOrCopy() {
    if (FStates.Contains(tsCopyPending) || FStates.Contains(tsCutPending)) {
        bool any = false;
        for (PLazyNode n = GetFirstNoInit(); n; n = GetNextNoInit(n))
            if (n->States.Contains(vsCutOrCopy)) {
                n->States -= vsCutOrCopy;
                any = true;
            }
        if (any) Invalidate();
    }
    DoStateChange({}, {tsCopyPending, tsCutPending});
}

void TBaseLazyTree::FinishCutOrCopy() {
    if (!FStates.Contains(tsCutPending)) return;
    BeginUpdate();
    try {
        PLazyNode n = GetFirstNoInit();
        while (n) {
            if (!n->States.Contains(vsCutOrCopy)) {
                n = GetNextNoInit(n);
                continue;
            }
            // Continue after the subtree that goes.
            PLazyNode next = n;
            while (next != FRoot && !next->NextSibling) next = next->Parent;
            next = next == FRoot ? nullptr : next->NextSibling;
            DeleteNode(n);
            n = next;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    DoStateChange({}, {tsCutPending});
}

void TBaseLazyTree::EmptyClipboardOfTree() {
    const auto* object = qobject_cast<const TLTDataObject*>(plat::clipboard().Get());
    if (object && object->Owner() == this) plat::clipboard().Clear();
}

bool TBaseLazyTree::ProcessOLEData(TBaseLazyTree* Source, const QMimeData* Data, PLazyNode TargetNode,
                                   TLTNodeAttachMode Mode, bool Optimized) {
    bool allArrived = false;
    return ProcessOLEData(Source, Data, TargetNode, Mode, Optimized, allArrived);
}

bool TBaseLazyTree::ProcessOLEData(TBaseLazyTree* Source, const QMimeData* Data, PLazyNode TargetNode,
                                   TLTNodeAttachMode Mode, bool Optimized, bool& AllArrived) {
    AllArrived = false;
    // Nowhere to go: a node that is connected nowhere could not take its record.
    if (Mode == amNoWhere) return false;
    if (!Data || !Data->hasFormat(QLatin1String(lazytree::MimeTreeData))) return false;
    // A read-only tree takes nothing: the source must not delete what did not arrive.
    if (ReadOnly()) return false;
    if (!TargetNode) TargetNode = FRoot;
    if (TargetNode == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    BeginUpdate();
    struct End {
        TBaseLazyTree* tree;
        ~End() { tree->EndUpdate(); }
    } end{this};
    if (Optimized && Source) {
        // A drag moves the dragged nodes, a paste the cut ones.
        const TNodeArray nodes =
            Source->FStates.Contains(tsOLEDragging) ? Source->FDragSelection : Source->GetSortedCutCopySet(true);
        const bool forward = Mode == amInsertBefore || Mode == amAddChildLast;
        for (size_t k = 0; k < nodes.size(); ++k) {
            PLazyNode node = nodes[forward ? k : nodes.size() - 1 - k];
            // A node does not go into itself; it stays, and no longer counts as cut.
            if (TargetNode == node || HasAsParent(TargetNode, node)) {
                node->States -= vsCutOrCopy;
                continue;
            }
            const size_t before = Source->AllocatedNodeCount();
            Source->MoveTo(node, TargetNode, Mode, false);
            // A move into another tree frees the node; one that was refused leaves it, still marked:
            // it stays in the source and is no longer cut.
            const bool stayed =
                Source == this ? node->States.Contains(vsCutOrCopy) : Source->AllocatedNodeCount() == before;
            if (stayed) node->States -= vsCutOrCopy;
        }
        return true;
    }
    const TChangeReason reason = Source == this ? TChangeReason::crNodeCopied : TChangeReason::crNodeAdded;
    const QByteArray payload = Data->data(QLatin1String(lazytree::MimeTreeData));
    // The size in front must match what arrived: nothing is read otherwise.
    if (payload.size() < 4) return false;
    const int32_t n = qFromLittleEndian<int32_t>(payload.constData());
    if (n < 0 || int64_t(n) > int64_t(payload.size()) - 4) return false;
    TMemoryStream stream(payload.mid(4, n));
    InterruptValidation();
    int arrived = 0, refused = 0;
    while (stream.Position() < stream.Size()) {
        PLazyNode node = MakeNewNode();
        InternalConnectNode(node, TargetNode, this, Mode);
        InternalAddFromStream(stream, 2, node);
        if (DoNodeCopying(node, TargetNode)) {
            ++arrived;
            DoNodeCopied(node);
            StructureChanged(node, reason);
            // The next record follows this one, so the records keep their order (also as first children).
            if (Mode == amInsertAfter || Mode == amAddChildFirst) {
                Mode = amInsertAfter;
                TargetNode = node;
            }
        } else {
            ++refused;
            DeleteNode(node);
        }
    }
    AllArrived = arrived > 0 && refused == 0;
    return true;
}
