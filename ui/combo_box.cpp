// combo_box.cpp: the editable drop-down list's index and notification rules.
#include "ui/combo_box.h"

#include <QLineEdit>

namespace ui {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    // The line edit reports program and user changes alike, and only real changes.
    connect(lineEdit(), &QLineEdit::textChanged, this, &ComboBox::changed);
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
