// The window that shows a text buffer: it paints the lines itself with syntax colours, keeps the caret,
// the anchor and the selection, scrolls, moves with the navigation keys and the mouse, copies the
// selection to the clipboard and reports the caret position and the line-end mode for the status bar.
// It edits nothing; CEditorView adds editing on top of it.
//
// Thread contract: a widget, so the UI thread only. Requests that execution workers make of the pane
// (EnableInput, MarkExecLineAt) must be carried to the UI thread by the caller before they reach the
// view.
//
// Lifetime: the view attaches itself to its buffer at OnInitialUpdate (or AttachBuffer) and detaches
// in its destructor; the buffer must therefore outlive the view or be detached from it first
// (AttachBuffer(nullptr)).
//
// Invariants kept after every public operation and every buffer notice (CheckInvariants):
//  1. caret, anchor and both selection ends lie in the text, on character boundaries;
//  2. the ordered selection is the set selection in text order;
//  3. the first visible line lies in 0 .. LineCount() - 1, the first visible column is not negative;
//  4. the parse-state cache knows a prefix of the lines (the state at the start of line n depends
//     only on lines 0 .. n - 1), and the expanded-length cache has one entry per line.
//
// Coordinates: positions are (x = byte offset in the line, y = line index). The selection margin and
// the text share the viewport; the text starts at MarginWidth(), each column CharWidth() pixels wide.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRawFont>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BufferView.h"
#include "ColourRuns.h"
#include "FontDescription.h"
#include "ParseState.h"
#include "TextBuffer.h"
#include "TextPosition.h"

class QMimeData;
class QPrinter;

namespace editor {

class CTextView : public QAbstractScrollArea, public CBufferView {
    Q_OBJECT

public:
    static constexpr int32_t kTabSize = 4;
    static constexpr int32_t kMarginWidthOn = 32;
    static constexpr int32_t kMarginWidthOff = 1;
    static constexpr int kAutoScrollInterval = 100; // ms
    static constexpr int32_t kWheelLines = 3;

    explicit CTextView(QWidget* parent = nullptr);
    ~CTextView() override;

    // --- Buffer binding.
    // The first update: finds the buffer (LocateBuffer) and attaches to it.
    virtual void OnInitialUpdate();
    // Detaches from the current buffer (if any), attaches to `buffer` (may be null) and resets the view.
    void AttachBuffer(CTextBuffer* buffer);
    CTextBuffer* Buffer() const { return buffer_; }

    // --- Text access; without a buffer the view shows one empty line.
    int32_t LineCount() const {
        return buffer_ == nullptr || buffer_->LineCount() < 1 ? 1 : buffer_->LineCount();
    }
    int32_t LineLength(int32_t line) const;
    std::string_view LineView(int32_t line) const {
        return buffer_ == nullptr ? std::string_view() : buffer_->LineView(line);
    }
    const char* LineText(int32_t line) const;
    uint32_t LineFlags(int32_t line) const;
    // Columns the line takes on screen (tabs expanded, one column per character); cached per line.
    int32_t ExpandedLength(int32_t line);
    // The text of [start, end), lines joined by CR LF; false and empty without a buffer or for a range
    // outside the text.
    bool TextOfRange(TextPosition start, TextPosition end, std::string& text) const;

    // --- Caret and selection.
    TextPosition CaretPosition() const { return caret_; }
    TextPosition AnchorPosition() const { return anchor_; }
    // The selection in text order (start <= end); equal positions when nothing is selected.
    void SelectionRange(TextPosition& start, TextPosition& end) const;
    bool IsSelectionEmpty() const { return orderedStart_ == orderedEnd_; }
    // Selects from `anchor` to `caret` (both clamped into the text) and scrolls the caret into view.
    void SetSelection(TextPosition anchor, TextPosition caret);
    // Anchor, selection and caret all at p, scrolled into view.
    void SelectNothingAt(TextPosition p);
    // The expanded column of a position.
    int32_t ColumnOf(TextPosition p) const;

    // --- Scrolling.
    int32_t FirstVisibleLine() const { return firstLine_; }
    int32_t FirstVisibleColumn() const { return firstColumn_; }
    int32_t VisibleLines();
    int32_t VisibleColumns();
    int32_t LongestLineLength();
    // Scroll so that `line` (`column`) is the first visible one, clamped to the text.
    void ScrollToLine(int32_t line);
    void ScrollToColumn(int32_t column);
    void EnsureVisible(TextPosition p);

