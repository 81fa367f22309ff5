#pragma once
// A fuzzer's input written to a regular file, for the code under test to open by name; the file
// goes when the object does. It lives in /dev/shm when there is one (no disk traffic per run),
// else in $TMPDIR or /tmp.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvo::fuzz {

class MediaFile {
public:
    MediaFile(const uint8_t* data, size_t size);
    ~MediaFile();
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;

    // Empty when the file could not be written.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Settings every fuzz program makes once, before its first input: no X display (so nothing
// opens a window or a dialog) and no sound device (the audio renderer falls back to its null
// output, so no run depends on the machine's sound setup).
void PrepareProcess();

// PrepareProcess, then joins the calling thread to an apartment, as graph-building callers must.
void PrepareApartmentProcess();

}  // namespace orvo::fuzz
