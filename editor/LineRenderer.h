// Draws one row of a line of text on a fixed grid of columns into any painter: the screen view and
// the printer use the same code, so what is printed is what the view shows. Everything the drawing
// depends on comes in as arguments; the renderer keeps no state.
//
// Columns are counted as the view counts them (TextColumns.h): tabs advance to the next multiple of
// the tab size from the line's start, wide characters take two columns, control characters show as
// their pictures. A row shows the columns [firstColumn, endColumn); a character that starts before
// firstColumn shows only its part inside (a tab as its remaining spaces, a wide character as a space).
#pragma once

#include <QColor>

#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>

#include "ColourRuns.h"

class QPainter;
class QRawFont;
class QRect;

namespace editor {

struct TextRowStyle {
    // The font the glyphs come from (drawn cell by cell); characters it lacks are drawn with the
    // painter's font and the toolkit's fallbacks. May be invalid: then every character is drawn so.
    const QRawFont* rawFont = nullptr;
    int32_t charWidth = 1;
    int32_t ascent = 0;
    int32_t tabSize = 4;

    // With colours: the colour runs, the line's own colours and the selection are drawn with
    // backgrounds filled, and the rest of the row right of the text in `whitespace`. Without: every
    // character in `plainText` and no background at all (paper stays as it is).
    bool colours = true;
    std::function<QColor(int32_t)> colourOf; // a colour index's colour; needed with colours only
    int32_t textColour = -1;                 // the line's own text colour index, or -1 for the runs'
    int32_t background = -1;                 // the line's background colour index (-1: CI_BACKGROUND)
    QColor plainText = Qt::black;

    // The selected bytes of this line: [selectFrom, selectTo); selectTo past the line's length also
    // marks the line end as selected. No selection when selectFrom >= selectTo.
    int32_t selectFrom = 0;
    int32_t selectTo = 0;
};

// Draws `text` (one line, without its line end) coloured by `runs` into `rect`, the row's top at
// rect.top(), its first column at rect.left(). The walk through the line starts at byte `fromByte`,
// which stands at column `fromColumn` (a character boundary at or before firstColumn; 0 and 0 for
// the line's start), so that the rows of a long wrapped line cost only their own bytes. Returns the
// column after the last character drawn.
int64_t DrawTextRow(QPainter& painter, const QRect& rect, std::string_view text, const ColourRuns& runs,
                    const TextRowStyle& style, int64_t firstColumn,
                    int64_t endColumn = std::numeric_limits<int64_t>::max(), int32_t fromByte = 0,
                    int64_t fromColumn = 0);

} // namespace editor
