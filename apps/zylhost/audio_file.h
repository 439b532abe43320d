// Audio files through libsndfile: reading any format it knows, and writing through a
// temporary file that becomes the real one only when everything went well.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zylhost {

struct AudioFormat {
    int format = 0;  // libsndfile's format code: major format | subtype | endianness
    int sampleRate = 0;
    int channels = 0;
};

// A readable audio file.
class AudioReader {
public:
    // Null with a one-line `error` (naming the file) when it cannot be opened as audio.
    [[nodiscard]] static std::unique_ptr<AudioReader> open(const std::string& path,
                                                          std::string& error);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    const AudioFormat& format() const { return info; }
    std::int64_t frames() const { return frameCount; }
    // Reads up to `frames` interleaved frames; the number read (0 at the end, -1 on a
    // read error).
    std::int64_t read(float* interleaved, std::int64_t frames);

private:
    AudioReader() = default;
    void* file = nullptr;
    AudioFormat info;
    std::int64_t frameCount = 0;
};

// An audio file being written. Until commit() it is a hidden temporary file beside the
// target; destroying an uncommitted writer removes it, so a failed run leaves nothing.
// Samples beyond full scale are clipped (and counted) in formats that cannot hold them.
class AudioWriter {
public:
    [[nodiscard]] static std::unique_ptr<AudioWriter> create(const std::string& path,
                                                            const AudioFormat& format,
                                                            std::string& error);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    [[nodiscard]] bool write(const float* interleaved, std::int64_t frames, std::string& error);
    // Closes the file and moves it to its name; false with `error` when that fails.
    [[nodiscard]] bool commit(std::string& error);

    // Samples that lay beyond full scale in a format that clips them.
    std::int64_t clippedSamples() const { return clipped; }

private:
    AudioWriter() = default;
    void* file = nullptr;
    std::string target, temporary;
    int channels = 0;
    bool clips = false;
    std::int64_t clipped = 0;
};

// The format to write `path` in: the major format its extension names (".wav", ".flac",
// ".aiff", ".ogg", ...) or else the input's, with the input's sample encoding where that
// format can hold it and a close one where it cannot. 0 when libsndfile cannot write any
// stereo file of that kind at that rate.
int outputFormatFor(const std::string& path, const AudioFormat& input, int channels);

// True when both paths name one existing file (through links or different spellings).
bool sameFile(const std::string& a, const std::string& b);

}  // namespace zylhost
