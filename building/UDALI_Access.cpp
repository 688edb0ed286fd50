#include "building/UDALI_Access.h"

#include "building/BuildingLists.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using dali::text;

const QColor kPanelColor(248, 245, 237);
constexpr int kOKLeft = 16, kCancelLeft = 134;
// The two device buttons and the four row buttons share the places after OK and Cancel.
constexpr int kSecondLefts[4] = {252, 370, 488, 606};

// Set-access grid: headers, hints (-1: none) and widths by column.
constexpr int kRuleHeaders[13] = {4900, 4901, 4902, 4903, 4904, 4905, 4910, 4907, 4908, 4913, 4909, 4958, 4914};
constexpr int kRuleHints[13] = {-1, 4915, 4916, 4917, 4918, 4919, 4924, 4921, 4922, 4927, 4923, 4959, 4928};
constexpr int kRuleWidths[13] = {40, 50, 80, 120, 80, 60, 70, 70, 70, 70, 70, 70, 130};

struct FunctionColumn {
    int header;
    int hint;
    TEditorType editor;
    int width;
    TColor colour;
};
const FunctionColumn kFunctionColumns[8] = {
    {4939, -1, edNormal, 40, clWindow},
    {4940, 4945, edComboList, 120, building::kIdentityColour},
    {4941, 4946, edComboList, 160, building::kProtocolColour},
    {4942, 4947, edComboEdit, 130, building::kProtocolColour},
    {4960, 4962, edComboList, 130, building::kDataColour},
    {4961, 4963, edNormal, 80, building::kDataColour},
    {4943, 4948, edNormal, 90, building::kIdentityColour},
    {4944, 4949, edNormal, 200, clWhite},
};

// The prefixes of the family's own messages (a gap in a list, a text a file cannot hold).
const char* const kListPrefix[2] = {"Functions - Error Row ", "Set Access - Error Row "};

void paintPanel(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kPanelColor);
    w->setPalette(p);
}

TFadeButton* button(QWidget* parent, const char* name, const char* caption, int left) {
    auto* b = NewHouseButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 6, 110, 28);
    return b;
}

QWidget* page(QTabWidget* tabs, const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    tabs->addTab(w, QString());
    return w;
}

}  // namespace

