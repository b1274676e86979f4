// Injected input goes straight to the form, as the platform would deliver it.
#include "toolkit/OffscreenBackend.h"

namespace tamrik::tk {

bool OffscreenBackend::Open(NativeWindow, int, int, BackendEvents& events) {
    events_ = &events;
    return true;
}

void OffscreenBackend::Close() {
    events_ = nullptr;
    captured_ = false;
}

std::unique_ptr<FontFace> OffscreenBackend::OpenFont(const std::string& family, int pixelHeight, Scale scale) const {
    return faces_ == Faces::BuiltIn ? OpenBuiltInFontFace(scale) : OpenSystemFontFace(family, scale.Dev(pixelHeight));
}

void OffscreenBackend::MoveMouse(int screenX, int screenY) {
    cursor_ = {screenX, screenY};
    if (events_) events_->BackendMouseMove(Client());
}

void OffscreenBackend::PressLeft() {
    if (events_) events_->BackendLeftButton(true, Client());
}

void OffscreenBackend::ReleaseLeft() {
    if (events_) events_->BackendLeftButton(false, Client());
}

void OffscreenBackend::Wheel(int delta) {
    if (events_) events_->BackendWheel(Client(), delta);
}

void OffscreenBackend::Key(uint32_t virtualKey, bool down) {
    if (events_) events_->BackendKey(down, virtualKey);
}

void OffscreenBackend::PressRight() {
    if (events_) events_->BackendRightButton(Client());
}

void OffscreenBackend::Type(const std::string& text) {
    for (const char c : text)
        if (events_) events_->BackendChar(uint8_t(c));
}

}  // namespace tamrik::tk
