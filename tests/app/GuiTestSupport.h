// Helpers of the window tests: a fresh settings folder, a fresh embedded database, and a driver that
// answers modal dialogs in order while the code under test waits in them.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

// The program's settings key (VORANTE.ini) exists, empty, as an installed program has it; without
// it every new editor window first shows message 987 (RemoveProgramKey to see that).
class ConfigDir {
public:
    ConfigDir() {
        char pattern[] = "/tmp/quarvel-gui-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", dir_.c_str(), 1);
        std::ofstream(ProgramFile()).flush();
    }
    void RemoveProgramKey() const {
        std::error_code ignored;
        std::filesystem::remove(ProgramFile(), ignored);
    }
    ~ConfigDir() {
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& Dir() const { return dir_; }
    std::string ProgramFile() const { return dir_ + "/VORANTE.ini"; }

private:
    std::string dir_;
};

#if defined(LITEOCI_LIBRARY) && defined(LITEOCI_ADMIN)
// A fresh embedded database with DEMO/demo and SYS/sys (SYSDBA), the client pointed at this build's.
#include "TestDatabase.h"
#define QUARVEL_HAVE_TEST_DATABASE 1
#endif

template <class T>
bool Is(QWidget* w) {
    return dynamic_cast<T*>(w) != nullptr;
}

// Runs one action per modal dialog, in order, each when the active modal window matches its test.
// The action runs outside the driver's timer, so it may open a nested modal window itself.
class ModalDriver : public QObject {
public:
    using Test = std::function<bool(QWidget*)>;
    using Action = std::function<void(QWidget*)>;

    ModalDriver() {
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start(5);
    }
    ModalDriver& Then(Test test, Action action) {
        steps_.push_back({std::move(test), std::move(action)});
        return *this;
    }
    bool Done() const { return steps_.empty() && !pending_; }

private:
    void Tick() {
        if (pending_ || steps_.empty())
            return;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !steps_.front().first(modal))
            return;
        auto step = steps_.front();
        steps_.pop_front();
        pending_ = true;
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [this, step, target] {
            pending_ = false;
            if (target)
                step.second(target);
        });
    }

    QTimer timer_;
    std::deque<std::pair<Test, Action>> steps_;
    bool pending_ = false;
};
