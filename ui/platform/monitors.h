// monitors.h: the monitors of the desktop and their work areas, through a replaceable provider.
#ifndef BREVANTIS_UI_PLATFORM_MONITORS_H
#define BREVANTIS_UI_PLATFORM_MONITORS_H

#include <QRect>
#include <vector>

class QWidget;

namespace ui::platform {

// One monitor. `workArea` is the monitor less the task bar and other docked bars; `bounds`
// is the whole monitor. Both are in virtual-desktop coordinates.
struct Monitor {
    int number = 0;
    bool primary = false;
    QRect workArea;
    QRect bounds;
};

// Lists the monitors, numbered from 0 in the provider's order.
class MonitorProvider {
  public:
    virtual ~MonitorProvider() = default;
    virtual std::vector<Monitor> monitors() const = 0;
};

// The monitors as Qt's screens see them: number = index in QGuiApplication::screens(),
// work area = available geometry.
class ScreenMonitors : public MonitorProvider {
  public:
    std::vector<Monitor> monitors() const override;
};

// A test double holding a fixed list.
class FakeMonitors : public MonitorProvider {
  public:
    explicit FakeMonitors(std::vector<Monitor> monitors = {}) : monitors_(std::move(monitors)) {}
    void setMonitors(std::vector<Monitor> monitors) { monitors_ = std::move(monitors); }
    std::vector<Monitor> monitors() const override { return monitors_; }

  private:
    std::vector<Monitor> monitors_;
};

// The monitor nearest to `rect`: the one it overlaps most, else the one closest to it.
// REQUIRES: `monitors` is not empty.
Monitor nearestMonitor(const std::vector<Monitor>& monitors, const QRect& rect);

// The monitor nearest to `window`'s frame, from the process-wide provider. Answers a
// default Monitor (number 0, empty rectangles) when the provider lists none.
Monitor monitorNearest(const QWidget* window);

// The process-wide provider: a ScreenMonitors unless another one was installed.
MonitorProvider& monitorProvider();

// Installs `provider` process-wide (nullptr restores the screen one) and returns the one it
// replaces (nullptr when that was the screen one). The caller keeps ownership.
MonitorProvider* setMonitorProvider(MonitorProvider* provider);

}  // namespace ui::platform

#endif  // BREVANTIS_UI_PLATFORM_MONITORS_H
