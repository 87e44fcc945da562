// The Preferences dialog (IDD 167): the preference settings of the engine's preferences file,
// with Save and Load of a named file and a one-line command field. Block A holds the integers
// and radio words, block B the reals (as their bit patterns); the MIDI key travels in
// MessageLine, the file name in FrontEndCommandBuffer, the library folders in LibraryFolder and
// FontFolder and the command in OutputTargetName.
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr int kIdd = 167;
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kSave = 1601;
constexpr int kLoad = 1602;
constexpr int kMidiKeyEdit = 1598;
constexpr int kFileNameEdit = 1603;
constexpr int kCommandEdit = 1604;
constexpr int kSymbolLibraryEdit = 1660;
constexpr int kFontLibraryEdit = 1661;
constexpr int kInches = 1599;
constexpr int kMetric = 1600;
constexpr int kFirstPaper = 1693;  // 1693 .. 1700 stand for A[10] .. A[17]
constexpr int kPaperRadios = 8;
// Longest texts read back.
constexpr int kNumberChars = 31;
constexpr int kMidiKeyChars = 31;
constexpr int kCommandChars = 23;

// One number field: its word, whether it is a real (block B) or an integer (block A), its
// keyword label and group box text, and the columns (and decimals) its line of the preferences
// file gives the value: a number that needs more would be saved as asterisks and lost.
struct NumberField {
    int edit;
    bool real;
    int word;
    const char* keyword;
    const char* group;
    int columns;
    int decimals;
};
constexpr std::array<NumberField, 12> kNumbers{{
    {1586, true, 0, "AFTC  =", "Space after Clef.", 6, 2},
    {1587, true, 1, "AFTB  =", "Space after Bar.", 6, 2},
    {1588, true, 2, "AFTK  =", "Space after KeySig.", 6, 2},
    {1589, true, 3, "AFTM  =", "Space after Meter.", 6, 2},
    {1590, true, 4, "BEAM  =", "Beam tilt.", 6, 2},
    {1591, false, 0, "BMTH  =", "Beam thickness.", 5, 0},
    {1594, false, 2, "REST =", "Whole Rest Font.", 5, 0},
    {1595, true, 7, "SLUR =", "Slur Thckness.", 6, 2},
    {1596, false, 3, "TIES =", "Ties position.", 3, 0},
    {1597, true, 6, "DYNA =", "Dynamics offset.", 6, 2},
    {1592, true, 5, "DASH  =", "Lyrics Dash size.", 5, 2},
    {1593, false, 1, "XDASH =", "Number of  Dashes.", 3, 0},
}};

// The field's format as the preferences file writes it ("(F6.2)", "(I3)").
std::string file_format(const NumberField& f) {
    return f.real ? "(F" + std::to_string(f.columns) + "." + std::to_string(f.decimals) + ")"
                  : "(I" + std::to_string(f.columns) + ")";
}

// Whether the file's field writes the value whole (not as asterisks).
bool field_holds(const NumberField& f, double value) {
    return core::format_real(file_format(f), value).find('*') == std::string::npos;
}

// "-99.99 to 999.99": the smallest and largest values the file's field holds.
QString field_range(const NumberField& f) {
    const int digits = f.columns - (f.decimals > 0 ? f.decimals + 1 : 0);
    const auto bound = [&f](int whole_digits) {
        QString text(whole_digits, QLatin1Char('9'));
        if (f.real) text += QLatin1Char('.') + QString(f.decimals, QLatin1Char('9'));
        return text;
    };
    return QLatin1Char('-') + bound(digits - 1) + QStringLiteral(" to ") + bound(digits);
}

// A yes/no pair: its group, the two radios, the word and which radio stands for a nonzero word.
struct YesNoPair {
    const char* group;
    int yes;
    int no;
    int word;
    bool no_is_set;  // true: "No" checked means 1
};
constexpr std::array<YesNoPair, 3> kYesNo{{
    {"PstScrpt Screen Fonts", 1002, 1003, 18, true},
    {"WINDOWS Arrow Keys", 1004, 1005, 19, true},
    {"Full width on input.", 1724, 1007, 20, false},
}};

