// params.h: the parameters of an SQL text, each with a name, a type and a value.
#ifndef BREVANTIS_DB_PARAMS_H
#define BREVANTIS_DB_PARAMS_H

#include <QString>
#include <QVariant>
#include <vector>

#include "db/field_type.h"

// One parameter; its value is in the native form of its type (see field.h), invalid when
// the parameter has no value.
struct TParam {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    QVariant Value;
    bool IsNull() const { return !Value.isValid(); }
    void Clear() { Value = QVariant(); }
};

class TParams {
  public:
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TParam& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
    const TParam& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    // Appends a parameter without value.
    TParam& CreateParam(TFieldType type, const QString& name);
    // The parameter named `name` (any letter case), or null.
    TParam* FindParam(const QString& name);
    // The parameter named `name`; throws EDatabaseError "Paramètre '%s' non trouvé".
    TParam& ParamByName(const QString& name);
    // Copies type and value from the parameters of `source` with the same names.
    void AssignValues(const TParams& source);

  private:
    std::vector<TParam> items_;
};

#endif  // BREVANTIS_DB_PARAMS_H
