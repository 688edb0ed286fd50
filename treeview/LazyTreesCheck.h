#pragma once
// The invariant checker of the node core, for tests and fuzz targets: sibling links and list ends,
// Index numbering, ChildCount, TotalCount, TotalHeight and the visible count, and that every node
// block handed out is linked into the tree. It walks the links without recursing.
#include <string>

class TLazyTreeCore;

// Empty when every invariant holds, else a description of the first broken one.
std::string CheckTreeInvariants(const TLazyTreeCore& Tree);
