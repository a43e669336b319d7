// A pop-up menu that remembers the directory it lists and sorts its entries by name.
#pragma once

#include <cstddef>
#include <string>

#include "gui/OptionMenu.h"

namespace vexo {

constexpr std::size_t kFolderPathMaxBytes = 255;
constexpr int kFolderMenuMaxEntries = 1023;

class FolderMenu : public COptionMenu {
public:
    FolderMenu(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background = nullptr);

    // Refuses (false) once the menu holds kFolderMenuMaxEntries entries; so does adding a
    // submenu entry, which then deletes the submenu handed over.
    bool addEntry(const std::string& text) override;
    using COptionMenu::addEntry;

    // The directory the entries come from, cut at kFolderPathMaxBytes bytes.
    virtual void setPath(const std::string& path);
    virtual const std::string& getPath() const { return path_; }
    // Sorts the entries from position first on by their text in byte order (stable); each
    // entry keeps its submenu and check mark, and the current entry stays current.
    virtual void sortEntries(int first);

private:
    std::string path_;
};

}  // namespace vexo
