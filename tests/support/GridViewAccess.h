#pragma once
// Tests look inside a grid at the Qt view it paints with: the grid keeps it private, but it is a
// child widget like any other.
#include <QTableView>
#include <QWidget>
#include <stdexcept>

inline QTableView& view(QWidget& grid) {
    auto* v = grid.findChild<QTableView*>();
    if (!v) throw std::logic_error("the grid has no view");
    return *v;
}
