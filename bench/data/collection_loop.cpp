// collection_loop.cpp: the measured loop and the call-counting function table.
#include "bench/data/collection_loop.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <atomic>
#include <cstdio>

#include "data/adscnnct.h"
#include "data/adstable.h"

namespace bench {

int rowsArgument(int argc, char** argv) {
    if (argc < 2) return 10000;
    bool ok = false;
    const int rows = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    if (ok && rows >= 1 && rows <= 10000000) return rows;
    std::fprintf(stderr, "%s: the row count must be a whole number from 1 to 10000000, not '%s'\n"
                         "usage: %s [rows] [report file]\n", argv[0], argv[1], argv[0]);
    return 0;
}

namespace {

std::atomic<uint64_t> gCalls{0};
const ace::FunctionTable* gInner = nullptr;
ace::FunctionTable gCounting;

template <auto Member, typename Sig>
struct Counter;
template <auto Member, typename... A>
struct Counter<Member, UNSIGNED32 (*)(A...)> {
    static UNSIGNED32 fn(A... a) {
        ++gCalls;
        return (gInner->*Member)(a...);
    }
};

const QStringList kCreate = {
    "CREATE TABLE #UsersTableLocks (", "    DictionaryName CIChar(25),", "\t  DictionaryPath CIChar(100),",
    "\t  TableName CIChar(25),", "\t  TablePath CIChar(100),", "\t  UserName CIChar(50),",
    "\t  OsUserLoginName CIChar(50),", "\t  ApplicationID CIChar(70),", "\t  LockedRecNo Integer );", "",
    "Create Index UserName on #UsersTableLocks(UserName);",
    "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);"};

}  // namespace

const ace::FunctionTable& countingTable(const ace::FunctionTable& inner) {
    gInner = &inner;
#define BENCH_COUNT(name) \
    gCounting.name = &Counter<&ace::FunctionTable::name, decltype(&::name)>::fn;
    BREVANTIS_ACE_FUNCTIONS(BENCH_COUNT)
#undef BENCH_COUNT
    return gCounting;
}

uint64_t engineCalls() { return gCalls; }

void runCollectionLoop(const QString& mode, const QString& dictionary, int rows,
                       const std::function<uint64_t()>& roundTrips, QString& report) {
    TAdsConnection conn(nullptr);
    conn.SetConnectPath(dictionary);
    conn.Username = QStringLiteral("adssys");
    conn.Password = QStringLiteral("kor5382");
    conn.LoginPrompt = false;
    conn.AdsServerTypes = {stADS_REMOTE};
    conn.Connect();
    TAdsQuery create(nullptr);
    create.SetAdsConnection(&conn);
    create.SQL().Assign(kCreate);
    create.ExecSQL();
    TAdsTable locks(nullptr);
    locks.setObjectName(QStringLiteral("UsersTableLocks"));
    locks.SetAdsConnection(&conn);
    locks.AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
    locks.AdsTableOptions().AdsScopeOptions = TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING;
    locks.SetTableName(QStringLiteral("#UsersTableLocks"));
    locks.Open();
    locks.SetIndexName(QStringLiteral("UserName"));
    TField* fields[7];
    const char* names[] = {"DictionaryPath", "TableName", "TablePath", "UserName", "OsUserLoginName",
                           "ApplicationID", "LockedRecNo"};
    for (int i = 0; i < 7; ++i) fields[i] = locks.FieldByName(QString::fromLatin1(names[i]));

    QTextStream out(&report);
    const int block = std::max(1, rows / 10);
    QElapsedTimer total, timer;
    total.start();
    timer.start();
    uint64_t calls0 = engineCalls(), trips0 = roundTrips(), blockCalls = calls0, blockTrips = trips0;
    for (int i = 0; i < rows; ++i) {
        QByteArray table = "Table" + QByteArray::number(i % 37);
        int recNo = i + 1;
        if (!locks.Locate(QStringLiteral("TableName;LockedRecNo"), QVariantList{QString::fromLatin1(table), recNo}, 0)) {
            locks.Append();
            fields[0]->SetAsAnsiString("/data/Compta");
            fields[1]->SetAsAnsiString(table);
            fields[2]->SetAsAnsiString("/data/" + table + ".adt");
            fields[3]->SetAsAnsiString("POSTE-" + QByteArray::number(i % 13));
            fields[4]->SetAsAnsiString("login" + QByteArray::number(i % 7));
            fields[5]->SetAsAnsiString("Compta.exe");
            fields[6]->SetAsInteger(recNo);
            locks.Post();
        }
        if ((i + 1) % block == 0) {
            double us = timer.nsecsElapsed() / 1000.0 / block;
            out << mode << "  rows " << (i + 2 - block) << "-" << (i + 1) << ": " << QString::number(us, 'f', 1)
                << " us/row, " << QString::number(double(engineCalls() - blockCalls) / block, 'f', 1)
                << " engine calls/row, " << QString::number(double(roundTrips() - blockTrips) / block, 'f', 2)
                << " round trips/row\n";
            blockCalls = engineCalls();
            blockTrips = roundTrips();
            timer.restart();
        }
    }
    double us = total.nsecsElapsed() / 1000.0 / rows;
    out << mode << "  all " << rows << " rows: " << QString::number(us, 'f', 1) << " us/row, "
        << QString::number(double(engineCalls() - calls0) / rows, 'f', 1) << " engine calls/row, "
        << QString::number(double(roundTrips() - trips0) / rows, 'f', 2) << " round trips/row; table holds "
        << locks.RecordCount() << " rows\n";
}

}  // namespace bench
