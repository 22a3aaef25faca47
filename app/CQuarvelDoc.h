// The document of one editor window: its SQL text, its database session, the settings read when it
// was built, its file name and title, and the window's execution context (statement state and run).
//
// Lifetime: built by the new-connection command after a successful logon, destroyed when its window
// closes. It is never destroyed while its worker runs: the window stops the worker first (StopWorker),
// and the destructor does the same as a last safety net.
//
// Thread contract: built, changed and destroyed on the UI thread. The worker reads the session,
// settings and statement state while it runs, and reaches windows only through synchronous sends.
#pragma once

#include "ApplicationFields.h"
#include "CDocument.h"
#include "LogFont.h"
#include "ProgramSettings.h"
#include "ExecContext.h"
#include "TextBuffer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CSqlMainFrame;
class CSqlLeftView;

inline constexpr const char* kNewSqlScript = "New SQL Script";

class CQuarvelDoc : public CDocument {
public:
    // The text buffer that keeps its modified flag in the document.
    class CDocTextBuffer : public editor::CTextBuffer {
    public:
        explicit CDocTextBuffer(CQuarvelDoc* document) : document_(document) {}
        void MarkModified(bool modified) override;

    private:
        CQuarvelDoc* document_;
    };

    // Takes the pending session, user name and connect string from the application.
    explicit CQuarvelDoc(ApplicationFields& app);
    ~CQuarvelDoc() override;

    bool OnNewDocument() override;
    // Loads the file. A file whose lines were cut at NUL bytes is loaded, with a message that names it
    // and counts the cut lines.
    bool OnOpenDocument(const std::string& path) override;
    // Writes the text to `path`. Saving over a file that was opened with cut lines asks first (Cancel,
    // or no way to ask, keeps the file). A failed save shows the file's name and the system's reason and
    // leaves the document modified.
    bool OnSaveDocument(const std::string& path) override;
    void DeleteContents() override;
    // The window's caption follows the flag: a "*" after the file name while the text is modified.
    void SetModifiedFlag(bool modified = true) override;
    // Called with the new flag whenever it changes (the window's caption).
    void SetModifiedListener(std::function<void(bool)> listener) { modifiedListener_ = std::move(listener); }

    // "Quarvel [" + user + "@" + connect string + "] - " + file name.
    std::string WindowTitle() const;

    CDocTextBuffer& TextBuffer() { return textBuffer_; }
    const LogFont& Font() const { return font_; }
    DBConnect* Session() const { return session_.get(); }
    const std::string& UserName() const { return userName_; }
    const std::string& ConnectString() const { return connectString_; }
    // The user as the captions name it: "SYS AS SYSDBA" for a SYSDBA session.
    std::string CaptionUser() const { return sysdba_ ? userName_ + " AS SYSDBA" : userName_; }
    const platform::DocumentSettings& Settings() const { return exec_.settings; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    exec::StatementState& State() { return exec_.state; }
    exec::ExecContext& Exec() { return exec_; }
    ApplicationFields& App() { return app_; }

    CSqlLeftView* TextPane() const { return textPane_; }
    void SetTextPane(CSqlLeftView* pane, platform::MessageHandle window);
    CSqlMainFrame* Frame() const { return frame_; }
    void SetFrame(CSqlMainFrame* frame, platform::MessageHandle window);

    // The window's run. At most one is active; that is the guard every command tests.
    bool IsWorkerRunning() const { return exec_.run.IsActive(); }
    // Starts `body` as a run on a new thread with this document; the run ends when the body returns.
    // False when a run is active or no thread can start.
    bool StartWorker(std::function<void(CQuarvelDoc&)> body);
    // True once the window asked the running worker to stop or to end because it closes.
    bool StopRequested() const { return exec_.run.StopRequested() || exec_.run.CloseRequested(); }
    // UI thread: waits until the run has ended, serving the sends its worker makes meanwhile.
    void WaitForWorker() { exec_.run.Wait(); }
    // UI thread: the window closes: breaks the running call, asks the worker to end and waits for it
    // (serving its sends).
    void StopWorker();

protected:
    std::function<void(bool)> modifiedListener_;
    void OnAddToRecentFiles(const std::string& path) override;
    void ReportFrameworkError(uint32_t stringId) override;
    bool ShowMessage(const std::string& text, bool question) const;

private:
    ApplicationFields& app_;
    CDocTextBuffer textBuffer_;
    LogFont font_;
    std::unique_ptr<DBConnect> session_;
    std::string userName_;
    std::string connectString_;
    bool sysdba_ = false;
    std::string fileName_;
    // The file the text was opened from when the opening cut lines at NUL bytes, and how many: saving
    // over it would lose those bytes for good.
    std::string cutSource_;
    int32_t cutLines_ = 0;
    CSqlLeftView* textPane_ = nullptr;
    CSqlMainFrame* frame_ = nullptr;
    // Last: it is destroyed first, after its worker has ended.
    exec::ExecContext exec_;
};
