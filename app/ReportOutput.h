// Where an unattended run's text goes: the report file (UTF-8, with a byte
// order mark so Notepad and Excel read it as UTF-8) and the console the
// program was started from, if any. The program is a GUI program, so it has
// no console of its own: output redirected to a file or pipe is written as
// UTF-8 to the inherited handle; otherwise it attaches to the parent's
// console and writes UTF-16, which shows Korean whatever the console's code
// page is.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

namespace app {

class CReportOutput {
public:
    // Creates (or empties) the report file; false when it cannot be written.
    bool OpenFile(const std::wstring& path);
    bool HasFile() const { return m_file.Valid(); }

    // False when the file took less than all of it.
    bool ToFile(const std::string& utf8);
    void ToConsole(const std::string& utf8);

private:
    win::UniqueFileHandle m_file;
    win::UniqueFileHandle m_console;  // CONOUT$ of the parent's console, once attached
    bool m_bConsoleLooked = false;
};

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

}  // namespace app
