#include "CTavrelApp.h"

#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "MessageBox.h"
#include "UiThread.h"
#include "QtMessagePump.h"
#include "RegisteredMessages.h"
#include "StringTable.h"
#include "TerminateHandler.h"
#include "UserProfile.h"
#include "WindowTitles.h"
#include "cPropertiesDlg.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
CTavrelApp* theApp = nullptr;
} // namespace

CTavrelApp::CTavrelApp() {
    theApp = this;
}

CTavrelApp::~CTavrelApp() {
    mainFrame_.reset();
    pump_.reset();
    if (theApp == this)
        theApp = nullptr;
}

CTavrelApp* CTavrelApp::Instance() {
    return theApp;
}

bool CTavrelApp::InitInstance(const QStringList& arguments) {
    // 1. Unhandled exceptions end in message 1323.
    platform::SetUserInterfaceThread(std::this_thread::get_id());
    InstallTerminateHandler();
    // 4. The profile lives under VORANTE / Quarvel.
    QCoreApplication::setOrganizationName(QStringLiteral("VORANTE"));
    QCoreApplication::setApplicationName(QString::fromUtf8(LoadStringResource(strings::kAppTitle)));
    QApplication::setWindowIcon(ApplicationIcon());
    // 5. The registered messages, before any worker exists; sends from workers reach this thread's loop.
    platform::RegisterProgramMessages();
    pump_ = std::make_unique<platform::QtMessagePump>();
    fields_.showFrameworkError = [this](uint32_t id) {
        QMessageBox::warning(mainFrame_.get(), QStringLiteral("Quarvel"), QString::fromUtf8(LoadStringResource(id)));
    };
    fields_.showMessage = [](const std::string& text, bool question) {
        return MessageBoxText(text, question ? 1 : 0) == IDOK;
    };
    // 7. The profile's recent-file list (4 entries).
    fields_.recentFiles = platform::UserProfile().RecentFiles();
    // 8. The main window, maximized.
    mainFrame_ = std::make_unique<CMainFrame>(this);
    mainFrame_->setWindowIcon(ApplicationIcon());
    // 9. The command line: file names, opened once an editor window exists.
    commandLineFiles_ = arguments;
    // 10. Title and show.
    mainFrame_->SetCaptions(QString::fromUtf8(LoadStringResource(res::kMainFrame)));
    mainFrame_->showMaximized();
    // 12. The connect dialog comes first.
    NewConnection();
    return true;
}

void CTavrelApp::ExitInstance() {
    platform::UserProfile().WriteRecentFiles(fields_.recentFiles);
}

void CTavrelApp::NewConnection() {
    // The fields keep the last successful logon's user and connect string: the dialog offers them.
    {
        cSqlConnect dialog(fields_, mainFrame_.get());
        if (dialog.exec() != IDOK)
            return;
    }
    CSqlMainFrame* frame = OpenNewDocument();
    if (!frame) {
        fields_.startupPassword.clear();
        return;
    }
    const std::string user = fields_.lastSysdba ? fields_.lastUserName + " AS SYSDBA" : fields_.lastUserName;
    mainFrame_->SetCaptions(QString::fromStdString(ConnectionTitle(user, fields_.lastConnectString)));
    frame->SetActiveView(frame->TextPane());
    frame->TextPane()->setFocus(Qt::OtherFocusReason);
    OpenCommandLineFiles(frame);
}

CSqlMainFrame* CTavrelApp::OpenNewDocument() {
    auto doc = std::make_unique<CQuarvelDoc>(fields_);
    // The template has no strings of its own: every new document is "Untitled" to the framework.
    doc->SetTitle(LoadStringResource(strings::kUntitled));
    CQuarvelDoc* raw = doc.get();
    CSqlMainFrame* frame = CSqlMainFrame::Create(std::move(doc), mainFrame_.get());
    if (!frame) {
        if (fields_.showFrameworkError)
            fields_.showFrameworkError(strings::kFailedToCreateDocument);
        return nullptr;
    }
    mainFrame_->AddEditor(frame);
    raw->OnNewDocument();
    return frame;
}

namespace {
// Why a file cannot be opened for reading; empty when it can.
std::string OpenProblem(const std::string& path) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK); // a pipe must not hold the start-up up
    if (fd < 0)
        return std::strerror(errno != 0 ? errno : EIO);
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular ? std::string() : std::string("it is no regular file");
}
} // namespace

void CTavrelApp::OpenCommandLineFiles(CSqlMainFrame* frame) {
    const QStringList files = std::exchange(commandLineFiles_, QStringList());
    std::string password = std::exchange(fields_.startupPassword, std::string());
    CSqlMainFrame* target = frame; // the first file goes to the window that is there
    for (const QString& file : files) {
        const std::string path = QFile::encodeName(file).toStdString();
        if (const std::string problem = OpenProblem(path); !problem.empty()) {
            MessageBoxText(path + "\ncannot be opened: " + problem + ".");
            continue;
        }
        if (!target) {
            // Each further file gets a window of its own, on a session of the same connect.
            fields_.pendingConnection = std::make_unique<DBConnect>();
            try {
                if (fields_.lastSysdba)
                    fields_.pendingConnection->LogonSysdba(fields_.lastUserName.c_str(), password.c_str(),
                                                           fields_.lastConnectString.c_str());
                else
                    fields_.pendingConnection->Logon(fields_.lastUserName.c_str(), password.c_str(),
                                                     fields_.lastConnectString.c_str());
            } catch (const DBConnect::OtherException&) {
                MessageBoxText(path + "\ncannot be opened in a window of its own: " +
                               fields_.pendingConnection->ErrorText());
                fields_.pendingConnection.reset();
                continue;
            }
            target = OpenNewDocument();
            if (!target)
                continue;
        }
        if (target->TextPane() && target->TextPane()->OpenFilePath(path))
            target = nullptr;
    }
    std::fill(password.begin(), password.end(), '\0');
}

bool CTavrelApp::HandlesCommand(uint32_t id) const {
    return id == cmd::kNewConnection || id == cmd::kSettings || id == cmd::kAbout;
}

bool CTavrelApp::OnCommand(uint32_t id) {
    if (id == cmd::kNewConnection) {
        NewConnection();
        return true;
    }
    if (id == cmd::kSettings) {
        // No owner: the dialog stands on its own above every window; what it returns is not needed.
        cPropertiesDlg settings;
        settings.exec();
        return true;
    }
    if (id == cmd::kAbout) {
        CAboutDlg about(mainFrame_.get());
        about.exec();
        return true;
    }
    return false;
}
