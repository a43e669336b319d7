#include "editor/controls/FolderMenu.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace vexo {

FolderMenu::FolderMenu(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background)
    : COptionMenu(size, listener, tag, std::move(background)) {}

bool FolderMenu::addEntry(const std::string& text) {
    if (getNbEntries() >= kFolderMenuMaxEntries) {
        return false;
    }
    return COptionMenu::addEntry(text);
}

void FolderMenu::setPath(const std::string& path) {
    path_ = path.substr(0, kFolderPathMaxBytes);
}

void FolderMenu::sortEntries(int first) {
    first = std::max(first, 0);
    const int count = getNbEntries();
    if (first >= count - 1) {
        return;
    }
    std::vector<int> order(static_cast<std::size_t>(count - first));
    std::iota(order.begin(), order.end(), first);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return entries_[a].text < entries_[b].text; });

    const int current = getCurrent();
    int movedCurrent = current;
    std::vector<Entry> sorted;
    sorted.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == current) {
            movedCurrent = first + static_cast<int>(i);
        }
        sorted.push_back(std::move(entries_[order[i]]));
    }
    std::move(sorted.begin(), sorted.end(), entries_.begin() + first);
    if (movedCurrent != current) {
        setCurrent(movedCurrent);
    }
}

}  // namespace vexo
