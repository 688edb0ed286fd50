#pragma once
// The header's column menu: one checkable entry per column (display order, or collection order),
// choosing one shows or hides that column; an optional first entry fits every column to its
// contents. Its entries are built each time it is about to show, so it works wherever it pops up
// from: the header's automatic menu, or an application's menu for the header.
#include <QMenu>
#include <QPointer>
#include <functional>

#include "treeview/LazyTreesTypes.h"

class TBaseLazyTree;

enum class TLTHeaderPopupOption : uint8_t { poOriginalOrder, poAllowHideAll, poResizeToFitItem };
using TLTHeaderPopupOptions = TSet<TLTHeaderPopupOption, uint8_t>;
enum class TAddPopupItemType : uint8_t { apNormal, apDisabled, apHidden };

using TAddHeaderPopupItemEvent =
    std::function<void(TBaseLazyTree* Sender, TColumnIndex Column, TAddPopupItemType& Cmd)>;
using TColumnChangeEvent = std::function<void(TBaseLazyTree* Sender, TColumnIndex Column, bool Visible)>;

class TLTHeaderPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit TLTHeaderPopupMenu(QWidget* Parent = nullptr);

    TLTHeaderPopupOptions Options() const { return FOptions; }
    void SetOptions(TLTHeaderPopupOptions Value) { FOptions = Value; }
    // The tree the menu was popped up for; entries are built only for a tree.
    QObject* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(QObject* Value) { FPopupComponent = Value; }

    // Builds the entries and shows the menu at the screen point; without a tree the entries stay as
    // they were.
    void Popup(QPoint Global);
    // The entries as a pop-up shows them (run again whenever the menu is about to show).
    void BuildEntries();

    TAddHeaderPopupItemEvent OnAddHeaderPopupItem;
    TColumnChangeEvent OnColumnChange;

    // The fit entry's object name.
    static constexpr const char* ResizeToFitItemName = "LT_ResizeToFitMenuItem";

protected:
    virtual TAddPopupItemType DoAddHeaderPopupItem(TColumnIndex Column);
    virtual void DoColumnChange(TColumnIndex Column, bool Visible);
    void OnMenuItemClick(QAction* Item);

private:
    TBaseLazyTree* Tree() const;
    TLTHeaderPopupOptions FOptions;
    QPointer<QObject> FPopupComponent;
};
