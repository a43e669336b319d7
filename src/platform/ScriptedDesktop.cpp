#include "platform/ScriptedDesktop.h"

#include <utility>

namespace vexo {

std::vector<ScriptedDesktop::Call> ScriptedDesktop::callsOf(CallKind kind) const {
    std::vector<Call> result;
    for (const Call& call : calls_) {
        if (call.kind == kind) {
            result.push_back(call);
        }
    }
    return result;
}

void ScriptedDesktop::messageBox(MessageRequest request, MessageCallback done) {
    MessageAnswer answer = MessageAnswer::Closed;
    if (!messageAnswers_.empty()) {
        answer = messageAnswers_.front();
        messageAnswers_.pop_front();
    }
    calls_.push_back({CallKind::MessageBox, std::move(request), {}, {}});
    pending_.push_back([done = std::move(done), answer] { done(answer); });
}

void ScriptedDesktop::chooseFiles(FileChooserRequest request, FilesCallback done) {
    std::vector<std::string> paths;
    if (!chosenFiles_.empty()) {
        paths = std::move(chosenFiles_.front());
        chosenFiles_.pop_front();
    }
    calls_.push_back({CallKind::ChooseFiles, {}, std::move(request), {}});
    pending_.push_back([done = std::move(done), paths = std::move(paths)] { done(paths); });
}

bool ScriptedDesktop::openInTextEditor(const std::vector<std::string>& paths) {
    calls_.push_back({CallKind::OpenInTextEditor, {}, {}, paths});
    return launchesSucceed_;
}

bool ScriptedDesktop::openFolderOrUrl(const std::string& target) {
    calls_.push_back({CallKind::OpenFolderOrUrl, {}, {}, {target}});
    return launchesSucceed_;
}

void ScriptedDesktop::poll() {
    // Taken out first: a callback may open the next dialog, answered by the next poll().
    std::vector<std::function<void()>> answers;
    answers.swap(pending_);
    const unsigned cancellations = cancellations_;
    for (const std::function<void()>& answer : answers) {
        if (cancellations_ != cancellations) {
            break;  // a callback closed everything
        }
        answer();
    }
}

void ScriptedDesktop::cancelAll() {
    pending_.clear();
    ++cancellations_;
}

}  // namespace vexo
