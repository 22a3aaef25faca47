// The document/view layer and the SQL document: settings at construction, titles, open and save,
// the question before closing, and the worker hook.
#include "CQuarvelDoc.h"
#include "CView.h"
#include "IniSettingsKey.h"
#include "SmallDisk.h"
#include "SyncSend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class ConfigDir {
public:
    ConfigDir() {
        char pattern[] = "/tmp/quarvel-doc-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", dir_.c_str(), 1);
    }
    ~ConfigDir() {
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void Store(const std::string& name, const std::string& value) {
        auto key = platform::IniSettingsKey::OpenProgramCreating();
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->Write(name, value));
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

struct RecordingView : CView {
    std::vector<intptr_t> hints;
    CDocument* removeOnUpdate = nullptr;
    void OnUpdate(CView*, intptr_t hint) override {
        hints.push_back(hint);
        if (removeOnUpdate)
            removeOnUpdate->RemoveView(this);
    }
};

struct SavingDocument : CDocument {
    bool saveResult = true;
    std::vector<std::string> savedTo;
    bool OnSaveDocument(const std::string& path) override {
        savedTo.push_back(path);
        if (saveResult)
            SetModifiedFlag(false);
        return saveResult;
    }
};

} // namespace

TEST(CDocument, UpdateAllViewsSkipsTheSenderAndSurvivesAViewLeaving) {
    CDocument doc;
    RecordingView a, b, c;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&c);
    doc.AddView(&a); // once only
    EXPECT_EQ(doc.Views().size(), 3u);
    EXPECT_EQ(a.GetDocument(), &doc);
    b.removeOnUpdate = &doc;
    doc.UpdateAllViews(&a, 7);
    EXPECT_TRUE(a.hints.empty());
    EXPECT_EQ(b.hints, std::vector<intptr_t>{7});
    EXPECT_EQ(c.hints, std::vector<intptr_t>{7});
    EXPECT_EQ(doc.Views().size(), 2u);
    EXPECT_EQ(b.GetDocument(), nullptr);
}

TEST(CDocument, ClosingAskWithTheTitleAndActsOnTheAnswer) {
    SavingDocument doc;
    doc.SetTitle("Untitled");
    int asked = 0;
    std::string question;
    CDocument::SaveAnswer answer = CDocument::SaveAnswer::Cancel;
    std::string chosen;
    CDocument::CloseHooks hooks{[&](const std::string& q) {
                                    ++asked;
                                    question = q;
                                    return answer;
                                },
                                [&] { return chosen; }};

    EXPECT_TRUE(doc.SaveModified(hooks)); // not modified: no question
    EXPECT_EQ(asked, 0);

    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.SaveModified(hooks));
    EXPECT_EQ(question, "Save changes to Untitled?");
    answer = CDocument::SaveAnswer::No;
    EXPECT_TRUE(doc.SaveModified(hooks));
    EXPECT_TRUE(doc.savedTo.empty());

    answer = CDocument::SaveAnswer::Yes; // no path: the save dialog is cancelled
    EXPECT_FALSE(doc.SaveModified(hooks));
    chosen = "/tmp/x/chosen.sql";
    doc.saveResult = false;
    EXPECT_FALSE(doc.SaveModified(hooks)); // failed save keeps the window
    doc.saveResult = true;
    EXPECT_TRUE(doc.SaveModified(hooks));
    EXPECT_EQ(doc.savedTo.back(), "/tmp/x/chosen.sql");
    EXPECT_EQ(doc.GetTitle(), "chosen.sql");

    doc.SetModifiedFlag(true);
    answer = CDocument::SaveAnswer::Cancel;
    doc.SaveModified(hooks);
    EXPECT_EQ(question, "Save changes to chosen.sql?");
    answer = CDocument::SaveAnswer::Yes; // has a path now: saved there without asking for one
    chosen.clear();
    EXPECT_TRUE(doc.SaveModified(hooks));
    EXPECT_EQ(doc.savedTo.back(), "/tmp/x/chosen.sql");
}

