// The page margins of printed text, kept in the per-user profile (Quarvel.ini), section
// "TextEditor\PageSetup": LeftMargin, RightMargin, TopMargin and BottomMargin in hundredths of a
// millimetre, 1000 (10 mm) each when absent. A stored value below 0 reads as 0.
//
// Thread contract: UI thread only (the profile's).
#pragma once

#include <cstdint>

class QWidget;

namespace editor {

struct PageMargins {
    static constexpr int32_t kDefault = 1000;
    int32_t left = kDefault;
    int32_t right = kDefault;
    int32_t top = kDefault;
    int32_t bottom = kDefault;
};

PageMargins ReadPageMargins();
// False when the profile could not be written.
bool WritePageMargins(const PageMargins& margins);

// The platform's page-setup dialog over the saved margins, shown in millimetres; paper and
// orientation cannot be changed there (the text is always printed on the printer's own paper).
// Confirming writes the four margins back. Returns false when the user cancelled or the margins
// could not be written (then `writeFailed` is set).
bool RunPageSetupDialog(QWidget* parent, bool& writeFailed);

} // namespace editor
