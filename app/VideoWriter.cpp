#include "app/VideoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/PngWriter.h"
#include "platform/AtomicFile.h"

namespace velmora {
namespace {

/// Time stamps count in 1/90000 s, fine enough for any frame time a pass has.
constexpr AVRational kTimeBase{1, 90000};
constexpr const char* kPictureNumber = "%04d";

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string numbered(const std::string& pattern, long n) {
    const std::size_t at = pattern.find(kPictureNumber);
    char digits[24];
    std::snprintf(digits, sizeof digits, "%04ld", n);
    return pattern.substr(0, at) + digits + pattern.substr(at + 4);
}

}  // namespace

std::optional<VideoFormat> videoFormatOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.ends_with(".png") && name.find(kPictureNumber) != std::string::npos &&
        name.find('%') == name.find(kPictureNumber) &&
        name.find('%', name.find(kPictureNumber) + 1) == std::string::npos)
        return VideoFormat::PngSequence;
    if (name.size() > 4 && name.ends_with(".mp4"))
        return VideoFormat::Mp4;
    if (name.size() > 5 && name.ends_with(".webm"))
        return VideoFormat::WebM;
    return std::nullopt;
}

struct VideoWriter::Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    int sourceWidth = 0, sourceHeight = 0;
    std::int64_t lastPts = -1;

    ~Encoder() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format != nullptr && format->pb != nullptr)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    /// Sends a frame (null: the end) and writes every packet that comes out.
    bool encode(AVFrame* input, std::string& error) {
        int result = avcodec_send_frame(codec, input);
        if (result < 0) {
            error = "cannot encode a frame: " + avError(result);
            return false;
        }
        while ((result = avcodec_receive_packet(codec, packet)) == 0) {
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
            if (result < 0) {
                error = "cannot write the video: " + avError(result);
                return false;
            }
        }
        return result == AVERROR(EAGAIN) || result == AVERROR_EOF;
    }
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() {
    abandon();
}

void VideoWriter::abandon() {
    encoder_.reset();
    if (open_ && !partial_.empty())
        std::remove(partial_.c_str());
    open_ = false;
}

bool VideoWriter::open(const std::string& path, int width, int height, double framesPerSecond,
                       std::string& error) {
    abandon();
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not the user's business
    const std::optional<VideoFormat> format = videoFormatOf(path);
    if (!format) {
        error = path + ": a video is named .mp4, .webm or NAME%04d.png";
        return false;
    }
    path_ = path;
    format_ = *format;
    frames_ = 0;
    if (format_ == VideoFormat::PngSequence) {
        width_ = width;
        height_ = height;
        if (!canReplaceFile(numbered(path, 1), error)) {
            error = path + ": " + error;
            return false;
        }
        open_ = true;
        return true;
    }
    // The chroma of yuv420p covers pixels in pairs: both sides must be even.
    width_ = std::max(2, width & ~1);
    height_ = std::max(2, height & ~1);
    const bool mp4 = format_ == VideoFormat::Mp4;
    const char* encoderName = mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
    if (codec == nullptr) {
        error = std::string("this libavcodec has no ") + encoderName + " encoder";
        return false;
    }
    if (!canReplaceFile(path, error)) {
        error = path + ": " + error;
        return false;
    }
    const std::filesystem::path target(path);
    partial_ = (target.parent_path() /
                ("." + target.filename().string() + ".partial-" + std::to_string(::getpid())))
                   .string();
    auto e = std::make_unique<Encoder>();
    if (avformat_alloc_output_context2(&e->format, nullptr, mp4 ? "mp4" : "webm",
                                       partial_.c_str()) < 0 ||
        e->format == nullptr) {
        error = "libavformat cannot write " + std::string(mp4 ? "MP4" : "WebM");
        return false;
    }
    e->stream = avformat_new_stream(e->format, nullptr);
    e->codec = avcodec_alloc_context3(codec);
    e->frame = av_frame_alloc();
    e->packet = av_packet_alloc();
    if (e->stream == nullptr || e->codec == nullptr || e->frame == nullptr ||
        e->packet == nullptr) {
        error = "out of memory for the video";
        return false;
    }
    e->codec->width = width_;
    e->codec->height = height_;
    e->codec->pix_fmt = AV_PIX_FMT_YUV420P;
    e->codec->time_base = kTimeBase;
    const int fps = std::clamp(static_cast<int>(std::lround(framesPerSecond)), 1, 1000);
    e->codec->framerate = {fps, 1};
    e->codec->gop_size = fps * 2;
    if ((e->format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
        e->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Quality high enough that a frame is the picture drawn (above 40 dB), at a pace that
    // keeps up with the passes.
    AVDictionary* options = nullptr;
    if (mp4) {
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "crf", "16", 0);
    } else {
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "crf", "18", 0);
        av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "row-mt", "1", 0);
    }
    int result = avcodec_open2(e->codec, codec, &options);
    av_dict_free(&options);
    if (result < 0) {
        error = std::string("cannot start ") + encoderName + ": " + avError(result);
        return false;
    }
    avcodec_parameters_from_context(e->stream->codecpar, e->codec);
    e->stream->time_base = kTimeBase;
    e->stream->avg_frame_rate = e->codec->framerate;
    e->frame->format = AV_PIX_FMT_YUV420P;
    e->frame->width = width_;
    e->frame->height = height_;
    if ((result = av_frame_get_buffer(e->frame, 0)) < 0 ||
        (result = avio_open(&e->format->pb, partial_.c_str(), AVIO_FLAG_WRITE)) < 0) {
        error = path + ": " + avError(result);
        return false;
    }
    open_ = true;  // from here on the partial file exists and goes with an abandon
    if ((result = avformat_write_header(e->format, nullptr)) < 0) {
        encoder_ = std::move(e);
        abandon();
        error = "cannot start the video: " + avError(result);
        return false;
    }
    encoder_ = std::move(e);
    return true;
}

