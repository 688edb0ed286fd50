// Node streams from outside, loaded into and added under a node of a populated multi-select string
// tree. The first input byte chooses load or add and the target node, the second how many bytes the
// OnLoadNode handler reads; the rest is the stream. After every call, error or not, the tree's
// links, counts, heights, visible count and selection must hold and no update may stay open; a
// stream whose header is refused must leave the tree as it was.
#include <QApplication>
#include <QFont>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesStream.h"
#include "fuzz/QtFuzzApp.h"

namespace {

void Populate(TLazyStringTree& t) {
    t.SetNodeDataSize(8);
    t.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
    t.SetRootNodeCount(3);
    for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) t.SetChildCount(n, 2);
    t.SetExpanded(t.RootNode()->FirstChild, true);
    t.SetSelected(t.RootNode()->FirstChild, true);
    t.SetSelected(t.RootNode()->LastChild->FirstChild, true);
}

// Every node that says it is selected is in the selection, and nothing else is.
bool SelectionInStep(TLazyTreeCore& t) {
    const TNodeArray& selection = t.SelectionArray();
    std::set<PLazyNode> listed(selection.begin(), selection.begin() + t.SelectedCount());
    if (listed.size() != t.SelectedCount()) return false;
    size_t marked = 0;
    for (PLazyNode n = t.GetFirstNoInit(); n; n = t.GetNextNoInit(n)) {
        if (!n->States.Contains(TLazyNodeState::vsSelected)) continue;
        if (!listed.count(n)) return false;
        ++marked;
    }
    return marked == listed.size();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 1 << 16) return 0;
    const uint8_t mode = data[0];
    const int readBytes = data[1] % 48;
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));

    TLazyStringTree t;
    Populate(t);
    t.OnLoadNode = [readBytes](TLazyTreeCore*, PLazyNode, TStream& s) {
        char buf[48];
        s.Read(buf, readBytes);
    };
    PLazyNode target = t.RootNode();
    if (mode & 1) {
        // The root, a top-level node, or one of its children.
        const int pick = (mode >> 1) % 9;
        int i = 0;
        for (PLazyNode n = t.GetFirstNoInit(); n && i <= pick; n = t.GetNextNoInit(n), ++i) target = n;
    }
    const uint32_t before = t.RootNode()->TotalCount;
    int error = 0;
    try {
        if (mode & 0x80)
            t.LoadFromStream(stream);
        else
            t.AddFromStream(stream, target);
    } catch (const ELazyTreeError& e) {
        error = e.HelpContext;
    } catch (const EStreamError&) {
        error = -1;
    }
    if (!CheckTreeInvariants(t).empty()) abort();
    if (t.UpdateCount() != 0) abort();
    if (!SelectionInStep(t)) abort();
    if ((error == 2002 || error == 2003 || error == 2004) && t.RootNode()->TotalCount != before) abort();
    t.Clear();
    if (t.AllocatedNodeCount() != 0) abort();
    return 0;
}
