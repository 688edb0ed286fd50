#include "shell/USoftOptions.h"

#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/HttpGet.h"
#include "platform/IntConv.h"
#include "platform/Process.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QBitmap>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScopeGuard>
#include <QTabWidget>

namespace {

constexpr int kSlots = 6;
constexpr int kFlagSize = 48;

// Picture left, top and label left, top of each language slot: three down the left column, three
// down the right.
constexpr struct {
    int pictureLeft, pictureTop, labelLeft, labelTop;
} kSlotPlaces[kSlots] = {
    {24, 40, 80, 56}, {26, 94, 80, 110}, {24, 148, 80, 164}, {254, 40, 310, 56}, {254, 94, 310, 110}, {254, 148, 310, 164},
};

const char* const kLanguageExtension = ".lng";

// A flag picture drawn transparently: the colour of its bottom-left pixel is the background.
QPixmap Load_Flag(const QString& path) {
    QImage image(path);
    if (image.isNull()) return QPixmap();
    QPixmap picture = QPixmap::fromImage(image);
    const QColor background = image.pixelColor(0, image.height() - 1);
    picture.setMask(picture.createMaskFromColor(background, Qt::MaskInColor));
    return picture;
}

}  // namespace

QString Download_Page_Address() { return g_MakerWebServer + QStringLiteral("/Home/download/download.asp#KG73632"); }

TFSoftOptions::TFSoftOptions(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FSoftOptions"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetClientSize(509, 373);
    const DialogFrame frame = Build_Dialog_Frame(this, 69);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    PC_Options->setGeometry(0, 69, 509, 373 - 69 - 40);
    TS_Language = new QWidget;
    TS_Language->setObjectName(QStringLiteral("TS_Language"));
    TS_Con_Options = new QWidget;
    TS_Con_Options->setObjectName(QStringLiteral("TS_Con_Options"));
    TS_Soft_Settings = new QWidget;
    TS_Soft_Settings->setObjectName(QStringLiteral("TS_Soft_Settings"));
    PC_Options->addTab(TS_Language, QString());
    PC_Options->addTab(TS_Con_Options, QString());
    PC_Options->addTab(TS_Soft_Settings, QString());

    // Language page.
    L_Sel_Lang = new QLabel(TS_Language);
    L_Sel_Lang->setObjectName(QStringLiteral("L_Sel_Lang"));
    L_Sel_Lang->setGeometry(24, 12, 460, 18);
    for (int k = 0; k < kSlots; ++k) {
        I_L[k] = new QLabel(TS_Language);
        I_L[k]->setObjectName(QStringLiteral("I_L%1").arg(k + 1));
        I_L[k]->setGeometry(kSlotPlaces[k].pictureLeft, kSlotPlaces[k].pictureTop, kFlagSize, kFlagSize);
        I_L[k]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        I_L[k]->setCursor(Qt::PointingHandCursor);
        I_L[k]->installEventFilter(this);
        L_L[k] = new QLabel(TS_Language);
        L_L[k]->setObjectName(QStringLiteral("L_L%1").arg(k + 1));
        L_L[k]->setGeometry(kSlotPlaces[k].labelLeft, kSlotPlaces[k].labelTop, 160, 18);
        L_L[k]->setCursor(Qt::PointingHandCursor);
        L_L[k]->installEventFilter(this);
    }
    L_Page_Lang = new QLabel(TS_Language);
    L_Page_Lang->setObjectName(QStringLiteral("L_Page_Lang"));
    L_Page_Lang->setGeometry(220, 212, 140, 18);
    Btn_Prev = NewHouseButton(TS_Language);
    Btn_Prev->setObjectName(QStringLiteral("Btn_Prev"));
    Btn_Prev->setGeometry(12, 204, 110, 28);
    Btn_Next = NewHouseButton(TS_Language, {110, 28, bsEncarta, clFadeOrange, plat::clYellow, blGlyphRight});
    Btn_Next->setObjectName(QStringLiteral("Btn_Next"));
    Btn_Next->setGeometry(379, 205, 110, 28);
    for (TFadeButton* b : {Btn_Prev, Btn_Next})
        plat::onSignal(b, &TFadeButton::clicked, this, [this, b]() { Btn_NextClick(b); });

    // Connection page.
    CB_En_Con = new QCheckBox(TS_Con_Options);
    CB_En_Con->setObjectName(QStringLiteral("CB_En_Con"));
    CB_En_Con->setGeometry(24, 24, 460, 20);
    CB_Update = new QCheckBox(TS_Con_Options);
    CB_Update->setObjectName(QStringLiteral("CB_Update"));
    CB_Update->setGeometry(24, 56, 460, 20);
    Btn_Check_Update = NewHouseButton(TS_Con_Options);
    Btn_Check_Update->setObjectName(QStringLiteral("Btn_Check_Update"));
    Btn_Check_Update->setGeometry(24, 96, 220, 28);
    LL_Check_Update = new QLabel(TS_Con_Options);
    LL_Check_Update->setObjectName(QStringLiteral("LL_Check_Update"));
    LL_Check_Update->setGeometry(24, 140, 460, 18);
    LL_Check_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    LL_Check_Update->setOpenExternalLinks(false);
    LL_Check_Update->hide();
    plat::onSignal(Btn_Check_Update, &TFadeButton::clicked, this, [this]() { Btn_Check_UpdateClick(); });
    plat::onSignal(LL_Check_Update, &QLabel::linkActivated, this,
                   [this](const QString& link) { LL_Check_UpdateLinkClick(link); });

    // Table settings page.
    CB_Soft_Set_Jump_Table = new QCheckBox(TS_Soft_Settings);
    CB_Soft_Set_Jump_Table->setObjectName(QStringLiteral("CB_Soft_Set_Jump_Table"));
    CB_Soft_Set_Jump_Table->setGeometry(24, 24, 460, 20);
    CB_DoubleClick_Auto_Size = new QCheckBox(TS_Soft_Settings);
    CB_DoubleClick_Auto_Size->setObjectName(QStringLiteral("CB_DoubleClick_Auto_Size"));
    CB_DoubleClick_Auto_Size->setGeometry(24, 56, 460, 20);

    for (QCheckBox* cb : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size})
        plat::onSignal(cb, &QCheckBox::toggled, this, [this](bool) { Update_CheckBox(); });
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does

    PC_Options->setTabVisible(PC_Options->indexOf(TS_Con_Options), true);
    Set_Lang();
}

