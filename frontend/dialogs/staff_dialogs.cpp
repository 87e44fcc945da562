// The staff and system dialogs: vertical spacing between staves, vertical justify, ripple
// bars, steps to move a box's edges and the two voice separations. Each reads its words from
// the exchange area when it is built and writes them back on OK; Cancel (the base) hands the
// area back as it came.
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <string>

#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr int kOk = 1;
constexpr int kMessageChars = 511;  // MessageLine less its closing NUL

// The form the staff spacing list was last typed in (0 pairs, 1 space then staves); kept
// between openings.
int32_t StaffSpacingFormat = 0;

// The dialogs of this family share their button row and number fields.
class CStaffFamilyDlg : public CEngineDialog {
  public:
    using CEngineDialog::CEngineDialog;

  protected:
    // A push button that never becomes the default by focus alone.
    QPushButton* Button(int id, const QString& label) {
        auto* b = Named(new QPushButton(label, this), id);
        b->setAutoDefault(false);
        return b;
    }
    // A field showing text, with its label, in form.
    QLineEdit* AddField(QFormLayout* form, int id, const QString& label, const QString& text) {
        auto* field = Named(new QLineEdit(text, this), id);
        form->addRow(label, field);
        return field;
    }
    // "OK" (default) and a cancel button (Cancel, Escape and the close box end alike).
    QPushButton* AddButtons(QVBoxLayout* layout, const QString& cancel_label) {
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Button(1, QStringLiteral("OK"));
        ok->setDefault(true);
        auto* cancel = Button(2, cancel_label);
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(cancel, &QPushButton::clicked, this, &CStaffFamilyDlg::reject);
        return ok;
    }
};

// -- Vertical spacing between staves -----------------------------------------------------------

// Two forms of a staff spacing list, each with its own edit; OK leaves the chosen form's text
// in MessageLine (NUL-ended, at most 511 characters) and ends with the form's number, so the
// first form answers 0.
class CStaffSpacingDlg : public CStaffFamilyDlg {
  public:
    explicit CStaffSpacingDlg(QWidget* parent)
        : CStaffFamilyDlg(176, QStringLiteral("Vertical spacing between staves"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* pairs = Named(
            new QRadioButton(
                QStringLiteral("Staff #, space,   staff #, space, . . . (0 = all staves)"), this),
            1002);
        pairs_edit_ = Named(new QLineEdit(this), 1584);
        auto* list = Named(new QRadioButton(QStringLiteral("Space, list of staff #s"), this), 1003);
        list_edit_ = Named(new QLineEdit(this), 1585);
        layout->addWidget(pairs);
        layout->addWidget(pairs_edit_);
        layout->addWidget(list);
        layout->addWidget(list_edit_);
        layout->addWidget(
            new QLabel(QStringLiteral("Staves higher than 200 will be ignored."), this));
        pairs_edit_->setEnabled(false);
        list_edit_->setEnabled(false);
        pairs_edit_->setMinimumWidth(360);
        connect(pairs, &QRadioButton::clicked, this, [this] { Choose(0); });
        connect(list, &QRadioButton::clicked, this, [this] { Choose(1); });
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this,
                [this] { OnOk(); });
    }

  private:
    void Choose(int32_t form) {
        pairs_edit_->setEnabled(form == 0);
        list_edit_->setEnabled(form == 1);
        StaffSpacingFormat = form;
    }
    void OnOk() {
        const QLineEdit* edit = StaffSpacingFormat == 0 ? pairs_edit_ : list_edit_;
        StoreAnswerBytes(ToCp1252(edit->text()), kMessageChars);
        End(StaffSpacingFormat);
    }
    QLineEdit* pairs_edit_;
    QLineEdit* list_edit_;
};

// -- Vertical Justify --------------------------------------------------------------------------

