#pragma once
// Drag and drop of nodes: the effects and result codes the drag side speaks, and the drag manager,
// which is the tree's drop target: Qt's drag events reach the tree through it, and it remembers
// the object being dragged over the tree and the tree it comes from.
#include <QPoint>
#include <QPointer>
#include <cstdint>

#include "platform/Keys.h"

class QMimeData;
class TBaseLazyTree;

namespace lazytree {
// The drop effects as bits; Qt's drop actions have the same values.
inline constexpr int DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4;
inline constexpr int DROPEFFECT_SCROLL = int(0x80000000u);
inline constexpr int32_t S_OK = 0, E_FAIL = int32_t(0x80004005u), E_UNEXPECTED = int32_t(0x8000FFFFu);
}  // namespace lazytree

// What the tree asks of its drag manager; an application may hand in its own (OnCreateDragManager).
// Points are screen coordinates; the results are the drop target's result codes, never exceptions.
class ILTDragManager {
public:
    virtual ~ILTDragManager() = default;
    // The object being dragged over the tree, nil when none is.
    virtual const QMimeData* DraggedDataObject() = 0;
    // The tree of this process the dragged object comes from, nil for any other source.
    virtual TBaseLazyTree* DragSourceTree() = 0;
    // That tree, else the widget of this process that started the drag, else nil.
    virtual QObject* DragSource() = 0;
    virtual bool IsDropTargetNow() = 0;
    // Source: the object that started the drag when it lives in this process.
    virtual int32_t DragEnter(const QMimeData* DataObject, QObject* Source, plat::TShiftState KeyState, QPoint Pt,
                              int& Effect) = 0;
    virtual int32_t DragOver(plat::TShiftState KeyState, QPoint Pt, int& Effect) = 0;
    virtual int32_t DragLeave() = 0;
    virtual int32_t Drop(const QMimeData* DataObject, plat::TShiftState KeyState, QPoint Pt, int& Effect) = 0;
};

class TLTDragManager : public ILTDragManager {
public:
    explicit TLTDragManager(TBaseLazyTree* AOwner) : FOwner(AOwner) {}
    const QMimeData* DraggedDataObject() override { return FDataObject; }
    TBaseLazyTree* DragSourceTree() override;
    QObject* DragSource() override;
    bool IsDropTargetNow() override { return FIsDropTarget; }
    int32_t DragEnter(const QMimeData* DataObject, QObject* Source, plat::TShiftState KeyState, QPoint Pt,
                      int& Effect) override;
    int32_t DragOver(plat::TShiftState KeyState, QPoint Pt, int& Effect) override;
    int32_t DragLeave() override;
    int32_t Drop(const QMimeData* DataObject, plat::TShiftState KeyState, QPoint Pt, int& Effect) override;

private:
    void Forget();
    TBaseLazyTree* FOwner;
    // The source may go during the drag (a handler deletes it): it is then forgotten.
    QPointer<TBaseLazyTree> FDragSource;
    QPointer<QObject> FSource;
    bool FIsDropTarget = false;
    const QMimeData* FDataObject = nullptr;
};
