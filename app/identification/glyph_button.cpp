// glyph_button.cpp: painting of the glyph button.
#include "app/identification/glyph_button.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
constexpr int kTextSpacing = 4;  // between the glyph and the text
}

GlyphButton::GlyphButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void GlyphButton::setGlyphMargin(int margin) {
    glyphMargin_ = margin;
    update();
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QSize glyph = iconSize();
    int shift = isDown() ? 1 : 0;  // the pressed look moves the content like the bevel does
    QPoint at(glyphMargin_ + shift, (height() - glyph.height()) / 2 + shift);
    QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    painter.drawPixmap(at, icon().pixmap(glyph, devicePixelRatio(), mode));

    QRect textRect = rect().adjusted(at.x() + glyph.width() + kTextSpacing, shift, 0, shift);
    painter.drawItemText(textRect, Qt::AlignVCenter | Qt::AlignLeft, palette(), isEnabled(), text(),
                         QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
