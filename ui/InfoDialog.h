// The program-information window: the program's name and version and the
// maker's web site, on the skin, with one confirm button.
#pragma once

#include <windows.h>

#include <string>

#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinDialog.h"

namespace ui {

// The version line: the program's Korean name and `strVersion`, in code page 949.
std::string VersionLine(const std::string& strVersion);

class CInfoDialog : public CSkinDialog {
public:
    // `strVersion`: the program's own version text ("1").
    explicit CInfoDialog(std::string strVersion);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT nId) override;
    void DrawTexts(HDC dc) override;

private:
    CSkinButton m_btnOk;
    std::string m_strVersion;
    std::string m_strVersionLine;
    std::string m_strWebSite;
};

}  // namespace ui
