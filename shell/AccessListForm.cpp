#include "shell/AccessListForm.h"

#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr int kButtonLefts[6] = {16, 134, 252, 370, 488, 606};
constexpr const char* kButtonNames[6] = {"Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_CopyRow",
                                         "Btn_PasteRow"};
constexpr const char* kButtonCaptions[6] = {"OK", "Cancel", "Delete Row", "Insert Row", "Copy Row", "Paste Row"};
const QColor kPanelColor(248, 245, 237);  // 15595512

QString text(int n) { return Text_Table.value(n); }

void paintPanel(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kPanelColor);
    w->setPalette(p);
}

void buildColumns(TExColumnGrid& grid, const AccessListPage& page, int tableRows) {
    // Both counts are set here: a new grid's own size says nothing about this list.
    grid.SetColCount(int(page.columns.size()));
    grid.SetRowCount(tableRows + 1);
    for (int c = 0; c < int(page.columns.size()); ++c) {
        const AccessListColumn& def = page.columns[size_t(c)];
        TGridColumnItem& item = grid.Columns().Items(c);
        item.SetEditor(def.editor);
        if (def.editor == edDataCheckBox) {
            item.SetAlignment(taCenter);
            item.CheckTrue = QStringLiteral("Y");
            item.CheckFalse = QStringLiteral("N");
        }
        item.SetWidth(def.width);
        item.SetColor(def.color);
    }
}

}  // namespace

