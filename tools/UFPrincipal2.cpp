// UFPrincipal2.cpp: the specific-record window's creation, closing and handlers.
#include "tools/UFPrincipal2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "dictionary/alias_config.h"
#include "dictionary/exe_folder.h"
#include "dictionary/sql_quoting.h"
#include "dictionary/table_list.h"
#include "dictionary/template_lines.h"
#include "rtl/ansi.h"
#include "rtl/file_exists.h"
#include "tools/codec.h"
#include "tools/record_input.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/layout.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

TFUnLockDUnRecordSpecifique* FUnLockDUnRecordSpecifique = nullptr;

namespace {

const QString kFieldNotChosen = QStringLiteral("Il faut chosir le premier champ!");
const QString kValueMissing = QStringLiteral("Il faut saisir une valeur pour le champ !");
const QString kRowIdNotFound = QStringLiteral(
    "Row_ID Introuvable.\n\r\n\rVerifiez si l'enregistrement existe vraiment dans "
    "la table selectionée");

// A name as it goes into the statement: a plain one as typed, any other delimited.
QString asSqlName(const QString& name) {
    return record_input::isName(name) ? name : dictionary::sqlName(name);
}

// Display widths, in characters, of the owners' columns: user, login, application.
constexpr int kColumnWidths[] = {30, 30, 45};

}  // namespace

TFUnLockDUnRecordSpecifique::TFUnLockDUnRecordSpecifique(QWidget* owner) : QDialog(owner) {
    buildWindow();
    createNonVisualComponents();
    connectEvents();
    ui::guarded([this] { FormCreate(); });
}

TFUnLockDUnRecordSpecifique::~TFUnLockDUnRecordSpecifique() = default;

