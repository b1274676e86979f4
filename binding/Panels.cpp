#include "binding/Panels.h"

#include "editor/KitForm.h"
#include "editor/TForm1.h"

namespace tamrik::binding {

std::unique_ptr<TForm1> makePanel(const Product& product, std::unique_ptr<tk::Backend> backend,
                                  ParameterLink& link, kit::KitControls* controls, HitLink* sound) {
    switch (product.panel) {
        case PanelKind::Sound: return std::make_unique<TForm1>(std::move(backend), link, sound);
        case PanelKind::Kit:
            if (!controls) return nullptr;
            return std::make_unique<KitForm>(std::move(backend), link, *controls, sound);
    }
    return nullptr;
}

int panelHeight(const Product& product) {
    return product.panel == PanelKind::Kit ? KitForm::kKitFormHeight : TForm1::kFormHeight;
}

}  // namespace tamrik::binding
