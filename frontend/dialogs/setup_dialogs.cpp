// The transpose and tablature setup dialogs. Both work on block A of the exchange area as their
// launchers leave it and write it on OK; Cancel (the base) hands the block back as it came.
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr int kOk = 1;

// The whiteout choice of the tablature dialog, kept between openings (its launcher does not
// pass the word in).
bool TablatureWhiteout = false;

// One interval button of the transpose dialog.
struct IntervalButton {
    int id;
    const char* text;
    int32_t half_steps;
};
constexpr std::array<IntervalButton, 18> kIntervals = {{
    {1069, "Ab  (-8 Clar.  high)", -8},
    {1070, "F  (-5 Trpt.  high)", -5},
    {1071, "E  (-4 Trpt.  high)", -4},
    {1072, "Eb  (-3 Clar., Trpt.)", -3},
    {1068, "D  (-2 Clar., Trpt.)", -2},
    {1073, "Bb  (+2 Clar., Trpt.)", 2},
    {1074, "A   (+3 Clar., Trpt.)", 3},
    {1075, "G  (+5 Alto Flute, Horn)", 5},
    {1076, "F  (+7 Horn, Eng. Horn)", 7},
    {1077, "E  (+8 Horn)", 8},
    {1078, "Eb  (+9 Alto Sax, Horn)", 9},
    {1079, "D  (+10 Horn)", 10},
    {1080, "Bb  (+14 Ten, Sax, Bs. Clar.)", 14},
    {1081, "Eb  (+21 Baritone Sax)", 21},
    {1082, "Octave up (+12 Contra Bsn.)", 12},
    {1083, "Octave down (-12 Piccolo)", -12},
    {3, "Enharmonic up (0)", 99},
    {4, "Enharmonic down (0)", -99},
}};

// The clef change radios and their A 13 words.
struct ClefButton {
    int id;
    const char* text;
    int32_t clef;
};
constexpr std::array<ClefButton, 5> kClefs = {{
    {1607, "No Clef Change", -1},
    {1090, "Treble", 0},
    {1091, "Bass", 1},
    {1092, "Alto", 2},
    {1093, "Tenor", 3},
}};

// The family's shared pieces: radios, OK and Cancel.
class CSetupFamilyDlg : public CEngineDialog {
  public:
    using CEngineDialog::CEngineDialog;

  protected:
    QRadioButton* Radio(QWidget* parent, int id, const QString& text) {
        return Named(new QRadioButton(text, parent), id);
    }
    // A group of two radios (first then second) in a box titled title.
    QGroupBox* Pair(const QString& title, QRadioButton*& first, int first_id,
                    const QString& first_text, QRadioButton*& second, int second_id,
                    const QString& second_text) {
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        first = Radio(box, first_id, first_text);
        second = Radio(box, second_id, second_text);
        row->addWidget(first);
        row->addWidget(second);
        return box;
    }
    // "OK" (default) and "Cancel"; gives OK back for its handler.
    QPushButton* AddButtons(QVBoxLayout* layout) {
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
        ok->setAutoDefault(false);
        ok->setDefault(true);
        auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), 2);
        cancel->setAutoDefault(false);
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(cancel, &QPushButton::clicked, this, &CSetupFamilyDlg::reject);
        return ok;
    }
};

// -- Transpose Setup ---------------------------------------------------------------------------

