// Printing the text: word wrapping of printed lines, and whole print jobs to PDF read back with
// pdftotext and pdfinfo (poppler-utils): pages and their footers, margins, wrapped and empty lines,
// page breaks between lines, multi-byte text, the selection, the preview and a printer that fails.
#include <QComboBox>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPainter>
#include <QRadioButton>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <cmath>

#include "PageSetup.h"
#include "TextColumns.h"
#include "TextPrintJob.h"
#include "ViewTestSupport.h"

using namespace viewtest;
using editor::columns::WrappedRow;

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// The SQL view with its notices kept instead of shown.
class NoticeView : public editor::CSqlEditorView {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

std::vector<WrappedRow> Wrap(const std::string& line, int32_t width) {
    std::vector<WrappedRow> rows;
    const int32_t count = editor::columns::WrapRows(line, 4, width, &rows);
    if (count != static_cast<int32_t>(rows.size()))
        rows.clear();
    return rows;
}

std::vector<std::string> RowTexts(const std::string& line, int32_t width) {
    std::vector<std::string> texts;
    for (const WrappedRow& row : Wrap(line, width))
        texts.push_back(line.substr(static_cast<size_t>(row.startByte), static_cast<size_t>(row.endByte - row.startByte)));
    return texts;
}

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One word as pdftotext -bbox places it, in points from the page's top left.
struct Word {
    int page = 0;
    double x = 0;
    double y = 0;
    QString text;
};

std::vector<Word> Words(const QString& pdf) {
    const QString html = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<Word> words;
    int page = 0;
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        words.push_back(Word{page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return words;
}

const Word* Find(const std::vector<Word>& words, const QString& text) {
    for (const Word& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

int PageCount(const QString& pdf) {
    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct PdfPane {
    QTemporaryDir dir;
    Pane<NoticeView> pane;
    QString pdf = dir.path() + QStringLiteral("/out.pdf");

    explicit PdfPane(const std::string& text) : pane(text) {}

    bool Print(bool selectionOnly = false) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return pane.view->PrintTo(printer, selectionOnly);
    }
    // The lines one page holds and the printed line height in points, as the job lays them out.
    std::pair<int32_t, double> PageGeometry() {
        std::string many;
        for (int k = 0; k < 2000; ++k)
            many += "\r\n";
        editor::CTextBuffer lines;
        lines.ResetToEmpty(editor::EOL_DOS);
        int32_t y = 0;
        int32_t x = 0;
        lines.ApplyInsert(nullptr, 0, 0, many, y, x);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.path() + QStringLiteral("/layout.pdf"));
        printer.setFullPage(true);
        QPainter painter(&printer);
        editor::CTextPrintJob job(&lines, 0, lines.LineCount());
        job.Begin(painter, pane.view->PlainFont(), pane.view->logicalDpiY(), printer.logicalDpiY());
        job.Layout(painter, printer.paperRect(QPrinter::DevicePixel).toRect(), editor::ReadPageMargins(),
                   printer.logicalDpiX(), printer.logicalDpiY());
        const std::pair<int32_t, double> geometry{job.PageTable().at(1).line, job.LineHeight() * 72.0 / printer.logicalDpiY()};
        job.End();
        return geometry;
    }
};

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;

private slots:
    void initTestCase() {
        qputenv("QUARVEL_CONFIG_DIR", config_.path().toLocal8Bit());
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdfinfo and pdftotext are needed (scripts/setup.sh installs poppler-utils)");
    }
    void init() { QVERIFY(editor::WritePageMargins(editor::PageMargins{})); }

    void wrappingBreaksAfterBlanksOrInsideLongWords() {
        // After the last blank that fits; the blank at the break is not carried over.
        QCOMPARE(RowTexts("aaa bbb ccc", 7), (std::vector<std::string>{"aaa bbb", "ccc"}));
        QCOMPARE(RowTexts("aa bb cc dd", 7), (std::vector<std::string>{"aa bb ", "cc dd"}));
        // A word longer than the row is broken anywhere.
        QCOMPARE(RowTexts("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
        QCOMPARE(RowTexts("ab abcdefghij", 4), (std::vector<std::string>{"ab ", "abcd", "efgh", "ij"}));
        // Tabs take their columns from the line's start; a wide character is never split.
        const std::vector<WrappedRow> tabbed = Wrap("\tab", 4);
        QCOMPARE(tabbed.size(), size_t{2});
        QCOMPARE(tabbed[0].endColumn, 4);
        QCOMPARE(tabbed[1].startByte, 1);
        QCOMPARE(tabbed[1].startColumn, 4);
        QCOMPARE(RowTexts("日本語", 5), (std::vector<std::string>{"日本", "語"}));
        QCOMPARE(Wrap("日本語", 5)[1].startColumn, 4);
        // An empty line is one row; a character wider than the row gets one of its own.
        QCOMPARE(editor::columns::WrapRows("", 4, 10, nullptr), 1);
        QCOMPARE(RowTexts("日x", 1), (std::vector<std::string>{"日", "x"}));
    }

    void threePagesHaveTheirFootersAndNoLineIsSplit() {
        PdfPane probe("x");
        const int32_t perPage = probe.PageGeometry().first;
        QVERIFY(perPage > 20);
        // Two pages and a half of numbered lines; a line that wraps onto three rows stands where it
        // would straddle the first page break, so it must move to page 2 whole.
        std::string text;
        const std::string longLine = "wrapped " + std::string(400, 'w') + " end";
        for (int32_t y = 0; y < perPage * 2 + perPage / 2; ++y) {
            if (y == perPage - 2)
                text += longLine + "\r\n";
            else
                text += "line" + std::to_string(y) + " select * from dual;\r\n";
        }
        PdfPane out(text);
        QVERIFY(out.Print());
        QCOMPARE(PageCount(out.pdf), 3);
        const QString layout = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), out.pdf, QStringLiteral("-")});
        const QStringList pages = layout.split(QChar('\f'));
        QVERIFY(pages.size() >= 3);
        for (int page = 1; page <= 3; ++page)
            QVERIFY2(pages[page - 1].contains(QStringLiteral("Page %1/3").arg(page)), qPrintable(QString::number(page)));
        // The long line and its three rows are all on page 2; page 1 ends with the line before it.
        QVERIFY(pages[0].contains(QStringLiteral("line%1 ").arg(perPage - 3)));
        QVERIFY(!pages[0].contains(QStringLiteral("wrapped")));
        QVERIFY(pages[1].contains(QStringLiteral("wrapped")));
        QVERIFY(pages[1].contains(QStringLiteral(" end")) || pages[1].contains(QStringLiteral("end\n")));
        QVERIFY(pages[2].contains(QStringLiteral("line%1 ").arg(perPage * 2 + perPage / 2 - 1)));
    }

    void aLineTallerThanAPageGoesOnOverTheNextPagesWithNothingLost() {
        // Numbered words, so that every printed row can be found again: several pages of one line.
        std::string longLine;
        const int words = 9000;
        for (int k = 0; k < words; ++k)
            longLine += QStringLiteral("k%1 ").arg(k, 5, 10, QChar('0')).toStdString();
        PdfPane out("before\r\n" + longLine + "\r\nafter\r\nlast line");
        QVERIFY(out.Print());
        const int pageCount = PageCount(out.pdf);
        QVERIFY2(pageCount >= 4, qPrintable(QString::number(pageCount)));
        const QString text = Run(QStringLiteral("pdftotext"), {out.pdf, QStringLiteral("-")});
        const QStringList pages = text.split(QChar('\f'));
        QVERIFY(pages.size() >= pageCount);
        static const QRegularExpression word(QStringLiteral(R"(\bk(\d{5})\b)"));
        int expected = 0;
        for (int page = 0; page < pageCount; ++page) {
            QVERIFY2(pages[page].contains(QStringLiteral("Page %1/%2").arg(page + 1).arg(pageCount)),
                     qPrintable(QString::number(page + 1)));
            int onPage = 0;
            for (auto it = word.globalMatch(pages[page]); it.hasNext(); ++onPage) {
                const int number = it.next().captured(1).toInt();
                QVERIFY2(number == expected, qPrintable(QStringLiteral("page %1: k%2 where k%3 belongs")
                                                            .arg(page + 1).arg(number).arg(expected)));
                ++expected;
            }
            // The line does not fit below "before": it starts on a page of its own, and every page
            // after that holds rows of it until it ends.
            if (page == 0)
                QCOMPARE(onPage, 0);
            else if (page < pageCount - 1)
                QVERIFY2(onPage > 0, qPrintable(QString::number(page + 1)));
        }
        QCOMPARE(expected, words);
        QVERIFY(pages[0].contains(QStringLiteral("before")));
        // The lines after it follow its last rows on the same page.
        const QString& tail = pages[pageCount - 1];
        QVERIFY(tail.contains(QStringLiteral("k%1").arg(words - 1, 5, 10, QChar('0'))));
        QVERIFY(tail.indexOf(QStringLiteral("after")) > tail.indexOf(QStringLiteral("k%1").arg(words - 1, 5, 10, QChar('0'))));
        QVERIFY(tail.contains(QStringLiteral("last line")));
    }

    void marginsPlaceTheTextAndSavedMarginsMoveIt() {
        {
            PdfPane out("first\r\nsecond");
            QVERIFY(out.Print());
            const std::vector<Word> words = Words(out.pdf);
            const Word* first = Find(words, QStringLiteral("first"));
            QVERIFY(first != nullptr);
            // 10 mm from the paper's left and top edges (the glyph box starts within a point of it).
            QVERIFY2(std::abs(first->x - 10 * kPointsPerMm) < 1.5, qPrintable(QString::number(first->x)));
            QVERIFY2(first->y >= 10 * kPointsPerMm - 0.5 && first->y < 10 * kPointsPerMm + 4,
                     qPrintable(QString::number(first->y)));
        }
        QVERIFY(editor::WritePageMargins(editor::PageMargins{3000, 1000, 5000, 1000}));
        PdfPane out("first\r\nsecond");
        QVERIFY(out.Print());
        const std::vector<Word> words = Words(out.pdf);
        const Word* first = Find(words, QStringLiteral("first"));
        QVERIFY(first != nullptr);
        QVERIFY2(std::abs(first->x - 30 * kPointsPerMm) < 1.5, qPrintable(QString::number(first->x)));
        QVERIFY2(first->y >= 50 * kPointsPerMm - 0.5 && first->y < 50 * kPointsPerMm + 4,
                 qPrintable(QString::number(first->y)));
    }

    void pageSetupShowsTheSavedMarginsAndWritesWhatTheUserTypes() {
        QVERIFY(editor::WritePageMargins(editor::PageMargins{1500, 1000, 2000, 1250}));
        Pane<NoticeView> pane("select 1 from dual");
        QString seen;
        bool paperLocked = false;
        bool unitFree = false;
        auto answer = [&](bool confirm) {
            QTimer::singleShot(0, [&, confirm] {
                (void)QTest::qWaitFor([] { return qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget()); },
                                      5000);
                auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    return;
                auto* unit = dialog->findChild<QComboBox*>(QStringLiteral("unitCombo"));
                auto margin = [dialog](const char* name) { return dialog->findChild<QDoubleSpinBox*>(QLatin1String(name)); };
                seen = QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(unit ? unit->currentText() : QStringLiteral("?"))
                           .arg(margin("leftMargin") ? margin("leftMargin")->value() : -1)
                           .arg(margin("rightMargin") ? margin("rightMargin")->value() : -1)
                           .arg(margin("topMargin") ? margin("topMargin")->value() : -1)
                           .arg(margin("bottomMargin") ? margin("bottomMargin")->value() : -1);
                paperLocked = true;
                unitFree = unit && unit->isEnabled();
                for (QComboBox* box : dialog->findChildren<QComboBox*>())
                    if (box != unit && box->isEnabled())
                        paperLocked = false;
                for (QRadioButton* radio : dialog->findChildren<QRadioButton*>())
                    if ((radio->objectName().contains(QStringLiteral("ortrait")) ||
                         radio->objectName().contains(QStringLiteral("andscape"))) &&
                        radio->isEnabled())
                        paperLocked = false;
                if (QDoubleSpinBox* left = margin("leftMargin")) {
                    // Typed as a user does: select the field's text and type over it.
                    left->setFocus();
                    left->selectAll();
                    QTest::keyClicks(left->findChild<QLineEdit*>(), QStringLiteral("25"));
                    QTest::keyClick(left, Qt::Key_Tab);
                }
                auto* buttons = dialog->findChild<QDialogButtonBox*>();
                QAbstractButton* button =
                    buttons ? buttons->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel) : nullptr;
                if (button != nullptr)
                    QTest::mouseClick(button, Qt::LeftButton);
                else
                    confirm ? dialog->accept() : dialog->reject();
            });
        };
        answer(false);
        pane.view->OnFilePageSetup();
        QCOMPARE(seen, QStringLiteral("Millimeters (mm) 15 10 20 12.5"));
        QVERIFY(paperLocked);
        QVERIFY(unitFree);
        QCOMPARE(editor::ReadPageMargins().left, 1500); // cancelled: nothing written

        answer(true);
        pane.view->OnFilePageSetup();
        const editor::PageMargins saved = editor::ReadPageMargins();
        QCOMPARE(saved.left, 2500);
        QCOMPARE(saved.right, 1000);
        QCOMPARE(saved.top, 2000);
        QCOMPARE(saved.bottom, 1250);
        QVERIFY(pane.view->messages.empty());
        // The printed text moves with them.
        PdfPane out("moved");
        QVERIFY(out.Print());
        const std::vector<Word> words = Words(out.pdf);
        const Word* word = Find(words, QStringLiteral("moved"));
        QVERIFY(word != nullptr);
        QVERIFY2(std::abs(word->x - 25 * kPointsPerMm) < 1.5, qPrintable(QString::number(word->x)));
    }

