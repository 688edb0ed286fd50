#include "grid/ExGrid.h"

#include "platform/ImageList.h"

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
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

QColor gridcolor::toQColor(TColor c) {
    if (c & 0xFF000000u) return {};  // system colours: the palette decides
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

namespace gridimpl {

// Model row r is grid row r + 1: row 0 is the view's horizontal header. Model column c is real
// column c + FixedCols: a fixed column 0 is the view's vertical header, otherwise a model column.
class GridModel final : public QAbstractTableModel {
public:
    explicit GridModel(TExStringGrid* grid) : QAbstractTableModel(grid), g_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, g_->rowCount_ - 1);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, g_->totalCols_ - g_->fixedCols_);
    }

    QVariant data(const QModelIndex& idx, int role) const override {
        const int c = g_->realCol(idx.column()), r = idx.row() + 1;
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
        g_->SetCells(g_->realCol(idx.column()), idx.row() + 1, value.toString());
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& idx) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const int c = g_->realCol(idx.column()), r = idx.row() + 1;
        if (!g_->HasCheckBox(c, r) && g_->CanEditCell(c, r)) f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Horizontal)
            return g_->realCol(section) < g_->totalCols_ ? g_->text_[g_->index(g_->realCol(section), 0)] : QString();
        return section + 1 < g_->rowCount_ ? g_->text_[g_->index(0, section + 1)] : QString();
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }
    void cellChanged(int c, int r) {
        const int m = g_->modelCol(c);
        if (r == 0 && m >= 0) {
            emit headerDataChanged(Qt::Horizontal, m, m);
        } else if (m < 0 && r > 0) {
            emit headerDataChanged(Qt::Vertical, r - 1, r - 1);
        } else if (m >= 0 && r > 0) {
            const QModelIndex i = createIndex(r - 1, m);
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
        const int c = g_->realCol(idx.column()), r = idx.row() + 1;
        // One question per editor: the answer also loads the grid's drop-down list for this cell.
        const TEditorType ed = g_->GetCellEditor(c, r);
        if (ed == edDataCheckBox || ed == edNone) return nullptr;
        if (ed == edComboList || ed == edComboEdit) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(ed == edComboEdit);
            if (combo->isEditable()) {
                // The typed text stands as typed: no completion that would change its letters or
                // choose an item in its place, and no typed text added to the list on Enter.
                combo->setCompleter(nullptr);
                combo->setInsertPolicy(QComboBox::NoInsert);
            }
            combo->addItems(g_->comboList_);
            combo->setMaxVisibleItems(std::max(1, g_->GetDropDownCount(c, r)));
            // Some styles open a list as tall as all its items and ignore the count: a list of the
            // 1,440 byte positions would cover the screen.
            combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
            QObject::connect(combo, &QComboBox::activated, combo, [this, combo, c, r](int i) {
                // A choice from the list is the cell's new value at once.
                if (combo == editor_) const_cast<GridDelegate*>(this)->commitData(combo);
                g_->ComboChange(c, r, i, combo->itemText(i));
            });
            if (QLineEdit* line = combo->lineEdit())
                // What the user types is reported as it stands, with no item: only the user's edits,
                // not the text the editor opens with or a choice from the list.
                QObject::connect(line, &QLineEdit::textEdited, combo,
                                 [this, c, r](const QString& text) { g_->ComboChange(c, r, -1, text); });
            watch(combo, idx);
            limitLength(combo->lineEdit(), g_->GetEditLength(c, r));
            return combo;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, idx);
        watch(editor, idx);
        limitLength(qobject_cast<QLineEdit*>(editor), g_->GetEditLength(c, r));
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& idx) const override {
        if (editor == editor_) editor_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, idx);
    }

    // The editor the view has open, if any.
    QWidget* openEditor() const { return editor_; }
    QPersistentModelIndex editedIndex() const { return editedIndex_; }

    void setEditorData(QWidget* editor, const QModelIndex& idx) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        QLineEdit* line = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(editor);
        // The cell's text goes in whole, whatever the limit; the limit then keeps it from growing.
        const int limit = line ? line->property(kLengthLimit).toInt() : 0;
        if (limit > 0) line->setMaxLength(kNoLength);
        if (combo) {
            const QString text = idx.data(Qt::EditRole).toString();
            const int i = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
            combo->setCurrentIndex(i);
            if (combo->isEditable()) {
                combo->setEditText(text);
                // Selected as in a text cell, so a key that opens the editor replaces the text.
                combo->lineEdit()->selectAll();
            }
        } else {
            QStyledItemDelegate::setEditorData(editor, idx);
        }
        if (limit > 0) fitLength(line, limit);
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
        const int c = g_->realCol(idx.column()), r = idx.row() + 1;
        bool state = false;
        if (!g_->GetCheckBoxState(c, r, state)) {
            QStyledItemDelegate::paint(p, option, idx);
            paintPicture(p, option.rect, c, r);
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

    // The cell's picture over its background and text, placed by its alignment.
    void paintPicture(QPainter* p, const QRect& rect, int c, int r) const {
        int index = -1;
        if (!g_->GetImageIdx(c, r, index)) return;
        const QImage image = g_->GridImages()->Image(index);
        if (image.isNull()) return;
        const TExStringGrid::CellPicture& pic = g_->pictures_[size_t(g_->index(c, r))];
        int x = rect.left() + 1, y = rect.top() + 1;
        if (pic.hal == haRight) x = rect.right() - image.width();
        if (pic.hal == haCenter && rect.width() > image.width()) x = rect.left() + (rect.width() - image.width()) / 2;
        if (pic.val == vaBottom) y = rect.bottom() - image.height();
        if (pic.val == vaCenter && rect.height() > image.height())
            y = rect.top() + (rect.height() - image.height()) / 2;
        p->drawImage(QPoint(x, y), image);
    }

    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& idx) override {
        const int c = g_->realCol(idx.column()), r = idx.row() + 1;
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

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        auto* editor = qobject_cast<QWidget*>(watched);
        if (editor && editor == editor_ && e->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(e);
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter || ke->key() == Qt::Key_Tab ||
                ke->key() == Qt::Key_Backtab) {
                // Committed and closed now, not by a queued call that could find the editor
                // already closed by what the grid does with the key. Tab then leaves the grid
                // as it does from a cell without editor.
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                QKeyEvent forward(ke->type(), ke->key(), ke->modifiers(), ke->text());
                QCoreApplication::sendEvent(viewWidget(), &forward);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, e);
    }

