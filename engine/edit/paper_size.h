// The paper and page setup ("PA"): the paper format, the custom size and the page extent.
//
// Tables: ParamBuffer, ItemPanelRecord (core); PageFormatIndex, PageExtent, UserPaperSize,
// PageWidth, PageCentre (render).
#pragma once

namespace edit {

void set_paper_size();

}  // namespace edit
