#include "FileAccess.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Command.h"
#include "config/TextScanner.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace fs = std::filesystem;

namespace {

// "; VEXO Meta tag: 16" or "c-3 1 0 0": a line that a pattern file is made of.
bool isPatternLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(first);
    if (line[0] == ';') {
        return line.find(kPatternMetaTag) != std::string_view::npos;
    }
    return line.size() >= 3 && noteNameIndex(line[0], line[1]) >= 0 && line[2] >= '0' && line[2] <= '9';
}

bool reportWriteFailure(const std::string& command, const std::string& path) {
    const std::string problem = writeProblem(path);
    fail(command, "cannot write " + path + ": " + (problem.empty() ? "the write failed" : problem));
    return false;
}

}  // namespace

std::string readProblem(const std::string& path) {
    if (path.empty()) {
        return "no file name";
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::directory) {
        return "it is a folder";
    }
    if (status.type() != fs::file_type::not_found && status.type() != fs::file_type::regular) {
        return "it is no regular file";
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::fclose(file);
    return {};
}

std::string writeProblem(const std::string& path) {
    if (path.empty()) {
        return "no file name";
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::directory) {
        return "it is a folder";
    }
    if (status.type() != fs::file_type::not_found && status.type() != fs::file_type::regular) {
        return "it is no regular file";
    }
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::not_found) {
        return "the folder " + folder.string() + " does not exist";
    }
    if (folderStatus.type() != fs::file_type::directory) {
        return folder.string() + " is no folder";
    }
    if (access(folder.c_str(), W_OK) != 0) {
        return std::strerror(errno);
    }
    return {};
}

bool holdsPatternText(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (isPatternLine(text.substr(0, end))) {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return false;
}

void warnIfNoPattern(const std::string& command, const std::string& path, std::string_view text) {
    if (!holdsPatternText(text)) {
        warn(command,
             path + " holds no pattern text (no header line, no step line); reading it anyway, as the plug-in would");
    }
}

bool readInputFile(const std::string& command, const std::string& path, std::string& contents,
                   unsigned long long maxBytes) {
    std::string problem = readProblem(path);
    std::error_code error;
    if (problem.empty() && fs::file_size(path, error) > maxBytes) {
        problem = "larger than " + std::to_string(maxBytes >> 20) + " MiB, too large for this kind of file";
    }
    if (problem.empty() && !readWholeFile(path, contents)) {
        problem = "the read failed";
    }
    if (!problem.empty()) {
        fail(command, "cannot read " + path + ": " + problem);
        return false;
    }
    return true;
}

bool loadPattern(const std::string& command, const std::string& path, Pattern& pattern, KnobPositions* knobs) {
    std::string text;
    if (!readInputFile(command, path, text)) {
        return false;
    }
    warnIfNoPattern(command, path, text);
    readPatternText(pattern, text, knobs);
    return true;
}

bool loadBank(const std::string& command, const std::string& path, PatternBank& bank) {
    std::string text;
    if (!readInputFile(command, path, text)) {
        return false;
    }
    warnIfNoPattern(command, path, text);
    TextScanner in(text);
    readBank(bank, in);
    return true;
}

bool checkOutput(const std::string& command, const std::string& path) {
    const std::string problem = writeProblem(path);
    if (!problem.empty()) {
        fail(command, "cannot write " + path + ": " + problem);
        return false;
    }
    return true;
}

bool savePattern(const std::string& command, const std::string& path, const Pattern& pattern,
                 const KnobPositions* knobs) {
    return checkOutput(command, path) && (writePattern(pattern, path, knobs) || reportWriteFailure(command, path));
}

bool saveBank(const std::string& command, const std::string& path, const PatternBank& bank) {
    return checkOutput(command, path) && (writeBank(bank, path) || reportWriteFailure(command, path));
}

bool saveFile(const std::string& command, const std::string& path, std::string_view contents) {
    return checkOutput(command, path) && (writeFileAtomically(path, contents) || reportWriteFailure(command, path));
}

}  // namespace vexo::cli
