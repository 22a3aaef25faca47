#include "SqlEditorView.h"

#include "SqlScanner.h"

namespace editor {

ParseState CSqlEditorView::ScanLine(ParseState state, int32_t line, ColourRuns* runs) {
    return editor::ScanLine(state, LineView(line), runs);
}

} // namespace editor
