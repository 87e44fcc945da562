// The main frame: its first start, the layout it restores and saves, the bar toggles and zoom.
#include <QAction>
#include <QDockWidget>
#include <QToolBar>

#include "frontend/app/command_bar.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/test_files.h"

using namespace frontend;

namespace {

QString numbers(int count, int value) {
    QStringList parts;
    for (int i = 0; i < count; ++i) parts << QString::number(value);
    return parts.join(QLatin1Char(','));
}

// A whole "ToolbarState": item bar shown, zoom bar hidden, scale 128, colours set.
QString full_toolbar_state() {
    return QStringLiteral("0,1,0,1,1,0,0,0,0,1,128,0,255,65280,0,16711680,15658734,0");
}

void save_layout(const QString& state, const char* docks) {
    auto s = OpenProgramSettings();
    s->setValue("Settings/ToolbarState", state);
    s->setValue("Settings/TbarRects", numbers(24, 0));
    s->setValue("Settings/TbarDocks", docks);
}

}  // namespace

TEST_F(AppTest, FirstStartShowsPaletteZoomAndCommandBarsWithWhitePage) {
    CMainFrame& f = make_frame();
    EXPECT_TRUE(f.EngineStarted());
    EXPECT_TRUE(f.PaletteToolbar()->isVisibleTo(&f));
    EXPECT_EQ(f.PaletteToolbar()->windowTitle(), "Input Tools");
    EXPECT_TRUE(f.ZoomBar()->isVisibleTo(&f));
    EXPECT_EQ(f.ZoomText(), "100%    ");
    EXPECT_TRUE(f.CommandBar()->isVisibleTo(&f));
    EXPECT_FALSE(f.ItemBar()->isVisibleTo(&f));
    EXPECT_FALSE(f.SecondToolbar()->isVisibleTo(&f));
    // The command bar is shown, so its flag and its menu mark say so.
    EXPECT_EQ(ShowCommandBar, 1);
    EXPECT_TRUE(f.CommandAction(kCmdCommandBar)->isChecked());
    EXPECT_TRUE(f.CommandAction(kCmdInputTools)->isChecked());
    EXPECT_TRUE(f.CommandAction(kCmdZoomBar)->isChecked());
    EXPECT_FALSE(f.CommandAction(kCmdItemBar)->isChecked());
    // Nothing saved: the page is white and texts keep their own colours.
    EXPECT_EQ(BackgroundColor, kWhite);
    EXPECT_EQ(TextColor, kWhite);
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_EQ(FilledPathsMode, 1);
    EXPECT_EQ(DocumentResetPending, 1);
    EXPECT_EQ(TextModeState, -1);
    for (std::size_t k = 0; k < BarDockIds.size(); ++k)
        EXPECT_EQ(BarDockIds[k], k == static_cast<std::size_t>(kItemBarSlot) ? kDockLeft : kDockTop) << k;
    EXPECT_EQ(f.toolBarArea(f.PaletteToolbar()), Qt::TopToolBarArea);
    EXPECT_EQ(f.dockWidgetArea(f.CommandBar()), Qt::TopDockWidgetArea);
    EXPECT_EQ(ScrollSizeRecord, (std::array<int32_t, 6>{16000, 16000, 1024, 1024, 128, 0}));
    // The engine's start-up ran last and left its help path for the application.
    EXPECT_TRUE(HelpFilePath.ends_with("\\hlp\\ohlp.chm")) << HelpFilePath;
}

TEST_F(AppTest, ToolbarStateOfWrongCountIsIgnoredEntirely) {
    for (int count : {17, 19}) {
        SCOPED_TRACE(count);
        QStringList fields = full_toolbar_state().split(QLatin1Char(','));
        while (fields.size() > count) fields.removeLast();
        while (fields.size() < count) fields << "7";
        save_layout(fields.join(QLatin1Char(',')), "59420,59420,59420,59420,59420,59420");
        CMainFrame& f = restart_frame();
        EXPECT_FALSE(f.ItemBar()->isVisibleTo(&f));
        EXPECT_TRUE(f.ZoomBar()->isVisibleTo(&f));
        EXPECT_EQ(f.ZoomText(), "100%    ");
        EXPECT_EQ(BackgroundColor, kWhite);
        EXPECT_EQ(ShowCommandBar, 1);
        EXPECT_EQ(f.toolBarArea(f.PaletteToolbar()), Qt::TopToolBarArea);
    }
}

