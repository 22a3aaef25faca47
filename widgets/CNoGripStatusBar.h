// A status bar of fixed panes and no size grip. Each pane has a width in pixels or stretches over the
// room the others leave; the keyboard indicators show their text only while their key is locked.
#pragma once

#include <QStatusBar>
#include <QString>

#include <vector>

class QLabel;

namespace widgets {

class CNoGripStatusBar : public QStatusBar {
public:
    static constexpr int kStretch = -1;

    explicit CNoGripStatusBar(QWidget* parent = nullptr);

    // Adds a pane; `width` in pixels or kStretch. Returns its index.
    int AddPane(int width, const QString& text = QString());
    // Adds a keyboard indicator pane that shows `text` while it is on (off at first).
    int AddIndicator(const QString& text);

    void SetPaneText(int index, const QString& text);
    QString PaneText(int index) const;
    void SetIndicator(int index, bool on);
    int PaneCount() const { return int(panes_.size()); }
    int PaneWidth(int index) const;

private:
    struct Pane {
        QLabel* label;
        QString indicatorText; // empty for an ordinary pane
    };
    std::vector<Pane> panes_;
};

} // namespace widgets
