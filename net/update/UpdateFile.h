// Where an announced update may be saved. The file name comes from the
// server's reply, i.e. from the network, and is joined to the program's
// directory: only a name that Windows would take as one plain file in that
// directory passes, so no reply can make the program write, or then open,
// anything elsewhere (another folder, a device, a stream of another file).
//
// Names are code page 949 bytes, as the ANSI file calls take them. No trail
// byte of a double-byte character is one of the separators or reserved
// characters tested here (trail bytes are 0x41-0x5A, 0x61-0x7A, 0x81-0xFE),
// so testing byte by byte is exact once the sequence is known to be well
// formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace net {

// MAX_PATH: the ANSI calls take no longer path, terminator included.
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

// The path the update at `url` is saved under: `appDir` (which must end in
// a backslash) followed by the URL's last segment. Empty when the URL is not
// HTTP, the segment is not a plain file name, `appDir` has no trailing
// backslash, or the path, or the name and path of the partial download
// beside it (kPartFileSuffix appended), would not fit (kMaxFileNameBytes,
// kMaxPathBytes).
std::string UpdateFilePath(const std::string& appDir, std::string_view url);

}  // namespace net
