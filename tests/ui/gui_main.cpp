// gui_main.cpp: GoogleTest entry for widget tests; a QApplication lives for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
