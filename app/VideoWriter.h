#pragma once
// A video of the passes, encoded in the program with libavcodec and libavformat: H.264 in an
// MP4 (yuv420p, which browsers play), VP9 in a WebM, or a numbered PNG picture per pass. The
// video goes to a hidden file beside the target, renamed onto it when finished, so a run cut
// short leaves nothing under the target name.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class VideoFormat { Mp4, WebM, PngSequence };

/// The format a file name asks for: ".mp4", ".webm", or a name holding "%04d" and ending in
/// ".png" (one picture a pass, numbered from 0001); nothing for any other name.
std::optional<VideoFormat> videoFormatOf(const std::string& path);

class VideoWriter {
  public:
    VideoWriter();
    ~VideoWriter();  ///< a video not finished is removed
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    /// Starts a video of width x height pixels (a codec's odd side loses its last pixel),
    /// nominally framesPerSecond frames a second. False, with one line in error, when the
    /// name asks for no format, the encoder is missing or the folder cannot be written.
    bool open(const std::string& path, int width, int height, double framesPerSecond,
              std::string& error);
    /// One frame: pixels 0xAARRGGBB, rows top to bottom, shown from `seconds` on. A frame of
    /// another size is scaled to the video's, its shape kept, with black bars.
    bool addFrame(const std::vector<std::uint32_t>& pixels, int width, int height, double seconds,
                  std::string& error);
    /// Ends the video and puts it under its name.
    bool finish(std::string& error);

    const std::string& path() const { return path_; }
    long frames() const { return frames_; }

  private:
    struct Encoder;
    bool writePicture(const std::vector<std::uint32_t>& pixels, int width, int height,
                      std::string& error);
    void abandon();

    std::unique_ptr<Encoder> encoder_;
    std::string path_;
    std::string partial_;  ///< the hidden file written until finish
    VideoFormat format_ = VideoFormat::Mp4;
    bool open_ = false;
    long frames_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace velmora
