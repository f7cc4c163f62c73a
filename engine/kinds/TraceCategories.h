// The four trace categories on the real seam: the driver's interface bound
// to the table of kinds (engine/kinds/TraceKinds.h). A category's scan runs
// the scanner of each of its kinds in table order; a container's rows go to
// the remover of their target's kind.
#pragma once

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "engine/kinds/TraceKinds.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

class CTraceCategories : public ICategories {
public:
    CTraceCategories(seam::Platform& platform, EngineState& state, seam::IView& view);

    void Scan(seam::Category category) override;
    Container ContainerOf(const seam::TraceTarget& target) const override;
    void Remove(const RowBatch& rows, std::vector<RowFate>& fates) override;
    int CleaningOrder(seam::TargetKind kind) const override { return CleaningOrderOf(kind); }

protected:
    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;
    KindContext m_context;
};

}  // namespace engine