TFSoftOptions::~TFSoftOptions() {
    if (FSoftOptions == this) FSoftOptions = nullptr;
}

void TFSoftOptions::Set_Lang() {
    setWindowTitle(Text_Table[300]);
    L_SW_Desc()->setText(Text_Table[301]);
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), Text_Table[302]);
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), Text_Table[303]);
    L_Sel_Lang->setText(Text_Table[304]);
    L_Page_Lang->setText(Text_Table[305] + u'1' + Text_Table[306] + u'1');
    Btn_Prev->SetCaption(Text_Table[307]);
    Btn_Next->SetCaption(Text_Table[308]);
    CB_En_Con->setText(Text_Table[309]);
    CB_Update->setText(Text_Table[310]);
    Btn_Check_Update->SetCaption(Text_Table[311]);
    Btn_OK->SetCaption(Text_Table[312]);
    Btn_Cancel->SetCaption(Text_Table[313]);
    PC_Options->setTabText(PC_Options->indexOf(TS_Soft_Settings), Text_Table[319]);
    CB_Soft_Set_Jump_Table->setText(Text_Table[320]);
    CB_DoubleClick_Auto_Size->setText(Text_Table[321]);
}

void TFSoftOptions::FormShow() {
    Language_In_Use = g_LanguageName;
    Create_Lang_List();
    Update_CheckBox();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(g_EnableInternet != 0);
    CB_Update->setChecked(g_EnableUpdate != 0);
    CB_Soft_Set_Jump_Table->setChecked(g_EnableJumpFieldTables != 0);
    CB_DoubleClick_Auto_Size->setChecked(g_DoubleClickAutoSize != 0);
}

