#pragma once

#include <sqlite3.h>

#include <string>

namespace kelvanor::testing {

// The first column of the query's first row, as text; "" when there is none.
inline std::string Query(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    std::string out =
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW
            ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
            : "";
    sqlite3_finalize(s);
    return out;
}

}  // namespace kelvanor::testing
