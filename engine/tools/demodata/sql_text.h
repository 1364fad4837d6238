// sql_text.h: building the SQL texts of the demo data (literals, INSERT rows).
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_SQL_TEXT_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_SQL_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// A calendar date.
struct Date {
    int year;
    int month;
    int day;
};
// The date that is `days` days after 2000-01-01 (negative: before).
Date dateFromDays(int64_t days);

// One INSERT statement, built column by column in the order of its column list.
// Text values are UTF-8 and converted to Windows-1252 with quotes doubled.
class InsertRow {
  public:
    explicit InsertRow(const std::vector<std::string>& columns) : columns_(columns) {}
    InsertRow& text(const std::string& utf8);
    InsertRow& integer(int64_t v);
    InsertRow& real(double v, int decimals = 2);
    InsertRow& logical(bool v);
    InsertRow& date(Date d);
    InsertRow& timestamp(Date d, int hour, int minute, int second);
    InsertRow& null();
    // "INSERT INTO table (c1, c2) VALUES (v1, v2)". REQUIRES: one value per column.
    std::string sql(const std::string& table) const;

  private:
    const std::vector<std::string>& columns_;
    std::vector<std::string> values_;
};

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_SQL_TEXT_H
