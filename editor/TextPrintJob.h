// One print job of a text: the printer font, the page table and the page painting. The job prints
// plain text (no colours) word-wrapped to the page width, with a "Page n/m" footer.
//
// Invariants:
//  1. The page table is built once, at the first page (Layout); pageTable_[k] is where page k + 1
//     starts (a line and the first of its wrapped rows there), ascending. A page break never splits a
//     line that fits on a page: such a line moves to the next page whole. A line taller than a whole
//     page starts on a page of its own and goes on over as many pages as its rows need, so no text is
//     lost; the lines after it follow its last rows.
//  2. Each line is measured once for the page table and wrapped once more when its page is drawn;
//     nothing else is kept per page or per line, so memory does not grow with the page count beyond
//     the table.
//  3. End releases the font and the table; PageCount() and LineHeight() are 0 again.
//
// UI thread only (painting).
#pragma once

#include <QFont>
#include <QRawFont>
#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

#include "PageSetup.h"

class QPainter;

namespace editor {

class CTextBuffer;

// "Page %d/%d".
std::string PrintFooterText(int page, int pageCount);

class CTextPrintJob {
public:
    static constexpr int32_t kTabSize = 4;

    // Prints lines [firstLine, endLine) of `buffer` (no buffer: one empty line).
    CTextPrintJob(const CTextBuffer* buffer, int32_t firstLine, int32_t endLine);

    // The printer font: `screenFont` at half its physical size on screen (its pixel height scaled by
    // printer resolution / (2 x screen resolution)), selected into the painter. A font that cannot be
    // made leaves the painter's own.
    void Begin(QPainter& painter, const QFont& screenFont, int screenDpiY, int printerDpiY);
    // The text rectangle inside `page` (device units) less the margins and the footer band, and the
    // page table. Done once: later calls keep the first layout.
    void Layout(QPainter& painter, const QRect& page, const PageMargins& margins, int printerDpiX, int printerDpiY);
    bool HasLayout() const { return pageCount_ > 0; }
    // Printing goes on while `page` (from 1) is not beyond the page count.
    bool ContinuePrinting(int page) const { return page <= pageCount_; }
    void PrintPage(QPainter& painter, int page);
    void End();

    int PageCount() const { return pageCount_; }
    int32_t LineHeight() const { return lineHeight_; }
    int32_t CharWidth() const { return charWidth_; }
    const QRect& TextRect() const { return textRect_; }
    // Where a page starts: its first line and the first wrapped row of that line it shows (0 except
    // on the pages a line taller than a page goes on to).
    struct PageStart {
        int32_t line = 0;
        int32_t row = 0;
    };
    const std::vector<PageStart>& PageTable() const { return pageTable_; }
    const QFont& PrinterFont() const { return font_; }
    // Rows a line takes when wrapped to the text rectangle (an empty line: 1).
    int32_t LineRows(int32_t line) const;

private:
    std::string_view Line(int32_t line) const;

    const CTextBuffer* buffer_;
    int32_t firstLine_;
    int32_t endLine_;
    bool header_ = false;
    bool footer_ = true;
    QFont font_;
    QRawFont rawFont_;
    bool ownFont_ = false;
    std::vector<PageStart> pageTable_;
    int pageCount_ = 0;
    int32_t lineHeight_ = 0;
    int32_t charWidth_ = 1;
    int32_t ascent_ = 0;
    int32_t columns_ = 1;
    QRect textRect_;
};

} // namespace editor
