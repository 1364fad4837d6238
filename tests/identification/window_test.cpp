// window_test.cpp: the identification window's layout, password edit and caps-lock balloon.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/identification/UFMotDePasse.h"
#include "app/identification/glyph_button.h"
#include "app/identification/identification_art.h"
#include "gui_app.h"
#include "ui/panel.h"
#include "ui/platform/balloon_hint.h"
#include "ui/platform/key_state.h"

namespace {

struct Placement {
    const char* name;
    QRect bounds;
};

TEST(IdentificationWindow, ControlsSitWhereTheLayoutPutsThem) {
    guiApp();
    TFMotDePasse window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Identification"));
    EXPECT_EQ(window.size(), QSize(351, 226));
    EXPECT_EQ(window.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(window.font().pixelSize(), 11);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    for (Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                Qt::WindowCloseButtonHint, Qt::WindowSystemMenuHint}) {
        EXPECT_TRUE(window.windowFlags().testFlag(hint)) << hint;
    }

    const Placement placements[] = {
        {"Panel2", {0, 0, 351, 49}},          {"Label4", {122, 13, 107, 24}},
        {"Label1", {35, 82, 86, 13}},         {"Image1", {127, 61, 188, 56}},
        {"Panel1", {0, 123, 351, 130}},       {"Label3", {78, 27, 77, 13}},
        {"EditMotPasse", {173, 23, 119, 21}}, {"BitBtn1", {109, 64, 45, 30}},
        {"BitBtn2", {198, 65, 45, 29}},
    };
    for (const Placement& p : placements) {
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->geometry(), p.bounds) << p.name;
    }
    EXPECT_GT(window.Panel1->geometry().bottom(), window.rect().bottom());

    EXPECT_EQ(window.Label4->text(), QStringLiteral("Brevantis"));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Un produit de :"));
    EXPECT_EQ(window.Label3->text(), QStringLiteral("Mot de passe"));
    EXPECT_EQ(window.Label3->buddy(), window.EditMotPasse);
    EXPECT_EQ(window.Label3->palette().color(QPalette::WindowText), QColor(24, 48, 104));
    EXPECT_EQ(window.EditMotPasse->palette().color(QPalette::Text), QColor(Qt::red));

    EXPECT_EQ(window.BitBtn1->toolTip(), QStringLiteral("Valider"));
    EXPECT_EQ(window.BitBtn1->text(), QStringLiteral(" "));
    EXPECT_TRUE(window.BitBtn1->isDefault());
    EXPECT_EQ(window.BitBtn1->iconSize(), QSize(18, 20));
    EXPECT_EQ(window.BitBtn1->glyphMargin(), 12);
    EXPECT_EQ(window.BitBtn2->toolTip(), QStringLiteral("Annuler"));
    EXPECT_EQ(window.BitBtn2->iconSize(), QSize(16, 16));

    // Panel2 is aligned to the top: it follows the window's width.
    window.show();
    window.resize(500, 300);
    EXPECT_EQ(window.Panel2->geometry(), QRect(0, 0, 500, 49));
    EXPECT_EQ(window.Panel1->geometry(), QRect(0, 123, 351, 130));
}

TEST(IdentificationWindow, PicturesHaveTheirSizesAndColours) {
    guiApp();
    QImage logo = identification::drawLogo();
    EXPECT_EQ(logo.size(), QSize(188, 56));
    EXPECT_EQ(logo.format(), QImage::Format_RGB888);
    EXPECT_NE(logo.pixelColor(26, 8), QColor(Qt::white));  // the emblem is drawn

    QImage cancel = identification::drawCancelGlyph().pixmap(16, 16).toImage();
    QImage greyed =
        identification::drawCancelGlyph().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    QColor red = cancel.pixelColor(8, 8), grey = greyed.pixelColor(8, 8);  // on the bar
    EXPECT_GT(red.red(), 150);
    EXPECT_LT(red.green(), 60);
    EXPECT_EQ(grey.red(), grey.green());
    EXPECT_GT(grey.alpha(), 0);

    QImage check = identification::drawCheckGlyph().pixmap(18, 20).toImage();
    EXPECT_EQ(check.size(), QSize(18, 20));
    EXPECT_EQ(check.pixelColor(7, 15).rgb(), QColor(0, 0, 128).rgb());
}

