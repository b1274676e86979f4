// The session manager's dirty flag: a value changed since the last save is
// seen (the first and the last), a save clears it, and putting a value back
// is clean again.
#include <gtest/gtest.h>

#include "app/ValueWatch.h"
#include "binding/Products.h"

namespace tamrik::app {
namespace {

TEST(ValueWatch, SeesAChangeUntilTheNextSave) {
    for (const binding::Product* product : {&binding::drumTamrik(), &binding::drumTamrikKit()}) {
        const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*product);
        ValueWatch watch(*instrument);
        EXPECT_FALSE(watch.changed());
        const int32_t last = instrument->parameterCount() - 1;
        const float was = instrument->getParameter(last);
        instrument->setParameter(last, was > 0.5f ? 0.0f : 1.0f);
        EXPECT_TRUE(watch.changed()) << product->identity.name << ": the last value is watched too";
        instrument->setParameter(last, was);
        EXPECT_FALSE(watch.changed());
        instrument->setParameter(0, instrument->getParameter(0) > 0.5f ? 0.0f : 1.0f);
        EXPECT_TRUE(watch.changed());
        watch.markClean();
        EXPECT_FALSE(watch.changed());
    }
}

}  // namespace
}  // namespace tamrik::app
