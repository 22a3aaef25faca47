#include "CSqlLeftView.h"

#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CSqlMainFrame.h"
#include "CommandIds.h"
#include "IniSettingsKey.h"
#include "MessageBox.h"
#include "ProgramSettings.h"
#include "Resources.h"
#include "SettingsLocation.h"
#include "SqlFileNames.h"
#include "StringTable.h"
#include "WindowTitles.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace {

editor::FontDescription FontOf(const LogFont& font) {
    editor::FontDescription description;
    description.faceName = font.faceName;
    description.height = font.height;
    description.weight = font.weight;
    description.italic = font.italic;
    description.charSet = font.charSet;
    return description;
}

QStringList FilterTexts() {
    QStringList texts;
    for (const FileFilter& filter : SqlFileFilters())
        texts << QString::fromUtf8(filter.text);
    return texts;
}

// The file dialog of both file commands: the two filters with the SQL one selected, no default
// extension and no file name to start with.
struct FileChoice {
    std::string path; // empty when the user cancelled
    int filterIndex = kSqlFilesFilter;
};

FileChoice ChooseFile(QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = FilterTexts();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(kSqlFilesFilter));
    // The save dialog asks before it replaces an existing file (Qt's default, kept on purpose).
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    FileChoice choice;
    if (dialog.exec() != QDialog::Accepted)
        return choice;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return choice;
    choice.path = QFile::encodeName(files.front()).toStdString();
    choice.filterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    return choice;
}

} // namespace

CSqlLeftView::CSqlLeftView(QWidget* parent) : editor::CSqlEditorView(parent) {
    std::unique_ptr<platform::IniSettingsKey> key = platform::IniSettingsKey::OpenProgramForReading();
    if (!key) {
        // A file that is there but unusable (a folder, a pipe, unreadable) would send the user to
        // reinstall without saying what is wrong: the second line names the file and the reason.
        const std::string problem = platform::IniSettingsKey::Problem(platform::ProgramSettingsFile());
        if (problem.empty())
            MessageBoxById(strings::kNoSettingsKey);
        else
            MessageBoxText(std::string(LoadStringResource(strings::kNoSettingsKey)) + "\n" + problem);
    }
    historySwitch_ = platform::ReadSaveSqlHistory(key.get()) ? 1 : 0;
}

CSqlLeftView::~CSqlLeftView() {
    CloseMessages();
    if (CQuarvelDoc* doc = Document(); doc && doc->TextPane() == this)
        doc->SetTextPane(nullptr, platform::MessageHandle());
    // The view detaches from the document's buffer as it goes (CTextView); the frame keeps the
    // document alive until then.
}

CQuarvelDoc* CSqlLeftView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

editor::CTextBuffer* CSqlLeftView::LocateBuffer() {
    CQuarvelDoc* doc = Document();
    return doc ? &doc->TextBuffer() : nullptr;
}

void CSqlLeftView::OnInitialUpdate() {
    editor::CSqlEditorView::OnInitialUpdate();
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    SetFont(FontOf(doc->Font()));
    SetLineNumbers(doc->App().lineNumbers);
    doc->SetTextPane(this, Handle());
}

void CSqlLeftView::OnUpdate(CView* sender, intptr_t hint) {
    (void)sender;
    (void)hint;
    viewport()->update();
}

bool CSqlLeftView::WorkerRunning() const {
    CQuarvelDoc* doc = Document();
    return doc && doc->IsWorkerRunning();
}

// ---------------------------------------------------------------------------------------------------
// Files

void CSqlLeftView::OnOpenFile() {
    if (!Document())
        return;
    const FileChoice choice = ChooseFile(this, QFileDialog::AcceptOpen);
    if (!choice.path.empty())
        OpenFilePath(choice.path);
}

