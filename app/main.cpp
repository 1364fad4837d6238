// main.cpp: program entry: the application, its main window and the message loop.
#include <QApplication>

#include "app/UFPrinciapl.h"
#include "ui/fonts.h"
#include "ui/messages.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ui::installFrenchTranslator();
    ui::installFontSubstitutes();
    FPrincipal = new TFPrincipal();
    FPrincipal->show();
    const int result = QApplication::exec();
    delete FPrincipal;
    FPrincipal = nullptr;
    return result;
}
