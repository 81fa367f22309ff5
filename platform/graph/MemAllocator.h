#pragma once
// CMediaSample: a buffer with times and flags that returns itself to its allocator when the
// last reference goes. CMemAllocator: a fixed pool of such samples in one memory block.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/Interfaces.h"

class CMemAllocator;

class CMediaSample final : public IMediaSample {
public:
    CMediaSample(CMemAllocator* allocator, BYTE* buffer, LONG size);
    ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // At zero the sample goes back to its allocator instead of being deleted.
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) override;
    LONG STDMETHODCALLTYPE GetSize() override { return m_size; }
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return m_syncPoint ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL syncPoint) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override { return m_preroll ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL preroll) override;
    LONG STDMETHODCALLTYPE GetActualDataLength() override { return m_actualLength; }
    HRESULT STDMETHODCALLTYPE SetActualDataLength(LONG length) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** mediaType) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return m_discontinuity ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL discontinuity) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* start, LONGLONG* end) override;
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* start, LONGLONG* end) override;

    // Clears times, flags and the type before the sample is handed out again.
    void ResetProperties();

private:
    CMemAllocator* m_allocator;
    BYTE* m_buffer;
    LONG m_size;
    std::atomic<ULONG> m_refCount{0};
    LONG m_actualLength = 0;
    REFERENCE_TIME m_start = 0, m_end = 0;
    LONGLONG m_mediaStart = 0, m_mediaEnd = 0;
    bool m_timeValid = false, m_stopValid = false, m_mediaTimeValid = false;
    bool m_syncPoint = false, m_preroll = false, m_discontinuity = false;
    AM_MEDIA_TYPE* m_mediaType = nullptr;
};

class CMemAllocator final : public IMemAllocator, public CUnknown {
public:
    CMemAllocator() = default;
    ~CMemAllocator() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    static HRESULT Create(IMemAllocator** allocator);

    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    HRESULT STDMETHODCALLTYPE Commit() override;
    HRESULT STDMETHODCALLTYPE Decommit() override;
    // Waits for a free sample unless AM_GBF_NOWAIT; VFW_E_NOT_COMMITTED once decommitted.
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                                        DWORD flags) override;
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* sample) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IMemAllocator*>(this); }

private:
    void FreeSamplesIfIdle();  // under m_lock

    std::mutex m_lock;
    std::condition_variable m_sampleFree;
    ALLOCATOR_PROPERTIES m_properties{};
    bool m_propertiesSet = false;
    bool m_committed = false;
    std::unique_ptr<BYTE[]> m_memory;
    std::vector<std::unique_ptr<CMediaSample>> m_samples;
    std::vector<CMediaSample*> m_free;
};
