// Starting the user's text viewer on a file, for reading logs.
#pragma once

#include <string>

namespace platform {

// Opens `path` in a text viewer and returns at once, without waiting for the viewer. The viewer is the
// command line in $VISUAL when that is set (the path is added as its last argument), otherwise the
// desktop's handler for the file. It inherits the current directory. False when nothing could be
// started; callers report nothing in that case.
bool StartTextViewer(const std::string& path);

} // namespace platform
