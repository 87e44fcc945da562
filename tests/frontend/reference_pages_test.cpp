// The reference pages of engraved music (tests/reference/NAME.MUS): each is loaded through the
// engine, drawn and painted by the view's own painting code into a PNG for a person to judge.
// Objective checks: every item of the page drew something (items that are invisible by design
// only while invisible items are shown), nothing was drawn off the page, and each
// document is exactly what its command script gives when the generator runs it again. The
// full-store page fills the store to its item limit with the densest music: the screen lists
// take all of it, up to its last item, and nobody is told otherwise.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/commands/file_commands.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/output_lists.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend_fixture.h"

namespace {

namespace fs = std::filesystem;

// The pages a person looks at; the dense and the full-store pages are the redraw benchmark's.
const char* const kPages[] = {"scale",     "beams", "rests",      "keys_meters",
                              "bar_lines", "lines", "dense_page", "full_store"};
const char* const kFullStorePage = "full_store";

constexpr int32_t kRestCode = 2;
constexpr int32_t kBarCode = 14;
constexpr int32_t kPageWidth = 30000;  // display units; items stand at P3 0..200

// The folder of the reference pages: $ORMEST_REFERENCE_DIR, else beside this test's folder.
fs::path reference_folder() {
    if (const char* d = std::getenv("ORMEST_REFERENCE_DIR"); d != nullptr && *d != '\0') return d;
    return fs::path(__FILE__).parent_path().parent_path() / "reference";
}

std::vector<char> read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

float stored_word(int32_t item, int32_t k) {
    const int32_t s = core::ItemStartTable(item);
    if (k > core::int_of(core::ItemStore(s))) return 0.0f;
    return core::ItemStore(s + k);
}

// Invisible rests (P6 = -1) and bars (P4 < 0): on screen only while invisible items are shown.
bool invisible_by_design(int32_t item) {
    const int32_t code = core::int_of(stored_word(item, 1));
    if (code == kRestCode) return core::int_of(stored_word(item, 6)) == -1;
    if (code == kBarCode) return core::int_of(stored_word(item, 4)) < 0;
    return false;
}

// Whether item k put anything into the graphics list or the text stream at the last redraw.
bool item_drew(int32_t k) {
    return core::ItemOutputSpans.graphics(k + 1) > core::ItemOutputSpans.graphics(k) ||
           core::ItemOutputSpans.text(k + 1) > core::ItemOutputSpans.text(k);
}

// The window's front-end, keeping what went to the message line and to message boxes.
class NoticeProbe : public QtFrontEnd {
  public:
    std::vector<std::string> message_lines;
    std::vector<std::string> message_boxes;
    void SetMessageLineText(const char* text) override {
        message_lines.emplace_back(text == nullptr ? "" : text);
        QtFrontEnd::SetMessageLineText(text);
    }
    int ShowMessageBox(const char* text) override {
        message_boxes.emplace_back(text == nullptr ? "" : text);
        return QtFrontEnd::ShowMessageBox(text);
    }
};

class ReferencePageTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        probe_.SetUnattended(true);
        core::set_front_end(&probe_);
        core::OutputBufferViews.graphics.bind(frontend::GraphicsList.data(),
                                              &frontend::GraphicsListLength);
        core::OutputBufferViews.text.bind(frontend::TextDisplayStream.data(),
                                          &frontend::TextDisplayStreamLength);
    }
    void TearDown() override {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        FrontEndTest::TearDown();
    }

    // Loads tests/reference/NAME.MUS through the engine's file load and draws it; the number
    // of items, 0 when it could not be loaded.
    int32_t load_and_draw(const std::string& name) {
        const fs::path document = reference_folder() / (name + ".MUS");
        if (!fs::exists(document)) {
            ADD_FAILURE() << "missing " << document;
            return 0;
        }
        if (!core::load_document_file(core::FixedText<512>(document.string()))) {
            ADD_FAILURE() << "not loaded: " << core::MessageLine.trimmed();
            return 0;
        }
        render::redraw_items();
        return core::ItemCount;
    }

    // Paints the drawn lists at zoom into an image around everything drawn and saves it as
    // reference_NAME.png in the screenshot folder; returns the number of dark pixels.
    int paint_page(const std::string& name, int32_t zoom) {
        std::copy(frontend::TextDisplayStream.begin(), frontend::TextDisplayStream.end(),
                  frontend::TextDisplayStreamCopy.begin());
        frontend::DisplayScale = zoom;
        COrmestView view;
        view.resize(800, 600);
        frontend::DecodeDisplayLists(&view);
        const double k = view.PixelsPerPageUnit() * zoom / 256.0;
        const auto entries = render::decode_graphics_list();
        if (entries.empty()) return 0;
        int32_t x_low = entries[0].x, x_high = entries[0].x;
        int32_t y_low = entries[0].y, y_high = entries[0].y;
        for (const auto& e : entries) {
            x_low = std::min(x_low, e.x);
            x_high = std::max(x_high, e.x);
            y_low = std::min(y_low, e.y);
            y_high = std::max(y_high, e.y);
        }
        const int margin = 60;
        const QPoint origin(static_cast<int>(k * x_low) - margin,
                            static_cast<int>(-k * y_high) - margin);
        QImage image(static_cast<int>(k * (x_high - x_low)) + 2 * margin,
                     static_cast<int>(k * (y_high - y_low)) + 2 * margin, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.PaintLists(painter, origin, false);
        painter.end();

        const auto path = screenshot_folder() / ("reference_" + name + ".png");
        EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
        std::cout << "reference page: " << path.string() << '\n';
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 96;
        return dark;
    }

    // Graphics entries left or right of the page (items stand at P3 0..200).
    static int32_t entries_off_the_page() {
        const int32_t left = render::ViewOrigin.x - 3000;
        const int32_t right = render::ViewOrigin.x + kPageWidth + 3000;
        int32_t outside = 0;
        for (const auto& e : render::decode_graphics_list()) outside += e.x < left || e.x > right;
        return outside;
    }

    NoticeProbe probe_;
};

