#include "audio_file.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zylhost {
namespace {

SNDFILE* handle(void* file) { return static_cast<SNDFILE*>(file); }

std::string lowerExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

int majorFormatForExtension(const std::string& extension) {
    static constexpr struct {
        const char* extension;
        int major;
    } kFormats[] = {
        {"wav", SF_FORMAT_WAV},   {"wave", SF_FORMAT_WAV},  {"flac", SF_FORMAT_FLAC},
        {"aif", SF_FORMAT_AIFF},  {"aiff", SF_FORMAT_AIFF}, {"aifc", SF_FORMAT_AIFF},
        {"ogg", SF_FORMAT_OGG},   {"oga", SF_FORMAT_OGG},   {"opus", SF_FORMAT_OGG},
        {"au", SF_FORMAT_AU},     {"snd", SF_FORMAT_AU},    {"caf", SF_FORMAT_CAF},
        {"w64", SF_FORMAT_W64},   {"rf64", SF_FORMAT_RF64},
    };
    for (const auto& f : kFormats)
        if (extension == f.extension) return f.major;
    return 0;
}

bool isFloatSubtype(int subtype) {
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE ||
           subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---- reading ----------------------------------------------------------------------

std::unique_ptr<AudioReader> AudioReader::open(const std::string& path, std::string& error) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        error = path + ": is a directory, not an audio file";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = path + ": cannot be read as audio: " + sf_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<AudioReader> reader(new AudioReader());
    reader->file = file;
    reader->info = {info.format, info.samplerate, info.channels};
    reader->frameCount = info.frames;
    return reader;
}

AudioReader::~AudioReader() {
    if (file != nullptr) sf_close(handle(file));
}

std::int64_t AudioReader::read(float* interleaved, std::int64_t frames) {
    const sf_count_t got = sf_readf_float(handle(file), interleaved, frames);
    if (got < frames && sf_error(handle(file)) != SF_ERR_NO_ERROR) return -1;
    return got;
}

// ---- writing ----------------------------------------------------------------------

std::unique_ptr<AudioWriter> AudioWriter::create(const std::string& path,
                                                 const AudioFormat& format,
                                                 std::string& error) {
    std::string pattern = directoryOf(path) + "/." + baseName(path) + ".partXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = path + ": cannot be written: " + std::strerror(errno);
        return nullptr;
    }
    // mkstemp makes the file private; give it the permissions a new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    std::unique_ptr<AudioWriter> writer(new AudioWriter());
    writer->target = path;
    writer->temporary = name.data();
    SF_INFO info{};
    info.format = format.format;
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) {
        error = path + ": cannot be written: " + sf_strerror(nullptr);
        close(fd);
        return nullptr;  // the destructor removes the temporary file
    }
    writer->file = file;
    writer->channels = format.channels;
    writer->clips = !isFloatSubtype(format.format & SF_FORMAT_SUBMASK);
    if (writer->clips) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return writer;
}

AudioWriter::~AudioWriter() {
    if (file != nullptr) sf_close(handle(file));
    if (!temporary.empty()) std::remove(temporary.c_str());
}

bool AudioWriter::write(const float* interleaved, std::int64_t frames, std::string& error) {
    if (clips) {
        const std::int64_t samples = frames * channels;
        for (std::int64_t i = 0; i < samples; ++i)
            if (!(std::fabs(interleaved[i]) <= 1.0f)) ++clipped;
    }
    if (sf_writef_float(handle(file), interleaved, frames) != frames) {
        error = target + ": cannot be written: " + sf_strerror(handle(file));
        return false;
    }
    return true;
}

bool AudioWriter::commit(std::string& error) {
    const int closed = sf_close(handle(file));
    file = nullptr;
    if (closed != 0) {
        error = target + ": cannot be written: " + sf_error_number(closed);
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = target + ": cannot be written: " + std::strerror(errno);
        return false;
    }
    temporary.clear();
    return true;
}

// ---- formats ----------------------------------------------------------------------

int outputFormatFor(const std::string& path, const AudioFormat& input, int channels) {
    const int inputMajor = input.format & SF_FORMAT_TYPEMASK;
    const int inputSubtype = input.format & SF_FORMAT_SUBMASK;
    int major = majorFormatForExtension(lowerExtension(path));
    if (major == 0) major = inputMajor;
    const std::string extension = lowerExtension(path);

    // The input's encoding first (with its byte order when the container stays), then
    // the nearest others: float for float sources, then 24 and 16 bit, then lossy.
    std::vector<int> candidates;
    if (major == inputMajor) candidates.push_back(input.format);
    if (extension == "opus") candidates.push_back(major | SF_FORMAT_OPUS);
    candidates.push_back(major | inputSubtype);
    if (isFloatSubtype(inputSubtype)) candidates.push_back(major | SF_FORMAT_FLOAT);
    for (int subtype : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_VORBIS, SF_FORMAT_FLOAT})
        candidates.push_back(major | subtype);
    for (const int format : candidates) {
        SF_INFO info{};
        info.format = format;
        info.samplerate = input.sampleRate;
        info.channels = channels;
        if (sf_format_check(&info)) return format;
    }
    return 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    if (stat(a.c_str(), &first) != 0 || stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace zylhost
