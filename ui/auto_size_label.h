// auto_size_label.h: a label that keeps the size of its text when the program changes it,
// as a label placed by its position alone must (a plain QLabel keeps its first size, and a
// longer text would be cut).
#ifndef BREVANTIS_UI_AUTO_SIZE_LABEL_H
#define BREVANTIS_UI_AUTO_SIZE_LABEL_H

#include <QLabel>

namespace ui {

class AutoSizeLabel : public QLabel {
  public:
    using QLabel::QLabel;
    // Replaces the text and fits the label to it. Call it through this type: QLabel's own
    // setText is not virtual.
    void setText(const QString& text) {
        QLabel::setText(text);
        adjustSize();
    }
};

}  // namespace ui

#endif  // BREVANTIS_UI_AUTO_SIZE_LABEL_H
