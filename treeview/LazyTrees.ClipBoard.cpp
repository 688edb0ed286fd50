#include "treeview/LazyTrees.ClipBoard.h"

#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <map>

#include "treeview/LazyTrees.h"

namespace {

std::vector<TClipboardFormatListEntry>& List() {
    static std::vector<TClipboardFormatListEntry> list;
    return list;
}

// In place, Hoare partition around the middle element, recursing on the left part and looping on
// the right: entries of equal priority keep no defined order.
void QuickSort(std::vector<TClipboardFormatListEntry>& a, int L, int R) {
    while (L < R) {
        int i = L, j = R;
        const uint32_t pivot = a[size_t((L + R) / 2)].Priority;
        while (i <= j) {
            while (a[size_t(i)].Priority < pivot) ++i;
            while (a[size_t(j)].Priority > pivot) --j;
            if (i <= j) {
                std::swap(a[size_t(i)], a[size_t(j)]);
                ++i;
                --j;
            }
        }
        if (L < j) QuickSort(a, L, j);
        L = i;
    }
}

bool InheritsClass(const QMetaObject* Class, const QMetaObject* Ancestor) {
    return Class && Ancestor && Class->inherits(Ancestor);
}

const char* const StandardNames[17] = {"Plain text",
                                       "Windows bitmap",
                                       "Windows metafile",
                                       "Symbolic link",
                                       "Data interchange format",
                                       "Tiff image",
                                       "OEM text",
                                       "DIB image",
                                       "Palette data",
                                       "Pen data",
                                       "Riff audio data",
                                       "Wav audio data",
                                       "Unicode text",
                                       "Enhanced metafile image",
                                       "File name(s)",
                                       "Locale descriptor",
                                       "DIB image V5"};

uint16_t gTreeData = 0, gTreeReference = 0;

// The trees a reference may name, by number; a tree that went is gone from here too.
std::map<uint32_t, QPointer<TBaseLazyTree>>& ReferencedTrees() {
    static std::map<uint32_t, QPointer<TBaseLazyTree>> trees;
    return trees;
}
uint64_t ProcessToken() {
    static const uint64_t token = QRandomGenerator::system()->generate64();
    return token;
}

}  // namespace

// ---- Registry ----

void TClipboardFormatList::Add(const QString& FormatString, const QMetaObject* AClass, uint32_t Priority,
                               const TFormatEtc& AFormatEtc) {
    auto& list = List();
    list.push_back({FormatString, AClass, Priority, AFormatEtc});
    QuickSort(list, 0, int(list.size()) - 1);
}

void TClipboardFormatList::Clear() {
    List().clear();
}

const std::vector<TClipboardFormatListEntry>& TClipboardFormatList::Entries() {
    return List();
}

void TClipboardFormatList::EnumerateFormats(const QMetaObject* TreeClass, TFormatEtcArray& Formats,
                                            const TClipboardFormats* AllowedFormats) {
    Formats.clear();
    for (const auto& e : List())
        if (InheritsClass(TreeClass, e.TreeClass) && (!AllowedFormats || AllowedFormats->Contains(e.Description)))
            Formats.push_back(e.FormatEtc);
}

void TClipboardFormatList::EnumerateFormats(const QMetaObject* TreeClass, QStringList& Formats) {
    for (const auto& e : List())
        if (InheritsClass(TreeClass, e.TreeClass)) Formats << e.Description;
}

const TClipboardFormatListEntry* TClipboardFormatList::FindFormat(const QString& FormatString) {
    const auto& list = List();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->Description.compare(FormatString, Qt::CaseInsensitive) == 0) return &*it;
    return nullptr;
}

const QMetaObject* TClipboardFormatList::FindFormat(const QString& FormatString, uint16_t& Fmt) {
    const TClipboardFormatListEntry* e = FindFormat(FormatString);
    if (!e) return nullptr;
    Fmt = e->FormatEtc.cfFormat;
    return e->TreeClass;
}

const QMetaObject* TClipboardFormatList::FindFormat(uint16_t Fmt, QString& Description) {
    const auto& list = List();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->FormatEtc.cfFormat == Fmt) {
            Description = it->Description;
            return it->TreeClass;
        }
    return nullptr;
}

QString StandardClipboardFormatName(uint16_t Format) {
    return Format >= 1 && Format <= 17 ? QString::fromLatin1(StandardNames[Format - 1]) : QString();
}

uint16_t RegisterClipboardFormat(const QString& Name) {
    static QHash<QString, uint16_t> ids;
    const QString key = Name.toCaseFolded();
    auto it = ids.find(key);
    if (it == ids.end()) it = ids.insert(key, uint16_t(0xC000 + ids.size()));
    return *it;
}

uint16_t RegisterTreeFormat(const QString& FormatString, const QMetaObject* TreeClass, uint32_t Priority,
                            const QString& MimeType) {
    const uint16_t id = RegisterClipboardFormat(FormatString);
    TClipboardFormatList::Add(FormatString, TreeClass, Priority, TFormatEtc{id, MimeType});
    return id;
}

void RegisterStandardTreeFormat(uint16_t Format, const QMetaObject* TreeClass, uint32_t Priority,
                                const QString& MimeType) {
    const QString name = StandardClipboardFormatName(Format);
    if (name.isEmpty()) return;
    TClipboardFormatList::Add(name, TreeClass, Priority, TFormatEtc{Format, MimeType});
}

