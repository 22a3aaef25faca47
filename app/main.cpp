// Quarvel: the program.
#include "CTavrelApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    CTavrelApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
