#include "engine/history/RegKeyText.h"

namespace engine {
namespace {

constexpr const char* kHkcuName = "HKEY_CURRENT_USER";
constexpr const char* kHklmName = "HKEY_LOCAL_MACHINE";

}  // namespace

const char* RootName(seam::RegRoot root) {
    return root == seam::RegRoot::LocalMachine ? kHklmName : kHkcuName;
}

std::string RegKeyText(seam::RegRoot root, const std::string& path) {
    return std::string(RootName(root)) + "\\" + path;
}

bool ParseRegKeyText(const std::string& text, seam::RegRoot& root, std::string& path) {
    const size_t slash = text.find('\\');
    const std::string name = text.substr(0, slash);
    if (name == kHkcuName) {
        root = seam::RegRoot::CurrentUser;
    } else if (name == kHklmName) {
        root = seam::RegRoot::LocalMachine;
    } else {
        return false;
    }
    path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    return true;
}

}  // namespace engine
