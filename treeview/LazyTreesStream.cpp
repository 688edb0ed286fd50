// The node stream: a tree's nodes as chunks (anchor, base, caption, user data) with a type and a
// byte size, little-endian, behind a 12-byte header and a node count. Saving, loading, adding a
// saved subtree, and moving or copying nodes into another tree all go through it.
//
// Reading trusts nothing in the bytes: every size is checked against the chunk that encloses it,
// a child count must fit the bytes left before anything is allocated, and enumerations and state
// bits are brought into range. Both directions walk the subtree with an explicit stack, so no depth
// of nesting exhausts the call stack.
#include "treeview/LazyTreesStream.h"

#include <QBuffer>
#include <QFile>
#include <QFileDevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/Files.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLTNodeAttachMode;
using enum TChangeReason;

// ---- Streams ----

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Read(Buffer, Count) != Count) throw EStreamError("Stream read error");
}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    const int64_t n = std::clamp<int64_t>(data_.size() - pos_, 0, std::max<int64_t>(Count, 0));
    if (n > 0) std::memcpy(Buffer, data_.constData() + pos_, size_t(n));
    pos_ += n;
    return n;
}

void TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0) return;
    if (pos_ + Count > data_.size()) {
        const int64_t oldSize = data_.size();
        data_.resize(pos_ + Count);
        // A gap left by a seek past the end reads as zeros.
        if (pos_ > oldSize) std::memset(data_.data() + oldSize, 0, size_t(pos_ - oldSize));
    }
    std::memcpy(data_.data() + pos_, Buffer, size_t(Count));
    pos_ += Count;
}

void TMemoryStream::Seek(int64_t Position) {
    if (Position < 0) throw EStreamError("Stream seek error");
    pos_ = Position;
}

void TMemoryStream::SetSize(int64_t NewSize) {
    if (NewSize < 0) throw EStreamError("Stream size error");
    const int64_t oldSize = data_.size();
    data_.resize(NewSize);
    if (NewSize > oldSize) std::memset(data_.data() + oldSize, 0, size_t(NewSize - oldSize));
    pos_ = std::min(pos_, NewSize);
}

int64_t TDeviceStream::Read(void* Buffer, int64_t Count) {
    if (Count <= 0) return 0;
    const qint64 n = device_.read(static_cast<char*>(Buffer), Count);
    if (n < 0) throw EStreamError("Stream read error: " + device_.errorString().toStdString());
    return n;
}

void TDeviceStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0) return;
    if (device_.write(static_cast<const char*>(Buffer), Count) != Count)
        throw EStreamError("Stream write error: " + device_.errorString().toStdString());
}

int64_t TDeviceStream::Position() const {
    return device_.pos();
}

void TDeviceStream::Seek(int64_t Position) {
    // The reader settles at each chunk's end, mostly where it stands: a file keeps its read buffer.
    if (Position == device_.pos()) return;
    if (!device_.seek(Position)) throw EStreamError("Stream seek error: " + device_.errorString().toStdString());
}

int64_t TDeviceStream::Size() const {
    return device_.size();
}

void TDeviceStream::SetSize(int64_t NewSize) {
    const int64_t pos = std::min<int64_t>(device_.pos(), NewSize);
    if (auto* file = qobject_cast<QFileDevice*>(&device_)) {
        if (!file->resize(NewSize)) throw EStreamError("Stream size error: " + file->errorString().toStdString());
    } else if (auto* buffer = qobject_cast<QBuffer*>(&device_)) {
        buffer->buffer().resize(NewSize);
    } else {
        throw EStreamError("Stream size error: the device cannot change its size");
    }
    Seek(pos);
}

// ---- Format ----