// A 0 comes in (nonzero: 1 in the interval field; 256 or 512 above its low byte preselect the
// first two interval buttons). OK leaves the interval typed or chosen in A 10 (an interval that
// does not parse keeps the last button's number), stems in A 11, the treble flag in A 12, the
// clef change in A 13, the key signature in A 14 and cue notes in A 15.
class CTransposeSetupDlg : public CSetupFamilyDlg {
  public:
    explicit CTransposeSetupDlg(QWidget* parent)
        : CSetupFamilyDlg(169, QStringLiteral("Transpose Setup"), parent) {
        A(10) = 0;
        A(11) = 1;
        A(12) = 0;
        A(13) = -1;
        A(14) = 0;
        A(15) = 1;
        auto* layout = new QVBoxLayout(this);

        auto* instruments = new QGroupBox(QStringLiteral("Instrument"), this);
        auto* grid = new QGridLayout(instruments);
        for (std::size_t k = 0; k < kIntervals.size(); ++k) {
            const IntervalButton& b = kIntervals[k];
            QRadioButton* r = Radio(instruments, b.id, QLatin1String(b.text));
            grid->addWidget(r, static_cast<int>(k % 9), static_cast<int>(k / 9));
            connect(r, &QRadioButton::clicked, this, [this, b] { OnInterval(b); });
        }
        layout->addWidget(instruments);

        auto* form = new QFormLayout;
        interval_ = Named(new QLineEdit(FormatInt(A(0) != 0 ? 1 : 0), this), 1067);
        form->addRow(QStringLiteral("Transpose by 1/2 steps."), interval_);
        layout->addLayout(form);

        QRadioButton* stems_no = nullptr;
        layout->addWidget(Pair(QStringLiteral("Normalize stem directions."), stems_yes_, 1562,
                               QStringLiteral("Yes"), stems_no, 1563, QStringLiteral("No")));
        layout->addWidget(Pair(QStringLiteral("Add key signature."), key_yes_, 7,
                               QStringLiteral("Yes"), key_no_, 8, QStringLiteral("No")));
        QRadioButton* cue_no = nullptr;
        layout->addWidget(Pair(QStringLiteral("Transpose cue notes."), cue_yes_, 1609,
                               QStringLiteral("Yes"), cue_no, 1608, QStringLiteral("No")));

        auto* clefs = new QGroupBox(QStringLiteral("Clef"), this);
        auto* clef_row = new QHBoxLayout(clefs);
        for (const ClefButton& c : kClefs) {
            QRadioButton* r = Radio(clefs, c.id, QLatin1String(c.text));
            clef_row->addWidget(r);
            connect(r, &QRadioButton::clicked, this, [c] {
                A(13) = c.clef;
                if (c.clef == 0) A(12) = 1;
            });
            if (c.clef == -1) r->setChecked(true);
        }
        layout->addWidget(clefs);

        key_no_->setChecked(true);
        stems_yes_->setChecked(true);
        cue_yes_->setChecked(true);
        const int32_t preset = A(0) & ~0xFF;
        if (preset == 256) Control<QRadioButton>(1069)->setChecked(true);
        if (preset == 512) Control<QRadioButton>(1070)->setChecked(true);

        connect(AddButtons(layout), &QPushButton::clicked, this, [this] { OnOk(); });
    }

  private:
    void OnInterval(const IntervalButton& b) {
        A(10) = b.half_steps;
        interval_->setText(FormatInt(b.half_steps));
        if (b.half_steps == 99 || b.half_steps == -99) {
            A(14) = 0;
            A(12) = 0;
            key_yes_->setChecked(false);
            key_no_->setChecked(true);
        }
    }
    // The interval alone goes to A 10, whichever button is checked.
    void OnOk() {
        A(14) = key_yes_->isChecked() ? 1 : 0;
        A(11) = stems_yes_->isChecked() ? 1 : 0;
        A(15) = cue_yes_->isChecked() ? 1 : 0;
        ReadInt(interval_->text(), A(10));
        End(kOk);
    }
    QLineEdit* interval_;
    QRadioButton* stems_yes_ = nullptr;
    QRadioButton* key_yes_ = nullptr;
    QRadioButton* key_no_ = nullptr;
    QRadioButton* cue_yes_ = nullptr;
};

// -- Tablature setup ---------------------------------------------------------------------------