TEST(CQuarvelDoc, WithoutSettingsFileTakesDefaultsAndTheApplicationsFields) {
    ConfigDir config;
    ApplicationFields app;
    app.lastUserName = "SCOTT";
    app.lastConnectString = "ORCL";
    CQuarvelDoc doc(app);
    EXPECT_EQ(doc.Settings().firstFetchCount, 50);
    EXPECT_EQ(doc.Settings().dbmsOutputBufferSize, 20000);
    EXPECT_EQ(doc.Settings().showSqlOutputWindow, 1);
    EXPECT_EQ(doc.Settings().explainPlanTableName, "PLAN_TABLE");
    EXPECT_EQ(doc.WindowTitle(), "Quarvel [SCOTT@ORCL] - New SQL Script");
    EXPECT_EQ(doc.GetTitle(), "Quarvel [SCOTT@ORCL] - New SQL Script");
    EXPECT_EQ(doc.FileName(), "New SQL Script");
    EXPECT_EQ(app.currentDocument.load(), &doc);
    EXPECT_EQ(doc.Font().height, 16);
    EXPECT_EQ(doc.Font().width, 8);
    EXPECT_EQ(doc.Font().weight, 400);
    EXPECT_EQ(doc.Font().pitchAndFamily, 0x20);
    EXPECT_EQ(doc.Font().faceName, "Courier");
    EXPECT_EQ(doc.State().autoformatByData, 1);
    EXPECT_EQ(doc.State().autoformatByName, 1);
    EXPECT_EQ(doc.State().serverOutputOn, 0);
    EXPECT_FALSE(doc.IsWorkerRunning());
    EXPECT_TRUE(app.recentFiles.empty());
    EXPECT_FALSE(fs::exists(config.Dir() + "/VORANTE.ini")); // reading never creates the key
}

TEST(CQuarvelDoc, StoredSettingsAreReadOnceAtConstruction) {
    ConfigDir config;
    config.Store("SQLFirstFetchCount", "  75");
    config.Store("DbmsOutputBufferSize", "abc");
    config.Store("ShowSqlOutputWindow", "0");
    config.Store("ExplainPlanTableName", "");
    ApplicationFields app;
    CQuarvelDoc doc(app);
    EXPECT_EQ(doc.Settings().firstFetchCount, 75);
    EXPECT_EQ(doc.Settings().dbmsOutputBufferSize, 0);
    EXPECT_EQ(doc.Settings().showSqlOutputWindow, 0);
    EXPECT_EQ(doc.Settings().explainPlanTableName, "");
    EXPECT_EQ(doc.WindowTitle(), "Quarvel [@] - New SQL Script");
    config.Store("SQLFirstFetchCount", "10");
    EXPECT_EQ(doc.Settings().firstFetchCount, 75); // an open document keeps its values
}

