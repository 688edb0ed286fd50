#include "building/UImportEDEFile.h"

#include "building/BuildingLists.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/AccessListFile.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QLineEdit>

namespace {

QString text(int n) { return Text_Table.value(n); }

constexpr int kPanelHeight = 36;
constexpr int kButtonPanelHeight = 40;
const QColor kPanelColor(248, 245, 237);

enum Column { cN, cImport, cRead, cWrite, cName, cObjectType, cInstance, cDescription, cCommandable, kColumns };

struct ColumnDef {
    int width;
    TEditorType editor;
    bool readOnly;
    TColor color;
};
const ColumnDef kColumnDefs[kColumns] = {
    {35, edNormal, true, clWindow},
    {55, edDataCheckBox, false, building::kProtocolColour},
    {55, edDataCheckBox, false, building::kProtocolColour},
    {55, edDataCheckBox, false, building::kProtocolColour},
    {170, edNormal, true, building::kIdentityColour},
    {90, edNormal, true, building::kIdentityColour},
    {80, edNormal, true, building::kIdentityColour},
    {220, edNormal, true, clWhite},
    {90, edDataCheckBox, true, building::kDataColour},
};

QString yesNo(bool b) { return b ? QStringLiteral("Y") : QStringLiteral("N"); }

void paintPanel(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kPanelColor);
    w->setPalette(p);
}

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TFImportEDEFile::TFImportEDEFile(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FImportEDEFile"));
    SetClientSize(kClientWidth, kClientHeight);
    setMinimumSize(kClientWidth, kClientHeight);
    SetTitleHeight(kTitleHeight);
    paintPanel(TitleStrip());
    L_SW_Code()->setText(g_SWCode);

    P_ID_IP = named(new QWidget(this), "P_ID_IP");
    paintPanel(P_ID_IP);
    LID_IP = named(new QLabel(P_ID_IP), "LID_IP");
    LID_IP->setGeometry(16, 8, 300, 21);
    E_ID_IP = named(new QLineEdit(P_ID_IP), "E_ID_IP");
    E_ID_IP->setGeometry(320, 6, 160, 24);
    LID_IP->setBuddy(E_ID_IP);

    CG = named(new TExColumnGrid(this), "CG");
    Set_Table_Grid_Form(*CG);
    CG->SetColCount(kColumns);
    CG->SetRowCount(kDesignedRows + 1);
    for (int c = 0; c < kColumns; ++c) {
        const ColumnDef& d = kColumnDefs[c];
        TGridColumnItem& item = CG->Columns().Items(c);
        item.SetEditor(d.editor);
        if (d.editor == edDataCheckBox) item.SetAlignment(taCenter);
        item.SetWidth(d.width);
        item.SetColor(d.color);
        item.ReadOnly = d.readOnly;
    }
    CG->OnCheckBoxClick = [this](QObject* s, int c, int r, bool state) { CGCheckBoxClick(s, c, r, state); };
    CG->Loaded();

    P_Button = named(new QWidget(this), "P_Button");
    paintPanel(P_Button);
    Btn_OK = named(NewHouseButton(QStringLiteral("OK"), P_Button, {110, 28, bsEncarta, plat::clYellow}), "Btn_OK");
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_Cancel = named(NewHouseButton(QStringLiteral("Cancel"), P_Button), "Btn_Cancel");
    Btn_Cancel->setGeometry(134, 6, 110, 28);
    // Their captions are the window's own, in every language.
    Btn_Select_All = named(NewHouseButton(QStringLiteral("Select All"), P_Button), "Btn_Select_All");
    Btn_Select_All->setGeometry(252, 6, 110, 28);
    Btn_Unselect_All = named(NewHouseButton(QStringLiteral("Unselect All"), P_Button), "Btn_Unselect_All");
    Btn_Unselect_All->setGeometry(370, 6, 110, 28);

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    plat::onSignal(Btn_Select_All, &TFadeButton::clicked, this, [this]() { Btn_Select_AllClick(); });
    plat::onSignal(Btn_Unselect_All, &TFadeButton::clicked, this, [this]() { Btn_Unselect_AllClick(); });
    Set_Lang();
    resizeEvent(nullptr);
}

void TFImportEDEFile::resizeEvent(QResizeEvent* event) {
    if (event) plat::TForm::resizeEvent(event);
    const int w = width(), h = height();
    P_ID_IP->setGeometry(0, kTitleHeight, w, kPanelHeight);
    CG->setGeometry(0, kTitleHeight + kPanelHeight, w, h - kTitleHeight - kPanelHeight - kButtonPanelHeight);
    P_Button->setGeometry(0, h - kButtonPanelHeight, w, kButtonPanelHeight);
}

