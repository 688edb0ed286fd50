#pragma once
// An owning collection: it creates, holds and frees its items; each item knows its position and its
// collection. A position outside the list throws EListError.
#include "platform/Error.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace plat {

class TCollectionBase;

class TCollectionItem {
public:
    virtual ~TCollectionItem() = default;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    int Index() const { return index_; }
    TCollectionBase* Collection() const { return collection_; }

protected:
    TCollectionItem() = default;

private:
    friend class TCollectionBase;
    TCollectionBase* collection_ = nullptr;
    int index_ = -1;
};

class TCollectionBase {
public:
    TCollectionBase() = default;
    TCollectionBase(const TCollectionBase&) = delete;
    TCollectionBase& operator=(const TCollectionBase&) = delete;
    virtual ~TCollectionBase() { Clear(); }

    int Count() const { return int(items_.size()); }
    void Delete(int index) {
        check(index, Count() - 1);
        items_.erase(items_.begin() + index);
        renumber(index);
    }
    // Deletes every item the predicate picks, in one pass; the others keep their order.
    template <class Pred>
    void DeleteWhere(Pred pick) {
        std::erase_if(items_, [&](const std::unique_ptr<TCollectionItem>& item) { return pick(*item); });
        renumber(0);
    }
    // The item at `from` goes to `to`, the others close up.
    void Move(int from, int to) {
        check(from, Count() - 1);
        check(to, Count() - 1);
        auto item = std::move(items_[std::size_t(from)]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
        renumber(std::min(from, to));
    }
    void Clear() {
        // Last to first, so an item's destructor still sees the items before it.
        while (!items_.empty()) items_.pop_back();
    }

protected:
    TCollectionItem* itemAt(int index) const {
        check(index, Count() - 1);
        return items_[std::size_t(index)].get();
    }
    TCollectionItem* insertAt(int index, std::unique_ptr<TCollectionItem> item) {
        check(index, Count());
        TCollectionItem* raw = item.get();
        raw->collection_ = this;
        items_.insert(items_.begin() + index, std::move(item));
        renumber(index);
        return raw;
    }

private:
    static void check(int index, int last) {
        if (index < 0 || index > last) throwListIndexError(index);
    }
    void renumber(int from) {
        for (int i = from; i < Count(); ++i) items_[std::size_t(i)]->index_ = i;
    }
    std::vector<std::unique_ptr<TCollectionItem>> items_;
};

// The typed collection: items of T (derived from TCollectionItem), built in place from the given
// arguments.
template <class T>
class TCollection : public TCollectionBase {
public:
    template <class... A>
    T& Add(A&&... args) {
        return Insert(Count(), std::forward<A>(args)...);
    }
    template <class... A>
    T& Insert(int index, A&&... args) {
        return static_cast<T&>(*insertAt(index, std::make_unique<T>(std::forward<A>(args)...)));
    }
    T& Items(int index) const { return static_cast<T&>(*itemAt(index)); }
};

}  // namespace plat
