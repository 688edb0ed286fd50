#include "gateway/UTopicTemplate.h"

#include "controls/FadeButton.h"
#include "grid/ExGrid.h"
#include "platform/Guard.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 635;
constexpr int kClientHeight = 396;
constexpr int kButtonHeight = 40;
constexpr int kLegendHeight = 108;
constexpr int kKeywordCol = 0;
constexpr int kDescriptionCol = 1;

}  // namespace

TFTopicTemplate::TFTopicTemplate(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FTopicTemplate"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetClientSize(kClientWidth, kClientHeight);
    const DialogFrame frame = Build_Dialog_Frame(this, kTitleHeight);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setGeometry(0, kTitleHeight, kClientWidth, kClientHeight - kTitleHeight - kButtonHeight);

    RE_TopicTemplate = new QPlainTextEdit(Splitter1);
    RE_TopicTemplate->setObjectName(QStringLiteral("RE_TopicTemplate"));
    RE_TopicTemplate->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab goes on to the next control: a tab character has no place in a topic, and OK and Cancel
    // stay within reach of the keyboard.
    RE_TopicTemplate->setTabChangesFocus(true);

    P_Legend = new QWidget(Splitter1);
    P_Legend->setObjectName(QStringLiteral("P_Legend"));
    auto* legend = new QVBoxLayout(P_Legend);
    legend->setContentsMargins(4, 2, 4, 2);
    legend->setSpacing(2);
    L_List_Keywords = new QLabel(P_Legend);
    L_List_Keywords->setObjectName(QStringLiteral("L_List_Keywords"));
    legend->addWidget(L_List_Keywords);
    SG_Keywords = new TExStringGrid(P_Legend);
    SG_Keywords->setObjectName(QStringLiteral("SG_Keywords"));
    Set_Table_Grid_Form(*SG_Keywords, true);
    SG_Keywords->SetColCount(2);
    SG_Keywords->SetRowCount(2);
    SG_Keywords->SetFixedCols(0);
    SG_Keywords->SetColWidths(kKeywordCol, 200);
    SG_Keywords->SetColWidths(kDescriptionCol, 380);
    SG_Keywords->Loaded();
    legend->addWidget(SG_Keywords);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    const int middle = kClientHeight - kTitleHeight - kButtonHeight;
    Splitter1->setSizes({middle - kLegendHeight, kLegendHeight});

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrOk); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    L_SW_Code()->setText(g_SWCode);
    Set_Lang();
}

void TFTopicTemplate::Set_Lang() {
    setWindowTitle(Text_Table.value(1700));
    L_SW_Desc()->setText(Text_Table.value(1702));
    L_List_Keywords->setText(Text_Table.value(1704));
    SG_Keywords->SetCells(kKeywordCol, 0, Text_Table.value(1705));
    SG_Keywords->SetCells(kDescriptionCol, 0, Text_Table.value(1706));
    Btn_OK->SetCaption(Text_Table.value(1707));
    Btn_Cancel->SetCaption(Text_Table.value(1708));
}

void TFTopicTemplate::applyCaption() {
    // Read at every showing, so the caption follows both the kind of text and the language.
    setWindowTitle(Text_Table.value(TopicTemplate ? 1701 : 1700));
    L_SW_Desc()->setText(Text_Table.value(TopicTemplate ? 1703 : 1702));
}

void TFTopicTemplate::FormShow() {
    applyCaption();
    L_SW_Code()->setText(g_SWCode);
    Laod_Keywords();
    if (RE_TopicTemplate->isEnabled() && RE_TopicTemplate->isVisibleTo(this)) RE_TopicTemplate->setFocus();
}

void TFTopicTemplate::Laod_Keywords() {
    // No keyword is offered yet; the grid keeps one empty row in which a keyword can be typed.
    const QStringList keywords;
    const QStringList descriptions;
    const int rows = int(keywords.size());
    SG_Keywords->SetRowCount(std::max(rows, 1) + 1);
    for (int r = 1; r < SG_Keywords->RowCount(); ++r) {
        SG_Keywords->SetCells(kKeywordCol, r, keywords.value(r - 1));
        SG_Keywords->SetCells(kDescriptionCol, r, descriptions.value(r - 1));
        SG_Keywords->SetReadOnly(kKeywordCol, r, false);
        SG_Keywords->SetReadOnly(kDescriptionCol, r, true);
    }
}

void TFTopicTemplate::Set_Text(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    RE_TopicTemplate->setPlainText(plain);
}

QString TFTopicTemplate::Text() const {
    // The raw text keeps every character as typed (the plain-text export would turn non-breaking
    // blanks into blanks); its paragraph and line separators become CR LF.
    QString text = RE_TopicTemplate->document()->toRawText();
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n')
            out += QStringLiteral("\r\n");
        else
            out += c;
    }
    return out;
}
