#include "files/folder_plan.h"

namespace ondrik::folderPlan {

std::vector<size_t> prefixLengths(std::u16string_view path) {
    std::vector<size_t> plan;
    size_t first = path.find(u'\\');
    if (first == std::u16string_view::npos) return plan;
    for (size_t next = path.find(u'\\', first + 1); next != std::u16string_view::npos;
         next = path.find(u'\\', next + 1))
        plan.push_back(next);
    plan.push_back(path.size());
    return plan;
}

} // namespace ondrik::folderPlan
