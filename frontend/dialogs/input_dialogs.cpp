// The input mode's dialogs, laid out with Qt layouts.
#include "frontend/dialogs/input_dialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"

using namespace frontend;

namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kMessageChars = 511;  // MessageLine less its closing NUL

int32_t& word_a(int k) { return DialogExchangeBlocks.ExchangeBlockA[static_cast<std::size_t>(k)]; }

// Reads the whole number the field's text begins with into word (see core::read_field_number).
void read_field(const QLineEdit* field, int32_t& word) {
    core::read_field_number(ToCp1252(field->text()), word);
}

// An engine line as shown: up to its NUL, without trailing blanks.
template <int N>
QString line_text(const core::FixedText<N>& line) {
    std::string_view v = line.view();
    v = v.substr(0, std::min(v.find('\0'), v.size()));
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return FromCp1252(v);
}

QLineEdit* number_field(QDialog& dialog, int id, int32_t value) {
    auto* field = new QLineEdit(QString::number(value), &dialog);
    field->setObjectName(QStringLiteral("Edit%1").arg(id));
    return field;
}

QPushButton* button(QDialog& dialog, int id, const QString& label) {
    auto* b = new QPushButton(label, &dialog);
    b->setObjectName(QStringLiteral("Button%1").arg(id));
    b->setAutoDefault(false);
    return b;
}

// The OK and Cancel row; OK is the default button.
QHBoxLayout* ok_cancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    ok = button(dialog, 1, QStringLiteral("&OK"));
    ok->setDefault(true);
    row->addWidget(ok);
    cancel = button(dialog, 2, QStringLiteral("Cancel"));
    row->addWidget(cancel);
    return row;
}

}  // namespace

// -- IDD 233 -----------------------------------------------------------------------------------

CSpacingRangeDlg::CSpacingRangeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QLatin1String(kSpacingRangeDialogName));
    if (word_a(6) == 999) word_a(6) = 0;
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(line_text(core::FrontEndCommandBuffer), this);
    heading->setObjectName(QStringLiteral("Static1710"));
    layout->addWidget(heading);

    auto* fields = new QFormLayout;
    begin_ = number_field(*this, 1666, word_a(4));
    end_ = number_field(*this, 1665, word_a(5));
    staff_ = number_field(*this, 1672, word_a(6));
    fields->addRow(QStringLiteral("Begin Point"), begin_);
    fields->addRow(QStringLiteral("End Point"), end_);
    fields->addRow(QStringLiteral("Spacing Staff #"), staff_);
    layout->addLayout(fields);

    auto* ranges = new QHBoxLayout;
    const int starts[] = {0, 1, 2, 10};
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = button(*this, 1667 + i, QStringLiteral("%1 -> 200").arg(starts[i]));
        connect(b, &QPushButton::clicked, this, [this, start = starts[i]] { SetRange(start); });
        ranges->addWidget(b);
    }
    layout->addLayout(ranges);

    set_staff_ = new QCheckBox(QStringLiteral("Set Spacing Staff"), this);
    set_staff_->setObjectName(QStringLiteral("Check1673"));
    set_range_ = new QCheckBox(QStringLiteral("Set Input Range"), this);
    set_range_->setObjectName(QStringLiteral("Check1674"));
    connect(set_staff_, &QCheckBox::clicked, this, [this] { OnSetSpacingStaff(); });
    connect(set_range_, &QCheckBox::clicked, this, [this] { OnSetInputRange(); });
    layout->addWidget(set_staff_);
    layout->addWidget(set_range_);

    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    layout->addLayout(ok_cancel(*this, ok, cancel));
    connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel, &QPushButton::clicked, this, &CSpacingRangeDlg::reject);

    ShowState(word_a(6) != 0);
}

void CSpacingRangeDlg::ShowState(bool spacing_staff) {
    set_staff_->setChecked(spacing_staff);
    set_range_->setChecked(!spacing_staff);
    staff_->setEnabled(spacing_staff);
    begin_->setEnabled(!spacing_staff);
    end_->setEnabled(!spacing_staff);
}

