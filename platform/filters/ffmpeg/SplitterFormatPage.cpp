#include "platform/filters/ffmpeg/SplitterFormatPage.h"

#include "platform/com/Runtime.h"
#include "platform/graph/BaseFilter.h"
#include "platform/graph/Interfaces.h"

namespace orvo::ffmpeg {
namespace {

std::u16string Describe(IFileSourceFilter& source, IAMStreamSelect& select) {
    std::u16string text;
    WCHAR* file = nullptr;
    if (SUCCEEDED(source.GetCurFile(&file, nullptr)) && file) text = file;
    CoTaskMemFree(file);
    DWORD count = 0;
    select.Count(&count);
    for (LONG i = 0; i < LONG(count); ++i) {
        WCHAR* name = nullptr;
        DWORD flags = 0;
        if (FAILED(select.Info(i, nullptr, &flags, nullptr, nullptr, &name, nullptr, nullptr))) continue;
        text += flags ? u"\n* " : u"\n  ";
        if (name) text += name;
        CoTaskMemFree(name);
    }
    return text;
}

const com::ClassRegistration s_pageClass(CLSID_SplitterFormatPage, &CSplitterFormatPage::Create);

}  // namespace

HRESULT CSplitterFormatPage::Create(REFIID riid, void** object) { return CreateComObject<CSplitterFormatPage>(riid, object); }

HRESULT CSplitterFormatPage::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IPropertyPage) return GetInterface(static_cast<IPropertyPage*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CSplitterFormatPage::SetObjects(ULONG count, IUnknown** objects) {
    m_text.clear();
    if (count && !objects) return E_POINTER;
    for (ULONG i = 0; i < count && m_text.empty(); ++i) {
        ComPtr<IFileSourceFilter> source;
        ComPtr<IAMStreamSelect> select;
        if (!objects[i] || FAILED(objects[i]->QueryInterface(IID_IFileSourceFilter, source.PutVoid())) ||
            FAILED(objects[i]->QueryInterface(IID_IAMStreamSelect, select.PutVoid())))
            continue;
        m_text = Describe(*source.Get(), *select.Get());
    }
    return S_OK;
}

HRESULT CSplitterFormatPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    *info = PROPPAGEINFO{sizeof(PROPPAGEINFO), graph::CoTaskStrDup(u"Format"), {320, 240},
                         graph::CoTaskStrDup(m_text), nullptr, 0};
    return info->pszTitle && info->pszDocString ? S_OK : E_OUTOFMEMORY;
}

}  // namespace orvo::ffmpeg
