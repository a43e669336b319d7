// The editor's two compiled-in pictures, as PNG bytes: the splash (337 x 230 pixels) and the
// hidden sprite (16 x 33 pixels: three frames of 11 pixels stacked vertically). The build draws
// them (tools/skingen) and generates the source file that defines these functions.
#pragma once

namespace vexo {

struct EmbeddedImage {
    const unsigned char* data;
    unsigned long size;
};

EmbeddedImage splashImagePng();
EmbeddedImage spriteImagePng();

}  // namespace vexo
