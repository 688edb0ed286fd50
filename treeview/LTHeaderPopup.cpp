#include "treeview/LTHeaderPopup.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>

#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "treeview/LazyTrees.h"

using enum TLTHeaderPopupOption;

TLTHeaderPopupMenu::TLTHeaderPopupMenu(QWidget* Parent) : QMenu(Parent) {
    // Built as it shows, so a menu popped up by anyone lists the columns as they are now.
    connect(this, &QMenu::aboutToShow, this, [this] { plat::guarded([&] { BuildEntries(); }); });
    connect(this, &QMenu::triggered, this, [this](QAction* item) { plat::guarded([&] { OnMenuItemClick(item); }); });
}

TBaseLazyTree* TLTHeaderPopupMenu::Tree() const {
    return qobject_cast<TBaseLazyTree*>(FPopupComponent.data());
}

void TLTHeaderPopupMenu::Popup(QPoint Global) {
    // The entries are built by the show itself (aboutToShow).
    popup(Global);
}

TAddPopupItemType TLTHeaderPopupMenu::DoAddHeaderPopupItem(TColumnIndex Column) {
    TAddPopupItemType cmd = TAddPopupItemType::apNormal;
    if (OnAddHeaderPopupItem) OnAddHeaderPopupItem(Tree(), Column, cmd);
    return cmd;
}

void TLTHeaderPopupMenu::DoColumnChange(TColumnIndex Column, bool Visible) {
    if (OnColumnChange) OnColumnChange(Tree(), Column, Visible);
}

void TLTHeaderPopupMenu::BuildEntries() {
    TBaseLazyTree* tree = Tree();
    if (!tree) return;
    // The old entries go; deleting an action also takes it out of the menu.
    for (QAction* a : actions()) delete a;
    if (FOptions.Contains(poResizeToFitItem)) {
        QAction* fit = addAction(QStringLiteral("&Resize All Columns To Fit"));
        fit->setObjectName(QLatin1String(ResizeToFitItemName));
        addSeparator();
    }
    TLTHeader& header = tree->Header();
    const TLazyTreeColumns& columns = header.Columns();
    const plat::TImageList* images =
        header.Options().Contains(TLTHeaderOption::hoShowImages) ? header.Images() : nullptr;
    int visibleCount = 0;
    QAction* lastVisible = nullptr;
    for (TColumnPosition p = 0; p < columns.Count(); ++p) {
        const TColumnIndex index = FOptions.Contains(poOriginalOrder) ? p : columns.ColumnFromPosition(p);
        if (!columns.IsValidColumn(index)) continue;
        const TLazyTreeColumn& column = columns[index];
        const bool visible = column.Options().Contains(TLTColumnOption::coVisible);
        if (visible) ++visibleCount;
        const TAddPopupItemType cmd = DoAddHeaderPopupItem(index);
        if (cmd == TAddPopupItemType::apHidden) continue;
        auto* item = new QAction(column.Text(), this);
        item->setData(index);
        item->setToolTip(column.Hint());
        if (images && column.ImageIndex() >= 0 && column.ImageIndex() < images->Count())
            item->setIcon(QIcon(QPixmap::fromImage(images->Image(column.ImageIndex()))));
        item->setCheckable(true);
        item->setChecked(visible);
        if (cmd == TAddPopupItemType::apDisabled)
            item->setEnabled(false);
        else if (visible)
            lastVisible = item;
        addAction(item);
    }
    // The only visible column cannot be hidden, unless hiding all is allowed.
    if (visibleCount == 1 && lastVisible && !FOptions.Contains(poAllowHideAll)) lastVisible->setEnabled(false);
}

void TLTHeaderPopupMenu::OnMenuItemClick(QAction* Item) {
    TBaseLazyTree* tree = Tree();
    if (!tree || !Item || Item->isSeparator()) return;
    if (Item->objectName() == QLatin1String(ResizeToFitItemName)) {
        tree->Header().AutoFitColumns(true, TSmartAutoFitType::smaUseColumnOption, NoColumn, NoColumn);
        return;
    }
    bool ok = false;
    const TColumnIndex index = Item->data().toInt(&ok);
    TLazyTreeColumns& columns = tree->Header().Columns();
    if (!ok || !columns.IsValidColumn(index)) return;
    // A checkable entry has toggled already: its state now is what the column becomes.
    const bool visible = Item->isChecked();
    TLazyTreeColumn& column = columns[index];
    column.SetOptions(visible ? column.Options() + TLTColumnOption::coVisible
                              : column.Options() - TLTColumnOption::coVisible);
    DoColumnChange(index, visible);
}

// ---- The header's automatic menu ----

void TBaseLazyTree::DoColumnVisibilityChanged(TColumnIndex Column, bool Visible) {
    if (OnColumnVisibilityChanged) OnColumnVisibilityChanged(this, Column, Visible);
}

void TBaseLazyTree::PopupAutoColumnMenu(QPoint P) {
    // A fresh menu for every right click; the one before goes once it has closed.
    if (FColumnPopupMenu) FColumnPopupMenu->deleteLater();
    auto* menu = new TLTHeaderPopupMenu(this);
    FColumnPopupMenu = menu;
    menu->SetPopupComponent(this);
    menu->OnColumnChange = [this](TBaseLazyTree*, TColumnIndex Column, bool Visible) {
        DoColumnVisibilityChanged(Column, Visible);
    };
    if (FHeader->Options().Contains(TLTHeaderOption::hoDblClickResize) && RootNodeCount() > 0)
        menu->SetOptions({poResizeToFitItem});
    menu->Popup(viewport()->mapToGlobal(P));
}