class ReferencePagesTest : public ReferencePageTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ReferencePagesTest, EveryItemDrawsOnThePageAndThePageIsPainted) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const std::string name = GetParam();
    const int32_t items = load_and_draw(name);
    ASSERT_GT(items, 10);

    // Every item drew into the graphics list or the text stream; invisible items only while
    // invisible items are shown.
    const bool invisible_shown = layout::ShowInvisibleItems > 0;
    std::vector<int32_t> silent;
    std::vector<int32_t> wrong_invisible;
    for (int32_t k = 1; k <= items; ++k) {
        if (invisible_by_design(k)) {
            if (item_drew(k) != invisible_shown) wrong_invisible.push_back(k);
        } else if (!item_drew(k)) {
            silent.push_back(k);
        }
    }
    EXPECT_TRUE(silent.empty()) << "items that drew nothing: " << ::testing::PrintToString(silent);
    EXPECT_TRUE(wrong_invisible.empty())
        << "invisible items " << (invisible_shown ? "not shown: " : "drawn: ")
        << ::testing::PrintToString(wrong_invisible);
    EXPECT_EQ(entries_off_the_page(), 0);
    EXPECT_GT(paint_page(name, 128), 5000);
}

INSTANTIATE_TEST_SUITE_P(Pages, ReferencePagesTest, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param); });

// A full store of the densest music is drawn whole: exactly the item limit is stored, the
// output of the last item is still in the screen lists, every text record is whole, and
// neither the message line nor a message box says that something was left out.
TEST_F(ReferencePageTest, AFullStoreIsDrawnWholeIntoTheScreenLists) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const int32_t items = load_and_draw(kFullStorePage);
    ASSERT_EQ(items, render::ItemCountLimit);
    EXPECT_EQ(render::ScreenListOverflow, 0);
    const auto& gspan = core::ItemOutputSpans.graphics;
    const auto& tspan = core::ItemOutputSpans.text;
    EXPECT_TRUE(item_drew(items));
    EXPECT_EQ(frontend::GraphicsListLength, gspan(items + 1) - 1);
    EXPECT_LT(frontend::GraphicsListLength, core::kGraphicsListWords);
    EXPECT_EQ(frontend::TextDisplayStreamLength, tspan(items + 1) - 1);
    EXPECT_LT(frontend::TextDisplayStreamLength, core::kTextStreamBytes);
    const auto text =
        frontend::DecodeTextRecords(frontend::TextDisplayStream.data(),
                                    frontend::TextDisplayStreamLength, core::kTextStreamBytes);
    EXPECT_TRUE(text.complete);
    EXPECT_GT(text.records.size(), 1000u);  // the fingerings, bar numbers and words
    EXPECT_TRUE(probe_.message_boxes.empty()) << probe_.message_boxes.front();
    for (const std::string& line : probe_.message_lines)
        EXPECT_EQ(line.find("more than the screen can hold"), std::string::npos) << line;
    std::cout << "full store: " << frontend::GraphicsListLength << " graphics words, "
              << frontend::TextDisplayStreamLength << " text bytes\n";
}

// The documents are what their scripts give: the generator is run again through the console
// program and its output compared byte for byte with the kept documents.
TEST(ReferencePageScripts, EveryDocumentIsMadeAgainFromItsScript) {
    test_application();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/ormest");
    const fs::path folder = reference_folder();
    const fs::path script = folder / "make_reference_pages.sh";
    ASSERT_TRUE(fs::exists(script)) << script;
    char pattern[] = "/tmp/reference_pages_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path out = pattern;

    QProcess run;
    run.start(QStringLiteral("/bin/sh"),
              {QString::fromStdString(script.string()), program, QString::fromStdString(out)});
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    for (const std::string name : kPages) {
        SCOPED_TRACE(name);
        const fs::path made = out / (name + ".MUS");
        ASSERT_TRUE(fs::exists(made));
        EXPECT_EQ(read_bytes(made), read_bytes(folder / (name + ".MUS")));
    }
    fs::remove_all(out);
}

}  // namespace
