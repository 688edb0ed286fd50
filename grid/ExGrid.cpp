#include "grid/ExGrid.h"

#include "platform/Guard.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <stdexcept>

QColor gridcolor::toQColor(TColor c) {
    if (c & 0xFF000000u) return {};  // system colours: the palette decides
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

namespace gridimpl {

// Model row r and column c are grid row r + 1 and real column c + 1: row 0 and column 0 are the
// view's two headers.
class GridModel final : public QAbstractTableModel {
public:
    explicit GridModel(TExStringGrid* grid) : QAbstractTableModel(grid), g_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, g_->rowCount_ - 1);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, g_->totalCols_ - 1);
    }

    QVariant data(const QModelIndex& idx, int role) const override {
        const int c = idx.column() + 1, r = idx.row() + 1;
        switch (role) {
        case Qt::DisplayRole:
            if (g_->HasDataCheckBox(c, r)) return {};  // the box shows the text
            return g_->text_[g_->index(c, r)];
        case Qt::EditRole:
            return g_->text_[g_->index(c, r)];
        case Qt::TextAlignmentRole:
            return int(qtAlign(g_->GetCellAlignment(c, r)) | Qt::AlignVCenter);
        case Qt::BackgroundRole: {
            QColor col = gridcolor::toQColor(g_->GetCellColor(c, r));
            if (col.isValid()) return col;
            return {};
        }
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& idx, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !idx.isValid()) return false;
        g_->SetCells(idx.column() + 1, idx.row() + 1, value.toString());
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& idx) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const int c = idx.column() + 1, r = idx.row() + 1;
        if (!g_->HasCheckBox(c, r) && g_->CanEditCell(c, r)) f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Horizontal)
            return section + 1 < g_->totalCols_ ? g_->text_[g_->index(section + 1, 0)] : QString();
        return section + 1 < g_->rowCount_ ? g_->text_[g_->index(0, section + 1)] : QString();
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }
    void cellChanged(int c, int r) {
        if (r == 0 && c > 0) {
            emit headerDataChanged(Qt::Horizontal, c - 1, c - 1);
        } else if (c == 0 && r > 0) {
            emit headerDataChanged(Qt::Vertical, r - 1, r - 1);
        } else if (c > 0 && r > 0) {
            const QModelIndex i = createIndex(r - 1, c - 1);
            emit dataChanged(i, i);
        }
    }
    void allChanged() {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(createIndex(0, 0), createIndex(rowCount() - 1, columnCount() - 1));
        if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }

    static Qt::Alignment qtAlign(TAlignment a) {
        switch (a) {
        case taRightJustify: return Qt::AlignRight;
        case taCenter: return Qt::AlignHCenter;
        default: return Qt::AlignLeft;
        }
    }

private:
    TExStringGrid* g_;
};

