#pragma once
// The files of the access lists (field-bus and building-automation tables) and the rules that check
// their rows, without any widget. A list is described once by its schema: the root, the version
// comment, its sections (one per grid, or the rows straight in the root), the row element, the
// attributes in column order with what a missing one means, the key column and the capacity. A row
// is held as one text per grid column (index 0, the row number, is not stored), so a dialog copies
// rows to and from its grids as they are, and every rule runs over texts.
#include "platform/XmlDoc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace accesslist {

// How cell texts read as numbers: the house rule (decimal, or hexadecimal after "$", "x", "0x"),
// or decimal digits only. Either way a text that is not a number reads as -1.
enum class NumberRule : uint8_t { House, Decimal };

int listNumber(const QString& text, NumberRule rule);

// What a row without the attribute gets: the loading stops (Required), the given text (Default),
// or the cell keeps what the reset put there (KeepReset).
enum class Missing : uint8_t { Required, Default, KeepReset };

struct Attribute {
    const char* name;  // nullptr: a column of the window only, neither read nor written
    Missing missing = Missing::Required;
    const char* fallback = "";
    const char* reset = "";  // what the reset at each showing puts into the column
    // Not empty: the only texts the column takes (a drop-down list); a loaded value that is none of
    // them reads as the fallback.
    std::vector<const char*> items = {};
};

// Whether the key cell is trimmed (blanks and control characters) before it counts as empty.
enum class KeyTrim : uint8_t { Trimmed, AsIs };

inline constexpr int kNoKey = 0;

using Row = QStringList;  // one text per grid column; [0] unused
using Rows = std::vector<Row>;

// While a row is read: its attribute of that name, or nothing when the row has none.
using AttributeLookup = std::function<std::optional<QString>(const char* name)>;

struct Section {
    const char* element = nullptr;       // nullptr: the rows stand directly in the root
    std::vector<Attribute> attributes;   // grid columns 1, 2, ... in this order
    int capacity = 0;                    // table rows of the grid (the header row not counted)
    int keyColumn = 1;                   // kNoKey: every row of the table belongs to the list
    KeyTrim keyTrim = KeyTrim::Trimmed;
    int enableColumn = 0;                // > 0: the reset puts "Y" there
    std::vector<int> flagColumns;        // check-box columns ("Y"/"N")
    const char* label = "";              // the list's name in messages, e.g. "Receive PDO"
    // Runs on each row read, after its attributes: a list whose older files carry other attributes,
    // or whose cells take a value for an empty attribute, completes the row here.
    std::function<void(const AttributeLookup&, Row&)> afterRead = {};

    int columns() const { return int(attributes.size()) + 1; }
};

struct Schema {
    const char* fileName = "";
    const char* root = "";
    const char* version = nullptr;       // "1.000" gives the comment "SW_VERSION = 1.000"; nullptr none
    const char* rowElement = "row";
    NumberRule numbers = NumberRule::House;
    std::vector<Section> sections;
};

// A row as the reset leaves it: each cell its column's reset text (mostly empty), "Y" in the enable
// column.
Row resetRow(const Section& section);

struct ReadResult {
    std::vector<Rows> sections;  // rows read per section; after a failure, those before it
    QString error;               // empty when the whole file was read
    std::vector<int> surplus;    // per section: rows beyond the capacity, which were not read
};

// Reads a list file's bytes. A document that is not well-formed, a missing section or a row
// without a required attribute stops the reading with a message naming the file, section, row and
// attribute.
ReadResult readList(const Schema& schema, const QByteArray& bytes);
// The same for a window whose tables it sizes at each showing: `capacities` (one per section) take
// the place of the schema's.
ReadResult readList(const Schema& schema, const QByteArray& bytes, const std::vector<int>& capacities);

// Fills `doc` with the root, the version comment after it and every section's rows up to the end of
// its row list, each row's attributes in column order with the texts as they stand.
void writeList(const Schema& schema, const std::vector<Rows>& sections, plat::XmlDocument& doc);

// The row list: rows from the first one up to, not including, the first with an empty key.
bool keyEmpty(const Section& section, const Row& row);
// Whether the file keeps the column (1 .. the section's last column).
bool stored(const Section& section, int column);
int rowListLength(const Section& section, const Rows& rows);
// A row holds something worth keeping: a text other than blanks in a column the file keeps, outside
// the flag columns (the rule of the row helpers, so a reset row with its "Y" counts as empty).
bool rowInUse(const Section& section, const Row& row);

