#pragma once
// What a stream selector shows for a stream: a readable name built from the stream's tags and
// codec parameters ("English, AC-3 5.1"), and the locale id of its language.
#include <string>
#include <string_view>

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/com/Types.h"

namespace orvo::ffmpeg {

// "Language, title, codec detail" with each part left out when the stream does not say it.
std::u16string ReadableStreamName(const AVStream& stream);

// The English name of an ISO 639-1 or 639-2 code ("ger" -> "German"); the code itself when the
// table does not know it, empty for no code or "und".
std::string LanguageName(std::string_view code);

// The platform's locale id for the language, 0 when unknown.
LCID LanguageLocale(std::string_view code);

}  // namespace orvo::ffmpeg