class GridDelegate final : public QStyledItemDelegate {
public:
    explicit GridDelegate(TExStringGrid* grid) : QStyledItemDelegate(grid), g_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& idx) const override {
        const int c = idx.column() + 1, r = idx.row() + 1;
        const TEditorType ed = g_->GetCellEditor(c, r);
        if (ed == edDataCheckBox) return nullptr;
        if (ed == edComboList || ed == edComboEdit) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(ed == edComboEdit);
            combo->addItems(g_->GetComboItems(c, r));
            combo->setMaxVisibleItems(std::max(1, g_->GetDropDownCount(c, r)));
            QObject::connect(combo, &QComboBox::activated, combo, [this, combo, c, r](int i) {
                // A choice from the list is the cell's new value at once.
                const_cast<GridDelegate*>(this)->commitData(combo);
                g_->ComboChange(c, r, i, combo->itemText(i));
            });
            return combo;
        }
        return QStyledItemDelegate::createEditor(parent, option, idx);
    }

    void setEditorData(QWidget* editor, const QModelIndex& idx) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            const QString text = idx.data(Qt::EditRole).toString();
            const int i = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
            combo->setCurrentIndex(i);
            if (combo->isEditable()) combo->setEditText(text);
            return;
        }
        QStyledItemDelegate::setEditorData(editor, idx);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& idx) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            if (combo->isEditable())
                model->setData(idx, combo->currentText(), Qt::EditRole);
            else if (combo->currentIndex() >= 0)
                model->setData(idx, combo->itemText(combo->currentIndex()), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, idx);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& idx) const override {
        const int c = idx.column() + 1, r = idx.row() + 1;
        bool state = false;
        if (!g_->GetCheckBoxState(c, r, state)) {
            QStyledItemDelegate::paint(p, option, idx);
            return;
        }
        // Background and selection as any cell, then the box where the alignment puts it; a plain
        // box keeps its text beside it.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, idx);
        const bool data = g_->HasDataCheckBox(c, r);
        if (data) opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        QStyleOptionButton box;
        const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, opt.widget);
        QRect rect = opt.rect;
        int x = rect.left() + TExStringGrid::kCellMargin;
        const TAlignment a = g_->GetCellAlignment(c, r);
        if (data && a == taCenter) x = rect.left() + (rect.width() - side) / 2;
        if (data && a == taRightJustify) x = rect.right() - side - TExStringGrid::kCellMargin;
        box.rect = QRect(x, rect.top() + (rect.height() - side) / 2, side, side);
        box.state = QStyle::State_Enabled | (state ? QStyle::State_On : QStyle::State_Off);
        if (!data) opt.rect.setLeft(x + side + TExStringGrid::kCellMargin);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, opt.widget);
    }

    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& idx) override {
        const int c = idx.column() + 1, r = idx.row() + 1;
        if (e->type() == QEvent::MouseButtonRelease && g_->HasCheckBox(c, r)) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && option.rect.contains(me->position().toPoint())) {
                if (g_->ToggleCellCheck(c, r, true)) g_->CheckBoxClick(c, r);
                return true;
            }
        }
        if (e->type() == QEvent::MouseButtonDblClick && g_->HasCheckBox(c, r)) return true;
        return QStyledItemDelegate::editorEvent(e, model, option, idx);
    }

private:
    TExStringGrid* g_;
};

}  // namespace gridimpl

TExStringGrid::TExStringGrid(QWidget* parent) : QTableView(parent), visible_(kMaxHideCol, 1) {
    model_ = new gridimpl::GridModel(this);
    delegate_ = new gridimpl::GridDelegate(this);
    setModel(model_);
    setItemDelegate(delegate_);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);

    QHeaderView* h = horizontalHeader();
    QHeaderView* v = verticalHeader();
    h->setSectionsClickable(false);
    v->setSectionsClickable(false);
    h->setHighlightSections(false);
    v->setHighlightSections(false);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    v->setDefaultAlignment(Qt::AlignCenter);
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(kDefaultRowHeight);
    h->setDefaultSectionSize(kDefaultColWidth);
    h->setMinimumSectionSize(1);
    // A double-click on a header border sizes the column only through the grid's own rule.
    disconnect(h, &QHeaderView::sectionHandleDoubleClicked, this, &QTableView::resizeColumnToContents);
    h->viewport()->installEventFilter(this);
    v->viewport()->installEventFilter(this);
    // The view's corner is the fixed cell (0, 0): it shows that cell's text like the other headers.
    corner_ = findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& cur, const QModelIndex&) { onCurrentChanged(cur); });
    connect(h, &QHeaderView::sectionResized, this,
            [this](int l, int o, int n) { onSectionResized(l, o, n); });
    connect(this, &QAbstractItemView::pressed, this,
            [this](const QModelIndex& i) { ClickCell(i.row() + 1, DisplColIndex(i.column() + 1)); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        DblClickCell(i.row() + 1, DisplColIndex(i.column() + 1));
    });
    connect(h, &QHeaderView::sectionDoubleClicked, this,
            [this](int logical) { DblClickCell(0, DisplColIndex(logical + 1)); });
    connect(v, &QHeaderView::sectionDoubleClicked, this, [this](int logical) { DblClickCell(logical + 1, 0); });

    resizeStore(5, 5);
}

TExStringGrid::~TExStringGrid() = default;

void TExStringGrid::checkCell(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= totalCols_ || ARow >= rowCount_)
        throw std::out_of_range("Grid index out of range");
}

