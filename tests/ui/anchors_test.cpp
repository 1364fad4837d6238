// anchors_test.cpp: the anchor rule per axis, and children following a resized container.
#include "ui/anchors.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

using namespace ui;

TEST(AnchoredGeometry, EachAnchorCombinationOnAGrowingContainer) {
    const QRect design(10, 20, 100, 50);
    const QSize from(400, 300), to(600, 400);  // 200 wider, 100 taller
    struct Case {
        unsigned anchors;
        QRect expected;
    } cases[] = {
        {kAnchorsTopLeft, QRect(10, 20, 100, 50)},
        {kAnchorLeft | kAnchorTop | kAnchorRight, QRect(10, 20, 300, 50)},
        {kAnchorsAll, QRect(10, 20, 300, 150)},
        {kAnchorLeft | kAnchorBottom, QRect(10, 120, 100, 50)},
        {kAnchorRight | kAnchorBottom, QRect(210, 120, 100, 50)},
        // No anchor: centre (60, 45) scales to (90, 60).
        {0, QRect(40, 35, 100, 50)},
        {kAnchorBottom, QRect(40, 120, 100, 50)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(anchoredGeometry(design, from, to, c.anchors), c.expected) << c.anchors;
}

TEST(AnchoredGeometry, AnAxisThatKeepsItsSizeNeverMovesAnOddCentredControl) {
    // Centre 441.5 of 883: rounding must not shift it by a pixel.
    EXPECT_EQ(
        anchoredGeometry(QRect(314, 401, 255, 24), QSize(883, 435), QSize(883, 485), kAnchorBottom),
        QRect(314, 451, 255, 24));
}

TEST(AnchoredGeometry, ShrinkingBelowTheControlNeverGivesNegativeSize) {
    const QRect r =
        anchoredGeometry(QRect(10, 10, 50, 50), QSize(100, 100), QSize(20, 20), kAnchorsAll);
    EXPECT_EQ(r.size(), QSize(0, 0));
}

TEST(SetAnchors, ChildrenFollowEveryResizeFromTheirDesignPlace) {
    QWidget container;
    container.resize(400, 300);
    auto* stretched = new QWidget(&container);
    stretched->setGeometry(10, 20, 100, 50);
    auto* bottomRight = new QWidget(&container);
    bottomRight->setGeometry(300, 250, 80, 30);
    setAnchors(stretched, kAnchorsAll);
    setAnchors(bottomRight, kAnchorRight | kAnchorBottom);
    container.show();

    container.resize(500, 350);
    EXPECT_EQ(stretched->geometry(), QRect(10, 20, 200, 100));
    EXPECT_EQ(bottomRight->geometry(), QRect(400, 300, 80, 30));
    container.resize(400, 300);  // back: no drift from rounding or accumulation
    EXPECT_EQ(stretched->geometry(), QRect(10, 20, 100, 50));
    EXPECT_EQ(bottomRight->geometry(), QRect(300, 250, 80, 30));
}

}  // namespace
