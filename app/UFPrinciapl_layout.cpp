// UFPrinciapl_layout.cpp: the main window's controls, placed, sized, anchored and styled in
// their design state.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <vector>

#include "app/UFPrinciapl.h"
#include "app/lock_grid.h"
#include "gridlink/grid_link.h"
#include "ui/anchors.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/fonts.h"
#include "ui/messages.h"
#include "ui/panel.h"
#include "ui/radio_group.h"

namespace {

using namespace ui;

constexpr int kClientWidth = 1089;
constexpr int kClientHeight = 643;
const QColor kMediumGrey(160, 160, 164);

QFont arial(int pixels, bool bold = false, bool italic = false) {
    return pixelFont(QStringLiteral("Arial"), pixels, bold, italic);
}

// Names `w`, gives it its design rectangle in its container and its anchors.
template <class W>
W* place(W* w, const char* name, int x, int y, int width, int height, unsigned anchors) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, y, width, height);
    setAnchors(w, anchors);
    return w;
}

// A label sized to its text, as labels given only a position are.
ui::AutoSizeLabel* label(QWidget* container, const char* name, int x, int y, const QString& text,
                         const QFont& font, unsigned anchors, const QColor& colour = QColor()) {
    auto* l = new ui::AutoSizeLabel(text, container);
    l->setFont(font);
    if (colour.isValid()) {
        // Enabled only: a disabled label is drawn in the common disabled grey.
        QPalette p = l->palette();
        p.setColor(QPalette::Active, QPalette::WindowText, colour);
        p.setColor(QPalette::Inactive, QPalette::WindowText, colour);
        l->setPalette(p);
    }
    const QSize size = l->sizeHint();
    return place(l, name, x, y, size.width(), size.height(), anchors);
}

QPushButton* button(QWidget* container, const QString& text) {
    return new QPushButton(text, container);
}

}  // namespace

