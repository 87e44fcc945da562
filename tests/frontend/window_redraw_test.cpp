// What the page window shows right after a command, as a full redraw would show it: the text
// of an item edited in Edit Text, each IFX box's result, the destination box's outline, and
// the start's backup notice in the message line.
#include <QImage>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <string>
#include <vector>

#include "frontend/bridge/display_lists.h"
#include "tests/frontend/box_drag_window_fixture.h"
#include "tests/support/screenshots.h"

using namespace box_drag_window;

namespace {

// Keeps a picture of the window for a person to look at.
void save_shot(const QImage& image, const std::string& name) {
    image.save(QString::fromStdString((screenshot_folder() / name).string()));
}

// The words the page window draws now, a text record's pieces joined: "words/colour@start".
std::vector<std::string> drawn_words() {
    std::vector<std::string> words;
    for (const TextRecord& r : ScreenLists.text_records) {
        std::string text;
        for (const TextPiece& p : r.pieces) text += p.text;
        words.push_back(text + "/" + std::to_string(r.colour) + "@" + std::to_string(r.start));
    }
    return words;
}

std::string joined(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) s += "[" + w + "]";
    return s;
}

using WindowRedrawTest = BoxDragWindowTest;

// Pixels of the page window near a colour (each channel within 40).
int pixels_of(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) < 40 &&
                 std::abs(c.green() - colour.green()) < 40 &&
                 std::abs(c.blue() - colour.blue()) < 40;
        }
    return n;
}

// "C": while each box's question is up, the source box is outlined red and the destination
// box green, dragged or clicked, as the typed destination is.
TEST_F(WindowRedrawTest, TheDestinationBoxIsOutlinedGreen) {
    const QColor red(255, 0, 0);
    const QColor green(0x2C, 0x96, 0x00);
    for (const bool clicked : {false, true}) {
        SCOPED_TRACE(clicked ? "clicked destination" : "dragged destination");
        type_line(QStringLiteral("C"));
        std::vector<QImage> shown;
        const auto seen_then_yes = [&](QDialog& d) {
            shown.push_back(view()->viewport()->grab().toImage());
            click(d, 1045);
        };
        Answers source;
        source.dialog(seen_then_yes);
        drag(source_from(), source_to(), &source);
        Answers destination;
        destination.dialog(seen_then_yes);
        destination.dialog(ok());
        const QPoint from = device_point(2, 50.0f, clicked ? 4.0f : 0.0f);
        const QPoint to = clicked ? from : device_point(2, 65.0f, 8.0f);
        drag(from, to, &destination);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_GT(pixels_of(shown[0], red), 20);
        EXPECT_EQ(pixels_of(shown[0], green), 0);
        EXPECT_GT(pixels_of(shown[1], green), 20) << "the destination is not outlined green";
        save_shot(shown[1], clicked ? "destination_clicked.png" : "destination_dragged.png");
        type_line(QStringLiteral("UNDO"));
    }
}

// The page's drawn words that hold `part`.
int words_holding(const std::string& part) {
    QApplication::processEvents();
    int n = 0;
    for (const std::string& w : drawn_words()) n += w.find(part) != std::string::npos;
    return n;
}

// Edit Text's OK on an opened text: the page shows the new words at once, and the old ones no
// longer (they stayed drawn under the new ones until the editing ended); X then draws the page
// as stored.
TEST_F(WindowRedrawTest, EditTextOkLeavesNoOldWordsDrawn) {
    Answers text;
    text.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("Hello"));
        click(d, 1);
    });
    text.dialog([](QDialog& d) {
        set_field(d, 1001, QStringLiteral(" 1"));
        click(d, 1);
    });
    type_line(QStringLiteral("TE 1"), &text);
    type_line(QStringLiteral("X"));
    const std::vector<int32_t> texts = stored_items_of(16, 1);
    ASSERT_EQ(texts.size(), 1u) << reply();
    type_line(QStringLiteral("I ") + QString::number(texts[0]));
    ASSERT_EQ(core::EditedItemNumber, texts[0]) << reply();
    EXPECT_EQ(words_holding("Hello"), 1) << joined(drawn_words());
    Seen seen = type_into_dialog(QStringLiteral("TX"), [](QDialog& d) {
        auto* edit = d.findChild<QPlainTextEdit*>(QStringLiteral("c1000"));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        edit->setPlainText(QStringLiteral("World"));
        click(d, 1);
    });
    ASSERT_TRUE(seen.opened) << reply();
    QApplication::processEvents();
    EXPECT_EQ(words_holding("Hello"), 0) << joined(drawn_words());
    EXPECT_EQ(words_holding("World"), 1) << joined(drawn_words());
    save_shot(view()->viewport()->grab().toImage(), "edit_text_ok.png");
    type_line(QStringLiteral("X"));
    EXPECT_EQ(words_holding("Hello"), 0) << joined(drawn_words());
    EXPECT_EQ(words_holding("World"), 1) << joined(drawn_words());
    // UNDO takes back the text's edit alone (its undo copy was once written with the new
    // words' width on the old words, and could not be read back).
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(reply().find("could not be read"), std::string::npos) << reply();
    EXPECT_EQ(stored_items_of(16, 1), texts);
    EXPECT_EQ(words_holding("Hello"), 1) << joined(drawn_words());
    EXPECT_EQ(words_holding("World"), 0) << joined(drawn_words());
}

// The start's backup notice in the message line of a window 1280 wide: every word of it is in
// the lines the message line shows, none past its right edge.
TEST_F(WindowRedrawTest, TheBackupNoticeFitsTheMessageLine) {
    frame_->resize(1280, 900);
    QApplication::processEvents();
    const QString notice = QStringLiteral(
        "*** A backup of song.MUS was kept when the program was ended: type GSV to load it.");
    fe_.SetMessageLineText(core::ReplyKind::Notice, notice.toLatin1().constData());
    QApplication::processEvents();
    QPlainTextEdit* line = frame_->CommandBar()->MessageEdit();
    EXPECT_EQ(line->toPlainText(), notice);
    const QTextLayout* layout = line->document()->firstBlock().layout();
    ASSERT_NE(layout, nullptr);
    const int shown_lines =
        (line->viewport()->height() - 2 * static_cast<int>(line->document()->documentMargin())) /
        line->fontMetrics().lineSpacing();
    EXPECT_LE(layout->lineCount(), shown_lines);
    for (int k = 0; k < layout->lineCount(); ++k)
        EXPECT_LE(layout->lineAt(k).naturalTextWidth(), line->viewport()->width()) << k;
    save_shot(frame_->grab().toImage(), "backup_notice_message_line.png");
}

}  // namespace
