#pragma once
// The grid benchmarks' peer: a QTableView over a table model holding the same texts in one vector.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QString>
#include <QTableView>
#include <vector>

template <int Rows, int Cols, int ViewW, int ViewH, const QString& (*TextOf)(int, int)>
struct TablePeer {
    class Model : public QAbstractTableModel {
    public:
        std::vector<QString> texts;
        int rowCount(const QModelIndex& parent = {}) const override {
            return parent.isValid() ? 0 : int(texts.size() / Cols);
        }
        int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : Cols; }
        QVariant data(const QModelIndex& i, int role) const override {
            if (role != Qt::DisplayRole) return {};
            return texts[size_t(i.row()) * Cols + size_t(i.column())];
        }
        void fill() {
            beginResetModel();
            texts.resize(size_t(Rows) * Cols);
            for (int r = 0; r < Rows; ++r)
                for (int c = 0; c < Cols; ++c) texts[size_t(r) * Cols + size_t(c)] = TextOf(c, r);
            endResetModel();
        }
    };

    Model model;
    QTableView view;
    TablePeer() {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setModel(&model);
        view.verticalHeader()->setDefaultSectionSize(24);
        view.horizontalHeader()->setDefaultSectionSize(64);
        view.resize(ViewW + view.verticalHeader()->width(), ViewH + view.horizontalHeader()->height());
        view.show();
    }
};
