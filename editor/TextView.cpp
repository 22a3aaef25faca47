// The view state: binding to the buffer, positions and selection, the per-line caches, the reaction
// to buffer changes, input state, the execution mark, fonts and the status items.
#include "TextView.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>

#include "TextColumns.h"
#include "Utf8.h"

namespace editor {

CTextView::CTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    // A bar that is not needed stays visible, disabled.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Qt::Horizontal, action); });
    ResetState();
    RecalcVerticalBar();
    RecalcHorizontalBar();
}

CTextView::~CTextView() {
    if (buffer_ != nullptr)
        buffer_->DetachView(this);
}

// ---------------------------------------------------------------------------------------------------
// Buffer binding

void CTextView::OnInitialUpdate() {
    AttachBuffer(LocateBuffer());
}

CTextBuffer* CTextView::LocateBuffer() {
    return buffer_;
}

void CTextView::AttachBuffer(CTextBuffer* buffer) {
    if (buffer_ != buffer) {
        if (buffer_ != nullptr)
            buffer_->DetachView(this);
        buffer_ = buffer;
        if (buffer_ != nullptr)
            buffer_->AttachView(this);
    }
    ResetView();
    RecalcVerticalBar();
    RecalcHorizontalBar();
    viewport()->update();
    emit StatusChanged();
}

void CTextView::ResetView() {
    ResetState();
}

void CTextView::ResetState() {
    EndMouseDrag();
    preparingDrag_ = false;
    caret_ = anchor_ = selStart_ = selEnd_ = orderedStart_ = orderedEnd_ = TextPosition{};
    firstLine_ = 0;
    firstColumn_ = 0;
    tabSize_ = kTabSize;
    idealColumn_ = -1;
    visibleLines_ = -1;
    visibleColumns_ = -1;
    longestLine_ = -1;
    fontValid_ = false;
    lineHeight_ = -1;
    charWidth_ = -1;
    lineImage_ = QImage();
    dropIndicator_ = false;
    states_.assign(1, 0);
    expandedLengths_.assign(static_cast<std::size_t>(LineCount()), -1);
    caretRect_ = QRect();
}

// ---------------------------------------------------------------------------------------------------
// Text access

int32_t CTextView::LineLength(int32_t line) const {
    return static_cast<int32_t>(LineView(line).size());
}

const char* CTextView::LineText(int32_t line) const {
    return LineView(line).data();
}

uint32_t CTextView::LineFlags(int32_t line) const {
    return buffer_ == nullptr ? 0 : buffer_->LineFlags(line);
}

int32_t CTextView::ExpandedLength(int32_t line) {
    if (line < 0 || line >= LineCount())
        return 0;
    if (expandedLengths_.size() != static_cast<std::size_t>(LineCount()))
        expandedLengths_.assign(static_cast<std::size_t>(LineCount()), -1);
    int32_t& cached = expandedLengths_[static_cast<std::size_t>(line)];
    if (cached < 0)
        cached = columns::ExpandedLength(LineView(line), tabSize_);
    return cached;
}

bool CTextView::TextOfRange(TextPosition start, TextPosition end, std::string& text) const {
    text.clear();
    if (buffer_ == nullptr)
        return false;
    return buffer_->ReadText(start.y, start.x, end.y, end.x, text);
}

int32_t CTextView::ColumnOf(TextPosition p) const {
    return columns::ColumnOfByte(LineView(p.y), p.x, tabSize_);
}

// ---------------------------------------------------------------------------------------------------
// Positions and selection

TextPosition CTextView::ClampPosition(TextPosition p) const {
    p.y = std::clamp(p.y, 0, LineCount() - 1);
    const std::string_view line = LineView(p.y);
    p.x = std::clamp(p.x, 0, static_cast<int32_t>(line.size()));
    // Only a continuation byte can be inside a character; most positions need no more than this look.
    if (p.x < static_cast<int32_t>(line.size()) && (static_cast<unsigned char>(line[static_cast<size_t>(p.x)]) & 0xC0) == 0x80)
        p.x = utf8::CharStart(line, p.x);
    return p;
}

TextPosition CTextView::EndOfText() const {
    const int32_t last = LineCount() - 1;
    return TextPosition{LineLength(last), last};
}

