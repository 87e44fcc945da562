// MIDI input: the ring between the input threads and the UI thread, the one-event mailbox the
// engine's MIDI wait reads, the posted event to the main frame, and the start without a MIDI
// system. A fake source, driven from a test thread, stands in for the ALSA inputs.
#include "platform/midi_input.h"

#include <QProcess>
#include <filesystem>
#include <thread>
#include <vector>

#include "frontend/midi/midi_input_path.h"
#include "frontend/midi/midi_mailbox.h"
#include "frontend/midi/midi_ring.h"
#include "tests/frontend/app_fixture.h"

using namespace frontend;

namespace {

MidiInEvent event_of(int32_t message, int32_t device = 0, int32_t timestamp = 0) {
    return {0, device, timestamp, message};
}

// A source whose inputs are whatever the test says; Emit delivers from the calling thread.
class FakeMidiSource : public platform::MidiSource {
  public:
    explicit FakeMidiSource(platform::MidiStartReport report) : report_(std::move(report)) {}
    platform::MidiStartReport Start(platform::MidiInSink sink) override {
        sink_ = std::move(sink);
        return report_;
    }
    void Stop() override { sink_ = nullptr; }
    void Emit(int32_t message, int32_t device = 0) { sink_({0, device, ++clock_, message}); }

  private:
    platform::MidiStartReport report_;
    platform::MidiInSink sink_;
    int32_t clock_ = 0;
};

platform::MidiStartReport inputs(int found, int opened = 0) {
    platform::MidiStartReport r;
    r.inputs_found = found;
    r.inputs_opened = opened;
    return r;
}

// Counts the MIDI events the frame receives (and lets them through).
class EventCounter : public QObject {
  public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == kMidiInDataEvent) ++count;
        return false;
    }
};

class MidiInputTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        MidiInRing.Reset();
        ClearMidiMailbox();
        MidiInWanted = 1;
        make_frame();
        frame_->installEventFilter(&posted_);
    }
    void TearDown() override {
        frame_->removeEventFilter(&posted_);
        StopMidiInput();
        MidiInWanted = 0;
        MidiInRing.Reset();
        ClearMidiMailbox();
        AppTest::TearDown();
    }
    MidiReport reporter() {
        return [this](const std::string& text, const std::string& detail) {
            reports_.push_back(text);
            details_.push_back(detail);
        };
    }
    // Starts input from a fake source posting to the main frame; returns the source.
    FakeMidiSource& start_fake(platform::MidiStartReport report = inputs(1, 1)) {
        auto source = std::make_unique<FakeMidiSource>(std::move(report));
        FakeMidiSource& ref = *source;
        StartMidiInput(std::move(source), frame_.get(), reporter());
        return ref;
    }
    std::vector<std::string> reports_;
    std::vector<std::string> details_;
    EventCounter posted_;  // the MIDI events posted to the frame
};

bool alsa_sequencer_present() { return std::filesystem::exists("/dev/snd/seq"); }

}  // namespace

TEST(MidiRing, FullRingDropsAndKeepsTheOverflowFlag) {
    const auto owner = std::make_unique<MidiEventRing>();
    MidiEventRing& ring = *owner;
    for (int i = 0; i < kMidiInRingEvents; ++i) ASSERT_TRUE(ring.Put(event_of(i)));
    EXPECT_FALSE(ring.Overflow());
    EXPECT_FALSE(ring.Put(event_of(-1)));
    EXPECT_TRUE(ring.Overflow());
    EXPECT_EQ(ring.Count(), kMidiInRingEvents);

    MidiInEvent out;
    ASSERT_TRUE(ring.Take(out));
    EXPECT_EQ(out.Message, 0);
    EXPECT_TRUE(ring.Put(event_of(9999)));  // room again; the flag stays
    EXPECT_TRUE(ring.Overflow());
    for (int i = 1; i < kMidiInRingEvents; ++i) {
        ASSERT_TRUE(ring.Take(out));
        ASSERT_EQ(out.Message, i);
    }
    ASSERT_TRUE(ring.Take(out));
    EXPECT_EQ(out.Message, 9999);

    // N + 1 events in and out: both positions have wrapped back to the start and on by one.
    EXPECT_EQ(ring.WritePosition(), 1);
    EXPECT_EQ(ring.ReadPosition(), 1);
    EXPECT_EQ(ring.Count(), 0);

    // Empty: nothing taken and the record untouched.
    out = event_of(123, 4, 5);
    EXPECT_FALSE(ring.Take(out));
    EXPECT_EQ(out.Message, 123);
    EXPECT_EQ(out.Device, 4);
}

