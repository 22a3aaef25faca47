// The undo history of one text buffer: the records, the undo position, the saved position, and the
// grouping of records into the steps that one Undo or Redo takes.
//
// Invariants (checked by IsConsistent):
//  1. 0 <= Position() <= Count() <= kLimit.
//  2. Records before Position() are applied to the text (undoable); records from it on are redoable.
//  3. SavedPosition() is -1 (the saved text cannot be reached by undo or redo any more) or lies in
//     [0, Count()]: stepping to it gives back the text as it was last loaded or saved.
//  4. A record without UR_GROUP_START belongs to the group before it. The first record lacks the flag
//     only when a merged run longer than the limit has dropped the whole history before it.
#pragma once

#include "UndoRecord.h"

#include <cstdint>
#include <deque>
#include <string>

namespace editor {

class CUndoHistory {
public:
    static constexpr int32_t kLimit = 1024;

    // Forgets every record; positions 0, no group open.
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(records_.size()); }
    int32_t Position() const { return position_; }
    const SUndoRecord& At(int32_t index) const { return records_[static_cast<size_t>(index)]; }
    bool HasUndo() const { return position_ >= 1 && position_ <= Count(); }
    bool HasRedo() const { return position_ < Count(); }
    // Undo and Redo step the position record by record; `position` must lie in [0, Count()].
    void SetPosition(int32_t position) { position_ = position; }

    // A group opened with `merge` adds no group start (unless the history is empty at that point), so
    // its records join the group before it: that is how a run of typed letters becomes one Undo step.
    void OpenGroup(bool merge);
    bool IsGroupOpen() const { return inGroup_; }
    // The next record added will start a new group.
    void StartNextGroup() { groupStartPending_ = true; }
    void CloseGroup() { inGroup_ = false; }

    // Adds a record (its UR_GROUP_START bit is set here when a group start is pending): forgets the
    // redo records, drops the oldest group when the history is full, and moves the position past it.
    void Add(SUndoRecord record);

    // The current position becomes the one that matches the file on disk.
    void MarkSaved() { saved_ = position_; }
    int32_t SavedPosition() const { return saved_; }
    bool IsAtSaved() const { return saved_ == position_; }

    // The index of the group start at or before `index` (0 when no record there starts a group).
    int32_t GroupStartAtOrBefore(int32_t index) const;
    // The index of the first group start after `index`, or -1 when none follows.
    int32_t NextGroupStartAfter(int32_t index) const;

    bool IsConsistent() const;

private:
    void DropOldestGroup();

    std::deque<SUndoRecord> records_; // a deque: the oldest group leaves from the front in O(1)
    int32_t position_ = 0;
    int32_t saved_ = 0;
    bool inGroup_ = false;
    bool groupStartPending_ = false;
};

} // namespace editor
