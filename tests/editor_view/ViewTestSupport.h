// Shared set-up for the view tests: a buffer with a given text and a shown, focused SQL editing view
// over it, on the offscreen platform.
#pragma once

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "EditAction.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"

namespace viewtest {

using editor::TextPosition;

inline TextPosition P(int32_t x, int32_t y) {
    return TextPosition{x, y};
}

// The whole text of a buffer, lines joined by CR LF.
inline std::string AllText(const editor::CTextBuffer& buffer) {
    std::string text;
    const int32_t last = buffer.LineCount() - 1;
    buffer.ReadText(0, 0, last, buffer.LineLength(last), text);
    return text;
}

template <class View = editor::CSqlEditorView>
struct Pane {
    editor::CTextBuffer buffer;
    std::unique_ptr<View> view;

    explicit Pane(const std::string& text, QSize size = QSize(640, 320)) {
        buffer.ResetToEmpty(editor::EOL_DOS);
        if (!text.empty()) {
            int32_t endLine = 0;
            int32_t endChar = 0;
            buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar);
        }
        view = std::make_unique<View>();
        editor::FontDescription font;
        font.faceName = "Courier";
        font.height = 16;
        view->SetFont(font);
        view->resize(size);
        view->AttachBuffer(&buffer);
        view->show();
        QApplication::setActiveWindow(view.get());
        view->setFocus();
        QApplication::processEvents();
    }
    ~Pane() { view.reset(); }

    std::string Text() const { return AllText(buffer); }
    TextPosition Caret() const { return view->CaretPosition(); }
    std::pair<TextPosition, TextPosition> Selection() const {
        TextPosition start;
        TextPosition end;
        view->SelectionRange(start, end);
        return {start, end};
    }
    // The pixel centre of the character cell at (x, y), in viewport coordinates.
    QPoint CellCentre(int32_t column, int32_t line) const {
        const int32_t cw = view->CharWidth();
        const int32_t lh = view->LineHeight();
        return QPoint(view->MarginWidth() + (column - view->FirstVisibleColumn()) * cw + cw / 2,
                      (line - view->FirstVisibleLine()) * lh + lh / 2);
    }
    // The pixel boundary just before column `column` (a click there lands before that character).
    QPoint Boundary(int32_t column, int32_t line) const {
        const QPoint c = CellCentre(column, line);
        return QPoint(c.x() - view->CharWidth() / 2 + 1, c.y());
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view.get(), static_cast<Qt::Key>(key), mods); }
    void Type(const char* text) { QTest::keyClicks(view.get(), text); }
    // Characters outside ASCII, as a keyboard layout delivers them: key events carrying the text.
    void TypeUnicode(const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, view.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, view.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
};

} // namespace viewtest

namespace QTest {
template <>
inline char* toString(const std::string& text) {
    return QTest::toString(QString::fromStdString(text).replace("\r", "\\r").replace("\n", "\\n"));
}
template <>
inline char* toString(const editor::TextPosition& p) {
    return QTest::toString(QString("(%1, %2)").arg(p.x).arg(p.y));
}
} // namespace QTest
