// Painting: every visible line is drawn into one reusable line image (margin, then text) and copied to
// the window; rows below the last line are drawn as line -1. Text is drawn on a fixed grid of columns
// so that the caret, the mouse and the drawn characters always agree, whatever the font's own
// advances: glyphs of the view's font are placed cell by cell in one glyph run, and characters the
// font lacks are drawn one by one with the toolkit's fallback fonts.
#include "TextView.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "TextColumns.h"
#include "Utf8.h"
#include "ViewImages.h"

namespace editor {
namespace {

// What a character is drawn as: a tab as spaces (handled by the caller), control characters as their
// visible pictures, so that a lone LF or a stray control byte stays visible and takes its column.
// The second cell of a wide character: nothing is drawn there.
constexpr char32_t kCovered = 0xFFFF;

char32_t DisplayChar(char32_t c) {
    if (c < 0x20)
        return 0x2400 + c;
    if (c == 0x7F)
        return 0x2421;
    return c;
}

} // namespace

const QPixmap& CTextView::ExecMarkImage() {
    if (execMark_.isNull())
        execMark_ = MakeExecMarkImage();
    return execMark_;
}

CTextView::LineColourSet CTextView::LineColours(int32_t line) {
    (void)line;
    return LineColourSet{};
}

void CTextView::paintEvent(QPaintEvent* event) {
    EnsureMetrics();
    QPainter painter(viewport());
    const int32_t lh = lineHeight_;
    const int width = std::max(1, viewport()->width());
    const qreal ratio = viewport()->devicePixelRatioF();
    if (lineImage_.isNull() || lineImage_.width() != static_cast<int>(width * ratio) ||
        lineImage_.height() != static_cast<int>(lh * ratio)) {
        lineImage_ = QImage(static_cast<int>(width * ratio), static_cast<int>(lh * ratio), QImage::Format_RGB32);
        lineImage_.setDevicePixelRatio(ratio);
    }
    const QRect clip = event->rect();
    const int firstRow = std::max(0, clip.top() / lh);
    const int lastRow = std::max(firstRow, clip.bottom() / lh);
    const int32_t count = LineCount();
    const int margin = MarginWidth();
    for (int row = firstRow; row <= lastRow; ++row) {
        const int64_t y = static_cast<int64_t>(firstLine_) + row;
        const int32_t line = y < count ? static_cast<int32_t>(y) : -1;
        {
            QPainter linePainter(&lineImage_);
            linePainter.setFont(plainFont_);
            DrawMargin(linePainter, QRect(0, 0, margin, lh), line);
            DrawLine(linePainter, QRect(margin, 0, width - margin, lh), line);
        }
        painter.drawImage(0, row * lh, lineImage_);
    }
    // The caret and the drop indicator invert what is under them, so they show on any colour.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (CaretShown() && caretBlinkOn_ && !caretRect_.isNull())
        painter.fillRect(caretRect_, Qt::white);
    if (dropIndicator_) {
        const QRect r = CaretRect(dropPosition_);
        if (!r.isNull())
            painter.fillRect(r, Qt::white);
    }
}

void CTextView::DrawMargin(QPainter& painter, const QRect& rect, int32_t line) {
    if (!selectionMargin_) {
        painter.fillRect(rect, ColourOf(CI_BACKGROUND));
        return;
    }
    const QColor margin = ColourOf(CI_MARGIN);
    const QColor background = ColourOf(CI_BACKGROUND);
    const int left = rect.left();
    painter.fillRect(QRect(left, rect.top(), 26, rect.height()), margin);
    painter.fillRect(QRect(left + 26, rect.top(), 2, rect.height()), background);
    painter.fillRect(QRect(left + 28, rect.top(), 2, rect.height()), margin);
    painter.fillRect(QRect(left + 30, rect.top(), 2, rect.height()), background);
    if (line >= 0 && (LineFlags(line) & LF_EXEC_MARK) != 0) {
        const QPixmap& mark = ExecMarkImage();
        painter.drawPixmap(left + 2, rect.top() + (rect.height() - mark.height()) / 2, mark);
    }
}

void CTextView::DrawLine(QPainter& painter, const QRect& rect, int32_t line) {
    if (line < 0) {
        painter.fillRect(rect, ColourOf(CI_WHITESPACE));
        return;
    }
    ColourRuns runs;
    LineRuns(line, runs);
    DrawText(painter, rect, line, LineView(line), runs, LineColours(line));
}

void CTextView::DrawText(QPainter& painter, const QRect& rect, int32_t line, std::string_view text,
                         const ColourRuns& runs, const LineColourSet& colours) {
    const int32_t cw = charWidth_;
    const bool showSelection = focus_ || showInactiveSelection_;
    const int32_t firstColumn = firstColumn_;
    // Characters are output up to the first column that no longer fits.
    const int64_t endColumn = firstColumn + (rect.width() / cw) + 1;
    const QColor background = ColourOf(colours.background >= 0 ? colours.background : CI_BACKGROUND);
    const auto length = static_cast<int32_t>(text.size());

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
        painter.fillRect(QRect(x, rect.top(), w, rect.height()), pieceSelected ? ColourOf(CI_SEL_BACKGROUND) : background);
        const QColor colour = pieceSelected ? ColourOf(CI_SEL_TEXT) : ColourOf(pieceColour);
        DrawPiece(painter, x, rect.top() + ascent_, cells, colour);
        cells.clear();
    };