void TFPrincipal::buildWindow() {
    setWindowTitle(QStringLiteral("Des Locks par table"));
    setFont(arial(11));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    QPalette p = client->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    client->setPalette(p);
    client->resize(kClientWidth, kClientHeight);

    // The dictionary list keeps its width; the panels beside it take what the window gains.
    RGPaths = place(new RadioGroup(client), "RGPaths", 6, 6, 185, 603, kAnchorsTopLeft);
    RGPaths->setTitle(QStringLiteral("Dictionnaires :"));
    RGPaths->setFont(arial(11, true));
    buildPanel3(client);
    buildPanel1(client);
    buildPanel2(client);
    Label4 = label(client, "Label4", 29, 621, QStringLiteral("Version : 29-Sept-2020"), arial(11),
                   kAnchorsTopLeft);
    BtnSIdentifier = place(button(client, QStringLiteral("S'Identifier")), "BtnSIdentifier", 893,
                           599, 123, 25, kAnchorsTopLeft);
    BtnSIdentifier->setFont(arial(11, true));
    BtnSIdentifier->hide();

    setCentralWidget(client);
    buildMenus();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    // Smaller, the display order and the dictionaries at the bottom of the list would vanish.
    setMinimumSize(size());
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TFPrincipal::buildPanel3(QWidget* client) {
    Panel3 = place(new Panel(client), "Panel3", 197, 13, 883, 61,
                   kAnchorLeft | kAnchorTop | kAnchorRight);
    // The bar's controls stay where they are while the bar widens.
    Label3 = label(Panel3, "Label3", 44, 23, QStringLiteral("Nombre de tables :"),
                   arial(13, true, true), kAnchorsTopLeft);
    LabelNombreTables = label(Panel3, "LabelNombreTables", 170, 23, QStringLiteral("0"),
                              arial(13, true, true), kAnchorsTopLeft, kMediumGrey);
    ComboBoxTables =
        place(new ComboBox(Panel3), "ComboBoxTables", 240, 20, 189, 22, kAnchorsTopLeft);
    ComboBoxTables->setRowsVisible(25);
    BtnChercherLocksParDictionnaire =
        place(button(Panel3, QStringLiteral("Chercher des locks / Rafraîchir")),
              "BtnChercherLocksParDictionnaire", 454, 19, 190, 24, kAnchorsTopLeft);
    BtnChercherLocksParDictionnaire->setEnabled(false);
    RGOrdre = place(new RadioGroup(Panel3), "RGOrdre", 696, 2, 165, 54, kAnchorsTopLeft);
    RGOrdre->setTitle(QStringLiteral("Ordre d'affichage"));
    RGOrdre->setFont(arial(11, true));
    RGOrdre->addItem(QStringLiteral("UserName"));
    RGOrdre->addItem(QStringLiteral("OsUserLoginName"));
}

void TFPrincipal::buildPanel1(QWidget* client) {
    Panel1 = place(new Panel(client), "Panel1", 197, 80, 883, 435, kAnchorsAll);
    Panel4 =
        place(new Panel(Panel1), "Panel4", 8, 7, 864, 29, kAnchorLeft | kAnchorTop | kAnchorRight);
    Panel4->setCaption(QStringLiteral("Locks"));
    Panel4->setFont(arial(24));
    wwDBGrid1 = place(new DataGrid(Panel1), "wwDBGrid1", 10, 42, 864, 353, kAnchorsAll);
    BtnChercherRecordParRowID =
        place(button(Panel1, QStringLiteral("Trouver l'enregistrement du Lock selectionné")),
              "BtnChercherRecordParRowID", 314, 401, 255, 24, kAnchorBottom);
    BtnChercherRecordParRowID->setEnabled(false);
}

void TFPrincipal::buildPanel2(QWidget* client) {
    Panel2 = place(new Panel(client), "Panel2", 197, 521, 883, 114,
                   kAnchorLeft | kAnchorRight | kAnchorBottom);
    Label1 = label(Panel2, "Label1", 45, 11, QStringLiteral("Dictionnaire :"), arial(13, true),
                   kAnchorsTopLeft);
    LabelDictionnaire =
        label(Panel2, "LabelDictionnaire", 140, 11, QStringLiteral("NomDictionnaire"),
              arial(13, true, true), kAnchorsTopLeft, kMediumGrey);
    Label2 = label(Panel2, "Label2", 321, 11, QStringLiteral("Table :"), arial(13, true),
                   kAnchorsTopLeft);
    LabelTable = label(Panel2, "LabelTable", 374, 11, QStringLiteral("NomTable"),
                       arial(13, true, true), kAnchorsTopLeft, kMediumGrey);
    wwDBGrid2 = place(new DataGrid(Panel2), "wwDBGrid2", 10, 33, 864, 70, kAnchorsAll);
    wwDBGrid2->setFont(arial(11, true));
    wwDBGrid2->setBackgroundColor(wwDBGrid2->palette().color(QPalette::Base));
}

void TFPrincipal::linkGrids() {
    LocksLink = new gridlink::GridLink(wwDBGrid1, DSUsersTableLocks);
    LocksLink->setColumns(
        {{QStringLiteral("UserName"), 30, QStringLiteral("UserName")},
         {QStringLiteral("OsUserLoginName"), 30, QStringLiteral("OsUserLoginName")},
         {QStringLiteral("LockedRecNo"), 16, QStringLiteral("LockedRecNo")},
         {QStringLiteral("TableName"), 29, QStringLiteral("Table")},
         {QStringLiteral("ApplicationID"), 29, QStringLiteral("ApplicationID")}});
    // The bridge keeps a failing cell as it was; nothing to show the user per cell.
    LocksLink->setCalcCellColors([this](TField* field, ui::CellStyle& style) {
        app::wwDBGrid1CalcCellColors(*this, field, style);
    });
    // Whatever columns the record's table has, titled by their names. The record shown has
    // no current row to mark: its cells take the grid's colour, light blue once found.
    RecordLink = new gridlink::GridLink(wwDBGrid2, DSQChercherRecordParRowID);
    RecordLink->setCalcCellColors([this](TField*, ui::CellStyle& style) {
        style.background = wwDBGrid2->backgroundColor();
        style.foreground = Qt::black;
    });
}

// The dictionaries' items are made after the rest of the window and would otherwise come
// last: the keyboard starts on them and goes on through the search bar, the locks and the
// record shown.
void TFPrincipal::orderTabs() {
    std::vector<QWidget*> order;
    for (QRadioButton* item : RGPaths->findChildren<QRadioButton*>()) order.push_back(item);
    order.insert(order.end(), {ComboBoxTables, BtnChercherLocksParDictionnaire});
    for (QRadioButton* item : RGOrdre->findChildren<QRadioButton*>()) order.push_back(item);
    order.insert(order.end(), {wwDBGrid1, BtnChercherRecordParRowID, wwDBGrid2, BtnSIdentifier});
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    order.front()->setFocus();
}
