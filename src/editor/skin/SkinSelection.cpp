#include "editor/skin/SkinSelection.h"

namespace vexo {

namespace {

bool takeSkin(SkinDefinition& skin, const std::string& name, int& width, int& height) {
    if (!skin.parse(skinFilePath(skin.skinDirectory(), name + kSkinFileExtension))) {
        return false;
    }
    const CRect background = skin.elementRect(kBackground);
    width = background.right;
    height = background.bottom;
    return true;
}

}  // namespace

bool selectSkin(SkinDefinition& skin, const std::string& directory, const std::string& name, int& width, int& height) {
    skin.setSkinDirectory(directory);
    // The list of images is never emptied otherwise: without this, switching among skins
    // would keep every skin's images in memory until the list is full.
    skin.clearImages();
    width = 0;
    height = 0;
    if (takeSkin(skin, name, width, height)) {
        return true;
    }
    takeSkin(skin, kFallbackSkinName, width, height);
    return false;
}

}  // namespace vexo
