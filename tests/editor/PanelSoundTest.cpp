// The hit row in a host, over the instrument itself: what it draws are the
// samples the instrument plays for that note, bit for bit (DrumTamrik, and
// a pad of the Kit), and a value the host sets redraws it within refreshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "EditorHost.h"
#include "kit/KitMap.h"
#include "kit/PadSettings.h"

namespace tamrik::test {
namespace {

// Refreshes until the row's hit is whole; a hang fails rather than waits.
void TickUntilWhole(EditorHost& host) {
    for (int ticks = 0; ticks < 1000; ++ticks) {
        host.tick();
        if (!host.form().View->Rendering()) return;
    }
    ADD_FAILURE() << "the hit never ended";
}

// `frames` samples of the first output pair after a note-on at frame 0.
std::vector<std::vector<float>> Play(Instrument& synth, int note, int velocity, int frames) {
    const uint8_t on[3] = {0x90, uint8_t(note), uint8_t(velocity)};
    synth.receiveMidi(on, 3, 0);
    std::vector<std::vector<float>> out(size_t(synth.outputCount()), std::vector<float>(size_t(frames), 0.0f));
    for (int at = 0; at < frames;) {
        const int n = std::min(333, frames - at);
        std::vector<float*> channels;
        for (auto& c : out) channels.push_back(c.data() + at);
        synth.render(channels.data(), n);
        at += n;
    }
    return out;
}

void ExpectTheRowShowsWhatIsPlayed(EditorHost& host, int note) {
    ASSERT_EQ(host.openEditor(), 1);
    TickUntilWhole(host);
    const HitLink* hit = host.form().View->Link();
    ASSERT_NE(hit, nullptr) << "the editor hands the row its sound";
    const int length = hit->hitLength();
    ASSERT_GT(length, 1000);
    EXPECT_EQ(hit->hitRate(), 44100.0);
    EXPECT_GT(hit->hitPeak(), 0.0f);
    const auto played = Play(host.instrument(), note, 127, length + 100);
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(std::memcmp(hit->hitSamples(c), played[size_t(c)].data(), size_t(length) * sizeof(float)), 0)
            << "channel " << c;
}

TEST(PanelSound, TheRowDrawsTheSamplesDrumTamrikPlays) {
    EditorHost host;
    ExpectTheRowShowsWhatIsPlayed(host, 60);
}

TEST(PanelSound, TheRowDrawsTheSamplesTheSelectedPadPlays) {
    EditorHost host(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    const int key = kit::noteOf(host.instrument().getParameter(kit::padIndex(0, kit::kSoundParameters + kit::kKey)));
    ExpectTheRowShowsWhatIsPlayed(host, key);
}

TEST(PanelSound, AValueTheHostSetsRedrawsTheRow) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    TickUntilWhole(host);
    const HitLink* hit = host.form().View->Link();
    const tk::PixelBuffer before = host.form().Snapshot(*host.form().View->Plot);
    const int lengthBefore = hit->hitLength();
    host.setParameter(kR, 0.1f);  // a shorter release, from the host's side
    TickUntilWhole(host);
    EXPECT_LT(hit->hitLength(), lengthBefore);
    const tk::PixelBuffer after = host.form().Snapshot(*host.form().View->Plot);
    int differing = 0;
    for (int y = 0; y < after.Height(); ++y)
        for (int x = 0; x < after.Width(); ++x) differing += after.At(x, y) != before.At(x, y);
    EXPECT_GT(differing, 100);
}

}  // namespace
}  // namespace tamrik::test