TEST(MidiRing, SeveralInputThreadsAndOneReaderLoseNothing) {
    const auto owner = std::make_unique<MidiEventRing>();
    MidiEventRing& ring = *owner;
    constexpr int kThreads = 4;
    constexpr int kEach = 2000;
    std::vector<std::thread> inputs;
    for (int t = 0; t < kThreads; ++t) {
        inputs.emplace_back([&ring, t] {
            for (int i = 0; i < kEach; ++i) {
                while (!ring.Put(event_of(i, t))) std::this_thread::yield();
            }
        });
    }
    std::vector<int> next(kThreads, 0);
    int taken = 0;
    MidiInEvent out;
    while (taken < kThreads * kEach) {
        if (!ring.Take(out)) {
            std::this_thread::yield();
            continue;
        }
        // Each input's events arrive in the order it stored them.
        ASSERT_EQ(out.Message, next[static_cast<std::size_t>(out.Device)]++);
        ++taken;
    }
    for (std::thread& t : inputs) t.join();
    EXPECT_EQ(ring.Count(), 0);
}

TEST(MidiPacking, ShortMessagesAndWhatIsNoShortMessage) {
    struct Case {
        std::vector<unsigned char> bytes;
        bool packed;
        int32_t message, error;
    };
    const Case cases[] = {
        {{0x90, 0x3C, 0x64}, true, 0x643C90, 0},
        {{0xF8}, true, 0xF8, 0},                  // clock bytes are stored like notes
        {{0x3C, 0x00}, true, 0x3C, 1},            // no status byte: an error message
        {{0x80, 0x7F, 0x7F}, true, 0x7F7F80, 0},  // the lowest status, the highest data
        {{0x7F, 0x3C, 0x40}, true, 0x403C7F, 1},  // the highest data byte is no status
        {{0xFF}, true, 0xFF, 0},                  // the highest status: packed without sign
        {{0xC0, 0x05}, true, 0x05C0, 0},
        // Four bytes are one too many: the first three are kept and the message is an error.
        {{0x90, 0x3C, 0x64, 0x01}, true, 0x643C90, 1},
        {{0xF0, 0x7E, 0xF7}, false, 0, 0},
    };
    int32_t message = 0;
    int32_t error = 9;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        message = 0;
        error = 9;
        ASSERT_EQ(platform::pack_short_message(c.bytes.data(), c.bytes.size(), message, error),
                  c.packed);
        if (!c.packed) continue;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(platform::pack_short_message(cases[0].bytes.data(), 0, message, error));
}

TEST_F(MidiInputTest, ANoteOffAndAnErrorEventReachTheEngineUnchanged) {
    FakeMidiSource& source = start_fake();
    int told = 0;  // a waiting routine is told that input arrived
    SetInputListener([&told] { ++told; });
    std::thread([&source] { source.Emit(0x7F7F80, 7); }).join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(MidiInMailbox.Ready, 1);
    MidiMailboxRecord taken;
    ASSERT_TRUE(TakeMidiMailboxEvent(taken));
    EXPECT_EQ(taken.Message, 0x7F7F80);
    EXPECT_EQ(taken.ErrorFlag, 0);
    EXPECT_EQ(taken.Device, 7);  // the last of the eight inputs

    MidiInEvent bad = event_of(0x7F, 0, 12);
    bad.ErrorFlag = 1;
    ASSERT_TRUE(MidiInRing.Put(bad));
    ASSERT_TRUE(FillMidiMailbox());
    ASSERT_TRUE(TakeMidiMailboxEvent(taken));
    EXPECT_EQ(taken.ErrorFlag, 1);
    EXPECT_EQ(taken.Message, 0x7F);
    EXPECT_EQ(taken.Timestamp, 12);
}

