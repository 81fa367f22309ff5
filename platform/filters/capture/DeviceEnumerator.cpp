#include "platform/filters/capture/DeviceEnumerator.h"

#include <memory>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/filters/capture/AlsaCaptureDevices.h"
#include "platform/filters/capture/V4l2Devices.h"
#include "platform/filters/capture/VirtualCamera.h"
#include "platform/graph/ClassIds.h"

namespace orvo::capture {
namespace {

class CPropertyBag final : public IPropertyBag, public CUnknown {
public:
    explicit CPropertyBag(const DeviceEntry& device) : m_device(device) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IPropertyBag) return GetInterface(static_cast<IPropertyBag*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        if (!name || !value) return E_POINTER;
        std::u16string text;
        const std::u16string_view asked(name);
        if (asked == u"FriendlyName") {
            text = m_device.friendlyName;
        } else if (asked == u"CLSID" && m_device.clsid != GUID_NULL) {
            const std::string clsid = GuidToString(m_device.clsid);
            text.assign(clsid.begin(), clsid.end());
        } else {
            return E_INVALIDARG;
        }
        BSTR copy = SysAllocString(text.c_str());
        if (!copy) return E_OUTOFMEMORY;
        VariantClear(value);
        value->vt = VT_BSTR;
        value->bstrVal = copy;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_FAIL; }  // devices are read-only

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IPropertyBag*>(this); }

private:
    DeviceEntry m_device;
};

class CDeviceMoniker final : public IMoniker, public CUnknown {
public:
    explicit CDeviceMoniker(DeviceEntry device) : m_device(std::move(device)) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IMoniker) return GetInterface(static_cast<IMoniker*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }

    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        return m_device.create ? m_device.create(riid, object) : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IPropertyBag) return E_NOINTERFACE;
        return CreateComObject<CPropertyBag>(riid, object, m_device);
    }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IMoniker*>(this); }

private:
    DeviceEntry m_device;
};

class CEnumMoniker final : public IEnumMoniker, public CUnknown {
public:
    CEnumMoniker(std::shared_ptr<const std::vector<DeviceEntry>> devices, size_t position)
        : m_devices(std::move(devices)), m_position(position) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IEnumMoniker) return GetInterface(static_cast<IEnumMoniker*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }

    // Called by one thread at a time, as enumerators are.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IMoniker** monikers, ULONG* fetched) override {
        if (!monikers) return E_POINTER;
        if (count > 1 && !fetched) return E_INVALIDARG;
        ULONG n = 0;
        for (; n < count && m_position < m_devices->size(); ++n, ++m_position) {
            HRESULT hr = CreateComObject<CDeviceMoniker>(IID_IMoniker, reinterpret_cast<void**>(&monikers[n]),
                                                         (*m_devices)[m_position]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i) monikers[i]->Release();
                if (fetched) *fetched = 0;
                return hr;
            }
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = m_devices->size() - m_position;
        m_position += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Reset() override {
        m_position = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker** clone) override {
        return CreateComObject<CEnumMoniker>(IID_IEnumMoniker, reinterpret_cast<void**>(clone), m_devices, m_position);
    }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IEnumMoniker*>(this); }

private:
    std::shared_ptr<const std::vector<DeviceEntry>> m_devices;
    size_t m_position;
};

class CSystemDeviceEnum final : public ICreateDevEnum, public CUnknown {
public:
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_ICreateDevEnum) return GetInterface(static_cast<ICreateDevEnum*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }

    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** monikers, DWORD) override {
        if (!monikers) return E_POINTER;
        *monikers = nullptr;
        auto devices = std::make_shared<const std::vector<DeviceEntry>>(ListDevices(category));
        if (devices->empty()) return S_FALSE;
        return CreateComObject<CEnumMoniker>(IID_IEnumMoniker, reinterpret_cast<void**>(monikers), devices, size_t(0));
    }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<ICreateDevEnum*>(this); }
};

const com::ClassRegistration s_systemDeviceEnum(CLSID_SystemDeviceEnum, &CreateSystemDeviceEnum);

}  // namespace

std::vector<DeviceEntry> ListDevices(REFCLSID category) {
    std::vector<DeviceEntry> devices;
    auto append = [&devices](std::vector<DeviceEntry> more) {
        for (auto& device : more) devices.push_back(std::move(device));
    };
    if (category == CLSID_VideoInputDeviceCategory) {
        append(ListV4l2Devices());
        append(VirtualCameraDevices());
    } else if (category == CLSID_AudioInputDeviceCategory) {
        append(ListAlsaCaptureDevices());
    }
    return devices;
}

HRESULT CreateSystemDeviceEnum(REFIID riid, void** object) { return CreateComObject<CSystemDeviceEnum>(riid, object); }

}  // namespace orvo::capture
