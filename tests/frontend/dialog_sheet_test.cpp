// Every registered engine dialog, built as its launcher would show it: it must have each
// control its class lists (named "c" + id), and all of them are painted side by side into
// screenshots/dialogs.png for a person to look at.
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <iostream>

#include "frontend/bridge/engine_gate.h"
#include "frontend/dialogs/engine_dialog.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/screenshots.h"

using namespace frontend;

namespace {

// Every dialog a command opens is a real class; only templates no command reaches keep the
// stand-in.
TEST(DialogRegistryTest, EveryDialogACommandOpensHasItsClass) {
    const std::vector<int> opened = {148, 149, 150, 159, 161, 163, 165, 167, 169, 171, 174, 175,
                                     176, 188, 189, 190, 193, 197, 198, 199, 202, 203, 205, 207,
                                     210, 213, 214, 216, 217, 218, 220, 221, 222, 223, 225, 226,
                                     230, 233, 236, 240, 275, 286, 287, 288, 289, 296};
    for (const int idd : opened) EXPECT_NE(FindDialogClass(idd), nullptr) << idd;
    EXPECT_EQ(FindDialogClass(160), nullptr);
    EXPECT_EQ(FindDialogClass(12345), nullptr);
}

TEST_F(FrontEndTest, EveryDialogHasItsControlsAndIsPaintedOnTheSheet) {
    std::vector<QImage> pictures;
    std::vector<QString> names;
    for (const DialogClass* cls : AllDialogClasses()) {
        ClearDialogExchange();
        std::unique_ptr<QDialog> dialog = cls->make(nullptr);
        ASSERT_NE(dialog, nullptr) << cls->idd;
        EXPECT_EQ(dialog->windowTitle(), cls->title) << cls->idd;
        for (const int id : cls->controls) {
            EXPECT_NE(dialog->findChild<QWidget*>(QStringLiteral("c%1").arg(id)), nullptr)
                << "dialog " << cls->idd << " lacks control " << id;
        }
        dialog->adjustSize();
        pictures.push_back(dialog->grab().toImage());
        names.push_back(QStringLiteral("%1 %2").arg(cls->idd).arg(cls->title));
    }
    if (pictures.empty()) return;
    // Rows of up to four dialogs, each under its number and title.
    constexpr int kPerRow = 4;
    constexpr int kCaption = 18;
    constexpr int kGap = 12;
    int width = 0;
    int height = 0;
    for (std::size_t row = 0; row < pictures.size(); row += kPerRow) {
        int w = 0;
        int h = 0;
        for (std::size_t k = row; k < std::min(pictures.size(), row + kPerRow); ++k) {
            w += pictures[k].width() + kGap;
            h = std::max(h, pictures[k].height() + kCaption);
        }
        width = std::max(width, w);
        height += h + kGap;
    }
    QImage sheet(width + kGap, height + kGap, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int y = kGap;
    for (std::size_t row = 0; row < pictures.size(); row += kPerRow) {
        int x = kGap;
        int h = 0;
        for (std::size_t k = row; k < std::min(pictures.size(), row + kPerRow); ++k) {
            painter.drawText(x, y + kCaption - 5, names[k]);
            painter.drawImage(x, y + kCaption, pictures[k]);
            x += pictures[k].width() + kGap;
            h = std::max(h, pictures[k].height() + kCaption);
        }
        y += h + kGap;
    }
    painter.end();
    const auto path = screenshot_folder() / "dialogs.png";
    ASSERT_TRUE(sheet.save(QString::fromStdString(path.string())));
    std::cout << "dialog sheet (" << pictures.size() << " dialogs): " << path.string() << '\n';
}

}  // namespace

namespace {

// Commands typed in the window open their real dialogs (each closed with Escape).
TEST_F(AttendedDialogTest, CommandsOpenTheirDialogs) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const std::vector<std::pair<const char*, QString>> commands = {
        {"PREF ", QStringLiteral("Preferences")},
        {"PR ", QStringLiteral("Print Setup")},
        {"PA ", QStringLiteral("Paper Size")},
        {"TAB ", QStringLiteral("Tablature setup.")},
    };
    for (const auto& [text, title] : commands) {
        QString shown;
        answer_next_dialog([&shown](QDialog& d) {
            shown = d.windowTitle();
            d.reject();
        });
        frontend::SendCommand(text);
        EXPECT_EQ(shown, title) << text;
        // A dialog that did not open leaves the timer's act for the next command: drain it.
        QApplication::processEvents();
    }
}

}  // namespace
