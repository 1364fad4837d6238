// balloon_hint.h: a balloon hint, a small frameless window with a pointer shown at a rectangle.
#ifndef BREVANTIS_UI_PLATFORM_BALLOON_HINT_H
#define BREVANTIS_UI_PLATFORM_BALLOON_HINT_H

#include <QList>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <QWidget>

namespace ui::platform {

// A balloon without a title. It is shown at once (no delay), never takes the focus and stays
// until hidden or clicked. Its pointer touches the middle of the lower edge of the rectangle
// it is shown at, or of the upper edge when the balloon does not fit below on that screen or
// would cover there what it must keep clear (the buttons beside its rectangle) and does not
// above.
class BalloonHint : public QWidget {
    Q_OBJECT
  public:
    // `parent` owns the balloon; the balloon is a window of its own all the same.
    explicit BalloonHint(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }

    // Shows the balloon, with the current text, pointing at `screenRect`, keeping clear of
    // the rectangles of `keepClear` when it can (all in screen coordinates).
    void showAt(const QRect& screenRect, const QList<QRect>& keepClear = {});
    // The rectangle of the last showAt.
    QRect target() const { return target_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A click on the balloon hides it: it never stands in the way of what lies below.
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QRect bodyRect() const;
    QPainterPath outline() const;

    QString text_;
    QRect target_;
    QList<QRect> keepClear_;
    bool pointerUp_ = true;  // pointer on the upper edge, balloon below its target
    int pointerX_ = 0;       // pointer tip, in the balloon's coordinates
};

}  // namespace ui::platform

#endif  // BREVANTIS_UI_PLATFORM_BALLOON_HINT_H