void CTextView::SelectionRange(TextPosition& start, TextPosition& end) const {
    start = orderedStart_;
    end = orderedEnd_;
}

bool CTextView::IsInSelection(TextPosition p) const {
    return orderedStart_ <= p && p < orderedEnd_;
}

void CTextView::SetSelectionBounds(TextPosition start, TextPosition end) {
    const TextPosition newStart = std::min(start, end);
    const TextPosition newEnd = std::max(start, end);
    selStart_ = start;
    selEnd_ = end;
    if (newStart != orderedStart_ || newEnd != orderedEnd_) {
        const int32_t from = std::min(newStart.y, orderedStart_.y);
        const int32_t to = std::max(newEnd.y, orderedEnd_.y);
        orderedStart_ = newStart;
        orderedEnd_ = newEnd;
        RepaintLines(from, to);
    }
}

void CTextView::SetSelection(TextPosition anchor, TextPosition caret) {
    anchor_ = ClampPosition(anchor);
    caret_ = ClampPosition(caret);
    idealColumn_ = -1;
    SetSelectionBounds(anchor_, caret_);
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
}

void CTextView::SelectNothingAt(TextPosition p) {
    SetSelection(p, p);
}

void CTextView::MoveCaret(TextPosition p, bool extend) {
    caret_ = ClampPosition(p);
    if (!extend)
        anchor_ = caret_;
    SetSelectionBounds(anchor_, caret_);
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
}

bool CTextView::CheckInvariants() const {
    auto valid = [this](TextPosition p) {
        if (p.y < 0 || p.y >= LineCount())
            return false;
        const std::string_view line = LineView(p.y);
        return p.x >= 0 && p.x <= static_cast<int32_t>(line.size()) && utf8::IsCharBoundary(line, p.x);
    };
    if (!valid(caret_) || !valid(anchor_) || !valid(selStart_) || !valid(selEnd_))
        return false;
    if (orderedStart_ != std::min(selStart_, selEnd_) || orderedEnd_ != std::max(selStart_, selEnd_))
        return false;
    if (firstLine_ < 0 || firstLine_ >= LineCount() || firstColumn_ < 0)
        return false;
    if (states_.empty() || states_.front() != 0 || states_.size() > static_cast<std::size_t>(LineCount()) + 1)
        return false;
    return expandedLengths_.size() == static_cast<std::size_t>(LineCount());
}

// ---------------------------------------------------------------------------------------------------
// Colouring caches

ParseState CTextView::ScanLine(ParseState state, int32_t line, ColourRuns* runs) {
    (void)state;
    (void)line;
    if (runs != nullptr)
        runs->clear();
    return 0;
}

ParseState CTextView::LineStartState(int32_t line) {
    line = std::clamp(line, 0, LineCount());
    if (states_.empty())
        states_.push_back(0);
    if (states_.size() <= static_cast<std::size_t>(line)) {
        states_.reserve(static_cast<std::size_t>(line) + 1);
        ParseState state = states_.back();
        for (auto from = static_cast<int32_t>(states_.size()) - 1; from < line; ++from) {
            state = ScanLine(state, from, nullptr);
            states_.push_back(state);
        }
    }
    return states_[static_cast<std::size_t>(line)];
}

void CTextView::LineRuns(int32_t line, ColourRuns& runs) {
    runs.clear();
    if (line < 0 || line >= LineCount())
        return;
    const ParseState start = LineStartState(line);
    const ParseState end = ScanLine(start, line, &runs);
    if (states_.size() == static_cast<std::size_t>(line) + 1)
        states_.push_back(end);
}

void CTextView::ForgetParseStates() {
    states_.assign(1, 0);
}

// ---------------------------------------------------------------------------------------------------
// Buffer changes

