#pragma once
// The decoder plug-in table: up to three modules, loaded by file name in a fixed order
// (splitter, video decoder, audio decoder), each slot holding the module, its DllGetClassObject
// and the class id to ask it for. A module that loads takes the next free slot. The table is
// filled once per process and retried while it is empty; modules stay loaded.
//
// Called on the application's thread (channel creation); not guarded, as channels are created
// from one thread at a time.
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"
#include "plugins/PluginClassIds.h"

namespace orvo::engine {

struct PluginCandidate {
    const char* fileName;
    CLSID clsid;
};

inline constexpr PluginCandidate kPluginCandidates[] = {
    {"LAVSplitter.ax", CLSID_LAVSplitterSource},
    {"LAVVideo.ax", CLSID_LAVVideoDecoder},
    {"LAVAudio.ax", CLSID_LAVAudioDecoder},
};

struct PluginSlot {
    void* module;
    DllGetClassObjectFunction getClassObject;
    CLSID clsid;
};

class CPluginTable {
public:
    // folders: where to look for each file, in order; a module found nowhere there is tried by
    // its bare name on the system's library path unless systemPath is false.
    explicit CPluginTable(std::vector<std::string> folders, bool systemPath = true);
    CPluginTable(const CPluginTable&) = delete;
    CPluginTable& operator=(const CPluginTable&) = delete;

    // Fills the table when it is empty; does nothing once a module has loaded.
    void Load();
    int Count() const { return int(m_slots.size()); }
    const PluginSlot& Slot(int index) const { return m_slots[size_t(index)]; }
    // A new filter from slot index's class factory; a failure leaves filter empty.
    HRESULT Instantiate(int index, ComPtr<IBaseFilter>& filter) const;

private:
    void* OpenModule(const char* fileName) const;

    std::vector<std::string> m_folders;
    bool m_systemPath;
    std::vector<PluginSlot> m_slots;
};

// The process-wide table, searching the running program's folder, then the folder that holds
// the engine library, then the system's path.
CPluginTable& DecoderPlugins();

// The record-creation hook: loads the process-wide table while it is empty.
void LoadDecoderPlugins();

}  // namespace orvo::engine
