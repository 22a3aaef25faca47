// An editing view that colours its text as SQL: keywords, numbers, strings and comments, with block
// comments carried from line to line. The SQL text pane builds on it.
#pragma once

#include "EditorView.h"

namespace editor {

class CSqlEditorView : public CEditorView {
    Q_OBJECT

public:
    explicit CSqlEditorView(QWidget* parent = nullptr) : CEditorView(parent) {}

protected:
    ParseState ScanLine(ParseState state, int32_t line, ColourRuns* runs) override;
};

} // namespace editor