void CTextView::OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                               int32_t line) {
    (void)source;
    if ((flags & UPD_RESET) != 0) {
        ResetView();
        RecalcVerticalBar();
        RecalcHorizontalBar();
        viewport()->update();
        emit StatusChanged();
        return;
    }
    const int32_t count = LineCount();
    const bool flagsOnly = (flags & UPD_FLAGS_ONLY) != 0;
    if (!flagsOnly) {
        // The state at a line's start depends only on the lines above it: keep the changed line's.
        const std::size_t keep = line < 0 ? 1 : static_cast<std::size_t>(line) + 1;
        if (states_.size() > keep)
            states_.resize(keep);

        // Expanded lengths: only the changed lines are unknown; the lines below keep theirs, shifted
        // by the number of lines inserted or removed.
        std::vector<int32_t> gone; // lengths of lines whose text went or changed
        auto& lengths = expandedLengths_;
        const auto from = static_cast<std::size_t>(std::max(line, 0));
        if (line < 0 || (flags & UPD_ONE_LINE) == 0) {
            const int64_t delta = static_cast<int64_t>(count) - static_cast<int64_t>(lengths.size());
            if (line < 0 || from >= lengths.size() || from >= static_cast<std::size_t>(count)) {
                lengths.assign(static_cast<std::size_t>(count), -1);
                longestLine_ = -1;
            } else if (delta > 0) {
                gone.push_back(lengths[from]);
                lengths[from] = -1;
                lengths.insert(lengths.begin() + static_cast<std::ptrdiff_t>(from) + 1, static_cast<std::size_t>(delta), -1);
            } else {
                const auto removed = static_cast<std::size_t>(-delta);
                const std::size_t end = std::min(lengths.size(), from + 1 + removed);
                gone.insert(gone.end(), lengths.begin() + static_cast<std::ptrdiff_t>(from), lengths.begin() + static_cast<std::ptrdiff_t>(end));
                lengths[from] = -1;
                lengths.erase(lengths.begin() + static_cast<std::ptrdiff_t>(from) + 1, lengths.begin() + static_cast<std::ptrdiff_t>(end));
            }
        } else if (from < lengths.size()) {
            gone.push_back(lengths[from]);
            lengths[from] = -1;
        }
        if (lengths.size() != static_cast<std::size_t>(count)) {
            lengths.assign(static_cast<std::size_t>(count), -1);
            longestLine_ = -1;
        }
        // The longest line changes only through the lines that changed.
        if (longestLine_ >= 0) {
            // The changed lines are the unknown run that starts at `from`.
            bool lostLongest = false;
            for (int32_t old : gone)
                lostLongest = lostLongest || old < 0 || old >= longestLine_;
            int32_t newMax = 0;
            for (std::size_t y = from; y < lengths.size() && lengths[y] < 0; ++y)
                newMax = std::max(newMax, ExpandedLength(static_cast<int32_t>(y)));
            if (newMax >= longestLine_)
                longestLine_ = newMax;
            else if (lostLongest)
                longestLine_ = -1;
        }
    }
    RepaintLines(std::max(line, 0), flagsOnly ? std::max(line, 0) : -1);

    if (context != nullptr)
        AdjustForChange(*context, line);
    else if (!flagsOnly)
        AdjustForChange(CTextBuffer::CInsertContext(TextPosition{}, TextPosition{}), -2); // clamps only

    if ((flags & UPD_HEIGHT) != 0)
        RecalcVerticalBar();
    if ((flags & UPD_WIDTH) != 0)
        RecalcHorizontalBar();
}

void CTextView::AdjustForChange(const CChangeContext& context, int32_t line) {
    // A point that the change did not move, on a line whose bytes it did not touch, is still valid; the
    // others are clamped into the text and onto a character.
    auto adjust = [&](TextPosition& p) {
        const TextPosition before = p;
        context.AdjustPoint(p);
        if (line < 0 || p != before || p.y == line)
            p = ClampPosition(p);
    };
    adjust(caret_);
    adjust(selStart_);
    adjust(selEnd_);
    adjust(anchor_);
    if (dragging_) {
        adjust(draggedStart_);
        adjust(draggedEnd_);
    }
    if (dropIndicator_)
        adjust(dropPosition_);
    adjust(wordAnchorStart_);
    adjust(wordAnchorEnd_);
    TextPosition top{0, firstLine_};
    context.AdjustPoint(top);
    firstLine_ = std::clamp(top.y, 0, LineCount() - 1);
    orderedStart_ = std::min(selStart_, selEnd_);
    orderedEnd_ = std::max(selStart_, selEnd_);
    UpdateCaret();
    emit StatusChanged();
}

