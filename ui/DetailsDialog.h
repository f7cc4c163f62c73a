// The details window: every trace the last analysis found, one row each,
// copied from the main window's hidden trace list, with the number of rows
// drawn into the background's sentence. Its clean button closes it and asks
// the opener to start the cleaning pass.
#pragma once

#include <windows.h>

#include <string>

#include "ui/SkinButton.h"
#include "ui/SkinDialog.h"
#include "win/ListView.h"

namespace ui {

class CDetailsDialog : public CSkinDialog {
public:
    // `source`: the main window's trace list, read once while the dialog
    // initialises; not owned.
    explicit CDetailsDialog(const win::CListView& source);

    // After DoModal: true when the window was closed by its clean button,
    // and the opener should start the pass.
    bool CleanRequested() const { return m_bCleanRequested; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT nId) override;
    void DrawTexts(HDC dc) override;

private:
    void CopyRows();

    win::CListView m_list;  // control 1007
    CSkinButton m_btnClean;
    CSkinButton m_btnClose;
    const win::CListView& m_source;  // not owned
    std::string m_strCount = "0";
    bool m_bCleanRequested = false;
};

}  // namespace ui