    // --- Input state and the execution mark.
    // While input is disabled every key, mouse button and edit command is ignored and the caret is
    // hidden; painting and the scroll bars still work.
    virtual void DisableInput();
    virtual void EnableInput();
    bool IsInputEnabled() const { return inputEnabled_; }
    // Moves the execution mark to the line of the selection start (plus `offset` lines) and scrolls it
    // into view.
    void MarkExecLine();
    void MarkExecLineAt(int32_t offset);

    // --- Font and look.
    void SetFont(const FontDescription& font);
    // Ctrl+wheel, Ctrl+plus and Ctrl+minus: the character cell grows or shrinks by `steps` pixels
    // (kept between 6 and 72), Ctrl+0 goes back to the font set last. The document's font is unchanged.
    void Zoom(int32_t steps);
    void ResetZoom();
    int32_t ZoomSteps() const { return zoomSteps_; }
    const FontDescription& Font() const { return fontDescription_; }
    const QFont& PlainFont();
    int32_t LineHeight();
    int32_t CharWidth();
    int32_t MarginWidth() const { return (selectionMargin_ ? kMarginWidthOn : kMarginWidthOff) + numberWidth_; }
    void SetSelectionMargin(bool on);
    bool HasSelectionMargin() const { return selectionMargin_; }
    // Line numbers in the margin, right of the selection margin, as wide as the last line's number.
    void SetLineNumbers(bool on);
    bool HasLineNumbers() const { return lineNumbers_; }
    // Find and replace keeps the selection visible while its dialog has the focus.
    void SetShowSelectionWhenInactive(bool show);
    virtual QColor ColourOf(int32_t index) const;

    // --- Colouring.
    // The state at the start of `line`, catching up from the last known state (clamped to the text).
    ParseState LineStartState(int32_t line);
    // The colour runs a painted line is drawn with.
    void LineRuns(int32_t line, ColourRuns& runs);
    int32_t KnownStateCount() const { return static_cast<int32_t>(states_.size()); }
    // Forgets every parse state (the next paint catches up again from line 0).
    void ForgetParseStates();

    // --- Commands of the display view.
    bool CanCopy() const;
    void Copy();
    void SelectAll();

    // --- Find (TextViewFind.cpp). Nothing happens while input is disabled.
    // The searches of TextSearch.h over the view's buffer (false without one).
    bool FindText(std::string_view text, TextPosition start, uint32_t flags, bool wrap, TextPosition& found) const;
    bool FindInBlock(std::string_view text, TextPosition start, TextPosition blockBegin, TextPosition blockEnd,
                     uint32_t flags, bool wrap, TextPosition& found) const;
    // Selects from `position` to `length` bytes further on its line, anchor and caret at the end, and
    // scrolls it into view.
    void HighlightMatch(TextPosition position, int32_t length);
    // Find (Ctrl+F): the find dialog, prefilled from the last search or the profile, and from a
    // one-line selection.
    void OnEditFind();
    // Repeat (F3) and Find previous (Shift+F3): the last search again from the caret, with wrap; Find
    // previous turns the direction round for this one search.
    void OnEditRepeat();
    void OnEditFindPrevious();
    // F3 and Shift+F3 are enabled while input is enabled and a search was made.
    bool CanRepeatSearch() const { return inputEnabled_ && searchMade_; }
    bool SearchMade() const { return searchMade_; }
    const std::string& LastSearchText() const { return lastSearchText_; }
    uint32_t LastSearchFlags() const { return lastSearchFlags_; }
    void RememberSearch(const std::string& text, uint32_t flags);
    // Tells the user something (a search that found nothing). The program's own message dialog takes
    // this over in the SQL text pane; the plain view shows a standard message box.
    virtual void ShowMessage(const std::string& text);

    // --- Printing (TextViewPrint.cpp): plain text, word-wrapped, "Page n/m" footers, the margins of
    // PageSetup.h.
    // Print (Ctrl+P): the print dialog, then the job; "Selection" there prints the selected lines.
    void OnFilePrint();
    // Print Preview: the pages of the same job in the toolkit's preview window.
    void OnFilePrintPreview();
    // Page Setup: the margins in the platform's page-setup dialog.
    void OnFilePageSetup();
    // Prints the whole text, or with `selectionOnly` the lines the selection touches, on `printer`
    // (one job: begin, every page, end). False, after telling the user why, when the printer cannot
    // start or a page cannot be added.
    bool PrintTo(QPrinter& printer, bool selectionOnly);
    // The lines [first, end) a selection-only print covers: from the selection's first line to its
    // last, without a last line that the selection only reaches at its start.
    void SelectedLines(int32_t& first, int32_t& end) const;