void CTextView::RepaintLines(int32_t first, int32_t last) {
    if (batchDepth_ > 0)
        return; // EndBatch repaints everything
    const int32_t lh = LineHeight();
    if (last >= 0 && last < firstLine_)
        return;
    const int32_t top = std::max(0, first - firstLine_) * lh;
    if (top > viewport()->height())
        return;
    int32_t bottom = viewport()->height();
    if (last >= 0)
        bottom = std::min<int64_t>(bottom, (static_cast<int64_t>(last) - firstLine_ + 1) * lh);
    viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

// ---------------------------------------------------------------------------------------------------
// Input state and the execution mark

void CTextView::DisableInput() {
    inputEnabled_ = false;
    EndMouseDrag();
    preparingDrag_ = false;
    UpdateCaret();
    // Selected text changes colour while the pane is busy.
    viewport()->update();
    emit StatusChanged();
}

void CTextView::EnableInput() {
    inputEnabled_ = true;
    UpdateCaret();
    viewport()->update();
    emit StatusChanged();
}

void CTextView::MarkExecLine() {
    MarkExecLineAt(0);
}

void CTextView::MarkExecLineAt(int32_t offset) {
    if (buffer_ == nullptr)
        return;
    // A script marks one line per statement: clearing the mark where this view set it keeps a long
    // script's run linear. Only a mark that is not there any more (an edit moved it) is searched for.
    if (execMarkLine_ >= 0 && execMarkLine_ < buffer_->LineCount() &&
        (buffer_->LineFlags(execMarkLine_) & LF_EXEC_MARK) != 0) {
        buffer_->ChangeLineFlag(execMarkLine_, LF_EXEC_MARK, false, false);
    } else {
        for (int32_t y = buffer_->FindFlaggedLine(LF_EXEC_MARK); y >= 0; y = buffer_->FindFlaggedLine(LF_EXEC_MARK))
            buffer_->ChangeLineFlag(y, LF_EXEC_MARK, false, false);
    }
    execMarkLine_ = -1;
    const int64_t line = static_cast<int64_t>(orderedStart_.y) + offset;
    if (line < 0 || line >= buffer_->LineCount())
        return;
    buffer_->ChangeLineFlag(static_cast<int32_t>(line), LF_EXEC_MARK, true, false);
    execMarkLine_ = static_cast<int32_t>(line);
    EnsureVisible(TextPosition{offset == 0 ? orderedStart_.x : 0, static_cast<int32_t>(line)});
}

// ---------------------------------------------------------------------------------------------------
// Fonts and look

void CTextView::SetFont(const FontDescription& font) {
    unzoomedFont_ = font;
    zoomSteps_ = 0;
    ApplyFont(font);
}

void CTextView::Zoom(int32_t steps) {
    // The unzoomed cell height is taken once, while the unzoomed font is the one in use.
    if (zoomSteps_ == 0)
        zoomBase_ = unzoomedFont_.height != 0 ? std::abs(unzoomedFont_.height) : QFontInfo(PlainFont()).pixelSize();
    const int32_t wanted = std::clamp(zoomBase_ + zoomSteps_ + steps, 6, 72);
    if (wanted == zoomBase_ + zoomSteps_)
        return;
    zoomSteps_ = wanted - zoomBase_;
    FontDescription zoomed = unzoomedFont_;
    zoomed.height = wanted;
    ApplyFont(zoomSteps_ == 0 ? unzoomedFont_ : zoomed);
}

void CTextView::ResetZoom() {
    zoomSteps_ = 0;
    ApplyFont(unzoomedFont_);
}

void CTextView::ApplyFont(const FontDescription& font) {
    fontDescription_ = font;
    fontValid_ = false;
    lineHeight_ = -1;
    charWidth_ = -1;
    visibleLines_ = -1;
    visibleColumns_ = -1;
    lineImage_ = QImage();
    UpdateNumberWidth(); // the numbers' column follows the character width
    RecalcVerticalBar();
    RecalcHorizontalBar();
    UpdateCaret();
    viewport()->update();
}

void CTextView::EnsureMetrics() {
    if (fontValid_)
        return;
    QFont font(QString::fromStdString(fontDescription_.faceName));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    if (fontDescription_.height != 0)
        font.setPixelSize(std::clamp(std::abs(fontDescription_.height), 1, 400));
    else
        font.setPointSizeF(QWidget::font().pointSizeF() > 0 ? QWidget::font().pointSizeF() : 10.0);
    font.setWeight(fontDescription_.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    if (!QFontInfo(font).fixedPitch()) {
        // The face is missing or proportional: the desktop's fixed-pitch font of the same size.
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (font.pixelSize() > 0)
            fixed.setPixelSize(font.pixelSize());
        else
            fixed.setPointSizeF(font.pointSizeF());
        fixed.setWeight(font.weight());
        fixed.setKerning(false);
        font = fixed;
    }
    plainFont_ = font;
    rawFont_ = QRawFont::fromFont(plainFont_);
    const QFontMetrics metrics(plainFont_);
    lineHeight_ = std::max(1, metrics.height());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('X')));
    ascent_ = metrics.ascent();
    fontValid_ = true;
}

