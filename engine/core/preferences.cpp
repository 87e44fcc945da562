// The preferences file and the Preferences dialog.
#include "engine/core/preferences.h"

#include <bit>
#include <string>
#include <string_view>
#include <utility>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace core {

void report_missing_file(std::string_view name) {
    report_file_not_found(platform::shown_path(name));
}

std::string user_preferences_path() {
    const std::string folder = platform::user_settings_folder();
    return folder.empty() ? std::string() : folder + "/mxpref.dat";
}

std::string preferences_file_to_read(const std::string& path) {
    const std::string own = user_preferences_path();
    if (own.empty()) return path;
    const platform::FileKind kind = platform::file_kind(own);
    if (kind == platform::FileKind::Readable) return own;
    // Settings the user saved and cannot have are told, never silently replaced.
    const std::string folder = platform::user_settings_folder();
    std::string problem;
    if (kind == platform::FileKind::Missing) {
        const platform::FileKind held = platform::file_kind(folder);
        if (held != platform::FileKind::Missing && held != platform::FileKind::Folder)
            problem = folder + " is not a folder";
    } else if (kind == platform::FileKind::Unreadable &&
               platform::file_kind(folder + "/.") == platform::FileKind::Unreadable) {
        problem = folder + " " + std::string(platform::file_kind_text(kind));
    } else {
        problem = own + " " + std::string(platform::file_kind_text(kind));
    }
    if (!problem.empty())
        report_failure("*** Your preferences were not read: " + problem +
                       ". The program's own are used.");
    return path;
}

bool find_preferences_file(const FixedText<512>& path) {
    if (platform::file_exists(path.c_text())) return true;
    report_missing_file(path.c_text());
    return false;
}

PreferencesHooksRecord PreferencesHooks;

