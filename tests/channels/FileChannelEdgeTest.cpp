// Edges of file channels that only real files show: units and truncation of lengths and
// positions, picture information of a full-HD clip, refused state changes, freed handles, and
// the plug-in set the program finds in its own folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <chrono>
#include <limits>
#include <sstream>
#include <thread>

#include "Lumex.h"
#include "platform/com/TextConversion.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

namespace fs = std::filesystem;

class FileChannelEdges : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    }
    void TearDown() override {
        if (m_channel) Lumex_StreamFree(m_channel);
        Lumex_Free();
    }
    void Open(const char* clip) {
        m_channel = Lumex_StreamCreateFile(MediaClip(clip).c_str(), 0, 0, 0);
        ASSERT_NE(m_channel, 0u) << clip;
    }
    uint32_t m_channel = 0;
};

TEST_F(FileChannelEdges, LengthAndPositionInEveryUnit) {
    Open("long.mkv");
    EXPECT_EQ(Lumex_ChannelGetLength(m_channel, POS_SECONDS), 90.5);
    EXPECT_EQ(Lumex_ChannelGetLength(m_channel, POS_MILLISECONDS), 90500.0);
    EXPECT_EQ(Lumex_ChannelGetLength(m_channel, 1), 905000000.0);

    ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, 127500000.0, POS_REFTIME), 1);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, POS_SECONDS), 12.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, POS_MILLISECONDS), 12750.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, POS_REFTIME), 127500000.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, 1), 0.0);

    ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, 12.9, POS_SECONDS), 1);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, POS_REFTIME), 120000000.0) << "12.9 s seeks to 12 s";
    ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, 1500.7, POS_MILLISECONDS), 1);
    EXPECT_EQ(Lumex_ChannelGetPosition(m_channel, POS_REFTIME), 15000000.0) << "1500.7 ms seeks to 1500 ms";
}

TEST_F(FileChannelEdges, InformationOfAFullHdClip) {
    Open("h264_1080p.mkv");
    CHANNELINFO info;
    std::memset(&info, 0xFF, sizeof info);
    Lumex_ChannelGetInfo(m_channel, &info);
    EXPECT_EQ(info.frameRate, 25.0f);
    EXPECT_EQ(info.height, 1080);
    EXPECT_EQ(info.width, 1920);
    EXPECT_EQ(info.channels, 0);
    EXPECT_EQ(info.sampleRate, 0);
    EXPECT_EQ(info.bitsPerSample, 0);
    EXPECT_EQ(info.reserved, 0);
}

TEST_F(FileChannelEdges, StateChangesAndRefusals) {
    Open("flat.mkv");
    struct Step {
        int32_t (*call)(uint32_t);
        const char* name;
        int32_t result, state;
    };
    const Step steps[] = {
        {Lumex_ChannelPause, "pause", 0, CHANNEL_STOPPED}, {Lumex_ChannelStop, "stop", 0, CHANNEL_STOPPED},
        {Lumex_ChannelPlay, "play", 1, CHANNEL_PLAYING},   {Lumex_ChannelPlay, "play", 0, CHANNEL_PLAYING},
        {Lumex_ChannelPause, "pause", 1, CHANNEL_PAUSED},  {Lumex_ChannelPause, "pause", 0, CHANNEL_PAUSED},
        {Lumex_ChannelPlay, "play", 1, CHANNEL_PLAYING},   {Lumex_ChannelStop, "stop", 1, CHANNEL_STOPPED},
        {Lumex_ChannelPlay, "play", 1, CHANNEL_PLAYING},   {Lumex_ChannelPause, "pause", 1, CHANNEL_PAUSED},
        {Lumex_ChannelStop, "stop", 1, CHANNEL_STOPPED},   {Lumex_ChannelStop, "stop", 0, CHANNEL_STOPPED},
    };
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_STOPPED);
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(steps[i].call(m_channel), steps[i].result) << "step " << i << ": " << steps[i].name;
        EXPECT_EQ(Lumex_ChannelGetState(m_channel), steps[i].state) << "step " << i << ": " << steps[i].name;
    }
    // Seeking and attributes leave the state alone.
    ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    Lumex_ChannelSetPosition(m_channel, 1, POS_SECONDS);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_VOLUME, 50);
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_PLAYING);
}

