#include "engine/graph/DecoderPlugins.h"

#include <dlfcn.h>

#include <filesystem>

#include "engine/channel/Channel.h"
#include "platform/com/Runtime.h"

namespace orvo::engine {
namespace {

std::string ProgramFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

// The folder of the module this code is linked into (libCore.so, or a test program).
std::string EngineFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&LoadDecoderPlugins), &info) || !info.dli_fname) return {};
    std::error_code error;
    const auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string() : path.parent_path().string();
}

std::vector<std::string> DefaultFolders() {
    std::vector<std::string> folders;
    for (std::string folder : {ProgramFolder(), EngineFolder()})
        if (!folder.empty() && (folders.empty() || folders.back() != folder)) folders.push_back(folder);
    return folders;
}

// Installed at load time so that every channel record creation tries the table.
const bool g_hookInstalled = (SetRecordCreationHook(&LoadDecoderPlugins), true);

}  // namespace

CPluginTable::CPluginTable(std::vector<std::string> folders, bool systemPath)
    : m_folders(std::move(folders)), m_systemPath(systemPath) {}

void* CPluginTable::OpenModule(const char* fileName) const {
    for (const std::string& folder : m_folders) {
        const std::string path = folder + "/" + fileName;
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
    }
    return m_systemPath ? dlopen(fileName, RTLD_NOW | RTLD_LOCAL) : nullptr;
}

void CPluginTable::Load() {
    if (!m_slots.empty()) return;
    for (const PluginCandidate& candidate : kPluginCandidates) {
        void* module = OpenModule(candidate.fileName);
        if (!module) continue;
        auto entry = reinterpret_cast<DllGetClassObjectFunction>(dlsym(module, "DllGetClassObject"));
        if (!entry) {
            dlclose(module);
            continue;
        }
        m_slots.push_back({module, entry, candidate.clsid});
    }
}

HRESULT CPluginTable::Instantiate(int index, ComPtr<IBaseFilter>& filter) const {
    filter.Reset();
    if (index < 0 || index >= Count()) return E_INVALIDARG;
    const PluginSlot& slot = Slot(index);
    ComPtr<IClassFactory> factory;
    HRESULT hr = slot.getClassObject(slot.clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
    if (FAILED(hr)) return hr;
    if (!factory) return E_NOINTERFACE;
    hr = factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter.Put()));
    if (SUCCEEDED(hr) && !filter) hr = E_NOINTERFACE;
    if (FAILED(hr)) filter.Reset();
    return hr;
}

CPluginTable& DecoderPlugins() {
    static CPluginTable table(DefaultFolders());
    return table;
}

void LoadDecoderPlugins() { DecoderPlugins().Load(); }

}  // namespace orvo::engine
