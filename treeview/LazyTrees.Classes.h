#pragma once
// The library lock of the lazy tree unit, and the growable text buffers the exports assemble their
// documents in.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstring>
#include <mutex>

class TCriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

namespace lazytree {
// One block of Element, written from the start: FStart is the block, FPosition the next free
// element, FEnd one past the block. A new buffer has no block. The block grows by at least half its
// size (rounded up to 4096 elements), so a document of any length costs linear time. The block is
// the storage of a Qt string (Container), so the finished text is handed over without a copy.
template <typename Element, typename Container>
class TGrowableBuffer {
public:
    TGrowableBuffer() = default;
    TGrowableBuffer(const TGrowableBuffer&) = delete;
    TGrowableBuffer& operator=(const TGrowableBuffer&) = delete;
    void AddNewLine() {
        if (FEnd - FPosition <= NewLineRoom) Grow(2);
        *FPosition++ = Element('\r');
        *FPosition++ = Element('\n');
    }
    size_t Length() const { return size_t(FPosition - FStart); }
    // The text written so far.
    Container AsString() const { return Container(reinterpret_cast<const typename Container::value_type*>(FStart),
                                                  qsizetype(Length())); }
    // The same text without copying it; the buffer is empty afterwards.
    Container TakeString();

protected:
    void Append(const Element* Data, size_t Count) {
        if (ptrdiff_t(Count) >= FEnd - FPosition) Grow(Count);
        std::memcpy(FPosition, Data, Count * sizeof(Element));
        FPosition += Count;
    }
    static constexpr ptrdiff_t NewLineRoom = sizeof(Element) == 1 ? 2 : 4;
    Element* FStart = nullptr;
    Element* FPosition = nullptr;
    Element* FEnd = nullptr;

private:
    void Grow(size_t Needed);
    Container FBlock;
};

extern template class TGrowableBuffer<char16_t, QString>;
extern template class TGrowableBuffer<char, QByteArray>;
}  // namespace lazytree

// UTF-16 text.
class TBufferedString : public lazytree::TGrowableBuffer<char16_t, QString> {
public:
    void Add(QStringView S) {
        if (!S.isEmpty()) Append(reinterpret_cast<const char16_t*>(S.utf16()), size_t(S.size()));
    }
    void Add(QChar C) { Add(QStringView(&C, 1)); }
};

// 8-bit text.
class TBufferedRawByteString : public lazytree::TGrowableBuffer<char, QByteArray> {
public:
    void Add(QByteArrayView S) {
        if (!S.isEmpty()) Append(S.data(), size_t(S.size()));
    }
};
