// The application object: start-up, the fields that pass from the connect dialog to the next document
// and from the execution commands to their workers, the one document type, and the application's
// commands (new connection, settings, about).
//
// Build it after the QApplication, on the UI thread; one per process.
#pragma once

#include "ApplicationFields.h"
#include "CCmdTarget.h"

#include <QStringList>

#include <memory>

class CMainFrame;
class CSqlMainFrame;
namespace platform {
class QtMessagePump;
}

class CTavrelApp : public CCmdTarget {
public:
    CTavrelApp();
    ~CTavrelApp() override;
    CTavrelApp(const CTavrelApp&) = delete;
    CTavrelApp& operator=(const CTavrelApp&) = delete;

    static CTavrelApp* Instance();

    // Start-up. `arguments` are the command line without the program name: each is a file that the
    // first editor window opens after a successful connect. False ends the program.
    bool InitInstance(const QStringList& arguments = QStringList());
    // Writes the profile (the recent-file list).
    void ExitInstance();

    // Command 1117, also run once at the end of start-up.
    void NewConnection();
    // The document template: a new document on the pending session, its editor window, its new-document
    // initialisation. Null (after the framework's message) when the window cannot be built.
    CSqlMainFrame* OpenNewDocument();

    // Help requests have no effect.
    void WinHelp(uint32_t data, uint32_t command) {
        (void)data;
        (void)command;
    }

    ApplicationFields& Fields() { return fields_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

    bool OnCommand(uint32_t id) override;
    bool HandlesCommand(uint32_t id) const override;

private:
    void OpenCommandLineFiles(CSqlMainFrame* frame);

    ApplicationFields fields_;
    std::unique_ptr<platform::QtMessagePump> pump_;
    std::unique_ptr<CMainFrame> mainFrame_;
    QStringList commandLineFiles_;
};