private:
    static constexpr const char* kLengthLimit = "gridEditLength";
    static constexpr int kNoLength = 32767;  // QLineEdit's own default

    // The limit, or the text's own length when that is longer, so what stands is never cut.
    static void fitLength(QLineEdit* line, int limit) {
        line->setMaxLength(std::max(limit, int(line->text().size())));
    }
    static void limitLength(QLineEdit* line, int limit) {
        if (!line || limit <= 0) return;
        line->setProperty(kLengthLimit, limit);
        QObject::connect(line, &QLineEdit::textChanged, line, [line, limit] { fitLength(line, limit); });
    }

    QWidget* viewWidget() const;
    void watch(QWidget* editor, const QModelIndex& idx) const;

    TExStringGrid* g_;
    mutable QWidget* editor_ = nullptr;
    mutable QPersistentModelIndex editedIndex_;
};

// The Qt view inside the grid. A click in the current cell opens its editor at once (the view's own
// "selected click" trigger waits for the double-click interval and drops what is typed meanwhile);
// a typed character opens it with that character as its first keystroke; a double-click on a
// drop-down cell opens its list.
class GridView final : public QTableView {
public:
    GridView(TExStringGrid* grid) : QTableView(grid), g_(grid) {}

    void baseKeyPress(QKeyEvent* e) { QTableView::keyPressEvent(e); }
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Opens the editor of the current cell; false when the cell has none.
    bool editCurrent() {
        const QModelIndex i = currentIndex();
        if (!i.isValid() || !(model()->flags(i) & Qt::ItemIsEditable)) return false;
        if (isEditing()) return true;
        edit(i);
        return isEditing();
    }

