// What an announced update may be saved as, and where. The file name comes
// from the server's reply, i.e. from the network: only the name of an
// installer (.exe or .msi) that Windows takes as one plain file passes, and
// it goes into a folder of the program's own below the user's local
// application data, never beside the program, where it could meet (and
// stand in for) a file the user keeps there.
//
// Names are code page 949 bytes, as the reply carries them. No trail byte of
// a double-byte character is one of the separators or reserved characters
// tested here (trail bytes are 0x41-0x5A, 0x61-0x7A, 0x81-0xFE), so testing
// byte by byte is exact once the sequence is known to be well formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// MAX_PATH: the shell starts no file of a longer path, terminator included.
inline constexpr size_t kMaxPathBytes = 260;
// The longest single name a Windows file system keeps.
inline constexpr size_t kMaxFileNameBytes = 255;

// The text after the last '/' of `url`; the whole URL when it has none.
std::string LastUrlSegment(std::string_view url);

// True only for a plain file name: not empty, at most kMaxFileNameBytes,
// well-formed code page 949; no '\\', '/', ':', no "..", no control
// character (below 0x20, 0x7F), none of < > " | ? *; no trailing dot or
// space; not a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9,
// LPT1-9, COM and LPT with a superscript 1-3), in any case, alone or before
// an extension.
//
// '%' is refused as well. The name is used exactly as the URL carries it, but
// whether "%5C" is a backslash depends on who reads the URL; refusing every
// escape leaves no reading under which "..%5C..%5Cevil.exe" leaves the
// directory, at the price of update names with escapes, which the server
// never needs to send.
bool IsPlainFileName(std::string_view name);

// True for an absolute "http://" or "https://" URL (scheme in any case).
// The download call also follows file:, res: and other schemes; an update is
// fetched from a web server only.
bool IsHttpUrl(std::string_view url);

// True for a plain file name (IsPlainFileName) of an installer: ".exe" or
// ".msi" in any case after a name of its own, at most kMaxUpdateNameBytes,
// whose characters all convert to UTF-16 and back unchanged.
bool IsUpdateFileName(std::string_view name);

// The name the update at `url` is announced as: the URL's last segment when
// the URL is HTTP and the segment IsUpdateFileName; empty otherwise.
std::string UpdateFileName(std::string_view url);

// Room left in a name for the number UpdateFileCandidates may add.
inline constexpr size_t kMaxUpdateNameBytes = kMaxFileNameBytes - 8;
// How many names are tried before the download gives up.
inline constexpr int kUpdateNameTries = 20;

// The names to create the download under, in turn, where an earlier download
// may have left a file of the announced name: `name` itself, then the same
// name with "-1", "-2", ... before its extension (kUpdateNameTries in all).
std::vector<std::string> UpdateFileCandidates(const std::string& name);

// Below KnownFolder::LocalAppData: the folder of ours the updates go to,
// then the one above it, which is made first.
inline constexpr const char16_t* kUpdateFolderParent = u"Kestravin";
inline constexpr const char16_t* kUpdateFolder = u"Kestravin\\Updates";

}  // namespace net
