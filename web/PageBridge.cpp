#include "web/PageBridge.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>

#include "web/PageOptions.h"

namespace velmora {
namespace {

// The page's shell (web/shell.html) made window.velmora and the #message element. The
// script is laid out by hand: clang-format reads it as C++ and breaks its operators.
// clang-format off

EM_JS(int, queryString, (char* out, int size), {
    const query = window.location.search;
    stringToUTF8(query, out, size);
    return lengthBytesUTF8(query);
});

EM_JS(void, showError, (const char* message), {
    const text = UTF8ToString(message);
    window.velmora.error = text;
    window.velmora.done = true;
    const box = document.getElementById('message');
    if (box) {
        box.textContent = text;
        box.hidden = false;
    }
});

EM_JS(void, showReport, (const char* report, const char* said), {
    window.velmora.report = UTF8ToString(report);
    window.velmora.done = true;
    const box = document.getElementById('message');
    if (box) {
        box.textContent = UTF8ToString(said);
        box.hidden = false;
    }
});

EM_JS(void, frameDrawn, (int frames), {
    window.velmora.frames = frames;
    if (frames == 1)
        requestAnimationFrame(function() { window.velmora.firstFrameMs = performance.now(); });
});

EM_JS(void, setLargestDrop, (double bytes), { window.velmora.largestDrop = bytes; });

EM_JS(void, offerDownload, (const char* path), {
    const name = UTF8ToString(path);
    const bytes = FS.readFile(name);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/json'}));
    link.download = name.substring(name.lastIndexOf('/') + 1);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
});

// Streamed and counted, so that an address serving something huge is refused before the page
// holds it, not after.
EM_JS(void, fetchRecording, (const char* address, void* page, double most), {
    var fail = function(failure, status) { _velmoraRecordingFailed(page, failure, status); };
    var parts = [];
    var total = 0;
    // The replay starts outside the fetch's promises, so that nothing it does is taken for a
    // failed fetch.
    var arrived = function() {
        var at = _velmoraRecordingSpace(page, total);
        for (var i = 0; i < parts.length; ++i) {
            HEAPU8.set(parts[i], at);
            at += parts[i].length;
        }
        parts = [];
        setTimeout(function() { _velmoraRecordingArrived(page); }, 0);
    };
    var read = function(reader) {
        return reader.read().then(function(chunk) {
            if (chunk.done)
                return arrived();
            total += chunk.value.length;
            if (total > most) {
                reader.cancel();
                return fail(1, 0);
            }
            parts.push(chunk.value);
            return read(reader);
        });
    };
    fetch(UTF8ToString(address)).then(function(response) {
        if (!response.ok)
            return fail(0, response.status);
        if (!response.body)
            return arrived();
        return read(response.body.getReader()).catch(function() { fail(2, 0); });
    }, function() { fail(2, 0); });
});

// clang-format on

}  // namespace

std::string pageQueryString() {
    // Room for '?', the longest query and one byte more, so that a longer one stays longer
    // than the bound and is refused, not cut to fit.
    std::string text(kLongestPageQuery + 3, '\0');
    const int length = queryString(text.data(), static_cast<int>(text.size()));
    text.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                      kLongestPageQuery + 2));
    return text;
}

void pageShowError(const std::string& message) {
    std::fprintf(stderr, "velmora: %s\n", message.c_str());
    showError(message.c_str());
}

void pageShowReport(const std::string& report, const std::string& said) {
    std::printf("%s\n%s", report.c_str(), said.c_str());
    std::fflush(stdout);
    showReport(report.c_str(), said.c_str());
}

void pageFrameDrawn(long frames) {
    frameDrawn(static_cast<int>(std::min(frames, 1L << 30)));
}

void pageOfferDownload(const std::string& path) {
    offerDownload(path.c_str());
}

void pageTellLargestDrop(double bytes) {
    setLargestDrop(bytes);
}

void pageFetchRecording(const std::string& address, void* page, double most) {
    fetchRecording(address.c_str(), page, most);
}

}  // namespace velmora
