// combo_box_test.cpp: the item-index rule and the order of change and close-up notifications.
#include "ui/combo_box.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "tests/ui/qt_print.h"

namespace {

class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* t : {"Toutes les tables", "clients", "Commandes", "Produits"})
            box.addItem(t);
        QObject::connect(&box, &ui::ComboBox::changed,
                         [this] { events.push_back("change:" + box.text()); });
        QObject::connect(&box, &ui::ComboBox::closedUp, [this] { events.push_back("closeup"); });
        box.show();
        box.activateWindow();
        QApplication::setActiveWindow(&box);
    }

    // Opens the list and clicks item `row`, as a user would.
    void chooseFromList(int row) {
        box.showPopup();
        QAbstractItemView* view = box.view();
        ASSERT_TRUE(view->isVisible());
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }

    ui::ComboBox box;
    std::vector<QString> events;
};

TEST_F(ComboBoxTest, IndexStartsAtMinusOneAndFollowsProgramSelection) {
    EXPECT_EQ(box.itemIndex(), -1);
    box.selectItem(0);
    EXPECT_EQ(box.itemIndex(), 0);
    EXPECT_EQ(box.text(), "Toutes les tables");
    EXPECT_EQ(events, (std::vector<QString>{"change:Toutes les tables"}));
}

TEST_F(ComboBoxTest, TypingAndClearingChangeTheTextButNotTheIndex) {
    box.selectItem(2);
    events.clear();
    QTest::keyClick(box.lineEdit(), Qt::Key_End);
    QTest::keyClicks(box.lineEdit(), "X");
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);  // Enter neither inserts nor selects
    EXPECT_EQ(box.text(), "CommandesX");
    EXPECT_EQ(box.itemIndex(), 2);
    EXPECT_EQ(box.count(), 4);
    box.clearItems();
    EXPECT_EQ(box.text(), "CommandesX");
    box.setText("");
    EXPECT_EQ(box.itemIndex(), 2);
    EXPECT_EQ(events, (std::vector<QString>{"change:CommandesX", "change:"}));
}

TEST_F(ComboBoxTest, TypingAnItemsNameSelectsNothingWhenTheEditEnds) {
    // "All tables" chosen, then a table's name typed: the search must still cover them all.
    const struct {
        const char* how;
        std::function<void(ui::ComboBox&)> endEditing;
    } cases[] = {
        {"Enter", [](ui::ComboBox& b) { QTest::keyClick(b.lineEdit(), Qt::Key_Return); }},
        {"focus leaving",
         [](ui::ComboBox& b) { QMetaObject::invokeMethod(b.lineEdit(), "editingFinished"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        box.selectItem(0);
        box.setText("");
        events.clear();
        QTest::keyClicks(box.lineEdit(), "Commandes");
        c.endEditing(box);
        QCoreApplication::processEvents();
        EXPECT_EQ(box.itemIndex(), 0);
        EXPECT_EQ(box.text(), "Commandes");
        EXPECT_EQ(events.size(), 9u) << "one change per typed character, nothing more";
    }
}

TEST_F(ComboBoxTest, TypedTextIsNeverCompleted) {
    box.setText("");
    QTest::keyClicks(box.lineEdit(), "Co");
    EXPECT_EQ(box.text(), "Co");
}

TEST_F(ComboBoxTest, ListChoiceSetsIndexAndNotifiesChangeBeforeCloseUp) {
    box.setText("typed");
    events.clear();
    chooseFromList(3);
    EXPECT_EQ(box.itemIndex(), 3);
    EXPECT_EQ(events, (std::vector<QString>{"change:Produits", "closeup"}));
}

TEST_F(ComboBoxTest, TheChangeOfAChoiceAlreadyReportsTheChosenIndex) {
    std::vector<int> seen;
    QObject::connect(&box, &ui::ComboBox::changed, [&] { seen.push_back(box.itemIndex()); });
    chooseFromList(0);  // first item of a list the program filled without selecting
    box.selectItem(2);
    chooseFromList(0);
    box.setText("typed");
    chooseFromList(3);
    QTest::keyClick(box.lineEdit(), Qt::Key_Up);  // the keys move through the list too
    box.clearItems();
    box.addItems({"a", "b"});
    QTest::keyClicks(box.lineEdit(), "x");  // typing chooses nothing
    chooseFromList(1);
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 0, 0, 3, 2, 2, 1}));
}

TEST_F(ComboBoxTest, ChoosingTheShownItemAgainRaisesOnlyCloseUp) {
    box.selectItem(1);
    events.clear();
    chooseFromList(1);
    EXPECT_EQ(events, (std::vector<QString>{"closeup"}));
}

TEST_F(ComboBoxTest, ProgramTextChangeNotifiesOnlyWhenTheTextDiffers) {
    box.setText("clients");
    box.setText("clients");
    box.selectItem(1);  // same text
    EXPECT_EQ(events, (std::vector<QString>{"change:clients"}));
}

}  // namespace
