// result_table.cpp: the probe, drop and creation of #UsersTableLocks with its fallback.
#include "locksearch/result_table.h"

#include "data/adstable.h"
#include "locksearch/components.h"

namespace locksearch {

void recreateResultTable(const Components& c) {
    try {
        c.UsersTableLocks->Close();
        c.UsersTableLocks->Open();
        c.UsersTableLocks->Close();
        c.QDropingTempTable->Close();
        c.QDropingTempTable->ExecSQL();
        c.QCreerTab_UsersTableLocks->Close();
        c.QCreerTab_UsersTableLocks->ExecSQL();
        c.UsersTableLocks->Open();
        return;
    } catch (...) {
        // Whatever failed, the table is created directly below.
    }
    c.QCreerTab_UsersTableLocks->Close();
    c.QCreerTab_UsersTableLocks->ExecSQL();
    c.UsersTableLocks->Open();
}

}  // namespace locksearch