TEST_F(AppTest, SavedLayoutIsAppliedWithZoomAndTextColourReset) {
    // Stored order: spare, palette toolbar, zoom bar, command bar, item bar, second toolbar.
    save_layout(full_toolbar_state(), "59419,59420,59421,59422,59420,59419");
    CMainFrame& f = make_frame();
    EXPECT_TRUE(f.ItemBar()->isVisibleTo(&f));
    EXPECT_TRUE(f.CommandAction(kCmdItemBar)->isChecked());
    EXPECT_FALSE(f.ZoomBar()->isVisibleTo(&f));
    EXPECT_FALSE(f.CommandAction(kCmdZoomBar)->isChecked());
    EXPECT_EQ(PaletteBarFlag, 1);
    EXPECT_EQ(FilledPathsMode, 0);
    EXPECT_EQ(SelectionColor, 255u);
    EXPECT_EQ(FillColor, 65280u);
    EXPECT_EQ(DefaultColor, 16711680u);
    EXPECT_EQ(BackgroundColor, 15658734u);
    EXPECT_EQ(TextColor, kWhite);  // saved 0, never applied
    EXPECT_EQ(DisplayScale, 64);   // saved 128, never applied
    EXPECT_EQ(f.toolBarArea(f.PaletteToolbar()), Qt::LeftToolBarArea);
    EXPECT_EQ(f.toolBarArea(f.ZoomBar()), Qt::RightToolBarArea);
    EXPECT_EQ(f.dockWidgetArea(f.CommandBar()), Qt::BottomDockWidgetArea);
    EXPECT_EQ(f.dockWidgetArea(f.ItemBar()), Qt::LeftDockWidgetArea);
}

TEST_F(AppTest, ClosingWritesTheLayoutThatTheNextStartRestores) {
    {
        CMainFrame& f = make_frame();
        f.setGeometry(100, 120, 700, 500);
        f.OnItemBar(1);
        f.OnToggleZoomBar();
        f.addToolBar(Qt::LeftToolBarArea, f.PaletteToolbar());
        f.addDockWidget(Qt::BottomDockWidgetArea, f.CommandBar());
        FillColor = 0x00FF00;
        BackgroundColor = 0xEEEEEE;
        DisplayScale = 128;
        EXPECT_TRUE(f.close());
    }
    ASSERT_TRUE(std::filesystem::exists(settings_file())) << settings_file();
    EXPECT_NE(read_text(settings_file()).find("[Settings]"), std::string::npos);

    auto s = settings();
    EXPECT_EQ(s->value("Settings/ToolbarState").toString(),
              "0,1,0,1,1,0,0,0,9,0,128,1,255,65280,16777215,0,15658734,1");
    EXPECT_EQ(s->value("Settings/WindowPos").toString(), "0,1,-1,-1,-1,-1,100,120,800,620 0");
    const QStringList docks = s->value("Settings/TbarDocks").toString().split(',');
    // The item bar stays on the left, where it docks at a first start.
    EXPECT_EQ(docks, (QStringList{"59419", "59420", "59419", "59422", "59420", "59419"}));
    EXPECT_EQ(s->value("Settings/TbarRects").toString().split(',').size(), 24);

    CMainFrame& g = restart_frame();
    EXPECT_EQ(g.geometry(), QRect(100, 120, 700, 500));
    EXPECT_TRUE(g.ItemBar()->isVisibleTo(&g));
    EXPECT_FALSE(g.ZoomBar()->isVisibleTo(&g));
    EXPECT_TRUE(g.CommandBar()->isVisibleTo(&g));
    EXPECT_EQ(g.toolBarArea(g.PaletteToolbar()), Qt::LeftToolBarArea);
    EXPECT_EQ(g.dockWidgetArea(g.CommandBar()), Qt::BottomDockWidgetArea);
    EXPECT_EQ(FillColor, 0x00FF00u);
    EXPECT_EQ(BackgroundColor, 0xEEEEEEu);
    EXPECT_EQ(DisplayScale, 64);
}

// A settings folder that cannot be made (a file stands in its place): closing says in one line
// on standard error that the layout was not saved, and closes all the same.
TEST_F(AppTest, ALayoutThatCannotBeWrittenIsToldOnStandardError) {
    write_text(config_ / "Fenwright", "not a folder");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(config_.string()));
    CMainFrame& f = make_frame();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(f.close());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "ormest: the window's layout was not saved: " + settings_file().string() +
                        " cannot be written.\n");
}

TEST_F(AppTest, HiddenCommandBarStaysHiddenAndUnmarkedAfterRestart) {
    {
        CMainFrame& f = make_frame();
        f.OnToggleCommandBar();
        EXPECT_FALSE(f.CommandBar()->isVisibleTo(&f));
        EXPECT_FALSE(f.CommandAction(kCmdCommandBar)->isChecked());
        f.close();
    }
    CMainFrame& g = restart_frame();
    EXPECT_EQ(ShowCommandBar, 0);
    EXPECT_FALSE(g.CommandBar()->isVisibleTo(&g));
    EXPECT_FALSE(g.CommandAction(kCmdCommandBar)->isChecked());
    g.CommandAction(kCmdCommandBar)->trigger();
    EXPECT_TRUE(g.CommandBar()->isVisibleTo(&g));
    EXPECT_TRUE(g.CommandAction(kCmdCommandBar)->isChecked());
}

