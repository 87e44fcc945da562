// A page for the item-end and box tests: staves with known heights and scales, the output lists
// handed in, and the scripted front-end receiving prompts and repaints.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"
#include "tests/support/temp_folder.h"

class EditPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::set_front_end(&fe_);
        // A redraw needs the program's fonts.
        temp_.use_program_data_folder();
        temp_.enter();
        graphics_.assign(core::kGraphicsListWords, 0);
        text_.assign(core::kTextStreamBytes, 0);
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
        core::GraphicsNextFree = 1;
        core::UndoSaveMode = -3;  // no undo files
        // Staff s sits at height 20000 - 3000 s, size 1.
        for (int s = 0; s <= layout::kMaxStaves; ++s) layout::StaffTables.StaffScale(s) = 25.0f;
        for (int s = 1; s <= layout::kMaxStaves; ++s) {
            layout::StaffTables.StaffMiddleY(s) = 20000 - 3000 * s;
        }
    }
    void TearDown() override {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::set_front_end(nullptr);
    }

    // The edited item's values E1.. (the rest 0).
    static void edit_item(std::initializer_list<float> values) {
        core::EditItemParams.fill(0.0f);
        int k = 1;
        for (float v : values) core::EditItemParams(k++) = v;
    }

    TempFolder temp_{"edit_page_test"};
    ScriptedFrontEnd fe_;
    std::vector<int32_t> graphics_;
    std::vector<uint8_t> text_;
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
};
