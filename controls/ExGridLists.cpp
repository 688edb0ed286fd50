#include "controls/ExGridLists.h"

#include "controls/ExUtil.h"
#include "platform/IntConv.h"

#include <QWidget>
#include <algorithm>

namespace {

[[noreturn]] void indexError(int index) { plat::throwListIndexError(index); }

// Comma text: items separated by a comma or blanks, an item in double quotes may hold both (a
// doubled quote inside stands for one); two commas in a row, or one at the end, give an empty item.
QStringList splitCommaText(const QString& text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && text[i].unicode() >= 1 && text[i].unicode() <= 0x20) ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && text[i].unicode() > 0x20 && text[i] != u',') ++i;
            item = text.mid(start, i - start);
        }
        items << item;
        skipBlanks();
        if (i < n && text[i] == u',') {
            if (i + 1 == n) items << QString();
            ++i;
            skipBlanks();
        }
    }
    return items;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TIntList::TIntList(int32_t Col, int32_t Row) : FCol(Col), FRow(Row) {}

void TIntList::changed() {
    if (OnChange) OnChange(this, FCol, FRow);
}

int32_t TIntList::GetInteger(int Index) const {
    if (Index < 0 || Index >= Count()) indexError(Index);
    return items_[static_cast<size_t>(Index)];
}

void TIntList::SetInteger(int Index, int32_t Value) {
    if (Index < 0 || Index >= Count()) indexError(Index);
    items_[static_cast<size_t>(Index)] = Value;
    changed();
}

void TIntList::Add(int32_t Value) {
    items_.push_back(Value);
    changed();
}

void TIntList::Insert(int Index, int32_t Value) {
    if (Index < 0 || Index > Count()) indexError(Index);
    items_.insert(items_.begin() + Index, Value);
}

void TIntList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) indexError(Index);
    items_.erase(items_.begin() + Index);
    changed();
}

void TIntList::DeleteIndexes(const std::vector<int>& Ascending) {
    size_t out = 0, k = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (k < Ascending.size() && size_t(Ascending[k]) == i) {
            ++k;
            continue;
        }
        items_[out++] = items_[i];
    }
    if (out == items_.size()) return;
    items_.resize(out);
    changed();
}

void TIntList::DeleteValue(int32_t Value) {
    const int i = IndexOf(Value);
    if (i >= 0) Delete(i);
}

int TIntList::IndexOf(int32_t Value) const {
    const auto it = std::find(items_.begin(), items_.end(), Value);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool TIntList::HasValue(int32_t Value) const { return IndexOf(Value) >= 0; }

void TIntList::Clear() { items_.clear(); }

QString TIntList::StrValue() const {
    QString out;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += u',';
        out += QString::number(items_[i]);
    }
    return out;
}

void TIntList::SetStrValue(const QString& Text) {
    const QStringList items = splitCommaText(Text);
    Clear();
    for (const QString& item : items) {
        const auto v = plat::tryStrToInt(item);
        if (!v) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(item));
        Add(*v);
    }
}

// ---------------------------------------------------------------------------------------------

namespace {
constexpr uint32_t kDescending = 0x80000000u;
constexpr uint32_t kColumnBits = 0x7FFFFFFFu;
int32_t asInt(uint32_t v) { return static_cast<int32_t>(v); }
uint32_t asBits(int32_t v) { return static_cast<uint32_t>(v); }
}  // namespace

void TSortIndexList::AddIndex(int32_t ColumnIndex, bool Ascending) {
    Add(asInt((asBits(ColumnIndex) & kColumnBits) | (Ascending ? 0u : kDescending)));
}

int32_t TSortIndexList::FindIndex(int32_t ColumnIndex) const {
    for (int i = 0; i < Count(); ++i)
        if ((asBits(GetInteger(i)) & kColumnBits) == (asBits(ColumnIndex) & kColumnBits)) return i;
    return -1;
}

int32_t TSortIndexList::SortColumns(int i) const { return asInt(asBits(GetInteger(i)) & kColumnBits); }

void TSortIndexList::SetSortColumns(int i, int32_t Column) {
    SetInteger(i, asInt((asBits(GetInteger(i)) & kDescending) | (asBits(Column) & kColumnBits)));
}

bool TSortIndexList::SortDirections(int i) const { return (asBits(GetInteger(i)) & kDescending) == 0; }

void TSortIndexList::SetSortDirections(int i, bool Ascending) {
    const uint32_t v = asBits(GetInteger(i));
    SetInteger(i, asInt(Ascending ? (v & kColumnBits) : (v | kDescending)));
}

void TSortIndexList::ToggleIndex(int32_t ColumnIndex) {
    const int i = FindIndex(ColumnIndex);
    if (i >= 0) SetInteger(i, asInt(asBits(GetInteger(i)) ^ kDescending));
}

QString TSortIndexList::SaveToString() const {
    QStringList parts;
    for (int i = 0; i < Count(); ++i) {
        const uint32_t v = asBits(GetInteger(i));
        parts << (((v & kDescending) ? u'd' : u'u') + QString::number(v & 0xFFFFu));
    }
    return parts.join(u';');
}

void TSortIndexList::LoadFromString(const QString& s) {
    Clear();
    for (const QString& item : s.split(u';')) {
        if (item.size() < 2) continue;
        const QStringView digits = QStringView(item).mid(1);
        if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) continue;
        bool ok = false;
        const int32_t column = digits.toInt(&ok);
        if (!ok) continue;
        AddIndex(column, item[0] == u'u');
    }
}

// ---------------------------------------------------------------------------------------------

void TControlList::AddControl(int32_t X, int32_t Y, QObject* AObject) {
    items_.push_back(std::make_unique<TControlItem>(X, Y, AObject));
}

int32_t TControlList::ControlIndex(int32_t X, int32_t Y) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->X() == X && items_[i]->Y() == Y) return static_cast<int32_t>(i);
    return -1;
}

TControlItem* TControlList::GetControl(int i) const {
    if (i < 0 || i >= Count()) indexError(i);
    return items_[static_cast<size_t>(i)].get();
}

void TControlList::RemoveControl(int i) {
    if (i < 0 || i >= Count()) indexError(i);
    items_.erase(items_.begin() + i);
}

int TControlList::RemoveDestroyed(const QObject* Gone) {
    const size_t before = items_.size();
    std::erase_if(items_, [Gone](const auto& item) { return !item->Control() || item->Control() == Gone; });
    return int(before - items_.size());
}

bool TControlList::HasHandle(const QWidget* Handle) const {
    if (!Handle) return false;
    return std::any_of(items_.begin(), items_.end(), [&](const auto& item) {
        return qobject_cast<const QWidget*>(item->Control()) == Handle;
    });
}

// ---------------------------------------------------------------------------------------------

void TFileStringList::Reset() {
    fp = 0;
    cache.clear();
}

void TFileStringList::ReadLn(QString& s) {
    if (fp < 0 || fp >= size()) indexError(fp);
    s = at(fp);
    ++fp;
}

void TFileStringList::WriteLn(const QString& s) {
    append(cache + s);
    cache.clear();
}
