// The Sound dialog (IDD 175): sixteen tracks of channel, instrument, amplitude, transposition and
// staff numbers, the tempo and the MIDI file's name, with Play, Cancel, Load, Save, Clear and
// Auto setup. Load, Save and Auto setup run the engine's settings routines on the blocks.
#include "frontend/dialogs/sound_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/fixed_array.h"
#include "frontend/bridge/display_lists.h"
#include "output/midi_tables.h"
#include "output/sound_settings.h"

namespace frontend {

namespace {

constexpr int kIdd = 175;
constexpr int kTracks = 16;
constexpr int kTempoEdit = 1157;
constexpr int kFileEdit = 1702;
constexpr int kPlay = 1;
constexpr int kCancel = 2;
constexpr int kSave = 1548;
constexpr int kLoad = 1549;
constexpr int kAutoSetup = 1550;
constexpr int kClear = 1561;
// Longest texts read back: a number field, a staff list, the file name.
constexpr int kNumberChars = 23;
constexpr int kListChars = 63;
constexpr int kFileChars = 255;

// Channel, instrument, amplitude and transposition edits of each track.
constexpr int kTrackEdits[kTracks][4] = {
    {1000, 1001, 1123, 1124}, {1125, 1002, 1003, 1004}, {1005, 1006, 1007, 1008},
    {1009, 1010, 1011, 1012}, {1013, 1014, 1015, 1016}, {1017, 1018, 1019, 1126},
    {1127, 1128, 1020, 1021}, {1022, 1023, 1024, 1025}, {1026, 1027, 1028, 1029},
    {1030, 1031, 1032, 1033}, {1034, 1035, 1129, 1130}, {1131, 1036, 1037, 1038},
    {1039, 1040, 1041, 1042}, {1043, 1044, 1045, 1046}, {1047, 1048, 1049, 1050},
    {1051, 1052, 1132, 1133}};
// The staff-number edit of track t is kFirstListEdit + t - 1.
constexpr int kFirstListEdit = 1053;

constexpr const char* kListFormat = "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d";

// Runs an engine settings routine on blocks A and C of the exchange area.
template <typename Routine>
void on_blocks(Routine routine) {
    core::Array1<int32_t, 64> settings;
    core::Array1<int32_t, 256> staves;
    for (int k = 0; k < 64; ++k) settings(k + 1) = DialogExchangeBlocks.ExchangeBlockA[k];
    for (int k = 0; k < 256; ++k) staves(k + 1) = DialogExchangeBlocks.ExchangeBlockC[k];
    routine(settings, staves);
    for (int k = 0; k < 64; ++k) DialogExchangeBlocks.ExchangeBlockA[k] = settings(k + 1);
    for (int k = 0; k < 256; ++k) DialogExchangeBlocks.ExchangeBlockC[k] = staves(k + 1);
}

void clear_staff_lists() { DialogExchangeBlocks.ExchangeBlockC.fill(0); }

}  // namespace

std::string SoundStaffListText(const int32_t* s) {
    char text[16 * 12 + 1];
    std::snprintf(text, sizeof text, kListFormat, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7],
                  s[8], s[9], s[10], s[11], s[12], s[13], s[14], s[15]);
    output::cut_zero_list(text, static_cast<int32_t>(std::strlen(text)));
    return text;
}

