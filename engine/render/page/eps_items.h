// EPS items (item code 15): an Encapsulated PostScript file, or a fragment of PostScript the
// user wrote, placed on the page. On screen the item shows its file's bounding box as a
// rectangle with both diagonals; on the PostScript pass the file is copied inside a
// save/restore wrapper that moves, turns and scales it onto the page.
//
// The item: P5 and P6 the horizontal and vertical scale (0: 1.0, and P6 0: P5), P7..P10 the
// bounding box in points, P11 -9999 once the box has been read, P12 a turn in degrees about the
// origin, P13 1.0 = ask for a name on the next drawing (-1.0 after a name whose file is
// missing), P14..P45 the file name, four characters to a word, as typed.
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams, EditedItemNumber, ItemStore,
// ItemStartTable, ItemCount, ChangesMadeFlag, MacroUnit, CommandLine, FrontEndCommandBuffer,
// FrontEndPathBuffer, CurrentFileName (core); StaffTables (layout); ItemDrawOrigin,
// PathPointList, OutputPassWord, RenderHooks (render).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace render {

constexpr int kEpsNameWord = 14;    // first word of the name
constexpr int kEpsNameChars = 128;  // the characters the item holds
constexpr int kEpsItemWords = 13 + kEpsNameChars / 4;
constexpr float kEpsBoxRead = -9999.0f;

// The file name held in P14.. of ParamBuffer, without trailing blanks and NULs.
std::string eps_name_from_params();

// Contract: puts name into P14..P45 of ParamBuffer, of the stored item drawn (and of
// EditItemParams when it is the edited item), growing the stored record to hold it; raises
// ChangesMadeFlag. A name longer than kEpsNameChars is refused with a message and nothing
// changes (returns false).
bool store_eps_name(std::string_view name);

// The local path of the EPS file name: looked up as written (relative names in the current
// folder, case-insensitively); failing that, its file part in the current document's folder.
// "" when neither exists.
std::string find_eps_file(std::string_view name);

// Contract: reads the first four numbers of the first "%%BoundingBox" line of the file at path
// that holds four (a header "(atend)" holds none, so the trailer's line is found) into box.
// Lines are taken whole, ended by LF, CR LF or CR. False when the file cannot be read or holds
// no such line; box is then left alone.
bool read_eps_bounding_box(const std::string& path, float box[4]);

// Contract: the PostScript pass of the copier: every line of the file at path that does not
// begin with "%" goes whole to RenderHooks.write_ps_line as a blank and the line without its
// trailing blanks. A file that cannot be read is reported ("File not found:" and the name) once
// per name until it is found again; nothing is written then. Returns whether the file was read.
bool copy_eps_postscript(const std::string& path, std::string_view name);

// Contract: reads the box of the file named in ParamBuffer into P7..P10 and sets P11 = -9999,
// in ParamBuffer, the stored item and the edit buffer, when the box is unread (P11 not -9999, or
// -9999 with P7..P10 all 0) and the file exists and holds one. Returns whether it was read.
bool take_eps_box();

// Contract: asks for the item's file name (the dialog "Type EPS file name.", or the next line of
// an open command file), presetting the current one; repeats while the answer is blank. Cancel,
// or a command file that ends, leaves the item as it was with P13 = 0. The name is kept as
// typed, ".EPS" added when its file part has no extension, and stored (store_eps_name); P13 is
// then 0, or -1.0 after "File not found --> " when no such file exists. A changed name leaves
// the box unread (P11 = 0), to be read from the new file, except on a new item from a command
// file whose line gave a box (P7..P10 not all 0): that box is kept and marked read. Returns
// whether the name changed.
bool ask_eps_file_name();

// Contract: the code 15 drawer (ParamBuffer, ItemDrawOrigin, the current staff). Screen pass:
// asks for a name when P13 is 1.0; finds the file (a missing one is told once per name until
// it is found again, and the item keeps its last box) and, while the box is unread, reads it
// into P7..P11 of the item (store, edit buffer, ParamBuffer; ChangesMadeFlag raised); then draws
// the box outline, turned by P12, or without a box a plain rectangle of 7 x staff scale x
// (P5 or 3.0) by (P6 or that width). PostScript pass: write_eps_wrapper. Other passes: nothing.
void draw_postscript_item();

// Contract: the PostScript pass of the item in ParamBuffer through RenderHooks.write_ps_line:
// the save wrapper, the placement (or, without a box, the page values a fragment may use:
// RenderHooks.eps_page_values, the screen's values while it is unset), the file's PostScript,
// and the closing lines with the page procedure.
void write_eps_wrapper();

// Registers the code 15 drawer and forgets the names reported missing (a clean engine).
void register_eps_drawers();

}  // namespace render
