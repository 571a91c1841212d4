#include "app/ProgressLine.h"

#include <algorithm>

namespace velmora {

void ProgressLine::update(long done, long total) {
    if (total <= 0)
        return;
    const Clock::time_point now = Clock::now();
    const long tenth = done * 10 / total;
    if (inPlace_ ? now - lastShown_ < std::chrono::milliseconds(250) && done < total
                 : tenth == lastTenth_) {
        return;
    }
    lastShown_ = now;
    lastTenth_ = tenth;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0;
    std::fprintf(out_, "%svelmora: pass %ld of %ld (%.0f%%), %.1f passes a second, %.0f s left%s",
                 inPlace_ ? "\r" : "", done, total, 100.0 * static_cast<double>(done) / total, rate,
                 std::max(0.0, left), inPlace_ ? "   " : "\n");
    std::fflush(out_);
    shown_ = true;
}

void ProgressLine::finish() {
    if (inPlace_ && shown_)
        std::fputc('\n', out_);
    shown_ = false;
}

}  // namespace velmora
