// The decoder plug-in table on module fixtures in private folders: order, search order, modules
// without the entry point, retrying while empty.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/channel/Channel.h"
#include "engine/graph/DecoderPlugins.h"
#include "platform/com/Runtime.h"

namespace orvo::engine {
namespace {

namespace fs = std::filesystem;

class PluginTableTest : public testing::Test {
protected:
    // A fresh folder per test and name, so that modules of one test are not those of another.
    std::string Folder(const std::string& name) {
        const fs::path folder = fs::path(testing::TempDir()) /
                                (std::string("plugins_") + testing::UnitTest::GetInstance()->current_test_info()->name()) /
                                name;
        fs::remove_all(folder);
        fs::create_directories(folder);
        return folder.string();
    }
    static void Place(const std::string& fixture, const std::string& folder, const char* fileName) {
        fs::copy_file(fixture, fs::path(folder) / fileName, fs::copy_options::overwrite_existing);
    }
    // The file a slot's entry point was loaded from.
    static std::string ModuleFile(const PluginSlot& slot) {
        Dl_info info{};
        dladdr(reinterpret_cast<void*>(slot.getClassObject), &info);
        return info.dli_fname ? info.dli_fname : "";
    }
};

TEST_F(PluginTableTest, FillsSlotsInTableOrderLeavingOutMissingFiles) {
    const std::string folder = Folder("only_decoders");
    Place(ORVO_FAKE_PLUGIN, folder, "LAVAudio.ax");
    Place(ORVO_FAKE_PLUGIN, folder, "LAVVideo.ax");
    CPluginTable table({folder}, false);
    table.Load();
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Slot(0).clsid, CLSID_LAVVideoDecoder);
    EXPECT_EQ(table.Slot(1).clsid, CLSID_LAVAudioDecoder);
    EXPECT_EQ(ModuleFile(table.Slot(0)), folder + "/LAVVideo.ax");
}

TEST_F(PluginTableTest, ModuleWithoutEntryPointIsUnloadedAgain) {
    const std::string folder = Folder("no_entry");
    Place(ORVO_NO_ENTRY_MODULE, folder, "LAVSplitter.ax");
    Place(ORVO_FAKE_PLUGIN, folder, "LAVAudio.ax");
    CPluginTable table({folder}, false);
    table.Load();
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Slot(0).clsid, CLSID_LAVAudioDecoder);
    EXPECT_EQ(dlopen((folder + "/LAVSplitter.ax").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST_F(PluginTableTest, EmptyTableIsRetriedAndAFilledOneIsKept) {
    const std::string folder = Folder("retry");
    CPluginTable table({folder}, false);  // the build's own plug-ins are beside this program
    table.Load();
    ASSERT_EQ(table.Count(), 0);
    for (const PluginCandidate& candidate : kPluginCandidates) Place(ORVO_FAKE_PLUGIN, folder, candidate.fileName);
    table.Load();
    ASSERT_EQ(table.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(table.Slot(i).clsid, kPluginCandidates[i].clsid);
    fs::remove(fs::path(folder) / "LAVVideo.ax");
    table.Load();
    EXPECT_EQ(table.Count(), 3);
}

TEST_F(PluginTableTest, EarlierFolderWins) {
    const std::string program = Folder("program"), engine = Folder("engine");
    Place(ORVO_FAKE_PLUGIN, program, "LAVVideo.ax");
    for (const PluginCandidate& candidate : kPluginCandidates) Place(ORVO_FAKE_PLUGIN, engine, candidate.fileName);
    CPluginTable table({program, engine}, false);
    table.Load();
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(ModuleFile(table.Slot(0)), engine + "/LAVSplitter.ax");
    EXPECT_EQ(ModuleFile(table.Slot(1)), program + "/LAVVideo.ax");
}

TEST_F(PluginTableTest, FactoryWithoutFilterLeavesTheSlotOutOfTheGraph) {
    const std::string folder = Folder("no_filter");
    Place(ORVO_FAKE_PLUGIN, folder, "LAVVideo.ax");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CPluginTable table({folder}, false);
    table.Load();
    ASSERT_EQ(table.Count(), 1);
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(table.Instantiate(0, filter), E_NOINTERFACE);
    EXPECT_FALSE(filter);
    EXPECT_EQ(table.Instantiate(1, filter), E_INVALIDARG);
    CoUninitialize();
}

// This program lies in the build's program folder, beside the plug-ins.
TEST_F(PluginTableTest, ChannelRecordCreationLoadsTheProcessTable) {
    EXPECT_EQ(DecoderPlugins().Count(), 0);
    auto record = CreateChannelRecord(0);
    EXPECT_TRUE(record);
    ASSERT_EQ(DecoderPlugins().Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(DecoderPlugins().Slot(i).clsid, kPluginCandidates[i].clsid);
    EXPECT_EQ(ModuleFile(DecoderPlugins().Slot(0)), std::string(ORVO_PROGRAM_FOLDER) + "/LAVSplitter.ax");
}

}  // namespace
}  // namespace orvo::engine
