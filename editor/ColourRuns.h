// The colouring of one line: a list of runs {start, colour index}. A run lasts until the next run's
// start or the line's end; text before the first run is plain (CI_NORMAL). Starts are byte offsets
// into the line, and a scan only ever starts a run on a character boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "ColourIndex.h"

namespace editor {

struct ColourRun {
    int32_t start = 0;
    int32_t colour = CI_NORMAL;
    friend constexpr bool operator==(const ColourRun&, const ColourRun&) = default;
};

// Runs are kept in non-decreasing order of start: a run that would start before the last one is
// dropped. Two runs at the same start are both kept; the earlier one is then empty and the later one
// wins. A list is meant to be reused line after line, so clear() keeps its storage.
class ColourRuns {
public:
    void Add(std::size_t start, int32_t colour) {
        // A start that a text position cannot express cannot be drawn either.
        if (start > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
            return;
        const auto at = static_cast<int32_t>(start);
        if (!runs_.empty() && at < runs_.back().start)
            return;
        runs_.push_back(ColourRun{at, colour});
    }

    void clear() { runs_.clear(); }
    bool empty() const { return runs_.empty(); }
    std::size_t size() const { return runs_.size(); }
    const ColourRun& operator[](std::size_t i) const { return runs_[i]; }
    std::vector<ColourRun>::const_iterator begin() const { return runs_.begin(); }
    std::vector<ColourRun>::const_iterator end() const { return runs_.end(); }
    const std::vector<ColourRun>& Runs() const { return runs_; }

    // The colour of byte offset `at` in a line: the last run starting at or before it, else plain.
    int32_t ColourAt(int32_t at) const {
        int32_t colour = CI_NORMAL;
        for (const ColourRun& run : runs_) {
            if (run.start > at)
                break;
            colour = run.colour;
        }
        return colour;
    }

private:
    std::vector<ColourRun> runs_;
};

} // namespace editor
