// Command lines of the desktop's dialog programs and the reading of their answers: pure
// transforms, kept apart from starting the programs.
#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace vexo {

enum class DialogProgram { Zenity, Kdialog };

// Arguments after the program name. parentWindowId 0: no parent window.
std::vector<std::string> messageBoxArguments(DialogProgram program, const MessageRequest& request,
                                             unsigned long parentWindowId);
// request.startPath names a folder only when it ends in "/".
std::vector<std::string> fileChooserArguments(DialogProgram program, const FileChooserRequest& request,
                                              unsigned long parentWindowId);

// Both programs end with 0 for OK and Yes and 1 for No; -1 stands for an unknown exit.
MessageAnswer messageAnswerFromExit(MessageButtons buttons, int exitCode);
// The paths a chooser printed, one a line.
std::vector<std::string> chosenPathsFromOutput(const std::string& output, bool multiple);

// path + "." + extension when the file name in path has no extension; else path.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace vexo
