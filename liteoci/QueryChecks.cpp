#include "QueryChecks.h"

#include "Executor.h"
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
    const ColumnKind kindOf = [&](const std::string& table, const std::string& column) {
        const char* decl;
        if (!declared(table, column, decl) || !decl) return ValueKind::Unknown;
        const Column c = ColumnFromDeclaredType(decl);
        return c.sqlt == SQLT_NUM                     ? ValueKind::Number
               : c.sqlt == SQLT_DAT                   ? ValueKind::Date
               : c.sqlt == SQLT_CHR || c.sqlt == SQLT_AFC ? ValueKind::Text
                                                          : ValueKind::Unknown;
    };
    if (OraError err = CheckTypes(text, toks, shape, kindOf, &options.appends)) return err;
    WrapScalarSubqueries(text, toks, shape, b, e, options);
    return {};
}

}  // namespace liteoci
