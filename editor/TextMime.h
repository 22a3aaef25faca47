// Text on the clipboard and in drag data. Texts in the editor are bytes (UTF-8, with CR LF between
// lines). Other programs on this desktop exchange text/plain with LF between lines, so the plain text
// offered to them has LF line ends, and plain text taken from them has its LF and CR LF turned into
// the editor's CR LF. Text that comes from this program carries its exact bytes in a format of its
// own as well, so that copying and pasting inside the program never changes a byte (a lone LF inside
// a line stays a character of that line).
#pragma once

#include <string>

class QMimeData;

namespace editor {

inline constexpr const char* kEditorTextMime = "application/x-quarvel-text";

// A new mime data object holding `text` both ways.
QMimeData* MakeTextMimeData(const std::string& text);
// True when the data offers text in either form.
bool HasEditorText(const QMimeData* data);
// The text of the data as the editor keeps text; false when it holds none.
bool EditorTextFromMime(const QMimeData* data, std::string& text);

// The conversions at the boundary, exposed for tests.
std::string ToPlatformLineEnds(const std::string& text);
std::string FromPlatformLineEnds(const std::string& text);

} // namespace editor
