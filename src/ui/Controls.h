// Control objects: labels (a window class of the runtime's own), buttons and check boxes
// (the system's BUTTON class).
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/WindowRegistry.h"

namespace runtime {

// Message through which services hand a label something to raise as its feedback event.
inline constexpr UINT kFeedbackMessage = 0x8075;

class FormWindow;
class CheckBoxControl;

class Control {
public:
    // The control belongs to `owner`, whose object owns it.
    Control(FormWindow& owner, LoadedElement& element) : owner(owner), element(element) {}
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool Create(HWND parent, int controlId);
    HWND Handle() const { return handle; }
    std::uint32_t ElementId() const { return element.description.elementId; }
    const ElementDescription& Description() const { return element.description; }
    bool IsTabStop() const { return (element.description.flags & kFlagTabStop) != 0; }
    // Its messages get the default handling from now on (see FormWindow::Detach).
    virtual void Detach() {}

    // The parent reflects these to the control.
    virtual void OnClicked() {}
    virtual LRESULT OnControlColour(HDC) { return 0; }
    virtual bool ColoursItself() const { return false; }
    virtual void OnColoursChanged() {}
    // Enter on the focused control presses it.
    virtual bool PressedByEnter() const { return false; }
    // Position, size and font at the window's DPI.
    void FitTo(int dpi);
    // The check box's state commands reach it through this; every other kind answers nothing.
    virtual CheckBoxControl* AsCheckBox() { return nullptr; }

protected:
    virtual const char* ClassName() const = 0;
    virtual DWORD KindStyle() const = 0;
    virtual const ByteText& Text() const = 0;
    virtual const ByteBlock& FontBlock() const = 0;
    virtual void AfterCreate() {}
    HFONT Font() const;

    FormWindow& owner;
    LoadedElement& element;
    HWND handle = nullptr;
    HFONT ownFont = nullptr;
};

// A solid brush of a stored colour, made when first asked for and again after the system's
// colours changed.
class ColourBrush {
public:
    ColourBrush() = default;
    ~ColourBrush() { Reset(); }
    ColourBrush(const ColourBrush&) = delete;
    ColourBrush& operator=(const ColourBrush&) = delete;
    HBRUSH For(std::uint32_t colour);
    void Reset();

private:
    HBRUSH brush = nullptr;
};

class LabelControl final : public Control {
public:
    using Control::Control;
    static bool RegisterClassOnce();
    void Detach() override;

protected:
    const char* ClassName() const override { return "FormLabel"; }
    DWORD KindStyle() const override { return 0; }
    const ByteText& Text() const override { return Data().text; }
    const ByteBlock& FontBlock() const override { return Data().font; }
    void AfterCreate() override;

private:
    const LabelData& Data() const { return std::get<LabelData>(element.description.data); }
    static LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    LRESULT OnFeedback(WPARAM wParam, LPARAM lParam);
};

class ButtonControl final : public Control {
public:
    using Control::Control;
    void OnClicked() override;
    bool PressedByEnter() const override { return true; }

protected:
    const char* ClassName() const override { return "BUTTON"; }
    DWORD KindStyle() const override;
    const ByteText& Text() const override { return Data().text; }
    const ByteBlock& FontBlock() const override { return Data().font; }

private:
    const ButtonData& Data() const { return std::get<ButtonData>(element.description.data); }
};

class CheckBoxControl final : public Control {
public:
    using Control::Control;
    void OnClicked() override;
    LRESULT OnControlColour(HDC dc) override;
    bool ColoursItself() const override { return true; }
    void OnColoursChanged() override { brush.Reset(); }
    CheckBoxControl* AsCheckBox() override { return this; }
    bool ReadChecked();
    void WriteChecked(bool checked);

protected:
    const char* ClassName() const override { return "BUTTON"; }
    DWORD KindStyle() const override;
    const ByteText& Text() const override { return Data().text; }
    const ByteBlock& FontBlock() const override { return Data().font; }
    void AfterCreate() override;

private:
    CheckBoxData& Data() const { return std::get<CheckBoxData>(element.description.data); }
    ColourBrush brush;
};

// Registers a class of the runtime's windows (redrawn on resize, double clicks, arrow cursor, no
// background brush) unless it exists already.
bool RegisterFormClass(const char* className, WNDPROC procedure);
// Horizontal and vertical alignment values (0, 1, 2) as BUTTON styles.
DWORD ButtonAlignmentStyle(std::int32_t horizontal, std::int32_t vertical);
// COLOR_BTNFACE for the default colour.
COLORREF ResolveColour(std::uint32_t colour);
// COLOR_BTNTEXT for black, the stored text colour of the default look, and for the default colour.
COLORREF ResolveTextColour(std::uint32_t colour);
// A font from a stored font block, its 96-DPI size scaled to `dpi`; null (meaning the window's
// font) unless the block is a LOGFONTA.
HFONT CreateFontFromBlock(const ByteBlock& block, int dpi);

} // namespace runtime
