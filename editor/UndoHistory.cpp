#include "UndoHistory.h"

#include <utility>

namespace editor {

void CUndoHistory::Clear() {
    records_.clear();
    position_ = 0;
    saved_ = 0;
    inGroup_ = false;
    groupStartPending_ = false;
}

void CUndoHistory::OpenGroup(bool merge) {
    inGroup_ = true;
    groupStartPending_ = position_ == 0 || !merge;
}

void CUndoHistory::Add(SUndoRecord record) {
    if (position_ < Count()) {
        records_.erase(records_.begin() + position_, records_.end());
        // The saved text lay in the redo part that is now gone: no position reaches it any more, and
        // the text must not be reported unmodified when some other edit happens to land there.
        if (saved_ > position_)
            saved_ = -1;
    }
    if (Count() >= kLimit)
        DropOldestGroup();

    record.flags &= UR_INSERT;
    if (groupStartPending_) {
        record.flags |= UR_GROUP_START;
        groupStartPending_ = false;
    }
    records_.push_back(std::move(record));
    position_ = Count();
}

void CUndoHistory::DropOldestGroup() {
    // From the first record up to (not including) the next one that starts a group; all of them when
    // none does, which is the case while one long merged run fills the whole history.
    int32_t next = NextGroupStartAfter(0);
    int32_t dropped = next < 0 ? Count() : next;
    records_.erase(records_.begin(), records_.begin() + dropped);
    position_ -= dropped;
    // Renumber the saved position; when the saved state's records are gone it cannot be reached again.
    if (saved_ >= 0)
        saved_ = saved_ >= dropped ? saved_ - dropped : -1;
}

int32_t CUndoHistory::GroupStartAtOrBefore(int32_t index) const {
    while (index > 0 && !At(index).StartsGroup())
        --index;
    return index < 0 ? 0 : index;
}

int32_t CUndoHistory::NextGroupStartAfter(int32_t index) const {
    for (int32_t i = index + 1; i < Count(); ++i) {
        if (At(i).StartsGroup())
            return i;
    }
    return -1;
}

bool CUndoHistory::IsConsistent() const {
    if (position_ < 0 || position_ > Count() || Count() > kLimit)
        return false;
    if (saved_ < -1 || saved_ > Count())
        return false;
    for (const SUndoRecord& r : records_) {
        if ((r.flags & ~(UR_INSERT | UR_GROUP_START)) != 0 || r.end < r.start)
            return false;
    }
    return true;
}

} // namespace editor