TEST_F(FileChannelEdges, ANonAsciiPathOpensInBothForms) {
    const fs::path folder = fs::temp_directory_path() / ("orvo-\u00fc 3D-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string clip = (folder / "Vid\u00e9o \u00fc.mkv").string();
    fs::copy_file(MediaClip("flat.mkv"), clip, fs::copy_options::overwrite_existing);
    const std::u16string wide = com::Utf8ToUtf16(clip);
    for (auto [path, flags] :
         {std::pair<const void*, uint32_t>{clip.c_str(), 0}, {clip.c_str(), 1}, {wide.c_str(), STREAM_UNICODE}}) {
        const uint32_t channel = Lumex_StreamCreateFile(path, 0, 0, flags);
        EXPECT_NE(channel, 0u) << "flags " << flags;
        EXPECT_NEAR(Lumex_ChannelGetLength(channel, POS_SECONDS), 3.0, 0.05) << "flags " << flags;
        Lumex_StreamFree(channel);
    }
    fs::remove_all(folder);
}

// Values a caller may pass by mistake: none may crash the engine or stop the channel.
TEST_F(FileChannelEdges, OutOfRangeArgumentsLeaveAPlayingChannel) {
    ORVO_REQUIRE_DISPLAY();
    TestWindow window(0, 0, 320, 240, 0);
    m_channel = Lumex_StreamCreateFile(MediaClip("multi.mkv").c_str(), 0, window.Handle(), 0);
    ASSERT_NE(m_channel, 0u);
    ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (int32_t code : {0, ATTRIB_VOLUME, ATTRIB_BALANCE, 4, ATTRIB_STEREO_MODE, ATTRIB_RESERVED_FLAG,
                         ATTRIB_VIEW_MODE, ATTRIB_GREY_MIX, ATTRIB_SWAP_EYES, ATTRIB_ANAGLYPH_OPTIMISED, ATTRIB_KEEP_SHAPE, 99, -1})
        for (float value : {nan, inf, -inf, 3e38f, -3e38f, 0.0f, -7.0f, 99.0f})
            Lumex_ChannelSetAttribute(m_channel, code, value);
    for (float rate : {nan, inf, -inf, 3e38f, 0.0f, -7.0f, 99.0f})
        Lumex_ChannelSetAttribute(m_channel, ATTRIB_RATE, rate);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_RATE, 1.0f);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    for (double position : {double(nan), double(inf), -1e300, 1e300, -5.0, 1e12})
        for (int32_t unit : {POS_SECONDS, POS_MILLISECONDS, POS_REFTIME, 1})
            Lumex_ChannelSetPosition(m_channel, position, unit);
    Lumex_ChannelResizeWindow(m_channel, 0, 300, 200, 10, 10);
    Lumex_ChannelResizeWindow(m_channel, 0, -100000, -100000, 100000, 100000);
    Lumex_ChannelSetWindow(m_channel, 0, 0x7FFFFFF);
    Lumex_ChannelSetWindow(m_channel, 0, window.Handle());
    for (int32_t index : {-1, 4, 1000, INT32_MIN}) {
        EXPECT_EQ(Lumex_ChannelEnableStream(m_channel, index), 0) << index;
        Lumex_ShowFilterPropertyPage(m_channel, index, 0);
    }
    EXPECT_EQ(Lumex_ChannelGetStream(m_channel, 0, nullptr), 0);
    EXPECT_EQ(Lumex_ChannelEnumerateStreams(m_channel, nullptr, 0), 0);
    EXPECT_GE(Lumex_ChannelGetConnectedFilters(m_channel, nullptr, 0), 4);
    Lumex_ChannelGetInfo(m_channel, nullptr);

    ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, 0, POS_SECONDS), 1);
    const double before = Lumex_ChannelGetPosition(m_channel, POS_REFTIME);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GT(Lumex_ChannelGetPosition(m_channel, POS_REFTIME), before) << "still playing";
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_PLAYING);
}

