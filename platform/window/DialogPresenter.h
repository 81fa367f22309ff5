#pragma once
// Message boxes and property frames. They go to the presenter the host installs (the
// player shows its own dialogs, tests record); without one a small X dialog shows the
// text, and without a display the call returns at once. Modal: each call returns when
// the dialog is closed.
#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/window/Rect.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// What a property page tells its frame about itself; the strings are CoTaskMemAlloc'd
// and freed by the caller.
struct PROPPAGEINFO {
    ULONG cb;
    LPWSTR pszTitle;
    SIZE size;
    LPWSTR pszDocString;
    LPWSTR pszHelpFile;
    DWORD dwHelpContext;
};

// A property page, created from the class ids a filter lists; only what a frame asks.
struct IPropertyPage : IUnknown {
    static constexpr GUID kIid = MakeGuid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) = 0;
};
inline constexpr const GUID& IID_IPropertyPage = IPropertyPage::kIid;

namespace orvo::window {

struct PropertyFrameRequest {
    HWND owner;
    UINT x, y;
    std::u16string caption;
    std::vector<IUnknown*> objects;  // borrowed for the call
    std::vector<CLSID> pages;
    LCID locale;
};

class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;
    // The button chosen (IDOK, IDCANCEL, IDYES, IDNO), or 0 when nothing could be shown.
    virtual int ShowMessage(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) = 0;
    virtual HRESULT ShowPropertyFrame(const PropertyFrameRequest& request) = 0;
};

// Installs the host's presenter; null brings the fallback back. The presenter must stay
// alive until it is replaced. Any thread.
void InstallDialogPresenter(DialogPresenter* presenter);

}  // namespace orvo::window

// Null text or caption is taken as empty (a null caption as "Error").
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// objects and pages are borrowed for the call; the reserved arguments must be 0.
HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCWSTR caption, ULONG objectCount, IUnknown** objects,
                               ULONG pageCount, const CLSID* pages, LCID locale, DWORD reserved, void* reserved2);
