// monitors.cpp: monitors from Qt's screens, the nearest-monitor rule and the provider switch.
#include "ui/platform/monitors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <limits>

namespace ui::platform {

namespace {

MonitorProvider* installed = nullptr;  // nullptr: the screen provider

long long overlapArea(const QRect& a, const QRect& b) {
    QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

// Squared distance from `rect` to `bounds`; 0 when they touch or overlap.
long long distanceSquared(const QRect& rect, const QRect& bounds) {
    auto gap = [](int lo1, int hi1, int lo2, int hi2) -> long long {
        if (hi1 < lo2) return lo2 - hi1;
        if (hi2 < lo1) return lo1 - hi2;
        return 0;
    };
    long long dx = gap(rect.left(), rect.right(), bounds.left(), bounds.right());
    long long dy = gap(rect.top(), rect.bottom(), bounds.top(), bounds.bottom());
    return dx * dx + dy * dy;
}

}  // namespace

std::vector<Monitor> ScreenMonitors::monitors() const {
    std::vector<Monitor> result;
    const QScreen* primary = QGuiApplication::primaryScreen();
    int number = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        result.push_back(
            {number++, screen == primary, screen->availableGeometry(), screen->geometry()});
    }
    return result;
}

Monitor nearestMonitor(const std::vector<Monitor>& monitors, const QRect& rect) {
    const Monitor* best = &monitors.front();
    long long bestOverlap = -1;
    for (const Monitor& m : monitors) {
        long long overlap = overlapArea(rect, m.bounds);
        if (overlap > bestOverlap) {
            best = &m;
            bestOverlap = overlap;
        }
    }
    if (bestOverlap > 0) return *best;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const Monitor& m : monitors) {
        long long distance = distanceSquared(rect, m.bounds);
        if (distance < bestDistance) {
            best = &m;
            bestDistance = distance;
        }
    }
    return *best;
}

Monitor monitorNearest(const QWidget* window) {
    std::vector<Monitor> all = monitorProvider().monitors();
    if (all.empty()) return {};
    return nearestMonitor(all, window->frameGeometry());
}

MonitorProvider& monitorProvider() {
    static ScreenMonitors screens;
    return installed ? *installed : screens;
}

MonitorProvider* setMonitorProvider(MonitorProvider* provider) {
    MonitorProvider* previous = installed;
    installed = provider;
    return previous;
}

}  // namespace ui::platform