TEST(CQuarvelDoc, TextChangesMarkTheDocumentAndOpenSaveKeepTheFileName) {
    ConfigDir config;
    ApplicationFields app;
    CQuarvelDoc doc(app);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    int32_t endLine = 0, endChar = 0;
    ASSERT_TRUE(doc.TextBuffer().Insert(nullptr, 0, 0, "select 1 from dual", endLine, endChar, 0));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.TextBuffer().IsModified()); // the flag lives in the document

    const std::string path = config.Dir() + "/a.sql";
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.FileName(), path);
    EXPECT_EQ(doc.GetTitle(), "a.sql");
    EXPECT_EQ(app.recentFiles, std::vector<std::string>{path});

    std::vector<std::string> frameworkErrors;
    app.showFrameworkError = [&](uint32_t id) { frameworkErrors.push_back(std::to_string(id)); };
    EXPECT_FALSE(doc.OnOpenDocument(config.Dir() + "/missing.sql"));
    EXPECT_EQ(doc.FileName(), path);
    EXPECT_EQ(frameworkErrors, std::vector<std::string>{"61697"});
    // Neither a missing file nor a folder costs the text already in the window.
    EXPECT_FALSE(doc.OnOpenDocument(config.Dir()));
    std::string kept;
    doc.TextBuffer().ReadText(0, 0, 0, 18, kept);
    EXPECT_EQ(kept, "select 1 from dual");
    EXPECT_FALSE(doc.OnSaveDocument(config.Dir() + "/no/such/folder/b.sql"));
    EXPECT_EQ(doc.FileName(), path);

    std::ofstream(config.Dir() + "/b.sql") << "select 2\nfrom dual";
    ASSERT_TRUE(doc.OnOpenDocument(config.Dir() + "/b.sql"));
    EXPECT_EQ(doc.FileName(), config.Dir() + "/b.sql");
    EXPECT_FALSE(doc.IsModified());
    std::string text;
    doc.TextBuffer().ReadText(0, 0, 1, 9, text);
    EXPECT_EQ(text, "select 2\r\nfrom dual");
}

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The window's message dialog as the document sees it: every text kept, questions answered in turn.
struct Messages {
    std::vector<std::string> texts;
    std::vector<bool> questions;
    bool answer = false;
    void Attach(ApplicationFields& app) {
        app.showMessage = [this](const std::string& text, bool question) {
            texts.push_back(text);
            questions.push_back(question);
            return question && answer;
        };
    }
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(CQuarvelDoc, AFileWithNulBytesIsReportedOnOpeningAndNotOverwrittenUnasked) {
    ConfigDir config;
    ApplicationFields app;
    Messages messages;
    messages.Attach(app);
    CQuarvelDoc doc(app);
    ASSERT_TRUE(doc.OnNewDocument());
    const std::string path = config.Dir() + "/nul.sql";
    static const char bytes[] = "select 1\0hidden\r\nfrom dual\r\nwhere\0 x\0 y\r\n-- end";
    const std::string original(bytes, sizeof bytes - 1);
    std::ofstream(path, std::ios::binary) << original;

    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_FALSE(messages.questions[0]);
    EXPECT_TRUE(Contains(messages.texts[0], path));
    EXPECT_TRUE(Contains(messages.texts[0], "2 lines of this file held a NUL byte")) << messages.texts[0];
    EXPECT_EQ(doc.TextBuffer().LineView(0), "select 1");
    EXPECT_EQ(doc.TextBuffer().LineView(2), "where");

    // Saving over it asks; Cancel (or no answer) keeps the file whole and the document modified.
    int32_t endLine = 0, endChar = 0;
    ASSERT_TRUE(doc.TextBuffer().Insert(nullptr, 2, 0, "-- more ", endLine, endChar, 0));
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_TRUE(messages.questions[1]);
    EXPECT_TRUE(Contains(messages.texts[1], path));
    EXPECT_TRUE(Contains(messages.texts[1], "2 lines cut at a NUL byte")) << messages.texts[1];
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_TRUE(doc.IsModified());
    // The same file by another name asks too.
    EXPECT_FALSE(doc.OnSaveDocument(config.Dir() + "/./nul.sql"));
    EXPECT_EQ(messages.texts.size(), 3u);
    EXPECT_EQ(ReadAll(path), original);

    // Another file is written without a question; the original still asks afterwards.
    const std::string other = config.Dir() + "/other.sql";
    ASSERT_TRUE(doc.OnSaveDocument(other));
    EXPECT_EQ(messages.texts.size(), 3u);
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_EQ(messages.texts.size(), 4u);

    // OK writes the shortened text; from then on the file holds what the window shows.
    messages.answer = true;
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(messages.texts.size(), 5u);
    EXPECT_EQ(ReadAll(path), "select 1\r\nfrom dual\r\n-- more where\r\n-- end");
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(messages.texts.size(), 5u);

    // A clean file says nothing and forgets the earlier cut.
    std::ofstream(path, std::ios::binary) << "select 2";
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(messages.texts.size(), 5u);
}

TEST(CQuarvelDoc, AFailedSaveNamesTheFileAndTheSystemsReasonAndStaysModified) {
    ConfigDir config;
    ApplicationFields app;
    Messages messages;
    messages.Attach(app);
    CQuarvelDoc doc(app);
    ASSERT_TRUE(doc.OnNewDocument());
    int32_t endLine = 0, endChar = 0;
    ASSERT_TRUE(doc.TextBuffer().Insert(nullptr, 0, 0, "select 1 from dual", endLine, endChar, 0));

    const std::string readOnly = config.Dir() + "/kept.sql";
    std::ofstream(readOnly) << "old";
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    fs::create_directory(config.Dir() + "/folder.sql");
    SmallDisk full(SmallDisk::Kind::Full);
    SmallDisk readOnlyDisk(SmallDisk::Kind::ReadOnly);
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases = {
        {config.Dir() + "/no/such/folder/b.sql", "No such file or directory"},
        {readOnly, "Permission denied"},
        {config.Dir() + "/folder.sql", "Is a directory"},
    };
    if (full.Mounted())
        cases.push_back({full.File("b.sql"), "No space left on device"});
    if (readOnlyDisk.Mounted())
        cases.push_back({readOnlyDisk.File("b.sql"), "Read-only file system"});
    for (const Case& c : cases) {
        messages.texts.clear();
        EXPECT_FALSE(doc.OnSaveDocument(c.path)) << c.path;
        ASSERT_EQ(messages.texts.size(), 1u) << c.path;
        EXPECT_EQ(messages.texts[0], "The text could not be saved to " + c.path + ":\n" + c.reason + ".");
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.FileName(), "New SQL Script");
    }
    EXPECT_EQ(ReadAll(readOnly), "old");
    if (full.Mounted()) {
        EXPECT_FALSE(fs::exists(full.File("b.sql")));
        EXPECT_EQ(std::distance(fs::directory_iterator(full.Dir()), fs::directory_iterator()), 1); // the filler
    }
}

