#include "gateway/UMQTT_Set_Topic.h"

#include "controls/FadeButton.h"
#include "controls/TextCase.h"
#include "gateway/MQTTTopicFile.h"
#include "gateway/UTopicTemplate.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>
#include <span>

namespace {

constexpr int kClientWidth = 1100;
constexpr int kClientHeight = 337;
constexpr int kButtonHeight = 40;
constexpr int kGridRows = topicfile::kMaxRows + 1;
constexpr int kDefaultAreaBytes = 1438;
constexpr int kTopicCol = 1;
constexpr int kPubTemplateCol = 10;
constexpr int kSubTemplateCol = 12;

enum class Items { None, QoS, DataType, Template, Channel, EthType };

// One grid column: header and hint texts, editor, drop-down items and width.
struct ColumnDef {
    int header;
    int hint;  // -1: none
    TEditorType editor;
    Items items;
    int width;
};

constexpr TEditorType kText = edNormal;
constexpr TEditorType kCheck = edDataCheckBox;
constexpr TEditorType kList = edComboList;
constexpr TEditorType kEditList = edComboEdit;

constexpr ColumnDef kPublishColumns[topicfile::kPublishColumns] = {
    {714, -1, kText, Items::None, 40},          {715, 719, kText, Items::None, 300},
    {716, 720, kCheck, Items::None, 60},        {717, 721, kList, Items::QoS, 80},
    {737, 740, kList, Items::DataType, 80},     {738, 741, kText, Items::None, 80},
    {739, 742, kText, Items::None, 80},         {762, 764, kText, Items::None, 100},
    {5000, 5002, kCheck, Items::None, 40},      {763, 765, kText, Items::None, 120},
    {735, 736, kEditList, Items::Template, 130}, {781, 782, kCheck, Items::None, 75},
    {783, 786, kCheck, Items::None, 55},        {784, 787, kCheck, Items::None, 64},
    {785, 788, kText, Items::None, 70},         {790, 791, kList, Items::Channel, 90},
    {793, 795, kCheck, Items::None, 40},        {794, 796, kCheck, Items::None, 80},
    {718, 722, kText, Items::None, 170},
};

constexpr ColumnDef kSubscribeColumns[topicfile::kSubscribeColumns] = {
    {724, -1, kText, Items::None, 40},          {725, 729, kText, Items::None, 300},
    {726, 730, kCheck, Items::None, 60},        {727, 731, kList, Items::QoS, 80},
    {743, 747, kList, Items::DataType, 80},     {744, 748, kText, Items::None, 80},
    {745, 749, kText, Items::None, 80},         {766, 770, kText, Items::None, 100},
    {767, 771, kText, Items::None, 50},         {768, 772, kList, Items::EthType, 64},
    {769, 773, kText, Items::None, 130},        {5001, 5003, kCheck, Items::None, 40},
    {746, 750, kEditList, Items::Template, 130}, {793, 797, kCheck, Items::None, 40},
    {794, 798, kCheck, Items::None, 80},        {728, 732, kText, Items::None, 220},
};

// The checks of one table: the column each reads (-1: the table has none) and its message.
struct TableChecks {
    const char* name;
    int byteSizeOf;  // 0: Byte_IN, 1: Byte_OUT
    int qos, dataType, dimension, position, ipAddress, port, inputTemplate, templ, onTimer, time;
    int msgDataType, msgDimInt, msgDimFloat, msgDimOther, msgPosition, msgIp, msgPort, msgInputTemplate,
        msgTemplate, msgTime;
};

constexpr TableChecks kPublishChecks{"[MQTT Publish]", 0, 3, 4, 5, 6, 7, -1, 9, 10, 13, 14,
                                     752, 753, 754, 755, 756, 774, -1, 777, 778, 789};
constexpr TableChecks kSubscribeChecks{"[MQTT Subscribe]", 1, 3, 4, 5, 6, 7, 8, 10, 12, -1, -1,
                                       757, 758, 759, 760, 761, 775, 776, 779, 780, -1};

QString text(int n) { return Text_Table.value(n); }

QStringList itemsOf(Items items) {
    switch (items) {
    case Items::QoS:
        return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
    case Items::DataType:
        return {QStringLiteral("Int"), QStringLiteral("SInt"), QStringLiteral("Float"), QStringLiteral("String"),
                QStringLiteral("Base64")};
    case Items::Template:
        return {QStringLiteral("$VALUE$")};
    case Items::EthType:
        return {QStringLiteral("TCP"), QStringLiteral("UDP")};
    case Items::Channel: {
        QStringList l;
        for (int i = 0; i <= 63; ++i) l << QString::number(i);
        l << QStringLiteral("All");
        for (int i = 1; i <= 256; ++i) l << QStringLiteral("TAB%1").arg(i, 3, 10, QLatin1Char('0'));
        return l;
    }
    case Items::None:
        break;
    }
    return {};
}

void buildColumns(TExColumnGrid& grid, std::span<const ColumnDef> defs) {
    grid.SetColCount(int(defs.size()));
    for (int c = 0; c < int(defs.size()); ++c) {
        TGridColumnItem& item = grid.Columns().Items(c);
        item.SetEditor(defs[c].editor);
        // Check boxes sit in the middle of their column, as on every table of the program.
        if (defs[c].editor == edDataCheckBox) item.SetAlignment(taCenter);
        item.SetComboItems(itemsOf(defs[c].items));
        item.SetWidth(defs[c].width);
        item.CheckTrue = QStringLiteral("Y");
        item.CheckFalse = QStringLiteral("N");
    }
}

void labelColumns(TExColumnGrid& grid, std::span<const ColumnDef> defs, QStringList& hints) {
    hints.clear();
    for (int c = 0; c < int(defs.size()); ++c) {
        grid.Columns().Items(c).SetHeader(text(defs[c].header));
        if (c > 0) hints << text(defs[c].hint);
    }
}

// A text read as an integer by the house rule, -1 when it is not one.
int intOrMinusOne(const QString& s) { return plat::tryStrToInt(s).value_or(-1); }

bool isCheckColumn(const TExColumnGrid& grid, int c) {
    return c < grid.Columns().Count() && grid.Columns().Items(c).Editor() == edDataCheckBox;
}

// A row holds something worth keeping: a text other than blanks, or a ticked box.
bool rowInUse(const TExColumnGrid& grid, int row) {
    for (int c = 1; c < grid.TotalColCount(); ++c) {
        const QString cell = grid.Cells(c, row);
        if (isCheckColumn(grid, c) ? cell == grid.Columns().Items(c).CheckTrue : !TrimCtl(cell).isEmpty())
            return true;
    }
    return false;
}

// The rows of a table: from row 1 down to the first row whose Topic is blank.
std::vector<topicfile::Row> tableRows(const TExColumnGrid& grid) {
    std::vector<topicfile::Row> rows;
    for (int r = 1; r < grid.RowCount() && !TrimCtl(grid.Cells(kTopicCol, r)).isEmpty(); ++r) {
        topicfile::Row row;
        for (int c = 0; c < grid.TotalColCount(); ++c) row << (c == 0 ? QString() : grid.Cells(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

void fillGrid(TExColumnGrid& grid, const std::vector<topicfile::Row>& rows) {
    for (int i = 0; i < int(rows.size()) && i + 1 < grid.RowCount(); ++i)
        for (int c = 1; c < grid.TotalColCount(); ++c) grid.SetCells(c, i + 1, rows[size_t(i)].value(c));
}

}  // namespace

TFMQTT_Set_Topic::TFMQTT_Set_Topic(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FMQTT_Set_Topic"));
    SetClientSize(kClientWidth, kClientHeight);
    SetTitleHeight(kTitleHeight);
    L_SW_Code()->setText(g_SWCode);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, kTitleHeight + 2, kClientWidth - 8, kClientHeight - kTitleHeight - kButtonHeight - 2);
    const auto page = [this](const char* name, TExColumnGrid*& grid, const char* gridName) {
        auto* p = new QWidget;
        p->setObjectName(QString::fromLatin1(name));
        auto* l = new QVBoxLayout(p);
        l->setContentsMargins(2, 2, 2, 2);
        grid = new TExColumnGrid(p);
        grid->setObjectName(QString::fromLatin1(gridName));
        Set_Table_Grid_Form(*grid);
        l->addWidget(grid);
        PageControl1->addTab(p, QString());
        return p;
    };
    TS_MQTT_Publish = page("TS_MQTT_Publish", CG_Pub, "CG_Pub");
    TS_MQTT_Subscribe = page("TS_MQTT_Subscribe", CG_Sub, "CG_Sub");
    buildColumns(*CG_Pub, kPublishColumns);
    buildColumns(*CG_Sub, kSubscribeColumns);
    for (TExColumnGrid* g : {CG_Pub, CG_Sub}) {
        g->SetRowCount(kGridRows);
        g->OnDblClickCell = [this](QObject* s, int r, int c) { CG_MQTT_DblClickCell(s, r, c); };
        g->OnGridHint = [this](QObject* s, int r, int c, QString& h) { CG_MQTT_GridHint(s, r, c, h); };
        g->OnKeyPress = [this](QObject* s, QChar& k) { CG_MQTT_KeyPress(s, k); };
        g->Loaded();
    }

    auto* buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("P_Buttons"));
    buttons->setGeometry(0, kClientHeight - kButtonHeight, kClientWidth, kButtonHeight);
    const auto button = [buttons](const char* name, int left) {
        auto* b = NewHouseButton(buttons);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 6, 110, 28);
        return b;
    };
    Btn_OK = button("Btn_OK", 12);
    Btn_Cancel = button("Btn_Cancel", 128);
    Btn_DelRow = button("Btn_DelRow", 270);
    Btn_InsRow = button("Btn_InsRow", 386);
    Btn_CopyRow = button("Btn_CopyRow", 502);
    Btn_PasteRow = button("Btn_PasteRow", 618);
    CB_Allow_CR_LF = new QCheckBox(buttons);
    CB_Allow_CR_LF->setObjectName(QStringLiteral("CB_Allow_CR_LF"));
    CB_Allow_CR_LF->setGeometry(760, 10, 330, 20);

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    plat::onSignal(Btn_DelRow, &TFadeButton::clicked, this, [this]() { Btn_DelRowClick(); });
    plat::onSignal(Btn_InsRow, &TFadeButton::clicked, this, [this]() { Btn_InsRowClick(); });
    plat::onSignal(Btn_CopyRow, &TFadeButton::clicked, this, [this]() { Btn_CopyRowClick(); });
    plat::onSignal(Btn_PasteRow, &TFadeButton::clicked, this, [this]() { Btn_PasteRowClick(); });
    Set_Lang();
}

void TFMQTT_Set_Topic::Set_Lang() {
    setWindowTitle(text(700));
    L_SW_Desc()->setText(text(701));
    const std::pair<TFadeButton*, int> buttons[] = {{Btn_OK, 702},     {Btn_Cancel, 703},  {Btn_DelRow, 704},
                                                    {Btn_InsRow, 705}, {Btn_CopyRow, 706}, {Btn_PasteRow, 707}};
    for (const auto& [b, n] : buttons) {
        b->SetCaption(text(n));
        b->SetHint(text(n + 6));
    }
    PageControl1->setTabText(0, text(733));
    PageControl1->setTabText(1, text(734));
    CB_Allow_CR_LF->setText(text(799));
    labelColumns(*CG_Pub, kPublishColumns, Hint_MQTT_Set_Topic_Pub);
    labelColumns(*CG_Sub, kSubscribeColumns, Hint_MQTT_Set_Topic_Sub);
}

void TFMQTT_Set_Topic::FormShow() {
    Working_Mode = 1;
    readByteSizes();
    prepareGrids();
    loadFile();
    Do_Copy_Pub = false;
    Do_Copy_Sub = false;
}

void TFMQTT_Set_Topic::readByteSizes() {
    Byte_IN = kDefaultAreaBytes;
    Byte_OUT = kDefaultAreaBytes;
    if (!plat::fileExists(g_ParGenFile)) return;
    QString error;
    if (!XML1.load(g_ParGenFile, &error)) {
        // Said now, as Set Communication says it: the positions are then checked against the
        // default sizes, which may not be the project's.
        plat::dialogs().error(error);
        return;
    }
    const plat::XmlElement root = XML1.root();
    Byte_IN = plat::strToIntDef(root.child(QStringLiteral("PROFINET_NB_IN")).text(), kDefaultAreaBytes);
    Byte_OUT = plat::strToIntDef(root.child(QStringLiteral("PROFINET_NB_OUT")).text(), kDefaultAreaBytes);
}

void TFMQTT_Set_Topic::prepareGrids() {
    CG_Pub->HideColumns(4, 10);
    CG_Pub->HideColumns(15, 17);
    CG_Pub->UnHideColumns(11, 14);
    CG_Sub->HideColumn(2);
    CG_Sub->HideColumns(4, 14);
    PageControl1->setTabVisible(1, true);
    if (Working_Mode == 1) {
        CG_Pub->SetRowCount(kGridRows);
        CG_Sub->SetRowCount(kGridRows);
        for (int c : {4, 5, 6, 10}) CG_Pub->UnHideColumn(c);
        for (int c : {4, 5, 6, 12}) CG_Sub->UnHideColumn(c);
    } else {
        CG_Pub->SetRowCount(kGridRows);
        CG_Sub->SetRowCount(2);
        CG_Pub->UnHideColumn(10);
        CG_Pub->HideColumns(11, 14);
    }
    PageControl1->setCurrentIndex(0);
    for (TExColumnGrid* g : {CG_Pub, CG_Sub}) {
        for (int r = 1; r < g->RowCount(); ++r) {
            g->SetCells(0, r, QString::number(r));
            for (int c = 1; c < g->TotalColCount(); ++c) g->SetCells(c, r, QString());
        }
        g->SetRow(1);
        g->SetCol(1);
    }
}

void TFMQTT_Set_Topic::loadFile() {
    loadFailed_ = false;
    CB_Allow_CR_LF->setChecked(false);
    if (!plat::fileExists(g_MQTTSetTopicFile)) return;
    QString readError;
    const std::optional<QByteArray> bytes = plat::readFile(g_MQTTSetTopicFile, &readError);
    if (!bytes) {
        loadFailed_ = true;
        plat::dialogs().error(QStringLiteral("Error in \"MQTT_Set_Topic.xml\": %1").arg(readError));
        return;
    }
    const topicfile::ReadResult read = topicfile::readTopicFile(*bytes);
    fillGrid(*CG_Pub, read.tables.publish);
    fillGrid(*CG_Sub, read.tables.subscribe);
    CB_Allow_CR_LF->setChecked(read.tables.allowCrLf);
    if (!read.error.isEmpty()) {
        loadFailed_ = true;
        plat::dialogs().error(read.error);
        return;
    }
    const std::pair<const char*, int> surplus[] = {{"MQTT_Publish", read.surplusPublish},
                                                   {"MQTT_Subscribe", read.surplusSubscribe}};
    for (const auto& [section, count] : surplus) {
        if (count <= 0) continue;
        plat::dialogs().warning(
            QStringLiteral("\"MQTT_Set_Topic.xml\": the section \"%1\" holds %2 rows, the table only %3: the last %4 "
                           "rows are not shown and will be dropped when the table is saved.")
                .arg(QString::fromLatin1(section))
                .arg(topicfile::kMaxRows + count)
                .arg(topicfile::kMaxRows)
                .arg(count));
    }
}

bool TFMQTT_Set_Topic::Error_In_Topic_Template(const QString& text) { return text.count(u'$') % 2 != 0; }

bool TFMQTT_Set_Topic::checkTable(const TExColumnGrid& grid, bool publish) {
    const TableChecks& k = publish ? kPublishChecks : kSubscribeChecks;
    // 64 bits: a hand-edited size may be the lowest integer, whose last byte would not fit.
    const qint64 lastByte = qint64(k.byteSizeOf == 0 ? Byte_IN : Byte_OUT) - 1;
    const auto shown = [&grid](int col) { return col >= 0 && !grid.IsHiddenColumn(col); };
    int row = 1;
    const auto failWith = [&row](const QString& message) {
        plat::dialogs().error(text(751) + QString::number(row) + message);
        return false;
    };
    const auto fail = [&failWith](int message, const QString& suffix = QString()) {
        return failWith(text(message) + suffix);
    };
    for (; row < grid.RowCount(); ++row) {
        if (TrimCtl(grid.Cells(kTopicCol, row)).isEmpty()) break;
        const auto cell = [&grid, &row](int col) -> QString { return grid.Cells(col, row); };
        if (shown(k.dataType)) {
            // Upper-cased as the image builder does, a-z only: a type the builder does not know is
            // checked as one of the others here too.
            const QString type = textcase::asciiUpper(TrimCtl(cell(k.dataType)));
            const int dimension = intOrMinusOne(cell(k.dimension));
            if (type.isEmpty()) return fail(k.msgDataType);
            if (type == u"INT") {
                if (dimension != 1 && dimension != 2 && dimension != 4 && dimension != 8) return fail(k.msgDimInt);
            } else if (type == u"FLOAT") {
                if (dimension != 4 && dimension != 8) return fail(k.msgDimFloat);
            } else if (dimension <= 0) {
                return fail(k.msgDimOther);
            }
        }
        if (shown(k.position)) {
            const int position = intOrMinusOne(cell(k.position));
            if (position < 0 || position > lastByte) return fail(k.msgPosition, QString::number(lastByte));
        }
        if (shown(k.ipAddress)) {
            QString p1, p2, p3, p4;
            if (!Check_IP_Parts(TrimCtl(cell(k.ipAddress)), p1, p2, p3, p4)) return fail(k.msgIp);
        }
        if (shown(k.port)) {
            const int port = intOrMinusOne(cell(k.port));
            if (port < 0 || port > 65535) return fail(k.msgPort);
        }
        if (shown(k.inputTemplate) && Error_In_Topic_Template(TrimCtl(cell(k.inputTemplate))))
            return fail(k.msgInputTemplate);
        if (shown(k.templ) && Error_In_Topic_Template(TrimCtl(cell(k.templ)))) return fail(k.msgTemplate);
        if (shown(k.onTimer) && textcase::asciiUpper(TrimCtl(cell(k.onTimer))) == u"Y") {
            const int time = intOrMinusOne(cell(k.time));
            if (time < 1 || time > 999999999) return fail(k.msgTime);
        }
        // The image builder cannot take a row without a QoS: refused here, where it can be mended.
        if (!plat::tryStrToInt(TrimCtl(cell(k.qos))))
            return failWith(QStringLiteral("!! %1 QoS must be selected").arg(QString::fromLatin1(k.name)));
    }
    // The table ends at the first blank Topic and nothing below it is saved: a row in use further
    // down would be lost without a word, so the gap has to be closed first.
    const int end = row;
    for (int r = end + 1; r < grid.RowCount(); ++r) {
        if (!rowInUse(grid, r)) continue;
        plat::dialogs().error(
            text(751) + QString::number(r) +
            QStringLiteral("!! %1 Row %2 above has an empty Topic, which ends the table: this row and every row "
                           "below row %2 would not be saved. Fill in the Topic of row %2 or delete that row.")
                .arg(QString::fromLatin1(k.name))
                .arg(end));
        return false;
    }
    return true;
}

bool TFMQTT_Set_Topic::Controllo_dati() { return checkTable(*CG_Pub, true) && checkTable(*CG_Sub, false); }

bool TFMQTT_Set_Topic::saveFile() {
    topicfile::Tables tables;
    tables.publish = tableRows(*CG_Pub);
    tables.subscribe = tableRows(*CG_Sub);
    tables.allowCrLf = CB_Allow_CR_LF->isChecked();
    XML1.clear();
    topicfile::writeTopicDocument(tables, XML1);
    QString error;
    if (!XML1.save(g_MQTTSetTopicFile, &error)) {
        plat::dialogs().error(QStringLiteral("The topics could not be saved: %1").arg(error));
        return false;
    }
    return true;
}

void TFMQTT_Set_Topic::Btn_OKClick() {
    if (!Controllo_dati()) return;
    if (loadFailed_ &&
        plat::dialogs().questionYesNo(QStringLiteral(
            "\"MQTT_Set_Topic.xml\" could not be read when this window opened, so the tables do not show all of "
            "it. Saving replaces the file with the tables shown here. Overwrite it?")) != plat::Answer::Yes)
        return;
    if (!saveFile()) return;
    loadFailed_ = false;
    SetModalResult(plat::mrOk);
}

TExColumnGrid& TFMQTT_Set_Topic::activeGrid() const {
    return PageControl1->currentWidget() == TS_MQTT_Subscribe ? *CG_Sub : *CG_Pub;
}

void TFMQTT_Set_Topic::Btn_DelRowClick() {
    TExColumnGrid& grid = activeGrid();
    const int row = grid.GetRealRow();
    if (plat::dialogs().questionYesNo(text(723) + QString::number(row)) == plat::Answer::Yes)
        Delete_Row_Grid(row, grid);
}

void TFMQTT_Set_Topic::Btn_InsRowClick() {
    TExColumnGrid& grid = activeGrid();
    Insert_Row_Grid(grid.GetRealRow(), grid, false);
}

void TFMQTT_Set_Topic::Btn_CopyRowClick() {
    TExColumnGrid& grid = activeGrid();
    Copy_Row_Grid(grid, grid.GetRealRow());
    // A row copied in one table cannot be pasted into the other.
    Do_Copy_Pub = &grid == CG_Pub;
    Do_Copy_Sub = &grid == CG_Sub;
}

void TFMQTT_Set_Topic::Btn_PasteRowClick() {
    TExColumnGrid& grid = activeGrid();
    Paste_Row_Grid(grid, grid.GetRealRow(), &grid == CG_Pub ? Do_Copy_Pub : Do_Copy_Sub);
}

void TFMQTT_Set_Topic::CG_MQTT_DblClickCell(QObject* Sender, int ARow, int ACol) {
    auto* grid = Sender == CG_Sub ? CG_Sub : Sender == CG_Pub ? CG_Pub : nullptr;
    if (!grid) return;
    Grid_Auto_Size_Col(*grid, ARow, ACol);
    // Wherever the double-click lands, it is the current cell that is edited.
    const int col = grid->GetRealCol();
    const bool edits = grid == CG_Pub ? (Working_Mode == 1 && col == kPubTemplateCol) || Working_Mode == 0
                                      : Working_Mode == 1 && col == kSubTemplateCol;
    if (edits && grid->GetRealRow() >= 1) Show_Form_Topic(*grid, grid->GetRealRow(), col);
}

void TFMQTT_Set_Topic::Show_Form_Topic(TExColumnGrid& grid, int row, int col) {
    if (!FTopicTemplate) return;
    const bool publish = &grid == CG_Pub;
    FTopicTemplate->TopicTemplate = col == (publish ? kPubTemplateCol : kSubTemplateCol);
    FTopicTemplate->Working_Mode = Working_Mode;
    FTopicTemplate->Pub_Sub = publish ? 0 : 1;
    // The editor takes over the cell, whose own editor the double click opened.
    Edit_Cell_In_Window(grid, col, row, [](QString& text) {
        FTopicTemplate->Set_Text(QString());
        FTopicTemplate->Set_Text(text);
        if (FTopicTemplate->ShowModal() != plat::mrOk) return false;
        text = FTopicTemplate->Text();
        return true;
    });
}

void TFMQTT_Set_Topic::CG_MQTT_GridHint(QObject* Sender, int ARow, int ACol, QString& hint) {
    auto* grid = Sender == CG_Sub ? CG_Sub : Sender == CG_Pub ? CG_Pub : nullptr;
    if (!grid || ARow != 0) return;
    const int real = grid->RealColIndex(ACol);
    if (real <= 0) return;
    const QStringList& hints = grid == CG_Pub ? Hint_MQTT_Set_Topic_Pub : Hint_MQTT_Set_Topic_Sub;
    hint = hints.value(real - 1);
}

void TFMQTT_Set_Topic::CG_MQTT_KeyPress(QObject* Sender, QChar& Key) {
    if (Sender == CG_Pub || Sender == CG_Sub) Grid_Enter_Next_Cell(*static_cast<TExColumnGrid*>(Sender), Key);
}
