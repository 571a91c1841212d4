#pragma once
// A video the program wrote, decoded whole with libavformat and libavcodec into pictures.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <string>
#include <vector>

#include "tests/render/PngPictures.h"

namespace velmora::test {

/// Every frame of the file's video stream, in order, as 0xRRGGBB pictures; empty when it
/// cannot be read. codec gets the encoder's name ("h264", "vp9"), seconds each frame's time.
inline std::vector<Picture> decodeVideo(const std::string& path, std::string* codec = nullptr,
                                        std::vector<double>* seconds = nullptr) {
    std::vector<Picture> frames;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return frames;
    const AVCodec* decoder = nullptr;
    const int stream = avformat_find_stream_info(format, nullptr) >= 0
                           ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0)
                           : -1;
    AVCodecContext* context = stream >= 0 ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* toRgb = nullptr;
    if (context != nullptr &&
        avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
        avcodec_open2(context, decoder, nullptr) >= 0) {
        if (codec != nullptr)
            *codec = decoder->name;
        const auto take = [&] {
            while (avcodec_receive_frame(context, frame) == 0) {
                Picture picture{frame->width, frame->height, {}};
                std::vector<std::uint8_t> rgb(static_cast<std::size_t>(frame->width) *
                                              frame->height * 3);
                toRgb = sws_getCachedContext(
                    toRgb, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                    frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC | SWS_ACCURATE_RND,
                    nullptr, nullptr, nullptr);
                std::uint8_t* planes[1] = {rgb.data()};
                const int stride[1] = {frame->width * 3};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, planes, stride);
                for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
                    picture.pixels.push_back(std::uint32_t{rgb[i]} << 16 | rgb[i + 1] << 8 |
                                             rgb[i + 2]);
                frames.push_back(std::move(picture));
                if (seconds != nullptr)
                    seconds->push_back(static_cast<double>(frame->best_effort_timestamp) *
                                       av_q2d(format->streams[stream]->time_base));
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream && avcodec_send_packet(context, packet) >= 0)
                take();
            av_packet_unref(packet);
        }
        avcodec_send_packet(context, nullptr);
        take();
    }
    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return frames;
}

}  // namespace velmora::test
