#include "CQuarvelDoc.h"

#include "IniSettingsKey.h"
#include "RunEnd.h"
#include "SyncSend.h"
#include "UserProfile.h"
#include "WindowTitles.h"

#include <fstream>

void CQuarvelDoc::CDocTextBuffer::MarkModified(bool modified) {
    document_->SetModifiedFlag(modified);
}

CQuarvelDoc::CQuarvelDoc(ApplicationFields& app) : app_(app), textBuffer_(this) {
    session_ = std::move(app.pendingConnection);
    exec_.session = session_.get();
    userName_ = app.lastUserName;
    connectString_ = app.lastConnectString;
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
    textBuffer_.ResetToEmpty(editor::EOL_DOS);
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
    return true;
}

bool CQuarvelDoc::OnSaveDocument(const std::string& path) {
    if (!textBuffer_.SaveFile(path, editor::EOL_AUTO, true))
        return false;
    fileName_ = path;
    SetPathName(path, true);
    return true;
}

void CQuarvelDoc::DeleteContents() {
    textBuffer_.Clear();
}

std::string CQuarvelDoc::WindowTitle() const {
    return DocumentTitle(userName_, connectString_, fileName_);
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

void CQuarvelDoc::ReportFrameworkError(uint32_t stringId) {
    if (app_.showFrameworkError)
        app_.showFrameworkError(stringId);
}
