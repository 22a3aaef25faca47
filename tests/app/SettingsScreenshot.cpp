// Makes a picture of the settings dialog with a few stored values: quarvel-settings-screenshot OUT.png.
// Runs without a display (QT_QPA_PLATFORM=offscreen).
#include "GuiTestSupport.h"
#include "IniSettingsKey.h"
#include "cPropertiesDlg.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quarvel-settings-screenshot OUTPUT.png\n");
        return 2;
    }
    ConfigDir config;
    auto key = platform::IniSettingsKey::OpenProgramCreating();
    key->Write("SQLFirstFetchCount", "50");
    key->Write("DbmsOutputBufferSize", "20000");
    key->Write("SaveSqlHistory", "1");
    key->Write("ShowSqlOutputWindow", "0");
    cPropertiesDlg dialog;
    dialog.show();
    (void)QTest::qWaitForWindowExposed(&dialog);
    QTest::qWait(100);
    return dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
