#include "TextPrintJob.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdio>

#include "LineRenderer.h"
#include "TextBuffer.h"
#include "TextColumns.h"

namespace editor {

std::string PrintFooterText(int page, int pageCount) {
    char text[64];
    std::snprintf(text, sizeof text, "Page %d/%d", page, pageCount);
    return text;
}

CTextPrintJob::CTextPrintJob(const CTextBuffer* buffer, int32_t firstLine, int32_t endLine)
    : buffer_(buffer), firstLine_(std::max(0, firstLine)), endLine_(std::max(firstLine_ + 1, endLine)) {
    if (buffer_ != nullptr)
        endLine_ = std::min(endLine_, std::max(1, buffer_->LineCount()));
    firstLine_ = std::min(firstLine_, endLine_ - 1);
}

std::string_view CTextPrintJob::Line(int32_t line) const {
    return buffer_ == nullptr ? std::string_view() : buffer_->LineView(line);
}

void CTextPrintJob::Begin(QPainter& painter, const QFont& screenFont, int screenDpiY, int printerDpiY) {
    const int screenPixels = QFontInfo(screenFont).pixelSize();
    const int64_t scaled = screenDpiY > 0 ? static_cast<int64_t>(screenPixels) * printerDpiY / (2 * int64_t{screenDpiY}) : 0;
    ownFont_ = scaled > 0;
    if (ownFont_) {
        font_ = screenFont;
        font_.setPixelSize(static_cast<int>(std::min<int64_t>(scaled, 4000)));
        painter.setFont(font_);
    } else {
        font_ = painter.font();
    }
    rawFont_ = QRawFont::fromFont(font_);
}

void CTextPrintJob::Layout(QPainter& painter, const QRect& page, const PageMargins& margins, int printerDpiX,
                           int printerDpiY) {
    if (HasLayout())
        return;
    textRect_ = page.normalized();
    const QFontMetrics metrics(painter.font(), painter.device());
    lineHeight_ = std::max(1, metrics.height());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('X')));
    ascent_ = metrics.ascent();
    auto units = [](int32_t hundredthsMm, int dpi) {
        return static_cast<int>(static_cast<int64_t>(hundredthsMm) * dpi / 2540);
    };
    textRect_.setLeft(textRect_.left() + units(margins.left, printerDpiX));
    textRect_.setRight(textRect_.right() - units(margins.right, printerDpiX));
    textRect_.setTop(textRect_.top() + units(margins.top, printerDpiY));
    textRect_.setBottom(textRect_.bottom() - units(margins.bottom, printerDpiY));
    if (footer_)
        textRect_.setBottom(textRect_.bottom() - (lineHeight_ + lineHeight_ / 2));
    columns_ = std::max(1, textRect_.width() / charWidth_);

    pageTable_.clear();
    pageTable_.reserve(32);
    pageTable_.push_back(PageStart{firstLine_, 0});
    const int64_t top = textRect_.top();
    const int64_t bottom = textRect_.bottom() + 1;
    int64_t y = top;
    for (int32_t line = firstLine_; line < endLine_; ++line) {
        int64_t rows = LineRows(line);
        // A line that does not fit below the lines already on the page starts the next one.
        if (y > top && y + rows * lineHeight_ > bottom) {
            pageTable_.push_back(PageStart{line, 0});
            y = top;
        }
        // A line taller than a whole page fills pages with its rows until the rest fits.
        int64_t done = 0;
        while (y + rows * lineHeight_ > bottom) {
            const int64_t fit = std::max<int64_t>(1, (bottom - y) / lineHeight_);
            if (fit >= rows)
                break; // a single row higher than the page: it stays on this one
            done += fit;
            rows -= fit;
            pageTable_.push_back(PageStart{line, static_cast<int32_t>(done)});
            y = top;
        }
        y += rows * lineHeight_;
    }
    pageCount_ = static_cast<int>(pageTable_.size());
}

int32_t CTextPrintJob::LineRows(int32_t line) const {
    const std::string_view text = Line(line);
    return text.empty() ? 1 : columns::WrapRows(text, kTabSize, columns_, nullptr);
}

void CTextPrintJob::PrintPage(QPainter& painter, int page) {
    if (page < 1 || page > pageCount_)
        return;
    painter.setPen(Qt::black);
    if (footer_) {
        const QRect band(textRect_.left(), textRect_.bottom() + 1, textRect_.width(), lineHeight_ + lineHeight_ / 2);
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                         QString::fromStdString(PrintFooterText(page, pageCount_)));
    }
    TextRowStyle style;
    style.rawFont = &rawFont_;
    style.charWidth = charWidth_;
    style.ascent = ascent_;
    style.tabSize = kTabSize;
    style.colours = false;
    const ColourRuns noRuns;
    const PageStart start = pageTable_[static_cast<size_t>(page - 1)];
    const PageStart end = page < pageCount_ ? pageTable_[static_cast<size_t>(page)] : PageStart{endLine_, 0};
    std::vector<columns::WrappedRow> rows;
    int64_t y = textRect_.top();
    // The last line is on this page when rows of it are (it goes on over the next page).
    const int32_t lastLine = end.row > 0 ? end.line : end.line - 1;
    for (int32_t line = start.line; line <= lastLine; ++line) {
        const std::string_view text = Line(line);
        const int32_t fromRow = line == start.line ? start.row : 0;
        if (text.empty()) {
            y += lineHeight_;
            continue;
        }
        rows.clear();
        columns::WrapRows(text, kTabSize, columns_, &rows);
        const size_t toRow = line == end.line ? static_cast<size_t>(end.row) : rows.size();
        for (size_t r = static_cast<size_t>(fromRow); r < toRow && r < rows.size(); ++r) {
            const columns::WrappedRow& row = rows[r];
            DrawTextRow(painter, QRect(textRect_.left(), static_cast<int>(y), textRect_.width(), lineHeight_), text,
                        noRuns, style, row.startColumn, row.endColumn, row.startByte, row.startColumn);
            y += lineHeight_;
        }
    }
}

void CTextPrintJob::End() {
    font_ = QFont();
    rawFont_ = QRawFont();
    ownFont_ = false;
    pageTable_.clear();
    pageTable_.shrink_to_fit();
    pageCount_ = 0;
    lineHeight_ = 0;
}

} // namespace editor