void TExStringGrid::resizeStore(int rows, int totalCols) {
    rows = std::max(rows, 1);
    totalCols = std::max(totalCols, 1);
    if (rows == rowCount_ && totalCols == totalCols_) return;
    const int oldRows = rowCount_, oldCols = totalCols_;
    if (totalCols == totalCols_) {
        text_.resize(size_t(rows) * totalCols);
        flags_.resize(size_t(rows) * totalCols);
    } else {
        std::vector<QString> text(size_t(rows) * totalCols);
        std::vector<uint8_t> flags(size_t(rows) * totalCols);
        const int keepR = std::min(rows, oldRows), keepC = std::min(totalCols, oldCols);
        for (int r = 0; r < keepR; ++r)
            for (int c = 0; c < keepC; ++c) {
                text[size_t(r) * totalCols + c] = std::move(text_[size_t(r) * oldCols + c]);
                flags[size_t(r) * totalCols + c] = flags_[size_t(r) * oldCols + c];
            }
        text_.swap(text);
        flags_.swap(flags);
    }
    widths_.resize(totalCols, kDefaultColWidth);
    // Columns removed at the end take their hidden state with them.
    for (int c = totalCols; c < std::min(oldCols, kMaxHideCol); ++c)
        if (!visible_[c]) {
            visible_[c] = 1;
            --numHidden_;
        }
    rowCount_ = rows;
    totalCols_ = totalCols;
    if (rows > oldRows) numberRows(std::max(oldRows, 1));
    model_->reset();
    applyColumns();
    col_ = std::min(col_, ColCount() - 1);
    row_ = std::min(row_, rowCount_ - 1);
    syncCurrent();
    if (totalCols != oldCols) TotalColCountChanged();
}

void TExStringGrid::numberRows(int from) {
    for (int r = from; r < rowCount_; ++r) text_[index(0, r)] = QString::number(r);
}

void TExStringGrid::SetRowCount(int value) { resizeStore(value, totalCols_); }

void TExStringGrid::SetColCount(int value) {
    // The real column count that shows `value` columns: hidden columns among the kept ones still
    // count, columns added at the end are shown.
    value = std::max(value, 1);
    int total = 0;
    for (int shown = 0; shown < value; ++total)
        if (total >= totalCols_ || !IsHiddenColumn(total)) ++shown;
    resizeStore(rowCount_, total);
}

void TExStringGrid::applyColumns() {
    applying_ = true;
    QHeaderView* h = horizontalHeader();
    for (int c = 1; c < totalCols_; ++c) {
        const bool hidden = IsHiddenColumn(c);
        setColumnHidden(c - 1, hidden);
        if (!hidden) h->resizeSection(c - 1, widths_[c]);
    }
    verticalHeader()->setVisible(!IsHiddenColumn(0));
    verticalHeader()->setFixedWidth(widths_[0]);
    applying_ = false;
}

void TExStringGrid::onSectionResized(int logical, int, int newSize) {
    if (applying_) return;
    const int c = logical + 1;
    if (c < totalCols_ && !IsHiddenColumn(c) && newSize > 0) widths_[c] = newSize;
}

int TExStringGrid::RealColIndex(int ACol) const {
    if (ACol >= kMaxHideCol || numHidden_ == 0) return ACol;
    int shown = 0;
    for (int j = 0; j < kMaxHideCol; ++j) {
        if (!visible_[j]) continue;
        if (shown == ACol) return j;
        ++shown;
    }
    return 0;
}

int TExStringGrid::DisplColIndex(int ACol) const {
    if (ACol >= kMaxHideCol || numHidden_ == 0) return ACol;
    int hiddenBefore = 0;
    for (int j = 0; j < ACol; ++j)
        if (!visible_[j]) ++hiddenBefore;
    return ACol - hiddenBefore;
}

bool TExStringGrid::IsHiddenColumn(int ColIndex) const {
    if (ColIndex < 0 || ColIndex >= kMaxHideCol) return false;
    return !visible_[ColIndex];
}

void TExStringGrid::HideColumns(int FromCol, int ToCol) {
    bool changed = false;
    // Only existing columns below the limit can be hidden: a wide range ends there.
    const int last = std::min(ToCol, std::min(totalCols_, kMaxHideCol) - 1);
    for (int c = std::max(FromCol, 0); c <= last; ++c) {
        if (!visible_[c] || ColCount() < 2) continue;
        visible_[c] = 0;
        ++numHidden_;
        changed = true;
    }
    if (!changed) return;
    col_ = std::min(col_, ColCount() - 1);
    applyColumns();
    syncCurrent();
    viewport()->update();
}

