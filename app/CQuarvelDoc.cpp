#include "CQuarvelDoc.h"


#include "IniSettingsKey.h"
#include "RunEnd.h"
#include "SyncSend.h"
#include "UserProfile.h"
#include "WindowTitles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// Whether two paths name the same file (either may not exist yet).
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    const auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error)
        return a == b;
    const auto canonicalB = std::filesystem::weakly_canonical(b, error);
    return error ? a == b : canonicalA == canonicalB;
}

std::string Lines(int32_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

} // namespace

void CQuarvelDoc::CDocTextBuffer::MarkModified(bool modified) {
    document_->SetModifiedFlag(modified);
}

void CQuarvelDoc::SetModifiedFlag(bool modified) {
    const bool was = IsModified();
    CDocument::SetModifiedFlag(modified);
    if (was != modified && modifiedListener_)
        modifiedListener_(modified);
}

CQuarvelDoc::CQuarvelDoc(ApplicationFields& app) : app_(app), textBuffer_(this) {
    session_ = std::move(app.pendingConnection);
    exec_.session = session_.get();
    userName_ = app.lastUserName;
    connectString_ = app.lastConnectString;
    sysdba_ = app.lastSysdba;
    app.currentDocument = this;
    {
        std::unique_ptr<platform::IniSettingsKey> key = platform::IniSettingsKey::OpenProgramForReading();
        exec_.settings = platform::ReadDocumentSettings(key.get());
    }
    fileName_ = kNewSqlScript;
    // The placeholder name is no file: keep it out of the recent-file list.
    SetPathName(kNewSqlScript, false);
    SetTitle(WindowTitle());
}

CQuarvelDoc::~CQuarvelDoc() {
    StopWorker();
    // Nobody may find a destroyed document as the one built last.
    CQuarvelDoc* self = this;
    app_.currentDocument.compare_exchange_strong(self, nullptr);
    // The statement's handles belong to the session: free it before logging off.
    exec_.state.statement.reset();
    exec_.state.columns.Clear();
    exec_.session = nullptr;
    if (session_)
        session_->Logoff(); // also frees the handles of a session that never got connected
    session_.reset();
}

bool CQuarvelDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    // New text takes the platform's line end, a line feed alone.
    textBuffer_.ResetToEmpty(editor::EOL_MAC);
    cutSource_.clear();
    cutLines_ = 0;
    return true;
}

bool CQuarvelDoc::OnOpenDocument(const std::string& path) {
    // The text is replaced only by a complete read, so a file that cannot be read never costs the user
    // the text already in the window. A file that cannot even be opened gets the framework's report.
    if (!textBuffer_.LoadFile(path, editor::EOL_AUTO)) {
        if (!std::ifstream(path, std::ios::binary))
            CDocument::OnOpenDocument(path);
        return false;
    }
    SetModifiedFlag(false);
    fileName_ = path;
    SetPathName(path, true);
    cutLines_ = textBuffer_.LinesCutAtNul();
    cutSource_ = cutLines_ > 0 ? path : std::string();
    if (cutLines_ > 0)
        ShowMessage(path + "\n" + Lines(cutLines_) + " of this file held a NUL byte and " +
                        (cutLines_ == 1 ? "was" : "were") +
                        " cut there: the rest of such a line is not in the window.\n"
                        "Saving over this file would lose that text.",
                    false);
    return true;
}

bool CQuarvelDoc::OnSaveDocument(const std::string& path) {
    const bool overCutSource = !cutSource_.empty() && SameFile(path, cutSource_);
    if (overCutSource &&
        !ShowMessage(path + "\nwas opened with " + Lines(cutLines_) +
                         " cut at a NUL byte. Saving replaces the file with the shortened text, and the cut "
                         "text is lost.\nSave anyway?",
                     true))
        return false;
    if (!textBuffer_.SaveFile(path, editor::EOL_AUTO, true)) {
        const int reason = textBuffer_.SaveErrorNumber();
        ShowMessage("The text could not be saved to " + path + ":\n" + std::strerror(reason != 0 ? reason : EIO) + ".",
                    false);
        return false;
    }
    if (overCutSource)
        cutSource_.clear();
    fileName_ = path;
    SetPathName(path, true);
    return true;
}

void CQuarvelDoc::DeleteContents() {
    textBuffer_.Clear();
}

std::string CQuarvelDoc::WindowTitle() const {
    return DocumentTitle(CaptionUser(), connectString_, fileName_);
}

void CQuarvelDoc::SetTextPane(CSqlLeftView* pane, platform::MessageHandle window) {
    textPane_ = pane;
    exec_.state.textPaneWindow = std::move(window);
}

void CQuarvelDoc::SetFrame(CSqlMainFrame* frame, platform::MessageHandle window) {
    frame_ = frame;
    exec_.state.frameWindow = std::move(window);
}

bool CQuarvelDoc::StartWorker(std::function<void(CQuarvelDoc&)> body) {
    if (!body || !exec_.run.Begin())
        return false;
    if (exec_.run.Launch([this, body = std::move(body)] {
            body(*this);
            exec::EndRun(exec_, {});
        }))
        return true;
    exec::EndRun(exec_, {});
    return false;
}

void CQuarvelDoc::StopWorker() {
    if (IsWorkerRunning()) {
        exec_.run.RequestClose();
        if (session_ && session_->IsConnected())
            session_->Break();
    }
    WaitForWorker();
}

void CQuarvelDoc::OnAddToRecentFiles(const std::string& path) {
    platform::AddRecentFile(app_.recentFiles, path, platform::UserProfile::kRecentFileCount);
}

bool CQuarvelDoc::ShowMessage(const std::string& text, bool question) const {
    // Without a window to ask in, a question is answered Cancel: nothing is overwritten unasked.
    if (!app_.showMessage)
        return false;
    return app_.showMessage(text, question);
}

void CQuarvelDoc::ReportFrameworkError(uint32_t stringId) {
    if (app_.showFrameworkError)
        app_.showFrameworkError(stringId);
}
