// main.cpp: program entry: the application, its main window and the message loop.
#include <QApplication>

#include "app/UFPrinciapl.h"
#include "rtl/exception.h"
#include "ui/fonts.h"
#include "ui/messages.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ui::installFrenchTranslator();
    ui::installFontSubstitutes();
    try {
        FPrincipal = new TFPrincipal();
    } catch (const rtl::Exception& e) {
        // The window could not be built (the engine library is missing): the runtime's
        // error box, then the program ends.
        ui::messageDialog(ui::DialogKind::Error, e.message());
        return 1;
    }
    FPrincipal->show();
    const int result = QApplication::exec();
    delete FPrincipal;
    FPrincipal = nullptr;
    return result;
}