void TFUnLockDUnRecordSpecifique::connectEvents() {
    using ui::connectGuarded;
    // A click on the dictionary already chosen reconnects too.
    for (auto clicked : {&ui::RadioGroup::itemClicked, &ui::RadioGroup::itemReselected})
        connectGuarded(RGPaths, clicked, this, [this] { RGPathsClick(); });
    connectGuarded(ComboBoxTables, &ui::ComboBox::changed, this,
                   [this] { ComboBoxTablesChange(); });
    connectGuarded(ComboBoxTables, &ui::ComboBox::closedUp, this,
                   [this] { ComboBoxTablesCloseUp(); });
    connectGuarded(EditValueColumn, &QLineEdit::textChanged, this,
                   [this] { EditValueColumnChange(); });
    connect(EditValueColumn, &QLineEdit::returnPressed, this, [this] {
        if (BtnChercherUsagerQuiBloque->isEnabled()) BtnChercherUsagerQuiBloque->click();
    });
    connectGuarded(BtnChercherUsagerQuiBloque, &QPushButton::clicked, this,
                   [this] { BtnChercherUsagerQuiBloqueClick(); });
    connectGuarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TFUnLockDUnRecordSpecifique::FormCreate() {
    PathToExe = dictionary::executableFolder();
    ListAllPaths.clear();
    if (!rtl::fileExists(PathToExe + QStringLiteral("ads.ini"))) {
        ui::messageDialog(ui::DialogKind::Error, dictionary::kAdsIniMissing);
        return;
    }
    for (const dictionary::OfferedAlias& alias : dictionary::loadAliases(PathToExe, ListAllPaths))
        RGPaths->addItem(alias.name, alias.entry);
}

void TFUnLockDUnRecordSpecifique::FormClose() {
    ListAllPaths.clear();
    // Closes the table and both queries too.
    ManagementConn->Disconnect();
}

void TFUnLockDUnRecordSpecifique::done(int result) {
    ui::guarded([this] { FormClose(); });
    QDialog::done(result);
}

void TFUnLockDUnRecordSpecifique::RGPathsClick() {
    RemplirComboBoxTables();
    ComboBoxFields->clearItems();
    ComboBoxFields->setText(QString());
    EditValueColumn->clear();
    BtnChercherUsagerQuiBloque->setEnabled(false);
    stopBlinking();
}

void TFUnLockDUnRecordSpecifique::RemplirComboBoxTables() {
    // Also closes the queries, so the grid empties.
    ManagementConn->Disconnect();
    try {
        const QString value =
            dictionary::aliasEntryValue(ListAllPaths, RGPaths->itemTag(RGPaths->itemIndex()));
        const QStringList tables =
            dictionary::connectAndList(*ManagementConn, value, DictionaryPath, TrimmedPath);
        ComboBoxTables->clearItems();
        ComboBoxTables->setText(QString());
        ComboBoxTables->addItem(QStringLiteral("Sélectionner une table"));
        ComboBoxTables->addItems(tables);
        ComboBoxTables->selectItem(0);
    } catch (const rtl::Exception& e) {
        ComboBoxTables->setText(QString());
        ComboBoxTables->clearItems();
        ui::plainMessage(dictionary::errorFoundText(e));
    }
}

void TFUnLockDUnRecordSpecifique::ComboBoxTablesChange() {
    ComboBoxFields->clearItems();
    ComboBoxFields->setText(QString());
    EditValueColumn->clear();
    QTrouverUserQuiBloqueRecord->Close();
    BtnChercherUsagerQuiBloque->setEnabled(ComboBoxTables->itemIndex() > 0);
    stopBlinking();
}

void TFUnLockDUnRecordSpecifique::ComboBoxTablesCloseUp() {
    if (ComboBoxTables->itemIndex() <= 0) return;
    TableATrouver->Close();
    TableATrouver->SetTableName(ComboBoxTables->text());
    TableATrouver->Open();
    rtl::StringList names;
    TableATrouver->GetFieldNames(names);
    ComboBoxFields->clearItems();
    ComboBoxFields->setText(QString());
    if (names.count() > 0) {
        ComboBoxFields->addItem(names.at(0));
        ComboBoxFields->selectItem(0);
    }
    BtnChercherUsagerQuiBloque->setEnabled(true);
}

void TFUnLockDUnRecordSpecifique::EditValueColumnChange() {
    QTrouverUserQuiBloqueRecord->Close();
    stopBlinking();
}

void TFUnLockDUnRecordSpecifique::BtnChercherUsagerQuiBloqueClick() {
    if (ComboBoxFields->itemIndex() != 0) {
        ui::plainMessage(kFieldNotChosen);
        return;
    }
    if (EditValueColumn->text().isEmpty()) {
        ui::plainMessage(kValueMissing);
        return;
    }
    if (const QString refusal = inputRefusal(); !refusal.isEmpty()) {
        ui::plainMessage(refusal);
        return;
    }
    LabelLockNonTrouve->hide();

    using dictionary::RecordOwnerLine;
    using dictionary::RowIdOfValueLine;
    const QString table = ComboBoxTables->text();
    QTrouverRowID->Close();
    // A listed name that is no plain identifier ("Zone's VIP") goes in delimited.
    QTrouverRowID->SQL().Set(RowIdOfValueLine::kTableName, asSqlName(table));
    QTrouverRowID->SQL().Set(RowIdOfValueLine::kColumn, asSqlName(ComboBoxFields->text()));
    QTrouverRowID->SQL().Set(RowIdOfValueLine::kValue, EditValueColumn->text());
    QTrouverRowID->Open();
    if (QTrouverRowID->RecordCount() != 1) {
        ui::plainMessage(kRowIdNotFound);
        return;
    }

    QTrouverUserQuiBloqueRecord->Close();
    // The folder or the table may hold a quote ("l'atelier"): the path is a quoted literal.
    QTrouverUserQuiBloqueRecord->SQL().Set(
        RecordOwnerLine::kTablePath,
        u'\'' + dictionary::sqlLiteral(TrimmedPath + table + QStringLiteral(".adt")) + u'\'');
    const QString rowId = rtl::fromAnsi(QTrouverRowIDrowid->AsAnsiString());
    QTrouverUserQuiBloqueRecord->SQL().Set(RecordOwnerLine::kRecNo,
                                           QString::number(TrouverRecNo(rowId, RecNoForm::RowId)));
    QTrouverUserQuiBloqueRecord->Open();
    for (int column = 0; column < 3; ++column)
        QTrouverUserQuiBloqueRecord->Fields(column)->SetDisplayWidth(kColumnWidths[column]);

    if (QTrouverUserQuiBloqueRecord->Fields(0)->AsString().isEmpty())
        Timer1->start();
    else
        Timer1->stop();
}

void TFUnLockDUnRecordSpecifique::Timer1Timer() {
    LabelLockNonTrouve->setVisible(!LabelLockNonTrouve->isVisible());
}

void TFUnLockDUnRecordSpecifique::stopBlinking() {
    LabelLockNonTrouve->hide();
    Timer1->stop();
}

QString TFUnLockDUnRecordSpecifique::inputRefusal() {
    using namespace record_input;
    // A name the window listed itself is accepted as it is, whatever its characters.
    const QString table = ComboBoxTables->text();
    if (!isName(table) && ComboBoxTables->findText(table) <= 0) return kInvalidTable;
    const QString field = ComboBoxFields->text();
    if (!isName(field) && ComboBoxFields->findText(field) != 0) return kInvalidField;
    QString content;
    switch (literal(EditValueColumn->text(), &content)) {
        case Literal::NotALiteral:
            return kInvalidValue;
        case Literal::QuotedText:
            // The server reads a double-quoted word as a column when the table has one of
            // that name, RowID included: the value would be compared with that column.
            if (content.compare(QStringLiteral("RowID"), Qt::CaseInsensitive) == 0 ||
                tableFields().contains(content, Qt::CaseInsensitive))
                return valueIsAField(content);
            return QString();
        case Literal::Number:
        case Literal::Logical:
        case Literal::ApostropheText:
            return QString();
    }
    return QString();
}

QStringList TFUnLockDUnRecordSpecifique::tableFields() {
    const QString table = ComboBoxTables->text();
    if (!TableATrouver->Active() ||
        TableATrouver->TableName().compare(table, Qt::CaseInsensitive) != 0) {
        TableATrouver->Close();
        TableATrouver->SetTableName(table);
        TableATrouver->Open();
    }
    rtl::StringList names;
    TableATrouver->GetFieldNames(names);
    return names.strings();
}
