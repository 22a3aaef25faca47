// What the benchmarks that drive the real program share: the program started offscreen on settings of
// their own (the connect dialog that opens first is cancelled), and the closing of an editor window
// outside an event loop.
#pragma once

#include "CQuarvelDoc.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace bench {

// Stops the window's run, closes it and waits until it is gone: the window deletes itself later, and
// outside an event loop that needs asking for.
inline void CloseEditorWindow(QPointer<CSqlMainFrame>& frame, CQuarvelDoc* doc) {
    if (!frame)
        return;
    doc->StopWorker();
    frame->close();
    while (frame) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Runs the registered benchmarks inside the started program. The settings live in a fresh folder,
// with the settings file an installation leaves (no message at each new window); `prepare` runs once
// the application object exists, with that folder, and `finish` before the program ends.
inline int RunInProgram(int argc, char** argv, CTavrelApp*& theApp,
                        const std::function<void(const std::string& configFolder)>& prepare = {},
                        const std::function<void()>& finish = {}) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char configPattern[] = "/tmp/quarvel-bench-XXXXXX";
    const std::string config = mkdtemp(configPattern);
    setenv("QUARVEL_CONFIG_DIR", config.c_str(), 1);
    std::ofstream(config + "/VORANTE.ini").flush();
    QApplication qapp(argc, argv);
    if (prepare)
        prepare(config);
    {
        CTavrelApp app;
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        app.InitInstance({});
        theApp = &app;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        if (finish)
            finish();
        theApp = nullptr;
    }
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    return 0;
}

} // namespace bench
