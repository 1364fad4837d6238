// converter_test.cpp: the converter window driven by keys and clicks, messages recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/ui/qt_print.h"
#include "tools/UFConverter.h"
#include "ui/messages.h"
#include "ui/panel.h"

namespace {

class ConverterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    template <class W>
    W* get(const char* name) {
        W* w = window_.findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }

    // Clicks into `name` and types `text` as a user would.
    void type(const char* name, const QString& text) {
        QLineEdit* e = edit(name);
        QTest::mouseClick(e, Qt::LeftButton);
        e->clear();
        for (const QChar c : text) {
            // QTest knows keys for ASCII only; other characters arrive as plain key text.
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }

    ui::MessageRecorder recorder_;
    TFConverter window_;
};

TEST_F(ConverterTest, LayoutCaptionsAndFonts) {
    EXPECT_EQ(window_.windowTitle(), "Convertisseur");
    EXPECT_EQ(window_.size(), QSize(443, 216));
    EXPECT_EQ(window_.font().family(), "Tahoma");
    EXPECT_EQ(window_.font().pixelSize(), 11);
    EXPECT_EQ(window_.parentWidget(), nullptr);
    EXPECT_TRUE(window_.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window_.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    struct {
        const char* name;
        const char* parent;
        QRect place;
        const char* caption;  // label or button text; null for panels and edits
    } const controls[] = {
        {"Panel1", "FConverter", {8, 4, 425, 97}, nullptr},
        {"Label1", "Panel1", {26, 27, 85, 16}, "LockedRecNo"},
        {"Label2", "Panel1", {334, 27, 47, 16}, "Base64"},
        {"EditDecimal", "Panel1", {21, 49, 96, 21}, nullptr},
        {"BtnDecimaToBase64", "Panel1", {148, 45, 129, 25}, "Décimal à Base 64"},
        {"EditBase64", "Panel1", {309, 49, 96, 21}, nullptr},
        {"Panel2", "FConverter", {8, 107, 425, 97}, nullptr},
        {"Label3", "Panel2", {47, 21, 47, 16}, "Base64"},
        {"Label4", "Panel2", {314, 21, 85, 16}, "LockedRecNo"},
        {"EditBase64_2", "Panel2", {21, 40, 96, 21}, nullptr},
        {"BtnBase64ToDecimal", "Panel2", {148, 36, 129, 25}, "Base 64 à Décimal"},
        {"EditDecimal_2", "Panel2", {309, 40, 96, 21}, nullptr},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = get<QWidget>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), c.parent);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            // Labels keep their place and grow to their caption when the font is wider.
            EXPECT_EQ(w->pos(), c.place.topLeft());
            EXPECT_EQ(w->height(), c.place.height());
            EXPECT_GE(w->width(), c.place.width());
            EXPECT_GE(w->width(), label->sizeHint().width());
            EXPECT_EQ(label->text(), QString::fromUtf8(c.caption));
            EXPECT_EQ(label->font().family(), "Tahoma");
            EXPECT_EQ(label->font().pixelSize(), 13);
            EXPECT_TRUE(label->font().bold());
            continue;
        }
        EXPECT_EQ(w->geometry(), c.place);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            EXPECT_EQ(e->maxLength(), std::string(c.name) == "EditBase64_2" ? 6 : 32767);
            EXPECT_FALSE(e->isReadOnly());
        } else {
            EXPECT_NE(qobject_cast<ui::Panel*>(w), nullptr);
        }
    }
}

TEST_F(ConverterTest, TabOrderRunsThroughPanel1ThenPanel2) {
    const QStringList expected = {"BtnDecimaToBase64",  "EditBase64",   "EditDecimal",
                                  "BtnBase64ToDecimal", "EditBase64_2", "EditDecimal_2"};
    EXPECT_EQ(QApplication::focusWidget()->objectName(), expected.front());
    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), expected.front());
}

