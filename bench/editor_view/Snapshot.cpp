// Renders the SQL editing view offscreen with some SQL text (keywords, comments, strings, numbers, a
// selection, the execution mark, a tab and multi-byte characters) into a PNG, to look at.
// Usage: editor_view_snapshot OUT.png [disabled]
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <cstring>
#include <string>

#include "EditAction.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
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
