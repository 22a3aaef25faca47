// Painting: every visible line is drawn into one reusable line image (margin, then text) and copied to
// the window; rows below the last line are drawn as line -1. The text itself is drawn by the line
// renderer (LineRenderer.h) on a fixed grid of columns, so that the caret, the mouse and the drawn
// characters always agree, whatever the font's own advances.
#include "TextView.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <limits>

#include "LineRenderer.h"
#include "ViewImages.h"

namespace editor {

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
    if (UpdateNumberWidth()) {
        // The numbers grew a digit (or the font changed): the text moves right once, for all lines.
        RecalcHorizontalBar();
        UpdateCaret();
        viewport()->update();
    }
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
    if (numberWidth_ > 0) {
        const QRect numbers(rect.right() + 1 - numberWidth_, rect.top(), numberWidth_, rect.height());
        painter.fillRect(numbers, ColourOf(CI_MARGIN));
        if (line >= 0) {
            painter.setPen(ColourOf(CI_NORMAL));
            painter.drawText(numbers.adjusted(0, 0, -CharWidth() / 2, 0), Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(line + 1));
        }
        if (rect.width() <= numberWidth_)
            return;
    }
    if (!selectionMargin_) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - numberWidth_, rect.height()), ColourOf(CI_BACKGROUND));
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
    TextRowStyle style;
    style.rawFont = &rawFont_;
    style.charWidth = charWidth_;
    style.ascent = ascent_;
    style.tabSize = tabSize_;
    style.colourOf = [this](int32_t index) { return ColourOf(index); };
    style.textColour = colours.text;
    style.background = colours.background;
    const bool showSelection = focus_ || showInactiveSelection_;
    if (showSelection && orderedStart_ < orderedEnd_ && orderedStart_.y <= line && line <= orderedEnd_.y) {
        style.selectFrom = line == orderedStart_.y ? orderedStart_.x : 0;
        style.selectTo = line == orderedEnd_.y ? orderedEnd_.x : std::numeric_limits<int32_t>::max();
    }
    // Characters are output up to the first column that no longer fits.
    const int64_t endColumn = firstColumn_ + (rect.width() / std::max(1, charWidth_)) + 1;
    DrawTextRow(painter, rect, text, runs, style, firstColumn_, endColumn);
}

} // namespace editor