const QFont& CTextView::PlainFont() {
    EnsureMetrics();
    return plainFont_;
}

int32_t CTextView::LineHeight() {
    EnsureMetrics();
    return lineHeight_;
}

int32_t CTextView::CharWidth() {
    EnsureMetrics();
    return charWidth_;
}

void CTextView::SetSelectionMargin(bool on) {
    if (selectionMargin_ == on)
        return;
    selectionMargin_ = on;
    visibleColumns_ = -1;
    RecalcHorizontalBar();
    UpdateCaret();
    viewport()->update();
}

void CTextView::SetLineNumbers(bool on) {
    if (lineNumbers_ == on)
        return;
    lineNumbers_ = on;
    UpdateNumberWidth();
    visibleColumns_ = -1;
    RecalcHorizontalBar();
    UpdateCaret();
    viewport()->update();
}

bool CTextView::UpdateNumberWidth() {
    int32_t width = 0;
    if (lineNumbers_) {
        int32_t digits = 1;
        for (int32_t n = LineCount(); n >= 10; n /= 10)
            ++digits;
        width = (std::max(digits, 2) + 1) * CharWidth();
    }
    if (width == numberWidth_)
        return false;
    numberWidth_ = width;
    visibleColumns_ = -1;
    return true;
}

void CTextView::SetShowSelectionWhenInactive(bool show) {
    if (showInactiveSelection_ == show)
        return;
    showInactiveSelection_ = show;
    viewport()->update();
}

QColor CTextView::ColourOf(int32_t index) const {
    switch (index) {
    case CI_WHITESPACE:
    case CI_BACKGROUND:
        return palette().color(QPalette::Base);
    case CI_NORMAL:
        return palette().color(QPalette::Text);
    case CI_MARGIN:
        return palette().color(QPalette::Button);
    default: {
        const Rgb rgb = FixedColour(index, inputEnabled_).value_or(Rgb{255, 0, 0});
        return QColor(rgb.red, rgb.green, rgb.blue);
    }
    }
}

void CTextView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        fontValid_ = false;
        lineImage_ = QImage();
        visibleLines_ = -1;
        visibleColumns_ = -1;
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Commands and status

bool CTextView::CanCopy() const {
    return inputEnabled_ && !IsSelectionEmpty();
}

void CTextView::Copy() {
    if (!inputEnabled_ || IsSelectionEmpty())
        return;
    std::string text;
    if (TextOfRange(orderedStart_, orderedEnd_, text))
        PutToClipboard(text);
}

void CTextView::SelectAll() {
    if (!inputEnabled_)
        return;
    // The anchor stays where it was.
    caret_ = EndOfText();
    idealColumn_ = -1;
    SetSelectionBounds(TextPosition{}, caret_);
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
}

std::string CTextView::PositionStatusText() const {
    const int32_t character = utf8::CharIndexOfByte(LineView(caret_.y), caret_.x);
    char text[64];
    std::snprintf(text, sizeof text, "Ln %d, Col %d", caret_.y + 1, character + 1);
    return text;
}

bool CTextView::EolStatusEnabled() const {
    return buffer_ != nullptr;
}

std::string CTextView::EolStatusText() const {
    if (buffer_ == nullptr)
        return {};
    return EolModeName(buffer_->EolMode());
}

} // namespace editor