TEST_F(ConverterTest, DecimalToBase64) {
    struct {
        const char* typed;
        const char* form;
    } const cases[] = {
        {"12345", "AAADA5"}, {"64", "AAAABA"},         {"   64", "AAAABA"},
        {"+64", "AAAABA"},   {"$40", "AAAABA"},        {"0x40", "AAAABA"},
        {"0", "AAAAAA"},     {"2147483647", "B/////"}, {"-1", "D/////"},
    };
    for (const auto& c : cases) {
        type("EditDecimal", c.typed);
        click("BtnDecimaToBase64");
        EXPECT_EQ(edit("EditBase64")->text(), c.form) << c.typed;
    }
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(ConverterTest, BadDecimalIsReportedAndLeavesTheResult) {
    for (const char* typed : {"12a", "64 ", "", "2147483648", "0x"}) {
        SCOPED_TRACE(typed);
        recorder_.clear();
        type("EditDecimal", typed);
        edit("EditBase64")->setText("AAAABA");  // an earlier result
        click("BtnDecimaToBase64");
        ASSERT_EQ(recorder_.messages().size(), 1u);
        const ui::ShownMessage& m = recorder_.messages().front();
        EXPECT_EQ(m.form, ui::ShownMessage::Form::DefaultError);
        EXPECT_EQ(m.caption, ui::applicationTitle());
        EXPECT_EQ(m.text, QStringLiteral("'%1' n'est pas une valeur entière correcte.").arg(typed));
        EXPECT_EQ(edit("EditBase64")->text(), "AAAABA");
        EXPECT_TRUE(window_.isVisible());
    }
}

TEST_F(ConverterTest, Base64ToDecimal) {
    struct {
        const char16_t* typed;
        const char* value;
    } const cases[] = {
        {u"AAADA5", "12345"},   {u"", "-1090785345"},
        {u"B", "1056698303"},   {u"aaaaaa", "-1704352102"},
        {u"AAAAAb", "27"},      {u"AAAAABCDE", "1"},  // only six characters can be typed
        {u"AAAAA\u20AC", "-1"},                       // in the code page, not in the alphabet
        {u"AAAAA\u0100", "-1"},  // not in the code page: a substitute character
    };
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        type("EditBase64_2", typed);
        click("BtnBase64ToDecimal");
        EXPECT_EQ(edit("EditDecimal_2")->text(), c.value) << typed.toStdString();
    }
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(ConverterTest, EnteringAnInputClearsOnlyItsOwnResult) {
    const auto fill = [&] {
        edit("EditDecimal")->setText("1");
        edit("EditBase64")->setText("AAAAAB");
        edit("EditBase64_2")->setText("AAAAAC");
        edit("EditDecimal_2")->setText("2");
    };
    fill();
    get<QPushButton>("BtnDecimaToBase64")->setFocus();
    QTest::mouseClick(edit("EditDecimal"), Qt::LeftButton);
    EXPECT_EQ(edit("EditBase64")->text(), "");
    EXPECT_EQ(edit("EditDecimal")->text(), "1");
    EXPECT_EQ(edit("EditBase64_2")->text(), "AAAAAC");
    EXPECT_EQ(edit("EditDecimal_2")->text(), "2");

    fill();
    get<QPushButton>("BtnBase64ToDecimal")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), edit("EditBase64_2"));
    EXPECT_EQ(edit("EditDecimal_2")->text(), "");
    EXPECT_EQ(edit("EditBase64_2")->text(), "AAAAAC");
    EXPECT_EQ(edit("EditDecimal")->text(), "1");
    EXPECT_EQ(edit("EditBase64")->text(), "AAAAAB");

    // The window coming back to the front is no new entry into the edit.
    fill();
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(edit("EditBase64_2"), &back);
    EXPECT_EQ(edit("EditDecimal_2")->text(), "2");
}

TEST_F(ConverterTest, ReturnInAnEditPressesNoButton) {
    type("EditDecimal", "64");
    QTest::keyClick(edit("EditDecimal"), Qt::Key_Return);
    EXPECT_EQ(edit("EditBase64")->text(), "");
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(ConverterTest, EscapeLeavesTheWindowOpenWithItsValues) {
    type("EditDecimal", "64");
    click("BtnDecimaToBase64");
    QTest::keyClick(edit("EditDecimal"), Qt::Key_Escape);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(edit("EditDecimal")->text(), "64");
    EXPECT_EQ(edit("EditBase64")->text(), "AAAABA");
}

}  // namespace
