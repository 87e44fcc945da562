#include "frontend/bridge/qt_front_end.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/service_request.h"
#include "engine/core/tables.h"
#include "output/midi_generation.h"
#include "output/midi_tables.h"
#include "output/sound_settings.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/bridge/question_dialogs.h"
#include "frontend/bridge/services.h"
#include "frontend/view/ormest_view.h"
#include "output/midi_player.h"

using namespace frontend;

namespace {

QString engine_text(const char* text) {
    return text == nullptr ? QString() : FromCp1252(std::string_view(text));
}

// A message of the engine as lines: "||" and CR LF break it; trailing blanks go.
QString message_lines(const char* text) {
    QString s = engine_text(text);
    s.replace(QStringLiteral("||"), QStringLiteral("\n"));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
}

}  // namespace

QtFrontEnd::QtFrontEnd(QObject* parent) : QObject(parent) { RegisterWaitsForClose(waits_); }

QtFrontEnd::~QtFrontEnd() {
    UnregisterWaitsForClose(waits_);
    EndWaits(waits_);
}

void QtFrontEnd::SetCommandBar(CommandBarLink* bar) { bar_ = bar; }

void QtFrontEnd::SetUnattended(bool on, int yes_no_answer) {
    unattended_ = on;
    unattended_answer_ = yes_no_answer;
    SetDialogsUnattended(on);
}

// -- command bar: command_bar_text.cpp ------------------------------------------------------

void QtFrontEnd::ArmImmediateKeyMode() {
    if (COrmestView* view = ActiveView()) view->KeyModeRequest = 1;
}

void QtFrontEnd::SetMessageLineText(const char* text) {
    frontend::SetMessageLineText(Bar(), text == nullptr ? std::string_view() : text);
}

void QtFrontEnd::SetInputText(const char* text) {
    frontend::SetInputText(Bar(), text == nullptr ? std::string_view() : text);
}

void QtFrontEnd::SetInputTextAndSelection(const char* text, int sel_start, int sel_end) {
    frontend::SetInputTextAndSelection(Bar(), text == nullptr ? std::string_view() : text,
                                       sel_start, sel_end);
}

int QtFrontEnd::GetInputTextLength() { return frontend::GetInputTextLength(Bar()); }

void QtFrontEnd::TrimInputToMarker() { frontend::TrimInputToMarker(Bar()); }

// -- waits: input_waits.cpp -------------------------------------------------------------------

int QtFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                                int sel_start, int sel_end) {
    return frontend::WaitForLineEdit(waits_, Bar(), buffer, prompt, sel_start, sel_end);
}

int QtFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    return frontend::WaitForCommandOrKey(waits_, buffer, pass_value);
}

int QtFrontEnd::WaitForTypedLine(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                                 int sel_start, int sel_end) {
    return frontend::WaitForTypedLine(waits_, Bar(), buffer, prompt, sel_start, sel_end);
}

int QtFrontEnd::PollMidiOrKey(core::Array1<int32_t, 5>& record) {
    return frontend::PollMidiOrKey(waits_, record);
}

// -- messages and questions ----------------------------------------------------------------

int QtFrontEnd::ShowMessageBox(const char* text) {
    last_message_ = message_lines(text);
    if (unattended_ || QApplication::instance() == nullptr) return 1;
    QMessageBox::information(nullptr, QStringLiteral("ormest"), last_message_);
    return 1;
}

// Questions: the dialogs of question_dialogs.cpp; unattended, the given answer at once.
int QtFrontEnd::AskYesNo(const char* question, int mode) {
    last_message_ = message_lines(question);
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_ != 0 ? -1 : 0;
    return frontend::AskYesNo(question == nullptr ? std::string_view() : question, mode);
}

int QtFrontEnd::AskYesNoExit(const char* question) {
    last_message_ = message_lines(question);
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_;
    return frontend::AskYesNoExit(question == nullptr ? std::string_view() : question);
}

int QtFrontEnd::AskAbandonInput() {
    last_message_ = QStringLiteral("Abandon input?");
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_ != 0 ? 0 : -1;
    return frontend::AskAbandonInput();
}

