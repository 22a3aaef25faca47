// Oracle's group and analytic functions that SQLite lacks: MEDIAN, VARIANCE and STDDEV with their _POP
// and _SAMP forms (all also with OVER), LISTAGG (the
// translator calls LITEOCI_LISTAGG with its ORDER BY as a sort key, see WithinGroup.h), the division
// of RATIO_TO_REPORT (LITEOCI_RATIO), and the one-row function REMAINDER that goes with them in
// Oracle's reference.
#ifndef LITEOCI_GROUPFUNCTIONS_H
#define LITEOCI_GROUPFUNCTIONS_H

#include <sqlite3.h>

#include <cstddef>

namespace liteoci {

// The longest text LISTAGG may give (a VARCHAR2 in SQL).
inline constexpr size_t kListaggLimit = 4000;

int RegisterGroupFunctions(sqlite3* db);

}  // namespace liteoci

#endif
