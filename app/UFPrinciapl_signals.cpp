// UFPrinciapl_signals.cpp: the one place where the main window's signals meet its handlers.
//
// Every handler runs inside ui::guarded, so that no exception crosses a Qt frame. Those a
// user starts do not run while a search is under way (its progress display may let events
// through between two statements); those the search itself sets off (the order chosen by the
// program, the grid following the dataset) always run.
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "app/UFPrinciapl.h"
#include "app/dictionary_choice.h"
#include "app/dictionary_search.h"
#include "app/lock_grid.h"
#include "app/lock_search_context.h"
#include "app/locked_record.h"
#include "gridlink/grid_link.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/layout.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace app {
namespace {

enum class When { Searching, NotSearching };

// Connects `signal` of `sender` to `handler`, run guarded; with When::NotSearching it is
// ignored while a search runs.
template <class Sender, class Signal, class Handler>
void connectHandler(Sender* sender, Signal signal, QObject* context, LockSearchContext& r,
                    When when, Handler handler) {
    ui::connectGuarded(sender, signal, context, [&r, when, handler] {
        if (when == When::NotSearching && r.progress != nullptr) return;
        handler();
    });
}

}  // namespace

void connectSearchSignals(LockSearchContext& r, QObject* context) {
    const auto notSearching = When::NotSearching;
    auto bound = [&r](void (*handler)(LockSearchContext&)) {
        return [&r, handler] { handler(r); };
    };
    connectHandler(r.RGPaths, &ui::RadioGroup::itemClicked, context, r, notSearching,
                   bound(RGPathsClick));
    connectHandler(r.RGPaths, &ui::RadioGroup::itemReselected, context, r, notSearching,
                   bound(RGPathsClick));
    connectHandler(r.ComboBoxTables, &ui::ComboBox::changed, context, r, notSearching,
                   bound(ComboBoxTablesChange));
    connectHandler(r.BtnChercherLocksParDictionnaire, &QPushButton::clicked, context, r,
                   notSearching, bound(BtnChercherLocksParDictionnaireClick));
    connectHandler(r.BtnChercherRecordParRowID, &QPushButton::clicked, context, r, notSearching,
                   bound(BtnChercherRecordParRowIDClick));
    connectHandler(r.rouverlenregistrementselectionn1, &QAction::triggered, context, r,
                   notSearching, bound(rouverlenregistrementselectionn1Click));
    // The search selects the order itself.
    connectHandler(r.RGOrdre, &ui::RadioGroup::itemClicked, context, r, When::Searching,
                   bound(RGOrdreClick));
}

}  // namespace app

void TFPrincipal::connectSignals() {
    using app::When;
    app::connectSearchSignals(*this, this);
    app::LockSearchContext& r = *this;
    const auto notSearching = When::NotSearching;
    app::connectHandler(BtnSIdentifier, &QPushButton::clicked, this, r, notSearching,
                        [this] { BtnSIdentifierClick(); });
    app::connectHandler(Chercherparenregistrementspcifique, &QAction::triggered, this, r,
                        notSearching, [this] { ChercherparenregistrementspcifiqueClick(); });
    app::connectHandler(Convertisseur, &QAction::triggered, this, r, notSearching,
                        [this] { ConvertisseurClick(); });
    app::connectHandler(SurveillerLesLocks, &QAction::triggered, this, r, notSearching,
                        [this] { SurveillerLesLocksClick(); });
    // F5 refreshes, as in every peer window, when the search button could be pressed.
    auto* refresh = new QAction(this);
    refresh->setObjectName(QStringLiteral("ActionRafraichir"));
    refresh->setShortcut(Qt::Key_F5);
    refresh->setShortcutContext(Qt::WindowShortcut);
    addAction(refresh);
    app::connectHandler(refresh, &QAction::triggered, this, r, notSearching, [this] {
        if (BtnChercherLocksParDictionnaire->isEnabled() &&
            BtnChercherLocksParDictionnaire->isVisible())
            BtnChercherLocksParDictionnaire->click();
    });
    // The grid follows the dataset during a search too.
    app::connectHandler(LocksLink, &gridlink::GridLink::rowChanged, this, r, When::Searching,
                        [this] { app::wwDBGrid1RowChanged(*this); });
    connect(wwDBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (progress != nullptr) return;
        ui::guarded([&] { PopupMenu1->popup(wwDBGrid1->viewport()->mapToGlobal(at)); });
    });
}
