// Controller-map files: any text into the controller and key maps.
#include <string>

#include "config/ControllerMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexo::ControllerMap controllers;
    vexo::KeyMap keys;
    vexo::applyControllerMapText(std::string(reinterpret_cast<const char*>(data), size), controllers, keys);
    const std::string written = vexo::controllerMapText(controllers, keys);
    vexo::ControllerMap controllersAgain;
    vexo::KeyMap keysAgain;
    vexo::applyControllerMapText(written, controllersAgain, keysAgain);
    if (vexo::controllerMapText(controllersAgain, keysAgain) != written) {
        __builtin_trap();
    }
    return 0;
}
