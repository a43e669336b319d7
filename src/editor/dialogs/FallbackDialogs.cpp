#include "editor/dialogs/FallbackDialogs.h"

#include <cairo.h>
#include <fnmatch.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#include "editor/dialogs/DialogHost.h"
#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace fs = std::filesystem;

namespace {

// Message box layout, pixels.
constexpr int kBoxMargin = 18;
constexpr int kIconSize = 32;
constexpr int kIconGap = 14;
constexpr int kMaxTextWidth = 380;
constexpr int kMinBoxWidth = 300;
constexpr int kButtonWidth = 88;
constexpr int kButtonRow = theme::kButtonHeight + 4;

// File chooser layout, pixels.
constexpr int kChooserWidth = 540;
constexpr int kChooserHeight = 420;
constexpr int kChooserMargin = 12;
constexpr int kLabelWidth = 88;

const FileFilter kAllFiles{"All files (*)", "*"};

// The information, warning or error sign of a message box.
class MessageIconView : public CView {
public:
    MessageIconView(const CRect& size, MessageIcon icon) : CView(size), icon_(icon) { setMouseEnabled(false); }

    void draw(CDrawContext& context) override {
        const CRect& r = getViewSize();
        cairo_t* cr = context.cairo();
        const double cx = r.left + r.width() / 2.0;
        const double cy = r.top + r.height() / 2.0;
        const double radius = r.width() / 2.0 - 1.0;
        if (icon_ == MessageIcon::Warning) {
            cairo_new_path(cr);
            cairo_move_to(cr, cx, r.top + 2.0);
            cairo_line_to(cr, r.right - 1.0, r.bottom - 3.0);
            cairo_line_to(cr, r.left + 1.0, r.bottom - 3.0);
            cairo_close_path(cr);
            cairo_set_source_rgb(cr, 0.97, 0.74, 0.16);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0.72, 0.50, 0.05);
            cairo_set_line_width(cr, 1.0);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(cr);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
            drawMark(context, "!", CRect(r.left, r.top + 8, r.right, r.bottom - 2), {40, 30, 10, 255});
            return;
        }
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, radius, 0.0, 2.0 * std::numbers::pi);
        if (icon_ == MessageIcon::Error) {
            cairo_set_source_rgb(cr, 0.84, 0.22, 0.20);
        } else {
            cairo_set_source_rgb(cr, 47 / 255.0, 111 / 255.0, 214 / 255.0);
        }
        cairo_fill(cr);
        drawMark(context, icon_ == MessageIcon::Error ? "\xC3\x97" : "i", r, {255, 255, 255, 255});
    }

private:
    static void drawMark(CDrawContext& context, const char* mark, const CRect& rect, const CColor& color) {
        context.setFont(20.0, true);
        context.setFontColor(color);
        context.drawString(mark, rect, CHoriTxtAlign::kCenterText);
    }

    MessageIcon icon_;
};

struct MessageLayout {
    std::vector<std::string> lines;
    int textLeft = 0;
    int width = 0;
    int height = 0;
};

MessageLayout messageLayout(const MessageRequest& request) {
    MessageLayout layout;
    const bool icon = request.icon != MessageIcon::None;
    layout.textLeft = kBoxMargin + (icon ? kIconSize + kIconGap : 0);
    layout.lines = Label::wrapLines(request.text, kMaxTextWidth);
    int textWidth = 0;
    for (const std::string& line : layout.lines) {
        textWidth = std::max(textWidth, static_cast<int>(std::ceil(theme::textWidth(line))));
    }
    const int buttons = request.buttons == MessageButtons::YesNo ? 2 : 1;
    layout.width = std::max(
        {layout.textLeft + textWidth + kBoxMargin + 4, buttons * (kButtonWidth + 4) + 2 * kBoxMargin, kMinBoxWidth});
    const int textHeight = static_cast<int>(layout.lines.size()) * Label::kLineHeight;
    const int content = std::max(textHeight, icon ? kIconSize : 0);
    layout.height = kBoxMargin + content + kBoxMargin + kButtonRow + 10;
    return layout;
}

