#pragma once
// A string grid whose cells choose their editor when it opens: the window's OnGetEditorType names
// the editor of a cell and, for a drop-down, fills its list with ClearComboString and
// AddComboString. The DALI rules need it, as the items of a Type cell follow its row's Dev/Sen.
#include "grid/ExGrid.h"

#include <functional>

using TGetEditorTypeEvent = std::function<void(QObject* Sender, int ACol, int ARow, TEditorType& AEditor)>;

class TEditorTypeGrid : public TExStringGrid {
    Q_OBJECT
public:
    explicit TEditorTypeGrid(QWidget* parent = nullptr) : TExStringGrid(parent) {}

    TGetEditorTypeEvent OnGetEditorType;

    // The drop-down list of the editor being chosen.
    void ClearComboString() { combo_.clear(); }
    void AddComboString(const QString& text) { combo_.append(text); }
    // A plain check box, checked, in every data row of the column.
    void AddCheckBoxColumn(int ACol);

    TEditorType GetCellEditor(int ACol, int ARow) const override;
    QStringList GetComboItems(int ACol, int ARow) const override;

private:
    TEditorType askEditor(int ACol, int ARow) const;
    mutable QStringList combo_;
};
