#include "AudioFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vexo::cli {

AudioFileWriter::~AudioFileWriter() {
    discard();
}

bool AudioFileWriter::open(const std::string& path, int sndfileFormat, int sampleRate, std::string& error) {
    path_ = path;
    temporary_ = path + ".part" + std::to_string(::getpid());
    // Created here, never followed if something is already in the way.
    const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        temporary_.clear();
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = sndfileFormat;
    // libsndfile closes the descriptor, also when it fails.
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file_ == nullptr) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        discard();
        return false;
    }
    // Clip rather than wrap when converting to integer samples.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // No PEAK chunk in float files: it holds the time of writing, and the same render must
    // give the same bytes.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    return true;
}

bool AudioFileWriter::write(const float* left, const float* right, int frames, std::string& error) {
    interleaved_.resize(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        interleaved_[2 * static_cast<std::size_t>(i)] = left[i];
        interleaved_[2 * static_cast<std::size_t>(i) + 1] = right[i];
    }
    if (sf_writef_float(file_, interleaved_.data(), frames) != frames) {
        error = "cannot write " + path_ + ": " + sf_strerror(file_);
        discard();
        return false;
    }
    return true;
}

bool AudioFileWriter::commit(std::string& error) {
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) {
        error = "cannot write " + path_ + ": " + sf_error_number(closed);
        discard();
        return false;
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void AudioFileWriter::discard() {
    if (file_ != nullptr) {
        sf_close(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace vexo::cli
