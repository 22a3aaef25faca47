// Prepare, describe, execute and fetch: the statement side of the C interface.
#ifndef LITEOCI_EXECUTOR_H
#define LITEOCI_EXECUTOR_H

#include "Handles.h"

namespace liteoci {

void PrepareStatement(StmtHandle* st, const char* text, size_t len);
sword ExecuteStatement(SvcCtxHandle* svc, StmtHandle* st, ErrorHandle* err, ub4 iters, ub4 mode);
sword FetchStatement(StmtHandle* st, ErrorHandle* err, ub4 nrows, ub2 orientation);

// The OCI type code, size and text shaping of a declared column type ("VARCHAR2(20)", "DATE", ...).
Column ColumnFromDeclaredType(const char* decl);

}  // namespace liteoci

#endif