constexpr const char* kPaperLabels[kPaperRadios] = {
    "(1) Letter Size", "(2) Legal Size", "(3) Ledger Size", "(4) Double Page",
    "(5) A3",          "(6) A4",         "(7) B4",          "(0) No Outline"};

// An engine text as shown: up to its NUL, without trailing blanks.
template <int N>
QString shown(const core::FixedText<N>& text) {
    return FromCp1252(text.c_text());
}

// The field's text (at most max characters) into an engine text, NUL-ended when it is shorter
// than the text's size.
template <int N>
void store(core::FixedText<N>& target, const QLineEdit* field, int max) {
    const std::string s = ToCp1252(field->text()).substr(0, static_cast<std::size_t>(max));
    target.set(s);
    if (static_cast<int>(s.size()) < N) target(static_cast<int>(s.size()) + 1) = '\0';
}

// Checks one radio of an exclusive set, or none.
void check_only(QButtonGroup* group, QAbstractButton* chosen) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(b == chosen);
    group->setExclusive(true);
}

class CPreferencesDlg : public CEngineDialog {
  public:
    explicit CPreferencesDlg(QWidget* parent);

  private:
    void ShowRadios();
    void ShowNumbersAndTexts();
    bool ReadNumbers(std::array<int32_t, kNumbers.size()>& words);
    bool Collect();
    void OnSave();
    void OnLoad();
    template <typename Routine>
    void OnBlocks(Routine routine);

    QLineEdit* Edit(int id) const { return Control<QLineEdit>(id); }
    QRadioButton* Radio(int id) const { return Control<QRadioButton>(id); }
    QButtonGroup* paper_ = nullptr;
    QLabel* reply_ = nullptr;
};

// Number display: the fewest digits that read back as the same real, as the preferences file
// holds them ("999.99", never "999.98999"), with a point always ("0.5", "2.").
QString preference_real(float v) {
    std::array<char, 64> text{};
    const auto [end, ec] =
        std::to_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (ec != std::errc()) return FormatReal(v);
    QString shown = QString::fromLatin1(text.data(), static_cast<int>(end - text.data()));
    if (!shown.contains(QLatin1Char('.')) && std::isfinite(v)) shown += QLatin1Char('.');
    return shown;
}

CPreferencesDlg::CPreferencesDlg(QWidget* parent)
    : CEngineDialog(kIdd, QStringLiteral("Preferences"), parent) {
    auto* layout = new QVBoxLayout(this);

    auto* numbers = new QGridLayout;
    int at = 0;
    auto add_box = [&](const QString& title, const QString& keyword, int id) {
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        row->addWidget(new QLabel(keyword, box));
        auto* edit = Named(new QLineEdit(box), id);
        edit->setMaximumWidth(80);
        row->addWidget(edit);
        numbers->addWidget(box, at / 4, at % 4);
        ++at;
    };
    for (const NumberField& f : kNumbers) {
        add_box(QString::fromLatin1(f.group), QString::fromLatin1(f.keyword), f.edit);
        if (f.edit == 1597)
            add_box(QStringLiteral("Base MIDI Key."), QStringLiteral("MIDK ="), kMidiKeyEdit);
    }
    layout->addLayout(numbers);

    auto* choices = new QHBoxLayout;
    auto* units = new QGroupBox(this);
    auto* units_column = new QVBoxLayout(units);
    units_column->addWidget(Named(new QRadioButton(QStringLiteral("Inches"), units), kInches));
    units_column->addWidget(
        Named(new QRadioButton(QStringLiteral("Metric\n(Centimeters)"), units), kMetric));
    choices->addWidget(units);

    auto* paper = new QGroupBox(QStringLiteral("PAPER Size Outlines"), this);
    auto* paper_grid = new QGridLayout(paper);
    paper_ = new QButtonGroup(this);
    for (int k = 0; k < kPaperRadios; ++k) {
        auto* radio =
            Named(new QRadioButton(QString::fromLatin1(kPaperLabels[k]), paper), kFirstPaper + k);
        paper_->addButton(radio);
        paper_grid->addWidget(radio, k % 4, k / 4);
    }
    choices->addWidget(paper);

    auto* switches = new QVBoxLayout;
    for (const YesNoPair& p : kYesNo) {
        auto* box = new QGroupBox(QString::fromLatin1(p.group), this);
        auto* row = new QHBoxLayout(box);
        // "Yes" first as the form reads; the ids say which is which.
        row->addWidget(Named(new QRadioButton(QStringLiteral("Yes"), box), p.yes));
        row->addWidget(Named(new QRadioButton(QStringLiteral("No"), box), p.no));
        switches->addWidget(box);
    }
    choices->addLayout(switches);
    layout->addLayout(choices);

    auto* texts = new QGridLayout;
    const std::pair<int, const char*> text_fields[] = {{kFileNameEdit, "Preference file name:"},
                                                       {kSymbolLibraryEdit, "Symbol Library"},
                                                       {kFontLibraryEdit, "Font Library"},
                                                       {kCommandEdit, "Command:"}};
    int row = 0;
    for (const auto& [id, label] : text_fields) {
        texts->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        texts->addWidget(Named(new QLineEdit(this), id), row, 1);
        ++row;
    }
    layout->addLayout(texts);

    reply_ = new QLabel(this);
    reply_->setObjectName(QStringLiteral("reply"));
    layout->addWidget(reply_);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](int id, const QString& label) {
        auto* b = Named(new QPushButton(label, this), id);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    buttons->addStretch();
    QPushButton* ok = button(kOk, QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton* cancel = button(kCancel, QStringLiteral("Cancel"));
    QPushButton* save = button(kSave, QStringLiteral("Save"));
    QPushButton* load = button(kLoad, QStringLiteral("Load"));
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Collect()) End(kOk);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoad(); });

    ShowRadios();
    ShowNumbersAndTexts();
    Edit(kFileNameEdit)->setText(shown(core::FrontEndCommandBuffer));
}

