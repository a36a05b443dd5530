// libFuzzer target for CreaDirectory's plan and the suite's directory rules. The input
// is UTF-16 text in fields separated by U+0001: a path (also read as the server's
// folder), a program name and a user name. The
// checks: the plan is what splitting the path into components and joining them one by
// one gives; every planned folder is a leading part of the path that ends where a
// component ends, the plan grows, the first component is never planned and nothing
// reaches past the path; the base directory is a leading part of its input, two
// components shorter, and the data and user folders are each among the folders that
// CreaDirectory is asked to create.
#include "files/folder_plan.h"
#include "files/path_names.h"
#include "files/suite_layout.h"
#include "fuzz_support.h"

#include <optional>

using namespace ondrik;
using fuzzing::check;

namespace {

std::vector<std::u16string> components(std::u16string_view s) {
    std::vector<std::u16string> out;
    size_t start = 0;
    for (size_t next; (next = s.find(u'\\', start)) != std::u16string_view::npos; start = next + 1)
        out.emplace_back(s.substr(start, next - start));
    out.emplace_back(s.substr(start));
    return out;
}

// GetDirectoryBase word for word: one closing backslash off, every component but the
// last two each followed by a backslash, one closing backslash off again.
std::u16string literalBase(std::u16string_view s) {
    if (!s.empty() && s.back() == u'\\') s.remove_suffix(1);
    std::vector<std::u16string> c = components(s);
    std::u16string base;
    if (c.size() < 3) return base;
    for (size_t k = 0; k + 2 < c.size(); ++k) base += c[k] + u"\\";
    if (!base.empty() && base.back() == u'\\') base.pop_back();
    return base;
}

void checkPlan(std::u16string_view path) {
    const std::vector<size_t> plan = folderPlan::prefixLengths(path);
    const size_t first = path.find(u'\\');
    if (first == std::u16string_view::npos) {
        check(plan.empty(), "a path without a backslash plans nothing");
        return;
    }
    check(plan.size() == fuzzing::countOf(path, u'\\'), "one folder for each backslash");
    check(plan.back() == path.size(), "the whole path is the last folder");
    for (size_t i = 0; i < plan.size(); ++i) {
        check(plan[i] <= path.size(), "no folder reaches past the path");
        check(plan[i] > first, "the first component is never planned");
        check(i == 0 || plan[i] > plan[i - 1], "the plan grows");
        check(plan[i] == path.size() || path[plan[i]] == u'\\', "a folder ends where a component ends");
    }
    // CreaDirectory's folders word for word: cur = c(0), then cur + "\" + c(k) for k = 1..n.
    // Each cur is the one before it and one more component, so comparing the piece that
    // each step adds compares every folder whole.
    const std::vector<std::u16string> c = components(path);
    check(c.size() == plan.size() + 1, "one folder for each component after the first");
    size_t cur = c[0].size();
    for (size_t k = 1; k < c.size(); ++k) {
        check(plan[k - 1] == cur + 1 + c[k].size(), "each folder is the one before and one component");
        check(path.substr(cur, 1 + c[k].size()) == u"\\" + c[k], "the component added at each step");
        cur = plan[k - 1];
    }
}

// Whether CreaDirectory(path) tries the folder path.substr(0, length).
bool planned(std::u16string_view path, size_t length) {
    for (size_t n : folderPlan::prefixLengths(path))
        if (n == length) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> f = fuzzing::fields(fuzzing::utf16(data, size));
    const std::u16string path = f[0];
    const std::u16string programma = f.size() > 1 ? f[1] : u"";
    const std::u16string utente = f.size() > 2 ? f[2] : u"";
    checkPlan(path);

    const std::u16string base = suiteLayout::baseDirectory(path);
    check(fuzzing::startsWith(path, base), "the base directory begins its input");
    check(base.empty() || path[base.size()] == u'\\', "the base directory ends where a component ends");
    check(base == literalBase(path), "the base directory of the literal rule");
    if (!base.empty()) {
        std::u16string_view trimmed = path;
        if (trimmed.back() == u'\\') trimmed.remove_suffix(1);
        check(fuzzing::countOf(trimmed, u'\\') == fuzzing::countOf(base, u'\\') + 2,
              "the base directory is two components above its input");
    }

    // The folders below the base, and what CreaDirectory is asked to create for them.
    const std::u16string programName = pathNames::fileName(programma);
    const std::u16string executables = suiteLayout::executablesFolder(base, programma);
    const std::u16string dataRoot = suiteLayout::dataFolder(base, u"");
    const std::u16string dataFolder = suiteLayout::dataFolder(base, programma);
    const std::u16string usersRoot = suiteLayout::usersFolder(dataRoot, u"");
    const std::u16string users = suiteLayout::usersFolder(dataRoot, utente);
    check(dataRoot == base + u"\\Dati", "the data root");
    check(usersRoot == dataRoot + u"\\Utenti", "the users' root");
    check(executables == base + u"\\Eseguibili" + (programma.empty() ? u"" : u"\\" + programName),
          "a program's executables folder");
    check(dataFolder == dataRoot + (programma.empty() ? u"" : u"\\" + programName),
          "a program's data folder");
    check(users == usersRoot + (utente.empty() ? u"" : u"\\" + utente), "a user's folder");
    check(planned(dataFolder, dataFolder.size()), "the data folder is created");
    check(planned(dataFolder, dataRoot.size()), "the data root is created with it");
    check(planned(users, users.size()), "the user's folder is created");
    check(planned(users, usersRoot.size()), "the users' root is created with it");
    checkPlan(users);
    return 0;
}