void TExStringGrid::UnHideColumns(int FromCol, int ToCol) {
    bool changed = false;
    for (int c = std::max(FromCol, 0); c <= ToCol && c < kMaxHideCol; ++c) {
        if (visible_[c]) continue;
        visible_[c] = 1;
        --numHidden_;
        changed = true;
    }
    if (!changed) return;
    applyColumns();
    syncCurrent();
    viewport()->update();
}

const QString& TExStringGrid::Cells(int ACol, int ARow) const {
    checkCell(ACol, ARow);
    return text_[index(ACol, ARow)];
}

void TExStringGrid::SetCells(int ACol, int ARow, const QString& value) {
    checkCell(ACol, ARow);
    QString& cell = text_[index(ACol, ARow)];
    if (cell == value) return;
    cell = value;
    model_->cellChanged(ACol, ARow);
    if (ACol == 0 && ARow == 0 && corner_) corner_->update();
}

void TExStringGrid::cellChanged(int ACol, int ARow) { model_->cellChanged(ACol, ARow); }

void TExStringGrid::RepaintCells() {
    model_->allChanged();
    viewport()->update();
}

int TExStringGrid::ColWidths(int ACol) const { return AllColWidths(RealColIndex(ACol)); }

void TExStringGrid::SetColWidths(int ACol, int width) { SetAllColWidths(RealColIndex(ACol), width); }

int TExStringGrid::AllColWidths(int ACol) const {
    if (ACol < 0 || ACol >= totalCols_) throw std::out_of_range("Grid index out of range");
    return widths_[ACol];
}

void TExStringGrid::SetAllColWidths(int ACol, int width) {
    if (ACol < 0 || ACol >= totalCols_) throw std::out_of_range("Grid index out of range");
    widths_[ACol] = std::max(width, 0);
    if (!IsHiddenColumn(ACol)) applyColumns();
}

void TExStringGrid::AutoSizeCol(int ACol, int padding) {
    const int c = RealColIndex(ACol);
    if (c < 0 || c >= totalCols_) return;
    const QFontMetrics body(font());
    const QFontMetrics head(horizontalHeader()->font());
    const int box = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    int widest = 0;
    for (int r = 0; r < rowCount_; ++r) {
        int w = 0;
        bool state = false;
        if (r > 0 && GetCheckBoxState(c, r, state)) {
            w = box + (HasDataCheckBox(c, r) ? 0 : kCellMargin + body.horizontalAdvance(text_[index(c, r)]));
        } else {
            w = (r == 0 ? head : body).horizontalAdvance(text_[index(c, r)]);
        }
        widest = std::max(widest, w);
    }
    int width = widest + 2 * kCellMargin;
    if (padding != 0) width += padding;
    SetAllColWidths(c, width);
}

void TExStringGrid::SetCol(int value) {
    if (value < 0 || value >= ColCount()) throw std::out_of_range("Grid index out of range");
    col_ = value;
    syncCurrent();
}

void TExStringGrid::SetRow(int value) {
    if (value < 0 || value >= rowCount_) throw std::out_of_range("Grid index out of range");
    row_ = value;
    syncCurrent();
}

void TExStringGrid::syncCurrent() {
    syncing_ = true;
    // With column 0 hidden, display column 0 is a data column.
    if (row_ >= 1 && GetRealCol() >= 1) {
        const QModelIndex i = model_->index(row_ - 1, RealColIndex(col_) - 1);
        if (i != currentIndex()) setCurrentIndex(i);
    } else if (selectionModel()) {
        selectionModel()->clear();
    }
    syncing_ = false;
}

void TExStringGrid::onCurrentChanged(const QModelIndex& current) {
    if (syncing_ || !current.isValid()) return;
    row_ = current.row() + 1;
    col_ = DisplColIndex(current.column() + 1);
}

// Check boxes ---------------------------------------------------------------------------------

bool TExStringGrid::IsVirtualCheckCell(int, int) const { return false; }

bool TExStringGrid::HasCheckBox(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= totalCols_ || ARow >= rowCount_) return false;
    return (flags_[index(ACol, ARow)] & fCheck) || IsVirtualCheckCell(ACol, ARow);
}

