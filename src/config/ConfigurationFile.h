// The configuration files ("Config.ini", "User.ini", "DefaultConfig.ini", "Config.bak"):
// lines of "Key = value" with ";" comment lines, keys matched without regard to case.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/Settings.h"

namespace vexo {

// Two keys ("Tempo", "DefaultVolume") set a host parameter rather than a setting.
using ParameterSink = std::function<void(int index, float value)>;

constexpr std::size_t kConfigTokenLength = 79;

// Applies every "Key = value" item of the text to the settings, in text order.
void applyConfigurationText(std::string_view text, Settings& settings, const ParameterSink& setParameter);
// Reads a configuration file; a missing file changes nothing. True when it was read.
bool readConfigurationFile(const std::string& path, Settings& settings, const ParameterSink& setParameter);

// The saved form: the 22 keys that the preferences edit, in their fixed order.
std::string configurationText(const Settings& settings);
bool writeConfigurationFile(const std::string& path, const Settings& settings);

}  // namespace vexo
