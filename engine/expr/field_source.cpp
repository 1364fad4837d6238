// field_source.cpp: the in-memory FieldSource over a column list and a Row.
#include "engine/expr/field_source.h"

#include "engine/expr/expr_text.h"

namespace engine::expr {

int RowFieldSource::findColumn(std::string_view name) const {
    for (size_t i = 0; i < columns_->size(); ++i) {
        if (equalsNoCase((*columns_)[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

void RowFieldSource::readValue(int index, Value& out) const {
    if (index < 0 || static_cast<size_t>(index) >= row_.size()) {
        out = Value::null();
        return;
    }
    out = row_[index];
}

}  // namespace engine::expr
