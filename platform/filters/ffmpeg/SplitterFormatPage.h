#pragma once
// The splitter's one property page: format information, the file and a line per stream, in the
// page's document string, for whatever frame the host shows. Created through the class table
// from the id the splitter lists in ISpecifyPropertyPages.
#include <string>

#include "platform/window/DialogPresenter.h"

namespace orvo::ffmpeg {

inline constexpr CLSID CLSID_SplitterFormatPage = MakeGuid("{6C2E1B7A-3F0D-4C8E-9A51-2B7D4E0F8C31}");

class CSplitterFormatPage final : public IPropertyPage, public CUnknown {
public:
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    static HRESULT Create(REFIID riid, void** object);

    // Reads the streams of the first object that is a splitter; none: the text stays empty.
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IPropertyPage*>(this); }

private:
    std::u16string m_text;
};

}  // namespace orvo::ffmpeg
