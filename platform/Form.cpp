#include "platform/Form.h"

#include "platform/Guard.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace plat {

TForm::TForm(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, HouseColor());
    setPalette(pal);
    setFont(HouseFont());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QColor TForm::HouseColor() { return QColor(248, 247, 237); }

QFont TForm::HouseFont() {
    QFont f(QStringLiteral("Verdana"));
    f.setPointSize(8);
    return f;
}

int TForm::ShowModal() {
    modalResult_ = mrNone;
    const int r = exec();
    if (modalResult_ == mrNone) modalResult_ = (r == QDialog::Accepted) ? mrOk : mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    if (result == mrNone) return;
    modalResult_ = result;
    QDialog::done(result == mrOk ? QDialog::Accepted : QDialog::Rejected);
}

void TForm::done(int r) {
    if (modalResult_ == mrNone) modalResult_ = (r == QDialog::Accepted) ? mrOk : mrCancel;
    QDialog::done(r);
}

void TForm::SetClientSize(int width, int height) {
    setFixedSize(width, height);
    if (titleStrip_) titleStrip_->setGeometry(0, 0, width, titleStrip_->height());
}

void TForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) guarded([this] { FormShow(); });
}

void TForm::SetDefaultButton(QPushButton* button) {
    defaultButton_ = button;
    if (button) button->setDefault(true);
}

void TForm::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (defaultButton_ && defaultButton_->isVisible() && defaultButton_->isEnabled())
            defaultButton_->click();
        else
            event->ignore();
        return;
    }
    if (key == Qt::Key_Escape) {
        if (cancelOnEscape_)
            SetModalResult(mrCancel);
        else
            event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm::buildTitleStrip() {
    if (titleStrip_) return;
    titleStrip_ = new QWidget(this);
    titleStrip_->setObjectName(QStringLiteral("P_Title"));
    titleStrip_->setAutoFillBackground(true);
    QPalette pal = titleStrip_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    titleStrip_->setPalette(pal);
    titleStrip_->setGeometry(0, 0, width(), 41);
    swCode_ = new QLabel(titleStrip_);
    swCode_->setObjectName(QStringLiteral("L_SW_Code"));
    QFont bold = HouseFont();
    bold.setBold(true);
    swCode_->setFont(bold);
    swCode_->setGeometry(8, 4, 300, 16);
    swDesc_ = new QLabel(titleStrip_);
    swDesc_->setObjectName(QStringLiteral("L_SW_Desc"));
    swDesc_->setGeometry(8, 21, 400, 16);
}

QWidget* TForm::TitleStrip() {
    buildTitleStrip();
    return titleStrip_;
}
void TForm::SetTitleHeight(int height) {
    buildTitleStrip();
    titleStrip_->setGeometry(0, 0, width(), height);
}

QLabel* TForm::L_SW_Code() {
    buildTitleStrip();
    return swCode_;
}
QLabel* TForm::L_SW_Desc() {
    buildTitleStrip();
    return swDesc_;
}

bool ownVisible(const QWidget* w) {
    if (!w) return false;
    if (w->isWindow()) return w->isVisible();
    // A child never shown or hidden explicitly follows its parent: its own flag is set.
    return !(w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden));
}

bool ownEnabled(const QWidget* w) { return w && !w->testAttribute(Qt::WA_ForceDisabled); }

}  // namespace plat