namespace {

constexpr int kPreferencesUnit = 8;
constexpr float kDashFactor = 0.85714f;
constexpr std::string_view kDefaultFileName = "mxpref.dat";
// Where the dialog's last Save wrote, for the reply after the dialog ("" when it saved none).
std::string SavedPreferencesReply;
// The palette shown after the dialog.

enum class LineSource { File, Command };

template <typename Hook, typename... Args>
void run_hook(Hook hook, Args... args) {
    if (hook != nullptr) hook(args...);
}

float real_of(int32_t bits) { return std::bit_cast<float>(bits); }
int32_t bits_of(float value) { return std::bit_cast<int32_t>(value); }

bool is_separator(char c) { return c == '\\' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0'))
        s.remove_suffix(1);
    return std::string(s);
}

// The text with a separator at its end: "/" for a folder written with "/" only, else "\".
std::string with_separator(std::string text) {
    if (!text.empty() && is_separator(text.back())) return text;
    const bool slashes =
        text.find('/') != std::string::npos && text.find('\\') == std::string::npos;
    text += slashes ? '/' : '\\';
    return text;
}

// The folder becomes text ending in a separator; its length is recorded.
void set_folder(FixedText<512>& folder, int32_t& length, std::string text) {
    text = with_separator(std::move(text));
    folder.set(text);
    length = folder.trimmed_length();
}

void set_default_folders() {
    const std::string program = ProgramFolder.trimmed();
    set_folder(LibraryFolder, LibraryFolderLength, program + "\\mxlib\\");
    set_folder(FontFolder, FontFolderLength, program + "\\mxlib\\fontlib\\");
}

// For the dialog: a NUL right after the folder's text (when the field has room).
void end_with_nul(FixedText<512>& folder) {
    const int n = static_cast<int>(folder.c_text().size());
    if (n < folder.size()) folder(n + 1) = '\0';
}

// Back from the dialog: the text up to its NUL, blank-padded.
void remove_nul(FixedText<512>& folder) { folder.set(folder.c_text()); }

void set_arrow_steps() {
    const float sign = ArrowKeyMode != 0 ? -1.0f : 1.0f;
    ArrowStepWords(1) = sign * 2000.0f;
    ArrowStepWords(2) = sign * 0.1f;
    ArrowStepWords(3) = sign * 0.25f;
}

// "C" and the octave digit of BaseMidiKey, NUL-ended, for the dialog.
void put_midi_key_text() {
    set_exchange_text(std::string{'C', format_int("(I1)", BaseMidiKey / 12 - 1)[0], '\0'});
}

// The octave digit the dialog shows in MessageLine ("C4"), or -1 when it holds none.
int dialog_octave_digit() {
    const char c1 = MessageLine(1);
    const char c3 = MessageLine(3);
    if ((c1 != 'C' && c1 != 'c') || !is_digit(MessageLine(2))) return -1;
    if (c3 != ' ' && c3 != '\0') return -1;
    return MessageLine(2) - '0';
}

// SYMB and FONT: the folder is the line as read from column 7; a text that begins neither with
// a separator nor with a drive ("C:\") lies in the program folder. From a file the folder must
// hold its marker file; without it the folder stays as it was.
void apply_folder_line(const std::string& raw, LineSource source, bool symbols) {
    if (raw.size() < 7) return;
    const std::string text = trim(std::string_view(raw).substr(6));
    if (text.empty()) return;
    std::string folder = text;
    const bool absolute = is_separator(raw[6]) || (raw.size() >= 9 && is_separator(raw[8]));
    if (!absolute) folder = ProgramFolder.trimmed() + "\\" + text;
    folder = with_separator(folder);

    if (source == LineSource::File) {
        const FixedText<512> marker(folder + (symbols ? "mxpref.dat" : "fm00.fmt"));
        if (!find_preferences_file(marker)) return;
    }
    if (symbols) {
        set_folder(LibraryFolder, LibraryFolderLength, folder);
    } else {
        set_folder(FontFolder, FontFolderLength, folder);
    }
}

// Contract: applies one keyword line (raw, as read or typed) to the settings. The line goes to
// CommandLine, is upper-cased and, unless it is a folder or unit line, scanned into ParamBuffer:
// the value is P2 (BEAM and MIDK take P4 when P2 is 0). From the command field BEAM takes the
// value as it is, BMTH and DASH apply even a 0, MIDK reads "C" and an octave digit as
// 12 x (octave + 1), PAPE takes 8 for no outline, folders need no marker file, and PROC, SETS,
// VER and FULL change nothing. Bad input: lines shorter than four characters and unknown
// keywords change nothing; a MIDI key outside 0..127 and a paper outline outside 0..7 are
// refused.
void apply_preferences_line(std::string raw, LineSource source) {
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.pop_back();
    CommandLine.set(raw);
    int32_t n = 0;
    upper_case_command_line(n);
    if (n < 4) return;
    const std::string key(CommandLine.sub(1, 4));
    const bool from_command = source == LineSource::Command;
    if (key == "SYMB" || key == "FONT") {
        apply_folder_line(raw, source, key == "SYMB");
        return;
    }
    if (key == "METR") {
        MetricFlag = 1;
        return;
    }
    if (key == "INCH") {
        MetricFlag = 0;
        return;
    }

    scan_command_line(n);
    const float value = ParamBuffer(2);
    const float p4 = ParamBuffer(4);
    const int32_t whole = int_of(value);

    if (key == "BEAM") {
        const float v = value != 0.0f ? value : p4;
        if (v != 0.0f) BeamTilt = from_command ? v : v / 100.0f;
    } else if (key == "BMTH") {
        if (from_command || whole != 0) BeamThickness = whole;
    } else if (key == "REST") {
        WholeRestFont = whole;
    } else if (key == "DASH") {
        if (from_command || value != 0.0f) LyricDashSize = value / kDashFactor;
    } else if (key == "MIDK") {
        int32_t midi_key = 0;
        if (value != 0.0f) {
            midi_key = whole;
        } else if (from_command) {
            midi_key = int_of(12.0f * (p4 + 1.0f));
        } else if (p4 != 0.0f) {
            midi_key = int_of(12.0f * p4 + 12.0f);
        } else {
            return;
        }
        if (midi_key >= 0 && midi_key <= 127) BaseMidiKey = midi_key;
    } else if (key == "PROC") {
        if (!from_command && whole != 0) ProcessingMode = whole;
    } else if (key == "SETS") {
        if (!from_command) PrintSettingsWord = whole;
    } else if (key == "TIES") {
        TiePosition = whole;
    } else if (key == "DYNA") {
        DynamicsOffset = value;
    } else if (key == "SLUR") {
        SlurThickness = value;
    } else if (key == "AFTC") {
        SpaceAfterClef = value;
    } else if (key == "AFTB") {
        SpaceAfterBar = value;
    } else if (key == "AFTK") {
        SpaceAfterKeySig = value;
    } else if (key == "AFTM") {
        SpaceAfterMeter = value;
    } else if (key == "XDAS") {
        LyricDashCount = whole;
    } else if (key == "VER ") {
        if (!from_command) PreferencesVersion = value;
    } else if (key == "PAPE") {
        const int32_t outline = from_command && whole == 8 ? 0 : whole;
        if (outline >= 0 && outline <= 7) PageFormatIndex = outline;
    } else if (key == "ADOB") {
        PostScriptScreenFonts = whole;
    } else if (key == "ARRO") {
        ArrowKeyMode = whole;
        set_arrow_steps();
    } else if (key == "FULL") {
        if (!from_command) FullWidthInput = whole;
    }
}

// The settings the dialog returns in its blocks.
void apply_preference_blocks(const PreferenceBlock& a, const PreferenceBlock& b) {
    BeamThickness = a(1);
    LyricDashCount = a(2);
    WholeRestFont = a(3);
    TiePosition = a(4);
    MetricFlag = a(5);
    PostScriptScreenFonts = a(19);
    ArrowKeyMode = a(20);
    FullWidthInput = a(21);
    SpaceAfterClef = real_of(b(1));
    SpaceAfterBar = real_of(b(2));
    SpaceAfterKeySig = real_of(b(3));
    SpaceAfterMeter = real_of(b(4));
    BeamTilt = real_of(b(5)) / 100.0f;
    LyricDashSize = real_of(b(6)) / kDashFactor;
    DynamicsOffset = real_of(b(7));
    SlurThickness = real_of(b(8));
    set_arrow_steps();
    // Radio words 10..17 stand for outlines 1..7 and 8 = none; the last one set wins.
    int outline = -1;
    for (int k = 1; k <= 8; ++k)
        if (a(10 + k) != 0) outline = k;
    if (outline > 0) PageFormatIndex = outline == 8 ? 0 : outline;
}

// The outline whose radio word is set (the last one), 0 when none.
int32_t chosen_outline(const PreferenceBlock& a) {
    int32_t outline = 0;
    for (int k = 1; k <= 7; ++k)
        if (a(10 + k) != 0) outline = k;
    return outline;
}

// A folder line's text for the file: relative to the program folder for a folder inside it
// (as the shipped file names them, wherever the program is installed), else the local path.
std::string folder_for_file(const FixedText<512>& folder) {
    const std::string text = folder.c_text();
    const std::string program = ProgramFolder.trimmed() + "\\";
    if (text.size() > program.size() && equals_nocase(text.substr(0, program.size()), program)) {
        std::string inside = text.substr(program.size());
        while (!inside.empty() && is_separator(inside.back())) inside.pop_back();
        if (!inside.empty()) return inside;
    }
    return platform::shown_path(text);
}

// The file a dialog's name stands for: a name without a folder is the user's own file.
std::string preferences_file_named(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return name;
    const std::string own = user_preferences_path();
    return own.empty() ? name : platform::user_settings_folder() + "/" + name;
}

void load_preferences_file(const std::string& name, PreferenceBlock& a, PreferenceBlock& b) {
    std::string file = preferences_file_named(name);
    // The user who has saved none has the defaults.
    if (file != name && !platform::file_exists(file) && name == kDefaultFileName)
        file = PreferencesPath.c_text();
    if (!find_preferences_file(FixedText<512>(file))) return;
    if (!open_unit(kPreferencesUnit, file, UnitStatus::Old, UnitForm::Text)) {
        report_missing_file(file);
        return;
    }
    const int32_t saved_unit = MacroUnit;
    MacroUnit = kPreferencesUnit;
    read_preferences();
    MacroUnit = saved_unit;
    fill_preference_blocks(a, b);
    put_midi_key_text();
    FrontEndCommandBuffer.set(name);
}

void save_preferences_file(const std::string& name, const PreferenceBlock& a,
                           const PreferenceBlock& b) {
    const std::string file = preferences_file_named(name);
    if (!outside_data_folder(file)) return;
    if (file != name) platform::make_folder(platform::user_settings_folder());
    if (!open_unit(kPreferencesUnit, file, UnitStatus::Replace, UnitForm::Text)) {
        report_missing_file(file);
        return;
    }
    auto real = [&b](int word) { return static_cast<double>(real_of(b(word + 1))); };
    auto integer = [&a](int word) { return a(word + 1); };
    const int octave = dialog_octave_digit();
    const std::string octave_text = octave >= 0 ? std::string(1, static_cast<char>('0' + octave))
                                                : format_int("(I1)", BaseMidiKey / 12 - 1);

    const std::string lines[] = {
        "REST" + format_int("(I5)", integer(2)),
        "BEAM" + format_real("(F6.2)", real(4)),
        "BMTH" + format_int("(I5)", integer(0)),
        "TIES" + format_int("(I3)", integer(3)),
        "SLUR" + format_real("(F6.2)", real(7)),
        "MIDK C" + octave_text + " ",
        integer(4) != 0 ? "METRIC" : "INCHES",
        "DYNAMICS" + format_real("(F6.2)", real(6)),
        "DASH" + format_real("(F5.2)", real(5)),
        "XDASH" + format_int("(I3)", integer(1)),
        "AFTC" + format_real("(F6.2)", real(0)),
        "AFTB" + format_real("(F6.2)", real(1)),
        "AFTK" + format_real("(F6.2)", real(2)),
        "AFTM" + format_real("(F6.2)", real(3)),
        "SYMB  " + folder_for_file(LibraryFolder),
        "FONT  " + folder_for_file(FontFolder),
        "VER  " + format_real("(F4.2)", PreferencesVersion),
        "ADOBE " + format_int("(I1)", integer(18)),
        "ARROW " + format_int("(I1)", integer(19)),
        "FULL  " + format_int("(I1)", integer(20)),
        "PAPER " + format_int("(I1)", chosen_outline(a)),
    };
    bool written = true;
    for (const std::string& line : lines)
        written = write_record(kPreferencesUnit, line) == IoResult::Ok && written;
    written = close_unit(kPreferencesUnit) && written;
    if (!written) {
        report_missing_file(file);
        return;
    }
    // Told in the message line: a box would stand over the dialog, which is still open.
    SavedPreferencesReply = "Preferences saved in " + platform::shown_path(file) + ".";
    leave_reply(ReplyKind::Notice, SavedPreferencesReply);
}

}  // namespace

