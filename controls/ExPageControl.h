#pragma once
// The page control: pages of class TExTabSheet, one tab per page whose tab is visible, painted by
// the control itself (per-tab colours and gradients, an active-tab colour, hover colours, the
// classic and the flat tab style, tabs on any side with turned captions on the left and right,
// images, close boxes with a list of closed pages, tab pictures and margins). Controls docked
// into it get a page of their own.
#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/Events.h"
#include "platform/Font.h"
#include "platform/ImageList.h"
#include "platform/TabControl.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class TExPageControl;

using TMarginSize = int;
using TMarginChange = std::function<void(TMarginSize NewValue, TMarginSize OldValue, int Index)>;

class TTabMargin {
public:
    TMarginSize LeftMargin() const { return margins_[0]; }
    TMarginSize TopMargin() const { return margins_[1]; }
    TMarginSize RightMargin() const { return margins_[2]; }
    void SetLeftMargin(TMarginSize v) { SetMargin(0, v); }
    void SetTopMargin(TMarginSize v) { SetMargin(1, v); }
    void SetRightMargin(TMarginSize v) { SetMargin(2, v); }
    // 0 left, 1 top, 2 right: the notification runs before the value is stored.
    void SetMargin(int index, TMarginSize value);
    // Copies the three values without notification.
    void Assign(const TTabMargin& other);

    TMarginChange OnMarginChange;

private:
    TMarginSize margins_[3] = {0, 0, 0};
};

enum TGradientDirection : uint8_t { gdVertical, gdHorizontal };
enum TTabStyle : uint8_t { tsClassic, tsDotNet };

using TCanCloseEvent = std::function<void(QObject* Sender, bool& CanClose)>;
using TCanChangeEvent = std::function<void(QObject* Sender, int FromPage, int ToPage, bool& AllowChange)>;

class TExTabSheet : public plat::TCustomControl {
public:
    explicit TExTabSheet(QWidget* owner = nullptr);
    ~TExTabSheet() override;

    TExPageControl* PageControl() const { return pageControl_; }
    // Joins that page control (leaving the old one first); nullptr only leaves.
    void SetPageControl(TExPageControl* control);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // What the tab control is given for this page (see SetCaption).
    const QString& TabText() const { return tabText_; }

    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor c);
    plat::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(plat::TColor c);
    plat::TColor TabColor() const { return tabColor_; }
    void SetTabColor(plat::TColor c);
    plat::TColor TabColorTo() const { return tabColorTo_; }
    void SetTabColorTo(plat::TColor c);
    plat::TColor TextColor() const { return textColor_; }
    void SetTextColor(plat::TColor c);
    TGradientDirection TabGradientDirection() const { return tabGradient_; }
    void SetTabGradientDirection(TGradientDirection d);
    TGradientDirection HoverGradientDirection() const { return hoverGradient_; }
    void SetHoverGradientDirection(TGradientDirection d) { hoverGradient_ = d; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int PageIndex() const;
    void SetPageIndex(int index);
    // The number of pages before this one whose tab shows; -1 while its own tab does not show.
    int TabIndex() const;
    bool ShowClose() const { return showClose_; }
    void SetShowClose(bool on);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool on);
    bool TabEnable() const { return tabEnable_; }
    void SetTabEnable(bool on);
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool on);

    TCanCloseEvent OnCanClose;
    plat::TNotifyEvent OnClose, OnShow, OnHide;

protected:
    void Paint() override;
    virtual void DoShow();
    virtual void DoHide();
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TExPageControl;
    void showingChanged(bool showing);
    void updateTabShowing();
    void setTabShowing(bool on);
    void refreshTab();  // hands the tab text to the tab control

    TExPageControl* pageControl_ = nullptr;
    QString caption_, tabText_;
    plat::TColor color_ = plat::clBtnFace, colorTo_ = plat::clNone;
    plat::TColor tabColor_ = plat::clNone, tabColorTo_ = plat::clNone, textColor_ = 0;
    TGradientDirection tabGradient_ = gdVertical, hoverGradient_ = gdVertical;
    int imageIndex_ = -1;
    bool showClose_ = false, tabVisible_ = true, tabEnable_ = true, highlighted_ = false;
    bool tabShowing_ = false;
    bool shownReported_ = false;
    QPointer<QWidget> owner_;
    QPointer<QWidget> docked_;  // the control docked into this page
};

class TExPageControl : public plat::TCustomTabControl {
public:
    explicit TExPageControl(QWidget* parent = nullptr);
    ~TExPageControl() override;

    TExTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TExTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    TExTabSheet* Pages(int index) const;  // list error outside the list
    int PageCount() const { return int(pages_.size()); }
    TExTabSheet* FindNextPage(TExTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
    void SelectNextPage(bool GoForward);
    bool OpenClosedTab(const QString& TabName);
    void OpenAllClosedTabs();
    // The names of the pages the close boxes put aside, whose pages still exist.
    std::vector<QString> ClosedTabNames() const;
    int GetVersionNr() const { return 0x01040000; }
    QString Version() const;
    void SetVersion(const QString&) {}  // read-only; kept for loading
    // Makes the page of the current tab index active.
    virtual void UpdateActivePage();
    // Sizes the spacer list and applies the pages' highlights once the settings are in place.
    void Loaded();

    plat::TFont& ActiveFont() { return activeFont_; }
    void SetActiveFont(const plat::TFont& font);
    const plat::TBitmap& CloseGlyph() const { return closeGlyph_; }
    void SetCloseGlyph(const plat::TBitmap& glyph);
    plat::TColor DefaultTextColor() const { return defaultTextColor_; }
    void SetDefaultTextColor(plat::TColor c);
    plat::TColor DefaultTabColor() const { return defaultTabColor_; }
    void SetDefaultTabColor(plat::TColor c);
    plat::TColor DefaultTabColorTo() const { return defaultTabColorTo_; }
    void SetDefaultTabColorTo(plat::TColor c);
    plat::TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(plat::TColor c);
    plat::TColor ActiveColorTo() const { return activeColorTo_; }
    void SetActiveColorTo(plat::TColor c);
    bool TabBorder3D() const { return tabBorder3D_; }
    void SetTabBorder3D(bool on);
    plat::TColor TabBorderColor() const { return tabBorderColor_; }
    void SetTabBorderColor(plat::TColor c);
    bool TabSheet3D() const { return tabSheet3D_; }
    void SetTabSheet3D(bool on);
    plat::TColor TabSheetBorderColor() const { return tabSheetBorderColor_; }
    void SetTabSheetBorderColor(plat::TColor c);
    plat::TColor TabHoverColor() const { return tabHoverColor_; }
    void SetTabHoverColor(plat::TColor c) { tabHoverColor_ = c; }
    plat::TColor TabHoverColorTo() const { return tabHoverColorTo_; }
    void SetTabHoverColorTo(plat::TColor c) { tabHoverColorTo_ = c; }
    plat::TColor TabHoverBorder() const { return tabHoverBorder_; }
    void SetTabHoverBorder(plat::TColor c) { tabHoverBorder_ = c; }
    plat::TColor TabBackGroundColor() const { return tabBackGroundColor_; }
    void SetTabBackGroundColor(plat::TColor c);
    const plat::TBitmap& TabBackGround() const { return tabBackGround_; }
    void SetTabBackGround(const plat::TBitmap& picture);
    const plat::TBitmap& TabBackGroundActive() const { return tabBackGroundActive_; }
    void SetTabBackGroundActive(const plat::TBitmap& picture);
    TTabMargin& TabMargin() { return tabMargin_; }
    void SetTabMargin(const TTabMargin& margin) { tabMargin_.Assign(margin); Invalidate(); }
    int TabOverlap() const { return tabOverlap_; }
    void SetTabOverlap(int overlap);  // 0 .. 15
    bool TabSplitLine() const { return tabSplitLine_; }
    void SetTabSplitLine(bool on);
    bool RoundEdges() const { return roundEdges_; }
    void SetRoundEdges(bool on);
    TTabStyle TabStyle() const { return tabStyle_; }
    void SetTabStyle(TTabStyle style);
    int LowerActive() const { return lowerActive_; }
    void SetLowerActive(int lower);
    bool FreeOnClose() const { return freeOnClose_; }
    void SetFreeOnClose(bool on) { freeOnClose_ = on; }
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool on) { showFocus_ = on; Invalidate(); }
    plat::TImageList* Images() const { return images_; }
    void SetImages(plat::TImageList* images);
    void SetTabPosition(plat::TTabPosition position);

    // The page whose tab is under the point, -1 for none.
    int PageIndexAt(int x, int y) const;
    // The rectangle of a page's tab (empty while its tab does not show).
    plat::TRect PageTabRect(int pageIndex) const;
    // The close box of a page's tab.
    plat::TRect CloseRect(int pageIndex) const;
    int HoverPage() const { return hoverPage_; }
    // The size of the spacer list (an image list without pictures, Images by default).
    int SpacerWidth() const { return spacerW_; }
    int SpacerHeight() const { return spacerH_; }
    bool IsSpacer(const plat::TImageList* list) const { return list == &spacer_; }