int g_callbacks = 0;
void CountStream(int32_t, const char*, int32_t, int32_t, intptr_t) { ++g_callbacks; }
void CountFilter(int32_t, const char*, int32_t, int32_t) { ++g_callbacks; }
void CountFrame(void*, uint32_t, intptr_t, intptr_t, intptr_t) { ++g_callbacks; }

// A rate the graph accepts but no device can play keeps the sound going on the null output.
TEST_F(FileChannelEdges, AnUnplayableRateKeepsPlaying) {
    m_channel = Lumex_StreamCreateFile(MediaClip("flat.mkv").c_str(), 0, 0, 0);
    ASSERT_NE(m_channel, 0u);
    ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_RATE, std::numeric_limits<float>::infinity());
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_RATE, 3e38f);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_PLAYING);
    EXPECT_EQ(Lumex_ChannelStop(m_channel), 1);
}

TEST_F(FileChannelEdges, EveryExportFailsOnAFreedHandle) {
    Open("multi.mkv");
    const uint32_t freed = m_channel;
    m_channel = 0;
    ASSERT_EQ(Lumex_ChannelPlay(freed), 1);
    ASSERT_EQ(Lumex_StreamFree(freed), 1) << "a playing channel frees";
    g_callbacks = 0;

    EXPECT_EQ(Lumex_StreamFree(freed), 0);
    EXPECT_EQ(Lumex_ChannelPlay(freed), 0);
    EXPECT_EQ(Lumex_ChannelPause(freed), 0);
    EXPECT_EQ(Lumex_ChannelStop(freed), 0);
    EXPECT_EQ(Lumex_ChannelGetState(freed), 0);
    EXPECT_EQ(Lumex_ChannelGetLength(freed, POS_SECONDS), 0.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(freed, POS_REFTIME), 0.0);
    EXPECT_EQ(Lumex_ChannelSetPosition(freed, 1, POS_SECONDS), 0);
    CHANNELINFO info;
    std::memset(&info, 0xFF, sizeof info);
    Lumex_ChannelGetInfo(freed, &info);
    EXPECT_EQ(info.width, 0) << "the record is zeroed";
    EXPECT_EQ(info.frameRate, 0.0f);
    Lumex_ChannelSetWindow(freed, 0, 1);
    Lumex_ChannelResizeWindow(freed, 0, 0, 0, 10, 10);
    Lumex_ChannelSetAttribute(freed, ATTRIB_VOLUME, 50);
    Lumex_ChannelSetAttribute(freed, ATTRIB_STEREO_MODE, 1);
    EXPECT_EQ(Lumex_ChannelRepaint(freed, 0, nullptr), 0);
    EXPECT_EQ(Lumex_ChannelSetDDrawCallback(freed, CountFrame, 0), 0);
    EXPECT_EQ(Lumex_ChannelStreamsCount(freed), 0);
    StreamInfo stream{7, nullptr, 7, 7};
    EXPECT_EQ(Lumex_ChannelGetStream(freed, 0, &stream), 0);
    EXPECT_EQ(stream.type, 7) << "the record is left alone";
    EXPECT_EQ(Lumex_ChannelEnumerateStreams(freed, CountStream, 0), 0);
    EXPECT_EQ(Lumex_ChannelEnableStream(freed, 1), 0);
    EXPECT_EQ(Lumex_ChannelGetConnectedFilters(freed, CountFilter, 0), 0);
    Lumex_ShowFilterPropertyPage(freed, 0, 0);
    EXPECT_EQ(g_callbacks, 0);
}

// What channel_probe printed for one clip.
struct ProbeLine {
    uint32_t handle = 0;
    int frames = 0;
    std::vector<std::string> filters;
    bool Has(const std::string& filter) const {
        return std::find(filters.begin(), filters.end(), filter) != filters.end();
    }
};

