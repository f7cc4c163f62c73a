// The four trace categories on the real seam: usage history (RECENT),
// autosaved passwords (REGISTRY), process reset (PROCESS) and grid delivery
// (GRID). Each category lives in its own file; this class only dispatches.
#pragma once

#include "engine/Categories.h"
#include "engine/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace kv {

class CTraceCategories : public ICategories {
public:
    CTraceCategories(Platform& platform, EngineState& state, IView& view);

    void ScanProcesses(const std::string& code) override;
    void ScanRegistryTraces(const std::string& code) override;
    bool StopGridService(const std::string& name) override;
    bool TerminateProcessByName(const std::string& name) override;

private:
    Platform& m_platform;
    EngineState& m_state;
    IView& m_view;
};

}  // namespace kv
