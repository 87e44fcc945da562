// The play loop of "PLA": the MIDI data is made and played, and while the loop is active every
// call is a play word (keys, player palette words, "X" to leave, "NX"/"NB" for the next or
// previous file) instead of a command.
#include "engine/commands/words/play_loop.h"

#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_input.h"

namespace core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The player's words sit in characters 3 onward of the front-end command buffer.
bool buffer_word(std::string_view word) {
    return FrontEndCommandBuffer.sub(3, 2 + static_cast<int>(word.size())) == word;
}

// Key tokens become the player's words (115 ALL, 118 PLAY, 119 and 122 PAUS, 121 STOP) or the
// file steps (114 NX, 113 NB); any other key line is blanked.
void translate_play_key() {
    if (!MessageLine.starts_with("~~") || !is_digit(MessageLine(3)) || !is_digit(MessageLine(4)) ||
        !is_digit(MessageLine(5))) {
        if (MessageLine.starts_with("~~")) clear_exchange_text();
        return;
    }
    const int32_t key =
        (MessageLine(3) - '0') * 100 + (MessageLine(4) - '0') * 10 + (MessageLine(5) - '0');
    switch (key) {
        case 115:
            FrontEndCommandBuffer.put(3, 7, "ALL");
            break;
        case 118:
            FrontEndCommandBuffer.put(3, 7, "PLAY");
            break;
        case 119:
        case 122:
            FrontEndCommandBuffer.put(3, 7, "PAUS");
            break;
        case 121:
            FrontEndCommandBuffer.put(3, 7, "STOP");
            break;
        case 114:
            set_exchange_text("NX");
            break;
        case 113:
            set_exchange_text("NB");
            break;
        default:
            clear_exchange_text();
            break;
    }
}

// "MM" followed by three digits sets PlayTempo.
template <int N>
bool take_tempo(const FixedText<N>& line) {
    if (!line.starts_with("MM") || !is_digit(line(3)) || !is_digit(line(4)) || !is_digit(line(5))) {
        return false;
    }
    PlayTempo = (line(3) - '0') * 100 + (line(4) - '0') * 10 + (line(5) - '0');
    return true;
}

bool is_file_step(std::string_view two) {
    return two == "NX" || two == "NB" || two == "nx" || two == "nb";
}

// The loop ends as at X: the player stopped, the general palette back.
void leave_play_loop() {
    front_end().ControlMidiPlayer(2);
    clear_exchange_text();
    PlayLoopActive = 0;
    edit::show_item_palette(core::kGeneralPalette);
    FrontEndCommandBuffer.blank();
}

// The player is told to play the (new) data; the previous line stays as the reply unless there
// was nothing to play, which ends the loop.
CommandFlow play_again() {
    output::make_midi(PlayRequested, PlayTempo);
    PlayRequested = 0;
    if (output::MidiStatusWord != -999) {
        leave_reply(ReplyKind::Notice, SecondLine.view());
        return CommandFlow::Return;
    }
    leave_play_loop();
    return CommandFlow::Return;
}

}  // namespace

// Contract: "PLA" starts the loop: PlayLoopActive = 1, CommandLine blanked, the MIDI data made
// and played (make_midi with PlayRequested and PlayTempo); PlayRequested = 0. The previous
// line is the reply; when there is nothing to play the loop ends at once.
CommandFlow start_play_loop() {
    PlayLoopActive = 1;
    CommandLine.blank();
    return play_again();
}

// Contract: one call while PlayLoopActive is set. The key token or word in MessageLine and
// FrontEndCommandBuffer drives the player (ControlMidiPlayer), changes the tempo, plays again,
// leaves the loop, or leaves it for the next or previous file through the N family. Any other
// line typed at a terminal or in the window gets the unknown-word report and the loop stays;
// from a script it is named, the loop ends and the line runs next.
CommandFlow run_play_loop_word() {
    translate_play_key();

    const std::string_view buffer2 = FrontEndCommandBuffer.sub(1, 2);
    const std::string_view message2 = MessageLine.sub(1, 2);
    if (is_file_step(buffer2) || is_file_step(message2)) {
        const bool next = buffer2 == "NX" || message2 == "NX" || message2 == "nx";
        PlayLoopActive = 0;
        PlayRequested = 1;
        FrontEndCommandBuffer.blank();
        CommandLine.set(next ? "NX" : "NB");
        CommandModeLetters(1) = 'N';
        CommandModeLetters(2) = next ? 'X' : 'B';
        return run_letter_row('N');
    }

    const bool enter = MessageLine.is_blank() && FrontEndCommandBuffer.is_blank();
    if (enter || MessageLine == "X" || MessageLine == "x" || MessageLine == "EXIT" ||
        MessageLine == "exit" || buffer_word("EXIT")) {
        leave_play_loop();
        return CommandFlow::Return;
    }

    const int action = buffer_word("PLAY")   ? 1
                       : buffer_word("STOP") ? 2
                       : buffer_word("PAUS") ? 3
                                             : 0;
    if (action != 0) {
        front_end().ControlMidiPlayer(action);
        clear_exchange_text();
        FrontEndCommandBuffer.blank();
        return CommandFlow::Return;
    }

    // "MM" and a three-digit tempo, typed or from the player's palette.
    if (take_tempo(MessageLine) || take_tempo(FrontEndCommandBuffer)) {
        FrontEndCommandBuffer.blank();
        return play_again();
    }

    if (buffer_word("ALL") || MessageLine == "ALL") {
        front_end().ControlMidiPlayer(2);
        FrontEndCommandBuffer.blank();
        return play_again();
    }

    if (MessageLine.is_blank()) set_exchange_text(FrontEndCommandBuffer.view());
    // From a script the loop asks nothing a later line could answer: a line that is no play
    // word was meant as the script's next command. It is named, the loop ends as at X, and the
    // line runs next (a command file's record read again, or the console's line).
    const std::string line = MacroUnit != 0 ? SecondLine.trimmed() : MessageLine.trimmed();
    if (!edit::answer_from_script()) {
        FrontEndCommandBuffer.blank();
        return report_unknown_command();
    }
    leave_play_loop();
    name_script_number_non_answer(kPlayLoopPrompt, line, "the play loop ended.");
    give_back_script_line(line);
    return CommandFlow::Return;
}

}  // namespace core
