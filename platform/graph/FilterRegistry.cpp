#include "platform/graph/FilterRegistry.h"

#include <algorithm>
#include <mutex>

namespace orvo::graph {
namespace {

struct Registry {
    std::mutex lock;
    std::vector<FilterRegistration> entries;
};

// Never destroyed, so that registrations undone at exit still find it.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

bool Accepts(const FilterRegistration& entry, const std::vector<MediaType>& types) {
    for (const MediaType& mt : types)
        for (const MediaTypePair& pair : entry.inputTypes)
            if ((pair.major == GUID_NULL || pair.major == mt.majortype) && (pair.sub == GUID_NULL || pair.sub == mt.subtype))
                return true;
    return false;
}

void SortByMerit(std::vector<FilterRegistration>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const FilterRegistration& a, const FilterRegistration& b) {
        if (a.merit != b.merit) return a.merit > b.merit;
        return !a.isRenderer && b.isRenderer;
    });
}

}  // namespace

void RegisterFilter(const FilterRegistration& registration) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    auto it = std::find_if(r.entries.begin(), r.entries.end(), [&](auto& e) { return e.clsid == registration.clsid; });
    if (it != r.entries.end())
        *it = registration;
    else
        r.entries.push_back(registration);
}

bool UnregisterFilter(REFCLSID clsid) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    return std::erase_if(r.entries, [&](auto& e) { return e.clsid == clsid; }) > 0;
}

std::vector<FilterRegistration> FindFiltersFor(const std::vector<MediaType>& outputTypes) {
    std::vector<FilterRegistration> found;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.lock);
        for (const auto& e : r.entries)
            if (e.merit > MERIT_DO_NOT_USE && !e.isFileSource && Accepts(e, outputTypes)) found.push_back(e);
    }
    SortByMerit(found);
    return found;
}

std::vector<FilterRegistration> FindFileSources() {
    std::vector<FilterRegistration> found;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.lock);
        for (const auto& e : r.entries)
            if (e.merit > MERIT_DO_NOT_USE && e.isFileSource) found.push_back(e);
    }
    SortByMerit(found);
    return found;
}

}  // namespace orvo::graph
