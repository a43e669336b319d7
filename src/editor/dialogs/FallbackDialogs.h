// The message box and the file chooser drawn with our own widgets, for desktops without a
// dialog program: the editor hands them to its desktop services, which use them only then.
// User-interface thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/dialog/Dialog.h"
#include "platform/Desktop.h"

namespace vexo {

class DialogHost;
class DropDownList;
class EditField;
class Label;
class ListBox;
class PushButton;

// Dialogs shown through host; each answers its callback once (cancelled dialogs too).
FallbackDialogs makeFallbackDialogs(DialogHost& host);

// Text with an icon and OK, or Yes and No. Escape and the close box answer OK or No.
class MessageBoxDialog : public Dialog {
public:
    MessageBoxDialog(const MessageRequest& request, MessageCallback done);
    // Dropped without an answer (never shown): answers Closed.
    ~MessageBoxDialog() override;
    void valueChanged(CControl* control) override;

private:
    enum Tag { kOkTag = 1, kYesTag, kNoTag };
    MessageCallback done_;
};

// A folder listing with a scroll bar, a file name field, the request's filters, the parent
// folder button, Open or Save and Cancel. A double click or Open enters a folder; Ctrl+click
// selects several files when the request allows it. Saving over an existing file asks first
// when the request says so. Answers absolute paths, none when cancelled.
class FileChooserDialog : public Dialog {
public:
    // ask: shows a question (message box) for the chooser and answers it later.
    using Ask = std::function<void(const MessageRequest&, MessageCallback)>;

    FileChooserDialog(const FileChooserRequest& request, FilesCallback done, Ask ask);
    ~FileChooserDialog() override;

    const std::string& folder() const { return folder_; }
    // Shows folder (an existing one) with the current filter.
    void enterFolder(const std::string& folder);
    // What Open or Save does with the name field and the selection.
    void accept();
    ListBox& list() { return *list_; }
    EditField& nameField() { return *name_; }

    void valueChanged(CControl* control) override;

private:
    enum Tag { kListTag = 1, kNameTag, kFilterTag, kUpTag, kAcceptTag, kCancelTag };
    void reload();
    void answer(std::vector<std::string> paths);
    std::string absolute(const std::string& name) const;
    std::vector<std::string> selectedFiles() const;

    FileChooserRequest request_;
    FilesCallback done_;
    Ask ask_;
    std::string folder_;
    int filter_ = 0;
    bool answered_ = false;
    // Questions answer after the chooser may have gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Label* folderLabel_ = nullptr;
    PushButton* up_ = nullptr;
    ListBox* list_ = nullptr;
    EditField* name_ = nullptr;
    DropDownList* filters_ = nullptr;
};

}  // namespace vexo