// -- window services and repaint -------------------------------------------------------------

// The services live in services.cpp.
void QtFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    frontend::FrontEndService(tag, block);
}

void QtFrontEnd::RefreshDisplayFromEngine() {
    const int32_t n = std::clamp(TextDisplayStreamLength, 0, kTextStreamBytes);
    if (n > 0) std::copy_n(TextDisplayStream.begin(), n, TextDisplayStreamCopy.begin());
    DecodeDisplayLists(nullptr);
    UpdateItemPanel();
}

void QtFrontEnd::SwitchPaletteVariant(int mode, int palette_group) {}
void QtFrontEnd::ControlMidiPlayer(int action) { output::control_midi_player(action); }

int32_t QtFrontEnd::CurrentZoom() { return frontend::DisplayScale; }

void QtFrontEnd::RequestZoom(int32_t scale) {
    if (scale > 0) frontend::RequestedDisplayScale = scale;
}

void QtFrontEnd::ShowPercentText(const char* text) {
    if (text == nullptr) return;
    if (frontend::Hooks().show_zoom_text) frontend::Hooks().show_zoom_text(text);
}

// -- dialogs: the launchers of dialog_launchers.cpp -------------------------------------------

int QtFrontEnd::RunDrawingFileNameDialog(const core::FixedText<128>& prompt) {
    return frontend::RunDrawingFileNameDialog(prompt);
}
int QtFrontEnd::RunEpsFileNameDialog() { return frontend::RunEpsFileNameDialog(); }
int QtFrontEnd::RunOutputFileNameDialog() { return frontend::RunOutputFileNameDialog(); }
int QtFrontEnd::RunMacroFileDialog() { return frontend::RunMacroFileDialog(); }
int QtFrontEnd::RunDontShowAgainNotice() { return frontend::RunDontShowAgainNotice(); }
int QtFrontEnd::RunOutOfBoundsNotice() { return frontend::RunOutOfBoundsNotice(); }
int QtFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    return frontend::RunConvertCode11Dialog(r);
}
int QtFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    return frontend::RunConvertLibraryItemDialog(v);
}
int QtFrontEnd::RunDecombineFileDialog() { return frontend::RunDecombineFileDialog(); }
int QtFrontEnd::RunPageImageHeightDialog(core::Array1<float, 19>& a) {
    return frontend::RunPageImageHeightDialog(a);
}
int QtFrontEnd::RunParameterEditor(core::Array1<float, 30>& block, int page) {
    return frontend::RunParameterEditor(block, page);
}
int QtFrontEnd::RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) {
    return frontend::RunPreferencesDialog(a, b);
}
int QtFrontEnd::RunRippleBarsDialog(core::Array1<int32_t, 5>& a) {
    return frontend::RunRippleBarsDialog(a);
}
int QtFrontEnd::RunSymbolLibraryDialog(int32_t& v) { return frontend::RunSymbolLibraryDialog(v); }
int QtFrontEnd::RunSpacingRangeDialog(core::Array1<int32_t, 8>& words) {
    return frontend::RunSpacingRangeDialog(words);
}
int QtFrontEnd::RunMusicInputDialog() { return frontend::RunMusicInputDialog(); }
int QtFrontEnd::RunAddBarLinesDialog(core::Array1<int32_t, 4>& words) {
    return frontend::RunAddBarLinesDialog(words);
}
// Until the Print Setup dialog is built: the output name alone, the settings in force stand.
// OK returns the name typed (empty keeps the proposal) with the port word set for "LPT1".
int QtFrontEnd::RunPrintSetupDialog(core::ArrayRange<int32_t, 0, 23>& ints,
                                    core::ArrayRange<float, 0, 23>& /*reals*/,
                                    core::FixedText<512>& output_name, int /*flag*/) {
    DialogLaunch launch(202, "Print Setup");
    launch.SetDialog([&]() {
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        dialog.setObjectName(QStringLiteral("PrintSetupStandIn"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Output file name (LPT1 for the printer):"), &dialog));
        auto* name = new QLineEdit(FromCp1252(output_name.c_text()), &dialog);
        name->setObjectName(QStringLiteral("OutputName"));
        layout->addWidget(name);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        if (dialog.exec() != QDialog::Accepted) return 2;
        const QString typed = name->text().trimmed();
        if (!typed.isEmpty()) output_name.set(ToCp1252(typed));
        const bool port = FromCp1252(output_name.c_text())
                              .startsWith(QStringLiteral("LPT1"), Qt::CaseInsensitive);
        ints(3) = port ? 1 : 0;
        return 1;
    });
    return launch.Run();
}

// Until the Path List dialog is built: the nine slots (editable) and the current folder, a
// choice button per slot. A choice returns the edited slots and the slot chosen.
// Until the dialogs are built: Cancel.
int QtFrontEnd::RunSelectCodesDialog(core::Array1<int32_t, 19>& codes) { return 2; }
int QtFrontEnd::RunCombineFilesDialog() { return 2; }
int QtFrontEnd::RunIfCommandDialog(const core::FixedText<512>& question,
                                   core::Array1<core::FixedText<48>, 14>& fields) {
    return 2;
}

int QtFrontEnd::RunPathListDialog(int32_t& slot, core::Array1<core::FixedText<512>, 9>& folders,
                                  const core::FixedText<512>& current) {
    DialogLaunch launch(275, "Path List");
    launch.SetDialog([&]() {
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("Path List"));
        dialog.setObjectName(QStringLiteral("PathListStandIn"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(
            QStringLiteral("Current folder: %1").arg(FromCp1252(current.c_text())), &dialog));
        auto* grid = new QGridLayout();
        std::array<QLineEdit*, 9> edits{};
        int chosen = 0;
        for (int k = 1; k <= 9; ++k) {
            auto* go = new QPushButton(QString::number(k), &dialog);
            go->setAutoDefault(false);
            edits[k - 1] = new QLineEdit(FromCp1252(folders(k).c_text()), &dialog);
            grid->addWidget(go, k - 1, 0);
            grid->addWidget(edits[k - 1], k - 1, 1);
            QObject::connect(go, &QPushButton::clicked, &dialog, [&dialog, &chosen, k]() {
                chosen = k;
                dialog.accept();
            });
        }
        layout->addLayout(grid);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        if (dialog.exec() != QDialog::Accepted || chosen == 0) return 2;
        for (int k = 1; k <= 9; ++k) folders(k).set(ToCp1252(edits[k - 1]->text().trimmed()));
        slot = chosen;
        return 1;
    });
    return launch.Run();
}

// The Sound dialog: a row's staves as one line of numbers, its CHN, INS, AMP and TRN, the tempo
// and the file name. Save, Load and Auto setup run the engine's routines on the edited blocks
// and refresh the fields; Play returns them.
int QtFrontEnd::RunSoundDialog(core::Array1<int32_t, 64>& settings,
                               core::Array1<int32_t, 256>& staves) {
    DialogLaunch launch(175, "Sound");
    launch.In(settings, ExchangeBlock::A, 0, 63);
    launch.In(staves, ExchangeBlock::C, 0, 255);
    launch.SetDialog([&]() {
        core::Array1<int32_t, 64> words;
        core::Array1<int32_t, 256> table;
        for (int k = 1; k <= 64; ++k) words(k) = DialogExchangeBlocks.ExchangeBlockA[k - 1];
        for (int k = 1; k <= 256; ++k) table(k) = DialogExchangeBlocks.ExchangeBlockC[k - 1];
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("Sound"));
        dialog.setObjectName(QStringLiteral("SoundDialog"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* grid = new QGridLayout();
        const QStringList heads{QStringLiteral("Row"), QStringLiteral("Staves"),
                                QStringLiteral("CHN"), QStringLiteral("INS"),
                                QStringLiteral("AMP"), QStringLiteral("TRN")};
        for (int c = 0; c < heads.size(); ++c) grid->addWidget(new QLabel(heads[c], &dialog), 0, c);
        std::array<QLineEdit*, 16> row_staves{};
        std::array<std::array<QLineEdit*, 4>, 16> row_words{};
        for (int r = 1; r <= 16; ++r) {
            grid->addWidget(new QLabel(QString::number(r), &dialog), r, 0);
            row_staves[r - 1] = new QLineEdit(&dialog);
            grid->addWidget(row_staves[r - 1], r, 1);
            for (int c = 0; c < 4; ++c) {
                row_words[r - 1][c] = new QLineEdit(&dialog);
                row_words[r - 1][c]->setMaximumWidth(50);
                grid->addWidget(row_words[r - 1][c], r, 2 + c);
            }
        }
        layout->addLayout(grid);
        auto* tempo = new QLineEdit(&dialog);
        auto* file = new QLineEdit(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Tempo (quarter notes a minute):"), &dialog));
        layout->addWidget(tempo);
        layout->addWidget(new QLabel(QStringLiteral("MIDI file:"), &dialog));
        layout->addWidget(file);

        auto refresh = [&]() {
            for (int r = 1; r <= 16; ++r) {
                // The row's staves up to its first empty slot.
                std::string text;
                for (int s = 1; s <= 16; ++s) text += " " + std::to_string(table(16 * (r - 1) + s));
                text += " ";
                std::vector<char> buffer(text.begin(), text.end());
                buffer.push_back('\0');
                output::cut_zero_list(buffer.data(), static_cast<int32_t>(text.size()));
                const bool empty = table(16 * (r - 1) + 1) == 0;
                row_staves[r - 1]->setText(empty ? QString() : QString(buffer.data()).trimmed());
                for (int c = 0; c < 4; ++c) {
                    row_words[r - 1][c]->setText(QString::number(words(4 * (r - 1) + c + 1)));
                }
            }
            tempo->setText(QString::number(output::MidiTempo));
            file->setText(FromCp1252(output::MidiFileName.c_text()));
        };
        auto read_fields = [&]() {
            for (int r = 1; r <= 16; ++r) {
                const QStringList numbers =
                    row_staves[r - 1]->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
                for (int s = 1; s <= 16; ++s) {
                    table(16 * (r - 1) + s) = s <= numbers.size() ? numbers[s - 1].toInt() : 0;
                }
                for (int c = 0; c < 4; ++c) {
                    words(4 * (r - 1) + c + 1) = row_words[r - 1][c]->text().trimmed().toInt();
                }
            }
            output::MidiTempo = output::requested_midi_tempo(tempo->text().trimmed().toInt(), 0);
            const QString name = file->text().trimmed();
            if (!name.isEmpty()) output::MidiFileName.set(ToCp1252(name));
        };
        refresh();

        auto* buttons = new QDialogButtonBox(&dialog);
        auto* play = buttons->addButton(QStringLiteral("Play"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QDialogButtonBox::Cancel);
        auto* save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::ActionRole);
        auto* load = buttons->addButton(QStringLiteral("Load"), QDialogButtonBox::ActionRole);
        auto* automatic =
            buttons->addButton(QStringLiteral("Auto setup"), QDialogButtonBox::ActionRole);
        (void)play;
        QObject::connect(save, &QPushButton::clicked, &dialog, [&]() {
            read_fields();
            output::SoundDialogMode = 1;
            output::save_load_sound_settings(words, table);
        });
        QObject::connect(load, &QPushButton::clicked, &dialog, [&]() {
            table.fill(0);
            output::SoundDialogMode = 2;
            output::save_load_sound_settings(words, table);
            refresh();
        });
        QObject::connect(automatic, &QPushButton::clicked, &dialog, [&]() {
            output::auto_setup_sound_channels(words, table);
            refresh();
        });
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        if (dialog.exec() != QDialog::Accepted) return 2;
        read_fields();
        for (int k = 1; k <= 64; ++k) DialogExchangeBlocks.ExchangeBlockA[k - 1] = words(k);
        for (int k = 1; k <= 256; ++k) DialogExchangeBlocks.ExchangeBlockC[k - 1] = table(k);
        return 1;
    });
    const int result = launch.Run();
    launch.Out(settings, ExchangeBlock::A, 0, 63);
    launch.Out(staves, ExchangeBlock::C, 0, 255);
    return result;
}
