// progress_test.cpp: what the user sees and can do while a search runs: the windows repaint
// long before the progress dialog shows, input meanwhile is dropped, and "Annuler" is the one
// input that counts once the dialog is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "app/search_progress.h"
#include "app/windowless_search.h"

namespace {

// Posts a left click on the middle of `w`, to be delivered at the next event pass.
void postClick(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            w, new QMouseEvent(type, at, global, Qt::LeftButton,
                               type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                               Qt::NoModifier));
}

TEST(SearchProgress, TheWindowsRepaintBeforeTheDialogAndInputMeanwhileIsDropped) {
    app::WindowlessSearch s;
    QPushButton other(QStringLiteral("Autre"));
    other.resize(80, 24);
    other.show();
    int clicks = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++clicks; });
    int passes = 0;
    {
        app::SearchProgress progress(s);
        QTimer::singleShot(0, [&] { ++passes; });
        postClick(&other);
        progress.betweenStatements();
        EXPECT_EQ(passes, 0) << "a quick search pays for no event pass";
        QThread::msleep(120);
        progress.table(1, 3, QStringLiteral("Clients"));
        EXPECT_EQ(passes, 1) << "events ran well before the dialog's delay";
        EXPECT_EQ(progress.dialog(), nullptr);
        EXPECT_EQ(clicks, 0) << "the click was dropped";
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0) << "and not kept for after the search";
    QCoreApplication::sendPostedEvents();
    postClick(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1) << "input counts again once the search is over";
}

TEST(SearchProgress, AClickOnAnnulerReachesTheDialogAndCancelsAtTheNextPass) {
    app::WindowlessSearch s;
    s.progressDelayMs = 0;
    app::SearchProgress progress(s);
    progress.table(1, 2, QStringLiteral("Clients"));
    QProgressDialog* dialog = progress.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->labelText(), "Table 1 de 2 : Clients\nLocks trouvés : 0");
    auto* annuler = dialog->findChild<QPushButton*>(QStringLiteral("BtnAnnuler"));
    ASSERT_NE(annuler, nullptr);
    EXPECT_EQ(annuler->text(), "Annuler");
    postClick(annuler);
    EXPECT_THROW(progress.table(2, 2, QStringLiteral("Produits")), locksearch::Cancelled);
}

}  // namespace