TFDALI_Access::TFDALI_Access(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FDALI_Access"));
    SetClientSize(kClientWidth, kClientHeight);
    paintPanel(this);
    SetTitleHeight(kTitleHeight);
    P_Title = TitleStrip();
    paintPanel(P_Title);
    L_SW_Code()->setText(g_SWCode);
    // The byte counts of other models of the family: never shown here.
    QLabel** labels[4] = {&L_NBI_Title, &L_NBI_Value, &L_NBO_Title, &L_NBO_Value};
    const char* labelNames[4] = {"L_NBI_Title", "L_NBI_Value", "L_NBO_Title", "L_NBO_Value"};
    for (int i = 0; i < 4; ++i) {
        *labels[i] = new QLabel(P_Title);
        (*labels[i])->setObjectName(QString::fromLatin1(labelNames[i]));
        (*labels[i])->hide();
    }

    PC_DALI = new QTabWidget(this);
    PC_DALI->setObjectName(QStringLiteral("PC_DALI"));
    TS_Select_Device = page(PC_DALI, "TS_Select_Device");
    TS_Set_Access = page(PC_DALI, "TS_Set_Access");
    TS_Functions = page(PC_DALI, "TS_Functions");

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    paintPanel(P_Button);
    Btn_OK = button(P_Button, "Btn_OK", "OK", kOKLeft);
    Btn_Cancel = button(P_Button, "Btn_Cancel", "Cancel", kCancelLeft);
    Btn_SelectAll = button(P_Button, "Btn_SelectAll", "Select All", kSecondLefts[0]);
    Btn_ClearAll = button(P_Button, "Btn_ClearAll", "Clear All", kSecondLefts[1]);
    Btn_DelRow = button(P_Button, "Btn_DelRow", "Delete Row", kSecondLefts[0]);
    Btn_InsRow = button(P_Button, "Btn_InsRow", "Insert Row", kSecondLefts[1]);
    Btn_CopyRow = button(P_Button, "Btn_CopyRow", "Copy Row", kSecondLefts[2]);
    Btn_PasteRow = button(P_Button, "Btn_PasteRow", "Paste Row", kSecondLefts[3]);
    Btn_DALI_Maps = button(P_Button, "Btn_DALI_Maps", "DALI Maps", kSecondLefts[3] + 118);
    Btn_DALI_Maps->hide();
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    plat::onSignal(Btn_SelectAll, &TFadeButton::clicked, this, [this]() { Btn_SelectAllClick(); });
    plat::onSignal(Btn_ClearAll, &TFadeButton::clicked, this, [this]() { Btn_ClearAllClick(); });
    plat::onSignal(Btn_DelRow, &TFadeButton::clicked, this, [this]() { Btn_DelRowClick(); });
    plat::onSignal(Btn_InsRow, &TFadeButton::clicked, this, [this]() { Btn_InsRowClick(); });
    plat::onSignal(Btn_CopyRow, &TFadeButton::clicked, this, [this]() { Btn_CopyRowClick(); });
    plat::onSignal(Btn_PasteRow, &TFadeButton::clicked, this, [this]() { Btn_PasteRowClick(); });

    buildDeviceGrids();
    buildMenus();
    buildFunctionsGrid();

    // FormCreate: the drop-down lists, the texts, the first page, the set-access grid.
    DevSen = dali::deviceOrSensor();
    DevType = dali::deviceTypes();
    SenType = dali::sensorTypes();
    NumBytes = dali::numBytes();
    SenEvent = dali::events();
    Channel = dali::channels();
    SG = new TExStringGrid(TS_Set_Access);
    SG->setObjectName(QStringLiteral("SG"));
    Set_Table_Grid_Form(*SG, true);
    TS_Set_Access->layout()->addWidget(SG);
    Init_Table();
    SG->Loaded();
    Set_Lang();
    PC_DALI->setCurrentIndex(0);
    plat::onSignal(PC_DALI, &QTabWidget::currentChanged, this, [this](int) { PC_DALIChange(); });
    PC_DALIChange();
    resizeEvent(nullptr);
}

void TFDALI_Access::buildDeviceGrids() {
    Splitter1 = new QSplitter(Qt::Vertical, TS_Select_Device);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    TS_Select_Device->layout()->addWidget(Splitter1);
    PDaliDevice = new QWidget;
    PDaliDevice->setObjectName(QStringLiteral("PDaliDevice"));
    auto* dl = new QVBoxLayout(PDaliDevice);
    dl->setContentsMargins(0, 0, 0, 0);
    CG_DALI_Device = new TExColumnGrid(PDaliDevice);
    CG_DALI_Device->setObjectName(QStringLiteral("CG_DALI_Device"));
    Set_Table_Grid_Form(*CG_DALI_Device);
    dl->addWidget(CG_DALI_Device);
    Splitter1->addWidget(PDaliDevice);
    PDaliGroupBroad = new QWidget;
    PDaliGroupBroad->setObjectName(QStringLiteral("PDaliGroupBroad"));
    PDaliGroupBroad->setMinimumHeight(30);
    auto* gl = new QVBoxLayout(PDaliGroupBroad);
    gl->setContentsMargins(0, 0, 0, 0);
    CG_DALI_GroupBroad = new TExColumnGrid(PDaliGroupBroad);
    CG_DALI_GroupBroad->setObjectName(QStringLiteral("CG_DALI_GroupBroad"));
    Set_Table_Grid_Form(*CG_DALI_GroupBroad);
    gl->addWidget(CG_DALI_GroupBroad);
    Splitter1->addWidget(PDaliGroupBroad);
    // Groups and broadcast are not configured here: their panel and its splitter stay hidden.
    PDaliGroupBroad->hide();

    // One row per short address; column 0 holds the device names, no row numbers.
    TExColumnGrid& d = *CG_DALI_Device;
    d.SetFixedCols(0);
    d.SetColCount(6);
    d.SetRowCount(dali::kDevices + 1);
    const int widths[6] = {160, 70, 70, 110, 110, 260};
    for (int c = 0; c < 6; ++c) d.Columns().Items(c).SetWidth(widths[c]);
    for (int c : {int(dEnable), int(dMinMax)}) {
        TGridColumnItem& item = d.Columns().Items(c);
        item.SetEditor(edDataCheckBox);
        item.SetAlignment(taCenter);
    }
    // The device names come from the texts and are not saved: an edit there would be lost.
    d.Columns().Items(dName).ReadOnly = true;
    d.Columns().Items(dAddress).ReadOnly = true;
    d.Columns().Items(dDimming).SetEditor(edComboList);
    d.Columns().Items(dDimming).SetComboItems(dali::dimmingModes());
    d.Columns().Items(dRecall).SetEditor(edComboList);
    d.Columns().Items(dRecall).SetComboItems(dali::recallLevels());
    d.Columns().Items(dEnable).SetColor(building::kIdentityColour);
    d.Columns().Items(dMinMax).SetColor(building::kProtocolColour);
    d.Columns().Items(dRecall).SetColor(building::kProtocolColour);
    d.HideColumns(dAddress, dDimming);

    TExColumnGrid& g = *CG_DALI_GroupBroad;
    g.SetColCount(4);
    g.SetRowCount(18);
    const int groupWidths[4] = {160, 110, 110, 260};
    for (int c = 0; c < 4; ++c) g.Columns().Items(c).SetWidth(groupWidths[c]);
    g.Columns().Items(1).SetEditor(edComboList);
    g.Columns().Items(1).SetComboItems(dali::dimmingModes());
    g.Columns().Items(2).SetEditor(edDataCheckBox);
    g.Columns().Items(2).SetAlignment(taCenter);
    g.Columns().Items(3).SetEditor(edComboList);
    g.Columns().Items(3).SetComboItems(dali::recallLevels());
}

