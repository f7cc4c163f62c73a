// Opening a file or folder so that a link cannot lead the program out of
// where it was pointed. Windows' own flag for this (FILE_FLAG_OPEN_REPARSE_
// POINT) stops only at a link that is the last part of the path, and Wine
// follows even that one, so the handle itself is asked where it ended up.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

namespace seam {

// The path as the wide calls take it: past MAX_PATH, an absolute drive path
// gets the "\\?\" form.
std::wstring WidePath(const std::u16string& path);
std::wstring WideLong(std::wstring wide);

// Opens the existing `path` with `access` and `share`, a folder (`bFolder`)
// or a file, and keeps the handle only when it reached an entry that is no
// reparse point and whose final path is `path` itself (letters compared as
// Windows compares names, so that the case a caller wrote does not count):
// kErrLinked otherwise, kErrAccessDenied for a read-only file opened to be
// written or deleted, or the Win32 error of the open.
long OpenPlain(const std::u16string& path, DWORD access, DWORD share, bool bFolder, win::UniqueFileHandle& file);

// Deletes the file `file` is open on (opened with DELETE access), through
// the handle; ERROR_CALL_NOT_IMPLEMENTED before Windows Vista.
long DeleteByHandle(HANDLE file);

// A file written where a caller asked and nowhere else: made new, or the
// existing one opened and emptied, never through a link (a dangling one
// included: it is refused as an existing name). Shared for reading only.
long CreatePlainFile(const std::u16string& path, win::UniqueFileHandle& file);

}  // namespace seam
