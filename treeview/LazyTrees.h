#pragma once
// The lazy tree controls: the node core on a scroll area of its own (no item view), the string tree
// the Scan & Decode window places twice, and the owner-drawn draw tree. The control is the core's
// host: repaints, scroll range, window timers (QBasicTimer by id), focus and text metrics.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/Canvas.h"
#include "treeview/LazyTreesCore.h"

enum class TBevelKind : uint8_t { bkNone, bkTile, bkSoft, bkFlat };
enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBevelEdge : uint8_t { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge, uint8_t>;

class TBaseLazyTree : public QAbstractScrollArea, public TLazyTreeCore {
    Q_OBJECT
public:
    explicit TBaseLazyTree(QWidget* parent = nullptr);
    ~TBaseLazyTree() override;

    const char* ClassName() const override { return "TBaseLazyTree"; }

    // bsSingle: a sunken frame; changing it builds the window again.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // A band of this many pixels inside the frame, painted in Colors().BorderColor().
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    // A bevel inside the frame, on the chosen edges, each cut BevelWidth pixels wide; without Ctl3D
    // it is drawn in one colour.
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    // The tree buffers its own painting: always true, writes are ignored.
    bool DoubleBuffered() const { return true; }
    void SetDoubleBuffered(bool) {}
    bool UseRightToLeftReading() const { return layoutDirection() == Qt::RightToLeft; }
    TAlignment GetControlsAlignment() const { return Alignment(); }
    // The canvas the tree measures with (the tree's font).
    plat::TCanvas& Canvas() { return FCanvas; }

    void Assign(const TLazyTreeCore& Source) override;

    // The state message of the worker thread: callable from any thread; the states change on the
    // user-interface thread (masks as lazytree::StatesFromWorkerMask reads them).
    void PostStateChange(uint32_t EnterMask, uint32_t LeaveMask);

protected:
    // The window's set-up when it is created and whenever it is built again.
    virtual void CreateWnd();
    void FontChanged() override;

    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Host;
    friend class Host;
    std::unique_ptr<Host> FHostImpl;
    QBasicTimer FTimers[9];
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    int FBorderWidth = 0;
    TBevelKind FBevelKind = TBevelKind::bkNone;
    TBevelCut FBevelInner = TBevelCut::bvRaised;
    TBevelCut FBevelOuter = TBevelCut::bvLowered;
    TBevelEdges FBevelEdges{TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight, TBevelEdge::beBottom};
    int FBevelWidth = 1;
    bool FCtl3D = true;
    // The frame inside the border style: bevel and border band.
    void UpdateFrameMargins();
    void PaintBevelAndBorder(QPainter& p);
    QImage FMeasure;
    plat::TCanvas FCanvas;
    bool FSyncingFont = false;
    bool FWindowAlive = true;
};

// Text per node and column, asked from the application.
class TCustomLazyStringTree : public TBaseLazyTree {
    Q_OBJECT
public:
    explicit TCustomLazyStringTree(QWidget* parent = nullptr);
    const char* ClassName() const override { return "TCustomLazyStringTree"; }
    TCustomStringTreeOptions& StringTreeOptions() { return static_cast<TCustomStringTreeOptions&>(TreeOptions()); }

    // The text of a node whose text nobody gives.
    QString DefaultText = QStringLiteral("Node");

protected:
    // Offset of the node's cached text width in its internal data.
    uint32_t FInternalDataOffset;
};

class TLazyStringTree : public TCustomLazyStringTree {
    Q_OBJECT
public:
    explicit TLazyStringTree(QWidget* parent = nullptr) : TCustomLazyStringTree(parent) {}
    const char* ClassName() const override { return "TLazyStringTree"; }
};

// Nodes drawn by the application.
class TCustomLazyDrawTree : public TBaseLazyTree {
    Q_OBJECT
public:
    explicit TCustomLazyDrawTree(QWidget* parent = nullptr) : TBaseLazyTree(parent) {}
    const char* ClassName() const override { return "TCustomLazyDrawTree"; }
};

class TLazyDrawTree : public TCustomLazyDrawTree {
    Q_OBJECT
public:
    explicit TLazyDrawTree(QWidget* parent = nullptr) : TCustomLazyDrawTree(parent) {}
    const char* ClassName() const override { return "TLazyDrawTree"; }
};
