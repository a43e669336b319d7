// The Linux desktop: zenity or kdialog run as child processes for the dialogs, xdg-open for
// files, folders and web addresses.
#include "platform/Desktop.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/ChildProcess.h"
#include "platform/DialogCommands.h"

namespace vexo {

DesktopServices::~DesktopServices() = default;

void DesktopServices::setFallbackDialogs(FallbackDialogs) {}

namespace {

// Answers on their way to the editor. Fallback dialogs hold it weakly, so an answer that comes
// after the services are gone, or after cancelAll(), is dropped.
struct Mailbox {
    std::vector<std::function<void()>> ready;  // run by the next poll()
    int awaitingFallback = 0;
    unsigned generation = 0;  // advanced by cancelAll()
};

void reportMissingDialogProgram() {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        std::fputs(
            "VEXO: neither zenity nor kdialog was found on PATH; message boxes and file choosers cannot be shown\n",
            stderr);
    }
}

// zenity opens a folder given as a start only when the name ends in "/".
std::string withFolderMark(const std::string& path) {
    std::error_code error;
    if (!path.empty() && path.back() != '/' && std::filesystem::is_directory(path, error)) {
        return path + "/";
    }
    return path;
}

class SystemDesktop final : public DesktopServices {
public:
    explicit SystemDesktop(unsigned long parentWindowId);
    ~SystemDesktop() override;

    void messageBox(MessageRequest request, MessageCallback done) override;
    void chooseFiles(FileChooserRequest request, FilesCallback done) override;
    bool openInTextEditor(const std::vector<std::string>& paths) override;
    bool openFolderOrUrl(const std::string& target) override { return launch(target); }
    void poll() override;
    bool busy() const override;
    void cancelAll() override;
    void setFallbackDialogs(FallbackDialogs dialogs) override { fallback_ = std::move(dialogs); }

private:
    using ExitHandler = std::function<void(int exitCode, const std::string& output)>;
    struct RunningDialog {
        ChildProcess process;
        std::string output;
        ExitHandler exited;  // run by poll() once the dialog has ended
    };

    bool startDialog(const std::vector<std::string>& arguments, ExitHandler exited);
    void finishChooser(const FileChooserRequest& request, std::vector<std::string> paths, FilesCallback done);
    void answerLater(std::function<void()> answer) { mailbox_->ready.push_back(std::move(answer)); }
    template <typename Answer>
    std::function<void(Answer)> fallbackAnswer(std::function<void(Answer)> deliver);
    bool launch(const std::string& target);

