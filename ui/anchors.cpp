// anchors.cpp: the anchor rule and the event filter that applies it on container resizes.
#include "ui/anchors.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <cmath>
#include <vector>

namespace ui {
namespace {

// Places one axis: start and length of the control, design and current container length.
void placeAxis(int& start, int& length, int designOuter, int outer, bool lowEdge, bool highEdge) {
    const int delta = outer - designOuter;
    if (lowEdge && highEdge) {
        length += delta;
    } else if (highEdge) {
        start += delta;
    } else if (!lowEdge && designOuter > 0) {
        // The centre stays at the same fraction of the container; the shift is rounded once
        // from the design place, so that an unchanged size never moves the control.
        const double centre = start + length / 2.0;
        start += static_cast<int>(std::lround(centre * delta / designOuter));
    }
}

// One per container: the anchored children with their design geometry.
class AnchorFilter : public QObject {
  public:
    explicit AnchorFilter(QWidget* container)
        : QObject(container), container_(container), designSize_(container->size()) {}

    void add(QWidget* child, unsigned anchors) {
        for (Entry& e : entries_) {
            if (e.child == child) {
                e.anchors = anchors;
                return;
            }
        }
        entries_.push_back({child, child->geometry(), anchors});
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == container_ && event->type() == QEvent::Resize) {
            for (const Entry& e : entries_) {
                if (e.child)
                    e.child->setGeometry(
                        anchoredGeometry(e.design, designSize_, container_->size(), e.anchors));
            }
        }
        return false;
    }

  private:
    struct Entry {
        QPointer<QWidget> child;
        QRect design;
        unsigned anchors;
    };

    QWidget* container_;
    QSize designSize_;
    std::vector<Entry> entries_;
};

}  // namespace

QRect anchoredGeometry(const QRect& design, const QSize& designSize, const QSize& size,
                       unsigned anchors) {
    int x = design.x(), w = design.width(), y = design.y(), h = design.height();
    placeAxis(x, w, designSize.width(), size.width(), anchors & kAnchorLeft,
              anchors & kAnchorRight);
    placeAxis(y, h, designSize.height(), size.height(), anchors & kAnchorTop,
              anchors & kAnchorBottom);
    return QRect(x, y, std::max(w, 0), std::max(h, 0));
}

void setAnchors(QWidget* child, unsigned anchors) {
    QWidget* container = child->parentWidget();
    AnchorFilter* filter = nullptr;
    for (QObject* o : container->children()) {
        if ((filter = dynamic_cast<AnchorFilter*>(o)) != nullptr) break;
    }
    if (filter == nullptr) {
        filter = new AnchorFilter(container);
        container->installEventFilter(filter);
    }
    filter->add(child, anchors);
}

}  // namespace ui
