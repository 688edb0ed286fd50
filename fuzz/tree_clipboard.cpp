// Clipboard and drop data from outside: MIME data with an arbitrary "Lazy Tree Data" payload and an
// arbitrary or real "Lazy Tree Reference", pasted into a populated tree or dropped on it through Qt's
// drag events while a drag runs out of a second tree (or out of the target itself). After each
// transfer, error or not, both trees' links, counts and heights must hold and no update may stay
// open.
//
// Input: byte 0 the transfer (bits 0-1: paste into the other tree, paste into the source itself,
// drop on the other tree, drop on the source itself; bits 2-4 the attach mode; bits 5-6 the
// reference: none, the source's, the input's, the target's; bit 7 the source's nodes cut first),
// byte 1 the target node (low 4 bits) and the effects the drag allows (high 3 bits), byte 2 the
// length of the reference taken from the input; then that many reference bytes, then the payload.
#include <QApplication>
#include <QDragEnterEvent>
#include <QFont>
#include <QMimeData>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/Clipboard.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesStream.h"
#include "fuzz/QtFuzzApp.h"

namespace {

using enum TLTNodeAttachMode;

class FuzzTree : public TLazyStringTree {
public:
    // A pending cut without touching the clipboard, which holds the input's data.
    void MarkCut() {
        MarkCutCopyNodes();
        DoStateChange({TLazyTreeState::tsCutPending});
    }
};

void Populate(FuzzTree& t, int topLevel, int children) {
    t.SetNodeDataSize(8);
    t.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
    t.resize(300, 200);
    t.OnSaveNode = [](TLazyTreeCore* tree, PLazyNode n, TStream& s) { s.Write(tree->GetNodeData(n), 8); };
    t.OnLoadNode = [](TLazyTreeCore* tree, PLazyNode n, TStream& s) { s.Read(tree->GetNodeData(n), 8); };
    t.SetRootNodeCount(uint32_t(topLevel));
    for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) t.SetChildCount(n, uint32_t(children));
    t.SetExpanded(t.RootNode()->FirstChild, true);
    t.SetSelected(t.RootNode()->FirstChild, true);
    t.SetSelected(t.RootNode()->LastChild->FirstChild, true);
}

PLazyNode Pick(FuzzTree& t, int index) {
    PLazyNode result = nullptr;
    int i = 1;
    for (PLazyNode n = t.GetFirstNoInit(); n && i <= index; n = t.GetNextNoInit(n), ++i) result = n;
    return result;
}

void Check(FuzzTree& t) {
    if (!CheckTreeInvariants(t).empty()) abort();
    if (t.UpdateCount() != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 1 << 16) return 0;
    const uint8_t op = data[0], target = data[1], refLength = data[2];
    if (size - 3 < refLength) return 0;
    const QByteArray inputReference(reinterpret_cast<const char*>(data + 3), refLength);
    const QByteArray payload(reinterpret_cast<const char*>(data + 3 + refLength), qsizetype(size - 3 - refLength));

    FuzzTree source, other;
    Populate(source, 4, 2);
    Populate(other, 3, 1);
    const int action = op & 3;
    FuzzTree& receiver = action == 0 || action == 2 ? other : source;
    const TLTNodeAttachMode mode = TLTNodeAttachMode((op >> 2) % 5);
    QByteArray reference;
    switch ((op >> 5) & 3) {
        case 1: reference = lazytree::TreeReference(&source); break;
        case 2: reference = inputReference; break;
        case 3: reference = lazytree::TreeReference(&other); break;
        default: break;
    }
    auto* mime = new QMimeData();
    mime->setData(QLatin1String(lazytree::MimeTreeData), payload);
    if (!reference.isEmpty()) mime->setData(QLatin1String(lazytree::MimeTreeReference), reference);
    PLazyNode node = Pick(receiver, target & 15);
    try {
        if (action < 2) {
            plat::clipboard().Set(mime);
            if (op & 0x80) source.MarkCut();
            receiver.SetFocusedNode(node);
            receiver.DefaultPasteMode = mode;
            receiver.PasteFromClipboard();
        } else {
            const std::unique_ptr<QMimeData> owned(mime);
            receiver.OnDragOver = [](TBaseLazyTree*, QObject*, plat::TShiftState, TDragState, QPoint, TDropMode, int&,
                                     bool& accept) { accept = true; };
            receiver.OnDragDrop = [mode](TBaseLazyTree* t, QObject*, const QMimeData* d, const QStringList&,
                                         plat::TShiftState, QPoint, int& effect, TDropMode) {
                t->ProcessDrop(d, t->DropTargetNode(), effect, mode);
            };
            // The drag carries the input's data instead of the source's own.
            source.DragDropLoop = [&](TBaseLazyTree*, int allowed, QMimeData*) {
                const Qt::DropActions actions(allowed);
                const plat::TRect r = node ? receiver.GetDisplayRect(node, NoColumn, false) : plat::TRect{};
                const QPoint at(r.Left + 30, r.Top + 2);
                QDragEnterEvent enter(at, actions, owned.get(), Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(receiver.viewport(), &enter);
                QDragMoveEvent move(at, actions, owned.get(), Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(receiver.viewport(), &move);
                QDropEvent drop(QPointF(at), actions, owned.get(), Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(receiver.viewport(), &drop);
                return drop.isAccepted() ? int(drop.dropAction()) : 0;
            };
            static const TDragOperations operations[] = {
                {}, {TDragOperation::doCopy}, {TDragOperation::doMove}, {TDragOperation::doLink},
                {TDragOperation::doCopy, TDragOperation::doMove}};
            source.DragOperations = operations[(target >> 4) % 5];
            // The drag picture has its own tests; here only the data matters.
            source.DragImageKind = TLTDragImageKind::diNoImage;
            source.BeginDrag(true);
        }
    } catch (const ELazyTreeError&) {
    } catch (const EStreamError&) {
    }
    Check(source);
    Check(other);
    plat::clipboard().Clear();
    return 0;
}
