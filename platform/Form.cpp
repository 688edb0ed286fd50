#include "platform/Form.h"

#include "platform/Guard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMoveEvent>
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

namespace {
// The window frame the system draws around our windows, as last seen on a shown window: every
// window of the program gets the same frame, so a window shown for the first time is placed with
// it before the system reports its own.
QMargins& knownFrame() {
    static QMargins m;
    return m;
}

QMargins frameOf(const QWidget* w) {
    const QWindow* h = w->windowHandle();
    const QMargins m = h && w->isVisible() ? h->frameMargins() : QMargins();
    if (!m.isNull()) knownFrame() = m;
    return m.isNull() ? knownFrame() : m;
}
}  // namespace

void TForm::centreOnScreen() {
    QScreen* s = nullptr;
    if (QWidget* p = parentWidget()) s = p->window()->screen();
    if (!s) s = screen();
    if (!s) s = QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    const QMargins m = frameOf(this);
    const QSize outer = size().grownBy(m);
    // The client area is placed, not the frame: how a frame position is taken differs between a
    // window that is framed already and one that is not.
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    setGeometry(QRect(frameTopLeft + QPoint(m.left(), m.top()), size()));
    recentrePending_ = m.isNull();
}

void TForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // The first window shown learns its frame only once the system has framed it: placed again
    // with it, once.
    if (recentrePending_ && centred_ && windowHandle() && !windowHandle()->frameMargins().isNull()) {
        recentrePending_ = false;
        centreOnScreen();
    }
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
