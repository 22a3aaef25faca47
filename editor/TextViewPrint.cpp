// Printing: the print and preview dialogs over one print job (TextPrintJob.h), and page setup.
#include "TextView.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "PageSetup.h"
#include "TextPrintJob.h"
#include "SettingsLocation.h"

namespace editor {

namespace {

// Why a printer would not start, in words a user can act on.
std::string StartFailure(const QPrinter& printer) {
    const QString file = printer.outputFileName();
    if (!file.isEmpty())
        return "The text could not be printed: the file " + file.toStdString() + " cannot be written.";
    if (!printer.isValid())
        return "The text could not be printed: no printer is available.";
    return "The text could not be printed: the printer " + printer.printerName().toStdString() +
           " could not be started.";
}

} // namespace

void CTextView::SelectedLines(int32_t& first, int32_t& end) const {
    first = 0;
    end = LineCount();
    if (IsSelectionEmpty())
        return;
    first = orderedStart_.y;
    end = orderedEnd_.y + 1;
    if (orderedEnd_.x == 0 && orderedEnd_.y > orderedStart_.y)
        --end;
}

bool CTextView::PrintTo(QPrinter& printer, bool selectionOnly) {
    EnsureMetrics();
    int32_t first = 0;
    int32_t end = LineCount();
    if (selectionOnly)
        SelectedLines(first, end);
    // Margins count from the paper's edges, not from the printer's printable area.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowMessage(StartFailure(printer));
        return false;
    }
    CTextPrintJob job(buffer_, first, end);
    job.Begin(painter, plainFont_, logicalDpiY(), printer.logicalDpiY());
    job.Layout(painter, printer.paperRect(QPrinter::DevicePixel).toRect(), ReadPageMargins(), printer.logicalDpiX(),
               printer.logicalDpiY());
    bool ok = true;
    for (int page = 1; job.ContinuePrinting(page); ++page) {
        if (page > 1 && !printer.newPage()) {
            ok = false;
            break;
        }
        job.PrintPage(painter, page);
    }
    job.End();
    ok = painter.end() && ok;
    if (!ok)
        ShowMessage("The text could not be printed completely: the printer stopped the job.");
    return ok;
}

void CTextView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, !IsSelectionEmpty());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTo(printer, dialog.printRange() == QAbstractPrintDialog::Selection);
}

void CTextView::OnFilePrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* shown) { PrintTo(*shown, false); });
    dialog.exec();
}

void CTextView::OnFilePageSetup() {
    bool writeFailed = false;
    RunPageSetupDialog(this, writeFailed);
    if (writeFailed)
        ShowMessage("The page margins could not be saved in " + platform::UserProfileFile() + ".");
}

} // namespace editor