// Rules ---------------------------------------------------------------------------------------------

// A failed check: its text number, the limit that follows it, a suffix text number (-1: none).
// A failure of the whole list (a byte total) is told without the prefix and row number.
struct Failure {
    int text;
    std::optional<int64_t> limit;
    int suffix = -1;
    bool wholeList = false;
    QString own = {};  // a text of this program in place of the table's text `text`
    int prefix = -1;   // a prefix text of its own in place of the window's ("Error in rows ")
    bool operator==(const Failure&) const = default;
};

struct RowView {
    const Row& cells;
    NumberRule numbers;
    QString text(int column) const { return cells.value(column); }
    int number(int column) const { return listNumber(cells.value(column), numbers); }
};

using Check = std::function<std::optional<Failure>(const RowView&)>;

// The column's number lies in lo..hi, else the program's own text `message` (no table entry).
Check inRangeOwnText(int column, int64_t lo, int64_t hi, QString message);
// The column's number lies in lo..hi, else `text`.
Check inRange(int column, int64_t lo, int64_t hi, int text);
// The same, the message followed by hi (the limit the user has to know).
Check inRangeShowingLimit(int column, int64_t lo, int64_t hi, int text, int suffix = -1);
// The column's number is one of `values`.
Check oneOf(int column, std::vector<int> values, int text);
// `check` applies only to rows for which `applies` holds.
Check when(std::function<bool(const RowView&)> applies, Check check);
// A total over the rows checked so far: each adds amount(row); a total above `limit` fails the whole
// list with `text` followed by the limit. Such a check keeps state along the rows; validate runs
// every section on fresh copies of its checks, so each validation starts again from zero.
Check runningTotal(std::function<int64_t(const RowView&)> amount, int64_t limit, int text);

// A check over the whole row list (rows 1 .. end), once its rows have passed: the row it names
// and what failed there.
struct ListFailure {
    int row;
    Failure failure;
};
using ListCheck = std::function<std::optional<ListFailure>(const Rows& rows, int end, NumberRule numbers)>;

struct SectionRules {
    std::vector<Check> checks;                 // in the order they run, on each row of the list
    std::function<bool(const RowView&)> skip = {};  // rows validation passes over (disabled rows)
    // Runs once every row of the section passed: a check of the whole list (names that must differ
    // across the rows), told without a row number.
    std::function<std::optional<Failure>()> finish = {};
    // Runs once every row passed, before the gap check, over the rows themselves: a check that
    // names a row (pairs of rows, references to other rows).
    ListCheck listCheck = {};
    // A page the window does not show: the user could not mend what a check found there, so neither
    // its rules nor the gap check run; its rows are written back as they were read.
    bool hidden = false;
};

struct Problem {
    enum Kind : uint8_t { None, Check, Unsavable, Gap } kind = None;
    int section = 0;
    int row = 0;         // the failing row; for a gap the first row in use below the list's end
    Failure failure{0, {}};
    int emptyKeyRow = 0; // for a gap: the row whose empty key ends the list
    int column = 0;      // for an unsavable text: its column
    char16_t character = 0;  // and the character XML cannot hold
};

// The first character of a text that an XML 1.0 document cannot hold, or nothing.
std::optional<char16_t> unsavableCharacter(const QString& text);

// Checks the sections in order, each from row 1 to the end of its row list, stopping at the first
// failure: a rule of a row, or a text of it that the file could not hold. Then refuses a section
// that has a row in use below its end, which saving would drop, and runs the section's finish
// (a failure there has row 0).
Problem validate(const Schema& schema, const std::vector<Rows>& sections, const std::vector<SectionRules>& rules);

// Messages -----------------------------------------------------------------------------------------

// prefix, row, text, limit and suffix run together without separators.
QString composeMessage(const QString& prefix, int row, const QString& text, std::optional<int64_t> limit,
                       const QString& suffix);
// The message of a problem with the texts of the text table; `headers` are the header texts of the
// problem's grid, by column. A list without a label is not named in the family's own messages.
QString problemMessage(const Schema& schema, const Problem& problem, int prefixText, const QStringList& headers);
// The same with a prefix of the window's own for the family's messages (gaps, unsavable texts).
QString problemMessage(const Schema& schema, const Problem& problem, const QString& prefix, const QStringList& headers);

}  // namespace accesslist
