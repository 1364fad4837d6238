// table_resultats.cpp: the probe, drop and creation of #UsersTableLocks with its fallback.
#include "app/table_resultats.h"

#include "app/recherche_locks.h"
#include "data/adstable.h"

namespace app {

void recreerTableResultats(RechercheLocks& r) {
    try {
        r.UsersTableLocks->Close();
        r.UsersTableLocks->Open();
        r.UsersTableLocks->Close();
        r.QDropingTempTable->Close();
        r.QDropingTempTable->ExecSQL();
        r.QCreerTab_UsersTableLocks->Close();
        r.QCreerTab_UsersTableLocks->ExecSQL();
        r.UsersTableLocks->Open();
        return;
    } catch (...) {
        // Whatever failed, the table is created directly below.
    }
    r.QCreerTab_UsersTableLocks->Close();
    r.QCreerTab_UsersTableLocks->ExecSQL();
    r.UsersTableLocks->Open();
}

}  // namespace app