CSoundDlg::CSoundDlg(QWidget* parent)
    : CEngineDialog(kIdd, QStringLiteral("Sound"), parent),
      tempo_at_start_(output::MidiTempo),
      file_at_start_(output::MidiFileName.view()) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const char* heads[] = {"Channel", "Instr.", "Ampl.", "Transp.", "Staff numbers"};
    for (int c = 0; c < 5; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(heads[c]), this), 0, c + 1);
    for (int t = 0; t < kTracks; ++t) {
        grid->addWidget(new QLabel(QStringLiteral("Track %1 -->").arg(t + 1), this), t + 1, 0);
        for (int c = 0; c < 4; ++c) {
            auto* edit = Named(new QLineEdit(this), kTrackEdits[t][c]);
            edit->setMaximumWidth(60);
            grid->addWidget(edit, t + 1, c + 1);
            track_words_[t][c] = edit;
        }
        staff_lists_[t] = Named(new QLineEdit(this), kFirstListEdit + t);
        staff_lists_[t]->setMinimumWidth(220);
        grid->addWidget(staff_lists_[t], t + 1, 5);
    }
    layout->addLayout(grid);

    auto* fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Tempo"), this));
    tempo_ = Named(new QLineEdit(this), kTempoEdit);
    tempo_->setMaximumWidth(60);
    fields->addWidget(tempo_);
    fields->addSpacing(16);
    fields->addWidget(new QLabel(QStringLiteral("Midi Output File ="), this));
    file_ = Named(new QLineEdit(this), kFileEdit);
    fields->addWidget(file_, 1);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    auto button = [this](int id, const QString& label) {
        auto* b = Named(new QPushButton(label, this), id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* play = button(kPlay, QStringLiteral("&Play"));
    play->setDefault(true);
    QPushButton* cancel = button(kCancel, QStringLiteral("&Cancel"));
    QPushButton* load = button(kLoad, QStringLiteral("&Load"));
    QPushButton* save = button(kSave, QStringLiteral("&Save"));
    QPushButton* clear = button(kClear, QStringLiteral("C&lear"));
    QPushButton* automatic = button(kAutoSetup, QStringLiteral("&Auto setup"));
    for (QPushButton* b : {play, cancel, load, save, clear, automatic}) buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(play, &QPushButton::clicked, this, [this] { OnPlay(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(clear, &QPushButton::clicked, this, [this] { OnClear(); });
    connect(automatic, &QPushButton::clicked, this, [this] { OnAutoSetup(); });

    ShowFields();
}

// Contract: fills every field from block A, block C, MidiTempo and MidiFileName.
void CSoundDlg::ShowFields() {
    tempo_->setText(FormatInt(output::MidiTempo));
    for (int t = 0; t < kTracks; ++t) {
        for (int c = 0; c < 4; ++c) track_words_[t][c]->setText(FormatInt(A(4 * t + c)));
        staff_lists_[t]->setText(
            FromCp1252(SoundStaffListText(&DialogExchangeBlocks.ExchangeBlockC[16 * t])));
    }
    file_->setText(FromCp1252(output::MidiFileName.c_text()));
}

// Contract: reads the fields back: the tempo and block A word by word (a field that does not
// begin with a number keeps its word), block C zeroed and then each track's first 16 numbers
// (an empty list reads as "0"), and the file name (255 characters at most).
void CSoundDlg::CollectFields() {
    ReadInt(tempo_->text().left(kNumberChars), output::MidiTempo);
    for (int t = 0; t < kTracks; ++t) {
        for (int c = 0; c < 4; ++c)
            ReadInt(track_words_[t][c]->text().left(kNumberChars), A(4 * t + c));
    }
    clear_staff_lists();
    for (int t = 0; t < kTracks; ++t) {
        std::string text = ToCp1252(staff_lists_[t]->text().left(kListChars));
        if (text.empty()) text = "0";
        int s[16] = {};
        std::sscanf(text.c_str(), kListFormat, &s[0], &s[1], &s[2], &s[3], &s[4], &s[5], &s[6],
                    &s[7], &s[8], &s[9], &s[10], &s[11], &s[12], &s[13], &s[14], &s[15]);
        for (int k = 0; k < 16; ++k) C(16 * t + k) = s[k];
    }
    output::MidiFileName.set(ToCp1252(file_->text()).substr(0, kFileChars));
}

void CSoundDlg::OnPlay() {
    CollectFields();
    End(kPlay);
}

// Save: the fields are the settings written; the dialog closes with 1 and the MIDI command
// opens it again (SoundDialogMode 1).
void CSoundDlg::OnSave() {
    output::SoundDialogMode = 1;
    CollectFields();
    End(kPlay);
    on_blocks(output::save_load_sound_settings);
}

void CSoundDlg::OnLoad() {
    clear_staff_lists();
    output::SoundDialogMode = 2;
    on_blocks(output::save_load_sound_settings);
    ShowFields();
}

void CSoundDlg::OnClear() {
    clear_staff_lists();
    ShowFields();
}

void CSoundDlg::OnAutoSetup() {
    on_blocks(output::auto_setup_sound_channels);
    ShowFields();
}

// Cancel, Escape and the close box: Load may have changed the tempo and the file name too.
void CSoundDlg::reject() {
    output::MidiTempo = tempo_at_start_;
    output::MidiFileName.set(file_at_start_);
    CEngineDialog::reject();
}

void RegisterSoundDialogs() {
    std::vector<int> controls{kTempoEdit, kFileEdit, kPlay,      kCancel,
                              kSave,      kLoad,     kAutoSetup, kClear};
    for (const auto& track : kTrackEdits) controls.insert(controls.end(), track, track + 4);
    for (int t = 0; t < kTracks; ++t) controls.push_back(kFirstListEdit + t);
    RegisterDialogClass({kIdd, QStringLiteral("Sound"),
                         [](QWidget* parent) { return std::make_unique<CSoundDlg>(parent); },
                         controls});
}

}  // namespace frontend