// Contract: see the header. Reads MacroUnit's records to the end of the file or a read error;
// writes the settings, LibraryFolder, FontFolder and their lengths, ArrowStepWords,
// CommandLine and ParamBuffer. A NUL or blanks ending a line are dropped.
void read_preferences() {
    ArrowStepWords(1) = 2000.0f;
    ArrowStepWords(2) = 0.1f;
    ArrowStepWords(3) = 0.25f;
    set_default_folders();
    std::string record;
    while (read_record(MacroUnit, record) == IoResult::Ok)
        apply_preferences_line(record, LineSource::File);
}

// Contract: see the header. Unit 8 is closed afterwards in every mode and the folders end with
// a NUL for the dialog. MacroUnit is the same after the call as before it.
void load_or_save_preferences(int32_t mode, PreferenceBlock& block_a, PreferenceBlock& block_b) {
    std::string name = trim(FrontEndCommandBuffer.c_text());
    if (name.empty()) name = kDefaultFileName;
    if (mode == 0) {
        load_preferences_file(name, block_a, block_b);
    } else if (mode == 1) {
        save_preferences_file(name, block_a, block_b);
    }
    close_unit(kPreferencesUnit);
    end_with_nul(LibraryFolder);
    end_with_nul(FontFolder);
}

void fill_preference_blocks(PreferenceBlock& a, PreferenceBlock& b) {
    a(1) = BeamThickness;
    a(2) = LyricDashCount;
    a(3) = WholeRestFont;
    a(4) = TiePosition;
    a(5) = MetricFlag;
    for (int k = 1; k <= 8; ++k) a(10 + k) = 0;
    const int32_t outline = PageFormatIndex;
    a(outline >= 1 && outline <= 7 ? 10 + outline : 18) = 1;
    a(19) = PostScriptScreenFonts;
    a(20) = ArrowKeyMode;
    a(21) = FullWidthInput;
    b(1) = bits_of(SpaceAfterClef);
    b(2) = bits_of(SpaceAfterBar);
    b(3) = bits_of(SpaceAfterKeySig);
    b(4) = bits_of(SpaceAfterMeter);
    b(5) = bits_of(BeamTilt * 100.0f);
    b(6) = bits_of(LyricDashSize * kDashFactor);
    b(7) = bits_of(DynamicsOffset);
    b(8) = bits_of(SlurThickness);
}

