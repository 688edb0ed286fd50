#include "shell/UOpenConf.h"

#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>

TFOpenConf::TFOpenConf(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FOpenConf"));
    SetClientSize(377, 351);
    const DialogFrame frame = Build_Dialog_Frame(this, 69);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;
    Label1 = new QLabel(this);
    Label1->setGeometry(16, 76, 345, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(16, 94, 345, 211);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    plat::onSignal(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) Name_Conf = ListBox1->item(row)->text();
    });
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrOk); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    // Esc does what Cancel does.
    SetCancelButton(Btn_Cancel);
    // The only sizeable dialog: a long project list can be given more room. The list follows all
    // four sides, the two panels the width and the bottom.
    setMinimumSize(260, 200);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizeGripEnabled(true);
    Set_Lang();
}

void TFOpenConf::resizeEvent(QResizeEvent* event) {
    plat::TForm::resizeEvent(event);
    const int w = width(), h = height();
    ListBox1->setGeometry(16, 94, w - 32, h - 94 - 46);
    QWidget* panel = Btn_OK->parentWidget();
    panel->setGeometry(0, h - 40, w, 40);
    Btn_OK->move(w / 2 - 116, Btn_OK->y());
    Btn_Cancel->move(w / 2 + 6, Btn_Cancel->y());
}

void TFOpenConf::Set_Lang() {
    setWindowTitle(Text_Table[200]);
    L_SW_Desc()->setText(Text_Table[201]);
    Label1->setText(Text_Table[202]);
    Btn_OK->SetCaption(Text_Table[203]);
    Btn_Cancel->SetCaption(Text_Table[204]);
    ListBox1->setToolTip(Text_Table[205]);
    Btn_OK->SetHint(Text_Table[206]);
    Btn_Cancel->SetHint(Text_Table[207]);
}

void TFOpenConf::Load_Existing_Configuration() {
    // Folders only; plain files in the projects folder are not projects.
    SL = QDir(g_ProjectsRootPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Unsorted);
}

int TFOpenConf::Search_Open_Conf(const QString& name) const {
    for (int i = 0; i < SL.size(); ++i)
        if (SL[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TFOpenConf::FormShow() {
    Load_Existing_Configuration();
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
    ListBox1->addItems(SL);
    const QString prefix = g_ProjectsRootPath + u'/';
    const QString current = g_ProjectPath.startsWith(prefix) ? g_ProjectPath.mid(prefix.size()) : QString();
    int index = current.isEmpty() ? -1 : Search_Open_Conf(current);
    if (index < 0 && !SL.isEmpty()) index = 0;
    if (index >= 0) {
        ListBox1->setCurrentRow(index);
        Name_Conf = SL[index];
    } else {
        // An empty list leaves nothing to open, never the name shown the last time.
        Name_Conf.clear();
    }
}
