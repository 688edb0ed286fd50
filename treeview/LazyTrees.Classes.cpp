#include "treeview/LazyTrees.Classes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace lazytree {

template <typename Element>
TGrowableBuffer<Element>::~TGrowableBuffer() {
    std::free(FStart);
}

template <typename Element>
void TGrowableBuffer<Element>::Append(const Element* Data, size_t Count) {
    if (ptrdiff_t(Count) >= FEnd - FPosition) Grow(Count);
    std::memcpy(FPosition, Data, Count * sizeof(Element));
    FPosition += Count;
}

template <typename Element>
void TGrowableBuffer<Element>::Grow(size_t Needed) {
    const size_t used = Length();
    const size_t capacity = size_t(FEnd - FStart);
    const size_t rounded = (Needed + 4095) & ~size_t(4095);
    const size_t newCapacity = capacity + std::max(rounded, capacity / 2);
    auto* block = static_cast<Element*>(std::realloc(FStart, newCapacity * sizeof(Element)));
    if (!block) throw std::bad_alloc();
    FStart = block;
    FPosition = block + used;
    FEnd = block + newCapacity;
}

template class TGrowableBuffer<char16_t>;
template class TGrowableBuffer<char>;

}  // namespace lazytree