namespace {

constexpr int kAnchorChunk = 1;
constexpr int kBaseChunk = 2;
constexpr int kUserDataChunk = 4;
constexpr int kChunkHeaderSize = 8;
constexpr int kBaseContentSize = 19;     // version 2
constexpr int kOldBaseContentSize = 12;  // versions 0 and 1
constexpr uint16_t kStreamVersion = 2;
constexpr uint16_t kHeaderUnits[6] = {0x2045, 0x0056, 0x0054, kStreamVersion, 0x0020, 0x2046};
constexpr uint32_t kOldFormatCount = std::numeric_limits<int32_t>::max();

// The states that travel with a node. Transient marks (checking, cut or copy, deleting, toggling,
// initialising), the free and release calls owed for data of this process and the measured height
// mean nothing in another tree: read back they would free a pointer taken from the bytes or leave a
// node that never toggles again.
constexpr TLazyNodeStates kStoredStates{vsInitialized, vsDisabled,          vsExpanded,  vsHasChildren, vsVisible,
                                        vsSelected,    vsAllChildrenHidden, vsMultiline, vsFiltered};
// The old formats' state byte is the low byte of the states.
constexpr uint32_t kOldStoredStateByte =
    TLazyNodeStates{vsInitialized, vsDisabled, vsExpanded, vsHasChildren, vsVisible}.Bits();
constexpr uint8_t kOldSelectedBit = 0x80;
constexpr uint8_t kMaxAlign = 100;

uint32_t GetU32(const uint8_t* p) {
    return qFromLittleEndian<uint32_t>(p);
}
void PutU32(uint8_t* p, uint32_t v) {
    qToLittleEndian<uint32_t>(v, p);
}

struct ChunkHeader {
    int32_t type;
    int32_t size;
};

// A chunk header inside a record: bytes cut short mean the record is incomplete (2005).
ChunkHeader ReadChunkHeader(TStream& Stream) {
    uint8_t b[kChunkHeaderSize];
    if (Stream.Read(b, kChunkHeaderSize) != kChunkHeaderSize) lazytree::RaiseTreeError(2005);
    return {static_cast<int32_t>(GetU32(b)), static_cast<int32_t>(GetU32(b + 4))};
}

// Where the chunk whose header was just read ends; it must lie inside the enclosing chunk (2006).
int64_t ChunkEnd(TStream& Stream, const ChunkHeader& h, int64_t EnclosingEnd) {
    const int64_t end = Stream.Position() + h.size;
    if (h.size < 0 || end > EnclosingEnd) lazytree::RaiseTreeError(2006);
    return end;
}

void WriteChunkHeader(TStream& Stream, int32_t Type) {
    uint8_t b[kChunkHeaderSize];
    PutU32(b, uint32_t(Type));
    PutU32(b + 4, 0);
    Stream.Write(b, kChunkHeaderSize);
}

TCheckState CheckStateFrom(uint8_t v) {
    return v <= uint8_t(TCheckState::csMixedDisabled) ? TCheckState(v) : TCheckState::csUncheckedNormal;
}
TCheckType CheckTypeFrom(uint8_t v) {
    return v <= uint8_t(TCheckType::ctButton) ? TCheckType(v) : TCheckType::ctNone;
}

// The node after n in pre-order inside Top's subtree, Top excluded; nil at its end.
PLazyNode NextInSubtree(PLazyNode n, PLazyNode Top) {
    if (n->FirstChild) return n->FirstChild;
    while (n != Top) {
        if (n->NextSibling) return n->NextSibling;
        n = n->Parent;
    }
    return nullptr;
}

// The stream header and, from version 2, the node count; the version is answered. Short data is
// reported by ShortData before anything else is checked.
template <typename ShortData>
int ReadStreamHeader(TStream& Stream, uint32_t& Count, ShortData&& Short) {
    uint8_t b[12];
    if (Stream.Read(b, 12) != 12) Short();
    uint16_t u[6];
    for (int i = 0; i < 6; ++i) u[i] = qFromLittleEndian<uint16_t>(b + 2 * i);
    if (u[0] != kHeaderUnits[0] || u[1] != kHeaderUnits[1] || u[2] != kHeaderUnits[2] || u[5] != kHeaderUnits[5])
        lazytree::RaiseTreeError(2002);
    const int version = u[3];
    if (version > kStreamVersion) lazytree::RaiseTreeError(2003);
    Count = kOldFormatCount;
    if (version >= 2) {
        uint8_t c[4];
        if (Stream.Read(c, 4) != 4) Short();
        Count = GetU32(c);
    }
    return version;
}

}  // namespace

