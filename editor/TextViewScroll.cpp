// Scrolling: the two scroll bars and their actions, the first visible line and column, scrolling a
// position into view, and the caret's place on screen.
#include "TextView.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>

#include "TextColumns.h"

namespace editor {

int32_t CTextView::VisibleLines() {
    if (visibleLines_ < 0)
        visibleLines_ = std::max(0, viewport()->height() / LineHeight());
    return visibleLines_;
}

int32_t CTextView::VisibleColumns() {
    if (visibleColumns_ < 0)
        visibleColumns_ = std::max(0, (viewport()->width() - MarginWidth()) / CharWidth());
    return visibleColumns_;
}

int32_t CTextView::LongestLineLength() {
    if (longestLine_ < 0) {
        int32_t longest = 0;
        const int32_t count = LineCount();
        for (int32_t y = 0; y < count; ++y)
            longest = std::max(longest, ExpandedLength(y));
        longestLine_ = longest;
    }
    return longestLine_;
}

void CTextView::RecalcVerticalBar() {
    if (batchDepth_ > 0)
        return; // EndBatch recomputes it
    const int32_t count = LineCount();
    const int32_t visible = VisibleLines();
    QScrollBar* bar = verticalScrollBar();
    settingBars_ = true;
    if (count <= visible) {
        bar->setRange(0, 0);
        bar->setEnabled(false);
        settingBars_ = false;
        if (firstLine_ != 0) {
            firstLine_ = 0;
            UpdateCaret();
            viewport()->update();
        }
        return;
    }
    bar->setEnabled(true);
    bar->setRange(0, count - 1);
    bar->setPageStep(std::max(1, visible));
    bar->setSingleStep(1);
    firstLine_ = std::clamp(firstLine_, 0, count - 1);
    bar->setValue(firstLine_);
    settingBars_ = false;
}

void CTextView::RecalcHorizontalBar() {
    if (holdHorizontalBar_ > 0 || batchDepth_ > 0)
        return;
    const int32_t longest = LongestLineLength();
    const int32_t visible = VisibleColumns();
    QScrollBar* bar = horizontalScrollBar();
    settingBars_ = true;
    if (longest <= visible) {
        bar->setRange(0, 0);
        bar->setEnabled(false);
        settingBars_ = false;
        if (firstColumn_ != 0) {
            firstColumn_ = 0;
            UpdateCaret();
            viewport()->update();
        }
        return;
    }
    bar->setEnabled(true);
    bar->setRange(0, longest - 1);
    bar->setPageStep(std::max(1, visible));
    bar->setSingleStep(1);
    firstColumn_ = std::clamp(firstColumn_, 0, longest - 1);
    bar->setValue(firstColumn_);
    settingBars_ = false;
}

void CTextView::HoldHorizontalBar() {
    ++holdHorizontalBar_;
}

void CTextView::ReleaseHorizontalBar() {
    if (holdHorizontalBar_ > 0 && --holdHorizontalBar_ == 0)
        RecalcHorizontalBar();
}

void CTextView::OnScrollBarAction(Qt::Orientation orientation, int action) {
    QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    const int32_t current = orientation == Qt::Vertical ? firstLine_ : firstColumn_;
    const int32_t count = orientation == Qt::Vertical ? LineCount() : LongestLineLength();
    const int32_t visible = orientation == Qt::Vertical ? VisibleLines() : VisibleColumns();
    const int32_t page = std::max(1, visible - 1);
    int32_t target;
    switch (action) {
    case QAbstractSlider::SliderPageStepAdd:
        target = current + page;
        break;
    case QAbstractSlider::SliderPageStepSub:
        target = current - page;
        break;
    case QAbstractSlider::SliderToMinimum:
        target = 0;
        break;
    case QAbstractSlider::SliderToMaximum:
        target = count - visible + 1;
        break;
    default:
        return; // line steps and the thumb already give the position wanted
    }
    bar->setSliderPosition(std::clamp(target, 0, std::max(0, count - 1)));
}

void CTextView::scrollContentsBy(int dx, int dy) {
    (void)dx;
    (void)dy;
    if (settingBars_)
        return;
    const int32_t line = verticalScrollBar()->value();
    const int32_t column = horizontalScrollBar()->value();
    if (line == firstLine_ && column == firstColumn_)
        return;
    firstLine_ = std::clamp(line, 0, LineCount() - 1);
    firstColumn_ = std::max(0, column);
    UpdateCaret();
    viewport()->update();
}

void CTextView::SetFirstLine(int32_t line) {
    const int32_t count = LineCount();
    line = count <= VisibleLines() ? 0 : std::clamp(line, 0, count - 1);
    if (line == firstLine_)
        return;
    firstLine_ = line;
    settingBars_ = true;
    verticalScrollBar()->setValue(line);
    settingBars_ = false;
    UpdateCaret();
    viewport()->update();
}

void CTextView::SetFirstColumn(int32_t column) {
    const int32_t longest = LongestLineLength();
    column = longest <= VisibleColumns() ? 0 : std::clamp(column, 0, std::max(0, longest - 1));
    if (column == firstColumn_)
        return;
    firstColumn_ = column;
    settingBars_ = true;
    horizontalScrollBar()->setValue(column);
    settingBars_ = false;
    UpdateCaret();
    viewport()->update();
}

void CTextView::ScrollToLine(int32_t line) {
    SetFirstLine(line);
}

void CTextView::ScrollToColumn(int32_t column) {
    SetFirstColumn(column);
}

void CTextView::EnsureVisible(TextPosition p) {
    if (batchDepth_ > 0)
        return; // EndBatch scrolls the caret into view
    p = ClampPosition(p);
    const int32_t visible = std::max(1, VisibleLines());
    int32_t first = firstLine_;
    if (p.y >= first + visible)
        first = p.y - visible + 1;
    else if (p.y < first)
        first = p.y;
    SetFirstLine(first);

    const int32_t column = ColumnOf(p);
    const int32_t visibleColumns = std::max(1, VisibleColumns());
    int32_t firstColumn = firstColumn_;
    if (column >= firstColumn + visibleColumns)
        firstColumn = column - visibleColumns + 1;
    else if (column < firstColumn)
        firstColumn = column;
    SetFirstColumn(firstColumn);
}

void CTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    visibleLines_ = -1;
    visibleColumns_ = -1;
    lineImage_ = QImage();
    RecalcVerticalBar();
    RecalcHorizontalBar();
    UpdateCaret();
}

