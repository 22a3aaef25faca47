// The lines of an output list, kept by the list itself (no widget item per line), so that a script
// of a hundred thousand statements adds its notices in constant time each.
//
// Lines are stored cut to kLineLimit bytes (never inside a UTF-8 character): a notice that carries a
// huge statement costs the list a few kilobytes, not the statement's size, and is never laid out
// whole. Appended lines reach the views at the next Publish, a few times a second, so that a fast run
// does not lay the list out once per notice.
#pragma once

#include <QAbstractListModel>

#include <string>
#include <string_view>
#include <vector>

class OutputLines : public QAbstractListModel {
public:
    static constexpr size_t kLineLimit = 4000;

    explicit OutputLines(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // Inserts `text` (cut to kLineLimit) at `index`, clamped to the lines held. A line inserted among
    // the published ones publishes everything first.
    void Insert(int index, std::string_view text);
    // Drops every line.
    void Clear();
    // Tells the views about the lines appended since the last call; true when there were any.
    bool Publish();
    bool HasUnpublishedLines() const { return published_ < lines_.size(); }
    // True once a line of several lines was inserted (until Clear).
    bool HasMultiLineText() const { return multiLine_; }

    // Every line, published or not.
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Text(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<std::string> lines_;
    size_t published_ = 0;
    bool multiLine_ = false;
};

// At most `limit` bytes of `text`, never ending inside a UTF-8 character.
std::string_view CutUtf8(std::string_view text, size_t limit);
