// The application's start: its command line, the quiet embedded start, the start without a
// window system, and the help path the engine leaves.
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "tests/frontend/app_fixture.h"

using namespace frontend;

namespace {

struct RunResult {
    int exit_code = -1;
    QByteArray out;
    QByteArray err;
};

RunResult run_program(const QStringList& args, const QProcessEnvironment& env) {
    RunResult r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program_path(), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exit_code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

TEST(StartArguments, SwitchesAndTheDocument) {
    for (const char* sw : {"/Embedding", "-Embedding", "/AUTOMATION"})
        EXPECT_TRUE(ParseStartArguments({sw}).embedded) << sw;
    EXPECT_FALSE(ParseStartArguments({}).embedded);
    EXPECT_TRUE(ParseStartArguments({}).document.isEmpty());

    const StartRequest absolute = ParseStartArguments({"/home/user/Song.MUS"});
    EXPECT_FALSE(absolute.embedded);
    EXPECT_EQ(absolute.document, "/home/user/Song.MUS");
    // Other switches are passed over; the first other argument is the document.
    EXPECT_EQ(ParseStartArguments({"-x", "/p", "a.mus", "b.mus"}).document, "a.mus");
}

TEST(ProgramStart, EmbeddedStartEndsQuietlyWithZero) {
    ASSERT_TRUE(QFileInfo::exists(program_path())) << program_path().toStdString();
    for (const char* sw : {"/Embedding", "-Embedding", "/Automation"}) {
        SCOPED_TRACE(sw);
        const RunResult r =
            run_program({QString::fromLatin1(sw)}, QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST(ProgramStart, NoWindowSystemSaysSoAndPointsToTheConsole) {
    ASSERT_TRUE(QFileInfo::exists(program_path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    const RunResult r = run_program({}, env);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    const QString err = QString::fromLocal8Bit(r.err);
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("--console")) << err.toStdString();
}

TEST_F(AppTest, HelpPathIsTakenAndTheCommandBufferBlanked) {
    make_frame();
    HelpFilePath.clear();
    core::FrontEndCommandBuffer.set("C:\\program files\\melandrix\\hlp\\ohlp.chm");
    core::FrontEndCommandBuffer(40) = '\0';
    core::FrontEndCommandBuffer(42) = 'X';  // beyond the zero: not part of the path
    TakeHelpPath();
    EXPECT_EQ(HelpFilePath, "C:\\program files\\melandrix\\hlp\\ohlp.chm");
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}
