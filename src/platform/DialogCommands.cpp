#include "platform/DialogCommands.h"

#include <algorithm>

namespace vexo {
namespace {

// "*.rbs;*.ph" -> "*.rbs *.ph", the form both programs take.
std::string spaceSeparatedPatterns(const std::string& patterns) {
    std::string result;
    std::size_t begin = 0;
    while (begin <= patterns.size()) {
        std::size_t end = patterns.find(';', begin);
        if (end == std::string::npos) {
            end = patterns.size();
        }
        std::string pattern = patterns.substr(begin, end - begin);
        std::erase(pattern, ' ');
        if (!pattern.empty()) {
            if (!result.empty()) {
                result += ' ';
            }
            result += pattern;
        }
        begin = end + 1;
    }
    return result;
}

// "|" separates a filter's name from its patterns in both programs' filter syntax.
std::string filterName(std::string description) {
    std::replace(description.begin(), description.end(), '|', '/');
    return description;
}

std::string zenityMessageKind(const MessageRequest& request) {
    if (request.buttons == MessageButtons::YesNo) {
        return "--question";
    }
    switch (request.icon) {
        case MessageIcon::Warning:
            return "--warning";
        case MessageIcon::Error:
            return "--error";
        default:
            return "--info";
    }
}

std::string kdialogMessageKind(const MessageRequest& request) {
    const bool alarming = request.icon == MessageIcon::Warning || request.icon == MessageIcon::Error;
    if (request.buttons == MessageButtons::YesNo) {
        return alarming ? "--warningyesno" : "--yesno";
    }
    switch (request.icon) {
        case MessageIcon::Warning:
            return "--sorry";
        case MessageIcon::Error:
            return "--error";
        default:
            return "--msgbox";
    }
}

void addKdialogParent(std::vector<std::string>& arguments, unsigned long parentWindowId) {
    if (parentWindowId != 0) {
        arguments.insert(arguments.end(), {"--attach", std::to_string(parentWindowId)});
    }
}

}  // namespace

std::vector<std::string> messageBoxArguments(DialogProgram program, const MessageRequest& request,
                                             unsigned long parentWindowId) {
    if (program == DialogProgram::Zenity) {
        // --no-markup: the text is shown as it is, never read as Pango markup.
        std::vector<std::string> arguments{zenityMessageKind(request), "--title=" + request.caption,
                                           "--text=" + request.text, "--no-markup"};
        if (parentWindowId != 0) {
            arguments.push_back("--attach=" + std::to_string(parentWindowId));
        }
        return arguments;
    }
    std::vector<std::string> arguments{"--title", request.caption};
    addKdialogParent(arguments, parentWindowId);
    arguments.insert(arguments.end(), {kdialogMessageKind(request), request.text});
    return arguments;
}

std::vector<std::string> fileChooserArguments(DialogProgram program, const FileChooserRequest& request,
                                              unsigned long parentWindowId) {
    const bool multiple = request.multiple && !request.save;
    if (program == DialogProgram::Zenity) {
        std::vector<std::string> arguments{"--file-selection", "--title=" + request.title};
        if (request.save) {
            arguments.push_back("--save");
            if (request.overwritePrompt) {
                arguments.push_back("--confirm-overwrite");
            }
        }
        if (multiple) {
            arguments.insert(arguments.end(), {"--multiple", "--separator=\n"});
        }
        if (!request.startPath.empty()) {
            arguments.push_back("--filename=" + request.startPath);
        }
        for (const FileFilter& filter : request.filters) {
            arguments.push_back("--file-filter=" + filterName(filter.description) + " | " +
                                spaceSeparatedPatterns(filter.patterns));
        }
        if (parentWindowId != 0) {
            arguments.push_back("--attach=" + std::to_string(parentWindowId));
        }
        return arguments;
    }

    // kdialog takes its options first, then the chooser with its start and filter, which are
    // "patterns|name" entries one a line. Its save chooser always asks before replacing.
    std::vector<std::string> arguments{"--title", request.title};
    addKdialogParent(arguments, parentWindowId);
    if (multiple) {
        arguments.insert(arguments.end(), {"--multiple", "--separate-output"});
    }
    std::string filters;
    for (const FileFilter& filter : request.filters) {
        if (!filters.empty()) {
            filters += '\n';
        }
        filters += spaceSeparatedPatterns(filter.patterns) + "|" + filterName(filter.description);
    }
    arguments.insert(arguments.end(), {request.save ? "--getsavefilename" : "--getopenfilename",
                                       request.startPath.empty() ? "." : request.startPath, filters});
    return arguments;
}

MessageAnswer messageAnswerFromExit(MessageButtons buttons, int exitCode) {
    if (buttons == MessageButtons::Ok) {
        return exitCode == 0 ? MessageAnswer::Ok : MessageAnswer::Closed;
    }
    switch (exitCode) {
        case 0:
            return MessageAnswer::Yes;
        case 1:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Closed;
    }
}

std::vector<std::string> chosenPathsFromOutput(const std::string& output, bool multiple) {
    std::string text = output;
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    if (text.empty()) {
        return {};
    }
    if (!multiple) {
        return {text};
    }
    std::vector<std::string> paths;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        if (end > begin) {
            paths.push_back(text.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    return paths;
}

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    const std::size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    if (extension.empty() || nameStart == path.size() || path.find('.', nameStart) != std::string::npos) {
        return path;
    }
    return path + "." + extension;
}

}  // namespace vexo
