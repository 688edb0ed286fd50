#pragma once
// A pop-up menu whose items carry identifiers: shown at a screen point, it waits for the choice and
// answers the chosen item's identifier (0 when it was dismissed).
#include <QPoint>
#include <QString>
#include <memory>

class QMenu;
class QWidget;

namespace plat {

class TPopupMenu {
public:
    explicit TPopupMenu(QWidget* owner);
    ~TPopupMenu();
    TPopupMenu(const TPopupMenu&) = delete;
    TPopupMenu& operator=(const TPopupMenu&) = delete;

    void Add(const QString& caption, int id);  // id above 0
    int Count() const;
    QString Caption(int index) const;
    int Id(int index) const;
    int Popup(QPoint screenPos);
    QMenu& Menu() { return *menu_; }

private:
    std::unique_ptr<QMenu> menu_;
};

}  // namespace plat
