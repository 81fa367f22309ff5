// Message boxes and property frames: to an installed presenter, else the X fallback.
#include "platform/window/DialogPresenter.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/XvfbServer.h"

namespace {

using orvo::window::DialogPresenter;
using orvo::window::InstallDialogPresenter;
using orvo::window::PropertyFrameRequest;

class RecordingPresenter final : public DialogPresenter {
public:
    int ShowMessage(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) override {
        messages.push_back({owner, text, caption, type});
        return IDYES;
    }
    HRESULT ShowPropertyFrame(const PropertyFrameRequest& request) override {
        frames.push_back(request);
        return S_FALSE;
    }

    struct Message {
        HWND owner;
        std::u16string text, caption;
        UINT type;
    };
    std::vector<Message> messages;
    std::vector<PropertyFrameRequest> frames;
};

class DialogTest : public ::testing::Test {
protected:
    void TearDown() override { InstallDialogPresenter(nullptr); }
};

TEST_F(DialogTest, MessageBoxesReachTheInstalledPresenter) {
    RecordingPresenter presenter;
    InstallDialogPresenter(&presenter);
    EXPECT_EQ(MessageBoxW(0x1234, u"FAILED", u"Error", MB_OK | MB_ICONERROR), IDYES);
    EXPECT_EQ(MessageBoxW(0, nullptr, nullptr, MB_YESNO), IDYES);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[0].owner, 0x1234u);
    EXPECT_EQ(presenter.messages[0].text, u"FAILED");
    EXPECT_EQ(presenter.messages[0].caption, u"Error");
    EXPECT_EQ(presenter.messages[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(presenter.messages[1].text, u"");
    EXPECT_EQ(presenter.messages[1].caption, u"Error");
}

TEST_F(DialogTest, PropertyFramesReachTheInstalledPresenter) {
    RecordingPresenter presenter;
    InstallDialogPresenter(&presenter);
    const CLSID pages[] = {MakeGuid("{11111111-2222-3333-4444-555555555555}"),
                           MakeGuid("{66666666-7777-8888-9999-AAAAAAAAAAAA}")};
    IUnknown* objects[] = {reinterpret_cast<IUnknown*>(&presenter)};  // only passed along
    EXPECT_EQ(OleCreatePropertyFrame(0x42, 0, 0, u"Video decoder", 1, objects, 2, pages, 0, 0, nullptr), S_FALSE);
    ASSERT_EQ(presenter.frames.size(), 1u);
    const PropertyFrameRequest& frame = presenter.frames[0];
    EXPECT_EQ(frame.owner, 0x42u);
    EXPECT_EQ(frame.caption, u"Video decoder");
    ASSERT_EQ(frame.objects.size(), 1u);
    EXPECT_EQ(frame.objects[0], objects[0]);
    ASSERT_EQ(frame.pages.size(), 2u);
    EXPECT_EQ(frame.pages[1], pages[1]);
    EXPECT_EQ(OleCreatePropertyFrame(0, 0, 0, u"", 1, nullptr, 0, nullptr, 0, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(OleCreatePropertyFrame(0, 0, 0, u"", 0, nullptr, 0, nullptr, 0, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(presenter.frames.size(), 1u);
}

// The fallback dialog, found by its caption and answered with synthetic events.
class FallbackDialogTest : public DialogTest {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        m_c = xcb_connect(nullptr, nullptr);
    }
    void TearDown() override {
        if (m_c) xcb_disconnect(m_c);
        DialogTest::TearDown();
    }

    xcb_window_t WaitForWindowNamed(const std::string& name) {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        for (int attempt = 0; attempt < 500; ++attempt) {
            auto* tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, root), nullptr);
            xcb_window_t found = XCB_NONE;
            for (int i = 0; tree && i < xcb_query_tree_children_length(tree) && !found; ++i) {
                xcb_window_t w = xcb_query_tree_children(tree)[i];
                auto* title = xcb_get_property_reply(
                    m_c, xcb_get_property(m_c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256), nullptr);
                if (title && std::string(static_cast<const char*>(xcb_get_property_value(title)),
                                         size_t(xcb_get_property_value_length(title))) == name)
                    found = w;
                std::free(title);
            }
            std::free(tree);
            if (found) return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return XCB_NONE;
    }

    void Click(xcb_window_t w) {
        xcb_button_press_event_t press{};
        press.response_type = XCB_BUTTON_PRESS;
        press.event = w;
        press.detail = 1;
        xcb_send_event(m_c, 0, w, XCB_EVENT_MASK_BUTTON_PRESS, reinterpret_cast<const char*>(&press));
        xcb_flush(m_c);
    }

    void Close(xcb_window_t w) {
        auto atom = [&](const char* name) {
            auto* reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
            xcb_atom_t a = reply->atom;
            std::free(reply);
            return a;
        };
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = w;
        message.type = atom("WM_PROTOCOLS");
        message.data.data32[0] = atom("WM_DELETE_WINDOW");
        xcb_send_event(m_c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        xcb_flush(m_c);
    }

    xcb_connection_t* m_c = nullptr;
};

TEST_F(FallbackDialogTest, ClickAnswersWithTheFirstButton) {
    auto answer = std::async(std::launch::async, [] { return MessageBoxW(0, u"Line one\nLine two", u"Orvo test A", MB_OKCANCEL); });
    xcb_window_t dialog = WaitForWindowNamed("Orvo test A");
    ASSERT_NE(dialog, XCB_NONE);
    Click(dialog);
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(answer.get(), IDOK);
}

TEST_F(FallbackDialogTest, ClosingAnswersWithTheDismissingButton) {
    auto answer = std::async(std::launch::async, [] { return MessageBoxW(0, u"Sure?", u"Orvo test B", MB_YESNO); });
    xcb_window_t dialog = WaitForWindowNamed("Orvo test B");
    ASSERT_NE(dialog, XCB_NONE);
    Close(dialog);
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(answer.get(), IDNO);
}

TEST_F(FallbackDialogTest, PropertyFrameListsItsPages) {
    const CLSID page = MakeGuid("{11111111-2222-3333-4444-555555555555}");
    auto result = std::async(std::launch::async, [&] {
        return OleCreatePropertyFrame(0, 0, 0, u"Orvo test C", 0, nullptr, 1, &page, 0, 0, nullptr);
    });
    xcb_window_t dialog = WaitForWindowNamed("Orvo test C");
    ASSERT_NE(dialog, XCB_NONE);
    Click(dialog);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), S_OK);
}

TEST_F(DialogTest, WithoutDisplayTheFallbackReturnsAtOnce) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    EXPECT_EQ(MessageBoxW(0, u"text", u"caption", MB_OK), 0);
    EXPECT_EQ(OleCreatePropertyFrame(0, 0, 0, u"caption", 0, nullptr, 0, nullptr, 0, 0, nullptr), E_FAIL);
    if (display) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
