// minmodal_test.cpp: TMinModal's minimise, activation and maximise effects and its lifetime.
#include "app/identification/MinModal.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <memory>
#include <vector>

#include "app/identification/UFMotDePasse.h"
#include "gui_app.h"
#include "rtl/exception.h"
#include "ui/messages.h"
#include "ui/platform/monitors.h"

namespace {

using ui::platform::Monitor;

// Records the events that reach it; installed before the component, it runs after it, so it
// sees exactly what the component passes on.
class EventSpy : public QObject {
  public:
    std::vector<QEvent::Type> seen;
    bool saw(QEvent::Type type) const {
        return std::find(seen.begin(), seen.end(), type) != seen.end();
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        seen.push_back(event->type());
        return false;
    }
};

const Qt::WindowFlags kFormFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// Two monitors side by side: the primary one, number 0, with a task bar; a second one.
const std::vector<Monitor> kTwoMonitors = {
    {0, true, QRect(0, 0, 1920, 1040), QRect(0, 0, 1920, 1080)},
    {1, false, QRect(1920, 0, 1280, 984), QRect(1920, 0, 1280, 1024)},
};

class MinModalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guiApp();
        previous_ = ui::platform::setMonitorProvider(&monitors_);
    }
    void TearDown() override {
        form_.reset();
        ui::platform::setMonitorProvider(previous_);
    }

    // A shown form at `topLeft`, spied on, with its component.
    TMinModal* makeForm(QPoint topLeft, Qt::WindowFlags flags = kFormFlags) {
        form_ = std::make_unique<QWidget>(nullptr, flags);
        form_->setGeometry(QRect(topLeft, QSize(351, 226)));
        form_->installEventFilter(&spy_);
        auto* component = new TMinModal(form_.get());
        form_->show();
        form_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        spy_.seen.clear();
        return component;
    }

    void doubleClickAt(QPoint global) {
        QMouseEvent click(QEvent::NonClientAreaMouseButtonDblClick, form_->mapFromGlobal(global),
                          global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_.get(), &click);
    }

    ui::platform::FakeMonitors monitors_{kTwoMonitors};
    ui::platform::MonitorProvider* previous_ = nullptr;
    EventSpy spy_;
    std::unique_ptr<QWidget> form_;
};

TEST_F(MinModalTest, MaximiseFillsTheMonitorInsteadOfMaximising) {
    const std::vector<Monitor> zeroNotPrimary = {
        {0, false, QRect(0, 0, 1000, 700), QRect(0, 0, 1000, 768)},
        {1, true, QRect(1000, 0, 800, 560), QRect(1000, 0, 800, 600)},
        {2, false, QRect(1800, 0, 640, 440), QRect(1800, 0, 640, 480)},
    };
    const struct {
        const char* name;
        std::vector<Monitor> monitors;
        QPoint at;
        QRect filled;
    } cases[] = {
        {"primary number 0", kTwoMonitors, {100, 100}, QRect(0, 0, 1920, 1040)},
        {"secondary", kTwoMonitors, {2000, 100}, QRect(1920, 0, 1280, 1024)},
        {"mostly on the secondary", kTwoMonitors, {1800, 50}, QRect(1920, 0, 1280, 1024)},
        {"number 0, not primary", zeroNotPrimary, {10, 10}, QRect(0, 0, 1000, 700)},
        {"primary, not number 0", zeroNotPrimary, {1100, 10}, QRect(1000, 0, 800, 560)},
        {"neither", zeroNotPrimary, {1900, 10}, QRect(1800, 0, 640, 480)},
    };
    for (const auto& c : cases) {
        monitors_.setMonitors(c.monitors);
        makeForm(c.at);
        form_->setWindowState(Qt::WindowMaximized);
        EXPECT_EQ(form_->frameGeometry(), c.filled) << c.name;
        EXPECT_EQ(form_->windowState(), Qt::WindowNoState) << c.name;
        EXPECT_FALSE(spy_.saw(QEvent::WindowStateChange)) << c.name;
    }
}

TEST_F(MinModalTest, SetMaxMeasuresTheReferenceFormsMonitor) {
    TMinModal* component = makeForm({100, 100});
    QWidget other;
    other.setGeometry(2000, 100, 200, 100);
    component->SetMax(form_.get(), &other);
    EXPECT_EQ(form_->frameGeometry(), QRect(1920, 0, 1280, 1024));
    EXPECT_FALSE(form_->isMaximized());
}