void TFDALI_Access::buildMenus() {
    struct Entry {
        const char* caption;
        int column;
        QString value;
    };
    const auto menu = [this](const char* name, std::initializer_list<Entry> entries) {
        auto* m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(name));
        for (const Entry& e : entries) {
            QAction* a = m->addAction(QString::fromLatin1(e.caption));
            const int column = e.column;
            const QString value = e.value;
            plat::onSignal(a, &QAction::triggered, this, [this, column, value](bool) { setDeviceColumn(column, value); });
        }
        return m;
    };
    const QStringList& recall = dali::recallLevels();
    PM_MinMax = menu("PM_MinMax", {{"Select All", dMinMax, QStringLiteral("Y")}, {"Clear All", dMinMax, QStringLiteral("N")}});
    PM_Recall = menu("PM_Recall", {{"Select All None", dRecall, recall[0]},
                                   {"Select All Recall Min-Max Level for Switch", dRecall, recall[1]},
                                   {"Select All Recall Old Value Level for Switch", dRecall, recall[2]}});
    PM_Dimming = menu("PM_Dimming", {{"Select All Normal", dDimming, dali::dimmingModes()[0]},
                                     {"Select All Start Break", dDimming, dali::dimmingModes()[1]}});
    // A right click on the header opens them (the items' default kind of click).
    CG_DALI_Device->Columns().Items(dMinMax).ColumnPopup = PM_MinMax;
    CG_DALI_Device->Columns().Items(dRecall).ColumnPopup = PM_Recall;
    CG_DALI_Device->Columns().Items(dDimming).ColumnPopup = PM_Dimming;
    CG_DALI_Device->Loaded();
    CG_DALI_GroupBroad->Loaded();
}

void TFDALI_Access::buildFunctionsGrid() {
    CG = new TExColumnGrid(TS_Functions);
    CG->setObjectName(QStringLiteral("CG"));
    Set_Table_Grid_Form(*CG);
    TS_Functions->layout()->addWidget(CG);
    CG->SetColCount(8);
    CG->SetRowCount(dali::kFunctionRows + 1);
    for (int c = 0; c < 8; ++c) {
        TGridColumnItem& item = CG->Columns().Items(c);
        item.SetEditor(kFunctionColumns[c].editor);
        item.SetWidth(kFunctionColumns[c].width);
        item.SetColor(kFunctionColumns[c].colour);
    }
    CG->Columns().Items(dali::fFunction).SetComboItems(dali::functions());
    CG->Columns().Items(dali::fCondition).SetComboItems(dali::conditions());
    CG->Columns().Items(dali::fValue).SetComboItems(dali::events());
    CG->Columns().Items(dali::fChannel).SetComboItems(dali::channels());
    CG->Columns().Items(dali::fChannel).DropDownCount = 16;
    CG->OnComboChange = [this](QObject* s, int c, int r, int i, const QString& t) { CGComboChange(s, c, r, i, t); };
    gridEvents(*CG, &Hint_Fun);
    CG->Loaded();
}

