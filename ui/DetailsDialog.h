// The details window: every trace the last analysis found, one row each, as
// the engine's trace list holds them, with the number of rows drawn into the
// background's sentence. The list control holds no row: it asks for each
// text it shows, and the window answers from the trace list (LVS_OWNERDATA).
// Each row has a check box, the engine's choice's tick of the row (ticked at
// open); rows that one removal takes together tick together, and the number
// ticked shows beside the sentence. Its clean button closes it and tells the
// opener to leave the unticked rows out and clean the rest.
#pragma once

#include <windows.h>

#include <string>

#include "engine/core/TraceList.h"
#include "engine/kinds/TraceChoice.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinDialog.h"
#include "win/ListView.h"

namespace ui {

class CDetailsDialog : public CSkinDialog {
public:
    // `traces` and `choice`, the choice made of those rows, must outlive the
    // window and keep their rows while it is open.
    CDetailsDialog(const engine::CTraceList& traces, engine::CTraceChoice& choice);

    // After DoModal: true when the window was closed by its clean button, and
    // the opener should leave the unticked rows out and start the pass.
    bool CleanRequested() const { return m_bCleanRequested; }

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT nId) override;
    // A click on a row's check box ticks or unticks it, and the space bar
    // every selected row; the list itself never sees either.
    bool PreTranslateMessage(const MSG& msg) override;
    void DrawTexts(HDC dc) override;

private:
    std::optional<LRESULT> OnNotify(WPARAM, LPARAM);
    // The rows' boxes and the ticked count, after the choice changed.
    void ShowTicks();
    // As a list that holds its texts finds a row by its first letters: the
    // first from `start` on, wrapping round, whose NAME begins with `prefix`
    // (ANSI), case aside; -1 when none does.
    int FindRow(const std::string& prefix, int start) const;

    static const win::MessageEntry<CDetailsDialog> kMessages[];

    win::CListView m_list;  // control 1007
    CSkinButton m_btnClean;
    CSkinButton m_btnClose;
    const engine::CTraceList& m_traces;
    engine::CTraceChoice& m_choice;
    std::string m_strCount = "0";
    bool m_bCleanRequested = false;
};

}  // namespace ui
