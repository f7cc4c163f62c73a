#include "tests/fakes/FakeCategories.h"

#include "engine/history/RegKeyText.h"
#include "engine/core/TraceRows.h"

namespace fakes {

seam::TraceItem MakeTraceRow(const std::string& code, const std::string& name, const std::string& regKey,
                       const std::string& value, const std::string& data, const std::string& read) {
    seam::TraceItem row;
    row.text[seam::kColName] = name;
    row.text[seam::kColRead] = read;
    row.text[seam::kColCode] = code;
    row.text[seam::kColRegKey] = regKey;
    row.text[seam::kColValue] = value;
    row.text[seam::kColData] = data;
    // The target the category's own scanner would give it; rows of no
    // category, and RECENT rows whose REGKEY names no root, have none.
    seam::TraceTarget& target = row.target;
    if (code == engine::CodeOf(seam::kGrid)) {
        target.kind = seam::TargetKind::Service;
        target.name = name;
    } else if (code == engine::CodeOf(seam::kProcess)) {
        target.kind = seam::TargetKind::Process;
        target.name = name;
    } else if (code == engine::CodeOf(seam::kRegistry)) {
        target.kind = seam::TargetKind::RegKeyTree;
    } else if (code == engine::CodeOf(seam::kRecent) && engine::ParseRegKeyText(regKey, target.root, target.key)) {
        target.kind = seam::TargetKind::RegValue;
        target.name = value;
    }
    return row;
}

void FakeCategories::Scan(const char* entry, seam::Category category) {
    const std::string code = engine::CodeOf(category);
    std::vector<seam::TraceItem> rows;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_scans.push_back(std::string(entry) + ":" + code);
        auto it = m_rows.find(code);
        if (it != m_rows.end()) rows = it->second;
    }
    for (const auto& row : rows) engine::AddTraceRow(m_state, m_view, category, row);
}

engine::CleanOutcome FakeCategories::Remove(const char* entry, seam::Category category, const std::string& name) {
    Removal removal;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_removed.push_back(std::string(entry) + ":" + name);
        auto it = m_removals.find(name);
        if (it != m_removals.end()) removal = it->second;
    }
    if (removal.countDelta != 0) {
        m_state.AddCount(category, removal.countDelta);
        m_view.CounterChanged(category);
    }
    return removal.gone ? engine::CleanOutcome::Gone : engine::CleanOutcome::Stayed;
}

void FakeCategories::ScanGridAgents() { Scan("ScanGridAgents", seam::kGrid); }

void FakeCategories::ScanProcesses() { Scan("ScanProcesses", seam::kProcess); }

void FakeCategories::ScanIntelliForms() { Scan("ScanIntelliForms", seam::kRegistry); }

void FakeCategories::ScanRegistryTraces() { Scan("ScanRegistryTraces", seam::kRecent); }

engine::CleanOutcome FakeCategories::StopGridService(const seam::TraceItem& row) {
    return Remove("StopGridService", seam::kGrid, row.Name());
}

engine::CleanOutcome FakeCategories::TerminateProcessByName(const seam::TraceItem& row) {
    return Remove("TerminateProcessByName", seam::kProcess, row.Name());
}

void FakeCategories::SetRows(const std::string& code, const std::vector<seam::TraceItem>& rows) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_rows[code] = rows;
}

void FakeCategories::SetRemoval(const std::string& name, bool gone, int countDelta) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_removals[name] = Removal{gone, countDelta};
}

std::vector<std::string> FakeCategories::Scans() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_scans;
}

std::vector<std::string> FakeCategories::Removals() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_removed;
}

}  // namespace fakes
