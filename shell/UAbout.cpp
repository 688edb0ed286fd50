#include "shell/UAbout.h"

#include "controls/FadeButton.h"
#include "platform/Guard.h"
#include "platform/Process.h"
#include "shell/UComon.h"
#include "shell/USoftOptions.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QUrl>

namespace {

// Fixed texts and places of the window (left, top in pixels).
struct FixedLabel {
    QLabel* TFAbout::*member;
    const char* name;
    int left, top;
    const char* text;  // nullptr: set at each show
};

constexpr FixedLabel kLabels[] = {
    {&TFAbout::Label1, "Label1", 128, 24, "Software Velmarin "},
    {&TFAbout::Label2, "Label2", 128, 39, nullptr},
    {&TFAbout::Label6, "Label6", 128, 62, "Software Code : "},
    {&TFAbout::Label9, "Label9", 240, 62, nullptr},
    {&TFAbout::Label3, "Label3", 128, 77, "Version :"},
    {&TFAbout::Label10, "Label10", 240, 77, nullptr},
    {&TFAbout::Label8, "Label8", 128, 93, "Document Code :"},
    {&TFAbout::Label12, "Label12", 240, 93, nullptr},
    {&TFAbout::Label4, "Label4", 316, 131, nullptr},
};

}  // namespace

QString Home_Page_Address() {
    return g_MakerWebServer + QStringLiteral("/HOME/default.asp?frompg=") + QLatin1String(kSoftwareCode);
}

QPixmap Maker_Logo(int size) {
    QPixmap logo(size, size);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A deep-blue disc with a light ring and a stylised wave through it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(18, 62, 128));
    p.drawEllipse(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92));
    p.setPen(QPen(QColor(236, 242, 250), s * 0.07));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
    p.setPen(QPen(QColor(236, 242, 250), s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.58, s * 0.58), QPointF(s * 0.8, s * 0.8));
    QPainterPath wave;
    wave.moveTo(s * 0.27, s * 0.52);
    wave.cubicTo(s * 0.38, s * 0.38, s * 0.50, s * 0.64, s * 0.62, s * 0.46);
    p.setPen(QPen(QColor(245, 166, 35), s * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);
    return logo;
}

TFAbout::TFAbout(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("About..."));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetClientSize(425, 148);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(32, 24, 81, 81);
    Image2->setScaledContents(true);
    Image2->setPixmap(Maker_Logo(81));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    for (const FixedLabel& l : kLabels) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(l.name));
        label->move(l.left, l.top);
        if (l.text) label->setText(QString::fromLatin1(l.text));
        label->adjustSize();
        this->*l.member = label;
    }
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->installEventFilter(this);

    FadeButton1 = NewHouseButton(QStringLiteral("OK"), this, {81, 22, bsEncarta, plat::clYellow});
    FadeButton1->setObjectName(QStringLiteral("FadeButton1"));
    FadeButton1->setGeometry(32, 115, 81, 22);
    plat::onSignal(FadeButton1, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrOk); });
    SetCancelButton(FadeButton1);  // Esc closes the window as its only button does
}

TFAbout::~TFAbout() {
    if (FAbout == this) FAbout = nullptr;
}

void TFAbout::FormShow() {
    Label2->setText(QString::fromLatin1(kSoftwareDescription));
    Label9->setText(QString::fromLatin1(kSoftwareCode));
    Label10->setText(QString::fromLatin1(kSoftwareVersion));
    Label12->setText(QString::fromLatin1(kManualCode));
    // The address shown is the one the click opens, short enough for the corner it sits in.
    QString host = QUrl(g_MakerWebServer).host();
    if (host.isEmpty()) host = g_MakerWebServer;
    if (host.startsWith(QLatin1String("www."))) host.remove(0, 4);
    Label4->setText(host);
    for (QLabel* l : {Label2, Label9, Label10, Label12, Label4}) l->adjustSize();
    SetClientSize(425, 148);
}

void TFAbout::Label4Click() { plat::openUrl(Home_Page_Address()); }

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label4 || watched == Image2) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        plat::guarded([this] { Label4Click(); });
        return true;
    }
    return plat::TForm::eventFilter(watched, event);
}