// Runs channel_probe on the clips from a folder of its own that holds the program, the engine
// and platform libraries and only the given plug-in modules.
std::vector<ProbeLine> ProbeFromFolder(std::initializer_list<const char*> modules,
                                       std::initializer_list<const char*> clips) {
    static int folders = 0;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path folder =
        fs::temp_directory_path() / ("orvo-folder-" + std::to_string(getpid()) + "-" + std::to_string(++folders));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> files{"channel_probe", "libCore.so", "libPlatform.so"};
    files.insert(files.end(), modules.begin(), modules.end());
    // Build-tree binaries also search the build's own folder; the copies search only their
    // new one, as installed binaries do.
    std::string copies;
    for (const std::string& file : files) {
        fs::copy_file(bin / file, folder / file);
        copies += " '" + (folder / file).string() + "'";
    }
    EXPECT_EQ(std::system(("patchelf --set-rpath '$ORIGIN'" + copies).c_str()), 0) << "patchelf" << copies;
    std::string command = (folder / "channel_probe").string();
    for (const char* clip : clips) {
        const std::string path = std::strchr(clip, '/') ? std::string(clip) : MediaClip(clip);
        EXPECT_FALSE(path.empty()) << clip;
        command += " '" + path + "'";
    }
    std::vector<ProbeLine> lines;
    if (FILE* out = popen(command.c_str(), "r")) {
        char text[4096];
        while (std::fgets(text, sizeof text, out)) {
            std::istringstream line(text);
            ProbeLine probe;
            std::string filters;
            line >> probe.handle >> probe.frames;
            std::getline(line >> std::ws, filters);
            std::istringstream names(filters);
            for (std::string name; std::getline(names, name, '|');) probe.filters.push_back(name);
            lines.push_back(probe);
        }
        EXPECT_EQ(pclose(out), 0) << command;
    }
    fs::remove_all(folder);
    return lines;
}

TEST(PluginFolder, WithNoModuleAFileStillGivesAHandle) {
    const auto lines = ProbeFromFolder({}, {"flat.mkv"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].handle, 132457u);
    EXPECT_TRUE(lines[0].filters.empty()) << "the unconnected renderer left the graph";
    EXPECT_EQ(lines[0].frames, 0);
}

TEST(PluginFolder, WithTheSplitterAloneThePlatformsOwnFiltersPlayTheFile) {
    const auto lines = ProbeFromFolder({"LAVSplitter.ax"}, {"mpeg2.mkv"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].handle, 0u);
    EXPECT_TRUE(lines[0].Has("SourceFilter"));
    EXPECT_TRUE(lines[0].Has("User Video Renderer"));
    EXPECT_FALSE(lines[0].Has("DECODER 1"));
    EXPECT_FALSE(lines[0].Has("DECODER 2"));
    EXPECT_GT(lines[0].frames, 10) << "frames decoded by the platform reach the renderer";
}

TEST(PluginFolder, WithoutTheSplitterNoFileLoads) {
    // The video decoder takes the first slot and cannot open files.
    const auto lines = ProbeFromFolder({"LAVVideo.ax", "LAVAudio.ax"}, {"flat.mkv"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].handle, 0u);
}

TEST(PluginFolder, AMissingPathTakesNoHandleInAFreshProcess) {
    const auto lines = ProbeFromFolder({"LAVSplitter.ax", "LAVVideo.ax", "LAVAudio.ax"},
                                       {"flat.mkv", "/nonexistent/clip.mkv", "flat.mkv"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].handle, 132457u);
    EXPECT_EQ(lines[1].handle, 0u);
    EXPECT_EQ(lines[2].handle, 132458u);
    EXPECT_GT(lines[2].frames, 10);
    for (const char* filter : {"SourceFilter", "DECODER 1", "DECODER 2", "User Video Renderer"})
        EXPECT_TRUE(lines[2].Has(filter)) << filter;
}

}  // namespace
}  // namespace orvo::test
