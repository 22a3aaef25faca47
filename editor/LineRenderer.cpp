#include "LineRenderer.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <string>

#include "ColourIndex.h"
#include "TextColumns.h"
#include "Utf8.h"

namespace editor {
namespace {

// The second cell of a wide character: nothing is drawn there.
constexpr char32_t kCovered = 0xFFFF;

// What a character is drawn as: a tab as spaces (handled by the caller), control characters as their
// visible pictures, so that a lone LF or a stray control byte stays visible and takes its column.
char32_t DisplayChar(char32_t c) {
    if (c < 0x20)
        return 0x2400 + c;
    if (c == 0x7F)
        return 0x2421;
    return c;
}

void DrawPiece(QPainter& painter, const TextRowStyle& style, int32_t x, int32_t baseline,
               const std::u32string& cells, const QColor& colour) {
    const int32_t cw = style.charWidth;
    painter.setPen(colour);
    // One QChar per cell; characters outside the first plane go to the fallback list.
    QString chars(static_cast<qsizetype>(cells.size()), QChar(' '));
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (cells[k] < 0x10000 && !(cells[k] >= 0xD800 && cells[k] < 0xE000))
            chars[static_cast<qsizetype>(k)] = QChar(static_cast<char16_t>(cells[k]));
    }
    QList<quint32> glyphs(chars.size());
    int glyphCount = static_cast<int>(glyphs.size());
    const bool mapped = style.rawFont != nullptr && style.rawFont->isValid() &&
                        style.rawFont->glyphIndexesForChars(chars.constData(), static_cast<int>(chars.size()),
                                                            glyphs.data(), &glyphCount) &&
                        glyphCount == chars.size();
    QList<quint32> runGlyphs;
    QList<QPointF> positions;
    runGlyphs.reserve(glyphs.size());
    positions.reserve(glyphs.size());
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const char32_t c = cells[k];
        if (c == U' ' || c == kCovered)
            continue;
        const QPointF at(x + static_cast<qreal>(k) * cw, baseline);
        if (mapped && glyphs[static_cast<qsizetype>(k)] != 0 && c < 0x10000) {
            runGlyphs.push_back(glyphs[static_cast<qsizetype>(k)]);
            positions.push_back(at);
        } else {
            painter.drawText(at, QString::fromUcs4(&c, 1));
        }
    }
    if (!runGlyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(*style.rawFont);
        run.setGlyphIndexes(runGlyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
}

} // namespace

int64_t DrawTextRow(QPainter& painter, const QRect& rect, std::string_view text, const ColourRuns& runs,
                    const TextRowStyle& style, int64_t firstColumn, int64_t endColumn, int32_t fromByte,
                    int64_t fromColumn) {
    const int32_t cw = std::max(1, style.charWidth);
    const int32_t tabSize = std::max(1, style.tabSize);
    const bool colours = style.colours && style.colourOf;
    auto colourOf = [&](int32_t index) { return colours ? style.colourOf(index) : style.plainText; };
    const QColor background = colours ? colourOf(style.background >= 0 ? style.background : CI_BACKGROUND) : QColor();
    const auto length = static_cast<int32_t>(text.size());
    auto selected = [&](int32_t i) { return colours && style.selectFrom <= i && i < style.selectTo; };

    std::u32string cells;
    int64_t pieceColumn = -1;
    int32_t pieceColour = -1;
    bool pieceSelected = false;
    auto columnX = [&](int64_t column) { return static_cast<int>(rect.left() + (column - firstColumn) * cw); };
    auto flush = [&] {
        if (cells.empty())
            return;
        const int x = columnX(pieceColumn);
        const int w = static_cast<int>(cells.size()) * cw;
        if (colours)
            painter.fillRect(QRect(x, rect.top(), w, rect.height()),
                             pieceSelected ? colourOf(CI_SEL_BACKGROUND) : background);
        const QColor colour = pieceSelected ? colourOf(CI_SEL_TEXT) : colourOf(pieceColour);
        DrawPiece(painter, style, x, rect.top() + style.ascent, cells, colour);
        cells.clear();
    };

    std::size_t nextRun = 0;
    int32_t colour = style.textColour >= 0 ? style.textColour : CI_NORMAL;
    int64_t column = fromColumn;
    int32_t i = std::clamp(fromByte, 0, length);
    while (i < length && column < endColumn) {
        while (nextRun < runs.size() && runs[nextRun].start <= i) {
            if (style.textColour < 0)
                colour = runs[nextRun].colour;
            ++nextRun;
        }
        int32_t size = 1;
        char32_t c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (c >= 0x80)
            c = utf8::DecodeAt(text, i, &size);
        int32_t width = 1;
        if (c == '\t')
            width = tabSize - static_cast<int32_t>(column % tabSize);
        else if (c >= 0x1100 && columns::IsWide(c))
            width = 2;
        if (column + width > firstColumn) {
            const bool isSelected = selected(i);
            if (cells.empty() || isSelected != pieceSelected || colour != pieceColour) {
                flush();
                pieceColumn = std::max<int64_t>(column, firstColumn);
                pieceColour = colour;
                pieceSelected = isSelected;
            }
            if (c == '\t') {
                const int64_t visible = column + width - std::max<int64_t>(column, firstColumn);
                cells.append(static_cast<std::size_t>(visible), U' ');
            } else if (width == 2 && column < firstColumn) {
                cells.push_back(U' '); // only its right half is in view
            } else {
                cells.push_back(DisplayChar(c));
                if (width == 2)
                    cells.push_back(kCovered);
            }
        }
        column += width;
        i += size;
    }
    flush();
    if (!colours)
        return column;
    int64_t x = columnX(std::max<int64_t>(column, firstColumn));
    if (i >= length && selected(length) && column >= firstColumn) {
        painter.fillRect(QRect(static_cast<int>(x), rect.top(), cw, rect.height()), colourOf(CI_SEL_BACKGROUND));
        x += cw;
    }
    if (x < rect.right() + 1)
        painter.fillRect(QRect(static_cast<int>(x), rect.top(), rect.right() + 1 - static_cast<int>(x), rect.height()),
                         colourOf(CI_WHITESPACE));
    return column;
}

} // namespace editor
