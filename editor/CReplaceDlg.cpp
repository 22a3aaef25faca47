#include "CReplaceDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CFlatButton.h"
#include "EditorView.h"
#include "TextSearch.h"

namespace editor {

// The session's target: the editing view, with the busy cursor and one repaint for Replace All.
class CReplaceDlg::CViewTarget : public CSearchTarget {
public:
    explicit CViewTarget(CEditorView& view) : view_(view) {}

    bool FindText(std::string_view text, TextPosition start, uint32_t flags, bool wrap,
                  TextPosition& found) override {
        return view_.FindText(text, start, flags, wrap, found);
    }
    bool FindInBlock(std::string_view text, TextPosition start, TextPosition blockBegin, TextPosition blockEnd,
                     uint32_t flags, bool wrap, TextPosition& found) override {
        return view_.FindInBlock(text, start, blockBegin, blockEnd, flags, wrap, found);
    }
    void HighlightMatch(TextPosition position, int32_t length) override { view_.HighlightMatch(position, length); }
    bool ReplaceSelection(const std::string& text, TextPosition& insertedEnd) override {
        return view_.ReplaceSelection(text, insertedEnd);
    }
    void ShowNotFound(const std::string& text) override { view_.ShowMessage(NotFoundMessage(text)); }
    void BeginLongRun() override {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        view_.BeginBatch();
    }
    void EndLongRun() override {
        view_.EndBatch();
        QApplication::restoreOverrideCursor();
    }

private:
    CEditorView& view_;
};

CReplaceDlg::CReplaceDlg(CEditorView& view, TextPosition caret, std::optional<CReplaceSession::Block> selection,
                         const SearchOptions& texts, QWidget* parent)
    : QDialog(parent), view_(view), target_(std::make_unique<CViewTarget>(view)),
      session_(std::make_unique<CReplaceSession>(*target_, caret, selection)) {
    setWindowTitle(QStringLiteral("Quarvel [Replace]"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    text_ = new QLineEdit(QString::fromStdString(texts.findWhat), this);
    text_->setObjectName(QString::number(kTextId));
    text_->setMinimumWidth(260);
    replacement_ = new QLineEdit(QString::fromStdString(texts.replaceWith), this);
    replacement_->setObjectName(QString::number(kReplacementId));
    auto* textLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    textLabel->setBuddy(text_);
    auto* replacementLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    replacementLabel->setBuddy(replacement_);

    // Both options start cleared, whatever the last search used.
    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    wholeWord_->setObjectName(QString::number(kWholeWordId));
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    matchCase_->setObjectName(QString::number(kMatchCaseId));

    auto* scope = new QGroupBox(QStringLiteral("Replace in"), this);
    selection_ = new QRadioButton(QStringLiteral("&Selection"), scope);
    selection_->setObjectName(QString::number(kSelectionId));
    selection_->setEnabled(session_->SelectionScopeAllowed());
    wholeFile_ = new QRadioButton(QStringLiteral("Wh&ole file"), scope);
    wholeFile_->setObjectName(QString::number(kWholeFileId));
    wholeFile_->setChecked(true);
    auto* scopeColumn = new QVBoxLayout(scope);
    scopeColumn->addWidget(selection_);
    scopeColumn->addWidget(wholeFile_);

    auto* findNext = new widgets::CFlatButton(QStringLiteral("&Find Next"), this);
    findNext->setObjectName(QString::number(kFindNextId));
    findNext->setDefault(true);
    auto* replace = new widgets::CFlatButton(QStringLiteral("&Replace"), this);
    replace->setObjectName(QString::number(kReplaceId));
    auto* replaceAll = new widgets::CFlatButton(QStringLiteral("Replace &All"), this);
    replaceAll->setObjectName(QString::number(kReplaceAllId));
    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(kCancelId));
    connect(findNext, &QPushButton::clicked, this, [this] {
        if (Prepare())
            session_->FindNext();
    });
    connect(replace, &QPushButton::clicked, this, [this] {
        if (Prepare())
            session_->Replace();
    });
    connect(replaceAll, &QPushButton::clicked, this, [this] {
        if (Prepare())
            session_->ReplaceAll();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // With nothing to find, none of the three buttons has anything to do.
    auto updateButtons = [this, findNext, replace, replaceAll] {
        const bool any = !text_->text().isEmpty();
        findNext->setEnabled(any);
        replace->setEnabled(any);
        replaceAll->setEnabled(any);
    };
    connect(text_, &QLineEdit::textChanged, this, updateButtons);
    updateButtons();

    auto* fields = new QGridLayout;
    fields->addWidget(textLabel, 0, 0);
    fields->addWidget(text_, 0, 1, 1, 2);
    fields->addWidget(replacementLabel, 1, 0);
    fields->addWidget(replacement_, 1, 1, 1, 2);
    auto* optionBox = new QVBoxLayout;
    optionBox->addWidget(wholeWord_);
    optionBox->addWidget(matchCase_);
    optionBox->addStretch(1);
    fields->addLayout(optionBox, 2, 0, 1, 2);
    fields->addWidget(scope, 2, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(replace);
    buttons->addWidget(replaceAll);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    text_->selectAll();
    text_->setFocus();
}

CReplaceDlg::~CReplaceDlg() = default;

SearchOptions CReplaceDlg::Options() const {
    SearchOptions options;
    options.matchCase = matchCase_->isChecked();
    options.wholeWord = wholeWord_->isChecked();
    options.findWhat = text_->text().toStdString();
    options.replaceWith = replacement_->text().toStdString();
    return options;
}

bool CReplaceDlg::Prepare() {
    // A statement that started meanwhile owns the text: the dialog does nothing until it ends.
    if (!view_.IsInputEnabled() || !view_.IsEditable())
        return false;
    const SearchOptions options = Options();
    if (options.findWhat.empty())
        return false;
    session_->SetTexts(options.findWhat, options.replaceWith);
    session_->SetOptions(options.matchCase, options.wholeWord);
    session_->SetSelectionScope(selection_->isChecked());
    return true;
}

} // namespace editor
