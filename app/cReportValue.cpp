#include "cReportValue.h"

#include "ApplicationFields.h"
#include "CFlatButton.h"
#include "CommandIcons.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QTextOption>

#include <algorithm>

namespace {

// The designed size; the anchors keep each control's distances to the edges from this size.
constexpr int kWidth = 520;
constexpr int kHeight = 340;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

cReportValue::cReportValue(const std::string& value, const std::string& columnName, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::number(kDialogId));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    frame_ = new QFrame(this);
    frame_->setFrameShape(QFrame::Box);
    frame_->setFrameShadow(QFrame::Sunken);

    value_ = new QPlainTextEdit(this);
    value_->setObjectName(QString::number(kValueId));
    value_->setReadOnly(true);
    value_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    value_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Long lines wrap at the field's width; a long word without blanks wraps too.
    value_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    value_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    column_ = new QLineEdit(this);
    column_->setObjectName(QString::number(kColumnId));
    column_->setReadOnly(true);

    // Only its own check mark changes: the value field wraps whatever its state.
    wrap_ = new QCheckBox(QStringLiteral("Wrap lines"), this);
    wrap_->setObjectName(QString::number(kWrapId));

    cancel_ = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QString::number(kCancelId));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    AddAnchor(frame_, QRect(6, 6, kWidth - 12, kHeight - 46), kLeft | kTop | kRight | kBottom);
    AddAnchor(value_, QRect(12, 12, kWidth - 24, kHeight - 88), kLeft | kTop | kRight | kBottom);
    AddAnchor(column_, QRect(12, kHeight - 70, kWidth - 24, 22), kLeft | kRight | kBottom);
    AddAnchor(wrap_, QRect(10, kHeight - 32, 120, 24), kLeft | kBottom);
    AddAnchor(cancel_, QRect(kWidth - 92, kHeight - 33, 84, 26), kRight | kBottom);

    wrap_->setChecked(false);
    // Line ends of any kind start a new line.
    QString shown = FromUtf8(value);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    value_->setPlainText(shown);
    column_->setText(FromUtf8(columnName));
    column_->setCursorPosition(0);
    setWindowTitle(QStringLiteral("Quarvel [") + FromUtf8(columnName) + QStringLiteral("]"));
    setWindowIcon(ApplicationIcon());

    setMinimumSize(260, 170);
    resize(kWidth, kHeight);
    LayOut();
    value_->setFocus(Qt::OtherFocusReason);
}

void cReportValue::AddAnchor(QWidget* widget, const QRect& designed, int edges) {
    anchors_.push_back({widget, designed, edges});
}

void cReportValue::LayOut() {
    const int dw = width() - kWidth;
    const int dh = height() - kHeight;
    for (const AnchoredControl& a : anchors_) {
        QRect r = a.designed;
        if ((a.edges & kLeft) && (a.edges & kRight))
            r.setWidth(std::max(0, r.width() + dw));
        else if (a.edges & kRight)
            r.moveLeft(r.left() + dw);
        if ((a.edges & kTop) && (a.edges & kBottom))
            r.setHeight(std::max(0, r.height() + dh));
        else if (a.edges & kBottom)
            r.moveTop(r.top() + dh);
        a.widget->setGeometry(r);
    }
}

void cReportValue::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void cReportValue::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    value_->setFocus(Qt::OtherFocusReason);
}

int ShowCellViewer(ApplicationFields& app, QWidget* parent) {
    // On the heap and watched: should the opener go while the viewer waits, it takes the viewer with it.
    QPointer<cReportValue> viewer = new cReportValue(app.cellValue, app.cellColumnName, parent);
    const int result = viewer->exec();
    delete viewer.data();
    return result;
}