    void wrappedLinesPushTheNextDownAndEmptyLinesKeepTheirHeight() {
        PdfPane probe("x");
        const double lineHeight = probe.PageGeometry().second;
        // A line of 400 characters without blanks wraps onto several rows.
        PdfPane out("top\r\n" + std::string(400, 'q') + "\r\nbelow\r\n\r\n\r\nlast");
        QVERIFY(out.Print());
        const std::vector<Word> words = Words(out.pdf);
        const Word* top = Find(words, QStringLiteral("top"));
        const Word* below = Find(words, QStringLiteral("below"));
        const Word* last = Find(words, QStringLiteral("last"));
        QVERIFY(top && below && last);
        int qRows = 0;
        for (const Word& w : words)
            qRows += w.text.startsWith(QChar('q')) ? 1 : 0;
        QVERIFY2(qRows >= 3, qPrintable(QString::number(qRows)));
        QVERIFY(std::abs(below->y - top->y - (1 + qRows) * lineHeight) < 1.0);
        QVERIFY(std::abs(last->y - below->y - 3 * lineHeight) < 1.0);
    }

    void multiByteTextAndTheSelectionPrintAsShown() {
        // (No CJK face is installed on the test machines: wide characters are covered by the wrapping.)
        PdfPane out("one\r\nGrüße naïve Привет αβγ\r\nthree\r\nfour");
        out.pane.view->SetSelection(P(1, 1), P(0, 3)); // touches lines 1 and 2 only
        QVERIFY(out.Print(true));
        const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), out.pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Grüße naïve Привет αβγ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("three")));
        QVERIFY(!text.contains(QStringLiteral("one")));
        QVERIFY(!text.contains(QStringLiteral("four")));
        QVERIFY(text.contains(QStringLiteral("Page 1/1")));
    }

    void aFileThatCannotBeWrittenIsReportedAndTheTextStays() {
        PdfPane out("select 1 from dual");
        out.pdf = out.dir.path() + QStringLiteral("/no/such/folder/out.pdf");
        QVERIFY(!out.Print());
        QCOMPARE(out.pane.view->messages.size(), size_t{1});
        QVERIFY(out.pane.view->messages[0].find("cannot be written") != std::string::npos);
        QCOMPARE(out.pane.Text(), std::string("select 1 from dual"));
    }

    void thePreviewShowsThePagesOfTheSameJob() {
        std::string text;
        for (int y = 0; y < 200; ++y)
            text += "select " + std::to_string(y) + " from dual;\r\n";
        Pane<NoticeView> pane(text);
        int pages = -1;
        QTimer::singleShot(0, [&] {
            (void)QTest::qWaitFor([] { return qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget()); }, 5000);
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            (void)QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 5000);
            pages = preview ? preview->pageCount() : -1;
            dialog->reject();
        });
        pane.view->OnFilePrintPreview();
        // 200 lines at half the screen size and 10 mm margins: more than one A4 or Letter page.
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QVERIFY(pane.view->messages.empty());
    }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
