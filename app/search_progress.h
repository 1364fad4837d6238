// search_progress.h: the wait cursor and the progress dialog of a lock search.
//
// A search runs on the window's thread, statement after statement. It shows the wait cursor
// from its start and lets the windows repaint between statements, at most every 100 ms, so
// that they never freeze; the user's input meanwhile is dropped, not queued. Once the search
// has lasted longer than its delay (about a second) an application-modal progress dialog
// shows "Table i de n", the locks found so far and "Annuler", which is then the only input
// that counts. The window's other handlers also refuse to run while a search is under way
// (see LockSearchContext::progress), so nothing re-enters them.
#ifndef BREVANTIS_APP_SEARCH_PROGRESS_H
#define BREVANTIS_APP_SEARCH_PROGRESS_H

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include "locksearch/progress.h"

namespace app {

struct LockSearchContext;

class SearchProgress : public locksearch::Progress {
  public:
    // Shows the wait cursor, starts dropping user input and becomes `r.progress` until
    // destroyed.
    explicit SearchProgress(LockSearchContext& r);
    // Closes the dialog, restores the cursor and input, and clears `r.progress`.
    ~SearchProgress() override;
    SearchProgress(const SearchProgress&) = delete;
    SearchProgress& operator=(const SearchProgress&) = delete;

    // A new table always refreshes the dialog once it is up. Both throw locksearch::Cancelled
    // once "Annuler" has been pressed.
    void table(int i, int n, const QString& name) override;
    void betweenStatements() override;
    void lockFound() override { ++locks_; }

    // The dialog while it is shown, else null (for tests).
    QProgressDialog* dialog() const { return dialog_; }

  private:
    // Drops mouse, key and wheel input aimed anywhere but at the progress dialog.
    class InputFilter : public QObject {
      public:
        explicit InputFilter(SearchProgress& owner) : owner_(owner) {}
        bool eventFilter(QObject* watched, QEvent* event) override;

      private:
        SearchProgress& owner_;
    };

    void pass(bool newTable);
    void showDialog();
    void refresh();

    LockSearchContext& r_;
    InputFilter inputFilter_{*this};
    QElapsedTimer since_;
    qint64 lastPass_ = 0;  // when events were last processed, in ms since the start
    QPointer<QProgressDialog> dialog_;
    int table_ = 0;
    int tables_ = 0;
    QString name_;
    int locks_ = 0;
};

}  // namespace app

#endif  // BREVANTIS_APP_SEARCH_PROGRESS_H
