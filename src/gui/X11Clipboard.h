// The desktop clipboard of X11 (the CLIPBOARD selection), on a display connection of its
// own so that the editor's window connection never sees selection traffic.
//
// Copy takes ownership of the selection; from then on other programs ask us for the text,
// and poll() answers them (as UTF8_STRING, STRING or TEXT, and the TARGETS list) until
// another program takes the selection. Paste asks the owner to convert the selection into a
// property of our window and reads it when the answer arrives in poll(); an owner that does
// not answer within kRequestTimeoutMs counts as no text. Text larger than one request
// (several hundred kilobytes; patterns are below one) is neither served nor read, as the
// incremental transfer protocol is not spoken. Our text lives as long as this object: when
// it goes while the selection is ours, a running clipboard manager is asked to keep the text
// (waiting for it at most half a second).
//
// X errors of our requests (a requestor window that went away) are trapped for the
// duration of each call; a broken connection never ends the host process, it only turns
// isAlive() false.
//
// User-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Clipboard.h"

namespace vexo {

class X11Clipboard final : public Clipboard {
public:
    static constexpr std::uint32_t kRequestTimeoutMs = 2000;

    // Null when no display can be opened (displayName null: $DISPLAY).
    static std::unique_ptr<X11Clipboard> open(const char* displayName = nullptr);
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    bool setText(std::string text) override;
    void requestText(ClipboardTextCallback done) override;
    void poll() override;
    void cancelRequests() override;

    // The selection is ours (until another program takes it).
    bool ownsSelection() const;
    bool isAlive() const;
    // Tests drive the timeout through this instead of the system tick count.
    void setTickSource(std::function<std::uint32_t()> source);

    struct Connection;

private:
    explicit X11Clipboard(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> connection_;
};

}  // namespace vexo
