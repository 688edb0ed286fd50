#pragma once
// The clipboard formats of the trees: a process-wide registry of formats by name, tree class and
// priority (a lower priority is offered first), the names of the standard formats, the formats the
// library registers with their MIME types, a tree's list of allowed formats, and the data object a
// tree hands to the clipboard: MIME data that renders each offered format only when asked.
#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <vector>

class TBaseLazyTree;
struct QMetaObject;

// A format as offered: its number (standard 1-17, registered names from $C000) and MIME type.
struct TFormatEtc {
    uint16_t cfFormat = 0;
    QString MimeType;
    friend bool operator==(const TFormatEtc&, const TFormatEtc&) = default;
};
using TFormatEtcArray = std::vector<TFormatEtc>;

struct TClipboardFormatListEntry {
    QString Description;
    const QMetaObject* TreeClass = nullptr;  // the least derived tree class that supports it
    uint32_t Priority = 0;
    TFormatEtc FormatEtc;
};

class TClipboardFormats;

class TClipboardFormatList {
public:
    // Appends an entry and sorts the list again by priority.
    static void Add(const QString& FormatString, const QMetaObject* AClass, uint32_t Priority,
                    const TFormatEtc& AFormatEtc);
    static void Clear();
    // The formats of TreeClass and its ancestors in list order, only the allowed ones when given.
    static void EnumerateFormats(const QMetaObject* TreeClass, TFormatEtcArray& Formats,
                                 const TClipboardFormats* AllowedFormats = nullptr);
    static void EnumerateFormats(const QMetaObject* TreeClass, QStringList& Formats);
    // By name (any letter case) or number, searching from the end; nil when unknown.
    static const TClipboardFormatListEntry* FindFormat(const QString& FormatString);
    static const QMetaObject* FindFormat(const QString& FormatString, uint16_t& Fmt);
    static const QMetaObject* FindFormat(uint16_t Fmt, QString& Description);
    static const std::vector<TClipboardFormatListEntry>& Entries();
};

// The name of a standard format 1-17, empty for any other number.
QString StandardClipboardFormatName(uint16_t Format);
// A format number for a name, the same for the same name (any letter case) for the whole process.
uint16_t RegisterClipboardFormat(const QString& Name);
uint16_t RegisterTreeFormat(const QString& FormatString, const QMetaObject* TreeClass, uint32_t Priority,
                            const QString& MimeType);
void RegisterStandardTreeFormat(uint16_t Format, const QMetaObject* TreeClass, uint32_t Priority,
                                const QString& MimeType);

namespace lazytree {
inline constexpr uint16_t CF_TEXT = 1, CF_UNICODETEXT = 13;
inline const char* const MimeTreeData = "application/x-lazytree-data";
inline const char* const MimeTreeReference = "application/x-lazytree-reference";
// The library's formats, registered once per process; answers the number of "Lazy Tree Data".
uint16_t RegisterLibraryFormats();
uint16_t CF_LAZYTREE();
uint16_t CF_LAZYTREE_REFERENCE();
// A tree's reference: the process, the tree and the process's secret token; only a reference
// carrying all three names a live tree of this process.
QByteArray TreeReference(TBaseLazyTree* Tree);
TBaseLazyTree* TreeFromReference(const QByteArray& Reference);
}  // namespace lazytree

// A tree's allowed formats: sorted, no duplicates, only names registered for the tree's class or an
// ancestor.
class TClipboardFormats {
public:
    explicit TClipboardFormats(TBaseLazyTree* AOwner) : FOwner(AOwner) {}
    // The index of S, or -1 when refused.
    int Add(const QString& S);
    void Insert(int Index, const QString& S);
    void Assign(const QStringList& Names);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    const QString& operator[](int Index) const { return FItems.at(Index); }
    bool Contains(const QString& S) const;
    const QStringList& Items() const { return FItems; }

private:
    bool Accepts(const QString& S) const;
    TBaseLazyTree* FOwner;
    QStringList FItems;
};

// The tree's data for the clipboard or a drag. Formats render when a consumer reads them; data set
// into the object is handed out instead. Made for the clipboard, its end forgets the tree's pending
// cut or copy unless the tree is handing its data over.
class TLTDataObject : public QMimeData {
    Q_OBJECT
public:
    TLTDataObject(TBaseLazyTree* AOwner, bool ForClipboard);
    ~TLTDataObject() override;
    TBaseLazyTree* Owner() const { return FOwner; }
    bool ForClipboard() const { return FForClipboard; }
    const TFormatEtcArray& FormatEtcArray() const { return FFormatEtcArray; }
    QStringList formats() const override;
    bool hasFormat(const QString& MimeType) const override;

protected:
    QVariant retrieveData(const QString& MimeType, QMetaType Type) const override;

private:
    QPointer<TBaseLazyTree> FOwner;
    bool FForClipboard;
    TFormatEtcArray FFormatEtcArray;
};
