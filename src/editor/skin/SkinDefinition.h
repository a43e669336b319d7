// A parsed skin file (".skn"): the editor's element images with their positions and sizes,
// and the skin's global settings. The editor builds its panel from nothing else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/skin/SkinElements.h"
#include "gui/Bitmap.h"
#include "gui/Geometry.h"

namespace vexo {

// Text fields hold at most this many characters (256 bytes with a terminator).
constexpr std::size_t kSkinTextLength = 255;
constexpr std::size_t kMaxSkinElements = 1024;
constexpr std::size_t kMaxSkinImages = 1024;
constexpr int kSkinLedColorCount = 256;
// INCLUDE levels below the file parsed first.
constexpr int kMaxSkinIncludeDepth = 16;
// Files one parse may open, its includes counted: bounds includes that branch.
constexpr int kMaxSkinIncludeFiles = 256;
constexpr const char* kSkinFileExtension = ".skn";

// One element statement of the skin file.
struct SkinElement {
    int id = 0;
    // The first word of the labelled form; empty in the plain form.
    std::string label;
    // Image file name relative to the skin directory, with "/" or "\\" separators.
    std::string file;
    // Position (the offset in force added) and size in pixels; the size may be negative.
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t w = 0;
    std::int16_t h = 0;
    int reserved = 0;
    // -1 for the plain form, 0 for the labelled form.
    int form = -1;
    int extra1 = 0;
    int extra2 = 0;
    int extra3 = 0;
};

struct SkinImage {
    std::string file;
    SharedBitmap bitmap;
};

struct SkinRgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

struct SkinLedColor {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

// All members are used on the user-interface thread only.
class SkinDefinition {
public:
    // Empties the element list, the offsets and the blend mode and names the skin
    // "Default"; the version, colours, cable settings and images stay.
    void reset();
    // Resets, then reads the file; false only when it cannot be opened.
    bool parse(const std::string& path);
    // Resets, then reads skin text held in memory (INCLUDE still reads files).
    void parseText(std::string_view text);
    // Loads the image of every element from the directory unless its file is empty or
    // already loaded (names compared without regard to case or separator). An image that is missing
    // or no valid PNG leaves its element without one. Always true.
    bool loadImages(const std::string& directory);
    void clearImages();

    // The first element with this id, or -1.
    int elementIndex(int id) const;
    // The first element with this id as a rectangle with its edges in order; all 0 when
    // there is none.
    CRect elementRect(int id) const;
    // The loaded image of the first element with this id; null when there is none.
    SharedBitmap elementImage(int id) const;
    // The id of an element name (matched without regard to case), or -1.
    static int elementName(std::string_view word);

    const std::string& name() const { return name_; }
    const std::vector<SkinElement>& elements() const { return elements_; }
    const std::vector<SkinImage>& images() const { return images_; }
    CColor transparentColor() const { return transparentColor_; }
    SkinRgb cableTint() const { return cableTint_; }
    const std::array<SkinLedColor, kSkinLedColorCount>& ledColors() const { return ledColors_; }
    int offsetX() const { return offsetX_; }
    int offsetY() const { return offsetY_; }
    int cableType() const { return cableType_; }
    // Non-zero: the illuminated keys cross-fade.
    int blendMode() const { return blendMode_; }
    int version() const { return version_; }

    // The folder INCLUDE names are relative to; a trailing "/" is added when missing.
    const std::string& skinDirectory() const { return skinDirectory_; }
    void setSkinDirectory(const std::string& directory);

private:
    struct ParseState;

    bool parseFile(const std::string& path, ParseState& state);
    void parseStatements(std::string_view text, ParseState& state);
    void include(const std::string& fileName, ParseState& state);
    void appendElement(const SkinElement& element);
    const SkinImage* findImage(const std::string& file) const;

    std::string name_ = "Default";
    std::vector<SkinElement> elements_;
    std::vector<SkinImage> images_;
    CColor transparentColor_{255, 255, 0, 255};
    SkinRgb cableTint_;
    std::array<SkinLedColor, kSkinLedColorCount> ledColors_{};
    int offsetX_ = 0;
    int offsetY_ = 0;
    int cableType_ = 0;
    int blendMode_ = 0;
    int version_ = 1;
    std::string skinDirectory_;
};

// A skin file's image name as a path below the directory: the "\\" separators of skins
// made on other systems become "/", and a "/" joins a directory given without one.
std::string skinFilePath(const std::string& directory, std::string_view file);

}  // namespace vexo
