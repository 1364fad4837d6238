// UFPrinciapl.h: the main window "Des Locks par table", its controls and module variables.
#ifndef BREVANTIS_APP_UFPRINCIAPL_H
#define BREVANTIS_APP_UFPRINCIAPL_H

#include <QMainWindow>
#include <QString>

#include "rtl/string_list.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

class TAdsConnection;
class TAdsQuery;
class TAdsTable;
class TDataSource;

namespace ui {
class ComboBox;
class DataGrid;
class Panel;
class RadioGroup;
}  // namespace ui

// The single main window. Building it lays out every control in its design state
// (identified: working area shown, "S'Identifier" hidden), creates its non-visual members,
// then runs FormCreate: the identification gate, then the dictionary list from ads.ini.
// Every handler runs guarded: an error that escapes it is shown and the window goes on.
class TFPrincipal : public QMainWindow {
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

    // Controls, named as their object names.
    ui::RadioGroup* RGPaths;
    ui::Panel* Panel3;
    QLabel* Label3;
    QLabel* LabelNombreTables;
    ui::ComboBox* ComboBoxTables;
    QPushButton* BtnChercherLocksParDictionnaire;
    ui::RadioGroup* RGOrdre;
    ui::Panel* Panel1;
    ui::Panel* Panel4;
    ui::DataGrid* wwDBGrid1;
    QPushButton* BtnChercherRecordParRowID;
    ui::Panel* Panel2;
    QLabel* Label1;
    QLabel* LabelDictionnaire;
    QLabel* Label2;
    QLabel* LabelTable;
    ui::DataGrid* wwDBGrid2;
    QLabel* Label4;
    QPushButton* BtnSIdentifier;
    QMenuBar* MainMenu1;
    QMenu* Outils;
    QAction* Chercherparenregistrementspcifique;
    QAction* Convertisseur;
    QMenu* PopupMenu1;
    QAction* rouverlenregistrementselectionn1;

    // Non-visual members: the connection, the datasets of the lock search and their sources.
    TAdsConnection* ManagementConn = nullptr;
    TAdsQuery* QTrouverLockedRecNumbers = nullptr;
    TAdsQuery* QTrouverUsersQuiBloquent = nullptr;
    TAdsQuery* QCreerTab_UsersTableLocks = nullptr;
    TAdsQuery* QDropingTempTable = nullptr;
    TAdsTable* UsersTableLocks = nullptr;
    TAdsQuery* QChercherRecordParRowID = nullptr;
    TDataSource* DSUsersTableLocks = nullptr;
    TDataSource* DSQChercherRecordParRowID = nullptr;

    // Module variables of the window.
    QString PathToExe;             // the executable's folder, with its final separator
    rtl::StringList ListAllPaths;  // every "name=value" line of the Databases section
    QString DictionaryPath;        // the connected dictionary's path
    QString TrimmedPath;           // its folder, with its final separator
    qint32 RecNoGlobal = 0;        // identity of the current lock row
    QString DictionaryNameGlobal;
    QString TableNameGlobal;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void construireFenetre();
    void construirePanel3(QWidget* client);
    void construirePanel1(QWidget* client);
    void construirePanel2(QWidget* client);
    void construireMenus();
    void creerComposantsNonVisuels();
    void FormCreate();
    void FormClose();
};

// The single main window, set by the program entry.
extern TFPrincipal* FPrincipal;

#endif  // BREVANTIS_APP_UFPRINCIAPL_H