// ---- Writing ----

void TLazyTreeCore::SaveToStream(TStream& Stream, PLazyNode Node) {
    uint8_t header[16];
    for (int i = 0; i < 6; ++i) qToLittleEndian<uint16_t>(kHeaderUnits[i], header + 2 * i);
    PutU32(header + 12, 0);
    const int64_t countPos = Stream.Position() + 12;
    Stream.Write(header, sizeof header);
    uint32_t count = 0;
    if (Node && Node != FRoot) {
        WriteNode(Stream, Node);
        count = 1;
    } else {
        for (PLazyNode n = FRoot->FirstChild; n; n = n->NextSibling) {
            WriteNode(Stream, n);
            ++count;
        }
    }
    // The count is written after the records, so it is the number of records that are there.
    const int64_t end = Stream.Position();
    uint8_t c[4];
    PutU32(c, count);
    Stream.Seek(countPos);
    Stream.Write(c, 4);
    Stream.Seek(end);
    if (OnSaveTree) OnSaveTree(this, Stream);
}

void TLazyTreeCore::WriteNode(TStream& Stream, PLazyNode Node) {
    const bool initOnSave = FOptions->MiscOptions().Contains(TLTMiscOption::toInitOnSave);
    struct Frame {
        PLazyNode node;
        int64_t anchor;
        int64_t base;
        PLazyNode next;  // the child to write next
    };
    std::vector<Frame> stack;
    auto open = [&](PLazyNode n) {
        if (initOnSave) {
            if (!n->States.Contains(vsInitialized)) InitNode(n);
            if (n->States.Contains(vsHasChildren) && n->ChildCount == 0) InitChildren(n);
        }
        // Only an initialised node's children are written; one that is not says it has none, so a
        // reader does not take its siblings for its children.
        const bool withChildren = n->States.Contains(vsInitialized);
        Frame f{n, Stream.Position(), 0, withChildren ? n->FirstChild : nullptr};
        WriteChunkHeader(Stream, kAnchorChunk);
        f.base = Stream.Position();
        uint8_t b[kChunkHeaderSize + kBaseContentSize] = {};
        PutU32(b, kBaseChunk);
        PutU32(b + 8, withChildren ? n->ChildCount : 0);
        PutU32(b + 12, n->NodeHeight);
        PutU32(b + 16, (n->States * kStoredStates).Bits());
        b[20] = n->Align;
        b[21] = uint8_t(n->CheckState);
        b[22] = uint8_t(n->CheckType);
        Stream.Write(b, sizeof b);
        stack.push_back(f);
    };
    open(Node);
    while (!stack.empty()) {
        if (PLazyNode child = stack.back().next) {
            stack.back().next = child->NextSibling;
            open(child);
            continue;
        }
        const Frame done = stack.back();
        stack.pop_back();
        FinishChunkHeader(Stream, done.base, Stream.Position());
        WriteChunks(Stream, done.node);
        FinishChunkHeader(Stream, done.anchor, Stream.Position());
    }
}

void TLazyTreeCore::WriteChunks(TStream& Stream, PLazyNode Node) {
    const int64_t start = Stream.Position();
    WriteChunkHeader(Stream, kUserDataChunk);
    DoSaveUserData(Node == FRoot ? nullptr : Node, Stream);
    if (Stream.Position() == start + kChunkHeaderSize) {
        // Nothing written: the empty chunk goes again.
        Stream.Seek(start);
        Stream.SetSize(Stream.Size() - kChunkHeaderSize);
    } else {
        FinishChunkHeader(Stream, start, Stream.Position());
    }
}

