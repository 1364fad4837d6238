// progression_recherche.cpp: the search's wait cursor, its delayed modal progress display
// and the "Annuler" button.
#include "app/progression_recherche.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/recherche_locks.h"

namespace app {
namespace {

// Between two statements of a table, events are processed at most this often while the
// display is up: the rate a reader follows, and a click on "Annuler" answered at once. A
// new table always shows.
constexpr qint64 kIntervalleMs = 100;

}  // namespace

ProgressionRecherche::ProgressionRecherche(RechercheLocks& r) : r_(r) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    depuis_.start();
    r_.progression = this;
}

ProgressionRecherche::~ProgressionRecherche() {
    r_.progression = nullptr;
    delete dialogue_;
    QApplication::restoreOverrideCursor();
}

void ProgressionRecherche::table(int i, int n, const QString& nom) {
    table_ = i;
    tables_ = n;
    nom_ = nom;
    passer(true);
}

void ProgressionRecherche::entreInstructions() {
    passer(false);
}

void ProgressionRecherche::passer(bool nouvelleTable) {
    const qint64 maintenant = depuis_.elapsed();
    if (dialogue_ == nullptr) {
        if (maintenant < r_.delaiProgressionMs) return;
        montrer();
    } else if (!nouvelleTable && maintenant - dernierPassage_ < kIntervalleMs) {
        return;
    }
    rafraichir();
    QCoreApplication::processEvents();
    dernierPassage_ = depuis_.elapsed();
    if (annulee_) throw RechercheAnnulee{};
}

void ProgressionRecherche::montrer() {
    QWidget* fenetre = r_.BtnChercherLocksParDictionnaire->window();
    auto* d = new QDialog(fenetre, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    d->setObjectName(QStringLiteral("FProgressionRecherche"));
    d->setWindowTitle(QStringLiteral("Recherche des locks"));
    d->setWindowModality(Qt::ApplicationModal);
    auto* colonne = new QVBoxLayout(d);
    labelTable_ = new QLabel(d);
    labelTable_->setObjectName(QStringLiteral("LabelTableEnCours"));
    labelLocks_ = new QLabel(d);
    labelLocks_->setObjectName(QStringLiteral("LabelLocksTrouves"));
    barre_ = new QProgressBar(d);
    barre_->setTextVisible(false);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), d);
    annuler->setObjectName(QStringLiteral("BtnAnnuler"));
    colonne->addWidget(labelTable_);
    colonne->addWidget(labelLocks_);
    colonne->addWidget(barre_);
    colonne->addWidget(annuler, 0, Qt::AlignHCenter);
    d->setMinimumWidth(360);
    // Escape and the title bar's close button cancel as the button does.
    QObject::connect(annuler, &QPushButton::clicked, d, &QDialog::reject);
    QObject::connect(d, &QDialog::rejected, d, [this] { annulee_ = true; });
    dialogue_ = d;
    rafraichir();
    d->show();
    // The user may now press "Annuler": an arrow with the hourglass says so.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
}

void ProgressionRecherche::rafraichir() {
    labelTable_->setText(QStringLiteral("Table %1 de %2 : %3").arg(table_).arg(tables_).arg(nom_));
    labelLocks_->setText(QStringLiteral("Locks trouvés : %1").arg(locks_));
    barre_->setRange(0, std::max(tables_, 1));
    barre_->setValue(std::max(table_ - 1, 0));
}

}  // namespace app