TAccessListForm::TAccessListForm(const AccessListDef& def, QWidget* parent) : plat::TForm(parent), def_(def) {
    setObjectName(QString::fromLatin1(def.objectName));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    if (def.fontFace) {
        QFont f(QString::fromLatin1(def.fontFace));
        f.setPixelSize(11);
        setFont(f);
    }
    const int width = def.clientWidth;
    SetClientSize(width, kClientHeight);
    // The window may grow (it has a maximize box): the panels keep to the top and bottom and the
    // grids take the rest, see resizeEvent.
    setMinimumSize(width, kClientHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    paintPanel(this);

    // FormCreate: the title panel with the software code.
    SetTitleHeight(kTitleHeight);
    P_Title = TitleStrip();
    paintPanel(P_Title);
    L_SW_Code()->setText(g_SWCode);

    // The grids between the two panels: a page control for two lists, else the grid itself.
    const QRect body(0, kTitleHeight, width, kClientHeight - kTitleHeight - kButtonPanelHeight);
    const bool paged = def.pages.size() > 1;
    if (paged) {
        PageControl1 = new QTabWidget(this);
        PageControl1->setObjectName(QStringLiteral("PageControl1"));
        PageControl1->setGeometry(body);
        body_ = PageControl1;
    }
    for (size_t i = 0; i < def.pages.size() && i < 2; ++i) {
        const AccessListPage& pd = def.pages[i];
        PageState ps{nullptr, nullptr};
        if (paged) {
            ps.page = new QWidget;
            ps.page->setObjectName(QString::fromLatin1(pd.pageName));
            auto* l = new QVBoxLayout(ps.page);
            l->setContentsMargins(0, 0, 0, 0);
            ps.grid = new TExColumnGrid(ps.page);
            l->addWidget(ps.grid);
            PageControl1->addTab(ps.page, QString());
        } else {
            ps.grid = new TExColumnGrid(this);
            ps.grid->setGeometry(body);
            body_ = ps.grid;
        }
        ps.grid->setObjectName(QString::fromLatin1(pd.gridName));
        Set_Table_Grid_Form(*ps.grid);
        const int capacity = i < def.schema->sections.size() ? def.schema->sections[i].capacity : 0;
        buildColumns(*ps.grid, pd, capacity);
        ps.grid->Loaded();
        ps.grid->OnClickCell = [this](QObject* s, int r, int c) { ClickCell(s, r, c); };
        ps.grid->OnDblClickCell = [this](QObject* s, int r, int c) { DblClickCell(s, r, c); };
        ps.grid->OnKeyPress = [this](QObject* s, QChar& k) { KeyPress(s, k); };
        ps.grid->OnGridHint = [this](QObject* s, int r, int c, QString& h) { GridHint(s, r, c, h); };
        pages_.push_back(ps);
    }
    if (PageControl1) PageControl1->setCurrentIndex(0);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    P_Button->setGeometry(0, kClientHeight - kButtonPanelHeight, width, kButtonPanelHeight);
    paintPanel(P_Button);
    TFadeButton** buttons[6] = {&Btn_OK, &Btn_Cancel, &Btn_DelRow, &Btn_InsRow, &Btn_CopyRow, &Btn_PasteRow};
    const int buttonCount = !def.rowButtons ? 2 : def.copyButtons ? 6 : 4;
    for (int i = 0; i < buttonCount; ++i) {
        auto* b = NewHouseButton(QString::fromLatin1(kButtonCaptions[i]), P_Button);
        b->setObjectName(QString::fromLatin1(kButtonNames[i]));
        b->setGeometry(kButtonLefts[i], 6, 110, 28);
        *buttons[i] = b;
    }
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OK_Click(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    if (def.rowButtons) {
        plat::onSignal(Btn_DelRow, &TFadeButton::clicked, this, [this]() { Btn_DelRow_Click(); });
        plat::onSignal(Btn_InsRow, &TFadeButton::clicked, this, [this]() { Btn_InsRowClick(); });
    }
    if (def.rowButtons && def.copyButtons) {
        plat::onSignal(Btn_CopyRow, &TFadeButton::clicked, this, [this]() { Btn_CopyRowClick(); });
        plat::onSignal(Btn_PasteRow, &TFadeButton::clicked, this, [this]() { Btn_PasteRowClick(); });
    }
    // The member calls Set_Lang once its own fields exist.
}

void TAccessListForm::resizeEvent(QResizeEvent* event) {
    plat::TForm::resizeEvent(event);
    if (!P_Title || !P_Button) return;  // still being built
    const int w = width(), h = height();
    P_Title->setGeometry(0, 0, w, kTitleHeight);
    if (body_) body_->setGeometry(0, kTitleHeight, w, h - kTitleHeight - kButtonPanelHeight);
    P_Button->setGeometry(0, h - kButtonPanelHeight, w, kButtonPanelHeight);
}

void TAccessListForm::Set_Lang() {
    setWindowTitle(text(def_.caption));
    L_SW_Desc()->setText(text(def_.description));
    TFadeButton* buttons[6] = {Btn_OK, Btn_Cancel, Btn_DelRow, Btn_InsRow, Btn_CopyRow, Btn_PasteRow};
    for (int i = 0; i < 6; ++i) {
        if (!buttons[i]) continue;
        if (def_.firstButtonCaption >= 0) buttons[i]->SetCaption(text(def_.firstButtonCaption + i));
        if (def_.firstButtonHint >= 0) buttons[i]->SetHint(text(def_.firstButtonHint + i));
    }
    for (size_t p = 0; p < pages_.size(); ++p) {
        const AccessListPage& pd = def_.pages[p];
        if (PageControl1 && pd.tabText >= 0) PageControl1->setTabText(int(p), text(pd.tabText));
        Hints[p].clear();
        for (int c = 0; c < int(pd.columns.size()); ++c) {
            pages_[p].grid->Columns().Items(c).SetHeader(text(pd.columns[size_t(c)].header));
            if (c > 0) Hints[p] << (pd.columns[size_t(c)].hint >= 0 ? text(pd.columns[size_t(c)].hint) : QString());
        }
        // A header longer than its column takes more lines rather than a wider column.
        Fit_Header_Row(*pages_[p].grid);
    }
}

int TAccessListForm::pageOf(const QObject* grid) const {
    for (size_t p = 0; p < pages_.size(); ++p)
        if (pages_[p].grid == grid) return int(p);
    return -1;
}

TExColumnGrid& TAccessListForm::ActiveGrid() const {
    const int p = PageControl1 ? std::max(PageControl1->currentIndex(), 0) : 0;
    return *pages_.at(size_t(p)).grid;
}

// Showing --------------------------------------------------------------------------------------------

void TAccessListForm::FormShow() {
    Prepare_Show();
    resetGrids();
    if (PageControl1) PageControl1->setCurrentIndex(0);
    loadFailed_ = false;
    if (def_.filePath && plat::fileExists(*def_.filePath)) loadFile();
    if (loadFailed_) return;  // as after any failed load, the copy flags keep their values
    Do_Copy[0] = Do_Copy[1] = false;
    ActiveGrid().setFocus();
}

void TAccessListForm::resetGrids() {
    for (size_t p = 0; p < pages_.size(); ++p) {
        TExColumnGrid& g = *pages_[p].grid;
        const accesslist::Row reset = accesslist::resetRow(ListSchema().sections[p]);
        for (int r = 1; r < g.RowCount(); ++r) {
            g.SetCells(0, r, QString::number(r));
            for (int c = 1; c < g.TotalColCount(); ++c) g.SetCells(c, r, reset.value(c));
        }
        g.SetRow(1);
        g.SetCol(1);
    }
}

void TAccessListForm::loadFile() {
    const QString fileName = QString::fromLatin1(ListSchema().fileName);
    QString readError;
    const std::optional<QByteArray> bytes = plat::readFile(*def_.filePath, &readError);
    if (!bytes) {
        loadFailed_ = true;
        plat::dialogs().error(QStringLiteral("Error in \"%1\": %2").arg(fileName, readError));
        return;
    }
    // The grids may have been sized for this showing: they hold what is read.
    std::vector<int> capacities;
    for (const PageState& ps : pages_) capacities.push_back(ps.grid->RowCount() - 1);
    accesslist::ReadResult read = accesslist::readList(ListSchema(), *bytes, capacities);
    Loaded_Rows(read.sections);
    for (size_t p = 0; p < pages_.size() && p < read.sections.size(); ++p) {
        TExColumnGrid& g = *pages_[p].grid;
        const accesslist::Rows& rows = read.sections[p];
        for (int i = 0; i < int(rows.size()) && i + 1 < g.RowCount(); ++i)
            for (int c = 1; c < g.TotalColCount(); ++c) g.SetCells(c, i + 1, rows[size_t(i)].value(c));
    }
    if (!read.error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(read.error);
        return;
    }
    for (size_t s = 0; s < read.surplus.size(); ++s) {
        const int surplus = read.surplus[s];
        if (surplus <= 0) continue;
        const accesslist::Section& section = ListSchema().sections[s];
        const QString where = section.element ? QStringLiteral("the section \"%1\"").arg(QString::fromLatin1(section.element))
                                              : QStringLiteral("the list");
        plat::dialogs().warning(QStringLiteral("\"%1\": %2 holds %3 rows, the table only %4: the last %5 rows are not "
                                               "shown and will be dropped when the list is saved.")
                                    .arg(fileName, where)
                                    .arg(capacities[s] + surplus)
                                    .arg(capacities[s])
                                    .arg(surplus));
    }
}

// Validation and saving ------------------------------------------------------------------------------

std::vector<accesslist::Rows> TAccessListForm::gridRows() const {
    std::vector<accesslist::Rows> all;
    for (const PageState& ps : pages_) {
        accesslist::Rows rows;
        rows.reserve(size_t(ps.grid->RowCount()));
        for (int r = 1; r < ps.grid->RowCount(); ++r) {
            accesslist::Row row;
            row.reserve(ps.grid->TotalColCount());
            row.append(QString());
            for (int c = 1; c < ps.grid->TotalColCount(); ++c) row.append(ps.grid->Cells(c, r));
            rows.push_back(std::move(row));
        }
        all.push_back(std::move(rows));
    }
    return all;
}

bool TAccessListForm::Controllo_dati() {
    const accesslist::Problem problem = accesslist::validate(ListSchema(), gridRows(), Rules());
    if (problem.kind == accesslist::Problem::None) return true;
    const TExColumnGrid& g = *pages_.at(size_t(problem.section)).grid;
    QStringList headers;
    for (int c = 0; c < g.TotalColCount(); ++c) headers << g.Cells(c, 0);
    const int pagePrefix = def_.pages.at(size_t(problem.section)).errorPrefix;
    plat::dialogs().error(
        accesslist::problemMessage(ListSchema(), problem, pagePrefix >= 0 ? pagePrefix : def_.errorPrefix, headers));
    return false;
}

bool TAccessListForm::saveFile() {
    XML1.clear();
    std::vector<accesslist::Rows> rows = gridRows();
    Saving_Rows(rows);
    accesslist::writeList(ListSchema(), rows, XML1);
    QString error;
    if (!XML1.save(*def_.filePath, &error)) {
        plat::dialogs().error(QStringLiteral("\"%1\" could not be saved: %2")
                                  .arg(QString::fromLatin1(ListSchema().fileName), error));
        return false;
    }
    return true;
}

void TAccessListForm::Btn_OK_Click() {
    if (!Controllo_dati()) return;
    if (loadFailed_ &&
        plat::dialogs().questionYesNo(
            QStringLiteral("\"%1\" could not be read completely when this window opened, so the list does not show "
                           "all of it. Saving replaces the file with the list shown here. Overwrite it?")
                .arg(QString::fromLatin1(ListSchema().fileName))) != plat::Answer::Yes)
        return;
    if (!saveFile()) return;
    loadFailed_ = false;
    SetModalResult(plat::mrOk);
}

// Row buttons ----------------------------------------------------------------------------------------

void TAccessListForm::Delete_Row(int Row, TExColumnGrid& Grid) { Delete_Row_Grid(Row, Grid); }

void TAccessListForm::Btn_DelRow_Click() {
    TExColumnGrid& g = ActiveGrid();
    const int row = g.Row();
    if (row < 1) return;
    if (plat::dialogs().questionYesNo(text(def_.deleteQuestion) + QString::number(row)) == plat::Answer::Yes)
        Delete_Row(row, g);
}

void TAccessListForm::Btn_InsRowClick() {
    TExColumnGrid& g = ActiveGrid();
    Insert_Row_Grid(g.Row(), g, def_.insertWithEnable);
}

void TAccessListForm::Btn_CopyRowClick() {
    TExColumnGrid& g = ActiveGrid();
    Copy_Row_Grid(g, g.Row());
    // A row copied in one grid cannot be pasted into the other.
    const int p = pageOf(&g);
    for (int i = 0; i < 2; ++i) Do_Copy[i] = i == p;
}

void TAccessListForm::Btn_PasteRowClick() {
    TExColumnGrid& g = ActiveGrid();
    const int p = pageOf(&g);
    Paste_Row_Grid(g, g.Row(), p >= 0 && Do_Copy[p]);
}

// Grid events ----------------------------------------------------------------------------------------

void TAccessListForm::ClickCell(QObject* Sender, int ARow, int ACol) {
    const int p = pageOf(Sender);
    if (p < 0 || ACol != 0 || ARow < 1) return;
    pages_[size_t(p)].grid->SelectRows(ARow, 1);
}

void TAccessListForm::DblClickCell(QObject* Sender, int ARow, int ACol) {
    const int p = pageOf(Sender);
    if (p >= 0) Grid_Auto_Size_Col(*pages_[size_t(p)].grid, ARow, ACol);
}

void TAccessListForm::KeyPress(QObject* Sender, QChar& Key) {
    const int p = pageOf(Sender);
    if (p >= 0) Grid_Enter_Next_Cell(*pages_[size_t(p)].grid, Key);
}

void TAccessListForm::GridHint(QObject* Sender, int ARow, int ACol, QString& hint) {
    const int p = pageOf(Sender);
    if (p < 0) return;
    hint.clear();
    if (ARow != 0) return;
    const int real = pages_[size_t(p)].grid->RealColIndex(ACol);
    if (real >= 1) hint = Hints[p].value(real - 1);
}