// ---------------------------------------------------------------------------------------------------
// The caret

bool CTextView::CaretShown() const {
    return focus_ && inputEnabled_ && ColumnOf(caret_) >= firstColumn_;
}

QRect CTextView::CaretRect(TextPosition p) {
    const int32_t lh = LineHeight();
    const int64_t x = MarginWidth() + (static_cast<int64_t>(ColumnOf(p)) - firstColumn_) * CharWidth();
    const int64_t y = (static_cast<int64_t>(p.y) - firstLine_) * lh;
    if (x < -4 || x > viewport()->width() + 4 || y < -lh || y > viewport()->height())
        return QRect();
    return QRect(static_cast<int>(x), static_cast<int>(y), 2, lh);
}

void CTextView::UpdateCaret() {
    if (batchDepth_ > 0)
        return; // EndBatch places it
    const QRect now = CaretShown() ? CaretRect(caret_) : QRect();
    if (now != caretRect_) {
        if (!caretRect_.isNull())
            viewport()->update(caretRect_);
        if (!now.isNull())
            viewport()->update(now);
        caretRect_ = now;
    }
    RestartCaretBlink();
}

void CTextView::RestartCaretBlink() {
    caretBlinkOn_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (caretRect_.isNull() || flash <= 0) {
        caretBlinkTimer_.stop();
        return;
    }
    caretBlinkTimer_.start(flash / 2, this);
}

void CTextView::StopCaretBlink() {
    caretBlinkTimer_.stop();
    caretBlinkOn_ = true;
}

} // namespace editor
