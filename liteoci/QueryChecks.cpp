#include "QueryChecks.h"

#include "GroupCheck.h"
#include "QueryBlocks.h"
#include "ScalarSubquery.h"
#include "TypeCheck.h"

namespace liteoci {

OraError CheckQueryBlocks(sqlite3* db, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                          TranslateOptions& options) {
    const QueryShape shape = ShapeOf(text, toks, b, e);
    if (!shape.balanced) return {};
    auto declared = [db](const std::string& table, const std::string& column, const char*& decl) {
        decl = nullptr;
        return sqlite3_table_column_metadata(db, nullptr, table.c_str(), column.c_str(), &decl, nullptr, nullptr,
                                             nullptr, nullptr) == SQLITE_OK;
    };
    const ColumnLookup hasColumn = [&](const std::string& table, const std::string& column) {
        const char* decl;
        return declared(table, column, decl);
    };
    if (OraError err = CheckGrouping(text, toks, shape, hasColumn)) return err;
    // Only the type names Oracle's DDL writes tell a kind: a table made by CREATE TABLE AS SELECT may have
    // SQLite's names of affinities (or none) for expressions whose Oracle type is not known here.
    const ColumnKind kindOf = [&](const std::string& table, const std::string& column) {
        const char* decl;
        if (!declared(table, column, decl) || !decl) return ValueKind::Unknown;
        const std::string up = Upper(decl);
        auto starts = [&up](const char* w) { return up.rfind(w, 0) == 0; };
        if (starts("VARCHAR") || starts("NVARCHAR") || starts("CHAR") || starts("NCHAR")) return ValueKind::Text;
        if (starts("DATE")) return ValueKind::Date;
        if (starts("NUMBER") || starts("INTEGER") || starts("INT") || starts("SMALLINT") || starts("FLOAT") ||
            starts("DECIMAL") || starts("NUMERIC") || starts("NUM") || starts("REAL") || starts("DOUBLE") ||
            starts("BINARY_"))
            return ValueKind::Number;
        return ValueKind::Unknown;
    };
    if (OraError err = CheckTypes(text, toks, shape, kindOf, &options.appends)) return err;
    return WrapScalarSubqueries(text, toks, shape, b, e, options);
}

}  // namespace liteoci
