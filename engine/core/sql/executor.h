// executor.h: runs the engine's SQL text against a Catalog and returns a static result.
//
// The dialect (comments, statements, types, functions) and the native error numbers are
// described in engine/doc/sql.md.
#ifndef BREVANTIS_ENGINE_CORE_SQL_EXECUTOR_H
#define BREVANTIS_ENGINE_CORE_SQL_EXECUTOR_H

#include <string>
#include <string_view>
#include <vector>

#include "engine/core/sql/catalog.h"
#include "engine/record/value.h"

namespace engine::sql {

struct ExecuteResult {
    bool hasCursor = false;     // the last statement produced rows (SELECT, EXECUTE PROCEDURE)
    ResultSet result;           // its columns and rows when hasCursor
    int64_t rowsAffected = -1;  // rows inserted by the last statement when it was an INSERT
};

// Runs every statement of `text` (Windows-1252; statements separated by ';', "//" and "--"
// comments to the end of the line, CR LF, LF and tabs as blanks) in order against
// `catalog`. `params` binds the :name parameters by their order of first appearance
// (parameter 1 is params[0]); a missing or Null one is NULL. The result is the last
// statement's. The first failing statement stops the run and its Status is returned
// (statements before it keep their effect). SQL errors answer AE_SQL_ERROR with a text
// made by sqlErrorText. Never throws.
Status execute(Catalog& catalog, std::string_view text, const std::vector<Value>& params,
               ExecuteResult* out);

// Names of the :name parameters of `text`, in order of first appearance (each once),
// without the colon. Text inside quotes and comments is skipped.
std::vector<std::string> parameterNames(std::string_view text);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_EXECUTOR_H