    // --- Batched updates. Between Begin and End (they nest) the view neither repaints, scrolls nor
    // recomputes its scroll bars per change; End does it once for everything. A long run of edits
    // (Replace All) costs one repaint instead of one per change.
    void BeginBatch();
    void EndBatch();
    bool InBatch() const { return batchDepth_ > 0; }

    // --- Status bar items.
    // "Ln %d, Col %d": the caret's line and character, counted from 1.
    std::string PositionStatusText() const;
    // "DOS", "UNIX" or "MAC"; disabled, with no text, without a buffer.
    bool EolStatusEnabled() const;
    std::string EolStatusText() const;

    // CBufferView
    void OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                        int32_t line) override;

    // Checks the invariants listed at the top of this file.
    bool CheckInvariants() const;

signals:
    // The caret moved, the line-end mode or the input state changed: the status items may read anew.
    void StatusChanged();

protected:
    // --- Virtual operations for the views built on this one.
    virtual void ResetView();
    virtual CTextBuffer* LocateBuffer();
    // The colouring of one line: fills `runs` (when given) and returns the state at the next line's
    // start. The plain view colours nothing.
    virtual ParseState ScanLine(ParseState state, int32_t line, ColourRuns* runs);
    // A line's own colours: -1 for "none" (the run colours and the background colour apply).
    struct LineColourSet {
        int32_t background = -1;
        int32_t text = -1;
        bool drawWhitespace = false;
    };
    virtual LineColourSet LineColours(int32_t line);
    virtual void DrawLine(QPainter& painter, const QRect& rect, int32_t line);
    virtual void DrawMargin(QPainter& painter, const QRect& rect, int32_t line);

    // Clipboard as plain text. Text of this program keeps its exact bytes; text of other programs has
    // its line ends turned into the editor's.
    virtual bool ClipboardHasText() const;
    virtual void PutToClipboard(const std::string& text);
    virtual bool GetFromClipboard(std::string& text) const;

    // Drag and drop as a source. The plain view offers no drag.
    virtual QMimeData* PrepareDragData();
    virtual Qt::DropActions DropEffect() const;
    virtual void OnDropSource(Qt::DropAction effect);
    // Runs the platform's drag loop and returns the effect the target chose.
    virtual Qt::DropAction RunDragLoop(QMimeData* data, Qt::DropActions allowed);
    // Opens and closes the undo group that a drag started here runs in (the editing view's business).
    virtual void OnDragStarting() {}
    virtual void OnDragFinished() {}

    // Keys: true when the key was one of the view's. The editing view adds its own before these.
    virtual bool HandleKey(QKeyEvent* event);
    // True for the key combinations the view handles itself, so that they reach it before any shortcut
    // of the window that holds it.
    virtual bool WantsKey(const QKeyEvent* event) const;

    // --- Helpers for the views built on this one.
    TextPosition ClampPosition(TextPosition p) const;
    TextPosition EndOfText() const;
    TextPosition PositionAt(const QPoint& point) const;
    QRect CaretRect(TextPosition p);
    bool IsInSelection(TextPosition p) const;
    bool IsDragging() const { return dragging_; }
    TextPosition DraggedStart() const { return draggedStart_; }
    TextPosition DraggedEnd() const { return draggedEnd_; }
    // Drop indicator: a caret drawn where dropped text would go.
    void ShowDropIndicator(TextPosition p);
    void HideDropIndicator();
    // Sets the selection to [start, end) with anchor and caret both at `caretAt`, scrolled into view.
    void SetSelectionWithCaret(TextPosition start, TextPosition end, TextPosition caretAt);
    // Moves the caret and either collapses the selection there or extends it from the anchor.
    void MoveCaret(TextPosition p, bool extend);
    void UpdateCaret();
    void RepaintLines(int32_t first, int32_t last = -1);
    void RecalcVerticalBar();
    void RecalcHorizontalBar();
    // The horizontal bar is not recomputed between Hold and Release (a block indent changes many lines).
    void HoldHorizontalBar();
    void ReleaseHorizontalBar();

    // Qt events.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

