// params.cpp: parameter lookup and value carry-over.
#include "db/params.h"

#include "db/db_error.h"

TParam& TParams::CreateParam(TFieldType type, const QString& name) {
    TParam p;
    p.Name = name;
    p.DataType = type;
    items_.push_back(p);
    return items_.back();
}

TParam* TParams::FindParam(const QString& name) {
    for (TParam& p : items_)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name) {
    TParam* p = FindParam(name);
    if (!p) db::databaseError(db::kParamNotFound.arg(name));
    return *p;
}

void TParams::AssignValues(const TParams& source) {
    for (TParam& p : items_) {
        for (const TParam& s : source.items_) {
            if (s.Name.compare(p.Name, Qt::CaseInsensitive) == 0) {
                p.DataType = s.DataType;
                p.Value = s.Value;
                break;
            }
        }
    }
}
