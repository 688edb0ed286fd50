#include "gateway/UProfinetFileName.h"

#include "controls/FadeButton.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QLineEdit>

TFProfinetFileName* FProfinetFileName = nullptr;

namespace {

// The user's part becomes part of a file name in a folder the user picked: a separator would
// move the file elsewhere and a control character cannot stand in a name on every system.
bool fitsInFileName(const QString& user) {
    for (const QChar c : user) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) return false;
    }
    return true;
}

}  // namespace

TFProfinetFileName::TFProfinetFileName(QWidget* parent, QDate today) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FProfinetFileName"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    SetClientSize(540, 205);
    const DialogFrame frame = Build_Dialog_Frame(this, kTitleHeight);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    // Under the title strip: the prompt, then the three parts of the name side by side.
    auto label = [this](const char* name, int x, int y, int w) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, 18);
        return l;
    };
    Label1 = label("Label1", 16, 76, 508);
    QFont bold = HouseFont();
    bold.setBold(true);
    Label1->setFont(bold);

    Label2 = label("Label2", 16, 102, 200);
    L_XML_Fix1 = label("L_XML_Fix1", 16, 126, 210);
    Label4 = label("Label4", 228, 102, 160);
    E_XML_User = new QLineEdit(this);
    E_XML_User->setObjectName(QStringLiteral("E_XML_User"));
    E_XML_User->setGeometry(228, 123, 160, 24);
    Label5 = label("Label5", 396, 102, 130);
    L_XML_Fix2 = label("L_XML_Fix2", 396, 126, 130);
    setTabOrder(E_XML_User, Btn_OK);
    setTabOrder(Btn_OK, Btn_Cancel);
    E_XML_User->setFocus();  // the window opens on the part the user types

    SetDefaultButton(Btn_OK);
    SetCancelButton(Btn_Cancel);

    connect(Btn_OK, &TFadeButton::clicked, this, [this] { plat::guarded([this] { Btn_OKClick(); }); });
    connect(Btn_Cancel, &TFadeButton::clicked, this, [this] { SetModalResult(plat::mrCancel); });

    FormCreate(today);
}

void TFProfinetFileName::FormCreate(QDate today) {
    L_SW_Code()->setText(g_SWCode);
    SetClientSize(540, 205);
    L_XML_Fix1->setText(QStringLiteral("GSDML-V2.31-Quorim-KG73632"));
    L_XML_Fix2->setText(u'-' + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".xml"));
    Set_Lang();
}

void TFProfinetFileName::Set_Lang() {
    setWindowTitle(Text_Table.value(3400));
    L_SW_Desc()->setText(Text_Table.value(3401));
    Btn_OK->SetCaption(Text_Table.value(3402));
    Btn_Cancel->SetCaption(Text_Table.value(3403));
    Label1->setText(Text_Table.value(3404));
    Label2->setText(Text_Table.value(3405));
    Label4->setText(Text_Table.value(3406));
    Label5->setText(Text_Table.value(3407));
    E_XML_User->setToolTip(Text_Table.value(3408));
    Btn_OK->SetHint(Text_Table.value(3409));
    Btn_Cancel->SetHint(Text_Table.value(3410));
}

QString TFProfinetFileName::Compose_Name(const QString& fix1, const QString& user, const QString& fix2) {
    if (TrimCtl(user).isEmpty()) return fix1 + fix2;
    if (!fitsInFileName(user)) return {};
    if (user.startsWith(u'_')) return fix1 + user + fix2;
    return fix1 + u'_' + user + fix2;
}

void TFProfinetFileName::Btn_OKClick() {
    const QString name = Compose_Name(L_XML_Fix1->text(), E_XML_User->text(), L_XML_Fix2->text());
    if (name.isEmpty()) {
        plat::dialogs().error(QStringLiteral("Error! The User Part must not contain \"/\", \"\\\" or control characters"));
        E_XML_User->setFocus();
        return;
    }
    Name_File_XML = name;
    SetModalResult(plat::mrOk);
}
