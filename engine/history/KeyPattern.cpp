#include "engine/history/KeyPattern.h"

#include <vector>

#include "seam/Scoped.h"

namespace engine {
namespace {

// Key names are at most 255 characters; RegEnumKeyA's callers size the
// buffer as the other registry names.
constexpr uint32_t kKeyNameBuffer = 260;

std::vector<std::string> Levels(const std::string& pattern) {
    std::vector<std::string> levels;
    size_t start = 0;
    for (;;) {
        const size_t slash = pattern.find('\\', start);
        levels.push_back(pattern.substr(start, slash - start));
        if (slash == std::string::npos) return levels;
        start = slash + 1;
    }
}

std::string Join(const std::string& parent, const std::string& child) {
    return parent.empty() ? child : parent + "\\" + child;
}

// The direct subkeys of root\path in enumeration order; the key is closed on return.
std::vector<std::string> Subkeys(seam::IRegistry& reg, seam::RegRoot root, const std::string& path) {
    std::vector<std::string> names;
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(root, path, seam::RegAccess::Read, key.Out()) != seam::kErrSuccess) return names;
    for (uint32_t index = 0;; ++index) {
        std::string name;
        if (reg.EnumSubkey(key.Get(), index, name, kKeyNameBuffer) != seam::kErrSuccess) break;
        names.push_back(name);
    }
    return names;
}

void Expand(seam::IRegistry& reg, seam::RegRoot root, const std::string& done, const std::vector<std::string>& levels,
            size_t next, bool withSubkeys, const std::function<void(const std::string&)>& visit) {
    std::string path = done;
    for (; next < levels.size(); ++next) {
        if (levels[next] == kEveryKeyLevel) {
            for (const std::string& name : Subkeys(reg, root, path)) {
                Expand(reg, root, Join(path, name), levels, next + 1, withSubkeys, visit);
            }
            return;
        }
        path = Join(path, levels[next]);
    }
    visit(path);
    if (!withSubkeys) return;
    for (const std::string& name : Subkeys(reg, root, path)) visit(Join(path, name));
}

}  // namespace

void ForEachKeyOfPattern(seam::IRegistry& reg, seam::RegRoot root, const std::string& pattern, bool withSubkeys,
                         const std::function<void(const std::string& path)>& visit) {
    Expand(reg, root, std::string(), Levels(pattern), 0, withSubkeys, visit);
}

}  // namespace engine
