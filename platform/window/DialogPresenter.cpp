#include "platform/window/DialogPresenter.h"

#include <atomic>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/window/MessageDialog.h"

namespace orvo::window {
namespace {

std::atomic<DialogPresenter*> g_presenter{nullptr};

std::u16string TextOf(LPCWSTR text, const char16_t* otherwise) { return text ? text : otherwise; }

// A page's title as the page gives it for the frame's objects, else its class id.
std::string PageName(REFCLSID page, const std::vector<IUnknown*>& objects) {
    ComPtr<IPropertyPage> instance;
    if (FAILED(CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, instance.PutVoid())))
        return GuidToString(page);
    std::vector<IUnknown*> shown = objects;
    instance->SetObjects(ULONG(shown.size()), shown.data());
    PROPPAGEINFO info{};
    info.cb = sizeof(info);
    std::string title;
    if (SUCCEEDED(instance->GetPageInfo(&info))) {
        if (info.pszTitle) title = com::Utf16ToUtf8(info.pszTitle);
        for (LPWSTR s : {info.pszTitle, info.pszDocString, info.pszHelpFile}) CoTaskMemFree(s);
    }
    instance->SetObjects(0, nullptr);
    return title.empty() ? GuidToString(page) : title;
}

// The fallback frame: the pages' names under the caption.
HRESULT ShowPageList(const PropertyFrameRequest& request) {
    std::string text = "Property pages:";
    for (const CLSID& page : request.pages) text += "\n  " + PageName(page, request.objects);
    return ShowMessageDialog(request.owner, text, com::Utf16ToUtf8(request.caption), MB_OK) ? S_OK : E_FAIL;
}

}  // namespace

void InstallDialogPresenter(DialogPresenter* presenter) { g_presenter = presenter; }

}  // namespace orvo::window

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    using namespace orvo::window;
    const std::u16string body = TextOf(text, u""), title = TextOf(caption, u"Error");
    if (DialogPresenter* presenter = g_presenter.load()) return presenter->ShowMessage(owner, body, title, type);
    return ShowMessageDialog(owner, orvo::com::Utf16ToUtf8(body), orvo::com::Utf16ToUtf8(title), type);
}

HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCWSTR caption, ULONG objectCount, IUnknown** objects,
                               ULONG pageCount, const CLSID* pages, LCID locale, DWORD reserved, void* reserved2) {
    using namespace orvo::window;
    if (reserved || reserved2 || (objectCount && !objects) || (pageCount && !pages)) return E_INVALIDARG;
    PropertyFrameRequest request{owner, x, y, TextOf(caption, u""), {objects, objects + objectCount},
                                 {pages, pages + pageCount}, locale};
    if (DialogPresenter* presenter = g_presenter.load()) return presenter->ShowPropertyFrame(request);
    return ShowPageList(request);
}
