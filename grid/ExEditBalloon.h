#pragma once
// The tip that points at a cell's editor when the grid refuses what was typed: a frameless
// tool-tip window with a title, a text and the style's information, warning or error icon. It goes
// at the next key or the next change of focus anywhere in the program.
#include <QPointer>
#include <QString>
#include <QWidget>

class TEditBalloonTip : public QWidget {
public:
    // Owned by AOwner (the grid) and freed with it; a window of its own all the same.
    explicit TEditBalloonTip(QWidget* AOwner);
    ~TEditBalloonTip() override;

    // Icon: 0 none, 1 information, 2 warning, 3 error. The tip's pointer touches the middle of the
    // target's lower edge.
    void ShowAt(QWidget* Target, const QString& Title, const QString& Text, int Icon);
    void Dismiss();

    const QString& Title() const { return FTitle; }
    const QString& Text() const { return FText; }
    int Icon() const { return FIcon; }
    QWidget* Target() const { return FTarget.data(); }
    // Where the pointer's tip is, in screen coordinates.
    QPoint PointerTip() const { return FTip; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void watch(bool On);
    QPointer<QWidget> FTarget;
    QString FTitle, FText;
    int FIcon = 0;
    QPoint FTip;
    bool FWatching = false;
};
