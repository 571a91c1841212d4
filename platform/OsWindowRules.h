#pragma once
// Rules every operating system here follows, so that the system cannot tell the SDL one, the
// scripted one and the page's apart: window classes by name, the order in which the message
// queue hands out messages, and how a window's outer rectangle relates to its client area.
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/OperatingSystem.h"

namespace velmora {

/// Thickness of a window's frame (caption and borders) on each side, in pixels.
struct FrameSize {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const FrameSize&) const = default;
};

/// A style with a caption or a sizing border is framed; a pop-up without either is not.
inline bool styleHasFrame(std::uint32_t style) {
    return (style & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

/// The outer rectangle around a client rectangle.
inline Rect growByFrame(const Rect& client, const FrameSize& frame) {
    return {client.left - frame.left, client.top - frame.top, client.right + frame.right,
            client.bottom + frame.bottom};
}

/// The client rectangle inside an outer rectangle.
inline Rect shrinkByFrame(const Rect& outer, const FrameSize& frame) {
    return {outer.left + frame.left, outer.top + frame.top, outer.right - frame.right,
            outer.bottom - frame.bottom};
}

/// RegisterClassA and UnregisterClassA: classes by name, each name once.
class WindowClassTable {
  public:
    /// False for a class without a name or with one already taken.
    bool add(const WindowClass& windowClass) {
        if (windowClass.className == nullptr || classes.contains(windowClass.className)) {
            return false;
        }
        auto [it, inserted] = classes.emplace(windowClass.className, windowClass);
        it->second.className = it->first.c_str();  // the table's own copy of the name
        return inserted;
    }

    bool remove(const char* className) {
        return className != nullptr && classes.erase(std::string(className)) == 1;
    }

    /// The class of that name; null when there is none.
    const WindowClass* find(const char* className) const {
        if (className == nullptr) {
            return nullptr;
        }
        const auto it = classes.find(className);
        return it == classes.end() ? nullptr : &it->second;
    }

  private:
    std::map<std::string, WindowClass, std::less<>> classes;
};

/// The thread's message queue. Messages come out in the order they were posted; the posted
/// quit comes out only once nothing else waits, once, with the code of the last post.
class WindowMessageQueue {
  public:
    void post(const Message& message) { messages.push_back(message); }

    void postQuit(int exitCode) {
        quitPending = true;
        quitCode = exitCode;
    }

    /// Takes one message if there is one; never waits.
    bool take(Message& out) {
        if (!messages.empty()) {
            out = messages.front();
            messages.pop_front();
            return true;
        }
        if (quitPending) {
            quitPending = false;
            out = Message{nullptr, WM_QUIT, static_cast<std::uintptr_t>(quitCode), 0};
            return true;
        }
        return false;
    }

    std::size_t size() const { return messages.size() + (quitPending ? 1 : 0); }

  private:
    std::deque<Message> messages;
    bool quitPending = false;
    int quitCode = 0;
};

}  // namespace velmora
