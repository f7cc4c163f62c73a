#include "ui/InfoDialog.h"

#include <utility>

#include "layout/Layout.h"
#include "net/Server.h"
#include "seam/Text.h"
#include "ui/skin/SkinText.h"
#include "ui/resource.h"
#include "win/Gdi.h"

namespace ui {

std::string VersionLine(const std::string& strVersion) {
    return seam::FixedCp949("케스트라빈 : 버전(") + strVersion + ")";
}

CInfoDialog::CInfoDialog(std::string strVersion)
    : CSkinDialog(IDD_INFO, IDB_INFO_BG, layout::info::kWindowWidth, layout::info::kWindowHeight,
                  layout::info::kCloseHot), m_strVersion(std::move(strVersion)) {}

BOOL CInfoDialog::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    AttachControl(m_btnOk, IDC_INFO_OK);
    m_btnOk.LoadBitmaps(IDB_BTN_OK, IDB_BTN_OK, IDB_BTN_OK);
    m_btnOk.Place(layout::info::kOk);
    m_strVersionLine = VersionLine(m_strVersion);
    m_strWebSite = net::kWebSiteHost;
    return TRUE;
}

bool CInfoDialog::OnCommand(UINT nId) {
    if (nId != IDC_INFO_OK) return false;
    OnCancel();
    return true;
}

// Both fonts live for this one paint only, so repaints never pile them up.
void CInfoDialog::DrawTexts(HDC dc) {
    ::SetTextColor(dc, RGB(51, 51, 51));
    {
        win::UniqueFont bold = CreateSkinFont(700);
        win::SelectScope select(dc, bold.Get());
        DrawSkinText(dc, m_strVersionLine, layout::info::kVersionLine);
    }
    win::UniqueFont regular = CreateSkinFont(400);
    win::SelectScope select(dc, regular.Get());
    DrawSkinText(dc, m_strWebSite, layout::info::kWebSiteLine);
}

}  // namespace ui
