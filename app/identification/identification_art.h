// identification_art.h: the pictures of the identification window, drawn rather than stored.
#ifndef BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_ART_H
#define BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_ART_H

#include <QIcon>
#include <QImage>

namespace identification {

// The publisher's wordmark: 188 x 56 pixels, 24 bits per pixel (QImage::Format_RGB888).
QImage drawLogo();

// The validation glyph: a navy check mark on 18 x 20 pixels.
QIcon drawCheckGlyph();

// The cancel glyph: a red circle crossed by a diagonal bar on 16 x 16 pixels, and the same
// drawing in grey for the disabled state.
QIcon drawCancelGlyph();

}  // namespace identification

#endif  // BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_ART_H
