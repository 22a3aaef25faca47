// The program's message box: the application icon, the text, and either one centred OK (which answers
// Cancel) or one of two alike OK/Cancel pairs. Escape and the close box answer Cancel.
#pragma once

#include <QDialog>

#include "MessageParameters.h"

class cMsgDialog : public QDialog {
public:
    static constexpr int kTextId = 828;
    static constexpr int kSingleOkId = 105;
    static constexpr int kAltOkId = 107;
    static constexpr int kAltCancelId = 108;

    explicit cMsgDialog(const MessageParameters& parameters, QWidget* parent = nullptr);

    void reject() override;

private:
    void AddButton(class QHBoxLayout* row, int id, const QString& text, int result);
};
