// Names qualified by their schema: DEMO.OBSERVERS, demo.observers.name, DEMO.SEQ.NEXTVAL. A database
// file is one schema, so the owner's name in front of an object is dropped before SQLite (which would
// read it as the name of an attached database) sees it. The session's own user may always name
// itself; another user's name is taken only from a session with SYSDBA's privileges, as Oracle lets
// only such a session read any schema without grants. Any other owner is left in place, and the name
// is then not found (ORA-00942), as on a server without the grant.
#ifndef LITEOCI_SCHEMANAMES_H
#define LITEOCI_SCHEMANAMES_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

class Session;

// Adds to options the substitutions that drop the owners in tokens [b, e); substitutions already
// there are left alone.
void DropSchemaNames(Session& s, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                     TranslateOptions& options);

}  // namespace liteoci

#endif
