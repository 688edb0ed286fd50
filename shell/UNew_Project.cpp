#include "shell/UNew_Project.h"

#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

bool Is_Valid_Project_Name(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    // A separator would put the project outside the projects folder; control characters make
    // folder names nobody can type again.
    for (QChar c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

TFNew_Project::TFNew_Project(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FNew_Project"));
    SetClientSize(331, 162);
    const DialogFrame frame = Build_Dialog_Frame(this, 69);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;
    Label1 = new QLabel(this);
    Label1->setGeometry(16, 76, 300, 16);
    E_New_Proj = new QLineEdit(this);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    E_New_Proj->setGeometry(16, 94, 299, 22);
    E_New_Proj->installEventFilter(this);
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    // Esc does what Cancel does.
    SetCancelButton(Btn_Cancel);
    Set_Lang();
}

void TFNew_Project::Set_Lang() {
    setWindowTitle(Text_Table[100]);
    L_SW_Desc()->setText(Text_Table[101]);
    Label1->setText(Text_Table[102]);
    Btn_OK->SetCaption(Text_Table[103]);
    Btn_Cancel->SetCaption(Text_Table[104]);
    E_New_Proj->setToolTip(Text_Table[108]);
    Btn_OK->SetHint(Text_Table[109]);
    Btn_Cancel->SetHint(Text_Table[110]);
}

void TFNew_Project::FormShow() {
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

bool TFNew_Project::eventFilter(QObject* watched, QEvent* event) {
    if (watched == E_New_Proj && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            plat::guarded([this] { Btn_OKClick(); });
            return true;
        }
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFNew_Project::Btn_OKClick() {
    const QString name = E_New_Proj->text();
    if (name.isEmpty()) {
        plat::dialogs().error(Text_Table[107]);
        return;
    }
    if (!Is_Valid_Project_Name(name)) {
        plat::dialogs().error(Text_Table[105]);
        return;
    }
    const QString folder = g_ProjectsRootPath + u'/' + name;
    if (plat::dirExists(folder)) {
        plat::dialogs().error(Text_Table[106]);
        return;
    }
    if (!plat::createDir(folder)) {
        plat::dialogs().error(Text_Table[105]);
        return;
    }
    plat::forceDirectories(folder + QStringLiteral("/bin"));
    g_ProjectName = name;
    g_ProjectPath = folder;
    Set_Files();
    SetModalResult(plat::mrOk);
}
