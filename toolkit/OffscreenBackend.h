// The backend without a display: the form's pixels stay in memory, input is
// injected at screen positions, and the clock moves only when told, so tests
// and the gallery see exactly the same thing on every machine.
#pragma once

#include "toolkit/Backend.h"

namespace tamrik::tk {

class OffscreenBackend final : public Backend {
public:
    enum class Faces { System, BuiltIn };

    // screenOrigin: where the form's client (0, 0) lies on the pretend screen;
    // BuiltIn faces draw the same pixels on every machine.
    explicit OffscreenBackend(TPoint screenOrigin = {100, 100}, Faces faces = Faces::System)
        : origin_(screenOrigin), faces_(faces) {}

    bool Open(NativeWindow parent, int width, int height, BackendEvents& events) override;
    void Close() override;
    bool IsOpen() const override { return events_ != nullptr; }
    NativeWindow Window() const override { return 0; }
    void SetVisible(bool visible) override { visible_ = visible; }
    void Resize(int, int) override {}
    void Present(const PixelBuffer&, const TRect&) override { ++presents_; }
    TPoint ClientOrigin() const override { return origin_; }
    TPoint CursorPos() const override { return cursor_; }
    void CaptureMouse(bool capture) override { captured_ = capture; }
    uint64_t NowMs() const override { return now_; }
    void Pump() override {}
    std::unique_ptr<FontFace> OpenFont(const std::string& family, int pixelHeight, Scale scale) const override;

    // Input at screen coordinates, delivered at once.
    void MoveMouse(int screenX, int screenY);
    void PressLeft();
    void ReleaseLeft();
    void Wheel(int delta);
    void Key(uint32_t virtualKey, bool down);
    void PressRight();
    // Each character of text, as typed.
    void Type(const std::string& text);
    void Advance(uint64_t ms) { now_ += ms; }
    // What the pretend platform says of the scale (0: nothing).
    void SetPlatformScale(int percent) { platformScale_ = percent; }
    int PlatformScalePercent() const override { return platformScale_; }
    // Modifiers held from now on (TK_MK_SHIFT, TK_MK_CONTROL).
    void HoldKeys(uint32_t modifiers) { modifiers_ = modifiers; }
    uint32_t KeyModifiers() const override { return modifiers_; }

    bool Visible() const { return visible_; }
    bool Captured() const { return captured_; }
    int Presents() const { return presents_; }

private:
    TPoint Client() const { return {cursor_.x - origin_.x, cursor_.y - origin_.y}; }

    TPoint origin_;
    Faces faces_;
    TPoint cursor_;
    BackendEvents* events_ = nullptr;
    bool visible_ = false;
    bool captured_ = false;
    int presents_ = 0;
    uint64_t now_ = 0;
    uint32_t modifiers_ = 0;
    int platformScale_ = 0;
};

}  // namespace tamrik::tk
