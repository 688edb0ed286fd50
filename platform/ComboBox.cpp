#include "platform/ComboBox.h"

#include "platform/Guard.h"

#include <QAbstractItemModel>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QValidator>

namespace plat {

namespace {

// The edit part's limit bounds what the user types, as a limit of the platform's combo does: a text
// written by code (the edit is then unmodified) stays whole, and a typed change may shorten a text
// longer than the limit but not lengthen it. The line edit validates a change before it tells of it,
// so the text before the change is the one it told of last.
class TypingLimit final : public QValidator {
public:
    TypingLimit(QLineEdit* edit, const int& limit) : QValidator(edit), edit_(edit), limit_(limit), before_(edit->text()) {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }
    State validate(QString& input, int&) const override {
        if (limit_ <= 0 || input.size() <= limit_ || !edit_->isModified()) return Acceptable;
        return input.size() < before_.size() ? Acceptable : Invalid;
    }

private:
    QLineEdit* edit_;
    const int& limit_;
    QString before_;
};

}  // namespace

TCustomComboBox::TCustomComboBox(QWidget* parent) : QComboBox(parent) {
    setMaxVisibleItems(8);
    setInsertPolicy(QComboBox::NoInsert);
    applyEditable();
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (itemHeight_ > 0) applyItemHeight(first, last);
    });
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
    if (watching_)
        if (QWidget* popup = popupWindow()) popup->removeEventFilter(this);
}

void TCustomComboBox::applyEditable() {
    const bool editable = style_ != csDropDownList;
    // The edit field given up is deleted later; it must not take the combo's focus with it then.
    if (!editable && lineEdit()) lineEdit()->setFocusProxy(nullptr);
    setEditable(editable);
    if (!editable) return;
    if (!dynamic_cast<const TypingLimit*>(lineEdit()->validator()))
        lineEdit()->setValidator(new TypingLimit(lineEdit(), maxLength_));
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
    applyItemHeight(0, count() - 1);
}

void TCustomComboBox::applyItemHeight(int first, int last) {
    // Each item asks for the height; 0 gives the style's own back.
    const QVariant hint = itemHeight_ > 0 ? QVariant(QSize(0, itemHeight_)) : QVariant();
    for (int i = first; i <= last; ++i) setItemData(i, hint, Qt::SizeHintRole);
}

void TCustomComboBox::SetMaxLength(int length) { maxLength_ = std::max(0, length); }

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
    QWidget* popup = popupWindow();
    if (!watching_ && popup) {
        popup->installEventFilter(this);
        watching_ = true;
    }
    if (droppedWidth_ > 0 && popup) popup->setMinimumWidth(droppedWidth_);
    QComboBox::showPopup();
    if (!dropped_ && popup && popup->isVisible()) {
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
    if (event->type() == QEvent::Hide && dropped_ && watched == popupWindow()) {
        dropped_ = false;
        guarded([this] { CloseUp(); });
    }
    return QComboBox::eventFilter(watched, event);
}

QWidget* TCustomComboBox::popupWindow() const {
    (void)view();  // makes the list and the window it pops up in
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isWindow()) return w;
    return nullptr;
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

}  // namespace plat
