#pragma once
// The pop-up of a drop-down edit: a frameless tool window kept above the application that holds
// the optional header bar, the member's control and the optional footer bar. It is made once by
// the edit and shown and hidden for each drop-down.
//
// It is not a Qt popup, which closes at any outside click and whenever a modal dialog opens: it
// watches the application itself and counts as deactivated when another window takes the focus
// or the mouse is pressed outside it (unless the window belongs to the pop-up, such as a
// dialog of its control). While BlockActivate is set, nothing of that closes it.
#include <cstdint>
#include <functional>
#include <limits>

#include "platform/Controls.h"

namespace dropdowns {

class TExCustomDropDown;
class TExHeader;
class TExFooter;

class TDropDownForm : public plat::TCustomControl {
public:
    // The form belongs to the window holding the edit, so it stays above the application.
    explicit TDropDownForm(QWidget* ownerWindow);
    ~TDropDownForm() override;

    bool BlockActivate = false;
    // The bottom-right 10 pixels resize the form.
    bool Sizeable = false;
    bool Shadow = true;
    bool CancelOnDeActivate = true;
    plat::TNotifyEvent OnSizing;
    plat::TNotifyEvent OnHide;
    std::function<void(int Delta)> OnWheel;

    // When the form last lost the activation while shown (on the edit's clock); very negative
    // when it never did.
    int64_t DeActivateTime() const { return FDeActivate; }
    TExHeader* Header() const { return FHeader; }
    TExFooter* Footer() const { return FFooter; }
    TExCustomDropDown* DovUzerAdev() const { return FDovUzerAdev; }
    void SetDovUzerAdev(TExCustomDropDown* Edit) { FDovUzerAdev = Edit; }

    // Creates the bars the edit's appearances ask for (once) and brings them up to date.
    void InitializeAndUpdate();
    virtual void UpdateSize() {}
    // The client rectangle inside the border: where the bars and the control go.
    plat::TRect AdjustClientRect() const;
    // Places the aligned children (header at the top, footer at the bottom, the control between).
    void Realign();

    // The form lost the activation to `receiving` (null: to another application).
    void Deactivated(QWidget* receiving);

protected:
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inCorner(int X, int Y) const;
    bool belongsHere(QWidget* w) const;
    void focusWindowChanged();

    int64_t FDeActivate = std::numeric_limits<int32_t>::min();
    TExFooter* FFooter = nullptr;
    TExHeader* FHeader = nullptr;
    TExCustomDropDown* FDovUzerAdev = nullptr;
    bool sizing_ = false;
    QPoint sizingFrom_;
    QSize sizingSize_;
};

}  // namespace dropdowns
