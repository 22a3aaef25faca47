#include "PageSetup.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPageSetupDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

#include "UserProfile.h"

namespace editor {

namespace {

const char* const kSection = "TextEditor\\PageSetup";

int32_t Read(const platform::UserProfile& profile, const char* entry) {
    return std::max(0, profile.GetInt(kSection, entry, PageMargins::kDefault));
}

// The controls of the platform's dialog that choose paper and orientation: everything but the
// margins and their unit.
void DisablePaperAndOrientation(QPageSetupDialog& dialog) {
    for (QComboBox* box : dialog.findChildren<QComboBox*>()) {
        if (!box->objectName().startsWith(QStringLiteral("unit")))
            box->setEnabled(false);
    }
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const QString name = button->objectName();
        if (name.contains(QStringLiteral("ortrait")) || name.contains(QStringLiteral("andscape")))
            button->setEnabled(false);
    }
}

} // namespace

PageMargins ReadPageMargins() {
    const platform::UserProfile profile;
    PageMargins margins;
    margins.left = Read(profile, "LeftMargin");
    margins.right = Read(profile, "RightMargin");
    margins.top = Read(profile, "TopMargin");
    margins.bottom = Read(profile, "BottomMargin");
    return margins;
}

bool WritePageMargins(const PageMargins& margins) {
    platform::UserProfile profile;
    bool ok = profile.WriteInt(kSection, "LeftMargin", margins.left);
    ok = profile.WriteInt(kSection, "RightMargin", margins.right) && ok;
    ok = profile.WriteInt(kSection, "TopMargin", margins.top) && ok;
    ok = profile.WriteInt(kSection, "BottomMargin", margins.bottom) && ok;
    return ok;
}

bool RunPageSetupDialog(QWidget* parent, bool& writeFailed) {
    writeFailed = false;
    const PageMargins saved = ReadPageMargins();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(QMarginsF(saved.left / 100.0, saved.top / 100.0, saved.right / 100.0, saved.bottom / 100.0),
                           QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer, parent);
    DisablePaperAndOrientation(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QMarginsF mm = printer.pageLayout().margins(QPageLayout::Millimeter);
    auto hundredths = [](qreal value) { return static_cast<int32_t>(std::lround(std::max<qreal>(0, value) * 100)); };
    PageMargins chosen;
    chosen.left = hundredths(mm.left());
    chosen.right = hundredths(mm.right());
    chosen.top = hundredths(mm.top());
    chosen.bottom = hundredths(mm.bottom());
    if (!WritePageMargins(chosen)) {
        writeFailed = true;
        return false;
    }
    return true;
}

} // namespace editor