void TFDALI_Access::Init_Table() {
    SG->SetColCount(13);
    SG->SetRowCount(dali::kRuleRows + 1);
    for (int c = 0; c < 13; ++c) SG->SetAllColWidths(c, kRuleWidths[c]);
    SG->AddCheckBoxColumn(dali::rEnable, true, false);
    for (int r = 1; r < SG->RowCount(); ++r) SG->SetCells(0, r, QString::number(r));
    SG->OnGetEditorType = [this](QObject* s, int c, int r, TEditorType& e) { SGGetEditorType(s, c, r, e); };
    gridEvents(*SG, &Hint);
}

void TFDALI_Access::gridEvents(TExStringGrid& grid, QStringList* hints) {
    grid.OnClickCell = [&grid](QObject*, int ARow, int ACol) {
        if (ACol == 0 && ARow >= 1) grid.SelectRows(ARow, 1);
    };
    grid.OnDblClickCell = [&grid](QObject*, int ARow, int ACol) { Grid_Auto_Size_Col(grid, ARow, ACol); };
    grid.OnKeyPress = [&grid](QObject*, QChar& Key) { Grid_Enter_Next_Cell(grid, Key); };
    grid.OnGridHint = [hints, &grid](QObject*, int ARow, int ACol, QString& hint) {
        hint.clear();
        const int real = grid.RealColIndex(ACol);
        if (ARow == 0 && real >= 1) hint = hints->value(real - 1);
    };
}

void TFDALI_Access::resizeEvent(QResizeEvent* event) {
    if (event) plat::TForm::resizeEvent(event);
    if (!P_Button || !PC_DALI) return;
    const int w = width(), h = height();
    P_Title->setGeometry(0, 0, w, kTitleHeight);
    PC_DALI->setGeometry(0, kTitleHeight, w, h - kTitleHeight - kButtonPanelHeight);
    P_Button->setGeometry(0, h - kButtonPanelHeight, w, kButtonPanelHeight);
}

void TFDALI_Access::Set_Lang() {
    setWindowTitle(text(4500));
    L_SW_Desc()->setText(text(4501));
    Btn_OK->SetCaption(text(4502));
    Btn_Cancel->SetCaption(text(4503));
    Btn_SelectAll->SetCaption(text(4504));
    Btn_ClearAll->SetCaption(text(4505));
    Btn_OK->SetHint(text(4506));
    Btn_Cancel->SetHint(text(4507));
    Btn_SelectAll->SetHint(text(4508));
    Btn_ClearAll->SetHint(text(4509));
    Btn_DALI_Maps->SetCaption(text(4653));
    for (int n = 0; n < dali::kDevices; ++n) CG_DALI_Device->SetCells(dName, n + 1, text(4510 + n));
    for (int c = 0; c < 6; ++c) CG_DALI_Device->Columns().Items(c).SetHeader(text(4658 + c));
    for (int c = 0; c < 4; ++c) CG_DALI_GroupBroad->Columns().Items(c).SetHeader(text(4664 + c));
    for (int r = 1; r <= 17; ++r) CG_DALI_GroupBroad->SetCells(0, r, text(4667 + r));
    Hint.clear();
    for (int c = 0; c < 13; ++c) {
        SG->SetCells(c, 0, text(kRuleHeaders[c]));
        if (c > 0) Hint << text(kRuleHints[c]);
    }
    Hint_Fun.clear();
    for (int c = 0; c < 8; ++c) {
        CG->Columns().Items(c).SetHeader(text(kFunctionColumns[c].header));
        if (c > 0) Hint_Fun << text(kFunctionColumns[c].hint);
    }
    PC_DALI->setTabText(0, text(4955));
    PC_DALI->setTabText(1, text(4956));
    PC_DALI->setTabText(2, text(4957));
    // Long headers ("Time Send", "Num Bytes") take a second line rather than wider columns.
    const std::initializer_list<TExStringGrid*> grids = {CG_DALI_Device, CG_DALI_GroupBroad, SG, CG};
    for (TExStringGrid* g : grids) Fit_Header_Row(*g);
}

