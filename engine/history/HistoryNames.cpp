#include "engine/history/HistoryNames.h"

#include "engine/core/Cp949.h"

namespace engine {

std::string FileNameOf(std::string_view path) {
    const size_t slash = FindLastChar949(path, '\\');
    if (slash == std::string_view::npos) return std::string(path);
    return std::string(path.substr(slash + 1));
}

std::string CleanMuiCachePath(std::string_view valueName) {
    // ',', '"' and '@' are below 0x41, so none of them can be a trail byte.
    const size_t comma = valueName.find(',');
    if (comma == std::string_view::npos) return std::string(valueName);
    std::string path;
    for (char c : valueName.substr(0, comma)) {
        if (c != '"' && c != '@') path.push_back(c);
    }
    return path;
}

bool HasUnspellableCharacter(std::string_view path) {
    // '?' is below 0x41, so it is never a trail byte.
    if (path.substr(0, 4) == "\\\\?\\") path.remove_prefix(4);
    return path.find('?') != std::string_view::npos;
}

bool NamesDriveC(std::string_view path) {
    return FindText949(path, "C:\\") != std::string_view::npos;
}

std::string SingleValueName(std::string_view text) {
    if (FindText949(text, "http://") != std::string_view::npos) return std::string(text);
    std::string name = FileNameOf(text);
    return name.empty() ? std::string(text) : name;
}

std::string Rot13(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsCp949LeadByte(c)) {
            ++i;  // the trail byte may look like a letter
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>('A' + (c - 'A' + 13) % 26);
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>('a' + (c - 'a' + 13) % 26);
        }
    }
    return out;
}

std::string_view CutMuiCacheSuffix(std::string_view valueName) {
    for (std::string_view suffix : {std::string_view(".FriendlyAppName"), std::string_view(".ApplicationCompany")}) {
        if (valueName.size() >= suffix.size() &&
            valueName.substr(valueName.size() - suffix.size()) == suffix) {
            return valueName.substr(0, valueName.size() - suffix.size());
        }
    }
    return valueName;
}

std::string RememberedFileName(std::string_view valueName, std::string_view data) {
    if (FindLastChar949(valueName, '\\') != std::string_view::npos) return FileNameOf(valueName);
    return FileNameOf(data);
}

}  // namespace engine
