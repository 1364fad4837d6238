// radio_group.cpp: radio items in one evenly spread column, with a change-only click signal.
#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

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
        if (!on) return;
        toggledByClick_ = true;
        emit itemClicked();
    });
    // A user's click arrives after the toggle it caused, if any.
    connect(button, &QRadioButton::clicked, this, [this] {
        if (!toggledByClick_) emit itemReselected();
        toggledByClick_ = false;
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
        toggledByClick_ = false;  // no click follows
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

// The area inside the frame, below the caption, is shared evenly; each item is centred in
// its share.
void RadioGroup::arrange() {
    if (buttons_.empty()) return;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect inside =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
    const int n = count();
    const int itemHeight = buttons_.front()->sizeHint().height();
    const int share = std::max(inside.height() / n, 1);
    const int top = inside.top() + (inside.height() % n) / 2;
    for (int i = 0; i < n; ++i) {
        const int h = std::min(share, itemHeight);
        buttons_[i]->setGeometry(inside.left() + 6, top + i * share + (share - h) / 2,
                                 inside.width() - 8, h);
    }
}

}  // namespace ui
