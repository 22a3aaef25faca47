#include "cPropertiesSql.h"

#include "CUpDownButtons.h"
#include "IniSettingsKey.h"
#include "MessageBox.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit* Field(int id, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::number(id));
    return field;
}

widgets::CUpDownButtons* Arrows(int id, QLineEdit* buddy, QWidget* parent) {
    auto* arrows = new widgets::CUpDownButtons(parent);
    arrows->setObjectName(QString::number(id));
    arrows->SetBuddy(buddy);
    return arrows;
}

// A check box with its text on the left of the box.
QCheckBox* Switch(int id, const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::number(id));
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

} // namespace

cPropertiesSql::cPropertiesSql(QWidget* parent) : QWidget(parent) {
    firstFetch_ = Field(kFirstFetchId, this);
    firstFetchSpin_ = Arrows(kFirstFetchSpinId, firstFetch_, this);
    bufferSize_ = Field(kBufferSizeId, this);
    bufferSizeSpin_ = Arrows(kBufferSizeSpinId, bufferSize_, this);
    saveHistory_ = Switch(kSaveHistoryId, "Save SQL-statements history", this);
    showOutput_ = Switch(kShowOutputId, "Show SQL Output Window", this);
    planTable_ = Field(kPlanTableId, this);

    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    auto withArrows = [](QLineEdit* field, QWidget* arrows) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(field, 1);
        row->addWidget(arrows);
        return row;
    };
    auto* grid = new QGridLayout(this);
    grid->addWidget(label("First fetch count", firstFetch_), 0, 0);
    grid->addLayout(withArrows(firstFetch_, firstFetchSpin_), 0, 1);
    grid->addWidget(label("DBMS_OUTPUT buffer size", bufferSize_), 1, 0);
    grid->addLayout(withArrows(bufferSize_, bufferSizeSpin_), 1, 1);
    grid->addWidget(saveHistory_, 2, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(showOutput_, 3, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(label("Explan Plan Table name", planTable_), 4, 0);
    grid->addWidget(planTable_, 4, 1);
    grid->setColumnMinimumWidth(1, 160);
    grid->setRowStretch(5, 1);
    grid->setContentsMargins(12, 12, 12, 12);

    // 1. Both arrows keep to the range; the fields do not.
    firstFetchSpin_->SetRange(kSettingsStepLower, kSettingsStepUpper);
    bufferSizeSpin_->SetRange(kSettingsStepLower, kSettingsStepUpper);
    // 2.-4. The stored values, or what stands for absent ones when there are none at all.
    std::unique_ptr<platform::IniSettingsKey> key = platform::IniSettingsKey::OpenProgramForReading();
    if (!key)
        MessageBoxById(strings::kNoSettingsKey);
    Show(ReadSettingsPage(key.get()));
}

void cPropertiesSql::Show(const SettingsPageValues& values) {
    firstFetch_->setText(QString::fromStdString(values.firstFetchCount));
    bufferSize_->setText(QString::fromStdString(values.dbmsOutputBufferSize));
    saveHistory_->setChecked(values.saveSqlHistory);
    showOutput_->setChecked(values.showSqlOutputWindow);
    planTable_->setText(QString::fromStdString(values.explainPlanTableName));
}

SettingsPageValues cPropertiesSql::Values() const {
    SettingsPageValues values;
    values.firstFetchCount = firstFetch_->text().toStdString();
    values.dbmsOutputBufferSize = bufferSize_->text().toStdString();
    values.saveSqlHistory = saveHistory_->isChecked();
    values.showSqlOutputWindow = showOutput_->isChecked();
    values.explainPlanTableName = planTable_->text().toStdString();
    return values;
}

bool cPropertiesSql::OnOK() {
    const std::string error = SaveSettingsPage(Values());
    if (error.empty())
        return true;
    MessageBoxText(error);
    return false;
}
