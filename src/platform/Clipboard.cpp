#include "platform/Clipboard.h"

#include <utility>

namespace vexo {

Clipboard::~Clipboard() = default;

bool ScriptedClipboard::setText(std::string text) {
    contents_ = std::move(text);
    return true;
}

void ScriptedClipboard::requestText(ClipboardTextCallback done) {
    waiting_.push_back(std::move(done));
}

void ScriptedClipboard::poll() {
    // A callback may ask again; that request is answered by the next poll().
    std::deque<ClipboardTextCallback> answering;
    answering.swap(waiting_);
    for (ClipboardTextCallback& done : answering) {
        done(contents_);
    }
}

}  // namespace vexo
