// query_setup.cpp: declareQuery and the counting options.
#include "dictionary/query_setup.h"

#include "data/adstable.h"

namespace dictionary {

void respectWhenCounting(TAdsDataSet* dataSet) {
    dataSet->AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
    dataSet->AdsTableOptions().AdsScopeOptions = TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING;
}

TAdsQuery* declareQuery(QObject* owner, const char* name, TAdsConnection* connection,
                        const QStringList& sql) {
    auto* query = new TAdsQuery(owner);
    query->setObjectName(QLatin1String(name));
    query->StoreActive = false;
    query->SetAdsConnection(connection);
    query->Loading = true;
    query->SQL().Assign(sql);
    query->Loading = false;
    return query;
}

}  // namespace dictionary
