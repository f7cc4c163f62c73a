// How the usage-history scan names its rows: pure text rules on code page
// 949 texts, kept apart from the registry walk so each rule can be checked
// on its own.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// The part after the last backslash: the whole text when there is none,
// empty when the text ends in one.
std::string FileNameOf(std::string_view path);

// A MUI-cache value name as a path: when it holds a comma, the part before
// the first comma with every '"' and '@' removed
// ("@C:\Windows\system32\shell32.dll,-123" -> "C:\Windows\system32\shell32.dll");
// a name without a comma is taken as it is.
std::string CleanMuiCachePath(std::string_view valueName);

// True when the path holds a '?' (a leading "\\?\" aside). No file name has
// one: it is how the ANSI calls spell a character that code page 949 lacks,
// so the path names a file that no ANSI call can look at.
bool HasUnspellableCharacter(std::string_view path);

// True when the text contains "C:\" (capital C only).
bool NamesDriveC(std::string_view path);

// NAME of a single-value source: an address containing "http://" whole;
// otherwise the file name, or the whole text when that is empty (a folder
// path ending in a backslash).
std::string SingleValueName(std::string_view text);

// A UserAssist value name decoded: ROT13 applied to the ASCII letters A-Z
// and a-z only (double-byte characters kept whole).
std::string Rot13(std::string_view text);

// A MUI-cache value name of the current form without its ".FriendlyAppName"
// or ".ApplicationCompany" suffix; other names as they are.
std::string_view CutMuiCacheSuffix(std::string_view valueName);

// NAME of a remembered-file value: the file name of the value name when that
// holds a backslash, else the file name of the data text.
std::string RememberedFileName(std::string_view valueName, std::string_view data);

}  // namespace engine