void TFSoftOptions::Create_Lang_List() {
    SL_Languages.clear();
    // The language is loaded as its name plus ".lng", so only files with exactly that ending can
    // be loaded again once chosen.
    for (const QString& f : plat::listFiles(g_LanguagePath, QStringLiteral("*.lng")))
        if (f.endsWith(QLatin1String(kLanguageExtension), Qt::CaseSensitive) && f.size() > 4) SL_Languages << f;
    Show_Page = 1;
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::Update_Lang_Page(int Num_Page) {
    const int languages = static_cast<int>(SL_Languages.size());
    L_Sel_Lang->setText(Text_Table[304] + Language_In_Use);
    L_Page_Lang->setText(Text_Table[305] + QString::number(Num_Page) + Text_Table[306] +
                         QString::number(Page_Count()));
    Btn_Prev->setVisible(Num_Page != 1);
    Btn_Next->setVisible(Num_Page != Page_Count());

    const int used = qMin(kSlots, languages - (Num_Page - 1) * kSlots);
    for (int k = 0; k < kSlots; ++k) {
        // Slot 1 always stays, also when no language is left for it.
        const bool visible = k == 0 || k < used;
        I_L[k]->setVisible(visible);
        L_L[k]->setVisible(visible);
    }
    if (used <= 0) {
        // No language for slot 1: no name or flag of an earlier list stays on it.
        L_L[0]->clear();
        I_L[0]->clear();
        return;
    }
    for (int k = 0; k < used; ++k) {
        const QString name = SL_Languages[(Num_Page - 1) * kSlots + k].chopped(4);
        L_L[k]->setText(name);
        const QString own = g_LanguagePath + u'/' + name + QStringLiteral(".bmp");
        const QString fallback = g_LanguagePath + QStringLiteral("/DefaultFlag.bmp");
        if (plat::fileExists(own)) {
            I_L[k]->setPixmap(Load_Flag(own));
        } else if (plat::fileExists(fallback)) {
            I_L[k]->setPixmap(Load_Flag(fallback));
        } else {
            I_L[k]->clear();
            I_L[k]->hide();
        }
    }
}

void TFSoftOptions::Btn_NextClick(TFadeButton* sender) {
    if (sender == Btn_Next) {
        if (Page_Count() >= Show_Page + 1) ++Show_Page;
    } else if (sender == Btn_Prev) {
        if (Show_Page - 1 > 0) --Show_Page;
    }
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::LangClick(int slot) {
    if (slot < 1 || slot > kSlots) return;
    const qsizetype position = qsizetype(Show_Page - 1) * kSlots + slot - 1;
    if (position < 0 || position >= SL_Languages.size()) return;
    const QString name = SL_Languages[position].chopped(4);
    const QString question = Text_Table[316] + Language_In_Use + Text_Table[317] + name + Text_Table[318];
    if (plat::dialogs().questionYesNo(question) != plat::Answer::Yes) return;

    Language_In_Use = name;
    {
        // The windows take the new texts now; the saved language changes only on OK.
        const QString kept = g_LanguageName;
        const auto restore = qScopeGuard([&kept] { g_LanguageName = kept; });
        g_LanguageName = name;
        Load_Language();
    }
    if (Change_Language)
        Change_Language();
    else
        Set_Lang();
    // Relabelling reset the page counter to its first page; show the page that is on screen.
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::Update_CheckBox() {
    const bool internet = CB_En_Con->isChecked();
    CB_Update->setEnabled(internet);
    Btn_Check_Update->setEnabled(internet && CB_Update->isChecked());
}

void TFSoftOptions::Btn_OKClick() {
    g_LanguageName = Language_In_Use;
    g_EnableInternet = CB_En_Con->isChecked() ? 1 : 0;
    g_EnableUpdate = CB_Update->isChecked() ? 1 : 0;
    g_EnableJumpFieldTables = CB_Soft_Set_Jump_Table->isChecked() ? 1 : 0;
    g_DoubleClickAutoSize = CB_DoubleClick_Auto_Size->isChecked() ? 1 : 0;
    SetModalResult(plat::mrOk);
}

void TFSoftOptions::Btn_Check_UpdateClick() {
    if (Check_Version()) {
        LL_Check_Update->setTextFormat(Qt::RichText);
        LL_Check_Update->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                     .arg(Download_Page_Address().toHtmlEscaped(), Text_Table[314].toHtmlEscaped()));
    } else {
        LL_Check_Update->setTextFormat(Qt::PlainText);
        LL_Check_Update->setText(Text_Table[315]);
    }
    LL_Check_Update->show();
}

void TFSoftOptions::LL_Check_UpdateLinkClick(const QString& link) { plat::openUrl(link); }

bool TFSoftOptions::Check_Version() const {
    plat::HttpGetOptions options;
    options.headers = {
        {"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
        {"User-Agent", "Mozilla/3.0 (compatible; HTTP client)"},
    };
    options.timeoutMs = Http_Timeout_Ms;
    options.clock = Http_Clock;
    options.maxResponseBytes = Http_Max_Reply_Bytes;
    const plat::HttpGetResult answer = plat::httpGet(
        g_MakerWebServer + QStringLiteral("/home/download/GetversionSW.asp?nomesw=") + QLatin1String(kUpdateCheckCode),
        options);
    // Every failure leaves the reply empty: no newer version.
    const QString reply = answer.ok ? QString::fromLatin1(answer.body) : QString();
    const QString upper = TrimCtl(reply.toUpper());
    if (upper.isEmpty() || upper == QLatin1String("VER. 0.000")) return false;
    const int local = Conv_Version(QString::fromLatin1(kSoftwareVersion));
    const int remote = Conv_Version(TrimCtl(reply));
    return local != -1 && remote != -1 && local < remote;
}

int TFSoftOptions::Conv_Version(const QString& Ver_str) {
    const qsizetype blank = Ver_str.indexOf(u' ');
    const QString t = TrimCtl(blank < 0 ? Ver_str : Ver_str.mid(blank + 1));
    if (t.size() < 5) return -1;
    // Characters 1, 3, 4 and 5: the dot after the first digit is skipped unread.
    const QString digits = QString(t[0]) + t[2] + t[3] + t[4];
    return plat::strToIntDef(digits, -1);
}

bool TFSoftOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int k = 0; k < kSlots; ++k)
            if (watched == I_L[k] || watched == L_L[k]) {
                plat::guarded([this, k] { LangClick(k + 1); });
                return true;
            }
    }
    return plat::TForm::eventFilter(watched, event);
}