// A 0 source staff, A 1 strings, A 2 tablature staff (0 or below 1: the staff under the source,
// at least 1), A 3 clef (0 add), A 4 rhythm line (1 add), A 5-10 the six string tunings,
// A 19 whiteout behind the numbers.
class CTablatureSetupDlg : public CSetupFamilyDlg {
  public:
    explicit CTablatureSetupDlg(QWidget* parent)
        : CSetupFamilyDlg(174, QStringLiteral("Tablature setup."), parent) {
        if (A(2) == 0) A(2) = A(0) - 1;
        if (A(2) < 1) A(2) = 1;
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        static constexpr std::array<int, 3> kIds = {1145, 1146, 1002};
        static const std::array<QString, 3> kLabels = {
            QStringLiteral("Staff number of source line."),
            QStringLiteral("How many strings for tablature."),
            QStringLiteral("Tablature staff number. ")};
        for (int k = 0; k < 3; ++k) {
            staves_[k] = Named(new QLineEdit(FormatInt(A(k)), this), kIds[k]);
            form->addRow(kLabels[k], staves_[k]);
        }
        layout->addLayout(form);

        QRadioButton* add_clef = nullptr;
        QRadioButton* no_clef = nullptr;
        QRadioButton* add_rhythm = nullptr;
        QRadioButton* no_rhythm = nullptr;
        layout->addWidget(Pair(QStringLiteral("Clef"), add_clef, 1147,
                               QStringLiteral("Add Tab Clef"), no_clef, 1155,
                               QStringLiteral("No Tab Clef")));
        layout->addWidget(Pair(QStringLiteral("Rhythm"), add_rhythm, 1148,
                               QStringLiteral("Add Rhythm Line"), no_rhythm, 1156,
                               QStringLiteral("No Rhythm Line")));
        (A(3) == 0 ? add_clef : no_clef)->setChecked(true);
        (A(4) == 0 ? no_rhythm : add_rhythm)->setChecked(true);
        connect(add_clef, &QRadioButton::clicked, this, [] { A(3) = 0; });
        connect(no_clef, &QRadioButton::clicked, this, [] { A(3) = 1; });
        connect(add_rhythm, &QRadioButton::clicked, this, [] { A(4) = 1; });
        connect(no_rhythm, &QRadioButton::clicked, this, [] { A(4) = 0; });

        // A group box title shows one line only: the second line goes inside the box.
        auto* tunings = new QGroupBox(QStringLiteral("Special tunings --"), this);
        auto* tuning_form = new QFormLayout(tunings);
        tuning_form->addRow(new QLabel(QStringLiteral("+ or - half steps."), tunings));
        for (int k = 0; k < 6; ++k) {
            strings_[k] = Named(new QLineEdit(FormatInt(A(5 + k)), tunings), 1149 + k);
            tuning_form->addRow(QStringLiteral("String %1").arg(k + 1), strings_[k]);
        }
        layout->addWidget(tunings);

        whiteout_ = Named(new QCheckBox(QStringLiteral("Whiteout behind tab number."), this), 1157);
        whiteout_->setChecked(TablatureWhiteout);
        A(19) = TablatureWhiteout ? 1 : 0;
        connect(whiteout_, &QCheckBox::clicked, this,
                [this] { A(19) = whiteout_->isChecked() ? 1 : 0; });
        layout->addWidget(whiteout_);

        connect(AddButtons(layout), &QPushButton::clicked, this, [this] {
            for (int k = 0; k < 3; ++k) ReadInt(staves_[k]->text(), A(k));
            for (int k = 0; k < 6; ++k) ReadInt(strings_[k]->text(), A(5 + k));
            TablatureWhiteout = whiteout_->isChecked();
            A(19) = TablatureWhiteout ? 1 : 0;
            End(kOk);
        });
    }

  private:
    std::array<QLineEdit*, 3> staves_{};
    std::array<QLineEdit*, 6> strings_{};
    QCheckBox* whiteout_;
};

}  // namespace

void RegisterSetupDialogs() {
    std::vector<int> transpose = {1067, 1562, 1563, 7, 8, 1609, 1608, 1, 2};
    for (const IntervalButton& b : kIntervals) transpose.push_back(b.id);
    for (const ClefButton& c : kClefs) transpose.push_back(c.id);
    RegisterDialogClass({169, QStringLiteral("Transpose Setup"),
                         [](QWidget* p) { return std::make_unique<CTransposeSetupDlg>(p); },
                         transpose});
    RegisterDialogClass({174,
                         QStringLiteral("Tablature setup."),
                         [](QWidget* p) { return std::make_unique<CTablatureSetupDlg>(p); },
                         {1145, 1146, 1002, 1147, 1155, 1148, 1156, 1149, 1150, 1151, 1152, 1153,
                          1154, 1157, 1, 2}});
}

}  // namespace frontend
