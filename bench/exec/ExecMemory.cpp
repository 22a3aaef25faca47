// Peak memory of Execute (F9) on a large selection: a script of SIZE megabytes (default 50) of
// everyday SQL is handed to the execution command as the pane hands it over, with the real history
// writer (in a scratch working directory) and a stand-in output list that keeps only the lengths of
// its notices, on a session of the embedded client. Prints the process's peak memory growth while
// the command runs, as a multiple of the selection's size. The baseline, run as a process of its own
// (the peak is per process): the client's own share, the same text prepared and executed on a bare
// statement without the program's execution path.
// Usage: bench_exec_memory DATABASE [SIZE_MB] [client]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../editor_view/BigSqlFile.h"
#include "DBConnect.h"
#include "DBStmt.h"
#include "ExecContext.h"
#include "ExecHost.h"
#include "Execution.h"
#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "StatementHistory.h"
#include "SyncSend.h"

namespace {

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct OutputLengths : platform::MessageTarget {
    explicit OutputLengths(exec::ExecContext& cx) : cx_(cx) {}
    ~OutputLengths() override { CloseMessages(); }
    intptr_t HandleRegisteredMessage(uint32_t id) override {
        if (id == SQL_OUTPUT_MESSAGE)
            longest = std::max(longest, cx_.state.outputText.size());
        return 0;
    }
    size_t longest = 0;

private:
    exec::ExecContext& cx_;
};

struct Host : exec::ExecHost {
    void HideResultPane() override {}
    void ShowResultPane() override {}
    void ShowOutputPane() override {}
    void HideOutputPane() override {}
    void DisableInput() override {}
    void WriteHistory(const std::string& text) override { script::AppendStatementHistory(text, true); }
    void UpdateViews() override {}
    bool AskOkCancel(const std::string&) override { return false; }
    void RestoreCaret() override {}
    void MarkExecLine(int32_t) override {}
    void PlaceCaret(int32_t, int32_t) override {}
    void ShowMessageText(const std::string& text) override { message = text.substr(0, 120); }
    std::string message;
};

std::string Script(size_t bytes) {
    std::string text;
    text.reserve(bytes + 200);
    char line[160];
    for (int32_t y = 0; text.size() < bytes; ++y) {
        const int n = std::snprintf(line, sizeof line, bench::kSqlTemplates[y % bench::kSqlTemplateCount], y);
        text.append(line, static_cast<size_t>(n));
        text += "\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATABASE [SIZE_MB]\n", argv[0]);
        return 2;
    }
    const size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50;
    char scratch[] = "/tmp/quarvel-memory-XXXXXX";
    if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0)
        return 1;
    platform::RegisterProgramMessages();

    DBConnect session;
    try {
        session.Logon("DEMO", "demo", argv[1]);
    } catch (const DBConnect::OtherException&) {
        std::fprintf(stderr, "logon: %s\n", session.ErrorText());
        return 1;
    }
    const double size = static_cast<double>(megabytes) * 1024 * 1024;

    if (argc > 3 && std::string(argv[3]) == "client") {
        const std::string text = Script(static_cast<size_t>(size));
        const long before = PeakKilobytes();
        DBStmt stmt;
        try {
            stmt.Prepare(&session, text.c_str());
            stmt.Execute();
        } catch (const DBStmt::OtherException&) {
        }
        std::printf("client alone: %.2f x the text of %zu MB (%s)\n", (PeakKilobytes() - before) * 1024.0 / size,
                    megabytes, std::string(stmt.ErrorText()).substr(0, 80).c_str());
        session.Logoff();
        return 0;
    }

    exec::ExecContext cx;
    cx.session = &session;
    auto host = std::make_shared<Host>();
    cx.host = host;
    OutputLengths output(cx);
    cx.state.outputWindow = cx.state.gridWindow = cx.state.frameWindow = output.Handle();
    std::string selection = Script(static_cast<size_t>(size));
    const long before = PeakKilobytes();
    exec::ExecuteCommand(cx, std::move(selection), 0);
    cx.run.Wait();
    exec::DropStatement(cx);
    std::printf("execute: %.2f x the text of %zu MB (peak grew %ld MB; longest notice %zu bytes; %s)\n",
                (PeakKilobytes() - before) * 1024.0 / size, megabytes, (PeakKilobytes() - before) / 1024,
                output.longest, host->message.c_str());
    session.Logoff();
    std::string remove = std::string("rm -rf ") + scratch;
    return std::system(remove.c_str()) == 0 ? 0 : 1;
}