    // A double-click in the cell or in its editor: the grid's event, then a drop-down cell's list,
    // unless the dialog's handler took the user to another window.
    void cellDoubleClicked(const QModelIndex& i, bool buttonDown) {
        bool leftWindow = false;
        const QMetaObject::Connection watch = QObject::connect(
            qApp, &QApplication::focusChanged, this, [this, &leftWindow](QWidget*, QWidget* now) {
                if (now && now->window() != window()) leftWindow = true;
            });
        g_->DblClickCell(i.row() + 1, g_->DisplColIndex(g_->realCol(i.column())));
        QObject::disconnect(watch);
        if (leftWindow || i != currentIndex()) return;
        const TEditorType ed = g_->GetCellEditor(g_->realCol(i.column()), i.row() + 1);
        if (ed != edComboList && ed != edComboEdit) return;
        if (!editCurrent()) return;
        // While the button is still down the list waits for its release: shown at once, it would
        // take that release for a click beside it and close again.
        if (buttonDown)
            listOnRelease_ = true;
        else
            showList();
    }

    // The list of the open drop-down editor, when a double-click asked for it.
    bool showListOnRelease() {
        if (!listOnRelease_) return false;
        listOnRelease_ = false;
        showList();
        return true;
    }

    const QEvent* ignoredKey = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        ignoredKey = nullptr;
        g_->viewKeyPress(e);
        // An unused key goes on to the grid and its window; the grid lets it pass.
        if (!e->isAccepted()) ignoredKey = e;
    }

    void mousePressEvent(QMouseEvent* e) override {
        listOnRelease_ = false;
        const QModelIndex i = indexAt(e->position().toPoint());
        pressedCurrent_ = e->button() == Qt::LeftButton && i.isValid() && i == currentIndex() && !isEditing();
        QTableView::mousePressEvent(e);
        if (i.isValid()) g_->CellMouseDown(e->button(), g_->DisplColIndex(g_->realCol(i.column())), i.row() + 1);
    }

    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool wasCurrent = pressedCurrent_;
        pressedCurrent_ = false;
        QTableView::mouseReleaseEvent(e);
        if (showListOnRelease()) return;
        if (wasCurrent && e->button() == Qt::LeftButton && indexAt(e->position().toPoint()) == currentIndex() &&
            !g_->HasCheckBox(g_->GetRealCol(), g_->row_))
            editCurrent();
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override {
        const QModelIndex i = indexAt(e->position().toPoint());
        // Check cells are the delegate's: a double-click toggles them and nothing more.
        if (e->button() != Qt::LeftButton || !i.isValid() || g_->HasCheckBox(g_->realCol(i.column()), i.row() + 1)) {
            QTableView::mouseDoubleClickEvent(e);
            return;
        }
        // The first click made the cell current; the view's own double-click handling would only
        // emit a signal the grid does not use.
        e->accept();
        cellDoubleClicked(i, e->buttons() & Qt::LeftButton);
    }

    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showList() {
        if (auto* combo = qobject_cast<QComboBox*>(g_->delegate_->openEditor())) combo->showPopup();
    }

    TExStringGrid* g_;
    bool pressedCurrent_ = false;
    bool listOnRelease_ = false;
};

QWidget* GridDelegate::viewWidget() const { return g_->view_; }

void GridDelegate::watch(QWidget* editor, const QModelIndex& idx) const {
    if (!editor) return;
    editor_ = editor;
    editedIndex_ = idx;
    // A double-click in the editor (or in a combo's edit field) is one on its cell.
    editor->installEventFilter(g_->view_);
    for (QWidget* child : editor->findChildren<QWidget*>()) child->installEventFilter(g_->view_);
}

