// The editor's two compiled-in pictures: the splash (337 x 230) and the hidden sprite
// (16 x 33, three frames of 11 pixels), and the C++ source that embeds them.
#pragma once

#include <memory>
#include <string>

#include "Canvas.h"

namespace skingen {

inline constexpr int kSplashWidth = 337;
inline constexpr int kSplashHeight = 230;
inline constexpr int kSpriteWidth = 16;
inline constexpr int kSpriteFrameHeight = 11;
inline constexpr int kSpriteFrames = 3;

std::unique_ptr<Canvas> renderSplash();
std::unique_ptr<Canvas> renderSprite();

// Writes the source file defining vexo::splashImagePng() and vexo::spriteImagePng(), and the
// two pictures as PNG files beside it for inspection.
bool writeResourceSource(const std::string& cppPath);

}  // namespace skingen