// Pages ------------------------------------------------------------------------------------------

void TFDALI_Access::PC_DALIChange() {
    const bool devices = PC_DALI->currentWidget() == TS_Select_Device;
    Btn_SelectAll->setVisible(devices);
    Btn_ClearAll->setVisible(devices);
    TFadeButton* rowButtons[4] = {Btn_DelRow, Btn_InsRow, Btn_CopyRow, Btn_PasteRow};
    for (int i = 0; i < 4; ++i) {
        rowButtons[i]->move(kSecondLefts[i], rowButtons[i]->y());
        rowButtons[i]->setVisible(!devices);
    }
    Btn_SelectAll->move(kSecondLefts[0], Btn_SelectAll->y());
    Btn_ClearAll->move(kSecondLefts[1], Btn_ClearAll->y());
    Btn_DALI_Maps->hide();
    Compile_Function();
}

void TFDALI_Access::Compile_Function() {
    SelFunct.clear();
    SelFunct << QStringLiteral("0 - None");
    for (int r = 1; r < CG->RowCount(); ++r)
        SelFunct << QString::number(r) + QStringLiteral(" - ") + CG->Cells(dali::fMnemonic, r);
}

void TFDALI_Access::SGGetEditorType(QObject*, int ACol, int ARow, TEditorType& AEditor) {
    const QStringList* items = nullptr;
    switch (ACol) {
    case dali::rDevSen: items = &DevSen; break;
    case dali::rType: {
        static const QStringList none;
        const QString kind = SG->Cells(dali::rDevSen, ARow);
        items = kind == u"Device" ? &DevType : kind == u"Sensor" ? &SenType : &none;
        break;
    }
    case dali::rFunction: items = &SelFunct; break;
    case dali::rNumBytes: items = &NumBytes; break;
    default: return;
    }
    AEditor = edComboList;
    SG->ClearComboString();
    for (const QString& s : *items) SG->AddComboString(s);
}

void TFDALI_Access::CGComboChange(QObject*, int ACol, int ARow, int, const QString& ASelection) {
    if (ACol == dali::fValue) SetConditionOnEvent(ARow, ASelection);
}

void TFDALI_Access::SetConditionOnEvent(int ARow, const QString& Value) {
    if (const std::optional<QString> condition = dali::conditionForEvent(TrimCtl(Value)))
        CG->SetCells(dali::fCondition, ARow, *condition);
}

// Device page ------------------------------------------------------------------------------------

void TFDALI_Access::setDeviceColumn(int ACol, const QString& value) {
    for (int r = 1; r < CG_DALI_Device->RowCount(); ++r) CG_DALI_Device->SetCells(ACol, r, value);
    CG_DALI_Device->update();
}

void TFDALI_Access::Btn_SelectAllClick() { setDeviceColumn(dEnable, QStringLiteral("Y")); }
void TFDALI_Access::Btn_ClearAllClick() { setDeviceColumn(dEnable, QStringLiteral("N")); }

// Showing ----------------------------------------------------------------------------------------

void TFDALI_Access::FormShow() {
    loadFailed_ = false;
    resetDevices();
    if (plat::fileExists(g_DALIAccessFile)) loadDevices();
    resetRules();
    if (plat::fileExists(g_DALI2AccessFile)) loadRules();
    // A row copied at an earlier showing is not pasted into this one.
    Do_Copy = false;
    Do_Copy_Fun = false;
    if (CG_DALI_Device->isVisible()) CG_DALI_Device->setFocus();
    PC_DALIChange();
}

void TFDALI_Access::resetDevices() {
    // Min-Max Value and Recall Level too: a file without them must not show those of another project.
    for (int r = 1; r < CG_DALI_Device->RowCount(); ++r) {
        CG_DALI_Device->SetCells(dEnable, r, QStringLiteral("N"));
        CG_DALI_Device->SetCells(dDimming, r, dali::dimmingModes()[0]);
        CG_DALI_Device->SetCells(dMinMax, r, QStringLiteral("N"));
        CG_DALI_Device->SetCells(dRecall, r, dali::recallLevels()[0]);
    }
}

