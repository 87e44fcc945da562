// Items whose parameters lie far beyond any sensible value (typed or loaded: -3e9, 1e38, inf,
// NaN ...) are drawn, previewed and written in the PostScript pass without undefined behaviour
// and without ending the command: each drawer holds such a value to the range it can use, or
// leaves the item out. The sanitizer build aborts at the first overflow; the case being drawn is
// then printed. Also: the bounded conversion itself, symbol numbers beyond the library, and the
// staff offset of a merge after a page whose staff numbers are huge.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/files/file_commands.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "platform/paths.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"
#include "tests/support/temp_folder.h"

// A source path relative to the build folder (as the compiler was given it) is taken from the
// test program's folder, the top of the build folder, whatever the current folder.
static std::filesystem::path from_build_folder(const std::filesystem::path& p) {
    if (!p.is_relative()) return p;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? p : self.parent_path() / p;
}

namespace {

namespace fs = std::filesystem;

constexpr float kInf = std::numeric_limits<float>::infinity();
const std::vector<float> kHugeValues = {-3e9f, 3e9f,          1e38f,         -1e38f,        kInf,
                                        -kInf, std::nanf(""), 2147483648.0f, -2147483649.0f};
// The parameters the drawers read (P26 is the colour; P28 the trill's PostScript width).
constexpr int kLastParameter = 30;

constexpr char kSymbolRangeMessage[] = "*** Symbol number out of range: ";

fs::path reference_folder() {
    return from_build_folder(fs::path(__FILE__).parent_path().parent_path() / "reference");
}

using Item = std::vector<float>;

// The items of a page script: one item per line of numbers, comments after "%".
std::vector<Item> read_items(std::istream& in) {
    std::vector<Item> items;
    for (std::string line; std::getline(in, line);) {
        line = line.substr(0, line.find('%'));
        std::istringstream words(line);
        Item item;
        for (float v; words >> v;) item.push_back(v);
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

std::vector<Item> read_page(const std::string& name) {
    std::ifstream in(reference_folder() / (name + ".cmd"));
    return read_items(in);
}

// Sound items of the codes and kinds the reference pages leave out: notes with shaped,
// bracketed and library heads, grace notes, marks, shifted heads and cross-staff stems, a clef
// with its octave figure, slurs, ornaments of every kind, library symbols (a word symbol,
// glyphs turned and thickened, a page-frame drawing, a text symbol, a user symbol that is not
// there), numbers and letters, a drawing file, boxes, symbols, EPS and passing items. Text
// items are added apart (their characters follow).
const char* const kOtherItems = R"(
8 4 0
8 6 10
3 4 1 0 0
3 6 1 0 2 1.2
3 4 5 0 0 0.15
1 4 20 8 11 20
1 4 22 7 21 -21 0 0 0 0 0 0 0 0 1.2
1 4 24 9 12 12 0 0 1121
1 4 26 9 12 0 0 101 2
1 4 28 9 12 0 0 0 0 10 5
1 4 30 9 12 0 0 0 0 110 7 1
1 4 32 9 12 30 0 0 0 20 12
1 4 34 9 12 -5
1 4 36 109 12 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1
1 4 38 2 22 23 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1.5 0 0 0 0 0 0 0 0
1 6 40 5 10 -24
1 4 42 5 10 0 0 0 0 0 0 1
1 4 44 5 103.5 0 0 0 1010.5 0 3 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 1 1.3
5 4 10 8 0 30 8
7 4 20 10 0 60 0 2
7 4 20 10 0 60 0 4 0 0 0 0 0 0 0 0 0 1
7 4 20 -6 1 0 1 123 4567
7 4 20 -6 0 80 21 0 0 0 0 0
7 4 20 -6 0 80 22 40 3 0 101.5 2
7 4 30 12 0 0 23 0 1
7 4 30 12 0 0 24 0 1.5
7 4 30 12 0 0 25
7 4 40 12 0 90 8
7 4 40 -4 0 90 -8
7 4 40 12 0 90 15
7 4 40 12 0 90 88
7 4 40 -4 0 90 -88
7 4 40 12 0 90 155
7 4 50 12 0 0 3
7 4 50 12 0 90 3 60
9 4 30 10 45
9 4 30 10 48 1 1 2 30 1
9 4 30 10 10 0.5 0 0 0
9 4 60 10 1301 1
9 6 60 10 3001 1
9 6 60 10 5003 1
10 4 30 14 12 0.7
10 4 60 14 7 1 94 1
10 4 70 14 12.5 1 3 2 0 0 0 0 0 0 0 0 27 0 0 0
10 4 40 14 -3.25 0.7 0 1 0 0 0 0 0 0 0 0 3 1500 15 2
10 4 50 14 1003 0.7 0 2 0 0 0 0 0 0 0 0 0 2002
10 6 50 14 1003 0.7 0 2 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0.5
11 4 60 10
12 4 30 10 0 2 1
12 4 40 10 1 2 2
12 4 50 10 10 2 2
12 4 60 10 -1 1
12 4 70 10 3 2 2
13 4 30 10 4001 1
14 4 30 2 0
15 4 30 10
17 6 10 0 3 0
18 6 20 0 6 8
19 4 30 10 1
20 4 30 10 1
21 4 30 10 1
22 4 30 10 1
23 4 30 10 1
)";

std::vector<Item> other_items() {
    std::istringstream in(kOtherItems);
    return read_items(in);
}

// What was being drawn when the sanitizer stopped the program.
std::string g_case;
void print_case() { std::fprintf(stderr, "\n*** while drawing: %s\n", g_case.c_str()); }

// Each sanitizer runtime keeps its own death callback (the undefined-behaviour one stops the
// program through its own): the callback goes to every runtime loaded.
void set_death_callbacks(void (*callback)()) {
    using Setter = void (*)(void (*)());
    for (const char* library : {"libasan.so.8", "libubsan.so.1"}) {
        void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
        if (handle == nullptr) continue;
        if (auto set = reinterpret_cast<Setter>(dlsym(handle, "__sanitizer_set_death_callback")))
            set(callback);
        dlclose(handle);
    }
}

// Notices are switched off at their first showing ("don't show again"), as a user would.
class QuietFrontEnd : public ScriptedFrontEnd {
  public:
    int RunDontShowAgainNotice() override {
        ++notices;
        return 1;
    }
    int RunOutOfBoundsNotice() override { return 1; }
    // Served as ever, but not recorded: nothing here reads the records, and the thousands of
    // redraws would pile up gigabytes of them.
    void FrontEndService(char tag[4], core::ServiceBlock& block) override {
        ScriptedFrontEnd::FrontEndService(tag, block);
        services.clear();
    }
    int notices = 0;
};

std::string describe(const std::string& page, int k, float value, const std::string& pass) {
    std::ostringstream out;
    out << page << ": P" << k << " = " << value << ", " << pass;
    return out.str();
}

class HugeParametersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr || *home == '\0') GTEST_SKIP() << "no data folder (ORMEST_HOME)";
        core::reset_engine();
        core::set_front_end(&fe_);
        platform::set_data_folder(home);
        platform::set_work_folder(temp_.work().string());
        ASSERT_TRUE(core::start_engine());
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
        render::OutputPassWord = 1;
        set_death_callbacks(print_case);
    }
    void TearDown() override {
        set_death_callbacks(nullptr);
        core::close_all_units();
        render::OutputPassWord = 1;
        core::EditedItemNumber = 0;
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::set_front_end(nullptr);
    }

    // An empty store, then the items (a text item gets the characters given).
    static void fill_store(const std::vector<Item>& items) {
        core::clear_item_store();
        for (const Item& item : items) {
            Item words = item;
            if (words.size() < 3) words.resize(3, 0.0f);
            append_test_record(words);
        }
        int32_t appended = 0;
        layout::rebuild_index_and_staff_table(appended);
    }
    static void add_text_item(Item params, const std::string& text) {
        if (params.size() < 13) params.resize(13, 0.0f);
        params[11] = static_cast<float>(text.size());
        render::EditTextBuffer.set(text);
        int32_t n = static_cast<int32_t>(params.size());
        ASSERT_TRUE(render::append_item(n, params.data(), n));
    }

    // Screen pass, the preview of every item from `first_preview` on, and the PostScript pass
    // (unit 24 open). A defect report (the command ended half-way) is a failure of the case.
    void draw_all_passes(const std::string& what, int32_t first_preview = 1) {
        try {
            g_case = what + ", screen";
            render::OutputPassWord = 1;
            render::redraw_items();
            g_case = what + ", preview";
            for (int32_t k = first_preview; k <= core::ItemCount; ++k) {
                core::EditedItemNumber = k;
                render::redraw_edited_item();
            }
            core::EditedItemNumber = 0;
            g_case = what + ", PostScript";
            render::OutputPassWord = -1;
            render::redraw_items();
            render::OutputPassWord = 1;
        } catch (const std::exception& e) {
            core::EditedItemNumber = 0;
            render::OutputPassWord = 1;
            ADD_FAILURE() << g_case << " (item " << core::ItemCount << "): " << e.what();
        }
    }

    bool open_postscript_unit() {
        if (!core::open_unit(24, (temp_.root() / "out.ps").string(), core::UnitStatus::Unknown,
                             core::UnitForm::Text))
            return false;
        render::begin_postscript_fonts();
        return true;
    }

    // Every huge value in every parameter of every item at once (staff items alone, since
    // they carry the staff every other item stands on).
    void run_page(const std::string& page, const std::vector<Item>& items,
                  const std::vector<std::pair<Item, std::string>>& texts = {}) {
        ASSERT_TRUE(open_postscript_unit());
        auto fill = [&](const std::vector<Item>& its) {
            fill_store(its);
            for (const auto& [params, text] : texts) add_text_item(params, text);
        };
        // The sound page itself draws.
        fill(items);
        draw_all_passes(page + ": as it is");
        render::redraw_items();
        EXPECT_GT(graphics_length_, 100) << page;
        for (int k = 1; k <= kLastParameter; ++k) {
            for (float value : kHugeValues) {
                std::vector<Item> mutated = items;
                for (Item& item : mutated) {
                    if (item[0] == 8.0f) continue;
                    if (item.size() < static_cast<std::size_t>(k)) item.resize(k, 0.0f);
                    item[static_cast<std::size_t>(k - 1)] = value;
                }
                fill(mutated);
                // Text items: their parameters (with P14 to P16, which are characters or the
                // colour as P14 says).
                if (!texts.empty() && k <= 16) {
                    for (int32_t i = 1; i <= core::ItemCount; ++i) {
                        const int32_t s = core::ItemStartTable(i);
                        if (core::ItemStore(s + 1) == 16.0f &&
                            k <= core::int_of(core::ItemStore(s)))
                            core::ItemStore(s + k) = value;
                    }
                }
                draw_all_passes(describe(page, k, value, "every item"));
                for (std::size_t i = 0; i < items.size(); ++i) {
                    if (items[i][0] != 8.0f) continue;
                    std::vector<Item> one = items;
                    if (one[i].size() < static_cast<std::size_t>(k)) one[i].resize(k, 0.0f);
                    one[i][static_cast<std::size_t>(k - 1)] = value;
                    fill(one);
                    draw_all_passes(describe(page, k, value, "staff item " + std::to_string(i)));
                }
            }
        }
        core::close_unit(24);
    }

    // The symbol-number messages on the message line.
    std::vector<std::string> range_messages() const {
        std::vector<std::string> out;
        for (const std::string& line : fe_.prompts)
            if (line.find(kSymbolRangeMessage) != std::string::npos) out.push_back(line);
        return out;
    }

    // A line typed in the command bar.
    void type(const std::string& line) {
        core::MessageLine.set(line);
        core::FrontEndCommandBuffer.blank();
        int32_t status = 0;
        g_case = "typed: " + line;
        core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status);
    }

    QuietFrontEnd fe_;
    TempFolder temp_{"huge_parameters"};
    std::vector<int32_t> graphics_ = std::vector<int32_t>(core::kGraphicsListWords, 0);
    std::vector<uint8_t> text_ = std::vector<uint8_t>(core::kTextStreamBytes, 0);
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
};

