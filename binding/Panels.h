// The panel each product shows: DrumTamrik's sound panel and strip, or the
// Kit's (the sound panel on the selected pad, the pads and the kit menu),
// which also needs the instrument's kit controls.
#pragma once

#include <memory>

#include "binding/Products.h"
#include "editor/HitLink.h"
#include "editor/ParameterLink.h"
#include "toolkit/Backend.h"

namespace tamrik {
class TForm1;
}

namespace tamrik::binding {

// nullptr for the Kit's panel without kit controls. Without a sound the
// panel's hit row has nothing to show.
std::unique_ptr<TForm1> makePanel(const Product& product, std::unique_ptr<tk::Backend> backend,
                                  ParameterLink& link, kit::KitControls* controls, HitLink* sound = nullptr);
// The panel's height in logical pixels (the width is TForm1::kWidth).
int panelHeight(const Product& product);

}  // namespace tamrik::binding