void CSqlLeftView::OnSaveFileAs() {
    if (!Document())
        return;
    const FileChoice choice = ChooseFile(this, QFileDialog::AcceptSave);
    if (choice.path.empty())
        return;
    // The dialog asked about the name as typed; when ".sql" is appended, the file actually written
    // may be another existing one, and it is not replaced without the same question.
    const std::string path = SaveAsPath(choice.path, choice.filterIndex);
    if (path != choice.path && QFileInfo::exists(QFile::decodeName(path.c_str())) &&
        MessageBoxText(path + " already exists.\nDo you want to replace it?", 1) != IDOK)
        return;
    SaveFileAsPath(choice.path, choice.filterIndex);
}

bool CSqlLeftView::OnSaveFile() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return false;
    const std::string path = doc->GetPathName();
    if (path.empty()) {
        OnSaveFileAs();
        return !doc->IsModified();
    }
    if (!doc->OnSaveDocument(path))
        return false;
    SetCaptions(SavedDocumentTitle(doc->CaptionUser(), doc->ConnectString(), path));
    return true;
}

bool CSqlLeftView::OpenFilePath(const std::string& path) {
    CQuarvelDoc* doc = Document();
    if (!doc || path.empty())
        return false;
    // The document drops its text before it reads the file; a file that cannot be read at all must not
    // cost the user the text they have.
    const QFileInfo info(QFile::decodeName(path.c_str()));
    if (!info.isFile() || !info.isReadable())
        return false;
    // Modified text is not replaced without the question that closing asks.
    if (doc->Frame() && !doc->Frame()->AskToSaveModified())
        return false;
    if (!doc->OnOpenDocument(path)) {
        // A read that failed part-way has left no text behind: give the pane an empty one to edit.
        if (!doc->TextBuffer().IsInitialised())
            doc->TextBuffer().ResetToEmpty(editor::EOL_MAC);
        return false;
    }
    doc->SetFileName(path);
    doc->SetPathName(path, true);
    SetCaptions(DocumentTitle(doc->CaptionUser(), doc->ConnectString(), path));
    viewport()->update();
    return true;
}

bool CSqlLeftView::SaveFileAsPath(const std::string& chosen, int filterIndex) {
    CQuarvelDoc* doc = Document();
    const std::string path = SaveAsPath(chosen, filterIndex);
    if (!doc || path.empty())
        return false;
    if (!doc->OnSaveDocument(path))
        return false;
    doc->SetFileName(path);
    doc->SetPathName(path, true);
    SetCaptions(SavedDocumentTitle(doc->CaptionUser(), doc->ConnectString(), path));
    return true;
}

void CSqlLeftView::SetCaptions(const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    if (auto* main = dynamic_cast<CMainFrame*>(window()))
        main->SetCaptions(text);
    if (CQuarvelDoc* doc = Document(); doc && doc->Frame())
        doc->Frame()->setWindowTitle(text);
}

// ---------------------------------------------------------------------------------------------------
// Commands

bool CSqlLeftView::HandlesCommand(uint32_t id) const {
    switch (id) {
    case cmd::kOpenFile:
    case cmd::kSaveFileAs:
    case cmd::kSaveFile:
    case cmd::kExecuteStatement:
    case cmd::kLineNumbers:
    case cmd::kPageSetup:
    case cmd::kPrint:
    case cmd::kPrintPreview:
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kUndo:
    case cmd::kRedo:
    case cmd::kSelectAll:
    case cmd::kFind:
    case cmd::kFindNext:
    case cmd::kFindPrevious:
    case cmd::kReplace:
    case cmd::kExecuteSql:
    case cmd::kExecuteScript:
    case cmd::kExplainPlan:
    case cmd::kStopSql:
    case cmd::kCommit:
    case cmd::kRollback:
    case cmd::kServerOutput:
    case cmd::kSqlHistory:
        return true;
    default:
        return false;
    }
}