// ---- the conversion -------------------------------------------------------------------------

TEST(BoundedWholeNumberTest, ValuesAreTruncatedAndHeldToTheRange) {
    const float nan = std::nanf("");
    const std::vector<std::pair<float, int32_t>> within_ten = {
        {7.9f, 7},     {-7.9f, -7}, {10.0f, 10},   {10.999f, 10}, {11.0f, 10},  {-10.0f, -10},
        {-11.0f, -10}, {1e38f, 10}, {-1e38f, -10}, {kInf, 10},    {-kInf, -10}, {nan, 0}};
    for (const auto& [value, held] : within_ten)
        EXPECT_EQ(core::int_in(value, -10, 10), held) << value;
    EXPECT_EQ(core::int_in(nan, 5, 10), 5);  // NaN is 0, then held to the range
    EXPECT_EQ(core::int_in(2147483648.0f, INT32_MIN, INT32_MAX), INT32_MAX);
    EXPECT_EQ(core::int_in(-2147483649.0f, INT32_MIN, INT32_MAX), INT32_MIN);
}

// ---- every drawer ---------------------------------------------------------------------------

class HugeParameterPagesTest : public HugeParametersTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(HugeParameterPagesTest, EveryParameterTakesHugeValuesOnEveryPass) {
    const std::string page = GetParam();
    const std::vector<Item> items = read_page(page);
    ASSERT_GT(items.size(), 10u);
    run_page(page, items);
}

