// field_defs.cpp: column descriptions.
#include "db/field_defs.h"

TFieldDef& TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required) {
    TFieldDef def;
    def.Name = name;
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    def.FieldNo = Count() + 1;
    items_.push_back(def);
    return items_.back();
}

const TFieldDef* TFieldDefs::Find(const QString& name) const {
    for (const TFieldDef& d : items_)
        if (d.Name.compare(name, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}
