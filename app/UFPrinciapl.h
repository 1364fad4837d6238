// UFPrinciapl.h: the main window "Des Locks par table", its controls and module variables.
#ifndef BREVANTIS_APP_UFPRINCIAPL_H
#define BREVANTIS_APP_UFPRINCIAPL_H

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "app/lock_search_context.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace gridlink {
class GridLink;
}

namespace ui {
class ComboBox;
class DataGrid;
class Panel;
class RadioGroup;
}  // namespace ui

// The single main window. Building it lays out every control in its design state
// (identified: working area shown, "S'Identifier" hidden), creates its non-visual members,
// connects its signals, then runs FormCreate: the identification gate, then the dictionary
// list from ads.ini. The lock search's connection, datasets, controls and module variables
// are those of its LockSearchContext, on which the lock-search handlers work. Every handler
// runs guarded: an error that escapes it is shown and the window goes on.
class TFPrincipal : public QMainWindow, public app::LockSearchContext {
    Q_OBJECT
  public:
    explicit TFPrincipal(QWidget* parent = nullptr);
    ~TFPrincipal() override;

    // Runs the identification gate, then shows (identified) or hides (cancelled) the working
    // area: Panel3, Panel1, Panel2, RGPaths in this order, and the opposite for
    // BtnSIdentifier.
    void DemanderMotDePasse();
    void BtnSIdentifierClick();
    // Opens the converter modally while this window is hidden.
    void ConvertisseurClick();
    // Opens the specific-record window modally while this window is hidden.
    void ChercherparenregistrementspcifiqueClick();
    // Shows the lock monitor beside this window, not modal; a second click brings the open
    // one to the front.
    void SurveillerLesLocksClick();

    // Controls beside those of the lock search, named as their object names.
    ui::Panel* Panel3;
    QLabel* Label3;
    ui::Panel* Panel1;
    ui::Panel* Panel4;
    ui::DataGrid* wwDBGrid1;
    ui::Panel* Panel2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    QPushButton* BtnSIdentifier;
    QMenuBar* MainMenu1;
    QMenu* Outils;
    QAction* Chercherparenregistrementspcifique;
    QAction* Convertisseur;
    QAction* SurveillerLesLocks;
    QPointer<QWidget> FSurveillanceLocks;  // the lock monitor while it is open
    QMenu* PopupMenu1;
    // The grids' links to their data sources: wwDBGrid1 to DSUsersTableLocks, wwDBGrid2 to
    // DSQChercherRecordParRowID.
    gridlink::GridLink* LocksLink = nullptr;
    gridlink::GridLink* RecordLink = nullptr;

    QString PathToExe;  // the executable's folder, with its final separator

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void buildPanel3(QWidget* client);
    void buildPanel1(QWidget* client);
    void buildPanel2(QWidget* client);
    void buildMenus();
    void linkGrids();
    void orderTabs();
    void connectSignals();
    void FormCreate();
    void FormClose();
};

// The single main window, set by the program entry.
extern TFPrincipal* FPrincipal;

#endif  // BREVANTIS_APP_UFPRINCIAPL_H
