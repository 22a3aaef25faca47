// The data dictionary views of stored units: USER_SOURCE, USER_ERRORS and USER_TRIGGERS with their
// ALL_ and DBA_ forms, as temporary views of each session over the client's own tables; and the
// recording of a unit's compilation errors.
#ifndef LITEOCI_DICTIONARY_H
#define LITEOCI_DICTIONARY_H

#include <string>

#include "Errors.h"

namespace liteoci {

class Session;

OraError CreateDictionaryViews(Session& s);

// Replaces the recorded errors of (name, type) by those of `e`, an ORA-06550 text of one or more
// "line L, column C:" records (none when e is clear). Their lines and columns count in the whole
// CREATE text; the unit's own text starts at (startLine, startColumn), where the views count from.
void RecordErrors(Session& s, const std::string& name, const std::string& type, const OraError& e, int startLine = 1,
                  int startColumn = 1);
void ForgetErrors(Session& s, const std::string& name, const std::string& type);

}  // namespace liteoci

#endif