    unsigned long parentWindowId_;
    std::optional<DialogProgram> program_;
    std::string programPath_;
    std::string opener_;  // xdg-open
    std::vector<RunningDialog> running_;
    std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();
    FallbackDialogs fallback_;
};

SystemDesktop::SystemDesktop(unsigned long parentWindowId)
    : parentWindowId_(parentWindowId), opener_(findProgramOnPath("xdg-open")) {
    if (std::string zenity = findProgramOnPath("zenity"); !zenity.empty()) {
        program_ = DialogProgram::Zenity;
        programPath_ = std::move(zenity);
    } else if (std::string kdialog = findProgramOnPath("kdialog"); !kdialog.empty()) {
        program_ = DialogProgram::Kdialog;
        programPath_ = std::move(kdialog);
    }
}

SystemDesktop::~SystemDesktop() {
    cancelAll();
    reapReleasedChildren();
}

bool SystemDesktop::startDialog(const std::vector<std::string>& arguments, ExitHandler exited) {
    if (!program_) {
        return false;
    }
    ChildProcess::Options options;
    options.captureOutput = true;
    if (*program_ == DialogProgram::Zenity) {
        // The user's environment may renumber zenity's exit codes; we read the standard ones.
        options.environmentOverrides = {"ZENITY_OK=0", "ZENITY_CANCEL=1", "ZENITY_ESC=1"};
    }
    std::optional<ChildProcess> process = ChildProcess::start(programPath_, arguments, options);
    if (!process) {
        return false;
    }
    running_.push_back(RunningDialog{std::move(*process), {}, std::move(exited)});
    return true;
}

template <typename Answer>
std::function<void(Answer)> SystemDesktop::fallbackAnswer(std::function<void(Answer)> deliver) {
    ++mailbox_->awaitingFallback;
    auto answered = std::make_shared<bool>(false);
    return [mailbox = std::weak_ptr<Mailbox>(mailbox_), generation = mailbox_->generation, answered,
            deliver = std::move(deliver)](Answer answer) {
        const std::shared_ptr<Mailbox> box = mailbox.lock();
        if (!box || *answered || box->generation != generation) {
            return;
        }
        *answered = true;
        --box->awaitingFallback;
        box->ready.push_back([deliver, answer = std::move(answer)] { deliver(answer); });
    };
}

void SystemDesktop::messageBox(MessageRequest request, MessageCallback done) {
    const MessageButtons buttons = request.buttons;
    const bool started = program_ && startDialog(messageBoxArguments(*program_, request, parentWindowId_),
                                                 [this, buttons, done](int exitCode, const std::string&) {
                                                     const MessageAnswer answer =
                                                         messageAnswerFromExit(buttons, exitCode);
                                                     answerLater([done, answer] { done(answer); });
                                                 });
    if (started) {
        return;
    }
    if (fallback_.messageBox) {
        fallback_.messageBox(request, fallbackAnswer<MessageAnswer>(std::move(done)));
        return;
    }
    reportMissingDialogProgram();
    answerLater([done] { done(MessageAnswer::Closed); });
}

void SystemDesktop::chooseFiles(FileChooserRequest request, FilesCallback done) {
    request.startPath = withFolderMark(request.startPath);
    const bool multiple = request.multiple && !request.save;
    const bool started =
        program_ &&
        startDialog(fileChooserArguments(*program_, request, parentWindowId_), [this, request, multiple, done](
                                                                                   int exitCode,
                                                                                   const std::string& output) {
            // -1: the host reaped the dialog before us; its output still tells.
            const bool chosen = exitCode == 0 || exitCode == -1;
            finishChooser(request, chosen ? chosenPathsFromOutput(output, multiple) : std::vector<std::string>{}, done);
        });
    if (started) {
        return;
    }
    if (fallback_.chooseFiles) {
        fallback_.chooseFiles(
            request, fallbackAnswer<std::vector<std::string>>([this, request, done](std::vector<std::string> paths) {
                finishChooser(request, std::move(paths), done);
            }));
        return;
    }
    reportMissingDialogProgram();
    answerLater([done] { done({}); });
}

void SystemDesktop::finishChooser(const FileChooserRequest& request, std::vector<std::string> paths,
                                  FilesCallback done) {
    bool extended = false;
    if (request.save) {
        for (std::string& path : paths) {
            std::string full = withDefaultExtension(path, request.defaultExtension);
            extended = extended || full != path;
            path = std::move(full);
        }
    }
    // The dialog asked about replacing the name as typed, not the name with its extension.
    std::error_code error;
    if (extended && request.overwritePrompt && std::filesystem::exists(paths.front(), error)) {
        MessageRequest question{paths.front() + " already exists.\nDo you want to replace it?", request.title,
                                MessageButtons::YesNo, MessageIcon::Warning};
        messageBox(std::move(question), [paths, done](MessageAnswer answer) {
            done(answer == MessageAnswer::Yes ? paths : std::vector<std::string>{});
        });
        return;
    }
    answerLater([paths = std::move(paths), done] { done(paths); });
}

bool SystemDesktop::openInTextEditor(const std::vector<std::string>& paths) {
    bool started = !paths.empty();
    for (const std::string& path : paths) {
        started = launch(path) && started;
    }
    return started;
}

bool SystemDesktop::launch(const std::string& target) {
    if (opener_.empty() || target.empty()) {
        return false;
    }
    // A leading "-" would be read as an option.
    const std::string argument = target.front() == '-' ? "./" + target : target;
    // Released at once: the process-wide reaper collects it from poll().
    return ChildProcess::start(opener_, {argument}, {}).has_value();
}

void SystemDesktop::poll() {
    reapReleasedChildren();
    std::vector<RunningDialog> ended;
    for (auto it = running_.begin(); it != running_.end();) {
        it->process.readOutput(it->output);
        if (it->process.hasExited()) {
            it->process.readOutput(it->output);  // written just before it ended
            ended.push_back(std::move(*it));
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
    for (RunningDialog& dialog : ended) {
        dialog.exited(dialog.process.exitCode(), dialog.output);
    }

    std::vector<std::function<void()>> answers;
    answers.swap(mailbox_->ready);
    const unsigned generation = mailbox_->generation;
    for (const std::function<void()>& answer : answers) {
        if (mailbox_->generation != generation) {
            break;  // a callback closed everything
        }
        answer();
    }
}

bool SystemDesktop::busy() const {
    return !running_.empty() || !mailbox_->ready.empty() || mailbox_->awaitingFallback > 0;
}

void SystemDesktop::cancelAll() {
    for (RunningDialog& dialog : running_) {
        dialog.process.terminate();
    }
    running_.clear();  // the closed dialogs go to the reaper
    ++mailbox_->generation;
    mailbox_->ready.clear();
    mailbox_->awaitingFallback = 0;
}

}  // namespace

std::unique_ptr<DesktopServices> createSystemDesktop(unsigned long parentWindowId) {
    return std::make_unique<SystemDesktop>(parentWindowId);
}

}  // namespace vexo