bool GridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(event);
        const QModelIndex i = indexAt(he->pos());
        const QString hint =
            i.isValid() ? g_->CellHint(i.row() + 1, g_->DisplColIndex(g_->realCol(i.column()))) : QString();
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), hint, viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    QAbstractButton* corner = g_->corner_;
    // A new press ends any wait for the release of a double-click.
    if (event->type() == QEvent::MouseButtonPress) listOnRelease_ = false;
    if (event->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The corner is cell (0, 0): a double-click there is a double-click on that cell.
        if (watched == corner) g_->DblClickCell(0, 0);
        QWidget* editor = g_->delegate_->openEditor();
        auto* w = qobject_cast<QWidget*>(watched);
        if (editor && w && (w == editor || editor->isAncestorOf(w))) {
            const QModelIndex i = g_->delegate_->editedIndex();
            if (i.isValid()) {
                cellDoubleClicked(i, static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton);
                return true;
            }
        }
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The release that ends a double-click in the editor, which received its press.
        QWidget* editor = g_->delegate_->openEditor();
        auto* w = qobject_cast<QWidget*>(watched);
        if (editor && w && (w == editor || editor->isAncestorOf(w)) && showListOnRelease()) return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint pos = me->position().toPoint();
        QHeaderView* h = horizontalHeader();
        // The fixed cell pressed, if any: (row, display column).
        int row = -1, col = -1;
        if (watched == corner) {
            g_->ClickCell(0, 0);
            row = col = 0;
        } else if (watched == h->viewport()) {
            const int logical = h->logicalIndexAt(pos);
            if (logical >= 0) {
                // A press on a column border starts sizing the column, not a click on the header.
                const int x = pos.x() - h->sectionViewportPosition(logical);
                const bool sizing = h->sectionResizeMode(logical) == QHeaderView::Interactive;
                const bool onBorder = sizing && (x <= 3 || h->sectionSize(logical) - x <= 3);
                if (!onBorder) g_->ClickCell(0, g_->DisplColIndex(g_->realCol(logical)));
                // Only the left button sizes: another button on a border is still on its header.
                if (!onBorder || me->button() != Qt::LeftButton) {
                    row = 0;
                    col = g_->DisplColIndex(g_->realCol(logical));
                }
            }
        } else if (watched == verticalHeader()->viewport()) {
            const int logical = verticalHeader()->logicalIndexAt(pos);
            if (logical >= 0) {
                g_->ClickCell(logical + 1, 0);
                row = logical + 1;
                col = 0;
            }
        }
        if (row >= 0) g_->CellMouseDown(me->button(), col, row);
    }
    if (watched == corner && event->type() == QEvent::Paint) {
        QStyleOptionHeader opt;
        opt.initFrom(corner);
        opt.rect = corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = g_->Cells(0, 0);
        opt.textAlignment = Qt::AlignCenter;
        QPainter painter(corner);
        corner->style()->drawControl(QStyle::CE_Header, &opt, &painter, corner);
        return true;
    }
    if (event->type() == QEvent::ToolTip &&
        (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport())) {
        auto* he = static_cast<QHelpEvent*>(event);
        QString hint;
        if (watched == horizontalHeader()->viewport()) {
            const int logical = horizontalHeader()->logicalIndexAt(he->pos());
            if (logical >= 0) hint = g_->CellHint(0, g_->DisplColIndex(g_->realCol(logical)));
        } else {
            const int logical = verticalHeader()->logicalIndexAt(he->pos());
            if (logical >= 0) hint = g_->CellHint(logical + 1, 0);
        }
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), hint, static_cast<QWidget*>(watched));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace gridimpl

