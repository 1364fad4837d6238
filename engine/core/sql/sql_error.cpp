// sql_error.cpp: the text of SQL errors, which callers parse for the native number.
#include <string>

#include "engine/core/sql/catalog.h"
#include "engine/include/engine_api.h"

namespace engine::sql {

std::string sqlErrorText(int32_t native, std::string_view detail) {
    std::string t = "Error 7200: SQL statement failed. NativeError = ";
    t += std::to_string(native);
    t += "; ";
    t += detail;
    return t;
}

Status sqlError(int32_t native, std::string_view detail) {
    return Status::error(AE_SQL_ERROR, sqlErrorText(native, detail));
}

}  // namespace engine::sql