// Five numbers in A 0-4, preset at every opening to 4, 4, 12, 1, 200 (the block and the fields
// agree, so OK untouched gives what was shown).
class CVerticalJustifyDlg : public CStaffFamilyDlg {
  public:
    explicit CVerticalJustifyDlg(QWidget* parent)
        : CStaffFamilyDlg(163, QStringLiteral("Vertical Justify"), parent) {
        static constexpr std::array<int32_t, 5> kPresets = {4, 4, 12, 1, 200};
        static constexpr std::array<int, 5> kIds = {1000, 1001, 1123, 1124, 1125};
        static const std::array<QString, 5> kLabels = {
            QStringLiteral("Minimum vertical space steps."),
            QStringLiteral("Minimum horizontal space steps."),
            QStringLiteral("Minimum steps between staves."), QStringLiteral("Bottom staff number."),
            QStringLiteral("Number of staves to process.")};
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        for (int k = 0; k < 5; ++k) {
            A(k) = kPresets[k];
            fields_[k] = AddField(form, kIds[k], kLabels[k], FormatInt(A(k)));
        }
        layout->addLayout(form);
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this, [this] {
            for (int k = 0; k < 5; ++k) ReadInt(fields_[k]->text(), A(k));
            End(kOk);
        });
    }

  private:
    std::array<QLineEdit*, 5> fields_{};
};

// -- Ripple bars -------------------------------------------------------------------------------

// Staves per system, source and destination bottom staves and bars to move in A 0-3.
class CRippleBarsDlg : public CStaffFamilyDlg {
  public:
    explicit CRippleBarsDlg(QWidget* parent)
        : CStaffFamilyDlg(198, QStringLiteral("Ripple bars."), parent) {
        static constexpr std::array<int, 4> kIds = {1000, 1001, 1123, 1124};
        static const std::array<QString, 4> kLabels = {
            QStringLiteral("How many staves in a system?"),
            QStringLiteral("Type staff number of bottom of source system. -->"),
            QStringLiteral("Type staff number of bottom of destination system. -->"),
            QStringLiteral("How many bars to move? -->")};
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        for (int k = 0; k < 4; ++k)
            fields_[k] = AddField(form, kIds[k], kLabels[k], FormatInt(A(k)));
        layout->addLayout(form);
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this, [this] {
            for (int k = 0; k < 4; ++k) ReadInt(fields_[k]->text(), A(k));
            End(kOk);
        });
    }

  private:
    std::array<QLineEdit*, 4> fields_{};
};

// -- Steps to move -----------------------------------------------------------------------------

// The box in B 0-3 as reals: left position, steps for the left edge, right position, steps for
// the right edge. All four are shown with four decimals and all four are read back, so the
// positions return rounded as shown. "E&xit" ends with 2.
class CStepsToMoveDlg : public CStaffFamilyDlg {
  public:
    explicit CStepsToMoveDlg(QWidget* parent)
        : CStaffFamilyDlg(296, QStringLiteral("Steps to move"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        left_ = Named(new QLabel(Shown(0), this), 1726);
        right_ = Named(new QLabel(Shown(2), this), 1727);
        form->addRow(QStringLiteral("Left Position ="), left_);
        left_steps_ = AddField(form, 1729, QStringLiteral("Steps to move left edge"), Shown(1));
        form->addRow(QStringLiteral("Right Position ="), right_);
        right_steps_ = AddField(form, 1730, QStringLiteral("Steps to move right edge"), Shown(3));
        layout->addLayout(form);
        connect(AddButtons(layout, QStringLiteral("E&xit")), &QPushButton::clicked, this, [this] {
            Read(left_->text(), 0);
            Read(left_steps_->text(), 1);
            Read(right_->text(), 2);
            Read(right_steps_->text(), 3);
            End(kOk);
        });
    }

  private:
    static QString Shown(int k) { return FormatReal("%.4f", Real(ExchangeBlock::B, k)); }
    static void Read(const QString& text, int k) {
        float v = Real(ExchangeBlock::B, k);
        if (ReadReal(text, v)) SetReal(ExchangeBlock::B, k, v);
    }
    QLabel* left_;
    QLabel* right_;
    QLineEdit* left_steps_;
    QLineEdit* right_steps_;
};

// -- Separate Voices ---------------------------------------------------------------------------

// The voice to extract (A 0 top, A 1 bottom: check states), the staves (A 2, A 3), for the
// in-place form the limits (A 4, A 5), and "Keep all slurs." (A 6). The new-staff form never
// touches A 4 and A 5.
class CSeparateVoicesDlg : public CStaffFamilyDlg {
  public:
    CSeparateVoicesDlg(bool new_staff, QWidget* parent)
        : CStaffFamilyDlg(new_staff ? 288 : 287,
                          new_staff ? QStringLiteral("Separate Voices, Create New Staff")
                                    : QStringLiteral("Separate Voices"),
                          parent),
          new_staff_(new_staff) {
        auto* layout = new QVBoxLayout(this);
        top_ = Named(new QRadioButton(QStringLiteral("Extract Top voice."), this), 1715);
        bottom_ = Named(new QRadioButton(QStringLiteral("Extract Bottom voice."), this), 1716);
        // Both may come checked or unchecked: the pair is exclusive only once clicked.
        top_->setAutoExclusive(false);
        bottom_->setAutoExclusive(false);
        top_->setChecked(A(0) != 0);
        bottom_->setChecked(A(1) != 0);
        connect(top_, &QRadioButton::clicked, this, [this] { Pick(top_, bottom_); });
        connect(bottom_, &QRadioButton::clicked, this, [this] { Pick(bottom_, top_); });
        layout->addWidget(top_);
        layout->addWidget(bottom_);
        auto* form = new QFormLayout;
        fields_[0] = AddField(form, 1718,
                              new_staff ? QStringLiteral("From source staff -->")
                                        : QStringLiteral("From bottom staff -->"),
                              FormatInt(A(2)));
        fields_[1] = AddField(form, 1717,
                              new_staff ? QStringLiteral("To destination staff             -->")
                                        : QStringLiteral("To top staff             -->"),
                              FormatInt(A(3)));
        if (!new_staff) {
            fields_[2] =
                AddField(form, 1719, QStringLiteral("Left limit            -->"), FormatInt(A(4)));
            fields_[3] =
                AddField(form, 1720, QStringLiteral("Right limit         -->"), FormatInt(A(5)));
        }
        layout->addLayout(form);
        slurs_ = Named(new QCheckBox(QStringLiteral("Keep all slurs."), this), 1721);
        slurs_->setChecked(A(6) != 0);
        layout->addWidget(slurs_);
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this,
                [this] { OnOk(); });
    }