void showMessageBox(DialogHost& host, const MessageRequest& request, MessageCallback done) {
    // A box that cannot be shown answers Closed as it goes.
    host.show(std::make_unique<MessageBoxDialog>(request, std::move(done)));
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? home : "/";
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::string parentOf(const std::string& folder) {
    const fs::path parent = fs::path(folder).parent_path();
    return parent.empty() ? "/" : parent.string();
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// True when name matches one of the ";"-separated patterns, without regard to case.
bool matchesFilter(const std::string& name, const std::string& patterns) {
    std::size_t start = 0;
    bool any = false;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', start), patterns.size());
        std::string pattern = patterns.substr(start, end - start);
        pattern.erase(0, pattern.find_first_not_of(' '));
        pattern.erase(pattern.find_last_not_of(' ') + 1);
        if (!pattern.empty()) {
            any = true;
            if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
                return true;
            }
        }
        start = end + 1;
    }
    return !any;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// text cut at its start with "..." until it fits width pixels.
std::string elideStart(const std::string& text, int width) {
    if (theme::textWidth(text) <= width) {
        return text;
    }
    for (std::size_t cut = 1; cut < text.size(); ++cut) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            continue;  // inside a UTF-8 character
        }
        const std::string shorter = "..." + text.substr(cut);
        if (theme::textWidth(shorter) <= width) {
            return shorter;
        }
    }
    return "...";
}

}  // namespace

// --- MessageBoxDialog

MessageBoxDialog::MessageBoxDialog(const MessageRequest& request, MessageCallback done)
    : Dialog(messageLayout(request).width, messageLayout(request).height, request.caption), done_(std::move(done)) {
    const MessageLayout layout = messageLayout(request);
    DialogFrame& frame = this->frame();
    if (request.icon != MessageIcon::None) {
        frame.addView(new MessageIconView(CRect::fromSize(kBoxMargin, kBoxMargin, kIconSize, kIconSize), request.icon));
    }
    const int textHeight = static_cast<int>(layout.lines.size()) * Label::kLineHeight;
    // A short text stands level with the middle of the icon.
    const int textTop = kBoxMargin + std::max(0, (kIconSize - textHeight) / 2);
    frame.addView(new Label(CRect(layout.textLeft, textTop, layout.width - kBoxMargin + 4, textTop + textHeight),
                            request.text, CHoriTxtAlign::kLeftText, true));

    const int buttonTop = layout.height - 10 - kButtonRow;
    int right = layout.width - kBoxMargin + 2;
    const auto addButton = [&](int tag, const char* title) {
        auto* button =
            new PushButton(CRect(right - kButtonWidth, buttonTop, right, buttonTop + kButtonRow), this, tag, title);
        right -= kButtonWidth + 4;
        return button;
    };
    if (request.buttons == MessageButtons::YesNo) {
        PushButton* no = addButton(kNoTag, "No");
        PushButton* yes = addButton(kYesTag, "Yes");
        frame.addView(yes);
        frame.addView(no);
        yes->setDefault(true);
        frame.setDefaultButton(yes);
        frame.setCancelButton(no);
        frame.setFocus(yes);
    } else {
        PushButton* ok = addButton(kOkTag, "OK");
        frame.addView(ok);
        ok->setDefault(true);
        frame.setDefaultButton(ok);
        frame.setCancelButton(ok);
        frame.setFocus(ok);
    }
}

MessageBoxDialog::~MessageBoxDialog() {
    if (done_) {
        done_(MessageAnswer::Closed);
    }
}

void MessageBoxDialog::valueChanged(CControl* control) {
    if (!done_) {
        return;
    }
    const int tag = control->getTag();
    const MessageAnswer answer = tag == kYesTag  ? MessageAnswer::Yes
                                 : tag == kNoTag ? MessageAnswer::No
                                                 : MessageAnswer::Ok;
    const MessageCallback done = std::move(done_);
    done_ = nullptr;
    close();
    done(answer);
}

// --- FileChooserDialog

