// CreaDirectory's plan: which folders to try to create, in order, for a path.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ondrik::folderPlan {

// Lengths of the leading parts of path to create, shortest first: the path up to each
// backslash after the first, then the whole path. The first component (a drive, the
// empty text before a rooted or UNC path, a first relative folder) is never created,
// and a path without a backslash gives nothing. Empty components count like any other:
// "C:\A\B\" also tries "C:\A\B\" itself.
std::vector<size_t> prefixLengths(std::u16string_view path);

} // namespace ondrik::folderPlan