void TLazyTreeCore::FinishChunkHeader(TStream& Stream, int64_t StartPos, int64_t EndPos) {
    const int64_t size = EndPos - StartPos - kChunkHeaderSize;
    // A size the 32-bit field cannot hold would be written truncated and read back as garbage.
    if (size > std::numeric_limits<int32_t>::max())
        throw EStreamError("Stream write error: a node's data passes 2 GiB, the limit of the node stream");
    uint8_t b[4];
    PutU32(b, uint32_t(size));
    Stream.Seek(StartPos + 4);
    Stream.Write(b, 4);
    Stream.Seek(EndPos);
}

void TLazyTreeCore::DoSaveUserData(PLazyNode Node, TStream& Stream) {
    if (OnSaveNode) OnSaveNode(this, Node, Stream);
}

// ---- Reading ----

void TLazyTreeCore::ReadNode(TStream& Stream, int Version, PLazyNode Node) {
    const int baseSize = Version >= 2 ? kBaseContentSize : kOldBaseContentSize;
    // The least a child record takes: its anchor and base chunk headers and the base content.
    const uint64_t minChildRecord = 2 * kChunkHeaderSize + baseSize;
    struct Frame {
        PLazyNode node;
        int64_t end;       // the anchor chunk's end
        int64_t baseEnd;   // the base chunk's end while its child records are read
        uint32_t pending;  // child records still to read
        bool inBase;
    };
    std::vector<Frame> stack;
    auto open = [&](PLazyNode n, int64_t enclosingEnd) {
        const ChunkHeader h = ReadChunkHeader(Stream);
        if (h.type != kAnchorChunk) lazytree::RaiseTreeError(2005);
        stack.push_back({n, ChunkEnd(Stream, h, enclosingEnd), 0, 0, false});
    };
    open(Node, Stream.Size());
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.pending > 0) {
            --f.pending;
            const int64_t enclosing = f.baseEnd;
            PLazyNode parent = f.node;
            PLazyNode child = MakeNewNode();
            // Linked directly; the counts and heights of the whole record are settled afterwards.
            child->Parent = parent;
            child->PrevSibling = parent->LastChild;
            child->Index = parent->LastChild ? parent->LastChild->Index + 1 : 0;
            if (parent->LastChild)
                parent->LastChild->NextSibling = child;
            else
                parent->FirstChild = child;
            parent->LastChild = child;
            ++parent->ChildCount;
            open(child, enclosing);
            continue;
        }
        if (f.inBase) {
            // Bytes of the base chunk after its child records are not ours to read.
            f.inBase = false;
            Stream.Seek(f.baseEnd);
            continue;
        }
        const int64_t pos = Stream.Position();
        if (pos == f.end) {
            stack.pop_back();
            continue;
        }
        // Too few bytes left for a chunk header: the anchor does not end where its chunks do.
        if (pos > f.end || f.end - pos < kChunkHeaderSize) lazytree::RaiseTreeError(2006);
        const ChunkHeader h = ReadChunkHeader(Stream);
        const int64_t end = ChunkEnd(Stream, h, f.end);
        if (h.type != kBaseChunk) {
            ReadChunk(Stream, Version, f.node, h.type, h.size);
            Stream.Seek(end);
            continue;
        }
        if (h.size < baseSize) lazytree::RaiseTreeError(2006);
        uint8_t b[kBaseContentSize];
        if (Stream.Read(b, baseSize) != baseSize) lazytree::RaiseTreeError(2005);
        const uint32_t childCount = GetU32(b);
        PLazyNode n = f.node;
        n->NodeHeight = static_cast<uint16_t>(GetU32(b + 4));
        n->TotalHeight = n->NodeHeight;
        const uint8_t* rest = b + 8;
        if (Version >= 2) {
            n->States = TLazyNodeStates::FromBits(GetU32(b + 8)) * kStoredStates;
            rest = b + 12;
        } else {
            const uint8_t stateByte = b[8];
            n->States = TLazyNodeStates::FromBits(stateByte & kOldStoredStateByte);
            n->States += (stateByte & kOldSelectedBit) ? vsSelected : vsVisible;
            rest = b + 9;
        }
        n->Align = std::min(rest[0], kMaxAlign);
        n->CheckState = CheckStateFrom(rest[1]);
        n->CheckType = CheckTypeFrom(rest[2]);
        // A count the chunk cannot hold fails before a single node is made for it.
        if (uint64_t(childCount) * minChildRecord > uint64_t(end - Stream.Position())) lazytree::RaiseTreeError(2005);
        f.pending = childCount;
        f.baseEnd = end;
        f.inBase = true;
    }
}

