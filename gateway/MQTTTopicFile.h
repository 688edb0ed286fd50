#pragma once
// The project file "MQTT_Set_Topic.xml": the publication table, the subscription table and the
// option that allows line breaks in templates. A row is held as one text per column of its grid
// (column 0, the row number, stays empty), so the dialog copies rows to and from its grids as they
// are and the attributes are named in one place.
#include "platform/XmlDoc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

namespace topicfile {

inline constexpr int kPublishColumns = 19;
inline constexpr int kSubscribeColumns = 16;
// Data rows of each grid, and so the most rows a section can keep.
inline constexpr int kMaxRows = 1024;
inline constexpr const char* kRootElement = "MQTT_Set_Topic";
inline constexpr const char* kVersionComment = "SW_VERSION = 1.003";

// An attribute of a row element: the grid column it holds, whether a row without it is malformed,
// and the cell text a row without it gets.
struct Attribute {
    int column;
    const char* name;
    bool required;
    const char* missing;
};

// A grid column the file does not keep, and the text every loaded row gets in it.
struct Unstored {
    int column;
    const char* text;
};

struct Section {
    const char* element;
    int columns;
    std::span<const Attribute> attributes;  // in the order they are written
    std::span<const Unstored> unstored;
};

const Section& publishSection();
const Section& subscribeSection();

using Row = QStringList;  // one text per grid column

struct Tables {
    std::vector<Row> publish;
    std::vector<Row> subscribe;
    bool allowCrLf = false;
};

struct ReadResult {
    Tables tables;  // what was read; after a failure, the rows before the failing one
    QString error;  // empty when the whole file was read
    // Rows of a section beyond kMaxRows, which no table can hold.
    int surplusPublish = 0;
    int surplusSubscribe = 0;
};

// Reads the file's bytes. A row lacking a required attribute, or a document that is not
// well-formed, stops the reading with a message. A missing section reads as an empty table; a
// missing option as not allowed.
ReadResult readTopicFile(const QByteArray& bytes);

// Fills `doc` with the tables, every row written as it is given.
void writeTopicDocument(const Tables& tables, plat::XmlDocument& doc);

// An empty row of a section: every column empty.
Row emptyRow(const Section& section);

}  // namespace topicfile
