// Two instances with their editors open while a second thread renders them
// both: the editors' refresh reads, control moves and presets race the
// audio thread's reads of the same parameters. Under ThreadSanitizer this
// shows the editor shares nothing unguarded with the audio path; closing
// the editors in either order, and one instance going with its editor
// still open, shows the two forms keep to themselves. The Kit's panel the
// same way: auditions, hit lights, Learn, names and whole kits on the UI
// thread while the audio thread plays the kit.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EditorHost.h"

namespace tamrik::test {
namespace {

void Exercise(EditorHost& host, int round) {
    host.form().Tsumami3->SetPosition(round * 7 % 101);
    host.form().TrackBar1->SetPosition(round % 51);
    host.form().LoadPreset(2 + round % 16);
    host.setParameter(4, float(round % 10) / 10.0f);
    host.tick();
}

TEST(EditorThreads, TwoEditorsOpenAndCloseInEitherOrderWhileAudioRenders) {
    for (bool firstClosesFirst : {true, false}) {
        EditorHost first, second;
        std::atomic<bool> stop{false};
        std::atomic<int> blocks{0};
        std::thread audio([&] {
            for (int i = 0; !stop.load() || i < 20; ++i) {
                first.render(64, uint8_t(36 + i % 24));
                second.render(64, uint8_t(40 + i % 24));
                blocks.fetch_add(1);
            }
        });
        ASSERT_EQ(first.openEditor(), 1);
        ASSERT_EQ(second.openEditor(), 1);
        for (int round = 0; round < 30; ++round) {
            Exercise(first, round);
            Exercise(second, round + 5);
        }
        EditorHost& closedFirst = firstClosesFirst ? first : second;
        EditorHost& closedLast = firstClosesFirst ? second : first;
        closedFirst.dispatch(vst::effEditClose);
        for (int round = 0; round < 10; ++round) Exercise(closedLast, round);
        closedLast.dispatch(vst::effEditClose);
        ASSERT_EQ(first.openEditor(), 1);
        Exercise(first, 1);
        stop = true;
        audio.join();
        EXPECT_GE(blocks.load(), 20);
        first.close();  // with its editor open
    }
}

TEST(EditorThreads, TheKitPanelAuditionsLearnsAndLoadsKitsWhileAudioRenders) {
    EditorHost host(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    ASSERT_EQ(host.openEditor(), 1);
    KitForm& f = host.kitForm();
    f.Strip->SetUserPresetDirectory({});
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        for (int i = 0; !stop.load() || i < 20; ++i) {
            host.render(64, uint8_t(36 + i % 21));
            blocks.fetch_add(1);
        }
    });
    for (int round = 0; round < 40; ++round) {
        f.SelectPad(round % 16);
        f.AuditionPad((round * 5) % 16);
        if (round % 8 == 0) f.StartLearn();
        if (round % 10 == 0) f.LoadFactoryKit(round / 10 % 5);
        if (round % 7 == 0) {
            f.StartRename();
            f.NameEdit->SetText("Pad " + std::to_string(round));
            f.NameEdit->OnAccept(f.NameEdit);
        }
        host.tick();
    }
    stop = true;
    audio.join();
    EXPECT_GE(blocks.load(), 20);
    host.close();  // with its editor open
}

}  // namespace
}  // namespace tamrik::test
