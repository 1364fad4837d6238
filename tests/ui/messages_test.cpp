// messages_test.cpp: captions, the default error's "." rule and the handler guard.
#include "ui/messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <stdexcept>

#include "tests/ui/qt_print.h"

namespace {

using ui::DialogKind;
using ui::ShownMessage;

TEST(DefaultErrorText, AppendsDotOnlyAfterCharactersAboveDot) {
    struct Case {
        QString in, out;
    } cases[] = {
        {"", ""},
        {"Table introuvable", "Table introuvable."},
        {"Fin.", "Fin."},        // the dot itself: equal code, nothing added
        {"Erreur!", "Erreur!"},  // '!' is below '.'
        {"valeur -", "valeur -"},
        {"chemin /", "chemin /."},  // '/' is just above '.'
        {"ligne 7", "ligne 7."},
        {"trouvé", "trouvé."},
        {"fin ", "fin "},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::defaultErrorText(c.in), c.out) << c.in.toStdString();
}

TEST(Messages, RecorderTakesEveryFormWithItsCaption) {
    ui::MessageRecorder recorder;
    ui::messageDialog(DialogKind::Warning, "w");
    ui::messageDialog(DialogKind::Error, "e");
    ui::messageDialog(DialogKind::Information, "i");
    ui::plainMessage("p");
    ui::showDefaultError("d");
    const auto& m = recorder.messages();
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].caption, "Avertissement");
    EXPECT_EQ(m[1].caption, "Erreur");
    EXPECT_EQ(m[2].caption, "Informations");
    EXPECT_EQ(m[2].kind, DialogKind::Information);
    EXPECT_EQ(m[3].form, ShownMessage::Form::Plain);
    EXPECT_EQ(m[3].caption, ui::applicationTitle());
    EXPECT_EQ(m[4].form, ShownMessage::Form::DefaultError);
    EXPECT_EQ(m[4].text, "d.");
}

TEST(Messages, NestedRecorderTakesOverAndHandsBack) {
    ui::MessageRecorder outer;
    {
        ui::MessageRecorder inner;
        ui::plainMessage("a");
        EXPECT_EQ(inner.messages().size(), 1u);
    }
    ui::plainMessage("b");
    ASSERT_EQ(outer.messages().size(), 1u);
    EXPECT_EQ(outer.messages()[0].text, "b");
}

TEST(Messages, TitleIsFileNameUpToFirstDotWithLaterLettersLowered) {
    EXPECT_EQ(ui::titleFromFileName("Brevantis"), "Brevantis");
    EXPECT_EQ(ui::titleFromFileName("BREVANTIS.EXE"), "Brevantis");
    EXPECT_EQ(ui::titleFromFileName("brevantis.v2.exe"), "brevantis");
    EXPECT_EQ(ui::titleFromFileName(".hidden"), "");
    EXPECT_EQ(ui::applicationTitle(), "ui_messages_test");  // this executable
}

TEST(Guarded, ShowsWhatEscapesAndStopsThere) {
    ui::MessageRecorder recorder;
    bool after = false;
    ui::guarded([] { throw rtl::EConvertError("'x' n'est pas un entier valide"); });
    ui::guarded([] { throw std::runtime_error("disk full"); });
    ui::guarded([] { throw 42; });
    ui::guarded([&] { after = true; });
    const auto& m = recorder.messages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].text, "'x' n'est pas un entier valide.");
    EXPECT_EQ(m[1].text, "disk full.");
    EXPECT_EQ(m[0].form, ShownMessage::Form::DefaultError);
    EXPECT_TRUE(after);
}

}  // namespace

namespace {

TEST(Messages, FrenchTranslatorGivesQtsOwnTextsInFrench) {
    const QString file =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_fr.qm");
    if (!QFile::exists(file)) GTEST_SKIP() << "qtbase_fr.qm is not installed";
    ui::installFrenchTranslator();
    ui::installFrenchTranslator();  // once is enough; again changes nothing
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), "Cop&ier");
}

}  // namespace
