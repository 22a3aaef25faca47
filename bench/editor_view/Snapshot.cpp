// Renders the SQL editing view offscreen with some SQL text (keywords, comments, strings, numbers, a
// selection, the execution mark, a tab and multi-byte characters) into a PNG, to look at.
// Usage: editor_view_snapshot OUT.png [disabled]
//        editor_view_snapshot --file FILE.sql OUTPREFIX
// The second form opens a file, jumps to its middle and types, selects, undoes and redoes there with
// real key events, saving OUTPREFIX-1-typed.png, -2-selected.png, -3-undone.png and -4-redone.png.
//        editor_view_snapshot --dialogs OUTPREFIX
// The third form saves the find and replace dialogs as OUTPREFIX-find.png and OUTPREFIX-replace.png.
//        editor_view_snapshot --preview FILE.sql OUTPREFIX
// The fourth form prints the file: the print preview dialog as OUTPREFIX-preview.png and the whole
// job to OUTPREFIX.pdf.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>

#include <cstdio>
#include <cstring>
#include <string>

#include "CFindDlg.h"
#include "CReplaceDlg.h"
#include "EditAction.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"

namespace {

void Key(QWidget* widget, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(widget, &release);
}

void Save(QWidget& view, const std::string& path) {
    QApplication::processEvents();
    view.grab().save(QString::fromStdString(path));
    std::printf("%s\n", path.c_str());
}

int RunOnFile(const char* file, const std::string& prefix) {
    editor::CTextBuffer buffer;
    if (!buffer.LoadFile(file)) {
        std::fprintf(stderr, "cannot load %s\n", file);
        return 1;
    }
    editor::CSqlEditorView view;
    view.resize(900, 420);
    view.AttachBuffer(&buffer);
    editor::FontDescription font;
    font.faceName = "Courier";
    font.height = 16;
    view.SetFont(font);
    view.show();
    QApplication::setActiveWindow(&view);
    view.setFocus();
    QApplication::processEvents();
    view.SelectNothingAt(editor::TextPosition{0, buffer.LineCount() / 2});
    Key(&view, Qt::Key_End);
    Key(&view, Qt::Key_Return);
    for (const char c : std::string("select sysdate from dual; -- typed"))
        Key(&view, c == ' ' ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, QString(QChar(c)));
    Save(view, prefix + "-1-typed.png");
    Key(&view, Qt::Key_Up, Qt::ShiftModifier);
    Key(&view, Qt::Key_Up, Qt::ShiftModifier);
    Key(&view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    Save(view, prefix + "-2-selected.png");
    Key(&view, Qt::Key_Z, Qt::ControlModifier);
    Key(&view, Qt::Key_Z, Qt::ControlModifier);
    Save(view, prefix + "-3-undone.png");
    Key(&view, Qt::Key_Y, Qt::ControlModifier);
    Save(view, prefix + "-4-redone.png");
    std::printf("%s | %s | %s\n", view.PositionStatusText().c_str(), view.EolStatusText().c_str(),
                view.UndoMenuText().c_str());
    return 0;
}

int RunDialogs(const std::string& prefix) {
    editor::CTextBuffer buffer;
    buffer.ResetToEmpty(editor::EOL_DOS);
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, "select ename from emp;\r\nupdate emp set sal = 0;\r\n", endLine, endChar,
                  editor::ACT_PASTE);
    editor::CSqlEditorView view;
    view.resize(600, 200);
    view.AttachBuffer(&buffer);
    view.show();
    QApplication::processEvents();
    editor::SearchOptions options;
    options.findWhat = "emp";
    options.replaceWith = "employees";
    editor::CFindDlg find(view, editor::TextPosition{}, options);
    find.show();
    Save(find, prefix + "-find.png");
    view.SetSelection(editor::TextPosition{0, 0}, editor::TextPosition{0, 1});
    editor::CReplaceDlg replace(view, editor::TextPosition{}, editor::CReplaceSession::Block{{0, 0}, {0, 1}},
                                options);
    replace.show();
    Save(replace, prefix + "-replace.png");
    return 0;
}

int RunPreview(const char* file, const std::string& prefix) {
    editor::CTextBuffer buffer;
    if (!buffer.LoadFile(file)) {
        std::fprintf(stderr, "cannot load %s\n", file);
        return 1;
    }
    editor::CSqlEditorView view;
    view.resize(900, 420);
    view.AttachBuffer(&buffer);
    editor::FontDescription font;
    font.faceName = "Courier";
    font.height = 16;
    view.SetFont(font);
    view.show();
    QApplication::processEvents();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(prefix + ".pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!view.PrintTo(printer, false))
            return 1;
        std::printf("%s.pdf\n", prefix.c_str());
    }
    int pages = 0;
    QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        dialog->resize(1000, 800);
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
            preview->fitInView();
            pages = preview->pageCount();
        }
        QTimer::singleShot(300, [dialog, &prefix] {
            Save(*dialog, prefix + "-preview.png");
            dialog->reject();
        });
    });
    view.OnFilePrintPreview();
    std::printf("preview pages: %d\n", pages);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--file") == 0)
        return RunOnFile(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--preview") == 0)
        return RunPreview(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--dialogs") == 0)
        return RunDialogs(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [disabled]\n", argv[0]);
        return 2;
    }
    editor::CTextBuffer buffer;
    buffer.ResetToEmpty(editor::EOL_DOS);
    const std::string text =
        "-- Monthly totals per department\r\n"
        "select d.dname, count(*) as staff, sum(e.sal) total\r\n"
        "  from emp e, dept d\r\n"
        " where e.deptno = d.deptno and e.hiredate > sysdate - 365\r\n"
        "   and e.ename like 'S%' /* a block comment\r\n"
        "   that goes on */ and e.comm is not null\r\n"
        " group by d.dname order by 2 desc;\r\n"
        "\r\n"
        "begin\r\n"
        "\tdbms_output.put_line('it''s done: ' || 0x1F || 1.5e10);\r\n"
        "\tx := \"Quoted Name\"; -- trailing comment\r\n"
        "end;\r\n"
        "insert into t values ('Grüße', 'naïve café', '日本語');\r\n";
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, text, endLine, endChar, editor::ACT_PASTE);
    buffer.ChangeLineFlag(8, editor::LF_EXEC_MARK, true);

    editor::CSqlEditorView view;
    view.resize(720, 300);
    view.AttachBuffer(&buffer);
    editor::FontDescription font;
    font.faceName = "Courier";
    font.height = 16;
    view.SetFont(font);
    view.show();
    view.activateWindow();
    view.setFocus();
    QApplication::processEvents();
    view.SetSelection(editor::TextPosition{7, 1}, editor::TextPosition{14, 2});
    if (argc > 2 && std::strcmp(argv[2], "disabled") == 0)
        view.DisableInput();
    QApplication::processEvents();
    const QPixmap shot = view.grab();
    if (!shot.save(argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %s | %s\n", argv[1], view.PositionStatusText().c_str(), view.EolStatusText().c_str());
    return 0;
}
