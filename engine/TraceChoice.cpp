#include "engine/TraceChoice.h"

#include <algorithm>
#include <array>
#include <string>

#include "engine/Categories.h"
#include "engine/StatusTexts.h"

namespace kv {
namespace {

int CategoryOf(const TraceItem& row) {
    const CategoryEntry* entry = CategoryOfCode(row.Code());
    return entry ? static_cast<int>(entry->category) : -1;
}

void SetCounter(EngineState& state, IView& view, Category category, int32_t value) {
    if (state.Count(category) == value) return;
    state.SetCount(category, value);
    view.CounterChanged(category);
}

}  // namespace

bool RemovedTogether(const TraceItem& a, const TraceItem& b) {
    if (a.Code() != b.Code()) return false;
    if (a.Code() == CodeOf(kRegistry)) return true;
    return (a.Code() == CodeOf(kProcess) || a.Code() == CodeOf(kGrid)) && a.Name() == b.Name();
}

int LeaveOut(EngineState& state, IView& view, const std::vector<TraceItem>& leftOut) {
    ITraceList& list = view.Traces();
    list.Flush();
    std::vector<TraceItem> pending = leftOut;
    std::array<int32_t, kCategoryCount> removed{};
    std::array<int32_t, kCategoryCount> kept{};
    int n = list.Count();
    for (int i = 0; i < n;) {
        const TraceItem row = list.Read(i);
        const int category = CategoryOf(row);
        const auto match = std::find_if(pending.begin(), pending.end(),
                                        [&](const TraceItem& item) { return item.text == row.text; });
        if (match == pending.end()) {
            if (category >= 0) ++kept[static_cast<size_t>(category)];
            ++i;
            continue;
        }
        pending.erase(match);
        list.Delete(i);
        --n;
        if (category >= 0) ++removed[static_cast<size_t>(category)];
    }
    list.Flush();

    for (int c = 0; c < kCategoryCount; ++c) {
        const auto category = static_cast<Category>(c);
        const size_t k = static_cast<size_t>(c);
        if (removed[k] == 0) continue;
        const int32_t lowered = state.Count(category) - removed[k];
        SetCounter(state, view, category, kept[k] == 0 ? 0 : std::max(lowered, int32_t{1}));
    }

    if (n > 0) return n;
    for (int c = 0; c < kCategoryCount; ++c) SetCounter(state, view, static_cast<Category>(c), 0);
    state.m_bAnalysed.store(false);
    state.SetStatusText(StatusWaiting());
    view.StatusChanged();
    view.SetProgress(0);
    view.SetActionFace(kFaceAnalyse);
    return 0;
}

}  // namespace kv
