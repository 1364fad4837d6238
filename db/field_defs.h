// field_defs.h: the descriptions of a result's columns as the framework sees them.
#ifndef BREVANTIS_DB_FIELD_DEFS_H
#define BREVANTIS_DB_FIELD_DEFS_H

#include <QString>
#include <vector>

#include "db/field_type.h"

struct TFieldDef {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    int Size = 0;       // characters or bytes for strings and bytes; decimals for BCD
    int Precision = 0;  // digits of BCD and FMTBcd columns
    bool Required = false;
    int FieldNo = 0;  // column number, from 1
};

// The column descriptions in column order; names are looked up without regard to case.
class TFieldDefs {
  public:
    void Clear() { items_.clear(); }
    // Appends a description and gives it the next column number.
    TFieldDef& Add(const QString& name, TFieldType type, int size = 0, bool required = false);
    int Count() const { return static_cast<int>(items_.size()); }
    const TFieldDef& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    TFieldDef& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
    // The description named `name`, or null.
    const TFieldDef* Find(const QString& name) const;

  private:
    std::vector<TFieldDef> items_;
};

#endif  // BREVANTIS_DB_FIELD_DEFS_H