TEST_F(AppTest, WindowPlacementNeedsElevenNumbers) {
    auto place = [this](const char* numbers) {
        frame_.reset();
        settings()->setValue("Settings/WindowPos", numbers);
    };
    place("0,3,-1,-1,-1,-1,10,20,610,420");
    make_frame();
    EXPECT_EQ(SavedShowCommand, 0);
    // A place on no screen there is now is not taken.
    place("0,1,-1,-1,-1,-1,50000,50000,50600,50400 0");
    EXPECT_NE(make_frame().geometry().topLeft(), QPoint(50000, 50000));
    place("2,3,-1,-1,-1,-1,10,20,610,420 1");
    CMainFrame& f = make_frame();
    EXPECT_EQ(SavedShowCommand, 3);
    EXPECT_EQ(ChildMaximized, 1);
    EXPECT_EQ(f.geometry(), QRect(10, 20, 600, 400));
    f.OnFileNew();
    f.ApplyStartPlacement();
    EXPECT_EQ(ChildMaximized, 0);
    EXPECT_TRUE(f.ActiveChild()->isMaximized());
    EXPECT_TRUE(f.isMaximized());
}

TEST(SettingNumbers, ExactCountOfWholeNumbersOnly) {
    EXPECT_EQ(ParseSettingNumbers("1,2,3", 3), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(ParseSettingNumbers(" -1, 2 ,3 ", 3), (std::vector<int32_t>{-1, 2, 3}));
    EXPECT_EQ(ParseSettingNumbers("0,1,2 3", 4), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ParseSettingNumbers("4294967295", 1), (std::vector<int32_t>{-1}));
    EXPECT_FALSE(ParseSettingNumbers("1,2", 3));
    EXPECT_FALSE(ParseSettingNumbers("1,2,3,4", 3));
    EXPECT_FALSE(ParseSettingNumbers("1,x,3", 3));
    EXPECT_FALSE(ParseSettingNumbers("1,2.5,3", 3));
    EXPECT_FALSE(ParseSettingNumbers("1,-,3", 3));
    EXPECT_FALSE(ParseSettingNumbers("99999999999,2,3", 3));
    EXPECT_FALSE(ParseSettingNumbers("", 1));
}

TEST_F(AppTest, ZoomByQuartersAndFromTheList) {
    CMainFrame& f = make_frame();
    DisplayScale = 1;
    f.OnZoomOut();
    EXPECT_EQ(DisplayScale, 1);
    DisplayScale = 3;
    f.OnZoomOut();
    EXPECT_EQ(DisplayScale, 2);
    DisplayScale = 64;
    f.OnZoomIn();
    EXPECT_EQ(DisplayScale, 80);

    DisplayScale = 64;
    f.OnZoomListSelect(3);  // "75%"
    EXPECT_EQ(DisplayScale, 48);
    EXPECT_EQ(PreviousDisplayScale, 48);
    EXPECT_EQ(ScrollSizeRecord, (std::array<int32_t, 6>{12000, 12000, 768, 768, 96, 0}));
    f.OnZoomListSelect(0);  // "10%"
    EXPECT_EQ(DisplayScale, 6);
    f.OnZoomListSelect(-1);
    EXPECT_EQ(DisplayScale, 6);

    DisplayScale = 64;
    f.OnStepZoom(-8);
    EXPECT_EQ(DisplayScale, 56);
    EXPECT_EQ(f.ZoomText(), "88%     ");
    f.OnStepZoom(-100);
    EXPECT_EQ(DisplayScale, 1);
}

TEST_F(AppTest, TypedLineRunsThroughTheGateOrAnswersAWait) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    CCommandBar* bar = f.CommandBar();
    // A waiting routine takes the whole line, not the engine.
    InputEventFlags.LineWaitArmed = 1;
    const std::string long_line(60, '7');
    bar->SetInputText(QString::fromStdString(long_line), 60, 60);
    bar->RunTypedLine();
    EXPECT_EQ(InputEventFlags.LineComplete, 1);
    EXPECT_EQ(InputEventFlags.TypedLine.trimmed(), long_line + "\r\n");
    InputEventFlags.LineWaitArmed = 0;
    InputEventFlags.LineComplete = 0;

    // Otherwise the whole line is the engine's command, also beyond the 47 characters a
    // palette command keeps: a number row longer than that makes an item with all its values.
    const std::string row = "1 1 10." + std::string(45, '0') + " 5";
    bar->SetInputText(QString::fromStdString(row), 0, 0);
    bar->RunTypedLine();
    ASSERT_EQ(core::ItemCount, 1);
    const int32_t s = core::ItemStartTable(1);
    EXPECT_EQ(core::ItemStore(s + 3), 10.0f);
    EXPECT_EQ(core::ItemStore(s + 4), 5.0f);
}
