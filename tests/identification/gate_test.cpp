// gate_test.cpp: the password loop driven as a user would, with the messages recorded.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <vector>

#include "app/identification/UFMotDePasse.h"
#include "app/identification/glyph_button.h"
#include "app/identification/identification_gate.h"
#include "gui_app.h"
#include "ui/messages.h"

namespace {

using identification::Outcome;
using Step = std::function<void(TFMotDePasse*)>;

Step typeAndEnter(const QString& text) {
    return [text](TFMotDePasse* w) {
        QTest::keyClicks(w->EditMotPasse, text);
        QTest::keyClick(w->EditMotPasse, Qt::Key_Return);
    };
}
Step typeAndValidate(const QString& text) {
    return [text](TFMotDePasse* w) {
        QTest::keyClicks(w->EditMotPasse, text);
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    };
}
const Step cancel = [](TFMotDePasse* w) { QTest::mouseClick(w->BitBtn2, Qt::LeftButton); };
const Step escape = [](TFMotDePasse* w) { QTest::keyClick(w->EditMotPasse, Qt::Key_Escape); };
const Step closeBox = [](TFMotDePasse* w) { w->windowHandle()->close(); };

// A user at the identification window: each time it is shown, the next step runs. When the
// steps run out with the window still up, it is rejected so that a fault cannot hang the run.
class User {
  public:
    explicit User(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    std::vector<const void*> windows;  // the window of each showing, as an identity
    QPointer<TFMotDePasse> firstWindow;
    std::vector<QString> editTexts;  // the edit's text at each showing

  private:
    void poll() {
        TFMotDePasse* w = FMotDePasse;
        if (!w || !w->isVisible() || acted_) return;
        if (windows.empty() || windows.back() != w) {
            // The window hides and shows again between two timer ticks: its end is the cue.
            QObject::connect(w, &QDialog::finished, [this] { acted_ = false; });
        }
        if (windows.empty()) firstWindow = w;
        acted_ = true;
        windows.push_back(w);
        editTexts.push_back(w->EditMotPasse->text());
        if (next_ < steps_.size()) {
            steps_[next_++](w);
        } else {
            w->reject();
        }
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    bool acted_ = false;
    QTimer timer_;
};

struct GateCase {
    const char* name;
    std::vector<Step> steps;
    Outcome outcome;
    size_t refusals;
};

class GateTest : public ::testing::TestWithParam<GateCase> {
  protected:
    void SetUp() override { guiApp(); }
};

TEST_P(GateTest, EndsAsTheUserChose) {
    const GateCase& c = GetParam();
    ui::MessageRecorder recorder;
    User user(c.steps);
    Outcome outcome = identification::runIdentification();

    EXPECT_EQ(outcome, c.outcome);
    ASSERT_EQ(recorder.messages().size(), c.refusals);
    for (const ui::ShownMessage& m : recorder.messages()) {
        EXPECT_EQ(m.form, ui::ShownMessage::Form::Dialog);
        EXPECT_EQ(m.kind, ui::DialogKind::Information);
        EXPECT_EQ(m.text, QStringLiteral("Mot de passe invalide"));
    }
    // One window per run, shown again with an empty edit after each refusal, gone at the end.
    ASSERT_EQ(user.windows.size(), c.steps.size());
    for (size_t i = 0; i < user.windows.size(); ++i) {
        EXPECT_EQ(user.windows[i], user.windows.front()) << "showing " << i;
        EXPECT_EQ(user.editTexts[i], QString()) << "showing " << i;
    }
    EXPECT_EQ(FMotDePasse, nullptr);
    EXPECT_TRUE(user.firstWindow.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, GateTest,
    ::testing::Values(
        GateCase{"RightAtOnce", {typeAndEnter("qv73")}, Outcome::Identified, 0},
        GateCase{"EmptyRefused", {typeAndEnter(""), cancel}, Outcome::Cancelled, 1},
        GateCase{"UpperCaseRefused", {typeAndEnter("QV73"), cancel}, Outcome::Cancelled, 1},
        GateCase{"TrailingBlankRefused", {typeAndValidate("qv73 "), cancel}, Outcome::Cancelled, 1},
        GateCase{"PrefixRefused", {typeAndEnter("qv7"), escape}, Outcome::Cancelled, 1},
        GateCase{"RightAfterWrongOnes",
                 {typeAndEnter("x"), typeAndValidate("QV73"), typeAndEnter(" qv73"),
                  typeAndValidate("qv73")},
                 Outcome::Identified,
                 3},
        GateCase{"CancelButton", {cancel}, Outcome::Cancelled, 0},
        GateCase{"EscapeKey", {escape}, Outcome::Cancelled, 0},
        GateCase{"CloseBox", {closeBox}, Outcome::Cancelled, 0},
        GateCase{"CloseBoxAfterWrongOne", {typeAndEnter("qv74"), closeBox}, Outcome::Cancelled, 1}),
    [](const ::testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

// Typing past the edit's limit keeps the first ten characters, so the right password followed
// by more text is refused.
TEST(GateLimit, TextPastTenCharactersIsDropped) {
    guiApp();
    ui::MessageRecorder recorder;
    QString typed;
    User user({[&typed](TFMotDePasse* w) {
                   QTest::keyClicks(w->EditMotPasse, "qv73qv73qv73");
                   typed = w->EditMotPasse->text();
                   QTest::keyClick(w->EditMotPasse, Qt::Key_Return);
               },
               typeAndEnter("qv73")});
    EXPECT_EQ(identification::runIdentification(), Outcome::Identified);
    EXPECT_EQ(typed, QStringLiteral("qv73qv73qv"));
    EXPECT_EQ(recorder.messages().size(), 1u);
}

}  // namespace