void TFDALI_Access::loadDevices() {
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(g_DALIAccessFile, &error);
    if (!bytes) {
        loadFailed_ = true;
        plat::dialogs().error(QStringLiteral("Error in \"DALI_Access.xml\": %1").arg(error));
        return;
    }
    const dali::DevicesRead read = dali::readDevices(*bytes);
    if (!read.error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(read.error);
        return;
    }
    for (int n = 0; n < dali::kDevices; ++n) {
        const dali::DeviceRead& d = read.devices[size_t(n)];
        CG_DALI_Device->SetCells(dEnable, n + 1, d.enable ? QStringLiteral("Y") : QStringLiteral("N"));
        if (d.minMax) CG_DALI_Device->SetCells(dMinMax, n + 1, *d.minMax ? QStringLiteral("Y") : QStringLiteral("N"));
        if (d.recall) CG_DALI_Device->SetCells(dRecall, n + 1, *d.recall);
    }
}

void TFDALI_Access::resetRules() {
    for (int r = 1; r < SG->RowCount(); ++r) {
        SG->SetCells(0, r, QString::number(r));
        SG->SetCheckBoxState(dali::rEnable, r, true);
        for (int c = 1; c < SG->TotalColCount(); ++c) {
            if (c != dali::rEnable) SG->SetCells(c, r, QString());
            // A row a Delete left read-only is a fresh row again.
            SG->SetReadOnly(c, r, false);
        }
    }
    for (int r = 1; r < CG->RowCount(); ++r) {
        CG->SetCells(0, r, QString::number(r));
        for (int c = 1; c < CG->TotalColCount(); ++c) CG->SetCells(c, r, QString());
    }
    SG->SetRow(1);
    CG->SetRow(1);
}

void TFDALI_Access::loadRules() {
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(g_DALI2AccessFile, &error);
    if (!bytes) {
        loadFailed_ = true;
        plat::dialogs().error(QStringLiteral("Error in \"DALI2_Access.xml\": %1").arg(error));
        return;
    }
    const accesslist::ReadResult read = accesslist::readList(dali::rulesSchema(), *bytes);
    if (!read.sections.empty()) {
        const accesslist::Rows& functions = read.sections[0];
        for (int i = 0; i < int(functions.size()); ++i)
            for (int c = 1; c < CG->TotalColCount(); ++c) CG->SetCells(c, i + 1, functions[size_t(i)].value(c));
    }
    if (read.sections.size() > 1) {
        const accesslist::Rows& rules = read.sections[1];
        for (int i = 0; i < int(rules.size()); ++i) {
            const accesslist::Row& row = rules[size_t(i)];
            SG->SetCheckBoxState(dali::rEnable, i + 1, row.value(dali::rEnable) != u"N");
            for (int c = dali::rEnable + 1; c < SG->TotalColCount(); ++c) SG->SetCells(c, i + 1, row.value(c));
        }
    }
    if (!read.error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(read.error);
        return;
    }
    for (size_t s = 0; s < read.surplus.size(); ++s)
        if (read.surplus[s] > 0)
            plat::dialogs().warning(
                QStringLiteral("\"DALI2_Access.xml\": the section \"%1\" holds %2 rows, the table only %3: the last "
                               "%4 rows are not shown and will be dropped when the list is saved.")
                    .arg(QString::fromLatin1(dali::rulesSchema().sections[s].element))
                    .arg(dali::rulesSchema().sections[s].capacity + read.surplus[s])
                    .arg(dali::rulesSchema().sections[s].capacity)
                    .arg(read.surplus[s]));
}

// Validation and saving ------------------------------------------------------------------------------

std::vector<accesslist::Rows> TFDALI_Access::ruleRows() const {
    std::vector<accesslist::Rows> all(2);
    for (int r = 1; r < CG->RowCount(); ++r) {
        accesslist::Row row{QString()};
        for (int c = 1; c < CG->TotalColCount(); ++c) row << CG->Cells(c, r);
        all[0].push_back(std::move(row));
    }
    for (int r = 1; r < SG->RowCount(); ++r) {
        accesslist::Row row{QString()};
        bool checked = false;
        SG->GetCheckBoxState(dali::rEnable, r, checked);
        row << (checked ? QStringLiteral("Y") : QStringLiteral("N"));
        for (int c = dali::rEnable + 1; c < SG->TotalColCount(); ++c) row << SG->Cells(c, r);
        all[1].push_back(std::move(row));
    }
    return all;
}

