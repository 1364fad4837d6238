// UFPrincipal2.h: the window that finds who locks one record, designated by a dictionary, a
// table, the table's first field and a value.
#ifndef BREVANTIS_TOOLS_UFPRINCIPAL2_H
#define BREVANTIS_TOOLS_UFPRINCIPAL2_H

#include <QDialog>
#include <QString>

#include "rtl/string_list.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class TAdsConnection;
class TAdsQuery;
class TAdsTable;
class TDataSource;
class TStringField;

namespace ui {
class ComboBox;
class DataGrid;
class Panel;
class RadioGroup;
}  // namespace ui

// "Trouver le lock d'un enregistrement spécifique". It has its own connection, alias list
// and paths: nothing it does touches the main window. The record's ROWID is found by the
// value of the table's first field, its last six characters give the record number, and
// the server's lock-owner procedure tells who holds it; nobody: "Pas de Lock trouvé" blinks.
// Every handler runs guarded: an error that escapes it is shown and the window goes on.
class TFUnLockDUnRecordSpecifique : public QDialog {
    Q_OBJECT
  public:
    // Builds the window centred on the screen, then runs FormCreate (the aliases of ads.ini,
    // or the missing-file error and nothing disabled). `owner` may be null.
    explicit TFUnLockDUnRecordSpecifique(QWidget* owner = nullptr);
    ~TFUnLockDUnRecordSpecifique() override;

    // A dictionary was chosen: connects to it and lists its tables, then empties the field,
    // the value and the result, disables "Chercher!" and stops the blinking.
    void RGPathsClick();
    // Connects ManagementConn to the chosen alias as the administrator and fills
    // ComboBoxTables with "Sélectionner une table" and the tables whose file exists. A
    // failure empties the list and is shown as "<class> Erreur trouvé." and its message.
    void RemplirComboBoxTables();
    // The table text changed: empties the field, the value and the result; "Chercher!"
    // follows whether the item last chosen is a table; stops the blinking.
    void ComboBoxTablesChange();
    // The table list closed on a table: opens it to offer its first field, selected.
    void ComboBoxTablesCloseUp();
    // The value changed: empties the result and stops the blinking.
    void EditValueColumnChange();
    // Refuses a search without a chosen field, without a value, or whose table, field or
    // value is not one name / one literal; otherwise finds the ROWID, then the lock owners.
    void BtnChercherUsagerQuiBloqueClick();
    // Every 500 ms while nobody holds the lock: shows or hides "Pas de Lock trouvé".
    void Timer1Timer();

    // Controls, named as their object names.
    ui::RadioGroup* RGPaths;
    ui::Panel* Panel1;
    QLabel* LabelTable;
    ui::ComboBox* ComboBoxTables;
    QLabel* Label1;
    ui::ComboBox* ComboBoxFields;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* EditValueColumn;
    QLabel* LabelLockNonTrouve;
    QPushButton* BtnChercherUsagerQuiBloque;
    ui::DataGrid* wwDBGrid1;
    ui::Panel* Panel2;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;

    // Non-visual members.
    TAdsConnection* ManagementConn = nullptr;
    TAdsTable* TableATrouver = nullptr;
    TAdsQuery* QTrouverRowID = nullptr;
    TStringField* QTrouverRowIDrowid = nullptr;
    TAdsQuery* QTrouverUserQuiBloqueRecord = nullptr;
    TDataSource* DSQTrouverUserQuiBloqueRecord = nullptr;
    QTimer* Timer1 = nullptr;

    // Module variables of the window.
    QString PathToExe;             // the executable's folder, with its final separator
    rtl::StringList ListAllPaths;  // every "name=value" line of the Databases section
    QString DictionaryPath;        // the connected dictionary's path
    QString TrimmedPath;           // its folder, with its final separator

  protected:
    // Every way of closing the window passes here: runs FormClose.
    void done(int result) override;

  private:
    void buildWindow();
    void buildPanel1();
    void buildPanel2();
    void createNonVisualComponents();
    void connectEvents();
    void FormCreate();
    void FormClose();
    // The refusal of a table, field or value that is not one name / one literal, or of a
    // value in double quotes that the server would read as a column; empty when accepted.
    QString inputRefusal();
    // The field names of the table named in ComboBoxTables, through TableATrouver.
    QStringList tableFields();
    // Stops the blinking and hides "Pas de Lock trouvé".
    void stopBlinking();
};

// The window while it is shown from the main window's menu.
extern TFUnLockDUnRecordSpecifique* FUnLockDUnRecordSpecifique;

#endif  // BREVANTIS_TOOLS_UFPRINCIPAL2_H