TExStringGrid::TExStringGrid(QWidget* parent) : QWidget(parent), visible_(kMaxHideCol, 1) {
    view_ = new gridimpl::GridView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);
    setFocusPolicy(view_->focusPolicy());

    model_ = new gridimpl::GridModel(this);
    delegate_ = new gridimpl::GridDelegate(this);
    view_->setModel(model_);
    view_->setItemDelegate(delegate_);
    // Clicks and keys open the editor through the view above, never on the view's timer.
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves on to the next control of the window, not to the next cell.
    view_->setTabKeyNavigation(false);
    view_->setWordWrap(false);

    QHeaderView* h = view_->horizontalHeader();
    QHeaderView* v = view_->verticalHeader();
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
    disconnect(h, &QHeaderView::sectionHandleDoubleClicked, view_, &QTableView::resizeColumnToContents);
    h->viewport()->installEventFilter(view_);
    v->viewport()->installEventFilter(view_);
    // The view's corner is the fixed cell (0, 0): it shows that cell's text like the other headers.
    corner_ = view_->findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(view_);

    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& cur, const QModelIndex&) { onCurrentChanged(cur); });
    connect(h, &QHeaderView::sectionResized, this,
            [this](int l, int o, int n) { onSectionResized(l, o, n); });
    connect(view_, &QAbstractItemView::pressed, this,
            [this](const QModelIndex& i) { ClickCell(i.row() + 1, DisplColIndex(realCol(i.column()))); });
    connect(h, &QHeaderView::sectionDoubleClicked, this,
            [this](int logical) { DblClickCell(0, DisplColIndex(realCol(logical))); });
    connect(v, &QHeaderView::sectionDoubleClicked, this, [this](int logical) { DblClickCell(logical + 1, 0); });

    resizeStore(kDefaultRowCount, kDefaultColCount);
}

TExStringGrid::~TExStringGrid() {
    // The view calls back into the grid while it goes: it goes while the grid is still whole.
    delete view_;
    view_ = nullptr;
}

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
        colors_.resize(size_t(rows) * totalCols, clNone);
        pictures_.resize(size_t(rows) * totalCols);
    } else {
        std::vector<QString> text(size_t(rows) * totalCols);
        std::vector<uint8_t> flags(size_t(rows) * totalCols);
        std::vector<TColor> colors(size_t(rows) * totalCols, clNone);
        std::vector<CellPicture> pictures(size_t(rows) * totalCols);
        const int keepR = std::min(rows, oldRows), keepC = std::min(totalCols, oldCols);
        for (int r = 0; r < keepR; ++r)
            for (int c = 0; c < keepC; ++c) {
                text[size_t(r) * totalCols + c] = std::move(text_[size_t(r) * oldCols + c]);
                flags[size_t(r) * totalCols + c] = flags_[size_t(r) * oldCols + c];
                colors[size_t(r) * totalCols + c] = colors_[size_t(r) * oldCols + c];
                pictures[size_t(r) * totalCols + c] = pictures_[size_t(r) * oldCols + c];
            }
        text_.swap(text);
        flags_.swap(flags);
        colors_.swap(colors);
        pictures_.swap(pictures);
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
    // Only a fixed column numbers its rows; a data column's new cells start empty.
    if (fixedCols_ == 0) return;
    for (int r = from; r < rowCount_; ++r) text_[index(0, r)] = QString::number(r);
}

void TExStringGrid::SetFixedCols(int value) {
    if (value != 0 && value != 1) throw std::out_of_range("Grid index out of range");
    if (value == fixedCols_) return;
    // The texts stay: a column that stops being fixed keeps what it shows, row numbers included.
    // The reset closes an open editor.
    fixedCols_ = value;
    model_->reset();
    applyColumns();
    syncCurrent();
    if (corner_) corner_->update();
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
    QHeaderView* h = view_->horizontalHeader();
    for (int c = fixedCols_; c < totalCols_; ++c) {
        const bool hidden = IsHiddenColumn(c);
        view_->setColumnHidden(modelCol(c), hidden);
        if (!hidden) h->resizeSection(modelCol(c), widths_[c]);
    }
    view_->verticalHeader()->setVisible(fixedCols_ == 1 && !IsHiddenColumn(0));
    view_->verticalHeader()->setFixedWidth(widths_[0]);
    applying_ = false;
}

void TExStringGrid::onSectionResized(int logical, int, int newSize) {
    if (applying_) return;
    const int c = realCol(logical);
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
    const int current = GetRealCol();
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
    // The current cell stays on its column while that is shown.
    col_ = IsHiddenColumn(current) ? std::min(col_, ColCount() - 1) : DisplColIndex(current);
    applyColumns();
    syncCurrent();
    view_->viewport()->update();
}

