#include "platform/filters/capture/AlsaCaptureDevices.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>

#include "platform/com/TextConversion.h"
#include "platform/filters/capture/AudioCaptureFilter.h"
#include "platform/filters/capture/CaptureFilterIds.h"

namespace orvo::capture {
namespace {

// A hint's value, taken over from ALSA's allocation; empty when absent.
std::string HintValue(const void* hint, const char* id) {
    char* value = snd_device_name_get_hint(hint, id);
    if (!value) return {};
    std::string text(value);
    std::free(value);
    return text;
}

DeviceEntry CaptureDevice(const std::string& pcm, const std::string& description) {
    const std::string firstLine = description.substr(0, description.find('\n'));
    return {com::Utf8ToUtf16(firstLine.empty() ? pcm : firstLine), CLSID_AudioCaptureSource,
            [pcm](REFIID riid, void** object) { return CAudioCaptureFilter::Create(pcm, riid, object); }};
}

struct NamedPcm {
    std::string name, description;
};

std::vector<NamedPcm> HintedCapturePcms() {
    std::vector<NamedPcm> pcms;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints) return pcms;
    for (void** hint = hints; *hint; ++hint) {
        const std::string name = HintValue(*hint, "NAME");
        const std::string direction = HintValue(*hint, "IOID");  // empty: both directions
        // "null" captures silence from nowhere; it is not a device anybody records from.
        if (name.empty() || name == "null" || !(direction.empty() || direction == "Input")) continue;
        pcms.push_back({name, HintValue(*hint, "DESC")});
    }
    snd_device_name_free_hint(hints);
    return pcms;
}

// Each card's capture PCMs, as "hw:CARD=<id>,DEV=<n>".
std::vector<NamedPcm> CardCapturePcms() {
    std::vector<NamedPcm> pcms;
    for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) {
        snd_ctl_t* control = nullptr;
        if (snd_ctl_open(&control, ("hw:" + std::to_string(card)).c_str(), 0) < 0) continue;
        snd_ctl_card_info_t* cardInfo;
        snd_ctl_card_info_alloca(&cardInfo);
        snd_pcm_info_t* pcmInfo;
        snd_pcm_info_alloca(&pcmInfo);
        if (snd_ctl_card_info(control, cardInfo) == 0) {
            const std::string id = snd_ctl_card_info_get_id(cardInfo);
            const std::string cardName = snd_ctl_card_info_get_name(cardInfo);
            for (int device = -1; snd_ctl_pcm_next_device(control, &device) == 0 && device >= 0;) {
                snd_pcm_info_set_device(pcmInfo, unsigned(device));
                snd_pcm_info_set_subdevice(pcmInfo, 0);
                snd_pcm_info_set_stream(pcmInfo, SND_PCM_STREAM_CAPTURE);
                if (snd_ctl_pcm_info(control, pcmInfo) < 0) continue;  // plays only
                pcms.push_back({"hw:CARD=" + id + ",DEV=" + std::to_string(device),
                                cardName + ", " + snd_pcm_info_get_name(pcmInfo)});
            }
        }
        snd_ctl_close(control);
    }
    return pcms;
}

}  // namespace

std::vector<DeviceEntry> ListAlsaCaptureDevices() {
    std::vector<NamedPcm> pcms = HintedCapturePcms();
    for (NamedPcm& card : CardCapturePcms()) {
        const bool hinted =
            std::any_of(pcms.begin(), pcms.end(), [&](const NamedPcm& p) { return p.name == card.name; });
        if (!hinted) pcms.push_back(std::move(card));
    }
    std::vector<DeviceEntry> devices;
    for (const NamedPcm& pcm : pcms) devices.push_back(CaptureDevice(pcm.name, pcm.description));
    return devices;
}

}  // namespace orvo::capture
