// Every parameter of both instruments as a host's generic controls see it:
// each text a host shows reads back to the value it shows (a host's
// value -> text -> value check), typed texts in the display's units read as
// a user means them, and steps and choices come from the instrument.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "binding/ParameterFacts.h"
#include "binding/Products.h"

using namespace tamrik;
using tamrik::binding::ParameterFacts;

namespace {

std::string text(const ParameterFacts& facts, uint32_t id, double value) {
    char buffer[64] = "?";
    EXPECT_TRUE(facts.toText(id, value, buffer, sizeof buffer));
    return buffer;
}

std::string display(const Instrument& instrument, int32_t index, float value) {
    char buffer[64];
    instrument.valueDisplay(index, value, buffer, sizeof buffer);
    return buffer;
}

// The host's own values to try: both ends, the default, and some between.
std::vector<double> trials(const ParameterFacts& facts, uint32_t id) {
    const double top = facts.maximum(id);
    std::vector<double> v = {0.0, top, facts.defaultValue(id)};
    for (double share : {0.13, 0.37, 0.5, 0.81}) v.push_back(facts.steps(id) ? std::round(share * top) : share);
    return v;
}

class EveryParameter : public ::testing::TestWithParam<const binding::Product*> {};

TEST_P(EveryParameter, HostTextsReadBackToTheValueTheyShow) {
    const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*GetParam());
    const ParameterFacts facts(*instrument);
    for (uint32_t id = 0; id < facts.count(); ++id)
        for (const double value : trials(facts, id)) {
            const std::string shown = text(facts, id, value);
            const auto back = facts.fromText(id, shown.c_str());
            ASSERT_TRUE(back.has_value()) << "parameter " << id << " text \"" << shown << "\"";
            EXPECT_EQ(text(facts, id, *back), shown) << "parameter " << id;
        }
}

TEST_P(EveryParameter, InstrumentDisplaysReadBackToTheValueTheyShow) {
    const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*GetParam());
    for (int32_t index = 0; index < instrument->parameterCount(); ++index)
        for (const float value : {0.0f, 1.0f, instrument->parameterDefault(index), 0.13f, 0.37f, 0.5f, 0.81f}) {
            const std::string shown = display(*instrument, index, value);
            float back = -1.0f;
            ASSERT_TRUE(instrument->valueFromText(index, shown.c_str(), back))
                << "parameter " << index << " text \"" << shown << "\"";
            EXPECT_EQ(display(*instrument, index, back), shown) << "parameter " << index;
        }
}

INSTANTIATE_TEST_SUITE_P(Products, EveryParameter,
                         ::testing::Values(&binding::drumTamrik(), &binding::drumTamrikKit()),
                         [](const auto& p) { return std::string(p.param == &binding::drumTamrik() ? "DrumTamrik" : "Kit"); });

TEST(ParameterFacts, TypedTextsReadAsAUserMeansThem) {
    const std::unique_ptr<Instrument> synth = binding::makeInstrument(binding::drumTamrik());
    const ParameterFacts facts(*synth);
    constexpr uint32_t kCutOff = 4, kType = 6, kRing = 16;
    EXPECT_EQ(facts.fromText(kCutOff, " 0.25 "), 0.25);
    EXPECT_EQ(facts.fromText(kCutOff, "0.5 /1"), 0.5);
    EXPECT_EQ(facts.fromText(kType, "highpass"), 2.0) << "a choice by name, any case";
    EXPECT_EQ(facts.fromText(kType, "1"), 1.0) << "a choice by its number";
    EXPECT_EQ(facts.fromText(kRing, "On"), 1.0);
    for (const char* nonsense : {"", "abc", "0.5x", "nan", "inf", "1e999", "Off Off"})
        EXPECT_FALSE(facts.fromText(kCutOff, nonsense).has_value()) << nonsense;
    EXPECT_EQ(facts.fromText(kType, "2"), 2.0);
    EXPECT_FALSE(facts.fromText(999, "0.5").has_value());
    EXPECT_FALSE(facts.fromText(kCutOff, nullptr).has_value());
}

TEST(ParameterFacts, StepsAndValuesComeFromTheInstrument) {
    for (const binding::Product* product : binding::products()) {
        const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*product);
        const ParameterFacts facts(*instrument);
        ASSERT_EQ(facts.count(), uint32_t(instrument->parameterCount()));
        for (uint32_t id = 0; id < facts.count(); ++id) {
            const int32_t n = instrument->parameterSteps(int32_t(id));
            ASSERT_EQ(facts.steps(id), n);
            EXPECT_EQ(facts.maximum(id), n > 0 ? double(n) : 1.0);
            for (int32_t k = 0; k <= n && n > 0; ++k) {
                const auto v = facts.toInstrument(id, double(k));
                ASSERT_TRUE(v.has_value());
                EXPECT_EQ(facts.fromInstrument(id, *v), double(k));
            }
        }
    }
}

TEST(Products, IdentifiersAreTheirOwnAndFindTheirRow) {
    const binding::Product& drum = binding::drumTamrik();
    const binding::Product& kit = binding::drumTamrikKit();
    EXPECT_STREQ(drum.identity.name, "DrumTamrik");
    EXPECT_STREQ(kit.identity.name, "DrumTamrik Kit");
    EXPECT_NE(drum.identity.uniqueId, kit.identity.uniqueId);
    EXPECT_EQ(binding::productWithClapId("com.quenmar.drum-tamrik-kit"), &kit);
    EXPECT_EQ(binding::productWithLv2Uri("urn:quenmar:drum-tamrik"), &drum);
    EXPECT_EQ(binding::productWithClapId("com.quenmar.other"), nullptr);
    EXPECT_EQ(binding::productWithLv2Uri(nullptr), nullptr);
    for (const binding::Product* p : binding::products()) {
        const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*p);
        EXPECT_EQ(binding::productOf(*instrument), p);
        EXPECT_EQ(instrument->outputCount(), p->outputChannels);
        EXPECT_EQ(binding::kitControlsOf(*instrument) != nullptr, p->panel == binding::PanelKind::Kit);
    }
}

}  // namespace
