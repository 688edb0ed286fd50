#pragma once
// The combo box the editor controls derive from: the platform's combo with the original's
// properties. Items carry an object each; `Style` csDropDown has an edit part, csDropDownList only
// the list, csSimple an edit part without a drop-down button look. OnDropDown comes when the list
// opens, OnCloseUp once when it closes (however it is closed: the hiding of the pop-up is what
// counts), OnSelect when the user picks an item, OnChange when the user changes the text or the
// item.
#include "platform/Colors.h"
#include "platform/Events.h"

#include <QComboBox>
#include <QStringList>

namespace plat {

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList };

class TCustomComboBox : public QComboBox {
public:
    explicit TCustomComboBox(QWidget* parent = nullptr);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    QStringList Items() const;
    void SetItems(const QStringList& items);
    int AddItem(const QString& text, QObject* object = nullptr);
    QObject* Objects(int index) const;
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index);
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int count) { setMaxVisibleItems(count); }
    bool DroppedDown() const { return dropped_; }
    void SetDroppedDown(bool on);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // The list's width; 0: the combo's width.
    int DroppedWidth() const { return droppedWidth_; }
    void SetDroppedWidth(int width) { droppedWidth_ = std::max(0, width); }
    // The length the user may type up to (a text set by code stays whole); 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool on);
    // The selection of the edit part; 0 without one.
    int SelStart() const;
    void SetSelStart(int pos);
    int SelLength() const;
    void SetSelLength(int length);
    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);

    TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;

    void showPopup() override;
    void hidePopup() override;

protected:
    // The list opened or closed.
    virtual void DropDown();
    virtual void CloseUp();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyItemHeight(int first, int last);
    QWidget* popupWindow() const;
    void applyEditable();
    TComboBoxStyle style_ = csDropDown;
    TColor color_ = clWindow;
    int itemHeight_ = 0, droppedWidth_ = 0, maxLength_ = 0;
    bool autoComplete_ = true, dropped_ = false, watching_ = false;
};

}  // namespace plat