bool TExStringGrid::HasDataCheckBox(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= totalCols_ || ARow >= rowCount_) return false;
    const uint8_t f = flags_[index(ACol, ARow)];
    if (f & fCheck) return f & fData;
    return IsVirtualCheckCell(ACol, ARow);
}

void TExStringGrid::AddCheckBox(int ACol, int ARow, bool State, bool Data) {
    if (ACol < 0 || ARow < 0 || ACol >= totalCols_ || ARow >= rowCount_) throw std::invalid_argument("Invalid cell");
    uint8_t& f = flags_[index(ACol, ARow)];
    f = uint8_t((f & fReadOnly) | fCheck | (Data ? fData : 0) | (!Data && State ? fChecked : 0));
    if (Data) {
        const QString& t = text_[index(ACol, ARow)];
        if (t != CheckTrue && t != CheckFalse) text_[index(ACol, ARow)] = State ? CheckTrue : CheckFalse;
    }
    cellChanged(ACol, ARow);
}

void TExStringGrid::RemoveCheckBox(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= totalCols_ || ARow >= rowCount_) return;
    flags_[index(ACol, ARow)] &= fReadOnly;
    cellChanged(ACol, ARow);
}

bool TExStringGrid::GetCheckBoxState(int ACol, int ARow, bool& State) const {
    if (!HasCheckBox(ACol, ARow)) return false;
    const uint8_t f = flags_[index(ACol, ARow)];
    if ((f & fCheck) && !(f & fData))
        State = f & fChecked;
    else
        State = text_[index(ACol, ARow)] == GetCheckTrue(ACol, ARow);
    return true;
}

bool TExStringGrid::SetCheckBoxState(int ACol, int ARow, bool State) {
    if (!HasCheckBox(ACol, ARow)) return false;
    uint8_t& f = flags_[index(ACol, ARow)];
    if ((f & fCheck) && !(f & fData)) {
        f = uint8_t(State ? (f | fChecked) : (f & ~fChecked));
        cellChanged(ACol, ARow);
    } else {
        SetCells(ACol, ARow, State ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow));
    }
    return true;
}

bool TExStringGrid::ToggleCellCheck(int ACol, int ARow, bool FromMouse) {
    bool state = false;
    if (!GetCheckBoxState(ACol, ARow, state)) return false;
    if (FromMouse && !CanEditCell(ACol, ARow)) return false;
    SetCheckBoxState(ACol, ARow, !state);
    return true;
}

bool TExStringGrid::ReadOnly(int ACol, int ARow) const {
    checkCell(ACol, ARow);
    return flags_[index(ACol, ARow)] & fReadOnly;
}

void TExStringGrid::SetReadOnly(int ACol, int ARow, bool value) {
    checkCell(ACol, ARow);
    uint8_t& f = flags_[index(ACol, ARow)];
    f = uint8_t(value ? (f | fReadOnly) : (f & ~fReadOnly));
}

QString TExStringGrid::GetCheckTrue(int, int) const { return CheckTrue; }
QString TExStringGrid::GetCheckFalse(int, int) const { return CheckFalse; }
TEditorType TExStringGrid::GetCellEditor(int, int) const { return edNormal; }
QStringList TExStringGrid::GetComboItems(int, int) const { return {}; }
int TExStringGrid::GetDropDownCount(int, int) const { return 8; }

bool TExStringGrid::CanEditCell(int ACol, int ARow) const {
    if (ACol < 1 || ARow < 1 || ACol >= totalCols_ || ARow >= rowCount_) return false;
    return !(flags_[index(ACol, ARow)] & fReadOnly);
}

TAlignment TExStringGrid::GetCellAlignment(int, int) const { return taLeftJustify; }
TColor TExStringGrid::GetCellColor(int, int) const { return Color; }

// Input ---------------------------------------------------------------------------------------

bool TExStringGrid::KeyPress(QChar key) {
    if (OnKeyPress) plat::guarded([&] { OnKeyPress(this, key); });
    if (key.isNull()) return true;
    if (key == u' ' && row_ >= 1 && GetRealCol() >= 1 && HasCheckBox(GetRealCol(), row_)) {
        if (ToggleCellCheck(GetRealCol(), row_, true)) CheckBoxClick(GetRealCol(), row_);
        return true;
    }
    return false;
}

