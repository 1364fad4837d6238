// glyph_button.h: a push button that draws its glyph at a fixed distance from its left edge.
#ifndef BREVANTIS_APP_IDENTIFICATION_GLYPH_BUTTON_H
#define BREVANTIS_APP_IDENTIFICATION_GLYPH_BUTTON_H

#include <QPushButton>

// The button's icon() is the glyph, drawn at its own size (iconSize()), `glyphMargin` pixels
// from the left edge and centred vertically; the text follows it. The style draws the rest.
class GlyphButton : public QPushButton {
    Q_OBJECT
  public:
    GlyphButton(const QString& text, QWidget* parent = nullptr);

    int glyphMargin() const { return glyphMargin_; }
    void setGlyphMargin(int margin);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int glyphMargin_ = 0;
};

#endif  // BREVANTIS_APP_IDENTIFICATION_GLYPH_BUTTON_H
