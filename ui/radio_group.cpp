// radio_group.cpp: radio items in one evenly spread column, with a change-only click signal.
#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QRadioButton>

namespace ui {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    group_->setExclusive(true);
}

void RadioGroup::addItem(const QString& text, int tag) {
    auto* button = new QRadioButton(text, this);
    const int index = count();
    group_->addButton(button, index);
    buttons_.push_back(button);
    tags_.push_back(tag);
    // toggled(true) comes from user clicks and from setChecked alike, and only on a change.
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
        if (on) emit itemClicked();
    });
    arrange();
    button->show();
}

void RadioGroup::clearItems() {
    for (QRadioButton* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    tags_.clear();
}

QString RadioGroup::itemText(int index) const {
    return buttons_.at(index)->text();
}

int RadioGroup::itemIndex() const {
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        buttons_[index]->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrange();
}

void RadioGroup::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) arrange();
}

// Below the caption line, the height is shared evenly; each item is centred in its share.
void RadioGroup::arrange() {
    if (buttons_.empty()) return;
    const int lineHeight = QFontMetrics(font()).height();
    const int n = count();
    const int usable = height() - lineHeight - 5;
    const int share = std::max(usable / n, 1);
    const int top = lineHeight + 1 + (usable % n) / 2;
    for (int i = 0; i < n; ++i) {
        const int h = std::min(share, lineHeight + 6);
        buttons_[i]->setGeometry(8, top + i * share + (share - h) / 2, width() - 12, h);
    }
}

}  // namespace ui
