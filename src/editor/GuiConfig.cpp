#include "editor/GuiConfig.h"

#include "config/ConfigurationFile.h"
#include "config/TextScanner.h"
#include "editor/skin/ScanText.h"

namespace vexo {

namespace {

constexpr std::size_t kSkinNameLength = 255;

int* integerSetting(GuiSettings& s, std::string_view key) {
    struct Entry {
        const char* key;
        int GuiSettings::*field;
    };
    static constexpr Entry kEntries[] = {
        {"FunctionButton1", &GuiSettings::functionButton1}, {"FunctionButton2", &GuiSettings::functionButton2},
        {"ClearConfirm", &GuiSettings::clearConfirm},       {"KnobMode", &GuiSettings::knobMode},
        {"AuditionNotes", &GuiSettings::auditionNotes},
    };
    for (const Entry& entry : kEntries) {
        if (equalsIgnoreCase(key, entry.key)) {
            return &(s.*entry.field);
        }
    }
    return nullptr;
}

// The value of "SkinShowDialog" is read as a whole word and converted from its start.
void readWordNumber(TextScanner& in, int& value) {
    TextScanner word(in.token(kConfigTokenLength));
    scanDecimalInt(word, value);
}

void readBit(TextScanner& in, int& value) {
    int number = 0;
    if (scanDecimalInt(in, number)) {
        value = number & 1;
    }
}

}  // namespace

void readGuiConfigText(GuiSettings& settings, std::string_view text) {
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
        // The "=" is optional: an unknown key's value is read as the next key and ignored.
        const std::string_view key = in.token(kConfigTokenLength);
        in.literal('=');
        if (equalsIgnoreCase(key, "Skin")) {
            scanQuoted(in, settings.skin, kSkinNameLength);
        } else if (equalsIgnoreCase(key, "SkinShowDialog")) {
            readWordNumber(in, settings.skinShowDialog);
        } else if (equalsIgnoreCase(key, "UseKeyboard")) {
            readBit(in, settings.useKeyboard);
        } else if (equalsIgnoreCase(key, "ProgrammingMode")) {
            readBit(in, settings.programmingMode);
        } else if (int* setting = integerSetting(settings, key)) {
            scanDecimalInt(in, *setting);
        }
    }
}

bool readGuiConfig(GuiSettings& settings, const std::string& path) {
    std::string text;
    if (!readWholeFile(path, text)) {
        return false;
    }
    readGuiConfigText(settings, text);
    return true;
}

std::string guiConfigText(const GuiSettings& s) {
    const auto line = [](std::string_view key, int value) {
        return std::string(key) + " = " + std::to_string(value) + "\n";
    };
    return "; VEXO GUI configuration\n"
           "; Value of \"\" means default (built-in) skin\n"
           "Skin = \"" +
           s.skin + "\"\n" + line("SkinShowDialog", s.skinShowDialog) + line("ClearConfirm", s.clearConfirm) +
           line("AuditionNotes", s.auditionNotes) + line("KnobMode", s.knobMode) + ";\n" +
           line("FunctionButton1", s.functionButton1) + line("FunctionButton2", s.functionButton2);
}

bool writeGuiConfig(const GuiSettings& settings, const std::string& path) {
    return writeFileAtomically(path, guiConfigText(settings));
}

}  // namespace vexo
