// The one policy for a session's state bytes: who saves them, and what a
// load refuses without changing anything.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "binding/Products.h"
#include "binding/SessionState.h"

using namespace tamrik;

namespace {

TEST(SessionState, BytesWhereTheHostKeepsNothingElseOrTheInstrumentNeedsThem) {
    const auto drum = binding::makeInstrument(binding::drumTamrik());
    const auto kit = binding::makeInstrument(binding::drumTamrikKit());
    EXPECT_FALSE(binding::savesStateBytes(*drum, binding::HostKeepsValues::Yes));
    EXPECT_TRUE(binding::savesStateBytes(*drum, binding::HostKeepsValues::No));
    EXPECT_TRUE(binding::savesStateBytes(*kit, binding::HostKeepsValues::Yes)) << "pad names live nowhere else";
    EXPECT_TRUE(binding::savesStateBytes(*kit, binding::HostKeepsValues::No));
}

TEST(SessionState, RoundTripsAndRefusesWhatIsNotOurs) {
    for (const binding::Product* product : binding::products()) {
        const auto a = binding::makeInstrument(*product);
        a->setParameter(3, 0.75f);
        const auto bytes = binding::saveState(*a);
        ASSERT_TRUE(bytes && !bytes->empty());
        const auto b = binding::makeInstrument(*product);
        const auto before = binding::saveState(*b);
        std::vector<uint8_t> damaged = *bytes;
        damaged[damaged.size() / 2] ^= 0x40;
        std::vector<uint8_t> huge(binding::kStateLimit + 1, 0);
        EXPECT_FALSE(binding::loadState(*b, damaged.data(), damaged.size()));
        EXPECT_FALSE(binding::loadState(*b, bytes->data(), bytes->size() - 1)) << "truncated";
        EXPECT_FALSE(binding::loadState(*b, bytes->data(), 0));
        EXPECT_FALSE(binding::loadState(*b, nullptr, bytes->size()));
        EXPECT_FALSE(binding::loadState(*b, huge.data(), huge.size()));
        EXPECT_EQ(binding::saveState(*b), before) << "a refusal changes nothing";
        ASSERT_TRUE(binding::loadState(*b, bytes->data(), bytes->size()));
        EXPECT_EQ(binding::saveState(*b), bytes);
    }
}

}  // namespace
