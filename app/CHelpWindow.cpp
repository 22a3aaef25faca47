#include "CHelpWindow.h"

#include "CommandIds.h"
#include "Resources.h"

#include <QDialogButtonBox>
#include <QKeySequence>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <map>
#include <set>
#include <vector>

namespace {

// A menu text without its mnemonic marks and without the key that the text carries after it.
QString CommandName(const char* text) {
    QString name = QString::fromUtf8(text);
    const qsizetype tab = name.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        name.truncate(tab);
    // The menu puts its keys after a run of spaces.
    const qsizetype gap = name.indexOf(QStringLiteral("  "));
    if (gap >= 0)
        name.truncate(gap);
    name.remove(QLatin1Char('&'));
    return name.trimmed();
}

// The key a menu text names after its command (the text pane's own keys, such as Ctrl+F, are not
// in the accelerator table but are written in the menu).
QString MenuKey(const char* text) {
    QString name = QString::fromUtf8(text);
    const qsizetype tab = name.indexOf(QLatin1Char('\t'));
    const qsizetype gap = tab >= 0 ? tab : name.indexOf(QStringLiteral("  "));
    return gap >= 0 ? name.mid(gap).trimmed() : QString();
}

QString KeyText(const char* keys) {
    return QKeySequence(QString::fromUtf8(keys), QKeySequence::PortableText).toString(QKeySequence::NativeText);
}

} // namespace

QString CHelpWindow::HelpText() {
    std::map<uint32_t, QStringList> keysOf;
    for (const Accelerator& accelerator : MainAccelerators())
        keysOf[accelerator.id] << KeyText(accelerator.keys);

    QString html = QStringLiteral("<h2>Quarvel commands</h2><table cellspacing='0' cellpadding='3'>"
                                  "<tr><th align='left'>Command</th><th align='left'>Menu</th>"
                                  "<th align='left'>Keys</th></tr>");
    std::set<uint32_t> listed;
    for (const MenuPopup& popup : MainMenu()) {
        QString title = QString::fromUtf8(popup.title);
        title.remove(QLatin1Char('&'));
        for (const MenuItem& item : popup.items) {
            if (item.id == 0)
                continue;
            listed.insert(item.id);
            QStringList keys = keysOf[item.id];
            const QString written = MenuKey(item.text);
            if (!written.isEmpty() && !keys.contains(written))
                keys.prepend(written);
            html += QStringLiteral("<tr><td>%1</td><td>%2 &gt; %1</td><td>%3</td></tr>")
                        .arg(CommandName(item.text).toHtmlEscaped(), title.toHtmlEscaped(),
                             keys.join(QStringLiteral(", ")).toHtmlEscaped());
        }
    }
    for (const MenuItem& item : SqlPaneContextMenu()) {
        if (item.id == 0 || listed.count(item.id))
            continue;
        listed.insert(item.id);
        const auto keys = keysOf.find(item.id);
        html += QStringLiteral("<tr><td>%1</td><td>SQL text context menu</td><td>%2</td></tr>")
                    .arg(CommandName(item.text).toHtmlEscaped(),
                         keys == keysOf.end() ? QString() : keys->second.join(QStringLiteral(", ")).toHtmlEscaped());
    }
    html += QStringLiteral("</table>");

    html += QStringLiteral(
        "<h3>In the SQL text</h3><ul>"
        "<li>F9 runs the selected text as one statement; Ctrl+Enter runs the selection, or without one the "
        "statement around the caret (blank lines and terminators bound it).</li>"
        "<li>F8 runs the selection as a script, statement by statement; F6 shows the plan of the selection.</li>"
        "<li>Ctrl+Z undo, Ctrl+Y or Ctrl+Shift+Z redo, Ctrl+Backspace and Ctrl+Delete delete a word.</li>"
        "<li>The right mouse button opens the text's menu; the middle button pastes the selection of "
        "another window.</li>"
        "<li>Ctrl+wheel, Ctrl+plus and Ctrl+minus zoom the text, Ctrl+0 sets it back.</li></ul>");

    html += QStringLiteral(
        "<h3>Starting on the embedded client</h3><ol>"
        "<li>Without an Oracle client on the machine, Quarvel uses its embedded client: the connect "
        "string is the path of a database file (a relative path starts from the current folder).</li>"
        "<li><tt>scripts/make-demo-db.sh</tt> makes the demo database <tt>demo.db</tt>; log on as DEMO "
        "with password demo and that file as the connect string.</li>"
        "<li><tt>liteoci-admin create FILE</tt> makes a new, empty database file; <tt>liteoci-admin user "
        "FILE NAME PASSWORD</tt> adds a user.</li>"
        "<li>Type <tt>select * from sites</tt>, select it and press F9; the rows appear in the grid.</li>"
        "</ol>");
    return html;
}

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quarvel Help"));
    setObjectName(QStringLiteral("HelpWindow"));
    setModal(false);
    browser_ = new QTextBrowser(this);
    browser_->setHtml(HelpText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(640, 560);
}
