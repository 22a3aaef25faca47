// The view's own images, drawn in code: the execution mark shown in the margin beside the line of
// the statement being run, and the pointer shown over the margin, where a click selects whole lines.
#pragma once

#include <QCursor>
#include <QPixmap>

namespace editor {

// A 16 x 16 image with a transparent background.
QPixmap MakeExecMarkImage();
// An arrow that points up and to the right (the mirror of the usual pointer).
const QCursor& LineSelectionCursor();

} // namespace editor
