#pragma once
// The registry of filters that intelligent connect may insert: class id, name, merit and the
// media types the filter's input takes. Filters are made through the class table
// (CoCreateInstance), so a registered class must also be in the table.
#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/graph/MediaType.h"

constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;  // and below: never inserted by intelligent connect

namespace orvo::graph {

struct MediaTypePair {
    GUID major;
    GUID sub;  // GUID_NULL: any subtype
};

struct FilterRegistration {
    CLSID clsid;
    std::u16string name;
    DWORD merit = MERIT_NORMAL;
    std::vector<MediaTypePair> inputTypes;
    bool isRenderer = false;    // has no output pins
    bool isFileSource = false;  // loads files through IFileSourceFilter (RenderFile)
};

// Adds or replaces (same class id) an entry; thread-safe.
void RegisterFilter(const FilterRegistration& registration);
bool UnregisterFilter(REFCLSID clsid);

// Entries that intelligent connect may try for an output offering these types: merit above
// MERIT_DO_NOT_USE, an input type matching one of them, highest merit first and renderers after
// the other filters of the same merit.
std::vector<FilterRegistration> FindFiltersFor(const std::vector<MediaType>& outputTypes);
// File sources above MERIT_DO_NOT_USE, highest merit first.
std::vector<FilterRegistration> FindFileSources();

// Registers a filter while the module that holds it is loaded.
struct FilterRegistrationScope {
    explicit FilterRegistrationScope(const FilterRegistration& registration) : m_clsid(registration.clsid) {
        RegisterFilter(registration);
    }
    ~FilterRegistrationScope() { UnregisterFilter(m_clsid); }
    FilterRegistrationScope(const FilterRegistrationScope&) = delete;
    FilterRegistrationScope& operator=(const FilterRegistrationScope&) = delete;

private:
    CLSID m_clsid;
};

}  // namespace orvo::graph
