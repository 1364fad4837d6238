// progression_recherche.h: the wait cursor and the progress display of a lock search.
//
// A search runs on the window's thread, statement after statement. It shows the wait cursor
// from its start; once it has lasted longer than the search's delay (about a second) it
// shows a modal progress display, "Table i de n", the locks found so far and "Annuler",
// and lets the windows repaint between statements. Before that display is up no event is
// processed at all; while it is up, being application-modal, it keeps the user's input away
// from every other window, and the window's other handlers refuse to run (see
// RechercheLocks::progression), so nothing re-enters them while the search runs.
#ifndef BREVANTIS_APP_PROGRESSION_RECHERCHE_H
#define BREVANTIS_APP_PROGRESSION_RECHERCHE_H

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;

namespace app {

struct RechercheLocks;

// Thrown between two statements once the user has pressed "Annuler". It is no error of the
// data-access layer: the search handler ends on it without a message.
struct RechercheAnnulee {};

class ProgressionRecherche {
  public:
    // Shows the wait cursor and becomes `r.progression` until destroyed.
    explicit ProgressionRecherche(RechercheLocks& r);
    // Closes the display, restores the cursor and clears `r.progression`.
    ~ProgressionRecherche();
    ProgressionRecherche(const ProgressionRecherche&) = delete;
    ProgressionRecherche& operator=(const ProgressionRecherche&) = delete;

    // The search moves on to table `nom`, the i-th of n (from 1). Once the delay has passed,
    // shows or refreshes the display and processes pending events. Throws RechercheAnnulee
    // when the user has cancelled.
    void table(int i, int n, const QString& nom);
    // One more lock was added to the result.
    void lockTrouve() { ++locks_; }
    // Between two statements: once the delay has passed, shows or refreshes the display and
    // processes pending events (at most every few hundredths of a second). Throws
    // RechercheAnnulee when the user has cancelled.
    void entreInstructions();

    // The display while it is shown, else null (for tests).
    QDialog* affichage() const { return dialogue_; }

  private:
    void passer(bool nouvelleTable);
    void montrer();
    void rafraichir();

    RechercheLocks& r_;
    QElapsedTimer depuis_;
    qint64 dernierPassage_ = 0;  // when events were last processed, in ms since the start
    QPointer<QDialog> dialogue_;
    QLabel* labelTable_ = nullptr;
    QLabel* labelLocks_ = nullptr;
    QProgressBar* barre_ = nullptr;
    bool annulee_ = false;
    int table_ = 0;
    int tables_ = 0;
    QString nom_;
    int locks_ = 0;
};

}  // namespace app

#endif  // BREVANTIS_APP_PROGRESSION_RECHERCHE_H
