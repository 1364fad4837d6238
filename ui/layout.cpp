// layout.cpp: makeLabel.
#include "ui/layout.h"

#include <QLabel>
#include <algorithm>

namespace ui {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& r,
                  const QFont& font, const QColor& colour) {
    auto* label = placed(new QLabel(caption, parent), name, r);
    label->setFont(font);
    if (colour.isValid()) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
    }
    label->resize(std::max(r.width(), label->sizeHint().width()), r.height());
    return label;
}

}  // namespace ui
