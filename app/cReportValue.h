// The cell viewer: the full text of one grid cell or output line in a resizable window, with the
// column's name below it. Its controls are anchored to the window's edges: the value field and its
// frame grow with the window, the column field and "Wrap lines" follow the bottom edge, Cancel the
// bottom-right corner.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct ApplicationFields;

class cReportValue : public QDialog {
public:
    static constexpr int kDialogId = 414;
    static constexpr int kValueId = 811;
    static constexpr int kColumnId = 827;
    static constexpr int kWrapId = 806;
    static constexpr int kCancelId = 2;

    cReportValue(const std::string& value, const std::string& columnName, QWidget* parent = nullptr);

    QPlainTextEdit* ValueField() const { return value_; }
    QLineEdit* ColumnField() const { return column_; }
    QCheckBox* WrapLines() const { return wrap_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Which edges of the dialog a control keeps its distance to.
    enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
    struct AnchoredControl {
        QWidget* widget;
        QRect designed; // where it sits in the dialog at its designed size
        int edges;
    };
    void AddAnchor(QWidget* widget, const QRect& designed, int edges);
    void LayOut();

    QFrame* frame_ = nullptr;
    QPlainTextEdit* value_ = nullptr;
    QLineEdit* column_ = nullptr;
    QCheckBox* wrap_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::vector<AnchoredControl> anchors_;
};

// Shows the cell viewer modally for the application's cell viewer texts (`cellValue`, `cellColumnName`),
// which the opener fills first, and destroys it when it closes. Returns the dialog's result.
int ShowCellViewer(ApplicationFields& app, QWidget* parent);