bool TFDALI_Access::Controllo_dati() {
    const std::vector<accesslist::Rows> rows = ruleRows();
    const accesslist::Problem p =
        accesslist::validate(dali::rulesSchema(), rows, dali::rules(rows[0], Get_Decimal_Separator()));
    if (p.kind == accesslist::Problem::None) return true;
    QString message;
    if (p.kind == accesslist::Problem::Check) {
        message = dali::formatMessage(text(p.failure.text), p.row, p.failure.limit);
    } else {
        QStringList headers;
        const TExStringGrid& g = p.section == 0 ? static_cast<const TExStringGrid&>(*CG) : *SG;
        for (int c = 0; c < g.TotalColCount(); ++c) headers << g.Cells(c, 0);
        message = accesslist::problemMessage(dali::rulesSchema(), p, QString::fromLatin1(kListPrefix[p.section]), headers);
    }
    plat::dialogs().error(message);
    return false;
}

bool TFDALI_Access::saveFiles() {
    std::vector<dali::DeviceRow> devices;
    for (int r = 1; r < CG_DALI_Device->RowCount(); ++r)
        devices.push_back({CG_DALI_Device->Cells(dEnable, r), CG_DALI_Device->Cells(dMinMax, r),
                           CG_DALI_Device->Cells(dRecall, r)});
    XML1.clear();
    dali::writeDevices(devices, XML1);
    QString error;
    if (!XML1.save(g_DALIAccessFile, &error)) {
        plat::dialogs().error(QStringLiteral("\"DALI_Access.xml\" could not be saved: %1").arg(error));
        return false;
    }
    XML1.clear();
    accesslist::writeList(dali::rulesSchema(), ruleRows(), XML1);
    if (!XML1.save(g_DALI2AccessFile, &error)) {
        plat::dialogs().error(QStringLiteral("\"DALI2_Access.xml\" could not be saved: %1").arg(error));
        return false;
    }
    return true;
}

void TFDALI_Access::Btn_OKClick() {
    if (!Controllo_dati()) return;
    if (loadFailed_ &&
        plat::dialogs().questionYesNo(
            QStringLiteral("The DALI files could not be read completely when this window opened, so it does not show "
                           "all of them. Saving replaces them with what is shown here. Overwrite them?")) !=
            plat::Answer::Yes)
        return;
    if (!saveFiles()) return;
    loadFailed_ = false;
    SetModalResult(plat::mrOk);
}

// Row buttons ----------------------------------------------------------------------------------------

void TFDALI_Access::Btn_DelRowClick() {
    const bool functions = PC_DALI->currentWidget() == TS_Functions;
    TExStringGrid& g = functions ? static_cast<TExStringGrid&>(*CG) : *SG;
    const int row = g.Row();
    if (row < 1) return;
    if (plat::dialogs().questionYesNo(dali::formatMessage(text(4954), row, std::nullopt)) != plat::Answer::Yes) return;
    if (functions)
        Delete_Row_Grid(row, *CG);
    else
        Delete_Row_Check_Grid(row, *SG, true);
}

void TFDALI_Access::Btn_InsRowClick() {
    if (PC_DALI->currentWidget() == TS_Functions)
        Insert_Row_Grid(CG->Row(), *CG, false);
    else
        Insert_Row_Check_Grid(SG->Row(), *SG, true);
}

void TFDALI_Access::Btn_CopyRowClick() {
    // A row copied in one list cannot be pasted into the other.
    if (PC_DALI->currentWidget() == TS_Functions) {
        Copy_Row_Grid(*CG, CG->Row());
        Do_Copy_Fun = true;
        Do_Copy = false;
    } else {
        Copy_Row_Check_Grid(*SG, SG->Row());
        Do_Copy = true;
        Do_Copy_Fun = false;
    }
}

void TFDALI_Access::Btn_PasteRowClick() {
    if (PC_DALI->currentWidget() == TS_Functions)
        Paste_Row_Grid(*CG, CG->Row(), Do_Copy_Fun);
    else
        Paste_Row_Check_Grid(*SG, SG->Row(), Do_Copy);
}
