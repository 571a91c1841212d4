// Pictures and videos of what the window shows: F12 saves the last frame as a PNG in the save
// folder, F9 starts and stops a video of the window there, and --video records every pass.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/Application.h"
#include "app/PngWriter.h"
#include "app/SaveFolder.h"
#include "app/Window.h"
#include "render/D3DRenderer.h"

namespace velmora {
namespace {

constexpr int kKeyF9 = VK_F1 + 8, kKeyF12 = VK_F1 + 11;
/// What F9 records in, and what its frames are stamped at nominally.
constexpr const char* kWindowVideoExtension = ".mp4";
constexpr double kWindowVideoFramesPerSecond = 60.0;

}  // namespace

bool Application::grabFrame() {
    std::uint32_t width = 0, height = 0;
    if (gRenderer->device == nullptr ||
        gRenderer->device->getFrontBufferData(framePixels_, width, height) != D3D_OK) {
        return false;
    }
    frameWidth_ = static_cast<int>(width);
    frameHeight_ = static_cast<int>(height);
    return true;
}

bool Application::startVideo(const std::string& path, int width, int height, double framesPerSecond,
                             std::string& error) {
    video = std::make_unique<VideoWriter>();
    videoSeconds_ = 0.0;
    if (!video->open(path, width, height, framesPerSecond, error)) {
        video.reset();
        return false;
    }
    return true;
}

bool Application::finishVideo(std::string& said) {
    if (!video)
        return true;
    std::string error;
    const bool ok = video->finish(error);
    said = ok ? "video written to " + video->path() + " (" + std::to_string(video->frames()) +
                    " frames)"
              : "cannot write the video " + video->path() + ": " + error;
    video.reset();
    return ok;
}

void Application::captureKeys() {
    // A replay shows a session again; it does not write the user's files again.
    if (!replayProgress.empty())
        return;
    std::error_code ignored;  // a folder that cannot be made fails below, naming the file
    if (input->pressed[kKeyF12]) {
        std::filesystem::create_directories(saveFolder, ignored);
        const std::string name = freeSnapshotName(saveFolder, ".png");
        std::string error = "the device keeps no picture";
        if (!name.empty() && grabFrame() &&
            writePng(name, framePixels_, static_cast<std::uint32_t>(frameWidth_),
                     static_cast<std::uint32_t>(frameHeight_), error)) {
            lastMessage = "screenshot written to " + name;
        } else {
            lastMessage = "cannot write a screenshot in " + saveFolder + ": " + error;
        }
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        overlay.showMessage(lastMessage);
    }
    if (input->pressed[kKeyF9]) {
        if (video) {
            finishVideo(lastMessage);
        } else {
            std::filesystem::create_directories(saveFolder, ignored);
            const std::string name = freeSnapshotName(saveFolder, kWindowVideoExtension);
            const Rect client = os.getClientRect(windowHandle);
            std::string error = "every name for this second is taken";
            lastMessage = !name.empty() && startVideo(name, client.width(), client.height(),
                                                      kWindowVideoFramesPerSecond, error)
                              ? "recording a video to " + name
                              : "cannot record a video in " + saveFolder + ": " + error;
        }
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        overlay.showMessage(lastMessage);
    }
}

void Application::captureFrame() {
    if (!video)
        return;
    std::string error;
    if (!grabFrame() ||
        !video->addFrame(framePixels_, frameWidth_, frameHeight_, videoSeconds_, error)) {
        lastMessage = "the video stopped: " + (error.empty() ? "no picture" : error);
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        overlay.showMessage(lastMessage);
        video.reset();  // what it wrote goes with it
        videoFailed = true;
        return;
    }
    videoSeconds_ += passDt;
}

}  // namespace velmora
