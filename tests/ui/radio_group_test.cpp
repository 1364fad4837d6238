// radio_group_test.cpp: the click notification for user and program selections alike.
#include "ui/radio_group.h"

#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTest>

namespace {

class RadioGroupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        group.resize(165, 54);
        group.addItem("UserName", 10);
        group.addItem("OsUserLoginName", 11);
        QObject::connect(&group, &ui::RadioGroup::itemClicked,
                         [this] { clicks.push_back(group.itemIndex()); });
        group.show();
    }
    QRadioButton* button(int i) { return group.findChildren<QRadioButton*>().at(i); }

    ui::RadioGroup group;
    std::vector<int> clicks;
};

TEST_F(RadioGroupTest, StartsWithNothingSelected) {
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_EQ(group.count(), 2);
    EXPECT_EQ(group.itemText(1), "OsUserLoginName");
    EXPECT_EQ(group.itemTag(1), 11);
}

TEST_F(RadioGroupTest, ProgramSelectionNotifiesOnlyWhenTheSelectionChanges) {
    group.setItemIndex(1);
    group.setItemIndex(1);
    group.setItemIndex(0);
    group.setItemIndex(-1);  // clearing is silent
    group.setItemIndex(0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(group.itemIndex(), 0);
}

TEST_F(RadioGroupTest, UserClickNotifiesLikeTheProgramAndNotOnTheSelectedItem) {
    QTest::mouseClick(button(1), Qt::LeftButton, {}, QPoint(6, button(1)->height() / 2));
    QTest::mouseClick(button(1), Qt::LeftButton, {}, QPoint(6, button(1)->height() / 2));
    EXPECT_EQ(clicks, (std::vector<int>{1}));
}

TEST_F(RadioGroupTest, AUserClickOnTheSelectedItemIsReportedApart) {
    std::vector<int> reselected;
    QObject::connect(&group, &ui::RadioGroup::itemReselected,
                     [&] { reselected.push_back(group.itemIndex()); });
    const QPoint at(6, button(0)->height() / 2);
    group.setItemIndex(0);
    QTest::mouseClick(button(0), Qt::LeftButton, {}, at);  // already selected by the program
    QTest::mouseClick(button(1), Qt::LeftButton, {}, at);
    QTest::mouseClick(button(1), Qt::LeftButton, {}, at);
    QTest::keyClick(button(1), Qt::Key_Space);
    group.setItemIndex(1);
    EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
    EXPECT_EQ(reselected, (std::vector<int>{0, 1, 1}));
}

TEST_F(RadioGroupTest, ItemsShareTheHeightInOrder) {
    EXPECT_LT(button(0)->geometry().bottom(), button(1)->geometry().top() + 1);
    EXPECT_LE(button(1)->geometry().bottom(), group.height());
}

TEST_F(RadioGroupTest, ClearingItemsEmptiesTheGroupSilently) {
    group.setItemIndex(0);
    clicks.clear();
    group.clearItems();
    EXPECT_EQ(group.count(), 0);
    EXPECT_EQ(group.itemIndex(), -1);
    group.addItem("Compta");
    group.setItemIndex(0);
    EXPECT_EQ(clicks, (std::vector<int>{0}));
}

}  // namespace
