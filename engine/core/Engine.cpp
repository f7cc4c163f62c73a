#include "engine/core/Engine.h"

#include <algorithm>
#include <map>
#include <utility>

#include "engine/core/StatusTexts.h"
#include "net/Server.h"
#include "net/UsageCount.h"

namespace engine {
CTraceEngine::CTraceEngine(seam::Platform& platform, EngineState& state, seam::IView& view,
                           ICategories& categories)
    : m_platform(platform), m_state(state), m_view(view), m_categories(categories) {}

void CTraceEngine::AnalyseOrClean() {
    if (!m_state.m_bAnalysed.load()) {
        AnalysisPass();
    } else {
        CleaningPass();
    }
}

void CTraceEngine::ConnectionTest(const char* countQuery) {
    const bool online = m_platform.net.IsOnline();
    m_state.m_bOnline.store(online);
    if (online) net::SendUsageCount(m_platform.net, m_platform.registry, net::ServerUrl(countQuery));
}

void CTraceEngine::AnalysisPass() {
    ConnectionTest(net::kCountAnalysis);
    m_state.ClearNotes();
    // Raised before scanning: the history scan stops as soon as it sees it down.
    m_state.m_bAnalysed.store(true);
    m_view.SetProgress(0);

    for (const CategoryEntry& entry : kCategoryTable) {
        // A category whose rows are still listed is not scanned again.
        if (!m_state.IsEnabled(entry.category) || m_state.Count(entry.category) != 0) continue;
        m_categories.Scan(entry.category);
    }
    // Every row found is in the list before the window says so.
    m_view.Traces().Flush();

    int64_t total = 0;
    for (const CategoryEntry& entry : kCategoryTable) total += m_state.Count(entry.category);
    const std::vector<PassNote> notes = m_state.Notes();
    // What could not be read is said before anything else: the counts
    // show what was found, not what is there.
    const auto unread = std::find_if(notes.begin(), notes.end(),
                                     [](const PassNote& note) { return note.kind == NoteKind::Unreadable; });
    if (unread != notes.end()) {
        m_state.SetStatusText(StatusAnalysedUnread(static_cast<int>(notes.size()), unread->path));
    } else if (!notes.empty()) {
        m_state.SetStatusText(StatusAnalysedTooLarge(static_cast<int>(notes.size()), notes.front().path));
    } else {
        m_state.SetStatusText(total == 0 ? StatusNoItems() : StatusCleanPrompt());
    }
    m_view.StatusChanged();
    if (total == 0) {
        m_state.m_bAnalysed.store(false);
    } else {
        m_view.SetActionFace(seam::ActionFace::Clean);
    }
    m_view.SetProgress(100);
}

void CTraceEngine::CleaningPass() {
    ConnectionTest(net::kCountClean);
    m_state.m_bAnalysed.store(false);
    m_stayed.clear();
    m_state.ClearNotes();

    seam::ITraceList& list = m_view.Traces();
    list.Flush();
    // Read once: every remover takes its rows from here, not from the list.
    const int n = list.Count();
    std::vector<seam::TraceItem> rows;
    rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) rows.push_back(list.Read(i));
    std::vector<RowFate> fates(rows.size(), RowFate::Skipped);
    CleanContainers(rows, fates);

    int failed = 0;
    bool bBrowserKept = false;
    int rowsLeft[seam::kCategoryCount] = {};
    // Bottom first: the rows above keep the places they were read at.
    for (int i = n - 1; i >= 0; --i) {
        const RowFate fate = fates[static_cast<size_t>(i)];
        if (IsGone(fate)) {
            list.Delete(i);
            continue;
        }
        if (const CategoryEntry* entry = CategoryOfCode(rows[static_cast<size_t>(i)].Code())) ++rowsLeft[entry->category];
        if (!IsStayed(fate)) continue;
        ++failed;
        bBrowserKept |= fate == RowFate::BrowserRunning;
        m_stayed.push_back({std::move(rows[static_cast<size_t>(i)]), fate});
    }
    std::reverse(m_stayed.begin(), m_stayed.end());
    list.Flush();
    MatchCountersToRows(rowsLeft);

    const std::vector<PassNote> notes = m_state.Notes();
    if (failed == 0 && !notes.empty()) {
        m_state.SetStatusText(StatusCleanFilesLeft(static_cast<int>(notes.size()), notes.front().path));
    } else if (failed == 0) {
        m_state.SetStatusText(StatusCleanDone());
    } else {
        m_state.SetStatusText(bBrowserKept ? StatusCleanBrowserOpen(failed) : StatusCleanFailed(failed));
    }
    m_view.StatusChanged();
    m_view.SetActionFace(seam::ActionFace::Analyse);
}

void CTraceEngine::CleanContainers(const std::vector<seam::TraceItem>& rows, std::vector<RowFate>& fates) {
    struct Group {
        int order;
        size_t first;  // the group's topmost row: containers of one order go top first
        std::vector<size_t> rows;
    };
    std::vector<Group> groups;
    std::map<Container, size_t> groupOf;
    for (size_t i = 0; i < rows.size(); ++i) {
        const CategoryEntry* entry = CategoryOfCode(rows[i].Code());
        if (entry == nullptr || !m_state.IsEnabled(entry->category)) continue;
        const Container container = m_categories.ContainerOf(rows[i].target);
        if (container.kind == seam::TargetKind::None) continue;
        auto found = groupOf.emplace(container, groups.size());
        if (found.second) groups.push_back({m_categories.CleaningOrder(container.kind), i, {}});
        groups[found.first->second].rows.push_back(i);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        return a.order != b.order ? a.order < b.order : a.first < b.first;
    });

    RowBatch batch;
    std::vector<RowFate> batchFates;
    for (const Group& group : groups) {
        batch.clear();
        for (size_t i : group.rows) batch.push_back(&rows[i]);
        batchFates.assign(batch.size(), RowFate::StillThere);
        m_categories.Remove(batch, batchFates);
        // A remover that says less than it was given leaves the rest where they are.
        batchFates.resize(batch.size(), RowFate::StillThere);
        int gone[seam::kCategoryCount] = {};
        for (size_t k = 0; k < group.rows.size(); ++k) {
            const size_t i = group.rows[k];
            fates[i] = batchFates[k] == RowFate::Skipped ? RowFate::StillThere : batchFates[k];
            if (IsGone(fates[i])) ++gone[CategoryOfCode(rows[i].Code())->category];
        }
        LowerCounters(gone);
    }
}

void CTraceEngine::LowerCounters(const int (&gone)[seam::kCategoryCount]) {
    for (const CategoryEntry& entry : kCategoryTable) {
        if (gone[entry.category] == 0) continue;
        m_state.AddCount(entry.category, -gone[entry.category]);
        m_view.CounterChanged(entry.category);
    }
}

void CTraceEngine::MatchCountersToRows(const int (&rowsLeft)[seam::kCategoryCount]) {
    // The counters follow the rows that went, which need not be all the
    // list held for a category: the user may have left rows out, or a
    // category's count may have moved while it was listed. A category that
    // still has rows keeps its counter above 0, so the next analysis does not
    // list them again; one with none left is not held above 0 by rows that
    // have gone.
    for (const CategoryEntry& entry : kCategoryTable) {
        const int32_t count = m_state.Count(entry.category);
        const int left = rowsLeft[entry.category];
        int32_t wanted = count;
        if (left > 0 && count <= 0) wanted = left;
        if (left == 0 && count > 0) wanted = 0;
        if (wanted == count) continue;
        m_state.SetCount(entry.category, wanted);
        m_view.CounterChanged(entry.category);
    }
}

}  // namespace engine
