// recherche_sans_fenetre.h: the lock search without its window, for tests and the benchmark.
//
// The connection and datasets are declared as the window declares them, the controls are
// made but never shown, and the signals are connected as in the window, so the handlers run
// exactly as they do there against the real engine.
#ifndef BREVANTIS_APP_RECHERCHE_SANS_FENETRE_H
#define BREVANTIS_APP_RECHERCHE_SANS_FENETRE_H

#include <QString>
#include <QWidget>

#include "app/recherche_locks.h"

namespace app {

class RechercheSansFenetre : public RechercheLocks {
  public:
    // REQUIRES: a QApplication exists. Loads the engine library (throws when it cannot).
    RechercheSansFenetre();
    ~RechercheSansFenetre();
    RechercheSansFenetre(const RechercheSansFenetre&) = delete;
    RechercheSansFenetre& operator=(const RechercheSansFenetre&) = delete;

    // Adds "name=value" to ListAllPaths and, unless the name is hidden, an item to RGPaths,
    // as reading ads.ini does.
    void ajouterAlias(const QString& name, const QString& value);

    // The hidden widget that holds the controls (the progress display's owner).
    QWidget& fenetre() { return fenetre_; }

  private:
    QWidget fenetre_;
};

}  // namespace app

#endif  // BREVANTIS_APP_RECHERCHE_SANS_FENETRE_H
