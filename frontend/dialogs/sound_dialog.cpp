// The Sound dialog (IDD 175): each channel row's staves and its CHN, INS, AMP and TRN, the tempo
// and the MIDI file's name, with Play, Cancel, Save, Load and Auto setup. Tests find the fields
// by their names: "StavesR", "CHNR", "INSR", "AMPR", "TRNR" for row R, "Tempo", "File". It works on
// the exchange area as its launcher leaves it: block A the 64 settings words, block C the staff
// table; Play (1) writes them back, Cancel (2) leaves them.
#include "frontend/dialogs/sound_dialog.h"
#include "frontend/dialogs/engine_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <string>
#include <vector>

#include "engine/core/fixed_array.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"
#include "output/midi_generation.h"
#include "output/midi_tables.h"
#include "output/sound_settings.h"

namespace frontend {

int ExecSoundDialog() {
    core::Array1<int32_t, 64> words;
    core::Array1<int32_t, 256> table;
    for (int k = 1; k <= 64; ++k) words(k) = DialogExchangeBlocks.ExchangeBlockA[k - 1];
    for (int k = 1; k <= 256; ++k) table(k) = DialogExchangeBlocks.ExchangeBlockC[k - 1];
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Sound"));
    dialog.setObjectName(QStringLiteral("SoundDialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout();
    const QStringList heads{QStringLiteral("Row"), QStringLiteral("Staves"), QStringLiteral("CHN"),
                            QStringLiteral("INS"), QStringLiteral("AMP"),    QStringLiteral("TRN")};
    for (int c = 0; c < heads.size(); ++c) grid->addWidget(new QLabel(heads[c], &dialog), 0, c);
    std::array<QLineEdit*, 16> row_staves{};
    std::array<std::array<QLineEdit*, 4>, 16> row_words{};
    for (int r = 1; r <= 16; ++r) {
        grid->addWidget(new QLabel(QString::number(r), &dialog), r, 0);
        row_staves[r - 1] = new QLineEdit(&dialog);
        row_staves[r - 1]->setObjectName(QStringLiteral("Staves%1").arg(r));
        grid->addWidget(row_staves[r - 1], r, 1);
        for (int c = 0; c < 4; ++c) {
            row_words[r - 1][c] = new QLineEdit(&dialog);
            row_words[r - 1][c]->setObjectName(heads[2 + c] + QString::number(r));
            row_words[r - 1][c]->setMaximumWidth(50);
            grid->addWidget(row_words[r - 1][c], r, 2 + c);
        }
    }
    layout->addLayout(grid);
    auto* tempo = new QLineEdit(&dialog);
    tempo->setObjectName(QStringLiteral("Tempo"));
    auto* file = new QLineEdit(&dialog);
    file->setObjectName(QStringLiteral("File"));
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
    play->setObjectName(QStringLiteral("Play"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    auto* save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::ActionRole);
    auto* load = buttons->addButton(QStringLiteral("Load"), QDialogButtonBox::ActionRole);
    auto* automatic =
        buttons->addButton(QStringLiteral("Auto setup"), QDialogButtonBox::ActionRole);
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
}

}  // namespace frontend

namespace frontend {

void RegisterSoundDialogs() {}

}  // namespace frontend
