#include "platform/ComboBox.h"

#include "platform/Guard.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>

namespace plat {

TCustomComboBox::TCustomComboBox(QWidget* parent) : QComboBox(parent) {
    setMaxVisibleItems(8);
    setInsertPolicy(QComboBox::NoInsert);
    applyEditable();
    connect(this, &QComboBox::activated, this, GuardedSlot{[this](int) {
        if (OnSelect) OnSelect(this);
        if (OnChange) OnChange(this);
    }});
    connect(this, &QComboBox::editTextChanged, this, GuardedSlot{[this](const QString&) {
        // a text typed by the user, not one set by code or by picking an item
        if (lineEdit() && lineEdit()->isModified() && OnChange) OnChange(this);
    }});
}

TCustomComboBox::~TCustomComboBox() {
    if (view() && watching_) view()->window()->removeEventFilter(this);
}

void TCustomComboBox::applyEditable() {
    const bool editable = style_ != csDropDownList;
    setEditable(editable);
    if (!editable) return;
    lineEdit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
    if (completer()) {
        completer()->setCompletionMode(QCompleter::InlineCompletion);
        completer()->setCaseSensitivity(Qt::CaseInsensitive);
    }
    if (!autoComplete_) setCompleter(nullptr);
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_) return;
    const QString keep = currentText();
    style_ = style;
    applyEditable();
    if (style != csDropDownList) setEditText(keep);
}

QStringList TCustomComboBox::Items() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) out << itemText(i);
    return out;
}

void TCustomComboBox::SetItems(const QStringList& items) {
    const QString keep = currentText();
    clear();
    addItems(items);
    setCurrentIndex(-1);
    if (isEditable()) setEditText(keep);
}

int TCustomComboBox::AddItem(const QString& text, QObject* object) {
    addItem(text, QVariant::fromValue(object));
    if (count() == 1) setCurrentIndex(-1);  // adding never selects
    return count() - 1;
}

QObject* TCustomComboBox::Objects(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return itemData(index).value<QObject*>();
}

void TCustomComboBox::SetItemIndex(int index) { setCurrentIndex(index >= 0 && index < count() ? index : -1); }

void TCustomComboBox::SetText(const QString& text) {
    if (isEditable()) {
        const int i = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        setCurrentIndex(i);
        setEditText(text);
    } else {
        SetItemIndex(findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    }
}

void TCustomComboBox::SetDroppedDown(bool on) {
    if (on == dropped_) return;
    if (on) showPopup();
    else hidePopup();
}

void TCustomComboBox::SetItemHeight(int height) {
    itemHeight_ = std::max(0, height);
    view()->setStyleSheet(itemHeight_ > 0 ? QStringLiteral("QAbstractItemView::item { height: %1px; }").arg(itemHeight_)
                                          : QString());
}

void TCustomComboBox::SetMaxLength(int length) {
    maxLength_ = std::max(0, length);
    if (lineEdit()) lineEdit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomComboBox::SetAutoComplete(bool on) {
    if (on == autoComplete_) return;
    autoComplete_ = on;
    if (!isEditable()) return;
    if (on) setCompleter(new QCompleter(model(), this));
    applyEditable();
}

int TCustomComboBox::SelStart() const {
    if (!lineEdit()) return 0;
    return lineEdit()->hasSelectedText() ? lineEdit()->selectionStart() : lineEdit()->cursorPosition();
}

void TCustomComboBox::SetSelStart(int pos) {
    if (lineEdit()) lineEdit()->setCursorPosition(pos);
}

int TCustomComboBox::SelLength() const { return lineEdit() ? int(lineEdit()->selectedText().size()) : 0; }

void TCustomComboBox::SetSelLength(int length) {
    if (lineEdit()) lineEdit()->setSelection(SelStart(), length);
}

void TCustomComboBox::SetColor(TColor color) {
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(color));
    setPalette(p);
    update();
}

void TCustomComboBox::showPopup() {
    if (!watching_) {
        view()->window()->installEventFilter(this);
        watching_ = true;
    }
    if (droppedWidth_ > 0) view()->window()->setMinimumWidth(droppedWidth_);
    QComboBox::showPopup();
    if (!dropped_ && view()->isVisible()) {
        dropped_ = true;
        guarded([this] { DropDown(); });
    }
}

void TCustomComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (dropped_) {
        // some hides come without the pop-up's hide event (offscreen); close up here then
        dropped_ = false;
        guarded([this] { CloseUp(); });
    }
}

bool TCustomComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && dropped_ && view() && watched == view()->window()) {
        dropped_ = false;
        guarded([this] { CloseUp(); });
    }
    return QComboBox::eventFilter(watched, event);
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

}  // namespace plat