FileChooserDialog::FileChooserDialog(const FileChooserRequest& request, FilesCallback done, Ask ask)
    : Dialog(kChooserWidth, kChooserHeight, request.title.empty() ? (request.save ? "Save" : "Open") : request.title),
      request_(request),
      done_(std::move(done)),
      ask_(std::move(ask)) {
    if (request_.filters.empty()) {
        request_.filters.push_back(kAllFiles);
    }
    DialogFrame& frame = this->frame();
    const int right = kChooserWidth - kChooserMargin + 2;
    const int buttonLeft = right - kButtonWidth;

    int y = kChooserMargin - 2;
    frame.addView(new Label(CRect::fromSize(kChooserMargin, y, kLabelWidth, kButtonRow), "Look in:"));
    folderLabel_ = new Label(CRect(kChooserMargin + kLabelWidth, y, buttonLeft - 8, y + kButtonRow), "");
    frame.addView(folderLabel_);
    up_ = new PushButton(CRect(buttonLeft, y, right, y + kButtonRow), this, kUpTag, "Up");
    y += kButtonRow + 6;

    const int filterTop = kChooserHeight - 10 - kButtonRow;
    const int nameTop = filterTop - kButtonRow - 4;
    list_ = new ListBox(CRect(kChooserMargin - 2, y, right, nameTop - 8), this, kListTag);
    list_->setMultipleSelection(request_.multiple && !request_.save);
    auto* bar = new ScrollBar(CRect(), nullptr, 0);
    list_->setActivateHandler([this](int row) {
        const ListBox::Item& item = list_->items()[static_cast<std::size_t>(row)];
        if (item.folder) {
            enterFolder(joinPath(folder_, item.text));
        } else {
            accept();
        }
    });

    frame.addView(new Label(CRect::fromSize(kChooserMargin, nameTop, kLabelWidth, kButtonRow), "File name:"));
    name_ = new EditField(CRect(kChooserMargin + kLabelWidth - 2, nameTop, buttonLeft - 8, nameTop + kButtonRow), this,
                          kNameTag, false, 1024);
    auto* acceptButton = new PushButton(CRect(buttonLeft, nameTop, right, nameTop + kButtonRow), this, kAcceptTag,
                                        request_.save ? "Save" : "Open");
    frame.addView(new Label(CRect::fromSize(kChooserMargin, filterTop, kLabelWidth, kButtonRow), "Files of type:"));
    filters_ = new DropDownList(
        CRect(kChooserMargin + kLabelWidth - 2, filterTop, buttonLeft - 8, filterTop + kButtonRow), this, kFilterTag);
    for (const FileFilter& filter : request_.filters) {
        filters_->addEntry(filter.description.empty() ? filter.patterns : filter.description);
    }
    filters_->setCurrent(0);
    auto* cancel =
        new PushButton(CRect(buttonLeft, filterTop, right, filterTop + kButtonRow), this, kCancelTag, "Cancel");

    // Tab order: the name first, as the user usually types or picks one.
    frame.addView(name_);
    frame.addView(list_);
    frame.addView(bar);
    list_->setScrollBar(bar);
    frame.addView(filters_);
    frame.addView(acceptButton);
    frame.addView(cancel);
    frame.addView(up_);
    acceptButton->setDefault(true);
    frame.setDefaultButton(acceptButton);
    frame.setCancelButton(cancel);

    // Start in the folder of the start path; a file name in it fills the name field.
    std::string start = request_.startPath;
    while (start.size() > 1 && start.back() == '/') {
        start.pop_back();
    }
    if (isFolder(start)) {
        enterFolder(start);
    } else if (!start.empty() && isFolder(parentOf(start))) {
        enterFolder(parentOf(start));
        name_->setText(fs::path(start).filename().string());
    } else {
        std::error_code error;
        const fs::path current = fs::current_path(error);
        enterFolder(!error && isFolder(current.string()) ? current.string() : homeFolder());
    }
    frame.setFocus(name_);
}

FileChooserDialog::~FileChooserDialog() {
    *alive_ = false;
    if (!answered_ && done_) {
        done_({});
    }
}

void FileChooserDialog::enterFolder(const std::string& folder) {
    std::string normal = fs::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    folder_ = normal.empty() ? "/" : normal;
    reload();
}

void FileChooserDialog::reload() {
    const std::string& patterns = request_.filters[static_cast<std::size_t>(filter_)].patterns;
    std::vector<ListBox::Item> folders;
    std::vector<ListBox::Item> files;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.') {
            continue;
        }
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back({name, true});
        } else if (matchesFilter(name, patterns)) {
            files.push_back({name, false});
        }
    }
    const auto byName = [](const ListBox::Item& a, const ListBox::Item& b) {
        return strcasecmp(a.text.c_str(), b.text.c_str()) < 0;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    list_->setItems(std::move(folders));
    folderLabel_->setText(elideStart(folder_, folderLabel_->getViewSize().width()));
    up_->setEnabled(folder_ != "/");
}

