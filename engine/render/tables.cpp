#include "engine/render/tables.h"

#include "engine/core/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/text_justify.h"

namespace render {

PathPointListRecord PathPointList;
int32_t PathPointLimit = kPathPoints;
int32_t OutputPassWord = 1;
int32_t DrawColourWord = 0;
int32_t LastOperationWord = 0;
ViewOriginRecord ViewOrigin;
ItemDrawOriginRecord ItemDrawOrigin;
float PageExtent = 200.0f;
int32_t PageExtentUnits = 30000;
int32_t PageExtentFollowsPaper = 0;
float PageWidth = 200.0f;
float PageCentre = 100.0f;
int32_t DisplayMarkWord = 0;
UserPaperSizeRecord UserPaperSize;
PageOutlineShiftRecord PageOutlineShift;
QuadWorkRecord QuadWork;
int32_t OutOfBoundsNoticeOff = 0;
int32_t OutOfBoundsNoticeHeld = 0;
float StaffLookupNumber = 0.0f;
int32_t ItemCountLimit = core::kItemCountLimit;
int32_t AppendTargetItem = 0;
int32_t HighlightFlag = 0;
int32_t EditGuideMode = 0;
float EditGuideColumn = 0.0f;
PreviewStartRecord PreviewStart;
ColourMemoRecord ColourMemo;
GreyStateRecord GreyState;
int32_t ScreenListFullNoticed = 0;
int32_t ScreenListOverflow = 0;
int32_t SymbolRangeReported = 0;
int32_t DrawingRangeReported = 0;
int32_t CurrentFontNumber = 0;
LoadedFontRecord LoadedFont;
int32_t PsColourFlag = 0;
int32_t FreezeScreen = 1;
int32_t AfterKeywordFlag = 0;
int32_t HiddenImageItem = 0;
core::FixedText<512> EditTextBuffer;
ScrollStateRecord ScrollState;
float ScrollFraction = 99.0f;

void reset_render_tables() {
    PathPointList.count = 1;
    PathPointLimit = kPathPoints;
    OutputPassWord = 1;
    DrawColourWord = 0;
    LastOperationWord = 0;
    ViewOrigin = ViewOriginRecord{};
    ItemDrawOrigin = ItemDrawOriginRecord{};
    PageExtent = 200.0f;
    PageExtentUnits = 30000;
    PageExtentFollowsPaper = 0;
    PageWidth = 200.0f;
    PageCentre = 100.0f;
    DisplayMarkWord = 0;
    UserPaperSize = UserPaperSizeRecord{};
    PageOutlineShift = PageOutlineShiftRecord{};
    QuadWork = QuadWorkRecord{};
    OutOfBoundsNoticeOff = 0;
    OutOfBoundsNoticeHeld = 0;
    StaffLookupNumber = 0.0f;
    ItemCountLimit = core::kItemCountLimit;
    AppendTargetItem = 0;
    HighlightFlag = 0;
    EditGuideMode = 0;
    EditGuideColumn = 0.0f;
    PreviewStart = PreviewStartRecord{};
    ColourMemo = ColourMemoRecord{};
    GreyState = GreyStateRecord{};
    ScreenListFullNoticed = 0;
    ScreenListOverflow = 0;
    SymbolRangeReported = 0;
    DrawingRangeReported = 0;
    CurrentFontNumber = 0;
    LoadedFont = LoadedFontRecord{};
    reset_font_tables();
    reset_text_justify_state();
    PsColourFlag = 0;
    FreezeScreen = 1;
    AfterKeywordFlag = 0;
    HiddenImageItem = 0;
    EditTextBuffer.blank();
    ScrollState = ScrollStateRecord{};
    ScrollFraction = 99.0f;
}

}  // namespace render
