#include "platform/window/MessageDialog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <xcb/xcb.h>

#include "platform/com/TextConversion.h"
#include "platform/window/DialogPresenter.h"

namespace orvo::window {
namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

constexpr int kCharWidth = 6, kLineHeight = 15, kMargin = 16;  // the "fixed" font's cell
constexpr uint32_t kReturn = 0xFF0D, kKeypadEnter = 0xFF8D, kEscape = 0xFF1B;

struct Answers {
    int accept;
    int dismiss;
    const char* buttons;
};

Answers AnswersFor(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL, "[ OK ]   [ Cancel: Esc ]"};
        case MB_YESNO:
            return {IDYES, IDNO, "[ Yes ]   [ No: Esc ]"};
        default:
            return {IDOK, IDOK, "[ OK ]"};
    }
}

// Core fonts draw Latin-1; other characters show as '?'.
std::string ToLatin1(const std::string& utf8) {
    std::string out;
    for (char16_t c : com::Utf8ToUtf16(utf8)) out += c < 0x100 ? char(c) : '?';
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    for (std::string& line : lines) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 255) line.resize(255);  // one ImageText8 request
    }
    return lines;
}

xcb_atom_t Atom(xcb_connection_t* c, std::string_view name) {
    XReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.data()), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

class Dialog {
public:
    Dialog(xcb_connection_t* c, std::vector<std::string> lines, Answers answers)
        : m_c(c), m_lines(std::move(lines)), m_answers(answers) {
        m_lines.push_back("");
        m_lines.push_back(m_answers.buttons);
    }

    void Open(HWND owner, const std::string& caption) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        size_t longest = 0;
        for (const std::string& line : m_lines) longest = std::max(longest, line.size());
        const auto width = uint16_t(std::min<size_t>(longest * kCharWidth + 2 * kMargin, 1200));
        const auto height = uint16_t(std::min<size_t>(m_lines.size() * kLineHeight + 2 * kMargin, 900));
        m_window = xcb_generate_id(m_c);
        const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_KEY_PRESS |
                                                            XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root,
                          int16_t((screen->width_in_pixels - width) / 2), int16_t((screen->height_in_pixels - height) / 2),
                          width, height, 1, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(caption.size()), caption.data());
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, Atom(m_c, "_NET_WM_NAME"),
                            Atom(m_c, "UTF8_STRING"), 8, uint32_t(caption.size()), caption.data());
        m_protocols = Atom(m_c, "WM_PROTOCOLS");
        m_deleteWindow = Atom(m_c, "WM_DELETE_WINDOW");
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, m_protocols, XCB_ATOM_ATOM, 32, 1, &m_deleteWindow);
        const xcb_atom_t dialogType = Atom(m_c, "_NET_WM_WINDOW_TYPE_DIALOG");
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, Atom(m_c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            1, &dialogType);
        if (owner && owner <= UINT32_MAX) {
            const auto transientFor = xcb_window_t(owner);
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32,
                                1, &transientFor);
        }
        m_font = xcb_generate_id(m_c);
        xcb_open_font(m_c, m_font, 5, "fixed");
        m_gc = xcb_generate_id(m_c);
        const uint32_t gcValues[] = {screen->black_pixel, screen->white_pixel, m_font};
        xcb_create_gc(m_c, m_gc, m_window, XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | XCB_GC_FONT, gcValues);
        xcb_map_window(m_c, m_window);
        xcb_flush(m_c);
        LoadKeyboard();
    }

    // Waits for the answer; the dismissing one when the connection breaks.
    int Run() {
        for (;;) {
            XReply<xcb_generic_event_t> event(xcb_wait_for_event(m_c), &std::free);
            if (!event) return m_answers.dismiss;
            switch (event->response_type & 0x7F) {
                case XCB_EXPOSE:
                    Draw();
                    break;
                case XCB_BUTTON_PRESS:
                    return m_answers.accept;
                case XCB_KEY_PRESS: {
                    const uint32_t key = KeySym(reinterpret_cast<xcb_key_press_event_t*>(event.get())->detail);
                    if (key == kReturn || key == kKeypadEnter) return m_answers.accept;
                    if (key == kEscape) return m_answers.dismiss;
                    break;
                }
                case XCB_CLIENT_MESSAGE: {
                    auto* message = reinterpret_cast<xcb_client_message_event_t*>(event.get());
                    if (message->type == m_protocols && message->data.data32[0] == m_deleteWindow)
                        return m_answers.dismiss;
                    break;
                }
            }
        }
    }

private:
    void Draw() {
        for (size_t i = 0; i < m_lines.size(); ++i)
            xcb_image_text_8(m_c, uint8_t(m_lines[i].size()), m_window, m_gc, kMargin,
                             int16_t(kMargin + 11 + i * kLineHeight), m_lines[i].data());
        xcb_flush(m_c);
    }

    void LoadKeyboard() {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        m_minKeycode = setup->min_keycode;
        m_keyboard.reset(xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, uint8_t(setup->max_keycode - setup->min_keycode + 1)),
            nullptr));
    }

    uint32_t KeySym(xcb_keycode_t code) const {
        if (!m_keyboard || code < m_minKeycode) return 0;
        const size_t index = size_t(code - m_minKeycode) * m_keyboard->keysyms_per_keycode;
        if (index >= size_t(xcb_get_keyboard_mapping_keysyms_length(m_keyboard.get()))) return 0;
        return xcb_get_keyboard_mapping_keysyms(m_keyboard.get())[index];
    }

    xcb_connection_t* m_c;
    std::vector<std::string> m_lines;
    Answers m_answers;
    xcb_window_t m_window = XCB_NONE;
    xcb_font_t m_font = XCB_NONE;
    xcb_gcontext_t m_gc = XCB_NONE;
    xcb_atom_t m_protocols = XCB_ATOM_NONE;
    xcb_atom_t m_deleteWindow = XCB_ATOM_NONE;
    xcb_keycode_t m_minKeycode = 0;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> m_keyboard{nullptr, &std::free};
};

}  // namespace

int ShowMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (!std::getenv("DISPLAY")) return 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(c.get())) return 0;
    Dialog dialog(c.get(), Lines(ToLatin1(text)), AnswersFor(type));
    dialog.Open(owner, caption);
    return dialog.Run();
}

}  // namespace orvo::window
