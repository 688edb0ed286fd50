#include "platform/PopupMenu.h"

#include <QAction>
#include <QMenu>

namespace plat {

TPopupMenu::TPopupMenu(QWidget* owner) : menu_(std::make_unique<QMenu>(owner)) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Add(const QString& caption, int id) { menu_->addAction(caption)->setData(id); }

int TPopupMenu::Count() const { return int(menu_->actions().size()); }

QString TPopupMenu::Caption(int index) const { return menu_->actions().value(index) ? menu_->actions()[index]->text() : QString(); }

int TPopupMenu::Id(int index) const { return menu_->actions().value(index) ? menu_->actions()[index]->data().toInt() : 0; }

int TPopupMenu::Popup(QPoint screenPos) {
    QAction* chosen = menu_->exec(screenPos);
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace plat