bool TLazyTreeCore::ReadChunk(TStream& Stream, int /*Version*/, PLazyNode Node, int ChunkType, int ChunkSize) {
    if (ChunkType != kUserDataChunk) {
        Stream.Seek(Stream.Position() + std::max(ChunkSize, 0));
        return false;
    }
    if (ChunkSize <= 0) return true;
    const int64_t start = Stream.Position();
    DoLoadUserData(Node == FRoot ? nullptr : Node, Stream);
    const bool used = Stream.Position() > start;
    // A handler that read less or more does not disturb the chunks after this one.
    Stream.Seek(start + ChunkSize);
    return used;
}

void TLazyTreeCore::SkipNode(TStream& Stream) {
    const ChunkHeader h = ReadChunkHeader(Stream);
    if (h.type != kAnchorChunk) lazytree::RaiseTreeError(2005);
    Stream.Seek(ChunkEnd(Stream, h, Stream.Size()));
}

void TLazyTreeCore::DoLoadUserData(PLazyNode Node, TStream& Stream) {
    if (OnLoadNode) OnLoadNode(this, Node, Stream);
}

void TLazyTreeCore::InternalAddFromStream(TStream& Stream, int Version, PLazyNode Node) {
    lazytree::Assert(Node != FRoot, "The root node cannot be loaded from stream.");
    PLazyNode parent = Node->Parent;
    // What the node was connected with: its height counted in the parent's when the parent is
    // expanded, itself in the visible count when on screen.
    const uint32_t connectedHeight = Node->TotalHeight;
    const bool connectedHeightCounted = parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible);
    const bool connectedShown = FullyVisible(Node) && IsEffectivelyVisible(Node);

    // Counts, heights, the children flags and the visible count of the record, children before
    // their parent, then the difference to what was connected handed to the ancestors.
    auto settle = [&] {
        PLazyNode n = Node;
        while (n->FirstChild) n = n->FirstChild;
        for (;;) {
            uint32_t count = 1;
            uint32_t childrenHeight = 0;
            bool allHidden = n->FirstChild != nullptr;
            for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) {
                count += c->TotalCount;
                if (c->States.Contains(vsVisible)) childrenHeight += c->TotalHeight;
                if (IsEffectivelyVisible(c)) allHidden = false;
            }
            n->TotalCount = count;
            n->TotalHeight =
                (IsEffectivelyFiltered(n) ? 0 : n->NodeHeight) + (n->States.Contains(vsExpanded) ? childrenHeight : 0);
            if (n->FirstChild) n->States += vsHasChildren;
            if (allHidden)
                n->States += vsAllChildrenHidden;
            else
                n->States -= vsAllChildrenHidden;
            if (n == Node) break;
            if (n->NextSibling) {
                n = n->NextSibling;
                while (n->FirstChild) n = n->FirstChild;
            } else {
                n = n->Parent;
            }
        }
        AdjustTotalCount(parent, int64_t(Node->TotalCount) - 1, true);
        const int64_t heightNow =
            parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible) ? Node->TotalHeight : 0;
        AdjustTotalHeight(parent, heightNow - (connectedHeightCounted ? connectedHeight : 0), true);
        const uint32_t shownNow =
            FullyVisible(Node) ? (IsEffectivelyVisible(Node) ? 1 : 0) + CountVisibleChildren(Node) : 0;
        FVisibleCount = FVisibleCount + shownNow - (connectedShown ? 1 : 0);
        if (parent != FRoot) UpdateChildrenHiddenFlag(parent);
    };

    try {
        ReadNode(Stream, Version, Node);
    } catch (...) {
        // The record read so far is settled and freed, so the records before it stay exact.
        settle();
        for (PLazyNode n = Node; n; n = NextInSubtree(n, Node)) n->States -= vsSelected;
        try {
            InternalDeleteNode(Node, true, false);
        } catch (...) {
            NoteSuppressedError();  // the read error is the one raised
        }
        throw;
    }
    settle();

    // The selection takes the nodes that come selected, or, in a single-selection tree, none.
    const bool multiSelect = FOptions->SelectionOptions().Contains(TLTSelectionOption::toMultiSelect);
    ResetTempCache();
    int index = 0;
    for (PLazyNode n = Node; n; n = NextInSubtree(n, Node)) {
        if (!n->States.Contains(vsSelected)) continue;
        if (!multiSelect)
            n->States -= vsSelected;
        else if (!FindInSelection(n, index))
            AppendToTempCache(n);
    }
    if (FTempNodeCount > 0) AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), true);
    ResetTempCache();
}