TEST_F(MidiInputTest, EventsWaitInTheRingWhileTheMailboxIsFullAndArriveInOrder) {
    FakeMidiSource& source = start_fake();

    // The engine has not taken the event in the mailbox yet.
    MidiInMailbox.Message = 0x111;
    MidiInMailbox.Ready = 1;
    std::thread input([&source] {
        source.Emit(0x222, 1);
        source.Emit(0x333, 2);
    });
    input.join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(posted_.count, 2);  // one post per event, no re-posting
    EXPECT_EQ(MidiInMailbox.Message, 0x111);
    EXPECT_EQ(MidiInRing.Count(), 2);

    MidiMailboxRecord taken;
    ASSERT_TRUE(TakeMidiMailboxEvent(taken));
    EXPECT_EQ(taken.Message, 0x111);
    // Taking refills the mailbox from the ring at once.
    EXPECT_EQ(MidiInMailbox.Ready, 1);
    EXPECT_EQ(MidiInMailbox.Message, 0x222);
    EXPECT_EQ(MidiInMailbox.Device, 1);
    EXPECT_EQ(MidiInMailbox.Timestamp, 1);

    ASSERT_TRUE(TakeMidiMailboxEvent(taken));
    EXPECT_EQ(taken.Message, 0x222);
    ASSERT_TRUE(TakeMidiMailboxEvent(taken));
    EXPECT_EQ(taken.Message, 0x333);
    EXPECT_EQ(taken.Device, 2);
    EXPECT_FALSE(TakeMidiMailboxEvent(taken));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(posted_.count, 2);
}

TEST_F(MidiInputTest, EventsAreDroppedWhileNoRoutineTakesMidiInput) {
    FakeMidiSource& source = start_fake();
    MidiInWanted = 0;
    std::thread([&source] { source.Emit(0x90); }).join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(MidiInRing.Count(), 0);
    EXPECT_EQ(posted_.count, 0);
    EXPECT_EQ(MidiInMailbox.Ready, 0);
}

TEST_F(MidiInputTest, NoInputIsReportedOnceAndStartUpGoesOn) {
    start_fake(inputs(0));
    EXPECT_EQ(NoMidiInputDevices, 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], kNoMidiInputText);
    EXPECT_EQ(details_[0], "");

    // Without a MIDI system the user's text stays the same; the reason goes apart.
    reports_.clear();
    details_.clear();
    platform::MidiStartReport no_system = inputs(0);
    no_system.no_system = true;
    no_system.system_error = "cannot open the sequencer";
    start_fake(no_system);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], kNoMidiInputText);
    EXPECT_EQ(details_[0], "cannot open the sequencer");

    // Inputs that exist but cannot be opened are each named; "no devices" is not claimed.
    reports_.clear();
    platform::MidiStartReport failing = inputs(2);
    failing.problems = {"busy midiInOpen(0)", "busy midiInOpen(1)"};
    start_fake(failing);
    EXPECT_EQ(NoMidiInputDevices, 1);
    EXPECT_EQ(reports_, failing.problems);
}

TEST_F(MidiInputTest, WithoutAnAlsaSequencerTheStartSaysSoOnce) {
    if (alsa_sequencer_present()) GTEST_SKIP() << "this machine has an ALSA sequencer";
    EXPECT_EQ(StartMidiInput(platform::make_alsa_midi_source(), frame_.get(), reporter()), 0);
    EXPECT_EQ(NoMidiInputDevices, 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], kNoMidiInputText);
    EXPECT_FALSE(details_[0].empty());
}

// The program itself: without a MIDI system it says so once on standard error and keeps
// running its window.
TEST_F(MidiInputTest, TheProgramStartsWithoutAMidiSystem) {
    if (alsa_sequencer_present()) GTEST_SKIP() << "this machine has an ALSA sequencer";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config_.string()));
    env.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromStdString((dir_ / "state").string()));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setReadChannel(QProcess::StandardError);
    program.start(program_path(), {});
    ASSERT_TRUE(program.waitForStarted(30000));
    QByteArray err;
    for (int i = 0; i < 600 && !err.contains(kNoMidiInputText); ++i) {
        if (program.waitForReadyRead(100)) err += program.readAllStandardError();
        if (program.state() == QProcess::NotRunning) break;
    }
    // A little longer: nothing more is said, and the window is still up.
    program.waitForFinished(1500);
    err += program.readAllStandardError();
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(10000);
    EXPECT_TRUE(running) << err.toStdString();
    EXPECT_EQ(err.count(kNoMidiInputText), 1) << err.toStdString();
    // The reason is given once, with that line; no library prints a second complaint.
    EXPECT_EQ(err.count("ALSA sequencer"), 1) << err.toStdString();
}