// Every setting a preferences file can change, so that a Cancel after the dialog's Load leaves
// the settings as they were before the dialog.
struct PreferenceSettings {
    float beam_tilt = BeamTilt;
    int32_t beam_thickness = BeamThickness;
    int32_t whole_rest_font = WholeRestFont;
    float lyric_dash_size = LyricDashSize;
    int32_t base_midi_key = BaseMidiKey;
    int32_t processing_mode = ProcessingMode;
    int32_t print_settings = PrintSettingsWord;
    int32_t tie_position = TiePosition;
    float dynamics_offset = DynamicsOffset;
    float slur_thickness = SlurThickness;
    float after_clef = SpaceAfterClef;
    float after_bar = SpaceAfterBar;
    float after_key = SpaceAfterKeySig;
    float after_meter = SpaceAfterMeter;
    int32_t lyric_dash_count = LyricDashCount;
    float version = PreferencesVersion;
    int32_t screen_fonts = PostScriptScreenFonts;
    int32_t arrow_mode = ArrowKeyMode;
    int32_t full_width = FullWidthInput;
    int32_t metric = MetricFlag;
    int32_t page_format = PageFormatIndex;
    FixedText<512> library = LibraryFolder;
    int32_t library_length = LibraryFolderLength;
    FixedText<512> fonts = FontFolder;
    int32_t fonts_length = FontFolderLength;