// Contract: the measurement pair from A[4], the three yes/no pairs from A[18] .. A[20] and the
// paper outline radios from A[10] .. A[17] (each checked whose word is nonzero; the last wins).
void CPreferencesDlg::ShowRadios() {
    Radio(A(4) == 0 ? kInches : kMetric)->setChecked(true);
    for (const YesNoPair& p : kYesNo) {
        const bool set = A(p.word) != 0;
        Radio(set == p.no_is_set ? p.no : p.yes)->setChecked(true);
    }
    check_only(paper_, nullptr);
    for (int k = 0; k < kPaperRadios; ++k) {
        if (A(10 + k) != 0) Radio(kFirstPaper + k)->setChecked(true);
    }
}

// Contract: the twelve numbers from blocks A and B, the MIDI key from MessageLine and the two
// library folders.
void CPreferencesDlg::ShowNumbersAndTexts() {
    for (const NumberField& f : kNumbers) {
        Edit(f.edit)->setText(f.real ? preference_real(Real(ExchangeBlock::B, f.word))
                                     : FormatInt(A(f.word)));
    }
    Edit(kMidiKeyEdit)->setText(shown(core::MessageLine));
    Edit(kSymbolLibraryEdit)->setText(shown(core::LibraryFolder));
    Edit(kFontLibraryEdit)->setText(shown(core::FontFolder));
}

// Contract: each number field read into words (its word's value kept when it does not begin
// with a number). A number its line of the preferences file cannot hold whole (nor its word)
// is named with the field's range, its field selected, and false returned.
bool CPreferencesDlg::ReadNumbers(std::array<int32_t, kNumbers.size()>& words) {
    for (std::size_t k = 0; k < kNumbers.size(); ++k) {
        const NumberField& f = kNumbers[k];
        QLineEdit* field = Edit(f.edit);
        const QString text = field->text().left(kNumberChars);
        bool holds = true;
        if (f.real) {
            float v = Real(ExchangeBlock::B, f.word);
            if (ReadReal(text, v)) holds = field_holds(f, static_cast<double>(v));
            words[k] = std::bit_cast<int32_t>(v);
        } else {
            words[k] = A(f.word);
            holds = ReadIntField(text, words[k]) != core::FieldNumber::PastRange &&
                    field_holds(f, words[k]);
        }
        if (!holds) {
            QString name = QString::fromLatin1(f.group).simplified();
            if (name.endsWith(QLatin1Char('.'))) name.chop(1);
            reply_->setText(QStringLiteral("%1 takes %2, not %3.")
                                .arg(name, field_range(f), field->text().trimmed()));
            field->setFocus();
            field->selectAll();
            return false;
        }
    }
    return true;
}

