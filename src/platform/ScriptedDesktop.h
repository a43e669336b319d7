// Desktop services for tests: the test queues the answers, every call is recorded. Answers
// arrive in poll(), as with the real desktop.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace vexo {

class ScriptedDesktop final : public DesktopServices {
public:
    enum class CallKind { MessageBox, ChooseFiles, OpenInTextEditor, OpenFolderOrUrl };
    struct Call {
        CallKind kind;
        MessageRequest message;          // MessageBox
        FileChooserRequest chooser;      // ChooseFiles
        std::vector<std::string> paths;  // OpenInTextEditor; OpenFolderOrUrl: the one target
    };

    // Answers in the order the dialogs come; with none left a message box answers Closed and a
    // chooser is cancelled.
    void queueMessageAnswer(MessageAnswer answer) { messageAnswers_.push_back(answer); }
    void queueChosenFiles(std::vector<std::string> paths) { chosenFiles_.push_back(std::move(paths)); }
    void setLaunchesSucceed(bool succeed) { launchesSucceed_ = succeed; }

    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> callsOf(CallKind kind) const;
    void clearCalls() { calls_.clear(); }

    void messageBox(MessageRequest request, MessageCallback done) override;
    void chooseFiles(FileChooserRequest request, FilesCallback done) override;
    bool openInTextEditor(const std::vector<std::string>& paths) override;
    bool openFolderOrUrl(const std::string& target) override;
    void poll() override;
    bool busy() const override { return !pending_.empty(); }
    void cancelAll() override;

private:
    std::deque<MessageAnswer> messageAnswers_;
    std::deque<std::vector<std::string>> chosenFiles_;
    bool launchesSucceed_ = true;
    std::vector<Call> calls_;
    std::vector<std::function<void()>> pending_;
    unsigned cancellations_ = 0;
};

}  // namespace vexo