bool VideoWriter::writePicture(const std::vector<std::uint32_t>& pixels, int width, int height,
                               std::string& error) {
    const std::string name = numbered(path_, frames_ + 1);
    if (!writePng(name, pixels, static_cast<std::uint32_t>(width),
                  static_cast<std::uint32_t>(height), error, true)) {
        error = name + ": " + error;
        return false;
    }
    ++frames_;
    return true;
}

bool VideoWriter::addFrame(const std::vector<std::uint32_t>& pixels, int width, int height,
                           double seconds, std::string& error) {
    if (!open_ || width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        error = "no picture for the video";
        return false;
    }
    if (format_ == VideoFormat::PngSequence)
        return writePicture(pixels, width, height, error);
    Encoder& e = *encoder_;
    if (av_frame_make_writable(e.frame) < 0) {
        error = "out of memory for the video";
        return false;
    }
    // The picture as large as fits, its shape kept, centred on black; offsets even for the
    // chroma planes.
    const double scale =
        std::min(static_cast<double>(width_) / width, static_cast<double>(height_) / height);
    const int w = std::clamp(static_cast<int>(std::lround(width * scale)) & ~1, 2, width_);
    const int h = std::clamp(static_cast<int>(std::lround(height * scale)) & ~1, 2, height_);
    const int x = ((width_ - w) / 2) & ~1, y = ((height_ - h) / 2) & ~1;
    if (w != width_ || h != height_) {
        for (int row = 0; row < height_; ++row)
            std::fill_n(e.frame->data[0] + row * e.frame->linesize[0], width_, 16);
        for (int plane = 1; plane < 3; ++plane)
            for (int row = 0; row < height_ / 2; ++row)
                std::fill_n(e.frame->data[plane] + row * e.frame->linesize[plane], width_ / 2, 128);
    }
    e.scaler =
        sws_getCachedContext(e.scaler, width, height, AV_PIX_FMT_BGRA, w, h, AV_PIX_FMT_YUV420P,
                             SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (e.scaler == nullptr) {
        error = "cannot convert the picture for the video";
        return false;
    }
    const auto* source = reinterpret_cast<const std::uint8_t*>(pixels.data());
    const int sourceStride = width * 4;
    std::uint8_t* planes[3] = {e.frame->data[0] + y * e.frame->linesize[0] + x,
                               e.frame->data[1] + (y / 2) * e.frame->linesize[1] + x / 2,
                               e.frame->data[2] + (y / 2) * e.frame->linesize[2] + x / 2};
    sws_scale(e.scaler, &source, &sourceStride, 0, height, planes, e.frame->linesize);
    // Every frame gets a later stamp than the one before, even after a pass of no time.
    e.lastPts =
        std::max(e.lastPts + 1, static_cast<std::int64_t>(std::llround(seconds * kTimeBase.den)));
    e.frame->pts = e.lastPts;
    if (!e.encode(e.frame, error))
        return false;
    ++frames_;
    return true;
}

bool VideoWriter::finish(std::string& error) {
    if (!open_)
        return false;
    if (format_ == VideoFormat::PngSequence) {
        open_ = false;
        return true;
    }
    Encoder& e = *encoder_;
    bool ok = e.encode(nullptr, error);
    int result = av_write_trailer(e.format);
    if (ok && result < 0) {
        error = "cannot end the video: " + avError(result);
        ok = false;
    }
    result = avio_closep(&e.format->pb);
    if (ok && result < 0) {
        error = "cannot write the video: " + avError(result);
        ok = false;
    }
    // On the disk before it takes the name, as a scene file is.
    if (const int fd = ::open(partial_.c_str(), O_RDONLY); fd >= 0) {
        ok = ::fsync(fd) == 0 && ok;
        ::close(fd);
    }
    if (ok && std::rename(partial_.c_str(), path_.c_str()) != 0) {
        error = "cannot put the video under " + path_;
        ok = false;
    }
    if (ok)
        open_ = false;
    abandon();
    return ok;
}

}  // namespace velmora