namespace lazytree {

uint16_t RegisterLibraryFormats() {
    static const bool done = [] {
        const QMetaObject* base = &TBaseLazyTree::staticMetaObject;
        const QMetaObject* strings = &TCustomLazyStringTree::staticMetaObject;
        gTreeData = RegisterTreeFormat(QStringLiteral("Lazy Tree Data"), base, 50, QLatin1String(MimeTreeData));
        RegisterTreeFormat(QStringLiteral("HTML Format"), strings, 80, QStringLiteral("text/html"));
        RegisterTreeFormat(QStringLiteral("Rich Text Format Without Objects"), strings, 84, QStringLiteral("text/rtf"));
        RegisterTreeFormat(QStringLiteral("Rich Text Format"), strings, 85, QStringLiteral("text/rtf"));
        RegisterTreeFormat(QStringLiteral("CSV"), strings, 90, QStringLiteral("text/csv"));
        RegisterStandardTreeFormat(CF_TEXT, strings, 100, QStringLiteral("text/plain;charset=windows-1252"));
        RegisterStandardTreeFormat(CF_UNICODETEXT, strings, 95, QStringLiteral("text/plain"));
        gTreeReference = RegisterClipboardFormat(QStringLiteral("Lazy Tree Reference"));
        return true;
    }();
    (void)done;
    return gTreeData;
}

uint16_t CF_LAZYTREE() {
    return RegisterLibraryFormats();
}
uint16_t CF_LAZYTREE_REFERENCE() {
    RegisterLibraryFormats();
    return gTreeReference;
}

QByteArray TreeReference(TBaseLazyTree* Tree) {
    static uint32_t nextId = 0;
    QVariant stored = Tree->property("lazytreeReferenceId");
    uint32_t id;
    if (stored.isValid()) {
        id = stored.toUInt();
    } else {
        id = ++nextId;
        Tree->setProperty("lazytreeReferenceId", id);
        ReferencedTrees()[id] = Tree;
    }
    QByteArray out(16, '\0');
    qToLittleEndian<uint32_t>(uint32_t(QCoreApplication::applicationPid()), out.data());
    qToLittleEndian<uint32_t>(id, out.data() + 4);
    qToLittleEndian<uint64_t>(ProcessToken(), out.data() + 8);
    return out;
}

TBaseLazyTree* TreeFromReference(const QByteArray& Reference) {
    if (Reference.size() != 16) return nullptr;
    const auto* p = Reference.constData();
    if (qFromLittleEndian<uint32_t>(p) != uint32_t(QCoreApplication::applicationPid())) return nullptr;
    if (qFromLittleEndian<uint64_t>(p + 8) != ProcessToken()) return nullptr;
    const auto it = ReferencedTrees().find(qFromLittleEndian<uint32_t>(p + 4));
    return it == ReferencedTrees().end() ? nullptr : it->second.data();
}

}  // namespace lazytree

// ---- Allowed formats ----

bool TClipboardFormats::Accepts(const QString& S) const {
    lazytree::RegisterLibraryFormats();
    const TClipboardFormatListEntry* e = TClipboardFormatList::FindFormat(S);
    return e && FOwner && InheritsClass(FOwner->metaObject(), e->TreeClass);
}

bool TClipboardFormats::Contains(const QString& S) const {
    return FItems.contains(S, Qt::CaseInsensitive);
}

int TClipboardFormats::Add(const QString& S) {
    if (!Accepts(S)) return -1;
    for (int i = 0; i < FItems.size(); ++i)
        if (FItems[i].compare(S, Qt::CaseInsensitive) == 0) return i;
    const auto at = std::lower_bound(FItems.begin(), FItems.end(), S, [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    const int index = int(at - FItems.begin());
    FItems.insert(index, S);
    return index;
}

void TClipboardFormats::Insert(int Index, const QString& S) {
    // A sorted list places every name by its order.
    (void)Index;
    Add(S);
}

void TClipboardFormats::Assign(const QStringList& Names) {
    FItems.clear();
    for (const QString& s : Names) Add(s);
}

// ---- The data object ----

TLTDataObject::TLTDataObject(TBaseLazyTree* AOwner, bool ForClipboard) : FOwner(AOwner), FForClipboard(ForClipboard) {
    if (AOwner) AOwner->GetNativeClipboardFormats(FFormatEtcArray);
}

TLTDataObject::~TLTDataObject() {
    if (FForClipboard && FOwner && !FOwner->TreeStates().Contains(TLazyTreeState::tsClipboardFlushing))
        FOwner->CancelCutOrCopy();
}

QStringList TLTDataObject::formats() const {
    QStringList out;
    for (const TFormatEtc& f : FFormatEtcArray)
        if (!f.MimeType.isEmpty() && !out.contains(f.MimeType)) out << f.MimeType;
    for (const QString& stored : QMimeData::formats())
        if (!out.contains(stored)) out << stored;
    return out;
}

bool TLTDataObject::hasFormat(const QString& MimeType) const {
    return formats().contains(MimeType);
}

QVariant TLTDataObject::retrieveData(const QString& MimeType, QMetaType Type) const {
    // The reference is answered without being offered, and never while the data is handed over.
    if (MimeType == QLatin1String(lazytree::MimeTreeReference)) {
        if (!FOwner || FOwner->TreeStates().Contains(TLazyTreeState::tsClipboardFlushing)) return {};
        return lazytree::TreeReference(FOwner);
    }
    if (QMimeData::formats().contains(MimeType)) return QMimeData::retrieveData(MimeType, Type);
    if (!FOwner) return {};
    for (const TFormatEtc& f : FFormatEtcArray) {
        if (f.MimeType != MimeType) continue;
        QByteArray medium;
        try {
            if (FOwner->RenderOLEData(f, medium, FForClipboard)) return medium;
        } catch (...) {
            // A failed rendering offers nothing; the count keeps the failure visible.
            FOwner->NoteSuppressedError();
        }
        return {};
    }
    return {};
}
