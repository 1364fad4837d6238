// UFPrinciapl_signaux.cpp: the one place where the main window's signals meet its handlers.
//
// Every handler runs inside ui::guarded, so that no exception crosses a Qt frame. Those a
// user starts do not run while a search is under way (its progress display may let events
// through between two statements); those the search itself sets off (the order chosen by the
// program, the grid following the dataset) always run.
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "app/UFPrinciapl.h"
#include "app/connexion_dictionnaire.h"
#include "app/enregistrement_verrouille.h"
#include "app/grille_locks.h"
#include "app/recherche_dictionnaire.h"
#include "app/recherche_locks.h"
#include "gridlink/grid_link.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/layout.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace app {
namespace {

enum class Pendant { Recherche, HorsRecherche };

// Connects `signal` of `sender` to `handler`, run guarded; with Pendant::HorsRecherche it is
// ignored while a search runs.
template <class Sender, class Signal, class Handler>
void relier(Sender* sender, Signal signal, QObject* context, RechercheLocks& r, Pendant quand,
            Handler handler) {
    ui::connectGuarded(sender, signal, context, [&r, quand, handler] {
        if (quand == Pendant::HorsRecherche && r.progression != nullptr) return;
        handler();
    });
}

}  // namespace

void connecterSignauxRecherche(RechercheLocks& r, QObject* context) {
    const auto hors = Pendant::HorsRecherche;
    auto sur = [&r](void (*handler)(RechercheLocks&)) { return [&r, handler] { handler(r); }; };
    relier(r.RGPaths, &ui::RadioGroup::itemClicked, context, r, hors, sur(RGPathsClick));
    relier(r.RGPaths, &ui::RadioGroup::itemReselected, context, r, hors, sur(RGPathsClick));
    relier(r.ComboBoxTables, &ui::ComboBox::changed, context, r, hors, sur(ComboBoxTablesChange));
    relier(r.BtnChercherLocksParDictionnaire, &QPushButton::clicked, context, r, hors,
           sur(BtnChercherLocksParDictionnaireClick));
    relier(r.BtnChercherRecordParRowID, &QPushButton::clicked, context, r, hors,
           sur(BtnChercherRecordParRowIDClick));
    relier(r.rouverlenregistrementselectionn1, &QAction::triggered, context, r, hors,
           sur(rouverlenregistrementselectionn1Click));
    // The search selects the order itself.
    relier(r.RGOrdre, &ui::RadioGroup::itemClicked, context, r, Pendant::Recherche,
           sur(RGOrdreClick));
}

}  // namespace app

void TFPrincipal::connecterSignaux() {
    using app::Pendant;
    app::connecterSignauxRecherche(*this, this);
    app::RechercheLocks& r = *this;
    const auto hors = Pendant::HorsRecherche;
    app::relier(BtnSIdentifier, &QPushButton::clicked, this, r, hors,
                [this] { BtnSIdentifierClick(); });
    app::relier(Chercherparenregistrementspcifique, &QAction::triggered, this, r, hors,
                [this] { ChercherparenregistrementspcifiqueClick(); });
    app::relier(Convertisseur, &QAction::triggered, this, r, hors,
                [this] { ConvertisseurClick(); });
    app::relier(SurveillerLesLocks, &QAction::triggered, this, r, hors,
                [this] { SurveillerLesLocksClick(); });
    // F5 refreshes, as in every peer window, when the search button could be pressed.
    auto* refresh = new QAction(this);
    refresh->setObjectName(QStringLiteral("ActionRafraichir"));
    refresh->setShortcut(Qt::Key_F5);
    refresh->setShortcutContext(Qt::WindowShortcut);
    addAction(refresh);
    app::relier(refresh, &QAction::triggered, this, r, hors, [this] {
        if (BtnChercherLocksParDictionnaire->isEnabled() &&
            BtnChercherLocksParDictionnaire->isVisible())
            BtnChercherLocksParDictionnaire->click();
    });
    // The grid follows the dataset during a search too.
    app::relier(LienLocks, &gridlink::GridLink::rowChanged, this, r, Pendant::Recherche,
                [this] { app::wwDBGrid1RowChanged(*this); });
    connect(wwDBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (progression != nullptr) return;
        ui::guarded([&] { PopupMenu1->popup(wwDBGrid1->viewport()->mapToGlobal(at)); });
    });
}
