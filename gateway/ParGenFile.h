#pragma once
// "ParGen.xml": the communication parameters of a project. One element per parameter under the
// root "Par_Gen", in a fixed order, followed at document level by the version comment. This unit
// holds the element table and turns the file into plain values and back; it knows nothing about
// widgets, so every reader of the file (the dialog, the image builder, the description writers)
// sees the same names and rules.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <span>

namespace plat {
class XmlDocument;
}

namespace pargen {

inline constexpr const char* kRootName = "Par_Gen";
inline constexpr const char* kVersionComment = "SW_VERSION = 1.003";
inline constexpr int kElementCount = 130;

// How an element's text maps onto its control.
enum class Kind {
    Text,      // the control's text, verbatim
    Check,     // "1" ticked, anything else unticked
    CheckInt,  // read as an integer, ticked when it equals 1 ("01" ticks); written "1"/"0"
    Index,     // drop-down position in decimal, "-1" when nothing is selected
    ItemText,  // drop-down item text, matched without regard to case
};

struct Element {
    const char* name;
    const char* control;  // object name of the dialog's control that shows it
    Kind kind;
    const char* defaultValue;      // value of a missing element
    const char* fileMissingValue;  // value when the whole file is missing; nullptr: same as above
    int itemCount;                 // Index: number of items of the drop-down
    std::span<const char* const> items;  // ItemText: the fixed (never translated) items
};

// The 130 elements in file order.
std::span<const Element> elements();
// Position of the element with exactly this name, -1 when there is none.
int indexOf(QStringView name);

// The values of all elements in file order, each in its written form: the text, "1"/"0", the
// position in decimal ("-1" for nothing selected) or the item text.
class Values {
public:
    QString& operator[](int i) { return v_[static_cast<size_t>(i)]; }
    const QString& operator[](int i) const { return v_[static_cast<size_t>(i)]; }
    // By element name; throws std::out_of_range for a name that is not in the table.
    QString& operator[](QStringView name);
    const QString& operator[](QStringView name) const;
    bool operator==(const Values&) const = default;

private:
    std::array<QString, kElementCount> v_;
};

// Defaults of a file whose elements are missing, and of a missing file (they differ in one element).
Values elementDefaults();
Values fileMissingDefaults();

// Applies one element's stored text the way the dialog reads it into its control, and returns the
// value in written form. `present` false means the element is missing.
QString readValue(const Element& e, bool present, const QString& text);

// Reads every element from a loaded document: the document element is the root, each element is
// looked up by exact name (the first of that name counts), missing ones take their defaults.
Values fromDocument(const plat::XmlDocument& doc);
// Parses bytes; throws plat::Error with the parser's message when they are not well-formed XML.
Values fromBytes(const QByteArray& bytes);

// How a read went.
enum class ReadResult { Read, FileMissing };
// Reads the file: a missing file gives the file-missing defaults. Throws plat::Error when the file
// cannot be read or is not well-formed.
Values readFile(const QString& path, ReadResult* result = nullptr);

// The whole document: root, the 130 elements in order, the comment after the root.
QByteArray toBytes(const Values& values);
// Replaces the file atomically; throws plat::Error when it cannot be written.
void writeFile(const QString& path, const Values& values);

}  // namespace pargen