void TFImportEDEFile::Set_Lang() {
    setWindowTitle(text(4800));
    L_SW_Desc()->setText(text(4801));
    Btn_OK->SetCaption(text(4802));
    Btn_Cancel->SetCaption(text(4803));
    for (int c = 0; c < kColumns; ++c) CG->Columns().Items(c).SetHeader(text(4804 + c));
    LID_IP->setText(text(4815));
}

void TFImportEDEFile::FormShow() {
    for (int r = 1; r < CG->RowCount(); ++r) {
        CG->SetCells(cN, r, QString::number(r));
        for (int c = 1; c < kColumns; ++c) CG->SetCells(c, r, QString());
    }
    if (E_ID_IP->isEnabled()) E_ID_IP->setFocus();
    Cancel_EDE_List_Vars();
    Load_EDE_File();
    Show_Data_in_Grid();
}

void TFImportEDEFile::Cancel_EDE_List_Vars() { List_EDE_Var.clear(); }

void TFImportEDEFile::Load_EDE_File() {
    // A file that cannot be read has no objects to offer.
    if (const std::optional<QByteArray> bytes = plat::readFile(EDE_File)) List_EDE_Var = Load_EDE_Bytes(*bytes);
}

void TFImportEDEFile::Show_Data_in_Grid() {
    const int n = int(List_EDE_Var.size());
    CG->SetRowCount(std::max(n, 1) + 1);
    for (int i = 0; i < n; ++i) {
        const TBACnet_Var& v = List_EDE_Var[size_t(i)];
        const int r = i + 1;
        CG->SetCells(cN, r, QString::number(r));
        CG->SetCells(cImport, r, yesNo(v.import));
        CG->SetCells(cRead, r, yesNo(v.read));
        CG->SetCells(cWrite, r, yesNo(v.write));
        CG->SetCells(cName, r, v.object_name);
        CG->SetCells(cObjectType, r, QString::number(v.object_type));
        CG->SetCells(cInstance, r, QString::number(v.object_instance));
        CG->SetCells(cDescription, r, v.description);
        CG->SetCells(cCommandable, r, yesNo(v.commandable));
    }
    if (n == 0) {
        CG->SetCells(cN, 1, QStringLiteral("1"));
        for (int c = 1; c < kColumns; ++c) CG->SetCells(c, 1, QString());
    }
}

void TFImportEDEFile::CGCheckBoxClick(QObject*, int ACol, int ARow, bool State) {
    const int i = ARow - 1;
    if (i < 0 || i >= int(List_EDE_Var.size())) return;  // the empty row of a file without objects
    TBACnet_Var& v = List_EDE_Var[size_t(i)];
    if (ACol == cWrite && !v.commandable) {
        // The box is cleared first, so the message does not stand over a ticked box.
        CG->SetCells(cWrite, ARow, QStringLiteral("N"));
        v.write = false;
        plat::dialogs().error(text(4813) + QString::number(ARow) + text(4814));
        return;
    }
    if (ACol == cImport) v.import = State;
    if (ACol == cRead) v.read = State;
    if (ACol == cWrite) v.write = State;
}

void TFImportEDEFile::Btn_Select_AllClick() {
    for (size_t i = 0; i < List_EDE_Var.size(); ++i) {
        List_EDE_Var[i].import = true;
        CG->SetCells(cImport, int(i) + 1, QStringLiteral("Y"));
    }
}

void TFImportEDEFile::Btn_Unselect_AllClick() {
    for (size_t i = 0; i < List_EDE_Var.size(); ++i) {
        List_EDE_Var[i].import = false;
        CG->SetCells(cImport, int(i) + 1, QStringLiteral("N"));
    }
}

void TFImportEDEFile::Btn_OKClick() {
    const QString id = E_ID_IP->text();
    if (App_BACnet_Type == 0) {
        uint8_t b1, b2, b3, b4;
        if (Split_IP_Address(id, b1, b2, b3, b4)) {
            plat::dialogs().error(text(4816));
            return;
        }
    } else if (App_BACnet_Type == 1) {
        const int station = accesslist::listNumber(id, accesslist::NumberRule::Decimal);
        if (station < 0 || station > 254) {
            plat::dialogs().error(text(4817));
            return;
        }
    }
    SetModalResult(plat::mrOk);
}
