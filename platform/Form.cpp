#include "platform/Form.h"

#include "platform/Guard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>

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
QColor TForm::TitleCodeColor() { return QColor(128, 128, 128); }

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
    if (titleStrip_) layoutTitleStrip(titleStrip_->height());
}

QRect CentredClientRect(const QRect& area, const QSize& client, int frameTop) {
    QRect r(QPoint(area.x() + (area.width() - client.width()) / 2, area.y() + (area.height() - client.height()) / 2),
            client);
    // A window too tall for the middle keeps its caption on the work area, where it can be taken.
    if (r.top() - frameTop < area.top()) r.moveTop(area.top() + frameTop);
    return r;
}

void TForm::centreOnScreen() {
    QScreen* s = nullptr;
    if (QWidget* p = parentWidget()) s = p->window()->screen();
    if (!s) s = screen();
    if (!s) s = QGuiApplication::primaryScreen();
    if (!s) return;
    // The client area is what is centred: frames differ between systems and between one window's
    // states (a maximised one has none at the sides), so a frame seen once says nothing of the next.
    const QWindow* h = windowHandle();
    const int frameTop =
        h && !(h->windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? h->frameMargins().top() : 0;
    setGeometry(CentredClientRect(s->availableGeometry(), size(), frameTop));
}

void TForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    guarded([this] { FormShow(); });
    // Placed after FormShow, which may size the window, and before the system shows it.
    if (centred_) centreOnScreen();
}

void TForm::SetDefaultButton(QWidget* button) {
    defaultButton_ = button;
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setDefault(true);
}

void TForm::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // Buttons marked default or cancel answer first, each by its own rule.
        const uint16_t vk = key == Qt::Key_Escape ? VK_ESCAPE : VK_RETURN;
        const TShiftState shift = ShiftStateOf(*event);
        bool taken = false;
        guarded([&] {
            for (QWidget* w : findChildren<QWidget*>()) {
                auto* handler = dynamic_cast<TDialogKeyHandler*>(w);
                if (handler && w->window() == this && handler->DialogKey(vk, shift)) {
                    taken = true;
                    return;
                }
            }
        });
        if (taken) return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (defaultButton_ && defaultButton_->isVisible() && defaultButton_->isEnabled())
            QMetaObject::invokeMethod(defaultButton_, "click");
        else
            event->ignore();
        return;
    }
    if (key == Qt::Key_Escape) {
        const Qt::KeyboardModifiers mods =
            event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (mods == Qt::NoModifier && cancelButton_ && cancelButton_->isVisible() && cancelButton_->isEnabled())
            QMetaObject::invokeMethod(cancelButton_, "click");
        else if (mods == Qt::NoModifier && cancelOnEscape_)
            SetModalResult(mrCancel);
        else
            event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm::buildTitleStrip() {
    if (titleStrip_) return;
    // One look for every window: a white strip 69 pixels high, the software code in large grey
    // type above the window's description.
    titleStrip_ = new QWidget(this);
    titleStrip_->setObjectName(QStringLiteral("P_Title"));
    titleStrip_->setAutoFillBackground(true);
    QPalette pal = titleStrip_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    titleStrip_->setPalette(pal);
    swCode_ = new QLabel(titleStrip_);
    swCode_->setObjectName(QStringLiteral("L_SW_Code"));
    QFont code = HouseFont();
    code.setPixelSize(kTitleCodePixels);
    code.setBold(true);
    swCode_->setFont(code);
    QPalette grey = swCode_->palette();
    grey.setColor(QPalette::WindowText, TitleCodeColor());
    swCode_->setPalette(grey);
    swDesc_ = new QLabel(titleStrip_);
    swDesc_->setObjectName(QStringLiteral("L_SW_Desc"));
    layoutTitleStrip(kTitleHeight);
}

void TForm::layoutTitleStrip(int height) {
    titleStrip_->setGeometry(0, 0, width(), height);
    swCode_->setGeometry(12, 6, std::max(width() - 24, 0), 34);
    swDesc_->setGeometry(14, 42, std::max(width() - 26, 0), std::max(height - 46, 16));
}

void TForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The strip spans the window whatever its size.
    if (titleStrip_) layoutTitleStrip(titleStrip_->height());
}

QWidget* TForm::TitleStrip() {
    buildTitleStrip();
    return titleStrip_;
}
void TForm::SetTitleHeight(int height) {
    buildTitleStrip();
    layoutTitleStrip(height);
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
