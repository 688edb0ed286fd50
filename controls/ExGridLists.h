#pragma once
// Small lists that carry the string grid's bookkeeping: integers tied to a cell with change
// notification, multi-column sort keys, the controls placed in cells, and a string list read and
// written line by line like a text file.
#include "controls/ExGridTypes.h"
#include "platform/Error.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class QWidget;

using plat::EListError;

// 32-bit integers in insertion order, bound to the grid cell (Col, Row) they belong to; changes are
// reported through OnChange(self, Col, Row).
class TIntList : public QObject {
public:
    TIntList(int32_t Col, int32_t Row);

    int32_t Col() const { return FCol; }
    int32_t Row() const { return FRow; }
    int Count() const { return static_cast<int>(items_.size()); }

    int32_t GetInteger(int Index) const;
    int32_t Items(int Index) const { return GetInteger(Index); }
    void SetInteger(int Index, int32_t Value);  // fires OnChange
    void Add(int32_t Value);                    // fires OnChange
    void Insert(int Index, int32_t Value);      // does not fire
    void Delete(int Index);                     // fires OnChange
    void DeleteValue(int32_t Value);            // the first equal entry, through Delete
    // The entries at the given indexes (ascending, no repeats) in one pass; those past the end are
    // skipped. One OnChange when any went.
    void DeleteIndexes(const std::vector<int>& Ascending);
    bool HasValue(int32_t Value) const;
    int IndexOf(int32_t Value) const;
    void Clear();  // no change event

    // "3,-1,12". Writing reads comma text (commas or blanks separate, double quotes group) and adds
    // each item through Add; an item that is not a whole number throws EConvertError, the items
    // before it staying in the list.
    QString StrValue() const;
    void SetStrValue(const QString& Text);

    TImageChangeEvent OnChange;

protected:
    void changed();

private:
    std::vector<int32_t> items_;
    int32_t FCol;
    int32_t FRow;
};

// Sort keys: bits 0..30 the column, bit 31 set for descending order.
class TSortIndexList : public TIntList {
public:
    TSortIndexList() : TIntList(-1, -1) {}

    void AddIndex(int32_t ColumnIndex, bool Ascending);
    int32_t FindIndex(int32_t ColumnIndex) const;  // -1 when the column has no entry
    int32_t SortColumns(int i) const;
    void SetSortColumns(int i, int32_t Column);
    bool SortDirections(int i) const;  // true: ascending
    void SetSortDirections(int i, bool Ascending);
    void ToggleIndex(int32_t ColumnIndex);
    // "u2;d5": "u" ascending, "d" descending, then the column.
    QString SaveToString() const;
    // Items shorter than two characters, or whose column is not a decimal number, are skipped; only a
    // lower-case "u" means ascending.
    void LoadFromString(const QString& s);
};

class TControlItem {
public:
    TControlItem(int32_t AX, int32_t AY, QObject* AObject) : FX(AX), FY(AY), FObject(AObject) {}
    int32_t X() const { return FX; }
    int32_t Y() const { return FY; }
    // The cell moves when its column or row does.
    void SetX(int32_t Value) { FX = Value; }
    void SetY(int32_t Value) { FY = Value; }
    // nullptr once the control was destroyed.
    QObject* Control() const { return FObject.data(); }

private:
    int32_t FX;
    int32_t FY;
    QPointer<QObject> FObject;  // not owned
};

// The controls placed in grid cells; owns its items, never the controls.
class TControlList {
public:
    void AddControl(int32_t X, int32_t Y, QObject* AObject);
    int32_t ControlIndex(int32_t X, int32_t Y) const;  // -1 when none
    TControlItem* GetControl(int i) const;
    TControlItem* Control(int i) const { return GetControl(i); }
    void RemoveControl(int i);
    // Drops the items whose control was destroyed, and those of Gone (a control on its way out);
    // the number dropped.
    int RemoveDestroyed(const QObject* Gone = nullptr);
    int Count() const { return static_cast<int>(items_.size()); }
    // True when some item's control is this widget.
    bool HasHandle(const QWidget* Handle) const;

private:
    std::vector<std::unique_ptr<TControlItem>> items_;
};

// A string list read and written line by line like a text file.
class TFileStringList : public QStringList {
public:
    void Reset();
    bool Eof() const { return fp >= size(); }
    void ReadLn(QString& s);  // past the last line: EListError
    void Write(const QString& s) { cache += s; }
    void WriteLn(const QString& s);

private:
    int32_t fp = 0;
    QString cache;
};