  private:
    static void Pick(QRadioButton* chosen, QRadioButton* other) {
        chosen->setChecked(true);
        other->setChecked(false);
    }
    void OnOk() {
        const int fields = new_staff_ ? 2 : 4;
        for (int k = 0; k < fields; ++k) ReadInt(fields_[k]->text(), A(2 + k));
        A(0) = top_->isChecked() ? 1 : 0;
        A(1) = bottom_->isChecked() ? 1 : 0;
        A(6) = slurs_->isChecked() ? 1 : 0;
        End(kOk);
    }
    bool new_staff_;
    QRadioButton* top_;
    QRadioButton* bottom_;
    QCheckBox* slurs_;
    std::array<QLineEdit*, 4> fields_{};
};

}  // namespace

void RegisterStaffDialogs() {
    RegisterDialogClass({176,
                         QStringLiteral("Vertical spacing between staves"),
                         [](QWidget* p) { return std::make_unique<CStaffSpacingDlg>(p); },
                         {1002, 1003, 1584, 1585, 1, 2}});
    RegisterDialogClass({163,
                         QStringLiteral("Vertical Justify"),
                         [](QWidget* p) { return std::make_unique<CVerticalJustifyDlg>(p); },
                         {1000, 1001, 1123, 1124, 1125, 1, 2}});
    RegisterDialogClass({198,
                         QStringLiteral("Ripple bars."),
                         [](QWidget* p) { return std::make_unique<CRippleBarsDlg>(p); },
                         {1000, 1001, 1123, 1124, 1, 2}});
    RegisterDialogClass({296,
                         QStringLiteral("Steps to move"),
                         [](QWidget* p) { return std::make_unique<CStepsToMoveDlg>(p); },
                         {1726, 1727, 1729, 1730, 1, 2}});
    RegisterDialogClass({287,
                         QStringLiteral("Separate Voices"),
                         [](QWidget* p) { return std::make_unique<CSeparateVoicesDlg>(false, p); },
                         {1715, 1716, 1718, 1717, 1719, 1720, 1721, 1, 2}});
    RegisterDialogClass({288,
                         QStringLiteral("Separate Voices, Create New Staff"),
                         [](QWidget* p) { return std::make_unique<CSeparateVoicesDlg>(true, p); },
                         {1715, 1716, 1718, 1717, 1721, 1, 2}});
}

}  // namespace frontend