    // Where Ctrl+Left and Ctrl+Right go from p.
    TextPosition WordLeft(TextPosition p) const;
    TextPosition WordRight(TextPosition p) const;
    // The selection becomes the X11 primary selection (where the platform has one).
    void OfferPrimarySelection();

private:
    void ApplyFont(const FontDescription& font);
    // Recomputes the width of the line-number column; true when it changed.
    bool UpdateNumberWidth();
    bool lineNumbers_ = false;
    int32_t numberWidth_ = 0;
    int32_t zoomSteps_ = 0;
    int zoomWheelRemainder_ = 0;
    int32_t zoomBase_ = 0;
    FontDescription unzoomedFont_;
    // Navigation (TextViewKeys.cpp).
    TextPosition HomeOf(TextPosition p) const;
    TextPosition LineUpDown(TextPosition p, int32_t delta);
    bool HandleNavigationKey(int key, bool shift, bool ctrl);

    // Mouse (TextViewMouse.cpp).
    void ExtendMouseSelection(const QPoint& point);
    void WordBounds(TextPosition p, TextPosition& start, TextPosition& end) const;
    void SelectLines(int32_t fromLine, int32_t toLine);
    void EndMouseDrag();
    void StartDrag();
    void AutoScrollTick();
    void UpdatePointerShape(const QPoint& point);

    // Painting (TextViewPaint.cpp).
    void EnsureMetrics();
    void DrawText(QPainter& painter, const QRect& rect, int32_t line, std::string_view text,
                  const ColourRuns& runs, const LineColourSet& colours);
    const QPixmap& ExecMarkImage();
    bool HitsSelection(const QPoint& point) const;

    // Scrolling (TextViewScroll.cpp).
    void OnScrollBarAction(Qt::Orientation orientation, int action);
    void SetFirstLine(int32_t line);
    void SetFirstColumn(int32_t column);

    void ResetState();
    void SetSelectionBounds(TextPosition start, TextPosition end);
    // Moves the view's positions with a change whose first line is `line` (-1: unknown, -2: no change,
    // only clamp them all).
    void AdjustForChange(const CChangeContext& context, int32_t line);
    void RestartCaretBlink();
    void StopCaretBlink();
    bool CaretShown() const;

    CTextBuffer* buffer_ = nullptr;

    FontDescription fontDescription_;
    QFont plainFont_;
    QRawFont rawFont_;
    bool fontValid_ = false;
    int32_t lineHeight_ = -1;
    int32_t charWidth_ = -1;
    int32_t ascent_ = 0;

    int32_t tabSize_ = kTabSize;
    bool selectionMargin_ = true;

    int32_t visibleLines_ = -1;
    int32_t visibleColumns_ = -1;
    int32_t longestLine_ = -1;
    int32_t idealColumn_ = -1;

    TextPosition anchor_;
    TextPosition caret_;
    TextPosition selStart_;     // as set
    TextPosition selEnd_;
    TextPosition orderedStart_; // in text order
    int32_t execMarkLine_ = -1; // where this view last set the execution mark
    TextPosition orderedEnd_;

    int32_t firstLine_ = 0;
    int32_t firstColumn_ = 0;
    bool settingBars_ = false;
    int holdHorizontalBar_ = 0;

    std::vector<ParseState> states_;      // known prefix: states_[n] is the state at line n's start
    std::vector<int32_t> expandedLengths_; // -1: not computed

    bool focus_ = false;
    bool showInactiveSelection_ = false;

    bool dragSelection_ = false;
    bool wordSelection_ = false;
    bool lineSelection_ = false;
    QBasicTimer autoScrollTimer_;
    QPoint lastMousePoint_;
    TextPosition wordAnchorStart_; // the word or line the mouse selection started on
    TextPosition wordAnchorEnd_;
    bool preparingDrag_ = false;
    QPoint dragStartPoint_;
    bool dragging_ = false;
    TextPosition draggedStart_;
    TextPosition draggedEnd_;

    bool dropIndicator_ = false;
    TextPosition dropPosition_;

    bool inputEnabled_ = true;
    int wheelRemainder_ = 0;

    // The last search (F3, Shift+F3).
    bool searchMade_ = false;
    std::string lastSearchText_;
    uint32_t lastSearchFlags_ = 0;

    int batchDepth_ = 0;

    QBasicTimer caretBlinkTimer_;
    bool caretBlinkOn_ = true;
    QRect caretRect_; // where the caret was last drawn (empty when hidden)

    QImage lineImage_;
    QPixmap execMark_;
};

} // namespace editor