void TExStringGrid::UnHideColumns(int FromCol, int ToCol) {
    const int current = GetRealCol();
    bool changed = false;
    for (int c = std::max(FromCol, 0); c <= ToCol && c < kMaxHideCol; ++c) {
        if (visible_[c]) continue;
        visible_[c] = 1;
        --numHidden_;
        changed = true;
    }
    if (!changed) return;
    col_ = DisplColIndex(current);
    applyColumns();
    syncCurrent();
    view_->viewport()->update();
}

QString TExStringGrid::Cells(int ACol, int ARow) const {
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
    view_->viewport()->update();
}

QRect TExStringGrid::CellRect(int ACol, int ARow) const {
    const int c = RealColIndex(ACol);
    if (c < 0 || c >= totalCols_ || ARow < 0 || ARow >= rowCount_ || IsHiddenColumn(c)) return {};
    QRect r;
    const QWidget* area = nullptr;
    QHeaderView* h = view_->horizontalHeader();
    QHeaderView* v = view_->verticalHeader();
    if (c < fixedCols_ && ARow == 0) {
        if (!corner_ || !corner_->isVisible()) return {};
        return QRect(corner_->mapTo(this, QPoint(0, 0)), corner_->size());
    } else if (ARow == 0) {
        area = h->viewport();
        r = QRect(h->sectionViewportPosition(modelCol(c)), 0, h->sectionSize(modelCol(c)), h->height());
    } else if (c < fixedCols_) {
        area = v->viewport();
        r = QRect(0, v->sectionViewportPosition(ARow - 1), v->width(), v->sectionSize(ARow - 1));
    } else {
        area = view_->viewport();
        r = view_->visualRect(model_->index(ARow - 1, modelCol(c)));
    }
    if (!area->isVisible() || !r.intersects(area->rect())) return {};
    return r.translated(area->mapTo(this, QPoint(0, 0)));
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
    const QFontMetrics head(view_->horizontalHeader()->font());
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
    // With column 0 hidden or not fixed, display column 0 is a data column.
    if (row_ >= 1 && GetRealCol() >= fixedCols_) {
        const QModelIndex i = model_->index(row_ - 1, modelCol(GetRealCol()));
        if (i != view_->currentIndex()) view_->setCurrentIndex(i);
    } else if (view_->selectionModel()) {
        view_->selectionModel()->clear();
    }
    syncing_ = false;
}