std::vector<std::string> FileChooserDialog::selectedFiles() const {
    std::vector<std::string> paths;
    for (int row : list_->selection()) {
        const ListBox::Item& item = list_->items()[static_cast<std::size_t>(row)];
        if (!item.folder) {
            paths.push_back(joinPath(folder_, item.text));
        }
    }
    return paths;
}

std::string FileChooserDialog::absolute(const std::string& name) const {
    std::string path;
    if (name.front() == '/') {
        path = name;
    } else if (name == "~" || name.rfind("~/", 0) == 0) {
        path = homeFolder() + name.substr(1);
    } else {
        path = joinPath(folder_, name);
    }
    return fs::path(path).lexically_normal().string();
}

void FileChooserDialog::answer(std::vector<std::string> paths) {
    if (answered_) {
        return;
    }
    answered_ = true;
    close();
    if (done_) {
        const FilesCallback done = std::move(done_);
        done_ = nullptr;
        done(std::move(paths));
    }
}

void FileChooserDialog::accept() {
    if (answered_) {
        return;
    }
    const std::string typed = trimmed(name_->text());
    const std::vector<int> rows = list_->selection();
    if (typed.empty()) {
        if (rows.size() == 1 && list_->items()[static_cast<std::size_t>(rows.front())].folder) {
            enterFolder(joinPath(folder_, list_->items()[static_cast<std::size_t>(rows.front())].text));
        }
        return;
    }
    if (!request_.save && request_.multiple && rows.size() > 1) {
        if (std::vector<std::string> paths = selectedFiles(); paths.size() > 1) {
            answer(std::move(paths));
            return;
        }
    }
    const std::string path = absolute(typed);
    if (isFolder(path)) {
        enterFolder(path);
        name_->setText("");
        return;
    }
    if (!request_.save) {
        if (!exists(path)) {
            ask_({typed + "\nFile not found.\nCheck the file name and try again.", title(), MessageButtons::Ok,
                  MessageIcon::Warning},
                 [](MessageAnswer) {});
            return;
        }
        answer({path});
        return;
    }
    if (!isFolder(parentOf(path))) {
        ask_({parentOf(path) + "\nThis folder does not exist.", title(), MessageButtons::Ok, MessageIcon::Warning},
             [](MessageAnswer) {});
        return;
    }
    if (request_.overwritePrompt && exists(path)) {
        ask_({path + " already exists.\nDo you want to replace it?", title(), MessageButtons::YesNo,
              MessageIcon::Warning},
             [this, alive = std::weak_ptr<bool>(alive_), path](MessageAnswer reply) {
                 const std::shared_ptr<bool> stillHere = alive.lock();
                 if (stillHere && *stillHere && reply == MessageAnswer::Yes) {
                     answer({path});
                 }
             });
        return;
    }
    answer({path});
}

void FileChooserDialog::valueChanged(CControl* control) {
    switch (control->getTag()) {
        case kListTag: {
            const std::vector<std::string> files = selectedFiles();
            if (files.size() == 1) {
                name_->setText(fs::path(files.front()).filename().string());
            } else if (files.size() > 1) {
                std::string names;
                for (const std::string& file : files) {
                    names += (names.empty() ? "\"" : " \"") + fs::path(file).filename().string() + "\"";
                }
                name_->setText(names);
            }
            return;
        }
        case kFilterTag:
            filter_ = std::clamp(filters_->getCurrent(), 0, static_cast<int>(request_.filters.size()) - 1);
            reload();
            return;
        case kUpTag:
            enterFolder(parentOf(folder_));
            return;
        case kAcceptTag:
            accept();
            return;
        case kCancelTag:
            answer({});
            return;
        default:
            return;
    }
}

FallbackDialogs makeFallbackDialogs(DialogHost& host) {
    FallbackDialogs dialogs;
    dialogs.messageBox = [&host](const MessageRequest& request, MessageCallback done) {
        showMessageBox(host, request, std::move(done));
    };
    dialogs.chooseFiles = [&host](const FileChooserRequest& request, FilesCallback done) {
        // A chooser that cannot be shown answers "cancelled" as it goes.
        host.show(std::make_unique<FileChooserDialog>(
            request, std::move(done),
            [&host](const MessageRequest& question, MessageCallback reply) { showMessageBox(host, question, reply); }));
    };
    return dialogs;
}

}  // namespace vexo