    std::size_t nextRun = 0;
    int32_t colour = colours.text >= 0 ? colours.text : CI_NORMAL;
    int64_t column = 0;
    int32_t i = 0;
    while (i < length && column < endColumn) {
        while (nextRun < runs.size() && runs[nextRun].start <= i) {
            if (colours.text < 0)
                colour = runs[nextRun].colour;
            ++nextRun;
        }
        int32_t size = 1;
        char32_t c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (c >= 0x80)
            c = utf8::DecodeAt(text, i, &size);
        int32_t width = 1;
        if (c == '\t')
            width = tabSize_ - static_cast<int32_t>(column % tabSize_);
        else if (c >= 0x1100 && columns::IsWide(c))
            width = 2;
        if (column + width > firstColumn) {
            const bool selected = showSelection && IsInSelection(TextPosition{i, line});
            if (cells.empty() || selected != pieceSelected || colour != pieceColour) {
                flush();
                pieceColumn = std::max<int64_t>(column, firstColumn);
                pieceColour = colour;
                pieceSelected = selected;
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
    int64_t x = columnX(std::max<int64_t>(column, firstColumn));
    if (i >= length && showSelection && IsInSelection(TextPosition{length, line}) && column >= firstColumn) {
        painter.fillRect(QRect(static_cast<int>(x), rect.top(), cw, rect.height()), ColourOf(CI_SEL_BACKGROUND));
        x += cw;
    }
    if (x < rect.right() + 1)
        painter.fillRect(QRect(static_cast<int>(x), rect.top(), rect.right() + 1 - static_cast<int>(x), rect.height()),
                         ColourOf(CI_WHITESPACE));
}

void CTextView::DrawPiece(QPainter& painter, int32_t x, int32_t baseline, const std::u32string& cells,
                          const QColor& colour) {
    const int32_t cw = charWidth_;
    painter.setPen(colour);
    // One QChar per cell; characters outside the first plane go to the fallback list.
    QString chars(static_cast<qsizetype>(cells.size()), QChar(' '));
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (cells[k] < 0x10000 && !(cells[k] >= 0xD800 && cells[k] < 0xE000))
            chars[static_cast<qsizetype>(k)] = QChar(static_cast<char16_t>(cells[k]));
    }
    QList<quint32> glyphs(chars.size());
    int glyphCount = static_cast<int>(glyphs.size());
    const bool mapped = rawFont_.isValid() &&
                        rawFont_.glyphIndexesForChars(chars.constData(), static_cast<int>(chars.size()), glyphs.data(), &glyphCount) &&
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
        run.setRawFont(rawFont_);
        run.setGlyphIndexes(runGlyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
}

} // namespace editor