    void restore() const {
        BeamTilt = beam_tilt;
        BeamThickness = beam_thickness;
        WholeRestFont = whole_rest_font;
        LyricDashSize = lyric_dash_size;
        BaseMidiKey = base_midi_key;
        ProcessingMode = processing_mode;
        PrintSettingsWord = print_settings;
        TiePosition = tie_position;
        DynamicsOffset = dynamics_offset;
        SlurThickness = slur_thickness;
        SpaceAfterClef = after_clef;
        SpaceAfterBar = after_bar;
        SpaceAfterKeySig = after_key;
        SpaceAfterMeter = after_meter;
        LyricDashCount = lyric_dash_count;
        PreferencesVersion = version;
        PostScriptScreenFonts = screen_fonts;
        ArrowKeyMode = arrow_mode;
        set_arrow_steps();
        FullWidthInput = full_width;
        MetricFlag = metric;
        PageFormatIndex = page_format;
        const bool folders_changed = !(LibraryFolder == library) || !(FontFolder == fonts);
        LibraryFolder = library;
        LibraryFolderLength = library_length;
        FontFolder = fonts;
        FontFolderLength = fonts_length;
        if (folders_changed) run_hook(PreferencesHooks.clear_symbol_cache);
    }
};

// Contract: see the header. Before the dialog: the blocks from the settings, the MIDI key text
// in MessageLine, "mxpref.dat" in FrontEndCommandBuffer, both folders NUL-ended and
// OutputTargetName blank for the command field (the print name is put back afterwards). After
// it the folders hold no NUL. Cancel (2) puts every setting back as it was before the dialog
// (its Load may have read a file into them); otherwise the symbol cache is
// cleared, the folders (an empty one stays as it was), the block settings and the MIDI key
// (when MessageLine's second character is a digit) are taken, the command field is applied,
// palette 134 is shown, CommandLine(1) = "X" and the units message is shown. MessageLine and
// FrontEndCommandBuffer are blank afterwards either way.
void run_preferences_command() {
    PreferenceBlock block_a;
    PreferenceBlock block_b;
    fill_preference_blocks(block_a, block_b);
    put_midi_key_text();
    FrontEndCommandBuffer.set(kDefaultFileName);
    end_with_nul(LibraryFolder);
    end_with_nul(FontFolder);
    const auto print_name = OutputTargetName;
    OutputTargetName.blank();
    remove_nul(LibraryFolder);
    remove_nul(FontFolder);
    const PreferenceSettings before;
    end_with_nul(LibraryFolder);
    end_with_nul(FontFolder);

    SavedPreferencesReply.clear();
    const int result = front_end().RunPreferencesDialog(block_a, block_b);

    const std::string command = trim(OutputTargetName.c_text());
    OutputTargetName = print_name;
    const std::string library = trim(LibraryFolder.c_text());
    const std::string fonts = trim(FontFolder.c_text());
    remove_nul(LibraryFolder);
    remove_nul(FontFolder);
    // The MIDI key text and the file name were the dialog's own fields: left in the lines they
    // would show as the reply, or be read as the next command.
    const bool key_digit = is_digit(MessageLine(2));
    const char key_octave = MessageLine(2);
    clear_exchange_text();
    FrontEndCommandBuffer.blank();
    if (result == 2) {
        before.restore();
        return;
    }

    run_hook(PreferencesHooks.clear_symbol_cache);
    if (!library.empty()) set_folder(LibraryFolder, LibraryFolderLength, library);
    if (!fonts.empty()) set_folder(FontFolder, FontFolderLength, fonts);
    apply_preference_blocks(block_a, block_b);
    if (key_digit) BaseMidiKey = 12 * (key_octave - '0' + 1);
    if (!command.empty()) apply_preferences_line(command, LineSource::Command);

    run_hook(PreferencesHooks.show_item_palette, kGeneralPalette);
    CommandLine(1) = 'X';
    run_hook(PreferencesHooks.format_units_message);
    if (!SavedPreferencesReply.empty()) leave_reply(ReplyKind::Notice, SavedPreferencesReply);
}

}  // namespace core
