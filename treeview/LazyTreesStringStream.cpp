// The string tree's part of the node stream: a node's text in the main column travels as a caption
// chunk of UTF-16 code units, written under toSaveCaptions and stored through the text write (so
// OnNewText takes it) when read.
#include <QtEndian>
#include <vector>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

namespace {
constexpr int kCaptionChunk = 3;
}

void TCustomLazyStringTree::WriteChunks(TStream& Stream, PLazyNode Node) {
    TBaseLazyTree::WriteChunks(Stream, Node);
    if (!StringTreeOptions().StringOptions().Contains(TLTStringOption::toSaveCaptions) || Node == RootNode() ||
        !Node->States.Contains(TLazyNodeState::vsInitialized))
        return;
    const QString caption = Text(Node, MainColumn());
    if (caption.isEmpty()) return;
    const int64_t size = int64_t(caption.size()) * 2;
    uint8_t header[8];
    qToLittleEndian<uint32_t>(kCaptionChunk, header);
    qToLittleEndian<uint32_t>(uint32_t(size), header + 4);
    Stream.Write(header, sizeof header);
    std::vector<uint16_t> units(size_t(caption.size()));
    qToLittleEndian<uint16_t>(caption.utf16(), caption.size(), units.data());
    Stream.Write(units.data(), size);
}

bool TCustomLazyStringTree::ReadChunk(TStream& Stream, int Version, PLazyNode Node, int ChunkType, int ChunkSize) {
    if (ChunkType != kCaptionChunk) return TBaseLazyTree::ReadChunk(Stream, Version, Node, ChunkType, ChunkSize);
    QString caption;
    if (ChunkSize > 0) {
        // The chunk lies inside its record, which lies inside the stream: its bytes are there.
        QByteArray bytes(ChunkSize, Qt::Uninitialized);
        Stream.ReadBuffer(bytes.data(), ChunkSize);
        caption.resize(ChunkSize / 2);  // an odd last byte is not a code unit
        qFromLittleEndian<uint16_t>(bytes.constData(), ChunkSize / 2, caption.data());
    }
    SetText(Node, MainColumn(), caption);
    return true;
}
