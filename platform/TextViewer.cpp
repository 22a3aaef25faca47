#include "TextViewer.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace platform {

bool StartTextViewer(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QString visual = qEnvironmentVariable("VISUAL").trimmed();
    if (!visual.isEmpty()) {
        QStringList arguments = QProcess::splitCommand(visual);
        if (arguments.isEmpty())
            return false;
        const QString program = arguments.takeFirst();
        arguments << file;
        return QProcess::startDetached(program, arguments);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace platform
