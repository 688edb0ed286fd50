#pragma once
// A vertically scrolling stack of collapsible panels. Each panel has a header bar (caption and a
// chevron at the right; a click collapses or expands it) above its client area, where its owner
// places controls at fixed positions. A collapsed panel shows only its header; a disabled panel shows
// its header but cannot be expanded by the user and its controls cannot be edited. The group stacks
// its shown panels by their Top, in the order set by their owner, with no gaps.
#include <QColor>
#include <QFont>
#include <QScrollArea>
#include <QWidget>

namespace plat {

class TCategoryPanelGroup;

class TCategoryPanel : public QWidget {
    Q_OBJECT
public:
    explicit TCategoryPanel(TCategoryPanelGroup* group);

    TCategoryPanelGroup* group() const { return group_; }
    // Parent of the panel's controls; coordinates are relative to the area below the header.
    QWidget* client() const { return client_; }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Expanded height, header included. A collapsed panel keeps it and takes it back when expanded.
    int panelHeight() const { return height_; }
    void setPanelHeight(int height);

    // Stacking key: the group orders its shown panels by it (ties keep creation order).
    int top() const { return top_; }
    void setTop(int top);

    // Position of the panel in the keyboard's visiting order (0 first); set by the owner.
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }

    bool collapsed() const { return collapsed_; }
    void Collapse() { setCollapsed(true); }
    void Expand() { setCollapsed(false); }
    void setCollapsed(bool collapsed);

    // Height the panel takes in the stack now.
    int shownHeight() const;

    // The pointer is over the header: the chevron is drawn in the hot colour.
    bool hot() const { return hot_; }

signals:
    void expanded();
    void collapsedByUser();
    void collapseChanged(bool collapsed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TCategoryPanelGroup;
    bool overHeader(const QPoint& p) const;
    void setHot(bool hot);
    TCategoryPanelGroup* group_;
    QWidget* client_;
    QString caption_;
    int height_ = 100;
    int top_ = 0;
    int tabOrder_ = 0;
    bool collapsed_ = false;
    bool hot_ = false;
};

class TCategoryPanelGroup : public QScrollArea {
    Q_OBJECT
public:
    explicit TCategoryPanelGroup(QWidget* parent = nullptr);

    int HeaderHeight() const { return headerHeight_; }

    // Panels in creation order.
    const QList<TCategoryPanel*>& panels() const { return panels_; }
    // Shown panels in stacking order.
    QList<TCategoryPanel*> stackedPanels() const;

    QColor HeaderColor() const { return headerColor_; }
    void setHeaderColor(const QColor& c);
    QFont HeaderFont() const { return headerFont_; }
    void setHeaderFont(const QFont& f);

    // One step of vertical scrolling, as the scroll bar's arrows do.
    void scrollLineUp();
    void scrollLineDown();

    // Re-stacks the shown panels; runs by itself whenever a panel's height, order, collapsed state
    // or visibility changes.
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Wheel events are left to the window, which decides whether the stack scrolls.
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TCategoryPanel;
    void add(TCategoryPanel* panel);
    // The panels moved under a pointer that did not move (scrolling, re-stacking): each header is
    // hot again exactly when the pointer is over it.
    void followPointer();
    QWidget* content_;
    QList<TCategoryPanel*> panels_;
    int headerHeight_ = 24;
    QColor headerColor_{231, 216, 216};
    QFont headerFont_;
};

}  // namespace plat