// A range button: begin .. 200, no spacing staff.
void CSpacingRangeDlg::SetRange(int begin) {
    word_a(4) = begin;
    word_a(5) = 200;
    word_a(6) = 0;
    begin_->setText(QString::number(word_a(4)));
    end_->setText(QString::number(word_a(5)));
    staff_->setText(QString::number(word_a(6)));
    ShowState(false);
}

// Ticked: spacing staff 1 to start from; unticked: back to the input range, no spacing staff.
void CSpacingRangeDlg::OnSetSpacingStaff() {
    word_a(6) = set_staff_->isChecked() ? 1 : 0;
    staff_->setText(QString::number(word_a(6)));
    ShowState(set_staff_->isChecked());
}

// Ticked: no spacing staff; unticked: the spacing-staff state with the staff as it was.
void CSpacingRangeDlg::OnSetInputRange() {
    const bool range = set_range_->isChecked();
    if (range) {
        word_a(6) = 0;
        staff_->setText(QString::number(word_a(6)));
    }
    ShowState(!range);
}

void CSpacingRangeDlg::OnOk() {
    read_field(begin_, word_a(4));
    read_field(end_, word_a(5));
    read_field(staff_, word_a(6));
    done(kOk);
}

void CSpacingRangeDlg::reject() { done(kCancel); }

// -- IDD 289 -----------------------------------------------------------------------------------

CAddBarLinesDlg::CAddBarLinesDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QLatin1String(kAddBarLinesDialogName));
    setWindowTitle(QStringLiteral("Add Bar Lines"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const int ids[] = {1000, 1001, 1123, 1124};
    const char* labels[] = {"Top Meter Number", "Bottom Meter Number", "Number of PickUp Items",
                            "Number of Staves Up"};
    for (int i = 0; i < 4; ++i) {
        fields_[i] = number_field(*this, ids[i], word_a(i));
        form->addRow(QLatin1String(labels[i]), fields_[i]);
    }
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* ok = button(*this, 1, QStringLiteral("&OK"));
    ok->setDefault(true);
    row->addWidget(ok);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < 4; ++i) read_field(fields_[i], word_a(i));
        done(kOk);
    });
}

void CAddBarLinesDlg::reject() { done(kCancel); }

// -- IDD 149 -----------------------------------------------------------------------------------

CMusicInputDlg::CMusicInputDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QLatin1String(kMusicInputDialogName));
    setWindowTitle(QStringLiteral("Kelda Input"));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLineEdit(line_text(core::FrontEndCommandBuffer), this);
    prompt->setObjectName(QStringLiteral("Edit1565"));
    prompt->setReadOnly(true);
    layout->addWidget(prompt);
    const std::string_view shown = core::MessageLine.view();
    line_ =
        new QLineEdit(FromCp1252(shown.substr(0, std::min(shown.find('\0'), shown.size()))), this);
    line_->setObjectName(QStringLiteral("Edit1000"));
    line_->setMaxLength(kMessageChars);
    line_->setMinimumWidth(480);
    layout->addWidget(line_);
    core::MessageLine.blank();

    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    layout->addLayout(ok_cancel(*this, ok, cancel));
    connect(ok, &QPushButton::clicked, this, [this] {
        std::string typed = ToCp1252(line_->text());
        if (typed.size() > static_cast<std::size_t>(kMessageChars)) typed.resize(kMessageChars);
        core::MessageLine.set(typed);
        core::MessageLine(static_cast<int>(typed.size()) + 1) = '\0';
        done(kOk);
    });
    connect(cancel, &QPushButton::clicked, this, &CMusicInputDlg::reject);
    line_->setFocus();
}

void CMusicInputDlg::reject() { done(kCancel); }

// -- modal runs ---------------------------------------------------------------------------------

namespace frontend {

int ExecSpacingRangeDialog() {
    CSpacingRangeDlg dialog;
    return dialog.exec();
}

int ExecAddBarLinesDialog() {
    CAddBarLinesDlg dialog;
    return dialog.exec();
}

int ExecMusicInputDialog() {
    CMusicInputDlg dialog;
    return dialog.exec();
}

}  // namespace frontend