void TExStringGrid::onCurrentChanged(const QModelIndex& current) {
    if (syncing_ || !current.isValid()) return;
    row_ = current.row() + 1;
    col_ = DisplColIndex(realCol(current.column()));
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
TEditorType TExStringGrid::GetCellEditor(int ACol, int ARow) const { return DoGetEditorType(ACol, ARow, edNormal); }

TEditorType TExStringGrid::DoGetEditorType(int ACol, int ARow, TEditorType AEditor) const {
    if (OnGetEditorType)
        plat::guarded([&] { OnGetEditorType(const_cast<TExStringGrid*>(this), ACol, ARow, AEditor); });
    return AEditor;
}

QStringList TExStringGrid::GetComboItems(int ACol, int ARow) const {
    GetCellEditor(ACol, ARow);
    return comboList_;
}

void TExStringGrid::AddCheckBoxColumn(int ACol, bool DefaultState, bool DataCheckBox) {
    for (int r = 1; r < rowCount_; ++r) AddCheckBox(ACol, r, DefaultState, DataCheckBox);
}
int TExStringGrid::GetDropDownCount(int, int) const { return 8; }

int TExStringGrid::GetEditLength(int, int) const { return 0; }

bool TExStringGrid::CanEditCell(int ACol, int ARow) const {
    if (ACol < fixedCols_ || ARow < 1 || ACol >= totalCols_ || ARow >= rowCount_) return false;
    return !(flags_[index(ACol, ARow)] & fReadOnly);
}

TAlignment TExStringGrid::GetCellAlignment(int, int) const { return taLeftJustify; }
TColor TExStringGrid::GetCellColor(int ACol, int ARow) const {
    if (ACol >= 0 && ARow >= 0 && ACol < totalCols_ && ARow < rowCount_) {
        const TColor own = colors_[size_t(index(ACol, ARow))];
        if (own != clNone) return own;
    }
    return Color;
}

void TExStringGrid::SetColors(int ACol, int ARow, TColor color) {
    checkCell(ACol, ARow);
    colors_[size_t(index(ACol, ARow))] = color;
    cellChanged(ACol, ARow);
}

void TExStringGrid::SetGridImages(const plat::TImageList* images) {
    gridImages_ = images;
    RepaintCells();
}

bool TExStringGrid::AddImageIdx(int ACol, int ARow, int Aidx, TCellHAlign hal, TCellVAlign val) {
    checkCell(ACol, ARow);
    if (!gridImages_) return false;
    pictures_[size_t(index(ACol, ARow))] = {int16_t(std::clamp(Aidx, -1, 32767)), hal, val};
    cellChanged(ACol, ARow);
    return true;
}

bool TExStringGrid::GetImageIdx(int ACol, int ARow, int& idx) const {
    checkCell(ACol, ARow);
    const CellPicture& p = pictures_[size_t(index(ACol, ARow))];
    if (!gridImages_ || p.index < 0) return false;
    idx = p.index;
    return true;
}

void TExStringGrid::RemoveImageIdx(int ACol, int ARow) {
    checkCell(ACol, ARow);
    pictures_[size_t(index(ACol, ARow))] = {};
    cellChanged(ACol, ARow);
}

// Input ---------------------------------------------------------------------------------------

bool TExStringGrid::KeyPress(QChar key) {
    if (OnKeyPress) plat::guarded([&] { OnKeyPress(this, key); });
    if (key.isNull()) return true;
    if (key == u' ' && row_ >= 1 && GetRealCol() >= fixedCols_ && HasCheckBox(GetRealCol(), row_)) {
        if (ToggleCellCheck(GetRealCol(), row_, true)) CheckBoxClick(GetRealCol(), row_);
        return true;
    }
    return false;
}

void TExStringGrid::viewKeyPress(QKeyEvent* event) {
    QChar key;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = QChar(13);
    else if (!event->text().isEmpty())
        key = event->text().at(0);
    if (!key.isNull() && KeyPress(key)) {
        event->accept();
        return;
    }
    view_->baseKeyPress(event);
}

void TExStringGrid::keyPressEvent(QKeyEvent* event) {
    if (event == view_->ignoredKey) {
        // Handled by the view, which left it to the window.
        view_->ignoredKey = nullptr;
        event->ignore();
        return;
    }
    viewKeyPress(event);
}

void TExStringGrid::SelectRows(int RowIndex, int RCount) {
    if (RowIndex < 1 || RowIndex >= rowCount_ || RCount < 1 || ColCount() <= fixedCols_) return;
    const int last = std::min(RowIndex + RCount, rowCount_) - 1;
    row_ = last;
    col_ = ColCount() - 1;
    syncCurrent();
    const QModelIndex from = model_->index(RowIndex - 1, 0);
    const QModelIndex to = model_->index(last - 1, model_->columnCount() - 1);
    view_->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

bool TExStringGrid::GetRowSelect(int ARow) const {
    if (ARow < 0 || ARow >= rowCount_) throw std::out_of_range("Grid index out of range");
    return ARow >= 1 && view_->selectionModel()->rowIntersectsSelection(ARow - 1, {});
}

void TExStringGrid::SetRowSelect(bool on) {
    view_->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    if (on && row_ >= 1 && view_->currentIndex().isValid())
        view_->selectionModel()->select(view_->currentIndex(),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool TExStringGrid::RowSelect() const { return view_->selectionBehavior() == QAbstractItemView::SelectRows; }

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
