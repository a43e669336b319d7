// The desktop clipboard as the editor uses it: plain text in and out.
//
// Everything here runs on the host's user-interface thread. Reading another program's
// clipboard takes a round trip through the display server, so it is asynchronous like the
// desktop dialogs: requestText() returns at once and the answer arrives through the
// callback, which poll() runs from the editor's idle calls (never inside requestText()).
// While the clipboard holds our text, poll() also serves the other programs that ask for it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace vexo {

// The clipboard's text; nullopt when it holds none (empty, no text form, no answer in time).
using ClipboardTextCallback = std::function<void(std::optional<std::string>)>;

class Clipboard {
public:
    virtual ~Clipboard();

    // Puts text on the clipboard, replacing what it held; false when the clipboard could
    // not be taken.
    virtual bool setText(std::string text) = 0;
    virtual void requestText(ClipboardTextCallback done) = 0;
    // Serves requests for our text and delivers answers. Never waits.
    virtual void poll() = 0;
    // Drops the callbacks of requests not yet answered, without calling them.
    virtual void cancelRequests() = 0;
};

// A clipboard inside the process: the text lives in the object; answers arrive in poll(), as
// with the desktop's. Tests script it; offscreen editors, which reach no desktop, use it.
class ScriptedClipboard final : public Clipboard {
public:
    // What another program put on the clipboard; nullopt empties it.
    void setContents(std::optional<std::string> text) { contents_ = std::move(text); }
    const std::optional<std::string>& contents() const { return contents_; }
    int pendingRequests() const { return static_cast<int>(waiting_.size()); }

    bool setText(std::string text) override;
    void requestText(ClipboardTextCallback done) override;
    void poll() override;
    void cancelRequests() override { waiting_.clear(); }

private:
    std::optional<std::string> contents_;
    std::deque<ClipboardTextCallback> waiting_;
};

}  // namespace vexo
