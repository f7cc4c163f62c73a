#include "tests/fakes/FakeCategories.h"

#include "engine/TraceRows.h"

namespace kv::fakes {
namespace {

bool CategoryOf(const std::string& code, Category& out) {
    static const char* const kCodes[kCategoryCount] = {"GRID", "PROCESS", "REGISTRY", "RECENT"};
    for (int c = 0; c < kCategoryCount; ++c) {
        if (code == kCodes[c]) {
            out = static_cast<Category>(c);
            return true;
        }
    }
    return false;
}

}  // namespace

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

void FakeCategories::Scan(const char* entry, const std::string& code) {
    std::vector<TraceItem> rows;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_scans.push_back(std::string(entry) + ":" + code);
        auto it = m_rows.find(code);
        if (it != m_rows.end()) rows = it->second;
    }
    Category category;
    if (!CategoryOf(code, category)) return;
    for (const auto& row : rows) AddTraceRow(m_state, m_view, category, row);
}

bool FakeCategories::Remove(const char* entry, Category category, const std::string& name) {
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
    return removal.gone;
}

void FakeCategories::ScanProcesses(const std::string& code) { Scan("ScanProcesses", code); }

void FakeCategories::ScanRegistryTraces(const std::string& code) { Scan("ScanRegistryTraces", code); }

bool FakeCategories::StopGridService(const std::string& name) {
    return Remove("StopGridService", kGrid, name);
}

bool FakeCategories::TerminateProcessByName(const std::string& name) {
    return Remove("TerminateProcessByName", kProcess, name);
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
