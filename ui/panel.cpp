// panel.cpp: the bevelled panel and its caption.
#include "ui/panel.h"

#include <QLabel>

namespace ui {

Panel::Panel(QWidget* parent) : QFrame(parent), caption_(new QLabel(this)) {
    setBevel(true);
    setAutoFillBackground(true);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->lower();
}

void Panel::setCaption(const QString& caption) {
    caption_->setText(caption);
}

QString Panel::caption() const {
    return caption_->text();
}

void Panel::setBevel(bool raised) {
    setFrameStyle(raised ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame);
    setLineWidth(1);
}

void Panel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    caption_->setGeometry(contentsRect());
}

}  // namespace ui
