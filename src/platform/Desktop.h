// Desktop services for the editor: message boxes, file choosers, and handing files, folders
// and web addresses to the desktop's own programs.
//
// Everything here is called on the host's user-interface thread, the one that runs the editor.
// A plug-in must never block that thread, so dialogs are asynchronous: a call returns at once,
// the editor keeps serving its idle calls and calls poll() from them, and the answer arrives
// through the callback, which poll() runs on that same thread. A callback never runs inside
// the call that started the dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexo {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Error };
// Closed: the dialog went away without a button (window closed, no dialog available).
enum class MessageAnswer { Ok, Yes, No, Closed };

struct MessageRequest {
    std::string text{};
    std::string caption{};
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::Information;
};

struct FileFilter {
    std::string description{};  // "Patterns (*.pat)"
    std::string patterns{};     // "*.rbs;*.ph"
};

struct FileChooserRequest {
    std::string title{};
    std::vector<FileFilter> filters{};
    std::string defaultExtension{};  // without the dot; added to a saved name that has none
    std::string startPath{};         // a folder or a file; empty: the dialog's own choice
    bool save = false;
    bool multiple = false;         // open choosers only
    bool overwritePrompt = false;  // save choosers: ask before replacing an existing file
};

using MessageCallback = std::function<void(MessageAnswer)>;
// Chosen paths, absolute; empty when the chooser was cancelled.
using FilesCallback = std::function<void(std::vector<std::string>)>;

// Dialogs drawn by the editor itself, for systems without a dialog program. Each one answers
// through the callback it is given, at any later time on the user-interface thread.
struct FallbackDialogs {
    std::function<void(const MessageRequest&, MessageCallback)> messageBox;
    std::function<void(const FileChooserRequest&, FilesCallback)> chooseFiles;
};

class DesktopServices {
public:
    virtual ~DesktopServices();

    virtual void messageBox(MessageRequest request, MessageCallback done) = 0;
    virtual void chooseFiles(FileChooserRequest request, FilesCallback done) = 0;
    // Fire and forget; false when nothing could be started.
    virtual bool openInTextEditor(const std::vector<std::string>& paths) = 0;
    virtual bool openFolderOrUrl(const std::string& target) = 0;

    // Runs the callbacks of finished dialogs. Never waits. Do not destroy the services from
    // inside one of their callbacks.
    virtual void poll() = 0;
    // A dialog was started and its callback has not run yet.
    virtual bool busy() const = 0;
    // The editor closes: open dialogs are closed and their callbacks dropped without a call.
    virtual void cancelAll() = 0;

    // Used only when the system offers no dialog program; others ignore it.
    virtual void setFallbackDialogs(FallbackDialogs dialogs);
};

// The desktop's own dialogs (zenity, else kdialog) and xdg-open, as found on PATH now.
// parentWindowId: the X11 window the dialogs stay above; 0 for none.
std::unique_ptr<DesktopServices> createSystemDesktop(unsigned long parentWindowId);

}  // namespace vexo