bool CSqlLeftView::OnCommand(uint32_t id) {
    switch (id) {
    case cmd::kOpenFile:
        OnOpenFile();
        return true;
    case cmd::kSaveFileAs:
        OnSaveFileAs();
        return true;
    case cmd::kSaveFile:
        OnSaveFile();
        return true;
    case cmd::kExecuteStatement:
        OnExecuteStatement();
        return true;
    case cmd::kLineNumbers:
        SetLineNumbers(!HasLineNumbers());
        if (CQuarvelDoc* doc = Document())
            doc->App().lineNumbers = HasLineNumbers();
        return true;
    case cmd::kCut:
        Cut();
        return true;
    case cmd::kCopy:
        Copy();
        return true;
    case cmd::kPaste:
        Paste();
        return true;
    case cmd::kUndo:
        Undo();
        return true;
    case cmd::kRedo:
        Redo();
        return true;
    case cmd::kSelectAll:
        SelectAll();
        return true;
    case cmd::kPageSetup:
        OnFilePageSetup();
        return true;
    case cmd::kPrint:
        OnFilePrint();
        return true;
    case cmd::kPrintPreview:
        OnFilePrintPreview();
        return true;
    case cmd::kFind:
        OnEditFind();
        return true;
    case cmd::kFindNext:
        OnEditRepeat();
        return true;
    case cmd::kFindPrevious:
        OnEditFindPrevious();
        return true;
    case cmd::kReplace:
        OnEditReplace();
        return true;
    case cmd::kExecuteSql:
        OnExecuteSql();
        return true;
    case cmd::kExecuteScript:
        OnExecuteScript();
        return true;
    case cmd::kExplainPlan:
        OnExplainPlan();
        return true;
    case cmd::kStopSql:
        OnStopSql();
        return true;
    case cmd::kCommit:
        OnCommit();
        return true;
    case cmd::kRollback:
        OnRollback();
        return true;
    case cmd::kServerOutput:
        OnServerOutput();
        return true;
    case cmd::kSqlHistory:
        OnShowSqlHistory();
        return true;
    default:
        return false;
    }
}

std::optional<bool> CSqlLeftView::CommandEnabled(uint32_t id) const {
    // The pane decides before its frame, so it also keeps the frame's rule that these commands rest
    // while a statement runs (input is normally disabled then anyway).
    switch (id) {
    case cmd::kCut:
        return !WorkerRunning() && CanCut();
    case cmd::kCopy:
        return !WorkerRunning() && CanCopy();
    case cmd::kPaste:
        return !WorkerRunning() && CanPaste();
    case cmd::kUndo:
        return !WorkerRunning() && CanUndo();
    case cmd::kRedo:
        return CanRedo();
    case cmd::kFind:
        return !WorkerRunning() && IsInputEnabled();
    case cmd::kFindNext:
    case cmd::kFindPrevious:
        return !WorkerRunning() && CanRepeatSearch();
    case cmd::kReplace:
        return !WorkerRunning() && CanReplace();
    default:
        return std::nullopt; // the frame's rules, or enabled because the pane handles it
    }
}

std::optional<std::string> CSqlLeftView::CommandText(uint32_t id) const {
    if (id == cmd::kUndo)
        return UndoMenuText();
    if (id == cmd::kRedo)
        return RedoMenuText();
    if (id == cmd::kLineNumbers)
        return std::string(HasLineNumbers() ? "Hide Line Numbers" : "Show Line Numbers");
    return std::nullopt;
}

intptr_t CSqlLeftView::HandleRegisteredMessage(uint32_t) {
    return 0;
}

void CSqlLeftView::contextMenuEvent(QContextMenuEvent* event) {
    CQuarvelDoc* doc = Document();
    CSqlMainFrame* frame = doc ? doc->Frame() : nullptr;
    if (!frame || !IsInputEnabled()) {
        event->accept();
        return;
    }
    // The commands go the window's way, so the menu does what the same item of the main menu does.
    if (frame->ActiveView() != this)
        frame->SetActiveView(this);
    const CommandChain chain = frame->Chain();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("SqlPaneMenu"));
    for (const MenuItem& item : SqlPaneContextMenu()) {
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        action->setEnabled(chain.IsEnabled(item.id));
    }
    QPointer<CSqlMainFrame> target(frame);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen && target)
        target->RouteCommand(chosen->data().toUInt());
    event->accept();
}

void CSqlLeftView::ShowMessage(const std::string& text) {
    MessageBoxText(text, 0, 2);
}
