// balloon_hint.cpp: layout, shape and painting of the balloon hint.
#include "ui/platform/balloon_hint.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

namespace ui::platform {

namespace {
constexpr int kPadding = 8;         // between the body's border and the text
constexpr int kPointerHeight = 10;  // the pointer's height above or below the body
constexpr int kPointerHalf = 8;     // half the pointer's base
constexpr int kRadius = 6;          // body corners
}  // namespace

BalloonHint::BalloonHint(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
}

void BalloonHint::setText(const QString& text) {
    text_ = text;
    if (isVisible()) showAt(target_, keepClear_);
}

QSize BalloonHint::sizeHint() const {
    QSize textSize = fontMetrics().size(0, text_);
    return {textSize.width() + 2 * kPadding + 1,
            textSize.height() + 2 * kPadding + kPointerHeight + 1};
}

QRect BalloonHint::bodyRect() const {
    QRect all = rect().adjusted(0, 0, -1, -1);
    return pointerUp_ ? all.adjusted(0, kPointerHeight, 0, 0)
                      : all.adjusted(0, 0, 0, -kPointerHeight);
}

void BalloonHint::showAt(const QRect& screenRect, const QList<QRect>& keepClear) {
    target_ = screenRect;
    keepClear_ = keepClear;
    const QSize size = sizeHint();
    const int anchorX = screenRect.center().x();
    const QScreen* screen = QGuiApplication::screenAt(screenRect.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry()
                              : QRect(QPoint(anchorX, screenRect.bottom() + 1), size);

    // The pointer sits a quarter into the body, moved as needed to keep the body on screen.
    const int left = std::clamp(anchorX - size.width() / 4, area.left(),
                                std::max(area.left(), area.right() + 1 - size.width()));
    const QRect below(QPoint(left, screenRect.bottom() + 1), size);
    const QRect above(QPoint(left, screenRect.top() - size.height()), size);
    const bool fitsBelow = below.bottom() <= area.bottom();
    const bool fitsAbove = above.top() >= area.top();
    const auto clear = [&keepClear](const QRect& frame) {
        return std::none_of(keepClear.begin(), keepClear.end(),
                            [&frame](const QRect& r) { return r.intersects(frame); });
    };
    if (fitsBelow && clear(below)) {
        pointerUp_ = true;
    } else if (fitsAbove && clear(above)) {
        pointerUp_ = false;
    } else {
        pointerUp_ = fitsBelow;
    }
    pointerX_ = std::clamp(anchorX - left, kPointerHalf + kRadius,
                           std::max(kPointerHalf + kRadius, size.width() - kPointerHalf - kRadius));

    setGeometry(pointerUp_ ? below : above);
    // Without a compositor a window cannot be translucent, so the outline becomes the mask.
    setMask(QRegion(outline().toFillPolygon().toPolygon(), Qt::WindingFill));
    show();
    raise();
    update();
}

void BalloonHint::mousePressEvent(QMouseEvent* event) {
    event->accept();
    hide();
}

QPainterPath BalloonHint::outline() const {
    QRect body = bodyRect();
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath pointer;
    int edge = pointerUp_ ? body.top() + 1 : body.bottom() - 1;
    int tip = pointerUp_ ? 0 : height() - 1;
    pointer.moveTo(pointerX_ - kPointerHalf, edge);
    pointer.lineTo(pointerX_, tip);
    pointer.lineTo(pointerX_ + kPointerHalf, edge);
    pointer.closeSubpath();
    return path.united(pointer);
}

void BalloonHint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawPath(outline());
    painter.drawText(bodyRect().adjusted(kPadding, kPadding, -kPadding, -kPadding),
                     Qt::AlignLeft | Qt::AlignVCenter, text_);
}

}  // namespace ui::platform
