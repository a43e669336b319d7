// A stereo audio file written block by block through libsndfile, so a render of any
// length needs only one block of memory. The samples go into a temporary file beside the
// target, which replaces the target only once it is complete: a failed or abandoned
// write leaves no partial file behind.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace vexo::cli {

class AudioFileWriter {
public:
    AudioFileWriter() = default;
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // sndfileFormat: SF_FORMAT_WAV | SF_FORMAT_FLOAT and the like. False with the reason.
    bool open(const std::string& path, int sndfileFormat, int sampleRate, std::string& error);
    bool write(const float* left, const float* right, int frames, std::string& error);
    // Completes the file and puts it in place of the target.
    bool commit(std::string& error);
    // Removes the unfinished file.
    void discard();

private:
    std::string path_;
    std::string temporary_;
    SNDFILE* file_ = nullptr;
    std::vector<float> interleaved_;
};

}  // namespace vexo::cli
