#include "CFindDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CFlatButton.h"
#include "TextSearch.h"
#include "TextView.h"

namespace editor {

CFindDlg::CFindDlg(CTextView& view, TextPosition start, const SearchOptions& options, QWidget* parent)
    : QDialog(parent), view_(view), start_(start) {
    setWindowTitle(QStringLiteral("Quarvel [Find]"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    text_ = new QLineEdit(QString::fromStdString(options.findWhat), this);
    text_->setObjectName(QString::number(kTextId));
    text_->setMinimumWidth(260);
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    label->setBuddy(text_);

    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    wholeWord_->setObjectName(QString::number(kWholeWordId));
    wholeWord_->setChecked(options.wholeWord);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    matchCase_->setObjectName(QString::number(kMatchCaseId));
    matchCase_->setChecked(options.matchCase);

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    up_->setObjectName(QString::number(kUpId));
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setObjectName(QString::number(kDownId));
    down_->setChecked(true);
    auto* directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(up_);
    directionRow->addWidget(down_);

    findNext_ = new widgets::CFlatButton(QStringLiteral("&Find Next"), this);
    findNext_->setObjectName(QString::number(kFindNextId));
    findNext_->setDefault(true);
    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(kCancelId));
    connect(findNext_, &QPushButton::clicked, this, [this] { OnFindNext(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto updateButton = [this] { findNext_->setEnabled(!text_->text().isEmpty()); };
    connect(text_, &QLineEdit::textChanged, this, updateButton);
    updateButton();

    auto* fields = new QGridLayout;
    fields->addWidget(label, 0, 0);
    fields->addWidget(text_, 0, 1, 1, 2);
    auto* optionBox = new QVBoxLayout;
    optionBox->addWidget(wholeWord_);
    optionBox->addWidget(matchCase_);
    optionBox->addStretch(1);
    fields->addLayout(optionBox, 1, 0, 1, 2);
    fields->addWidget(direction, 1, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    text_->selectAll();
    text_->setFocus();
}

SearchOptions CFindDlg::Options() const {
    SearchOptions options;
    options.matchCase = matchCase_->isChecked();
    options.wholeWord = wholeWord_->isChecked();
    options.findWhat = text_->text().toStdString();
    return options;
}

uint32_t CFindDlg::Flags() const {
    return (matchCase_->isChecked() ? FIND_MATCH_CASE : 0u) | (wholeWord_->isChecked() ? FIND_WHOLE_WORD : 0u) |
           (up_->isChecked() ? FIND_UP : 0u);
}

void CFindDlg::OnFindNext() {
    // A statement that started meanwhile owns the text: the dialog does nothing until it ends.
    if (!view_.IsInputEnabled())
        return;
    const std::string text = text_->text().toStdString();
    if (text.empty())
        return;
    TextPosition found;
    if (view_.FindText(text, start_, Flags(), true, found)) {
        view_.HighlightMatch(found, static_cast<int32_t>(text.size()));
        accept();
        return;
    }
    view_.ShowMessage(NotFoundMessage(text));
    start_ = TextPosition{0, 0};
}

} // namespace editor
