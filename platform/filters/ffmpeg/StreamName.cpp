#include "platform/filters/ffmpeg/StreamName.h"

#include <algorithm>
#include <cctype>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/CodecTable.h"

namespace orvo::ffmpeg {
namespace {

struct Language {
    const char* codes[3];  // ISO 639-1, 639-2/T, 639-2/B
    const char* name;
    LCID locale;
};

constexpr Language kLanguages[] = {
    {{"en", "eng", "eng"}, "English", 0x0409},   {{"de", "deu", "ger"}, "German", 0x0407},
    {{"fr", "fra", "fre"}, "French", 0x040C},    {{"es", "spa", "spa"}, "Spanish", 0x0C0A},
    {{"it", "ita", "ita"}, "Italian", 0x0410},   {{"pt", "por", "por"}, "Portuguese", 0x0816},
    {{"nl", "nld", "dut"}, "Dutch", 0x0413},     {{"sv", "swe", "swe"}, "Swedish", 0x041D},
    {{"no", "nor", "nor"}, "Norwegian", 0x0414}, {{"da", "dan", "dan"}, "Danish", 0x0406},
    {{"fi", "fin", "fin"}, "Finnish", 0x040B},   {{"pl", "pol", "pol"}, "Polish", 0x0415},
    {{"cs", "ces", "cze"}, "Czech", 0x0405},     {{"hu", "hun", "hun"}, "Hungarian", 0x040E},
    {{"ru", "rus", "rus"}, "Russian", 0x0419},   {{"uk", "ukr", "ukr"}, "Ukrainian", 0x0422},
    {{"el", "ell", "gre"}, "Greek", 0x0408},     {{"tr", "tur", "tur"}, "Turkish", 0x041F},
    {{"ar", "ara", "ara"}, "Arabic", 0x0401},    {{"he", "heb", "heb"}, "Hebrew", 0x040D},
    {{"hi", "hin", "hin"}, "Hindi", 0x0439},     {{"ja", "jpn", "jpn"}, "Japanese", 0x0411},
    {{"ko", "kor", "kor"}, "Korean", 0x0412},    {{"zh", "zho", "chi"}, "Chinese", 0x0804},
    {{"lv", "lav", "lav"}, "Latvian", 0x0426},   {{"lt", "lit", "lit"}, "Lithuanian", 0x0427},
    {{"et", "est", "est"}, "Estonian", 0x0425},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

const Language* FindLanguage(std::string_view code) {
    const std::string lower = Lower(code);
    for (const Language& language : kLanguages)
        for (const char* known : language.codes)
            if (lower == known) return &language;
    return nullptr;
}

std::string Tag(const AVStream& stream, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(stream.metadata, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

std::string CodecName(const AVCodecParameters& codec) {
    if (const CodecEntry* entry = FindCodec(codec.codec_id)) return entry->displayName;
    const char* name = avcodec_get_name(codec.codec_id);
    return name ? name : "";
}

std::string Detail(const AVCodecParameters& codec) {
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO && codec.width > 0)
        return std::to_string(codec.width) + "x" + std::to_string(codec.height);
    if (codec.codec_type == AVMEDIA_TYPE_AUDIO && codec.ch_layout.nb_channels > 0) {
        char layout[64] = "";
        av_channel_layout_describe(&codec.ch_layout, layout, sizeof layout);
        return layout;
    }
    return "";
}

}  // namespace

std::string LanguageName(std::string_view code) {
    if (code.empty() || Lower(code) == "und") return "";
    const Language* language = FindLanguage(code);
    return language ? language->name : std::string(code);
}

LCID LanguageLocale(std::string_view code) {
    const Language* language = FindLanguage(code);
    return language ? language->locale : 0;
}

std::u16string ReadableStreamName(const AVStream& stream) {
    std::string name;
    auto append = [&name](const std::string& part) {
        if (part.empty()) return;
        if (!name.empty()) name += ", ";
        name += part;
    };
    append(LanguageName(Tag(stream, "language")));
    append(Tag(stream, "title"));
    const std::string codec = CodecName(*stream.codecpar);
    const std::string detail = Detail(*stream.codecpar);
    append(detail.empty() ? codec : codec + " " + detail);
    return com::Utf8ToUtf16(name);
}

}  // namespace orvo::ffmpeg
