// Identity columns: GENERATED ALWAYS | BY DEFAULT [ON NULL] AS IDENTITY [(START WITH n INCREMENT BY n
// ...)]. Each column gets a sequence of its own named ISEQ$$_n, as Oracle names them, and a DEFAULT
// that takes its next value, LITEOCI_NEXTVAL('ISEQ$$_n', 'ALWAYS' | 'BY DEFAULT' | 'BY DEFAULT ON
// NULL'), whose second argument tells the dictionary the column's kind. What the DEFAULT cannot do is
// done by triggers of SQLite's made with the table:
// - ALWAYS refuses a value given in INSERT (ORA-32795): a value that is not the one the sequence just
//   gave in this session was not generated, and any UPDATE of the column (ORA-32796);
// - ON NULL gives a NULL in INSERT the sequence's next value.
#ifndef LITEOCI_IDENTITY_H
#define LITEOCI_IDENTITY_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Translate.h"

namespace liteoci {

class Session;

struct IdentityColumn {
    std::string column;
    std::string kind;  // ALWAYS, BY DEFAULT, BY DEFAULT ON NULL
    std::string sequence;
    long long start = 1, increment = 1;
};

struct IdentityPlan {
    std::string table;
    std::vector<IdentityColumn> columns;
};

// For CREATE TABLE in toks: the substitutions that put each identity clause's DEFAULT in its place,
// and the plan for CreateIdentities (null when the table has no identity column).
OraError PlanIdentities(Session& s, std::string_view text, const std::vector<Token>& toks, TranslateOptions& options,
                        std::shared_ptr<const IdentityPlan>& out);

// After the CREATE TABLE has run: the sequences and the triggers.
OraError CreateIdentities(Session& s, const IdentityPlan& plan);

}  // namespace liteoci

#endif