namespace {
// Plays the editor window: it takes the worker's messages on the test (UI) thread.
struct FakeFrame : platform::MessageTarget {
    ~FakeFrame() override { CloseMessages(); }
    int received = 0;
    std::thread::id on;
    intptr_t HandleRegisteredMessage(uint32_t) override {
        ++received;
        on = std::this_thread::get_id();
        return 1;
    }
};
} // namespace

TEST(CQuarvelDoc, StopWorkerServesTheWorkersSendsUntilItEnds) {
    ConfigDir config;
    ApplicationFields app;
    FakeFrame frame;
    auto doc = std::make_unique<CQuarvelDoc>(app);
    doc->SetFrame(nullptr, frame.Handle());
    std::atomic<int> answers{0};
    std::atomic<bool> started{false};
    ASSERT_TRUE(doc->StartWorker([&](CQuarvelDoc& d) {
        started = true;
        // A long batch that sends for each row and ends when asked to stop.
        while (!d.StopRequested())
            answers += int(platform::Send(d.State().frameWindow, 1));
    }));
    EXPECT_TRUE(doc->IsWorkerRunning());
    EXPECT_FALSE(doc->StartWorker([](CQuarvelDoc&) {})); // one worker at a time
    while (!started)
        std::this_thread::yield();
    platform::WaitServingSends([&] { return answers.load() >= 3; });

    doc->StopWorker(); // would deadlock if it did not serve the worker's sends
    EXPECT_FALSE(doc->IsWorkerRunning());
    EXPECT_GE(frame.received, 3);
    EXPECT_EQ(frame.received, answers.load());
    EXPECT_EQ(frame.on, std::this_thread::get_id());

    // The next worker may start once the first ended.
    std::atomic<bool> second{false};
    ASSERT_TRUE(doc->StartWorker([&](CQuarvelDoc&) { second = true; }));
    doc->WaitForWorker();
    EXPECT_TRUE(second);
    EXPECT_EQ(app.currentDocument.load(), doc.get());
    doc.reset();
    EXPECT_EQ(app.currentDocument.load(), nullptr); // no worker can pick up a destroyed document
}

TEST(CQuarvelDoc, DestroyingTheDocumentWhileItsWorkerSendsWaitsForTheWorker) {
    ConfigDir config;
    ApplicationFields app;
    FakeFrame frame;
    auto doc = std::make_unique<CQuarvelDoc>(app);
    doc->SetFrame(nullptr, frame.Handle());
    std::atomic<bool> finished{false};
    std::atomic<bool> started{false};
    ASSERT_TRUE(doc->StartWorker([&](CQuarvelDoc& d) {
        started = true;
        while (!d.StopRequested()) {
            platform::Send(d.State().frameWindow, 1);
            std::this_thread::sleep_for(1ms);
        }
        // Still touches the document after the stop request: it must still be alive.
        d.State().outputText = "stopped";
        finished = true;
    }));
    while (!started)
        std::this_thread::yield();
    doc.reset();
    EXPECT_TRUE(finished);
}
