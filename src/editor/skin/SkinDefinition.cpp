#include "editor/skin/SkinDefinition.h"

#include <algorithm>
#include <filesystem>

#include "config/TextScanner.h"
#include "editor/skin/ScanText.h"

namespace vexo {

namespace {

constexpr int kPlainNumbers = 4;     // x, y, w, h
constexpr int kLabelledNumbers = 7;  // x, y, w, h, extra 1..3
constexpr int kColorComponents = 3;

// The same file reached by another spelling of its path is still the same file.
std::string fileIdentity(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Positions are stored as 16-bit numbers; wider sums wrap as they would in the file's
// own 16-bit fields.
std::int16_t toPosition(long long value) {
    return static_cast<std::int16_t>(value);
}

void readRgb(TextScanner& in, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
    int rgb[kColorComponents] = {red, green, blue};
    scanIntList(in, false, rgb, kColorComponents);
    red = static_cast<std::uint8_t>(rgb[0]);
    green = static_cast<std::uint8_t>(rgb[1]);
    blue = static_cast<std::uint8_t>(rgb[2]);
}

// Image file names name the same file without regard to case or to the kind of separator.
char imageNameFold(char c) {
    if (c == '\\') {
        return '/';
    }
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameImageFile(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return imageNameFold(x) == imageNameFold(y); });
}

}  // namespace

struct SkinDefinition::ParseState {
    // Identities of the files being read, outermost first: an INCLUDE of one of them
    // would never end.
    std::vector<std::string> openFiles;
    int depth = 0;
    int filesOpened = 0;
};

void SkinDefinition::reset() {
    elements_.clear();
    offsetX_ = 0;
    offsetY_ = 0;
    blendMode_ = 0;
    name_ = "Default";
}

bool SkinDefinition::parse(const std::string& path) {
    ParseState state;
    return parseFile(path, state);
}

void SkinDefinition::parseText(std::string_view text) {
    reset();
    ParseState state;
    parseStatements(text, state);
}

bool SkinDefinition::parseFile(const std::string& path, ParseState& state) {
    reset();
    ++state.filesOpened;
    std::string text;
    if (!readWholeFile(path, text)) {
        return false;
    }
    state.openFiles.push_back(fileIdentity(path));
    parseStatements(text, state);
    state.openFiles.pop_back();
    return true;
}

void SkinDefinition::include(const std::string& fileName, ParseState& state) {
    const std::string path = skinFilePath(skinDirectory_, fileName);
    // Past the bounds, or into a file already being read, the parse goes on with what it has.
    if (state.depth >= kMaxSkinIncludeDepth || state.filesOpened >= kMaxSkinIncludeFiles ||
        std::find(state.openFiles.begin(), state.openFiles.end(), fileIdentity(path)) != state.openFiles.end()) {
        return;
    }
    ++state.depth;
    parseFile(path, state);
    --state.depth;
}

void SkinDefinition::parseStatements(std::string_view text, ParseState& state) {
    TextScanner in(text);
    for (;;) {
        in.skipSpace();
        if (in.atEnd()) {
            return;
        }
        if (in.peek() == ';') {
            in.skipLine();
            continue;
        }
        const std::string_view word = in.token(kSkinTextLength);
        if (equalsIgnoreCase(word, "NAME")) {
            scanQuoted(in, name_, kSkinTextLength);
        } else if (equalsIgnoreCase(word, "CROSSFADE") || equalsIgnoreCase(word, "BLENDMODE")) {
            scanDecimalInt(in, blendMode_);
        } else if (equalsIgnoreCase(word, "TRANSPARENTCOLOR")) {
            readRgb(in, transparentColor_.red, transparentColor_.green, transparentColor_.blue);
        } else if (equalsIgnoreCase(word, "OFFSET")) {
            int offset[2] = {offsetX_, offsetY_};
            scanIntList(in, false, offset, 2);
            offsetX_ = offset[0];
            offsetY_ = offset[1];
        } else if (equalsIgnoreCase(word, "CABLETYPE")) {
            scanDecimalInt(in, cableType_);
        } else if (equalsIgnoreCase(word, "CABLETINT")) {
            readRgb(in, cableTint_.red, cableTint_.green, cableTint_.blue);
        } else if (equalsIgnoreCase(word, "INCLUDE")) {
            std::string fileName;
            if (scanQuoted(in, fileName, kSkinTextLength)) {
                include(fileName, state);
            }
        } else if (equalsIgnoreCase(word, "LEDCOLOR")) {
            int index = -1;
            if (!scanDecimalInt(in, index)) {
                continue;
            }
            SkinLedColor ignored;
            SkinLedColor& color =
                index >= 0 && index < kSkinLedColorCount ? ledColors_[static_cast<std::size_t>(index)] : ignored;
            for (float* component : {&color.red, &color.green, &color.blue}) {
                if (!in.literal(',') || !scanDecimalFloat(in, *component)) {
                    break;
                }
            }
        } else if (equalsIgnoreCase(word, "VERSION")) {
            scanDecimalInt(in, version_);
        } else {
            SkinElement element;
            int id = elementName(word);
            int count = kPlainNumbers;
            if (id < 0) {
                if (version_ < 2) {
                    continue;
                }
                id = elementName(in.token(kSkinTextLength));
                if (id < 0) {
                    continue;
                }
                element.label = word;
                element.form = 0;
                count = kLabelledNumbers;
            }
            element.id = id;
            scanQuoted(in, element.file, kSkinTextLength);
            int numbers[kLabelledNumbers] = {};
            scanIntList(in, true, numbers, count);
            element.x = toPosition(static_cast<long long>(numbers[0]) + offsetX_);
            element.y = toPosition(static_cast<long long>(numbers[1]) + offsetY_);
            element.w = toPosition(numbers[2]);
            element.h = toPosition(numbers[3]);
            if (element.form == 0) {
                element.extra1 = numbers[4];
                element.extra2 = numbers[5];
                element.extra3 = numbers[6];
            }
            appendElement(element);
        }
    }
}

void SkinDefinition::appendElement(const SkinElement& element) {
    if (elements_.size() < kMaxSkinElements) {
        elements_.push_back(element);
    }
}

const SkinImage* SkinDefinition::findImage(const std::string& file) const {
    for (const SkinImage& image : images_) {
        if (sameImageFile(image.file, file)) {
            return &image;
        }
    }
    return nullptr;
}

bool SkinDefinition::loadImages(const std::string& directory) {
    for (const SkinElement& element : elements_) {
        if (element.file.empty() || findImage(element.file) != nullptr) {
            continue;
        }
        if (images_.size() >= kMaxSkinImages) {
            break;
        }
        if (SharedBitmap bitmap = CBitmap::loadPng(skinFilePath(directory, element.file))) {
            images_.push_back({element.file, std::move(bitmap)});
        }
    }
    return true;
}

void SkinDefinition::clearImages() {
    images_.clear();
}

int SkinDefinition::elementIndex(int id) const {
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        if (elements_[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CRect SkinDefinition::elementRect(int id) const {
    const int index = elementIndex(id);
    if (index < 0) {
        return {};
    }
    const SkinElement& e = elements_[static_cast<std::size_t>(index)];
    const int x2 = e.x + e.w;
    const int y2 = e.y + e.h;
    return {std::min<int>(e.x, x2), std::min<int>(e.y, y2), std::max<int>(e.x, x2), std::max<int>(e.y, y2)};
}

SharedBitmap SkinDefinition::elementImage(int id) const {
    const int index = elementIndex(id);
    if (index < 0) {
        return nullptr;
    }
    const std::string& file = elements_[static_cast<std::size_t>(index)].file;
    const SkinImage* image = file.empty() ? nullptr : findImage(file);
    return image != nullptr ? image->bitmap : nullptr;
}

int SkinDefinition::elementName(std::string_view word) {
    for (const SkinElementName& row : kSkinElementNames) {
        if (equalsIgnoreCase(word, row.name)) {
            return row.id;
        }
    }
    return -1;
}

void SkinDefinition::setSkinDirectory(const std::string& directory) {
    skinDirectory_ = directory;
    if (!skinDirectory_.empty() && skinDirectory_.back() != '/') {
        skinDirectory_ += '/';
    }
}

std::string skinFilePath(const std::string& directory, std::string_view file) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    for (const char c : file) {
        path += c == '\\' ? '/' : c;
    }
    return path;
}

}  // namespace vexo
