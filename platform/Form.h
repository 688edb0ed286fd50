#pragma once
// The base of every window of the program: a dialog shown modally by its step, with the house
// colours and font, an optional title strip (software code and description), a client size in
// pixels and the `Set_Lang` hook that relabels it from the text table.
#include "platform/Keys.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QWidget;

namespace plat {

// A control that may answer the window's Enter and Esc itself (a push button marked default or
// cancel); the window asks every such control it holds before its own rules.
class TDialogKeyHandler {
public:
    // True when the control took the key.
    virtual bool DialogKey(uint16_t key, TShiftState shift) = 0;

protected:
    ~TDialogKeyHandler() = default;
};

enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class TForm : public QDialog {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);

    // Shows the window modally and returns how it was closed (mrCancel when closed by the frame).
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    // Closes a modal window with the given result (mrNone keeps it open).
    void SetModalResult(int result);

    void SetClientSize(int width, int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }

    // Re-reads every caption, hint and item of the window from the text table.
    virtual void Set_Lang() {}

    // The title strip at the top, created on demand: `L_SW_Code` and `L_SW_Desc`, laid out and
    // coloured alike in every window.
    static constexpr int kTitleHeight = 69;
    static constexpr int kTitleCodePixels = 26;
    QWidget* TitleStrip();
    void SetTitleHeight(int height);
    QLabel* L_SW_Code();
    QLabel* L_SW_Desc();

    // Enter presses only this button (a focused button still takes its own Enter); none by default,
    // so an Enter that an edit or a grid passes on never saves and closes a window.
    // The button is any push button with a click() slot.
    void SetDefaultButton(QWidget* button);
    // Esc (without Shift, Ctrl or Alt) presses this button as a click does: the window's Cancel or
    // Close, with whatever that button asks or leaves unsaved. A control that takes Esc itself (an
    // open cell editor, a list that is dropped down) keeps it; a hidden or disabled button is not
    // pressed. The button is any push button with a click() slot.
    void SetCancelButton(QWidget* button) { cancelButton_ = button; }
    QWidget* CancelButton() const { return cancelButton_; }
    // Esc closes a window without such a button with Cancel where this is set.
    void SetCancelOnEscape(bool on) { cancelOnEscape_ = on; }

    // A centred window (every window unless told otherwise) has its client area in the middle of
    // its screen's work area at every showing, whatever its frame; the others are placed by the
    // system.
    void SetCentred(bool on) { centred_ = on; }
    bool Centred() const { return centred_; }

    static QColor HouseColor();  // red 248, green 247, blue 237
    static QFont HouseFont();    // Verdana
    static QColor TitleCodeColor();  // grey: red, green and blue 128

protected:
    // Runs when the window is shown, inside the general error handler.
    virtual void FormShow() {}
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int r) override;

private:
    void buildTitleStrip();
    void layoutTitleStrip(int height);
    int modalResult_ = mrNone;
    QPointer<QWidget> defaultButton_;
    QPointer<QWidget> cancelButton_;
    bool cancelOnEscape_ = false;
    void centreOnScreen();
    bool centred_ = true;
    QWidget* titleStrip_ = nullptr;
    QLabel* swCode_ = nullptr;
    QLabel* swDesc_ = nullptr;
};

// The client rectangle of a centred window: the client area in the middle of the work area, moved
// down only as far as the frame's top (its caption) needs to stay on the work area.
QRect CentredClientRect(const QRect& area, const QSize& client, int frameTop);

// A control's own shown and enabled flags, which do not depend on its parent's.
bool ownVisible(const QWidget* w);
bool ownEnabled(const QWidget* w);

}  // namespace plat
