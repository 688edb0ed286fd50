#include "fieldbus/UDefOffset.h"

#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QResizeEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kSlavePanelHeight = 162;
constexpr int kButtonPanelHeight = 40;
const QColor kPanelColor(248, 245, 237);  // 15595512
const QString kOffsetFileName = QStringLiteral("DNETM_DefOff.xml");

QString text(int n) { return Text_Table.value(n); }

void paintPanel(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kPanelColor);
    w->setPalette(p);
}

struct ColumnDef {
    TEditorType editor;
    int width;
    TColor color;
};

void buildColumns(TExColumnGrid& grid, std::initializer_list<ColumnDef> columns, bool readOnly) {
    grid.SetColCount(int(columns.size()));
    // The header row stays while the grid has no row of data.
    grid.SetFixedRowAlways(true);
    grid.SetRowCount(1);
    int c = 0;
    for (const ColumnDef& def : columns) {
        TGridColumnItem& item = grid.Columns().Items(c++);
        item.SetEditor(def.editor);
        item.SetWidth(def.width);
        item.SetColor(def.color);
        item.ReadOnly = readOnly;
    }
    // These grids show no hints.
    grid.OnGridHint = [](QObject*, int, int, QString& hint) { hint.clear(); };
    grid.Loaded();
}

// A one-grid tab sheet.
QWidget* sheet(TExColumnGrid*& grid, const char* name, const char* gridName) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(0, 0, 0, 0);
    grid = new TExColumnGrid(page);
    grid->setObjectName(QString::fromLatin1(gridName));
    Set_Table_Grid_Form(*grid);
    l->addWidget(grid);
    return page;
}

}  // namespace