TEST_F(MinModalTest, CaptionDoubleClickFillsOnlyWithAMaximiseButton) {
    const Qt::WindowFlags noMaximise = kFormFlags & ~Qt::WindowMaximizeButtonHint;
    const struct {
        const char* name;
        Qt::WindowFlags flags;
        QPoint fromClientTopLeft;
        bool filled;
    } cases[] = {
        {"caption", kFormFlags, {40, -10}, true},
        {"caption, no maximise button", noMaximise, {40, -10}, false},
        {"left border", kFormFlags, {-2, 40}, false},
        {"bottom border", kFormFlags, {40, 228}, false},
    };
    for (const auto& c : cases) {
        makeForm({300, 200}, c.flags);
        QRect before = form_->frameGeometry();
        doubleClickAt(form_->mapToGlobal(QPoint(0, 0)) + c.fromClientTopLeft);
        EXPECT_EQ(form_->frameGeometry(), c.filled ? QRect(0, 0, 1920, 1040) : before) << c.name;
        EXPECT_EQ(spy_.saw(QEvent::NonClientAreaMouseButtonDblClick), !c.filled) << c.name;
    }
}

TEST_F(MinModalTest, MinimiseTakesTheApplicationDownAndActivationBringsItBack) {
    QWidget mainWindow;
    mainWindow.setGeometry(50, 50, 400, 300);
    mainWindow.show();
    QWidget hiddenWindow;  // like the main window while it is being created
    TMinModal* component = makeForm({100, 100});
    std::vector<QObject*> senders;
    component->SetOnMinimize([&senders](QObject* sender) { senders.push_back(sender); });

    form_->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(mainWindow.isMinimized());
    EXPECT_TRUE(form_->isMinimized());  // it goes down with the application
    EXPECT_FALSE(hiddenWindow.isVisible());
    EXPECT_NE(QApplication::activeWindow(), &mainWindow);
    EXPECT_EQ(senders, std::vector<QObject*>{component});
    EXPECT_FALSE(spy_.saw(QEvent::WindowStateChange));

    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(form_.get(), &activation);
    EXPECT_FALSE(mainWindow.isMinimized());
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_FALSE(hiddenWindow.isVisible());
    EXPECT_TRUE(spy_.saw(QEvent::WindowActivate));
}

TEST_F(MinModalTest, AnOnMinimizeErrorIsShownAndTheApplicationStillGoesDown) {
    QWidget mainWindow;
    mainWindow.show();
    TMinModal* component = makeForm({100, 100});
    component->SetOnMinimize([](QObject*) { throw rtl::Exception(QStringLiteral("Échec")); });
    ui::MessageRecorder recorder;
    form_->setWindowState(Qt::WindowMinimized);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].form, ui::ShownMessage::Form::DefaultError);
    EXPECT_TRUE(mainWindow.isMinimized());
}

TEST_F(MinModalTest, AboutNeverChanges) {
    TMinModal* component = makeForm({100, 100});
    const QString about = component->About();
    EXPECT_FALSE(about.isEmpty());
    component->SetAbout(QStringLiteral("autre chose"));
    component->setProperty("About", QStringLiteral("encore autre chose"));
    EXPECT_EQ(component->About(), about);
}

TEST(MinModalLifetime, InstallsOnceAndRemovesOnce) {
    guiApp();
    int installs = TMinModal::installCount(), removals = TMinModal::uninstallCount();
    auto expectCounts = [&](int moreInstalls, int moreRemovals, const char* step) {
        EXPECT_EQ(TMinModal::installCount() - installs, moreInstalls) << step;
        EXPECT_EQ(TMinModal::uninstallCount() - removals, moreRemovals) << step;
    };

    {  // the form goes first and takes its component with it
        auto form = std::make_unique<QWidget>();
        QPointer<TMinModal> component = new TMinModal(form.get());
        EXPECT_EQ(component->form(), form.get());
        EXPECT_TRUE(component->installed());
        expectCounts(1, 0, "installed");
        form.reset();
        EXPECT_TRUE(component.isNull());
        expectCounts(1, 1, "form destroyed");
    }
    {  // the component goes first, then the form
        QWidget form;
        auto* component = new TMinModal(&form);
        delete component;
        expectCounts(2, 2, "component destroyed");
    }
    expectCounts(2, 2, "form destroyed after its component");

    {  // found up the owner chain; no window at all leaves it inert
        QWidget form;
        QWidget panel(&form);
        EXPECT_EQ(TMinModal(&panel).form(), &form);
        QObject notAWindow;
        TMinModal inert(&notAWindow);
        EXPECT_EQ(inert.form(), nullptr);
        EXPECT_FALSE(inert.installed());
    }
    expectCounts(3, 3, "inert component");

    TFMotDePasse window;
    EXPECT_EQ(window.MinModal1->form(), &window);
    EXPECT_EQ(window.MinModal1->objectName(), QStringLiteral("MinModal1"));
}

}  // namespace
