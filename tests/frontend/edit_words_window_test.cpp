// Editing an item from the window: the slider's palette buttons, and a click in the page that
// moves the edited item there.
#include <QToolBar>
#include <cstdlib>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/app/command_handlers.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"
#include "frontend/bridge/display_decoder.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

// The build's palette data and the engine with its data folder.
class EditWordsWindowTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        ResetFrameState();
        ResetPaletteState();
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_TRUE(home != nullptr && *home != '\0');
        UsePaletteFolder("");
        bar_widget_ = std::make_unique<QToolBar>();
        PaletteToolbarWnd = bar_widget_.get();
        ASSERT_TRUE(start_engine_with_data());
        core::EngineWaitLevel = 0;
    }
    void TearDown() override {
        PaletteToolbarWnd = nullptr;
        bar_widget_.reset();
        ResetPaletteState();
        FrontEndTest::TearDown();
    }
    std::unique_ptr<QToolBar> bar_widget_;
};

// The palette buttons "Slider on P3" and "Parameter change step 12", and steps 1 and 9.
constexpr int32_t kSliderOnP3 = 33961;
constexpr int32_t kSliderOnP5 = 34050;
constexpr int32_t kStep12 = 33731;
constexpr int32_t kStep9 = 34211;

}  // namespace

TEST_F(EditWordsWindowTest, SliderButtonsChangeTheEditedItem) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("1 1 20 5 5 0 1");
    ASSERT_EQ(core::EditedItemNumber, 2);
    ASSERT_TRUE(RunCommandHandler(kSliderOnP3));
    EXPECT_EQ(core::MessageLine.trimmed(), "Editing P3");
    ASSERT_TRUE(RunCommandHandler(kStep12));
    EXPECT_EQ(core::EditItemParams(3), 40.0f);
    ASSERT_TRUE(RunCommandHandler(kStep9));
    EXPECT_EQ(core::EditItemParams(3), 41.0f);
    ASSERT_TRUE(RunCommandHandler(kSliderOnP5));
    ASSERT_TRUE(RunCommandHandler(kStep9));
    EXPECT_EQ(core::EditItemParams(5), 6.0f);
    EXPECT_EQ(core::EditItemParams(3), 41.0f);
}
