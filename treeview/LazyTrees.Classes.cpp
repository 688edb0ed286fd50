#include "treeview/LazyTrees.Classes.h"

#include <algorithm>
#include <cstring>

namespace lazytree {

template <typename Element, typename Container>
void TGrowableBuffer<Element, Container>::Grow(size_t Needed) {
    const size_t used = Length();
    const size_t capacity = size_t(FEnd - FStart);
    const size_t rounded = (Needed + 4095) & ~size_t(4095);
    const size_t newCapacity = capacity + std::max(rounded, capacity / 2);
    // Resizing keeps what was written; the rest of the block is written before it is read.
    FBlock.resize(qsizetype(newCapacity));
    FStart = reinterpret_cast<Element*>(FBlock.data());
    FPosition = FStart + used;
    FEnd = FStart + newCapacity;
}

template <typename Element, typename Container>
Container TGrowableBuffer<Element, Container>::TakeString() {
    FBlock.resize(qsizetype(Length()));
    FStart = FPosition = FEnd = nullptr;
    return std::move(FBlock);
}

template class TGrowableBuffer<char16_t, QString>;
template class TGrowableBuffer<char, QByteArray>;

}  // namespace lazytree
