#include "engine/edit/text/text_files.h"

#include <filesystem>
#include <fstream>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace edit {

std::string TextFileName;
std::string TextFileBuffer;
bool TextFileCut = false;

namespace {

namespace fs = std::filesystem;

constexpr int kTextSaveUnit = 47;  // a text file while it is saved
constexpr int32_t kSaveAs = 3;
constexpr int32_t kKeepPreset = -1234;
constexpr int32_t kYes = -1;
constexpr int kNameColumn = 6;
constexpr int kNameChars = 124;

std::string trimmed(std::string_view s) {
    const std::size_t nul = s.find('\0');
    if (nul != std::string_view::npos) s = s.substr(0, nul);
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

// The name the file-name dialog left in CommandLine ("" when cancelled or blank).
std::string asked_name() {
    core::ask_file_name_blank_on_cancel();
    return trimmed(core::CommandLine.view().substr(0, 128));
}

// The bytes of the file at path, at most kTextFileBytes of them; false when it cannot be read.
bool read_text_file(const std::string& path, std::string& bytes, bool& cut) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(static_cast<std::size_t>(kTextFileBytes) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    cut = got > static_cast<std::size_t>(kTextFileBytes);
    bytes.resize(std::min(got, static_cast<std::size_t>(kTextFileBytes)));
    return true;
}

// Writes text on a unit that replaces path only once the text is written whole.
bool write_through_temporary(const std::string& path, std::string_view text) {
    if (!core::open_unit_at_local_path(kTextSaveUnit, path, core::UnitStatus::Replace,
                                       core::UnitForm::Raw))
        return false;
    if (core::write_bytes(kTextSaveUnit, text.data(), text.size()) != core::IoResult::Ok) {
        core::abandon_unit(kTextSaveUnit);
        return false;
    }
    return core::close_unit(kTextSaveUnit);
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

// Save As of the buffer: asks for the name (the file's own name preset).
void save_text_file_as() {
    std::string preset = TextFileName.substr(0, 511);
    if (TextFileName.size() < 512) preset += '\0';
    core::set_exchange_text(preset);
    core::IntParamBuffer(50) = kKeepPreset;
    const std::string name = asked_name();
    core::IntParamBuffer(50) = 0;
    if (name.empty()) return;
    const std::string target = platform::local_path(name);
    const std::string source = platform::local_path(TextFileName);
    if (TextFileCut && same_file(target, source)) {
        const std::string question = "*** Only the first " + std::to_string(kTextFileBytes) +
                                     " bytes of " + name +
                                     " were read. Write them over the whole file?";
        if (core::front_end().AskYesNo(question.c_str(), 1) != kYes) return;
    }
    const std::size_t last = TextFileBuffer.find_last_not_of(' ');
    const std::string_view text = last == std::string::npos
                                      ? std::string_view{}
                                      : std::string_view(TextFileBuffer).substr(0, last + 1);
    if (!write_through_temporary(target, text)) {
        core::report_failure("*** The file could not be written: " + platform::shown_path(name));
    }
}

}  // namespace

void view_text_file() {
    std::string name = trimmed(core::SecondLine.sub(kNameColumn, kNameColumn + kNameChars - 1));
    if (name.empty()) name = asked_name();
    if (name.empty()) return;
    std::string bytes;
    bool cut = false;
    if (!read_text_file(platform::local_path(name), bytes, cut)) {
        core::report_failure(core::unreadable_file_message(name));
        return;
    }
    TextFileName = name;
    TextFileBuffer = std::move(bytes);
    TextFileCut = cut;
    if (cut) {
        core::show_notice("*** The file is longer than " + std::to_string(kTextFileBytes) +
                          " bytes: only its first " + std::to_string(kTextFileBytes) +
                          " bytes are shown.");
    }
    core::FrontEndCommandBuffer.set(name);
    const int result = core::front_end().RunTextFileDialog(TextFileBuffer);
    // The name was only the viewer's caption: left in the buffer it would be read as the next
    // command typed.
    core::FrontEndCommandBuffer.blank();
    if (result == kSaveAs) save_text_file_as();
}

bool read_text_lines_file() {
    std::string name;
    for (;;) {
        if (core::MacroUnit > 0) {
            std::string record;
            if (core::next_command_file_answer_record(record)) {
                name = trimmed(std::string_view(record).substr(0, 128));
                break;
            }
            core::close_unit(core::MacroUnit);
            core::MacroUnit = 0;
            continue;
        }
        name = asked_name();
        break;
    }
    if (name.empty()) {
        core::CommandModeLetters(1) = -1;
        return false;
    }
    TextFileName = name;
    core::LastMacroFileName.set(name);
    core::TextReadRequestWord.set("TTR");
    core::CommandModeLetters(1) = 'R';
    core::CommandModeLetters(2) = 'E';
    core::open_command_file();
    return core::CommandModeLetters(1) != -1;
}

}  // namespace edit
