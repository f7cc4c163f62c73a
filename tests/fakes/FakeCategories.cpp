#include "tests/fakes/FakeCategories.h"

#include "engine/TraceRows.h"

namespace kv::fakes {

TraceItem MakeTraceRow(const std::string& code, const std::string& name, const std::string& regKey,
                       const std::string& value, const std::string& data, const std::string& read) {
    TraceItem row;
    row.text[kColName] = name;
    row.text[kColRead] = read;
    row.text[kColCode] = code;
    row.text[kColRegKey] = regKey;
    row.text[kColValue] = value;
    row.text[kColData] = data;
    return row;
}

void FakeCategories::Scan(const char* entry, Category category) {
    const std::string code = CodeOf(category);
    std::vector<TraceItem> rows;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_scans.push_back(std::string(entry) + ":" + code);
        auto it = m_rows.find(code);
        if (it != m_rows.end()) rows = it->second;
    }
    for (const auto& row : rows) AddTraceRow(m_state, m_view, category, row);
}

CleanOutcome FakeCategories::Remove(const char* entry, Category category, const std::string& name) {
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
    return removal.gone ? CleanOutcome::Gone : CleanOutcome::Stayed;
}

void FakeCategories::ScanGridAgents() { Scan("ScanGridAgents", kGrid); }

void FakeCategories::ScanProcesses() { Scan("ScanProcesses", kProcess); }

void FakeCategories::ScanIntelliForms() { Scan("ScanIntelliForms", kRegistry); }

void FakeCategories::ScanRegistryTraces() { Scan("ScanRegistryTraces", kRecent); }

CleanOutcome FakeCategories::StopGridService(const TraceItem& row) {
    return Remove("StopGridService", kGrid, row.Name());
}

CleanOutcome FakeCategories::TerminateProcessByName(const TraceItem& row) {
    return Remove("TerminateProcessByName", kProcess, row.Name());
}

void FakeCategories::SetRows(const std::string& code, const std::vector<TraceItem>& rows) {
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

}  // namespace kv::fakes
