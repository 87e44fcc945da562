#include "engine/core/bridge/yes_no_line.h"

#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/number_line.h"

namespace core {

namespace {

char first_letter(std::string_view line) {
    for (const char c : line) {
        if (c != ' ' && c != '\t') return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return 0;
}

}  // namespace

std::string yes_no_question_name(std::string_view question) {
    std::string name;
    std::size_t at = 0;
    while (at <= question.size()) {
        std::size_t end = question.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = question.size();
        std::string_view piece = question.substr(at, end - at);
        const std::size_t first = piece.find_first_not_of(' ');
        if (first != std::string_view::npos) {
            piece = piece.substr(first, piece.find_last_not_of(' ') - first + 1);
            if (!name.empty()) name += ' ';
            name += piece;
        }
        at = end + 1;
    }
    for (bool cut = true; cut;) {
        cut = false;
        while (!name.empty() && (name.back() == ' ' || name.back() == '-' || name.back() == '>')) {
            name.pop_back();
            cut = true;
        }
        if (name.ends_with("(Y/N)")) {
            name.resize(name.size() - 5);
            cut = true;
        }
    }
    const std::size_t first = name.find_first_not_of(" -");
    return first == std::string::npos ? std::string() : name.substr(first);
}

ScriptYesNo read_script_yes_no(std::string_view question, std::string_view line, bool exit_offered,
                               std::string_view ends) {
    // A line cut at its length limit answers nothing: its lost rest may have changed it.
    const bool cut = is_cut_line(line);
    const char a = cut ? '\0' : first_letter(line);
    if (a == 'Y') return {-1, {}};
    if (a == 'X' && exit_offered) return {-2, {}};
    if (a == 'N') return {0, {}};
    const std::string prompt = yes_no_question_name(question);
    const std::string shown = cut ? cut_line_shown(line) : std::string(line);
    line = shown;
    if (exit_offered && !ends.empty())
        return {-2, number_non_answer_text(prompt, line,
                                           std::string(ends) + " ended, nothing was changed.")};
    return {0, number_non_answer_text(prompt, line, "taken as No.")};
}

std::string command_file_ended_at(std::string_view question) {
    return "*** The command file ended before this was answered: " + yes_no_question_name(question);
}

}  // namespace core
