// UFPrincipal2_layout.cpp: the specific-record window's controls in their design state, and
// its connection, table, queries and timer as its stored form declares them.
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/data_source.h"
#include "db/field.h"
#include "dictionary/query_setup.h"
#include "dictionary/table_list.h"
#include "gridlink/grid_link.h"
#include "tools/UFPrincipal2.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/dialog_keys.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/panel.h"
#include "ui/radio_group.h"

namespace {

using ui::makeLabel;
using ui::pixelFont;
using ui::placed;

const QString kTahoma = QStringLiteral("Tahoma");
const QString kArial = QStringLiteral("Arial");

QFont labelFont() {
    return pixelFont(kArial, 13, true, true);
}

QString blanks(int n) {
    return QString(n, u' ');
}

QString tabs(int n) {
    return QString(n, u'\t');
}

// The indent of the fixed lines of the ROWID lookup: a blank, a tab and 14 blanks.
const QString kIndent = u' ' + tabs(1) + blanks(14);

}  // namespace

void TFUnLockDUnRecordSpecifique::buildWindow() {
    setObjectName(QStringLiteral("FUnLockDUnRecordSpecifique"));
    setWindowTitle(QStringLiteral("Trouver le lock d'un enregistrement spécifique"));
    setFont(pixelFont(kTahoma, 11));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    resize(977, 382);
    // Smaller, the search's controls and the instructions would be cut.
    setMinimumSize(size());
    ui::keepOpenOnEscape(this);

    RGPaths = placed(new ui::RadioGroup(this), "RGPaths", {5, 8, 185, 369});
    RGPaths->setTitle(QStringLiteral("Dictionnaires :"));
    buildPanel1();
    buildPanel2();

    // The numbered instructions' order.
    setTabOrder(RGPaths, ComboBoxTables);
    setTabOrder(ComboBoxTables, ComboBoxFields);
    setTabOrder(ComboBoxFields, EditValueColumn);
    setTabOrder(EditValueColumn, BtnChercherUsagerQuiBloque);
    setTabOrder(BtnChercherUsagerQuiBloque, wwDBGrid1);
    RGPaths->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFUnLockDUnRecordSpecifique::buildPanel1() {
    Panel1 = placed(new ui::Panel(this), "Panel1", {197, 15, 776, 138});
    LabelTable =
        makeLabel(Panel1, "LabelTable", QStringLiteral("Table : "), {31, 11, 46, 16}, labelFont());
    ComboBoxTables = placed(new ui::ComboBox(Panel1), "ComboBoxTables", {102, 10, 163, 21});
    ComboBoxTables->setRowsVisible(25);
    Label1 = makeLabel(Panel1, "Label1", QStringLiteral("Champ : "), {31, 37, 56, 16}, labelFont());
    ComboBoxFields = placed(new ui::ComboBox(Panel1), "ComboBoxFields", {102, 36, 163, 21});
    ComboBoxFields->setRowsVisible(8);
    Label2 = makeLabel(Panel1, "Label2", QStringLiteral("="), {278, 23, 23, 46},
                       pixelFont(kArial, 40, true, true));
    Label3 = makeLabel(Panel1, "Label3", QStringLiteral("Valeur du champ"), {349, 15, 106, 16},
                       labelFont());
    EditValueColumn = placed(new QLineEdit(Panel1), "EditValueColumn", {320, 36, 163, 21});
    LabelLockNonTrouve =
        makeLabel(Panel1, "LabelLockNonTrouve", QStringLiteral("Pas de Lock trouvé"),
                  {575, 12, 107, 16}, pixelFont(kTahoma, 13), Qt::red);
    LabelLockNonTrouve->hide();
    BtnChercherUsagerQuiBloque = placed(new QPushButton(QStringLiteral("Chercher!"), Panel1),
                                        "BtnChercherUsagerQuiBloque", {550, 35, 153, 24});
    // Return in an edit presses "Chercher!" only through the value box's own rule.
    BtnChercherUsagerQuiBloque->setAutoDefault(false);
    BtnChercherUsagerQuiBloque->setEnabled(false);

    wwDBGrid1 = placed(new ui::DataGrid(Panel1), "wwDBGrid1", {16, 66, 737, 62});
    wwDBGrid1->setFont(pixelFont(kTahoma, 12, true));
    QPalette cells = wwDBGrid1->palette();
    cells.setColor(QPalette::Text, cells.color(QPalette::Link));
    // The owner's row stays link blue when it is the current, selected row, on the light blue
    // that marks the current row in the main window, where link blue stays readable.
    cells.setColor(QPalette::HighlightedText, cells.color(QPalette::Link));
    cells.setColor(QPalette::Highlight, QColor(216, 228, 248));
    wwDBGrid1->setPalette(cells);
    wwDBGrid1->horizontalHeader()->setFont(pixelFont(kTahoma, 11, true));
}

void TFUnLockDUnRecordSpecifique::buildPanel2() {
    Panel2 = placed(new ui::Panel(this), "Panel2", {197, 160, 777, 215});
    const QColor green(0, 128, 0);
    const struct {
        QLabel*& label;
        const char* name;
        const char* caption;
    } lines[] = {
        {Label4, "Label4", "1- Sélectionnez un dictionnaire"},
        {Label5, "Label5", "2.- Sélectionnez une table"},
        {Label6, "Label6",
         "3.- Lors de la sélection de la table, le premier champ sera affiché dans \"Champ\""},
        {Label7, "Label7",
         "4.a- Lors de la saisie de la valeur du champ, s'il s'agit d'un champ de type STRING, "
         "la valeur doit être placée entre guillemets."},
        {Label8, "Label8",
         "4.b- Lors de la saisie de la valeur du champ, s'il s'agit d'un champ de type INTEGER, "
         "la valeur doit être SANS guillemets."},
        {Label9, "Label9",
         "5.- Appuyez sur le bouton CHERCHER!, s'il y a un LOCK, il sera affiché dans la grille"},
    };
    int top = 29;
    for (const auto& line : lines) {
        line.label = makeLabel(Panel2, line.name, QString::fromUtf8(line.caption), {24, top, 0, 13},
                               pixelFont(kTahoma, 11), green);
        top += 19;
    }
}

void TFUnLockDUnRecordSpecifique::createNonVisualComponents() {
    ManagementConn = new TAdsConnection(this);
    ManagementConn->setObjectName(QStringLiteral("ManagementConn"));
    ManagementConn->AdsServerTypes = {stADS_REMOTE, stADS_LOCAL};
    ManagementConn->LoginPrompt = false;
    ManagementConn->StoreConnected = false;
    ManagementConn->Username = dictionary::kAdministrator;
    ManagementConn->Password = dictionary::kAdministratorPassword;

    TableATrouver = new TAdsTable(this);
    TableATrouver->setObjectName(QStringLiteral("TableATrouver"));
    TableATrouver->StoreActive = false;
    TableATrouver->SetAdsConnection(ManagementConn);
    dictionary::respectWhenCounting(TableATrouver);

    QTrouverRowID = dictionary::declareQuery(
        this, "QTrouverRowID", ManagementConn,
        {QStringLiteral("select rowid from"), blanks(17) + QStringLiteral("//nom de la table"),
         kIndent + QStringLiteral("where"), kIndent + QStringLiteral("//colonne à chercher"),
         kIndent + QStringLiteral("="),
         blanks(15) + QStringLiteral("//Valeur de la colonne à chercher")});
    QTrouverRowIDrowid = new TStringField(this, 18);
    QTrouverRowIDrowid->setObjectName(QStringLiteral("QTrouverRowIDrowid"));
    QTrouverRowIDrowid->SetFieldName(QStringLiteral("rowid"));
    QTrouverRowIDrowid->SetDataSet(QTrouverRowID);

    QTrouverUserQuiBloqueRecord = dictionary::declareQuery(
        this, "QTrouverUserQuiBloqueRecord", ManagementConn,
        {QStringLiteral(
             "Select Principal.UserName, Principal.OsUserLoginName, Principal.ApplicationID"),
         QStringLiteral("From"), QStringLiteral("("),
         QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner("),
         QStringLiteral("//'D:\\Base\\Clients.adt'"), tabs(9) + blanks(20) + QStringLiteral(","),
         blanks(38) + QStringLiteral("//RecNumber trouver par son RowID"),
         tabs(9) + blanks(17) + QStringLiteral(")"), QStringLiteral(")as Principal;")});
    dictionary::respectWhenCounting(QTrouverUserQuiBloqueRecord);

    DSQTrouverUserQuiBloqueRecord = new TDataSource(this);
    DSQTrouverUserQuiBloqueRecord->setObjectName(QStringLiteral("DSQTrouverUserQuiBloqueRecord"));
    DSQTrouverUserQuiBloqueRecord->SetDataSet(QTrouverUserQuiBloqueRecord);
    // The grid shows every column that comes back, as wide as its field's display width.
    new gridlink::GridLink(wwDBGrid1, DSQTrouverUserQuiBloqueRecord);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
}
