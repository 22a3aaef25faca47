// Export Rows, the result grid's command 307 (its tool bar and its context menu): which rows (all or
// the selected ones), where and in which format, then the rest of the query's rows for "All rows", the
// question before an existing file is replaced, the writing itself with a progress dialog and Cancel
// when it takes long, and the outcome: how many rows were saved, or why nothing was.
//
// UI thread only. Every dialog of the command may outlive the window (it can be closed meanwhile):
// the command then ends without writing.
#pragma once

#include "ExportRows.h"

#include <optional>
#include <string>
#include <vector>

class CQuarvelView;

void ExportGridRows(CQuarvelView& grid);

// The command's writing step: the grid's query columns for the rows `rows` (list rows, in list order;
// every row when absent) to `path` in `format`, with the progress dialog of a long export. An existing
// file at `path` (or at the file a link there names) is replaced.
script::ExportOutcome WriteGridRows(CQuarvelView& grid, std::optional<std::vector<int>> rows,
                                    script::ExportFormat format, const std::string& path);
