// The four trace categories on the real seam: usage history (RECENT),
// autosaved passwords (REGISTRY), process reset (PROCESS) and grid delivery
// (GRID); the browsers' databases give rows to RECENT and REGISTRY. Each category lives in its own file; this class binds them to the
// category table's entries.
#pragma once

#include "engine/browsers/BrowserRemover.h"
#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "engine/recent/JumpListCleaner.h"
#include "engine/history/OpenKeyCache.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

class CTraceCategories : public ICategories {
public:
    CTraceCategories(seam::Platform& platform, EngineState& state, seam::IView& view);

    void ScanGridAgents() override;
    void ScanProcesses() override;
    void ScanIntelliForms() override;
    void ScanRegistryTraces() override;
    CleanOutcome StopGridService(const seam::TraceItem& row) override;
    CleanOutcome TerminateProcessByName(const seam::TraceItem& row) override;
    CleanOutcome DeleteIntelliForms(const seam::TraceItem& row) override;
    CleanOutcome DeleteHistoryValue(const seam::TraceItem& row) override;
    CleanOutcome DeleteRecentFile(const seam::TraceItem& row) override;
    CleanOutcome DeleteJumpListEntry(const seam::TraceItem& row) override;
    CleanOutcome DeleteBrowserRow(const seam::TraceItem& row) override;
    void CleaningDone() override;
    bool BrowserHeldRows() const override { return m_bBrowserHeld; }

protected:
    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;

private:
    COpenKeyCache m_keys;  // the key of the last RECENT row removed
    CJumpListCleaner m_jumpLists;
    CBrowserRemover m_browsers;
    bool m_bBrowserHeld = false;  // of the last cleaning pass
};

}  // namespace engine
