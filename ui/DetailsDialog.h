// The details window: every trace the last analysis found, one row each,
// as the engine's trace list held them when it opened, with the number of rows
// drawn into the background's sentence. Each row has a check box, ticked at
// open; rows that one removal takes together tick together, and the number
// ticked shows beside the sentence. Its clean button closes it and asks the
// opener to leave the unticked rows out and clean the rest.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "seam/View.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinDialog.h"
#include "win/ListView.h"

namespace ui {

class CDetailsDialog : public CSkinDialog {
public:
    // `rows`: the trace list's rows, top first, texts and targets.
    explicit CDetailsDialog(std::vector<seam::TraceItem> rows);

    // After DoModal: true when the window was closed by its clean button,
    // and the opener should start the pass.
    bool CleanRequested() const { return m_bCleanRequested; }
    // After a clean request: the rows the user unticked, whole, as the
    // trace list held them.
    const std::vector<seam::TraceItem>& LeftOut() const { return m_leftOut; }

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT nId) override;
    // The space bar ticks or unticks every selected row.
    bool PreTranslateMessage(const MSG& msg) override;
    void DrawTexts(HDC dc) override;

private:
    void CopyRows();
    std::optional<LRESULT> OnNotify(WPARAM, LPARAM);
    // Ticks or unticks row `index` and every row linked to it.
    void SetTicked(int index, bool bTicked);
    void InvalidateTickedText();

    static const win::MessageEntry<CDetailsDialog> kMessages[];

    win::CListView m_list;  // control 1007
    CSkinButton m_btnClean;
    CSkinButton m_btnClose;
    std::string m_strCount = "0";
    std::vector<seam::TraceItem> m_rows;  // whole texts, in list order
    std::vector<bool> m_ticked;         // as the check boxes show
    int m_nTicked = 0;
    bool m_bReady = false;  // the list's own notifications count from here
    bool m_bLinking = false;
    std::vector<seam::TraceItem> m_leftOut;
    bool m_bCleanRequested = false;
};

}  // namespace ui