// Contract: the radios into A[4], A[10] .. A[20]; the command into OutputTargetName (23
// characters); the numbers into their words (a field that does not begin with a number keeps
// its word); the MIDI key into MessageLine (31), the file name into FrontEndCommandBuffer (47)
// and the library folders into LibraryFolder and FontFolder (cut at their size less one, so a
// long folder is never shortened by an OK). A number refused by ReadNumbers changes nothing:
// false, and the dialog stays open.
bool CPreferencesDlg::Collect() {
    std::array<int32_t, kNumbers.size()> numbers{};
    if (!ReadNumbers(numbers)) return false;
    reply_->clear();
    A(4) = Radio(kMetric)->isChecked() ? 1 : 0;
    for (const YesNoPair& p : kYesNo) {
        A(p.word) = Radio(p.no_is_set ? p.no : p.yes)->isChecked() ? 1 : 0;
    }
    for (int k = 0; k < kPaperRadios; ++k) A(10 + k) = Radio(kFirstPaper + k)->isChecked() ? 1 : 0;
    store(core::OutputTargetName, Edit(kCommandEdit), kCommandChars);
    for (std::size_t k = 0; k < kNumbers.size(); ++k) {
        const NumberField& f = kNumbers[k];
        if (f.real)
            SetReal(ExchangeBlock::B, f.word, std::bit_cast<float>(numbers[k]));
        else
            A(f.word) = numbers[k];
    }
    StoreAnswerBytes(ToCp1252(Edit(kMidiKeyEdit)->text()), kMidiKeyChars);
    store(core::FrontEndCommandBuffer, Edit(kFileNameEdit), core::FrontEndCommandBuffer.size() - 1);
    store(core::LibraryFolder, Edit(kSymbolLibraryEdit), core::LibraryFolder.size() - 1);
    store(core::FontFolder, Edit(kFontLibraryEdit), core::FontFolder.size() - 1);
    return true;
}

// Runs the engine's preferences file routine on words 0-31 of blocks A and B.
template <typename Routine>
void CPreferencesDlg::OnBlocks(Routine routine) {
    core::PreferenceBlock a;
    core::PreferenceBlock b;
    for (int k = 0; k < 32; ++k) {
        a(k + 1) = A(k);
        b(k + 1) = B(k);
    }
    routine(a, b);
    for (int k = 0; k < 32; ++k) {
        A(k) = a(k + 1);
        B(k) = b(k + 1);
    }
}

// Save: the fields are what is written; the dialog closes with 1 so the engine applies them.
// A refused number saves nothing and the dialog stays open.
void CPreferencesDlg::OnSave() {
    if (!Collect()) return;
    End(kOk);
    OnBlocks([](core::PreferenceBlock& a, core::PreferenceBlock& b) {
        core::load_or_save_preferences(1, a, b);
    });
}

// Load: the named file's settings fill the blocks and every field shows them, the yes/no pairs
// included (OK reads those radios back).
void CPreferencesDlg::OnLoad() {
    store(core::FrontEndCommandBuffer, Edit(kFileNameEdit), core::FrontEndCommandBuffer.size() - 1);
    OnBlocks([](core::PreferenceBlock& a, core::PreferenceBlock& b) {
        core::load_or_save_preferences(0, a, b);
    });
    ShowRadios();
    ShowNumbersAndTexts();
}

}  // namespace

void RegisterPreferencesDialogs() {
    std::vector<int> controls{kOk,
                              kCancel,
                              kSave,
                              kLoad,
                              kMidiKeyEdit,
                              kFileNameEdit,
                              kCommandEdit,
                              kSymbolLibraryEdit,
                              kFontLibraryEdit,
                              kInches,
                              kMetric};
    for (const NumberField& f : kNumbers) controls.push_back(f.edit);
    for (const YesNoPair& p : kYesNo) {
        controls.push_back(p.yes);
        controls.push_back(p.no);
    }
    for (int k = 0; k < kPaperRadios; ++k) controls.push_back(kFirstPaper + k);
    RegisterDialogClass({kIdd, QStringLiteral("Preferences"),
                         [](QWidget* parent) { return std::make_unique<CPreferencesDlg>(parent); },
                         controls});
}

}  // namespace frontend
