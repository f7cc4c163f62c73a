#include "engine/kinds/TraceCategories.h"

namespace engine {

CTraceCategories::CTraceCategories(seam::Platform& platform, EngineState& state, seam::IView& view)
    : m_platform(platform), m_state(state), m_view(view), m_context{platform, state, view} {}

void CTraceCategories::Scan(seam::Category category) {
    for (const TraceKind& kind : TraceKinds()) {
        if (kind.category == category) kind.scan(m_context);
    }
}

Container CTraceCategories::ContainerOf(const seam::TraceTarget& target) const {
    const TraceKind* kind = KindOfTarget(target.kind);
    if (kind == nullptr) return {};
    return kind->container(target);
}

void CTraceCategories::Remove(const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::Skipped);
    if (rows.empty()) return;
    const TraceKind* kind = KindOfTarget(rows.front()->target.kind);
    if (kind != nullptr) kind->remove(m_context, rows, fates);
}

}  // namespace engine