void TExStringGrid::keyPressEvent(QKeyEvent* event) {
    QChar key;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = QChar(13);
    else if (!event->text().isEmpty())
        key = event->text().at(0);
    if (!key.isNull() && KeyPress(key)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TExStringGrid::SelectRows(int RowIndex, int RCount) {
    if (RowIndex < 1 || RowIndex >= rowCount_ || RCount < 1 || ColCount() < 2) return;
    const int last = std::min(RowIndex + RCount, rowCount_) - 1;
    row_ = last;
    col_ = ColCount() - 1;
    syncCurrent();
    const QModelIndex from = model_->index(RowIndex - 1, 0);
    const QModelIndex to = model_->index(last - 1, model_->columnCount() - 1);
    selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

bool TExStringGrid::GetRowSelect(int ARow) const {
    if (ARow < 0 || ARow >= rowCount_) throw std::out_of_range("Grid index out of range");
    return ARow >= 1 && selectionModel()->rowIntersectsSelection(ARow - 1, {});
}

void TExStringGrid::ClickCell(int ARow, int ACol) {
    if (OnClickCell) plat::guarded([&] { OnClickCell(this, ARow, ACol); });
}

void TExStringGrid::DblClickCell(int ARow, int ACol) {
    if (OnDblClickCell) plat::guarded([&] { OnDblClickCell(this, ARow, ACol); });
}

QString TExStringGrid::CellHint(int ARow, int ACol) {
    QString hint = toolTip();  // the grid's own hint unless the dialog gives another
    if (OnGridHint) plat::guarded([&] { OnGridHint(this, ARow, ACol, hint); });
    return hint;
}

void TExStringGrid::ComboChange(int ACol, int ARow, int itemIndex, const QString& text) {
    if (OnComboChange) plat::guarded([&] { OnComboChange(this, ACol, ARow, itemIndex, text); });
}

void TExStringGrid::CheckBoxClick(int ACol, int ARow) {
    bool state = false;
    if (!GetCheckBoxState(ACol, ARow, state)) return;
    if (OnCheckBoxClick) plat::guarded([&] { OnCheckBoxClick(this, ACol, ARow, state); });
}

bool TExStringGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(event);
        const QModelIndex i = indexAt(he->pos());
        const QString hint = i.isValid() ? CellHint(i.row() + 1, DisplColIndex(i.column() + 1)) : QString();
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), hint, viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool TExStringGrid::eventFilter(QObject* watched, QEvent* event) {
    // The corner is cell (0, 0): a double-click there is a double-click on that cell.
    if (watched == corner_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        DblClickCell(0, 0);
    if (event->type() == QEvent::MouseButtonPress) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        QHeaderView* h = horizontalHeader();
        if (watched == corner_) {
            ClickCell(0, 0);
        } else if (watched == h->viewport()) {
            const int logical = h->logicalIndexAt(pos);
            if (logical >= 0) {
                // A press on a column border starts sizing the column, not a click on the header.
                const int x = pos.x() - h->sectionViewportPosition(logical);
                const bool sizing = h->sectionResizeMode(logical) == QHeaderView::Interactive;
                if (!sizing || (x > 3 && h->sectionSize(logical) - x > 3))
                    ClickCell(0, DisplColIndex(logical + 1));
            }
        } else if (watched == verticalHeader()->viewport()) {
            const int logical = verticalHeader()->logicalIndexAt(pos);
            if (logical >= 0) ClickCell(logical + 1, 0);
        }
    }
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QStyleOptionHeader opt;
        opt.initFrom(corner_);
        opt.rect = corner_->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = Cells(0, 0);
        opt.textAlignment = Qt::AlignCenter;
        QPainter painter(corner_);
        corner_->style()->drawControl(QStyle::CE_Header, &opt, &painter, corner_);
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(event);
        QString hint;
        if (watched == horizontalHeader()->viewport()) {
            const int logical = horizontalHeader()->logicalIndexAt(he->pos());
            if (logical >= 0) hint = CellHint(0, DisplColIndex(logical + 1));
        } else if (watched == verticalHeader()->viewport()) {
            const int logical = verticalHeader()->logicalIndexAt(he->pos());
            if (logical >= 0) hint = CellHint(logical + 1, 0);
        }
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), hint, static_cast<QWidget*>(watched));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}
