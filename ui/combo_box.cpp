// combo_box.cpp: the editable drop-down list's index and notification rules.
#include "ui/combo_box.h"

#include <QLineEdit>

namespace ui {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    // When the edit ends (Enter, or the focus leaving) on a text equal to an item, the base
    // class selects that item as if it had been chosen. Typing must not move the index.
    QObject::disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);
    // The line edit reports program and user changes alike, and only real changes. A choice
    // from the list (or by the keys and the wheel that move through it) makes its item the
    // base class's current one before it changes the text, so the change already reports the
    // chosen index. Elsewhere the current item is -1 or the item index itself.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (currentIndex() >= 0) itemIndex_ = currentIndex();
        emit changed();
    });
    // Choosing the shown item again changes no text.
    connect(this, &QComboBox::activated, this, [this](int index) { itemIndex_ = index; });
}

void ComboBox::selectItem(int index) {
    itemIndex_ = index;
    setCurrentIndex(index);
    setEditText(itemText(index));
}

// The base class empties the text when the list empties and takes the first item added to
// an empty list as its text; the item list and the text are independent here.
template <class F>
void ComboBox::keepingText(F&& change) {
    const QString text = currentText();
    const bool wasBlocked = lineEdit()->blockSignals(true);
    change();
    // The base class makes the first item added current; no item was chosen.
    setCurrentIndex(-1);
    setEditText(text);
    lineEdit()->blockSignals(wasBlocked);
}

void ComboBox::addItem(const QString& text) {
    keepingText([&] { QComboBox::addItem(text); });
}

void ComboBox::addItems(const QStringList& texts) {
    keepingText([&] { QComboBox::addItems(texts); });
}

void ComboBox::clearItems() {
    keepingText([&] { clear(); });
}

void ComboBox::setText(const QString& text) {
    setEditText(text);
}

void ComboBox::hidePopup() {
    QComboBox::hidePopup();
    // The choice that closes the list is applied just after this call; closing up is
    // reported once that text change has been.
    QMetaObject::invokeMethod(this, &ComboBox::closedUp, Qt::QueuedConnection);
}

}  // namespace ui
