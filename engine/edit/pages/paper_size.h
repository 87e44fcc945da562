// The paper and page setup ("PA"): the paper format, the custom size and the page extent.
//
// Tables: ParamBuffer, IntParamBuffer, CurrentFileName (core); PageFormatIndex,
// PageExtentFollowsPaper, PageExtent, PageExtentUnits, UserPaperSize, PageWidth, PageCentre
// (render).
#pragma once

#include <cstdint>

namespace edit {

// The text shown when a custom paper is too narrow for a page (its width less one inch).
inline constexpr const char* kPaperTooNarrow =
    "**** The paper must be wider than 1 inch: the paper size was not changed.";

// Contract: the Paper Size dialog is shown with the custom size (inches); its answer: 0 (closed
// with Escape) changes nothing. Otherwise "PA" with P2 1.0 makes the page extent follow the
// paper from now on, 2.0 keeps it at Letter (any other value leaves the switch), and -1 (no
// outline) sets PageFormatIndex 0 and keeps the extent and the custom size; 1..8 becomes
// PageFormatIndex, and custom (8) takes the width and height back (centimetres / 2.54). Then
// PageExtent and PageExtentUnits become the Letter values or, while the extent follows the paper,
// the paper's (custom: the width less one inch), and PageWidth and PageCentre follow the extent. A
// custom width of 1 inch or less (or not a number) is refused with kPaperTooNarrow and nothing
// changes; an answer outside -1..8 changes nothing. The title line is renewed and the page
// redrawn after every change.
void set_paper_size();

}  // namespace edit