TFDefOffset::TFDefOffset(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FDefOffset"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    SetClientSize(kClientWidth, kClientHeight);
    setMinimumSize(kClientWidth, kClientHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    paintPanel(this);

    SetTitleHeight(kTitleHeight);
    P_Title = TitleStrip();
    paintPanel(P_Title);
    L_SW_Code()->setText(g_SWCode);

    // The slaves above, the bytes of the selected one below; the splitter shares the height.
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    P_Slaves = new QWidget;
    P_Slaves->setObjectName(QStringLiteral("P_Slaves"));
    paintPanel(P_Slaves);
    auto* top = new QVBoxLayout(P_Slaves);
    top->setContentsMargins(0, 4, 0, 0);
    top->setSpacing(4);
    Label1 = new QLabel(P_Slaves);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setContentsMargins(16, 0, 0, 0);
    top->addWidget(Label1);
    CG_DN_Slaves = new TExColumnGrid(P_Slaves);
    CG_DN_Slaves->setObjectName(QStringLiteral("CG_DN_Slaves"));
    Set_Table_Grid_Form(*CG_DN_Slaves);
    // The ID is data like the rest of the slave's row, not a row number.
    CG_DN_Slaves->SetFixedCols(0);
    top->addWidget(CG_DN_Slaves, 1);
    buildColumns(*CG_DN_Slaves,
                 {{edNormal, 100, 13565902}, {edNormal, 100, 14024703}, {edNormal, 100, 14024703},
                  {edNormal, 160, clWindow}},
                 true);
    // A press on any cell of a slave shows that slave.
    CG_DN_Slaves->OnClickCell = [this](QObject*, int ARow, int) {
        if (ARow < 1 || ARow >= CG_DN_Slaves->RowCount()) return;
        CG_DN_Slaves->SetRow(ARow);
        CG_DN_SlavesClick();
    };
    // A key that moves to another slave shows it, as a press on it does.
    CG_DN_Slaves->installEventFilter(this);
    Splitter1->addWidget(P_Slaves);

    P_Client = new QWidget;
    P_Client->setObjectName(QStringLiteral("P_Client"));
    paintPanel(P_Client);
    auto* bottom = new QVBoxLayout(P_Client);
    bottom->setContentsMargins(0, 4, 0, 0);
    bottom->setSpacing(2);
    Label2 = new QLabel(P_Client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(P_Client);
    Label3->setObjectName(QStringLiteral("Label3"));
    for (QLabel* l : {Label2, Label3}) {
        l->setContentsMargins(16, 0, 0, 0);
        bottom->addWidget(l);
    }
    PageControl1 = new QTabWidget(P_Client);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = sheet(CG_ByteIN, "TabSheet1", "CG_ByteIN");
    TabSheet2 = sheet(CG_ByteOUT, "TabSheet2", "CG_ByteOUT");
    PageControl1->addTab(TabSheet1, QString());
    PageControl1->addTab(TabSheet2, QString());
    bottom->addWidget(PageControl1, 1);
    for (TExColumnGrid* g : {CG_ByteIN, CG_ByteOUT})
        buildColumns(*g, {{edNormal, 60, clWindow}, {edComboList, 90, clWindow}, {edNormal, 300, clWindow}}, false);
    Splitter1->addWidget(P_Client);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    paintPanel(P_Button);
    Btn_OK = NewHouseButton(QStringLiteral("OK"), P_Button);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_Cancel = NewHouseButton(QStringLiteral("Cancel"), P_Button);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    Btn_Cancel->setGeometry(134, 6, 110, 28);
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { bitbtn1Click(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does

    layoutPanels();
    PageControl1->setCurrentIndex(0);
    Set_Lang();
}

void TFDefOffset::layoutPanels() {
    const int w = width(), h = height();
    P_Title->setGeometry(0, 0, w, kTitleHeight);
    Splitter1->setGeometry(0, kTitleHeight, w, h - kTitleHeight - kButtonPanelHeight);
    P_Button->setGeometry(0, h - kButtonPanelHeight, w, kButtonPanelHeight);
    if (!splitterPlaced_) {
        Splitter1->setSizes({kSlavePanelHeight, std::max(h - kTitleHeight - kButtonPanelHeight - kSlavePanelHeight - 3, 0)});
        splitterPlaced_ = true;
    }
}

void TFDefOffset::resizeEvent(QResizeEvent* event) {
    plat::TForm::resizeEvent(event);
    if (P_Button) layoutPanels();
}

bool TFDefOffset::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CG_DN_Slaves && event->type() == QEvent::KeyPress)
        // Looked at once the grid has moved its current cell.
        QTimer::singleShot(0, this, [this] {
            plat::guarded([this] {
                const int row = CG_DN_Slaves->Row();
                if (row >= 1 && row < CG_DN_Slaves->RowCount() && row - 1 != Slave_Before_Select) CG_DN_SlavesClick();
            });
        });
    return plat::TForm::eventFilter(watched, event);
}

void TFDefOffset::Set_Lang() {
    setWindowTitle(text(2900));
    L_SW_Desc()->setText(text(2901));
    Btn_OK->SetCaption(text(2902));
    Btn_Cancel->SetCaption(text(2903));
    Btn_OK->SetHint(text(2904));
    Btn_Cancel->SetHint(text(2905));
    PageControl1->setTabText(0, text(2906));
    PageControl1->setTabText(1, text(2907));
    Label1->setText(text(2908));
    Label2->setText(text(2909));
    Label3->setText(text(2910));
    for (int c = 0; c < 4; ++c) CG_DN_Slaves->Columns().Items(c).SetHeader(text(2911 + c));
    for (int c = 0; c < 3; ++c) {
        CG_ByteIN->Columns().Items(c).SetHeader(text(2915 + c));
        CG_ByteOUT->Columns().Items(c).SetHeader(text(2918 + c));
    }
}

// Showing --------------------------------------------------------------------------------------------

void TFDefOffset::FormShow() {
    List_Slaves_DN.clear();
    MAX_BYTE_IN = 1440;
    MAX_BYTE_OUT = 1440;
    const auto items = [](int size) {
        QStringList l{devicenet::kNone};
        l.reserve(size + 1);
        for (int i = 0; i < size; ++i) l << QString::number(i);
        return l;
    };
    CG_ByteIN->Columns().Items(1).SetComboItems(items(MAX_BYTE_IN));
    CG_ByteOUT->Columns().Items(1).SetComboItems(items(MAX_BYTE_OUT));
    Slave_Before_Select = -1;
    loadFailed_ = false;
    networkRead_ = false;
    Load_Slave_DN();
    Load_Offset_Slave_DN();
    Select_First();
}

void TFDefOffset::Load_Slave_DN() {
    CG_DN_Slaves->SetRowCount(1);
    if (!plat::fileExists(g_DNETMNetFile)) return;
    networkRead_ = true;
    QString readError;
    const std::optional<QByteArray> bytes = plat::readFile(g_DNETMNetFile, &readError);
    if (!bytes) {
        loadFailed_ = true;
        plat::dialogs().error(QStringLiteral("Error in \"DNETM_Net.xml\": %1").arg(readError));
        return;
    }
    devicenet::Network net = devicenet::readNetwork(*bytes);
    // Only the slaves read are listed: every row of the slave grid has its slave.
    CG_DN_Slaves->SetRowCount(int(net.slaves.size()) + 1);
    for (size_t i = 0; i < net.rows.size(); ++i)
        for (int c = 0; c < 4; ++c) CG_DN_Slaves->SetCells(c, int(i) + 1, net.rows[i].value(c));
    List_Slaves_DN = std::move(net.slaves);
    if (!net.error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(net.error);
    }
}

void TFDefOffset::Load_Offset_Slave_DN() {
    if (!plat::fileExists(g_DNETMDefOffFile)) return;
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(g_DNETMDefOffFile, &error);
    if (bytes) error = devicenet::readOffsets(*bytes, List_Slaves_DN);
    else error = QStringLiteral("Error in \"%1\": %2").arg(kOffsetFileName, error);
    if (!error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(error);
    }
}

void TFDefOffset::Select_First() {
    if (CG_DN_Slaves->RowCount() < 2) {
        Slave_Before_Select = -1;
        Update_Slave_DN();
        return;
    }
    CG_DN_Slaves->SetRow(1);
    CG_DN_SlavesClick();
}

TSlave_DN* TFDefOffset::shownSlave() {
    if (Slave_Before_Select < 0 || size_t(Slave_Before_Select) >= List_Slaves_DN.size()) return nullptr;
    return &List_Slaves_DN[size_t(Slave_Before_Select)];
}

void TFDefOffset::CG_DN_SlavesClick() {
    if (shownSlave()) Save_Data_ByteIN_ByteOUT();
    const int row = CG_DN_Slaves->Row();
    if (row >= 1 && row < CG_DN_Slaves->RowCount()) {
        CG_DN_Slaves->SelectRows(row, 1);
        Slave_Before_Select = row - 1;
    } else {
        Slave_Before_Select = -1;
    }
    Update_Slave_DN();
}

void TFDefOffset::Update_Slave_DN() {
    const TSlave_DN* s = shownSlave();
    if (!s) {
        CG_ByteIN->SetRowCount(1);
        CG_ByteOUT->SetRowCount(1);
        return;
    }
    const struct {
        TExColumnGrid* grid;
        const QStringList* offsets;
        const QStringList* mnemonics;
    } sides[] = {{CG_ByteIN, &s->SL_ByteIN, &s->SL_ByteIN_M}, {CG_ByteOUT, &s->SL_ByteOUT, &s->SL_ByteOUT_M}};
    for (const auto& side : sides) {
        const int n = int(side.offsets->size());
        side.grid->SetRowCount(n + 1);
        for (int i = 0; i < n; ++i) {
            side.grid->SetCells(0, i + 1, QString::number(i));
            side.grid->SetCells(1, i + 1, (*side.offsets)[i]);
            side.grid->SetCells(2, i + 1, side.mnemonics->value(i));
        }
        if (n > 0) side.grid->SetRow(1);
    }
}

bool TFDefOffset::Save_Data_ByteIN_ByteOUT() {
    TSlave_DN* s = shownSlave();
    if (!s) return false;
    const struct {
        TExColumnGrid* grid;
        QStringList* offsets;
        QStringList* mnemonics;
    } sides[] = {{CG_ByteIN, &s->SL_ByteIN, &s->SL_ByteIN_M}, {CG_ByteOUT, &s->SL_ByteOUT, &s->SL_ByteOUT_M}};
    for (const auto& side : sides)
        for (int r = 1; r < side.grid->RowCount() && r - 1 < side.offsets->size(); ++r) {
            (*side.offsets)[r - 1] = side.grid->Cells(1, r);
            (*side.mnemonics)[r - 1] = side.grid->Cells(2, r);
        }
    return true;
}

// Checking and saving --------------------------------------------------------------------------------

void TFDefOffset::Reset_Array_Check() { devicenet::resetOwners(Check_Byte_Offset, MAX_BYTE_OUT); }

bool TFDefOffset::Check_Data() {
    Reset_Array_Check();
    const devicenet::OffsetProblem p = devicenet::checkOutputOffsets(List_Slaves_DN, Check_Byte_Offset);
    if (p.kind == devicenet::OffsetProblem::None) return true;
    plat::dialogs().error(devicenet::offsetMessage(p, MAX_BYTE_OUT));
    return false;
}

bool TFDefOffset::Save_Offset_Slave_DN() {
    XML1.clear();
    devicenet::writeOffsets(List_Slaves_DN, XML1);
    QString error;
    if (!XML1.save(g_DNETMDefOffFile, &error)) {
        plat::dialogs().error(QStringLiteral("\"%1\" could not be saved: %2").arg(kOffsetFileName, error));
        return false;
    }
    return true;
}

void TFDefOffset::bitbtn1Click() {
    Save_Data_ByteIN_ByteOUT();
    if (!Check_Data()) return;
    // Without a network file there are no slaves to define: the offsets kept so far stay as they are.
    if (!networkRead_) {
        SetModalResult(plat::mrOk);
        return;
    }
    if (loadFailed_ &&
        plat::dialogs().questionYesNo(
            QStringLiteral("\"DNETM_Net.xml\" or \"%1\" could not be read completely when this window opened, so "
                           "the offsets shown are not all of them. Saving replaces \"%1\" with what is shown here. "
                           "Overwrite it?")
                .arg(kOffsetFileName)) != plat::Answer::Yes)
        return;
    if (!Save_Offset_Slave_DN()) return;
    loadFailed_ = false;
    SetModalResult(plat::mrOk);
}
