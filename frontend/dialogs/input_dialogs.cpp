// The input mode's dialogs, laid out with Qt layouts.
#include "frontend/dialogs/input_dialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"

using namespace frontend;

namespace {

constexpr int kOk = 1;
constexpr int kMessageChars = 511;  // MessageLine less its closing NUL

QLineEdit* number_field(QWidget* parent, int id, int32_t value) {
    return NamedControl(new QLineEdit(FormatInt(value), parent), id);
}

// The OK and Cancel row; OK is the default button.
QHBoxLayout* ok_cancel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    ok = ControlButton(parent, 1, QStringLiteral("&OK"));
    ok->setDefault(true);
    row->addWidget(ok);
    cancel = ControlButton(parent, 2, QStringLiteral("Cancel"));
    row->addWidget(cancel);
    return row;
}

}  // namespace

// -- IDD 233 -----------------------------------------------------------------------------------

CSpacingRangeDlg::CSpacingRangeDlg(QWidget* parent) : CEngineDialog(233, QString(), parent) {
    if (A(6) == 999) A(6) = 0;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Named(new QLabel(ShownLine(core::FrontEndCommandBuffer), this), 1710));

    auto* fields = new QFormLayout;
    begin_ = number_field(this, 1666, A(4));
    end_ = number_field(this, 1665, A(5));
    staff_ = number_field(this, 1672, A(6));
    fields->addRow(QStringLiteral("Begin Point"), begin_);
    fields->addRow(QStringLiteral("End Point"), end_);
    fields->addRow(QStringLiteral("Spacing Staff #"), staff_);
    layout->addLayout(fields);

    auto* ranges = new QHBoxLayout;
    const int starts[] = {0, 1, 2, 10};
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = ControlButton(this, 1667 + i, QStringLiteral("%1 -> 200").arg(starts[i]));
        connect(b, &QPushButton::clicked, this, [this, start = starts[i]] { SetRange(start); });
        ranges->addWidget(b);
    }
    layout->addLayout(ranges);

    set_staff_ = Named(new QCheckBox(QStringLiteral("Set Spacing Staff"), this), 1673);
    set_range_ = Named(new QCheckBox(QStringLiteral("Set Input Range"), this), 1674);
    connect(set_staff_, &QCheckBox::clicked, this, [this] { OnSetSpacingStaff(); });
    connect(set_range_, &QCheckBox::clicked, this, [this] { OnSetInputRange(); });
    layout->addWidget(set_staff_);
    layout->addWidget(set_range_);

    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    layout->addLayout(ok_cancel(this, ok, cancel));
    connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel, &QPushButton::clicked, this, &CSpacingRangeDlg::reject);

    ShowState(A(6) != 0);
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
    A(4) = begin;
    A(5) = 200;
    A(6) = 0;
    begin_->setText(FormatInt(A(4)));
    end_->setText(FormatInt(A(5)));
    staff_->setText(FormatInt(A(6)));
    ShowState(false);
}

// Ticked: spacing staff 1 to start from; unticked: back to the input range, no spacing staff.
void CSpacingRangeDlg::OnSetSpacingStaff() {
    A(6) = set_staff_->isChecked() ? 1 : 0;
    staff_->setText(FormatInt(A(6)));
    ShowState(set_staff_->isChecked());
}

// Ticked: no spacing staff; unticked: the spacing-staff state with the staff as it was.
void CSpacingRangeDlg::OnSetInputRange() {
    const bool range = set_range_->isChecked();
    if (range) {
        A(6) = 0;
        staff_->setText(FormatInt(A(6)));
    }
    ShowState(!range);
}

// Each field into its own word; one that does not begin with a number keeps its word. A number
// too big for its word refuses the whole range: the words stay as offered and the fields go back
// as typed (the spacing staff only when it was the one), for the engine to name and ask again.
void CSpacingRangeDlg::OnOk() {
    int32_t read[3] = {A(4), A(5), A(6)};
    QLineEdit* const fields[3] = {begin_, end_, staff_};
    bool past = false;
    bool staff_past = false;
    for (int k = 0; k < 3; ++k) {
        const bool refused =
            ReadIntField(fields[k]->text(), read[k]) == core::FieldNumber::PastRange;
        past = past || refused;
        staff_past = k == 2 && refused;
    }
    if (past) {
        QString typed = begin_->text().trimmed() + QLatin1Char(' ') + end_->text().trimmed();
        if (staff_past) typed += QLatin1Char(' ') + staff_->text().trimmed();
        core::FrontEndPathBuffer.set(ToCp1252(typed));
        End(input::kRangePastWord);
        return;
    }
    for (int k = 0; k < 3; ++k) A(4 + k) = read[k];
    End(kOk);
}

// -- IDD 289 -----------------------------------------------------------------------------------

CAddBarLinesDlg::CAddBarLinesDlg(QWidget* parent)
    : CEngineDialog(289, QStringLiteral("Add Bar Lines"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const int ids[] = {1000, 1001, 1123, 1124};
    const char* labels[] = {"Top Meter Number", "Bottom Meter Number", "Number of PickUp Items",
                            "Number of Staves Up"};
    for (int i = 0; i < 4; ++i) {
        fields_[i] = number_field(this, ids[i], A(i));
        form->addRow(QLatin1String(labels[i]), fields_[i]);
    }
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* ok = ControlButton(this, 1, QStringLiteral("&OK"));
    ok->setDefault(true);
    row->addWidget(ok);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < 4; ++i) ReadInt(fields_[i]->text(), A(i));
        End(kOk);
    });
}

// -- IDD 149 -----------------------------------------------------------------------------------

CMusicInputDlg::CMusicInputDlg(QWidget* parent)
    : CEngineDialog(149, QStringLiteral("Kelda Input"), parent) {
    // The engine keeps its own copy of the line; Cancel answers with it blank.
    KeepChangesOnCancel();
    auto* layout = new QVBoxLayout(this);
    auto* prompt = Named(new QLineEdit(ShownLine(core::FrontEndCommandBuffer), this), 1565);
    prompt->setReadOnly(true);
    layout->addWidget(prompt);
    line_ = Named(new QLineEdit(ShownLine(core::MessageLine), this), 1000);
    line_->setMaxLength(kMessageChars);
    line_->setMinimumWidth(480);
    layout->addWidget(line_);
    core::clear_exchange_text();

    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    layout->addLayout(ok_cancel(this, ok, cancel));
    connect(ok, &QPushButton::clicked, this, [this] {
        StoreAnswerLine(line_->text());
        End(kOk);
    });
    connect(cancel, &QPushButton::clicked, this, &CMusicInputDlg::reject);
    line_->setFocus();
}

// -- registration -------------------------------------------------------------------------------

namespace frontend {

void RegisterInputDialogs() {
    RegisterDialogClass({233,
                         QString(),
                         [](QWidget* p) { return std::make_unique<CSpacingRangeDlg>(p); },
                         {1710, 1666, 1665, 1672, 1667, 1668, 1669, 1670, 1673, 1674, 1, 2}});
    RegisterDialogClass({289,
                         QStringLiteral("Add Bar Lines"),
                         [](QWidget* p) { return std::make_unique<CAddBarLinesDlg>(p); },
                         {1000, 1001, 1123, 1124, 1}});
    RegisterDialogClass({149,
                         QStringLiteral("Kelda Input"),
                         [](QWidget* p) { return std::make_unique<CMusicInputDlg>(p); },
                         {1565, 1000, 1, 2}});
}

}  // namespace frontend
