#pragma once
// A grid column that shows a topic of one of the gateway's MQTT topic tables while the list file
// keeps the topic's position in that table (`Index_Topic`). A text may stand in a table more than
// once: each row keeps the entry it was loaded with or last chose in a hidden column of its own, so
// the binding moves with the row through Delete, Insert, Copy and Paste, and the row is saved with
// that entry while it still reads as the cell (else with the first entry that does).
#include "shell/AccessListFile.h"

#include <QString>
#include <QStringList>

class TExColumnGrid;
namespace plat {
class XmlDocument;
}

class TTopicColumn {
public:
    // Adds the hidden column to `grid`, after every column it has; `topics` are the table's entries
    // in their order, owned by the window; `section` is the grid's part of the list file.
    TTopicColumn(TExColumnGrid& grid, int column, const QStringList& topics, const accesslist::Section& section);

    int Column() const { return column_; }
    int Item_Column() const { return itemColumn_; }
    // The entry table row `row` is bound to, -1 when none.
    int Item(int row) const;
    // Entry `item` chosen from the drop-down in table row `row` (-1: none).
    void Choose(int row, int item);

    // The rows as read, before they fill the grid: each stored position becomes the entry's text
    // (empty when out of range) and the row is bound to it.
    void Loaded(accesslist::Rows& rows) const;
    // The rows as they will be written: in each row of the section's row list the topic text
    // becomes its position, "-1" when the table does not hold it. Rows below keep their text, so a
    // list keyed by its topic still ends where it did.
    void Saving(accesslist::Rows& rows) const;

private:
    TExColumnGrid& grid_;
    int column_;
    int itemColumn_;
    const QStringList& topics_;
    const accesslist::Section& section_;
};

// Loads the gateway's MQTT topic file into `doc` when it exists, `fileName` its bare name for the
// messages; a file that cannot be read or is not well-formed is reported. False when there is
// nothing to read topics from.
bool Load_Topic_File(plat::XmlDocument& doc, QString& fileName);