TEST(IdentificationWindow, PasswordEditKeepsTenCharactersShownAsStars) {
    guiApp();
    TFMotDePasse window;
    QTest::keyClicks(window.EditMotPasse, QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(window.EditMotPasse->text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(window.EditMotPasse->displayText(), QStringLiteral("**********"));
}

// The window shown for real, with the caps-lock state under the test's control.
class BalloonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guiApp();
        previous_ = ui::platform::setKeyStateProvider(&keys_);
    }
    void TearDown() override {
        window_.reset();
        ui::platform::setKeyStateProvider(previous_);
    }

    void open(std::int16_t capsLock) {
        keys_.setCapsLockState(capsLock);
        window_ = std::make_unique<TFMotDePasse>();
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        ASSERT_TRUE(window_->EditMotPasse->hasFocus());
    }
    void pressKey(Qt::Key key, std::int16_t capsLockAfter) {
        keys_.setCapsLockState(capsLockAfter);
        QTest::keyClick(window_->EditMotPasse, key);
    }
    bool balloonShown() const { return window_->BalloonHint1->isVisible(); }

    ui::platform::FakeKeyState keys_;
    ui::platform::KeyStateProvider* previous_ = nullptr;
    std::unique_ptr<TFMotDePasse> window_;
};

TEST_F(BalloonTest, ShowsOnEnterOnlyWhileCapsLockIsOnAndItsKeyUp) {
    const struct {
        std::int16_t state;
        bool shown;
    } cases[] = {{1, true}, {0, false}, {-127, false}, {-128, false}, {3, false}};
    for (const auto& c : cases) {
        open(c.state);
        EXPECT_EQ(balloonShown(), c.shown) << "state " << c.state;
    }
}

TEST_F(BalloonTest, FollowsTheCapsLockKeyAndHidesWhenTheEditLosesFocus) {
    open(1);
    ASSERT_TRUE(balloonShown());
    ui::platform::BalloonHint* balloon = window_->BalloonHint1;
    EXPECT_EQ(balloon->text(), QStringLiteral("Touche de verrouillage des majuscules actif"));
    QLineEdit* edit = window_->EditMotPasse;
    EXPECT_EQ(balloon->target(), QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()));

    pressKey(Qt::Key_CapsLock, -128);  // switched off
    EXPECT_FALSE(balloonShown());
    pressKey(Qt::Key_A, -127);  // other keys leave it alone
    EXPECT_FALSE(balloonShown());
    pressKey(Qt::Key_CapsLock, -127);  // switched on
    EXPECT_TRUE(balloonShown());
    pressKey(Qt::Key_A, 0);
    EXPECT_TRUE(balloonShown());
    pressKey(Qt::Key_CapsLock, 1);  // anything but "held and on" hides
    EXPECT_FALSE(balloonShown());

    pressKey(Qt::Key_CapsLock, -127);
    ASSERT_TRUE(balloonShown());
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(window_->BitBtn1->hasFocus());
    EXPECT_FALSE(balloonShown());
}

TEST_F(BalloonTest, CoversNoButtonAndAClickHidesIt) {
    open(1);
    ASSERT_TRUE(balloonShown());
    const QRect balloon = window_->BalloonHint1->geometry();
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(window_->BitBtn1),
                                    static_cast<QAbstractButton*>(window_->BitBtn2)}) {
        EXPECT_FALSE(balloon.intersects(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
            << button->objectName().toStdString();
    }
    // Its pointer still touches the edit.
    const QRect edit(window_->EditMotPasse->mapToGlobal(QPoint(0, 0)),
                     window_->EditMotPasse->size());
    EXPECT_TRUE(balloon.bottom() + 1 == edit.top() || balloon.top() == edit.bottom() + 1);

    QTest::mouseClick(window_->BalloonHint1, Qt::LeftButton, {},
                      window_->BalloonHint1->rect().center());
    EXPECT_FALSE(balloonShown());
    EXPECT_TRUE(window_->EditMotPasse->hasFocus());
}

TEST_F(BalloonTest, HidesWithTheWindow) {
    open(1);
    ASSERT_TRUE(balloonShown());
    window_->hide();
    EXPECT_FALSE(balloonShown());
}

}  // namespace