INSTANTIATE_TEST_SUITE_P(Pages, HugeParameterPagesTest,
                         ::testing::Values("scale", "beams", "rests", "keys_meters", "bar_lines",
                                           "lines"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(HugeParametersTest, EveryOtherItemCodeTakesHugeValuesOnEveryPass) {
    run_page("other codes", other_items(),
             {{{16, 4, 20, 8, 0, 1.2f}, "Allegro"},
              {{16, 6, 20, 8, 1.1f, 1, 1, 1.5f, 30, 0.5f, 0, 0, 0, -1, 0, 0.5f}, "ma non troppo"}});
}

// Every kind of item of the pages alone with its staves, as when it is the only one typed; also
// values inside the 32-bit range that overflow once multiplied. The staves are sound: only the
// item is previewed.
class HugeParameterItemsTest : public HugeParameterPagesTest {};

TEST_P(HugeParameterItemsTest, EachItemAloneTakesHugeValues) {
    ASSERT_TRUE(open_postscript_unit());
    const std::string page = GetParam();
    const std::vector<Item> items = page == "other" ? other_items() : read_page(page);
    // One of each: items that differ only in x draw alike.
    std::set<Item> kinds;
    std::vector<float> values = kHugeValues;
    values.insert(values.end(), {2147483520.0f, 3e7f, -3e7f});
    for (const Item& item : items) {
        if (item[0] == 8.0f) continue;
        Item kind = item;
        kind[2] = 0.0f;
        if (!kinds.insert(kind).second) continue;
        for (int k = 1; k <= kLastParameter; ++k) {
            for (float value : values) {
                Item one = item;
                if (one.size() < static_cast<std::size_t>(k)) one.resize(k, 0.0f);
                one[static_cast<std::size_t>(k - 1)] = value;
                const float staff = item[1];
                fill_store({{8, staff, 0}, {8, staff + 1, 0}, {8, staff + 2, 0}, one});
                std::ostringstream what;
                what << "item code " << item[0] << " alone";
                draw_all_passes(describe(what.str(), k, value, ""), 4);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, HugeParameterItemsTest,
                         ::testing::Values("other", "scale", "beams", "rests", "keys_meters",
                                           "bar_lines", "lines"),
                         [](const auto& info) { return std::string(info.param); });

// ---- the output values themselves ----------------------------------------------------------
// The sanitizer build stops at an overflow; these look at the values written, so that a build
// without it fails too when a value is not held.

TEST_F(HugeParametersTest, TheMarkerOfAFarItemStandsAtTheHeldPlace) {
    // An invisible bar (negative P4, invisible items hidden) draws nothing but its marker.
    layout::ShowInvisibleItems = -1;
    render::EditGuideMode = 0;
    for (float p3 : {1e30f, -1e30f}) {
        SCOPED_TRACE(p3);
        fill_store({{8, 4, 0}, {14, 4, p3, -1}});
        render::redraw_items();
        core::EditedItemNumber = 2;
        render::redraw_edited_item();
        core::EditedItemNumber = 0;
        // The marker: the last four entries, a filled triangle pointing down at the item.
        ASSERT_GE(graphics_length_, 12);
        const int32_t at = graphics_length_ - 11;
        const int32_t x =
            (p3 > 0 ? render::kFarCoordinate : -render::kFarCoordinate) + render::ViewOrigin.x;
        EXPECT_EQ(graphics_[at - 1], x);
        EXPECT_EQ(graphics_[at - 1 + 3], x + 200);
        EXPECT_EQ(graphics_[at - 1 + 6], x - 200);
        EXPECT_EQ(graphics_[at - 1 + 9], x);
        EXPECT_EQ(static_cast<uint32_t>(graphics_[at + 1]) >> 24, 2u);  // the path starts there
    }
}

TEST_F(HugeParametersTest, ABarWithAHugeStaffCountSpansTheStavesThereAre) {
    layout::ShowInvisibleItems = 1;  // a negative count is a dashed bar, shown
    auto bar_output = [this](float p4) {
        fill_store({{8, 4, 0}, {8, 5, 0}, {8, 6, 0}, {14, 4, 30, p4}});
        render::redraw_items();
        const int32_t from = core::ItemOutputSpans.graphics(4);
        const int32_t to = core::ItemOutputSpans.graphics(5);
        return std::vector<int32_t>(graphics_.begin() + from - 1, graphics_.begin() + to - 1);
    };
    // From staff 4 up to the last staff there can be: 253 staves.
    const float span = static_cast<float>(layout::MaxStaffNumber - 4 + 1);
    for (const float sign : {-1.0f, 1.0f}) {
        SCOPED_TRACE(sign);
        const std::vector<int32_t> expected = bar_output(sign * span);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(bar_output(sign * 1e10f), expected);
    }
    layout::ShowInvisibleItems = -1;
}

// ---- symbol numbers beyond the library ------------------------------------------------------

TEST_F(HugeParametersTest, ASymbolNumberBeyondTheLibraryIsReportedOncePerRedraw) {
    fill_store({{8, 4, 0}, {9, 4, 30, 10, 20005}, {9, 4, 40, 10, 10000}, {13, 4, 50, 10, 3e9f}});
    render::redraw_items();
    EXPECT_EQ(range_messages(),
              std::vector<std::string>{std::string(kSymbolRangeMessage) + "20005"});
    // No file is looked for: neither the missing-file notice nor a message box.
    EXPECT_EQ(fe_.notices, 0);
    EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
    for (int32_t k = 2; k <= 4; ++k) {
        EXPECT_EQ(core::ItemOutputSpans.graphics(k + 1), core::ItemOutputSpans.graphics(k))
            << "item " << k << " drew";
    }

    // Each redraw tells it again, once.
    fe_.prompts.clear();
    render::redraw_items();
    EXPECT_EQ(range_messages().size(), 1u);

    // The first number beyond the library.
    fe_.prompts.clear();
    fill_store({{8, 4, 0}, {13, 4, 50, 10, 10000}});
    render::redraw_items();
    EXPECT_EQ(range_messages(),
              std::vector<std::string>{std::string(kSymbolRangeMessage) + "10000"});
    EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
}

TEST_F(HugeParametersTest, TheLastSymbolNumberOfTheLibraryIsLookedFor) {
    // Symbol 9999 is drawing 9 of lb9990.drw, which the library does not hold: the file is
    // looked for and reported missing, the number is not out of range.
    fill_store({{8, 4, 0}, {13, 4, 30, 10, 9999}, {13, 4, 40, 10, 10}});
    render::redraw_items();
    EXPECT_TRUE(range_messages().empty()) << range_messages().front();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("lb9990.drw"), std::string::npos) << fe_.message_boxes[0];
    EXPECT_GT(core::ItemOutputSpans.graphics(4), core::ItemOutputSpans.graphics(3));
}

// ---- typed items -----------------------------------------------------------------------------

TEST_F(HugeParametersTest, TypedItemsWithHugeParametersAreStoredAndDrawn) {
    // 38 digits: beyond every whole number, and still a value the store can hold (39 digits
    // are refused).
    const std::string huge(38, '9');
    type("EI");  // the items are entered, not edited
    type("8 4 0");
    type("1 4 20 8 " + huge + " -3000000000");
    type("14 4 30 3000000000 2147483648");
    type("9 4 40 8 20005");
    type("4 4 10 4 -" + huge + " " + huge + " -5");
    type("7 4 10 4 0 " + huge + " 1 3000000000 -3000000000");
    type("4 4 10 4 -2147483649 2147483648 -2147483649 2147483648");
    EXPECT_EQ(core::ItemCount, 7);
    EXPECT_GE(core::ItemStore(core::ItemStartTable(2) + 5), 3e9f);  // beyond any whole number
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 6), -3e9f);
}

// ---- the staff offset of "GMB" ---------------------------------------------------------------

TEST_F(HugeParametersTest, AMergeBelowHugeStaffNumbersIsRefusedRatherThanStacked) {
    // The document merged: one staff item and a note on staff 1 (typed: the first command
    // starts the document; "EI": the items are entered, not edited).
    temp_.enter();
    type("EI");
    type("8 1 0");
    type("1 1 20 4 10");
    type("SA merged.mus");
    ASSERT_TRUE(fs::exists(temp_.root() / "merged.mus"));

    for (float highest : {1e38f, kInf, 3e9f, 2147483648.0f, 255.0f, 256.0f}) {
        SCOPED_TRACE(highest);
        fill_store({{8, highest, 0}, {8, 2, 0}});
        type("GMB merged.mus");
        EXPECT_EQ(core::StaffOffset, std::min<float>(highest, 256.0f) + 1.0f);
        if (highest > 255.0f) {
            // No staff is left after the highest: the merge is refused, the page unchanged.
            EXPECT_EQ(core::ItemCount, 2);
            continue;
        }
        ASSERT_EQ(core::ItemCount, 4);
        // After staff 255 the merged staff stands on the last staff.
        for (int32_t k = 3; k <= 4; ++k) {
            EXPECT_EQ(core::ItemStore(core::ItemStartTable(k) + 2),
                      static_cast<float>(layout::MaxStaffNumber));
        }
    }
}

}  // namespace
