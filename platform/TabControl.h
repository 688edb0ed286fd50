#pragma once
// The tab control the page control stands on: a strip of tabs on one side of the control, each
// carrying a text and an object, laid out in one row or in several, and the display area beside
// it. The tabs are sized by their texts and, with an image list, lengthened by its image size.
// Owner drawn, the control paints only its background and leaves the tabs to its owner; otherwise
// the tabs and the page border are drawn in the style's own look.
#include "platform/Controls.h"
#include "platform/Events.h"

#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class QObject;

namespace plat {

class TImageList;

enum TTabPosition : uint8_t { tpTop, tpBottom, tpLeft, tpRight };
using TTabChangingEvent = std::function<void(QObject* Sender, bool& AllowChange)>;
class TCustomTabControl;
using TDrawTabEvent = std::function<void(TCustomTabControl* Control, int TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = std::function<void(QObject* Sender, int TabIndex, int& ImageIndex)>;

class TCustomTabControl : public TCustomControl {
public:
    explicit TCustomTabControl(QWidget* parent = nullptr);
    ~TCustomTabControl() override;

    int TabCount() const { return int(tabs_.size()); }
    QString TabText(int index) const;
    QObject* TabObject(int index) const;
    // Index outside 0 .. TabCount: a list error. Inserting does not change the selection's tab.
    void InsertTab(int index, const QString& text, QObject* object);
    void DeleteTab(int index);
    void SetTabText(int index, const QString& text);
    void MoveTab(int from, int to);
    bool Highlighted(int index) const;
    void SetHighlighted(int index, bool on);

    // The selected tab, -1 for none; writing it fires no event.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index);

    TTabPosition TabPosition() const { return position_; }
    void SetTabPosition(TTabPosition position);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on);
    int TabHeight() const { return tabHeight_; }  // 0: from the font
    void SetTabHeight(int height);
    int TabWidth() const { return tabWidth_; }  // 0: from the text
    void SetTabWidth(int width);
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool on);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool on) { hotTrack_ = on; Invalidate(); }
    // The image list the tabs are lengthened by (not owned; nullptr: none).
    TImageList* TabImages() const { return images_; }
    void SetTabImages(TImageList* images);

    // The control's own colour, behind the tabs and the display area.
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    TRect TabRect(int index) const;  // empty outside the list
    int IndexOfTabAt(int x, int y) const;
    // The area the pages fill.
    TRect DisplayRect() const;

    // A single row on top or at the bottom that is longer than the control scrolls: a pair of
    // arrows at the row's right end moves it by one tab. FirstVisibleTab is the tab at the row's
    // start (0 while the row fits); ScrollArrowsRect is empty while the arrows are hidden.
    int FirstVisibleTab() const;
    TRect ScrollArrowsRect() const;
    // Moves the row by delta tabs, within the range the arrows allow.
    void ScrollTabs(int delta);

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;
    // Owner drawn: asked to draw each tab over the background.
    TDrawTabEvent OnDrawTab;
    // Decides the image a tab shows, starting from the tab's own index.
    TTabGetImageEvent OnGetImageIndex;

protected:
    // Asked before the user selects another tab; the default fires OnChanging.
    virtual bool CanChange();
    // After the user selected another tab; the default fires OnChange.
    virtual void Change();
    virtual bool CanShowTab(int) { return true; }
    // The image a tab shows; by default its own index, as OnGetImageIndex leaves it.
    virtual int GetImageIndex(int tab);
    // Owner drawn: one tab; by default OnDrawTab, or else the rectangle filled with the brush.
    virtual void DrawTab(int TabIndex, const TRect& Rect, bool Active);
    // The tabs or the display area moved.
    virtual void LayoutChanged() {}
    // The size every tab is lengthened by (the image list's; none without one).
    virtual QSize TabImageSize() const;

    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    void relayout();

private:
    struct Tab {
        QString text;
        QObject* object = nullptr;
        bool highlighted = false;
    };
    class Arrows;
    void layout() const;
    void placeArrows() const;
    void paintStyled();
    std::vector<Tab> tabs_;
    int tabIndex_ = -1;
    TTabPosition position_ = tpTop;
    bool multiLine_ = false;
    int tabHeight_ = 0, tabWidth_ = 0;
    bool ownerDraw_ = false, hotTrack_ = false;
    TImageList* images_ = nullptr;
    TColor color_ = clBtnFace;
    mutable std::vector<TRect> rects_;
    mutable TRect strip_;
    mutable bool layoutValid_ = false;
    mutable int firstTab_ = 0, lastFirstTab_ = 0;
    mutable bool revealSelection_ = false;
    mutable QSize laidOut_;
    mutable TRect arrowsRect_;
    Arrows* arrows_ = nullptr;
};

}  // namespace plat
