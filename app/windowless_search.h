// windowless_search.h: the lock search without its window, for tests and the benchmark.
//
// The connection and datasets are declared as the window declares them, the controls are
// made but never shown, and the signals are connected as in the window, so the handlers run
// exactly as they do there against the real engine.
#ifndef BREVANTIS_APP_WINDOWLESS_SEARCH_H
#define BREVANTIS_APP_WINDOWLESS_SEARCH_H

#include <QString>
#include <QWidget>

#include "app/lock_search_context.h"

namespace app {

class WindowlessSearch : public LockSearchContext {
  public:
    // REQUIRES: a QApplication exists. Loads the engine library (throws when it cannot).
    WindowlessSearch();
    ~WindowlessSearch();
    WindowlessSearch(const WindowlessSearch&) = delete;
    WindowlessSearch& operator=(const WindowlessSearch&) = delete;

    // Adds "name=value" to ListAllPaths and, unless the name is hidden, an item to RGPaths,
    // as reading ads.ini does.
    void addAlias(const QString& name, const QString& value);

    // The hidden widget that holds the controls (the progress display's owner).
    QWidget& window() { return window_; }

  private:
    QWidget window_;
};

}  // namespace app

#endif  // BREVANTIS_APP_WINDOWLESS_SEARCH_H