    TCanChangeEvent OnCanChange;

    // Docking: a control docked into the control gets a page of its own, which takes a window's
    // title as its caption and follows the control's title and visibility.
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool on) { dockSite_ = on; }
    // The control's new page; nullptr without DockSite or when the control is docked here already.
    TExTabSheet* DockControl(QWidget* control);
    // Takes the control out of its page, which is freed; the next page becomes active.
    void UndockControl(QWidget* control);
    QWidget* DockedControl(const TExTabSheet* page) const { return page ? page->docked_.data() : nullptr; }
    // The dock site under a point of the screen: the page control with DockSite set whose
    // window rectangle holds it (nullptr for none).
    static TExPageControl* DockSiteAt(const QPoint& globalPos);

    // Brings a child control's page to the front.
    void ShowControl(QWidget* control);

protected:
    bool CanChange() override;
    void Change() override;
    bool CanShowTab(int tab) override;
    int GetImageIndex(int tab) override;
    void LayoutChanged() override;
    QSize TabImageSize() const override;
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TExTabSheet;
    friend class ExPageControlPainter;
    void insertPage(TExTabSheet* page);
    void removePage(TExTabSheet* page);
    void changeActivePage(TExTabSheet* page);
    void refreshActiveTabWidth(TExTabSheet* page);
    void marginChanged(TMarginSize newValue, TMarginSize oldValue, int index);
    void sizeSpacer();
    int listLength(const plat::TImageList* list) const;  // along the strip's tabs
    void addListLength(int delta);
    void fitPages();
    int tabToPage(int tab) const;
    void DrawTabs(plat::TCanvas& canvas);
    void drawCloseBox(plat::TCanvas& canvas, int pageIndex, int look);

    std::vector<TExTabSheet*> pages_;
    TExTabSheet* activePage_ = nullptr;
    plat::TFont activeFont_;
    plat::TBitmap closeGlyph_, tabBackGround_, tabBackGroundActive_;
    plat::TColor defaultTextColor_ = 0, defaultTabColor_ = plat::clBtnFace, defaultTabColorTo_ = plat::clNone;
    plat::TColor activeColor_ = plat::clBtnFace, activeColorTo_ = plat::clNone;
    bool tabBorder3D_ = false, tabSheet3D_ = false, tabSplitLine_ = false, roundEdges_ = false;
    plat::TColor tabBorderColor_ = plat::clGray, tabSheetBorderColor_ = plat::clGray;
    plat::TColor tabHoverColor_ = plat::clNone, tabHoverColorTo_ = plat::clNone, tabHoverBorder_ = plat::clNone;
    plat::TColor tabBackGroundColor_ = plat::clBtnFace;
    TTabMargin tabMargin_;
    int tabOverlap_ = 0;
    TTabStyle tabStyle_ = tsClassic;
    int lowerActive_ = 2;
    bool freeOnClose_ = false, showFocus_ = false;
    plat::TImageList spacer_{0, 0};
    int spacerW_ = 0, spacerH_ = 0;
    plat::TImageList* images_ = nullptr;
    int hoverPage_ = -1;
    bool closeHot_ = false, closePressed_ = false;
    // The pages the close boxes put aside, in closing order, each once under the name it had when
    // closed (several may share a name); a page freed by its owner drops out of the list.
    struct ClosedPage {
        QString name;
        QPointer<TExTabSheet> page;
    };
    std::vector<ClosedPage> closedPages_;
    void dropFreedClosedPages();
    bool loaded_ = false;
    bool destroying_ = false;
    bool dockSite_ = false;
    TExTabSheet* undocking_ = nullptr;
    // A dock drag started from a docked page's tab.
    QPointer<TExTabSheet> dragPage_;
    QPoint dragStart_;
    bool dragging_ = false;
    std::unique_ptr<QWidget> dockFrame_;  // the dock rectangle shown while dragging
    void dragTo(const QPoint& globalPos);
    void dropAt(const QPoint& globalPos);
};

// Fills the rectangle with n bands from one colour to the other (n 0 counts as 1); each band
// reaches one pixel into the next. The sheets' bodies and the tabs use it.
void DrawGradient(plat::TCanvas& Canvas, plat::TColor FromColor, plat::TColor ToColor, int Steps,
                  const plat::TRect& R, bool Horizontal);
