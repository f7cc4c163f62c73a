#include "engine/RegKeyText.h"

namespace kv {
namespace {

constexpr const char* kHkcuName = "HKEY_CURRENT_USER";
constexpr const char* kHklmName = "HKEY_LOCAL_MACHINE";

}  // namespace

const char* RootName(RegRoot root) {
    return root == RegRoot::LocalMachine ? kHklmName : kHkcuName;
}

std::string RegKeyText(RegRoot root, const std::string& path) {
    return std::string(RootName(root)) + "\\" + path;
}

bool ParseRegKeyText(const std::string& text, RegRoot& root, std::string& path) {
    const size_t slash = text.find('\\');
    const std::string name = text.substr(0, slash);
    if (name == kHkcuName) {
        root = RegRoot::CurrentUser;
    } else if (name == kHklmName) {
        root = RegRoot::LocalMachine;
    } else {
        return false;
    }
    path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    return true;
}

}  // namespace kv
