// adsoptions.h: the datasets' engine options and the table-type enumeration.
#ifndef BREVANTIS_DATA_ADSOPTIONS_H
#define BREVANTIS_DATA_ADSOPTIONS_H

#include <QString>

enum class TAdsTableTypes { ttAdsCDX, ttAdsNTX, ttAdsADT, ttAdsDefault, ttAdsVFP };
enum class TAdsLockType { Proprietary, Compatible };
enum class TAdsCharType { ANSI, OEM };
enum class TAdsFilterOptions { IGNORE_WHEN_COUNTING, RESPECT_WHEN_COUNTING };
enum class TAdsScopeOptions { IGNORE_SCOPES_WHEN_COUNTING, RESPECT_SCOPES_WHEN_COUNTING };
enum class TAdsRecordCache { rcNone, rcStandard, rcAggressive };
enum class TAdsCachingOption { tcNone, tcReads, tcWrites };
enum class TAdsLocateBehavior { lbFastestPossible, lbFindFirst };
enum class TAdsRecordLockingMode { lmPessimistic, lmOptimistic };

// Options every dataset owns; the defaults are those a new dataset has.
struct TAdsTableOptions {
    TAdsLockType AdsLockType = TAdsLockType::Proprietary;
    TAdsCharType AdsCharType = TAdsCharType::ANSI;
    TAdsFilterOptions AdsFilterOptions = TAdsFilterOptions::IGNORE_WHEN_COUNTING;
    TAdsScopeOptions AdsScopeOptions = TAdsScopeOptions::IGNORE_SCOPES_WHEN_COUNTING;
    bool AdsRightsCheck = true;
    bool AdsFreshRecordCount = false;
    TAdsRecordCache AdsRecordCache = TAdsRecordCache::rcStandard;
    bool AdsPreserveSpaces = false;
    bool AdsNumericsAsFloats = false;
    QString AdsCollation;
    TAdsCachingOption AdsCachingOption = TAdsCachingOption::tcNone;
    TAdsLocateBehavior AdsLocateBehavior = TAdsLocateBehavior::lbFastestPossible;
    TAdsRecordLockingMode AdsRecordLockingMode = TAdsRecordLockingMode::lmPessimistic;
};

// The name of a character type as a collation ("ANSI", "OEM").
inline QString charTypeName(TAdsCharType type) {
    return type == TAdsCharType::OEM ? QStringLiteral("OEM") : QStringLiteral("ANSI");
}

// The engine's table type number (1 NTX, 2 CDX, 3 ADT, 4 VFP) for a source table type.
inline unsigned engineTableType(TAdsTableTypes type) {
    switch (type) {
        case TAdsTableTypes::ttAdsADT:
            return 3;
        case TAdsTableTypes::ttAdsCDX:
            return 2;
        case TAdsTableTypes::ttAdsVFP:
            return 4;
        default:
            return 1;
    }
}

#endif  // BREVANTIS_DATA_ADSOPTIONS_H