void TLazyTreeCore::LoadFromStream(TStream& Stream) {
    if (ReadOnly()) return;
    // The header is checked before the tree is cleared: a stream that is not one leaves it whole.
    uint32_t count = 0;
    const int version = ReadStreamHeader(Stream, count, [] { lazytree::RaiseTreeError(2004); });
    Clear();
    BeginUpdate();
    try {
        InterruptValidation();
        while (Stream.Position() < Stream.Size() && count != 0) {
            --count;
            PLazyNode n = MakeNewNode();
            InternalConnectNode(n, FRoot, this, amAddChildLast);
            InternalAddFromStream(Stream, version, n);
        }
        DoNodeCopied(nullptr);
        if (OnLoadTree) OnLoadTree(this, Stream);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TLazyTreeCore::AddFromStream(TStream& Stream, PLazyNode TargetNode) {
    if (ReadOnly()) return;
    if (!TargetNode) TargetNode = FRoot;
    lazytree::Assert(TreeFromNode(TargetNode) == this, "The target node must belong to this tree.");
    uint32_t count = 0;
    const int version = ReadStreamHeader(Stream, count, [] { throw EStreamError("Stream read error"); });
    BeginUpdate();
    try {
        InterruptValidation();
        while (Stream.Position() < Stream.Size() && count != 0) {
            --count;
            PLazyNode n = MakeNewNode();
            InternalConnectNode(n, TargetNode, this, amAddChildLast);
            InternalAddFromStream(Stream, version, n);
        }
        DoNodeCopied(TargetNode == FRoot ? nullptr : TargetNode);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TLazyTreeCore::SaveToFile(const QString& FileName) {
    TMemoryStream stream;
    SaveToStream(stream, nullptr);
    QString error;
    if (!plat::atomicWrite(FileName, stream.Data(), &error))
        throw EStreamError("Cannot create file \"" + FileName.toStdString() + "\". " + error.toStdString());
}

void TLazyTreeCore::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError("Cannot open file \"" + FileName.toStdString() + "\". " + file.errorString().toStdString());
    TDeviceStream stream(file);
    LoadFromStream(stream);
}

// ---- Moving and copying into another tree ----

namespace {

// The records of Source (or of its children) one after another. Children that each land at the
// same place (first child, right after the target) are written last first, so they keep their order.
template <typename WriteOne>
int WriteRecords(PLazyNode Source, TLTNodeAttachMode Mode, bool ChildrenOnly, WriteOne&& Write) {
    if (!ChildrenOnly) {
        Write(Source);
        return 1;
    }
    int records = 0;
    if (Mode == amAddChildFirst || Mode == amInsertAfter) {
        for (PLazyNode c = Source->LastChild; c; c = c->PrevSibling, ++records) Write(c);
    } else {
        for (PLazyNode c = Source->FirstChild; c; c = c->NextSibling, ++records) Write(c);
    }
    return records;
}

}  // namespace

bool TLazyTreeCore::MoveNodesToTree(PLazyNode Source, PLazyNode Target, TLazyTreeCore* TargetTree,
                                    TLTNodeAttachMode Mode, bool ChildrenOnly) {
    // A read-only tree takes no nodes, as it takes no other change of its structure.
    if (TargetTree->ReadOnly()) return false;
    // A record carries only an initialised node's children: a moved node that has children but was
    // never initialised is initialised first, or its children would be freed with the source.
    auto initialise = [&](PLazyNode Top) {
        for (PLazyNode n = Top; n; n = NextInSubtree(n, Top))
            if (n->FirstChild && !n->States.Contains(vsInitialized)) InitNode(n);
    };
    if (!ChildrenOnly)
        initialise(Source);
    else
        for (PLazyNode c = Source->FirstChild; c; c = c->NextSibling) initialise(c);
    TMemoryStream stream;
    const int records = WriteRecords(Source, Mode, ChildrenOnly, [&](PLazyNode n) { WriteNode(stream, n); });
    stream.Seek(0);
    TargetTree->BeginUpdate();
    try {
        TargetTree->InterruptValidation();
        for (int i = 0; i < records; ++i) {
            PLazyNode n = TargetTree->MakeNewNode();
            TargetTree->InternalConnectNode(n, Target, TargetTree, Mode);
            TargetTree->InternalAddFromStream(stream, kStreamVersion, n);
            DoNodeMoved(n);
        }
    } catch (...) {
        TargetTree->EndUpdate();
        throw;
    }
    TargetTree->EndUpdate();
    BeginUpdate();
    try {
        if (ChildrenOnly)
            DeleteChildren(Source, false);
        else
            InternalDeleteNode(Source, true, false);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return true;
}

PLazyNode TLazyTreeCore::CopyNodesToTree(PLazyNode Source, PLazyNode Target, TLazyTreeCore* TargetTree,
                                         TLTNodeAttachMode Mode, bool ChildrenOnly) {
    TMemoryStream stream;
    const int records = WriteRecords(Source, Mode, ChildrenOnly, [&](PLazyNode n) { WriteNode(stream, n); });
    stream.Seek(0);
    PLazyNode result = nullptr;
    TargetTree->BeginUpdate();
    try {
        TargetTree->InterruptValidation();
        for (int i = 0; i < records; ++i) {
            PLazyNode n = TargetTree->MakeNewNode();
            TargetTree->InternalConnectNode(n, Target, TargetTree, Mode);
            TargetTree->InternalAddFromStream(stream, kStreamVersion, n);
            if (DoNodeCopying(n, Target)) {
                DoNodeCopied(n);
                result = n;
            } else {
                TargetTree->DeleteNode(n);
                result = nullptr;
            }
        }
    } catch (...) {
        TargetTree->EndUpdate();
        throw;
    }
    TargetTree->EndUpdate();
    TargetTree->InvalidateCache();
    if (TargetTree->FUpdateCount == 0) {
        TargetTree->RequestCacheValidation();
        TargetTree->UpdateScrollBars(true);
        TargetTree->Invalidate();
    }
    TargetTree->StructureChanged(ChildrenOnly ? nullptr : Source, crNodeCopied);
    return ChildrenOnly ? Target : result;
}
