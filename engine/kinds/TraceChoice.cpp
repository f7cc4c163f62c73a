#include "engine/kinds/TraceChoice.h"

#include <algorithm>
#include <array>
#include <string>

#include "engine/browsers/BrowserRows.h"
#include "engine/core/Categories.h"
#include "engine/core/StatusTexts.h"

namespace engine {
namespace {

int CategoryOf(const seam::TraceItem& row) {
    const CategoryEntry* entry = CategoryOfCode(row.Code());
    return entry ? static_cast<int>(entry->category) : -1;
}

void SetCounter(EngineState& state, seam::IView& view, seam::Category category, int32_t value) {
    if (state.Count(category) == value) return;
    state.SetCount(category, value);
    view.CounterChanged(category);
}

// A removed address takes the search terms typed for it; every other row of
// a database (two logins, two form entries, two addresses) goes alone.
bool TakesWith(const seam::TraceTarget& a, const seam::TraceTarget& b) {
    auto termOf = [](const seam::TraceTarget& term, const seam::TraceTarget& url) {
        return term.name == kTableSearchTerms && url.name == kTableUrls && term.parentId == url.id;
    };
    return termOf(a, b) || termOf(b, a);
}

}  // namespace

bool RemovedTogether(const seam::TraceItem& a, const seam::TraceItem& b) {
    if (a.target.kind != b.target.kind) return false;
    switch (a.target.kind) {
    case seam::TargetKind::RegKeyTree:
        return true;
    case seam::TargetKind::Process:
    case seam::TargetKind::Service:
        return a.target.name == b.target.name;
    case seam::TargetKind::DatabaseRow:
        return a.target.path == b.target.path && TakesWith(a.target, b.target);
    default:
        return false;
    }
}

int LeaveOut(EngineState& state, seam::IView& view, const std::vector<seam::TraceItem>& leftOut) {
    seam::ITraceList& list = view.Traces();
    list.Flush();
    std::vector<seam::TraceItem> pending = leftOut;
    std::array<int32_t, seam::kCategoryCount> removed{};
    std::array<int32_t, seam::kCategoryCount> kept{};
    int n = list.Count();
    for (int i = 0; i < n;) {
        const seam::TraceItem row = list.Read(i);
        const int category = CategoryOf(row);
        const auto match = std::find_if(pending.begin(), pending.end(),
                                        [&](const seam::TraceItem& item) { return item.text == row.text; });
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

    for (int c = 0; c < seam::kCategoryCount; ++c) {
        const auto category = static_cast<seam::Category>(c);
        const size_t k = static_cast<size_t>(c);
        if (removed[k] == 0) continue;
        const int32_t lowered = state.Count(category) - removed[k];
        SetCounter(state, view, category, kept[k] == 0 ? 0 : std::max(lowered, int32_t{1}));
    }

    if (n > 0) return n;
    for (int c = 0; c < seam::kCategoryCount; ++c) SetCounter(state, view, static_cast<seam::Category>(c), 0);
    state.m_bAnalysed.store(false);
    state.SetStatusText(StatusWaiting());
    view.StatusChanged();
    view.SetProgress(0);
    view.SetActionFace(seam::ActionFace::Analyse);
    return 0;
}

}  // namespace engine
