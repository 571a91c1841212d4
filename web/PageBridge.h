#pragma once
// What the program tells the page around it, and asks of it: the address's options, the
// state the page's script and its tests read (window.velmora: frames, firstFrameMs, report,
// error, done), messages shown on the page, and files offered as downloads.
#include <string>

namespace velmora {

/// location.search, at most kLongestPageQuery + 1 bytes (a longer one is refused whole).
std::string pageQueryString();
/// Something the page cannot do: shown on the page, kept in velmora.error, and the page is done.
void pageShowError(const std::string& message);
/// The run's end: the report line in velmora.report, what the replay said on the page.
void pageShowReport(const std::string& report, const std::string& said);
/// Another frame handed to the browser; the first is timed when the browser next paints.
void pageFrameDrawn(long frames);
/// Offers a file of the in-memory file system as a download under its own name.
void pageOfferDownload(const std::string& path);
/// The largest file a drop may hand the program, bytes: the page reads no more of one.
void pageTellLargestDrop(double bytes);
/// What became of a fetched recording, for velmoraRecordingFailed.
enum class FetchFailure : int { Refused = 0, TooLarge = 1, Unreachable = 2 };
/// Fetches the recording at `address` for the page, reading at most `most` bytes of it: the
/// page's exported velmoraRecordingSpace(page, size) gives room for it and
/// velmoraRecordingArrived(page) follows; or velmoraRecordingFailed(page, failure, status).
void pageFetchRecording(const std::string& address, void* page, double most);

}  // namespace velmora
