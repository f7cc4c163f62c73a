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

void FakeCategories::Scan(seam::Category category) {
    const std::string code = engine::CodeOf(category);
    std::vector<seam::TraceItem> rows;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_scans.push_back("Scan:" + code);
        auto it = m_rows.find(code);
        if (it != m_rows.end()) rows = it->second;
    }
    for (const auto& row : rows) engine::AddTraceRow(m_state, m_view, category, row);
}

void FakeCategories::Remove(const engine::RowBatch& rows, std::vector<engine::RowFate>& fates) {
    const seam::TargetKind kind = rows.empty() ? seam::TargetKind::None : rows.front()->target.kind;
    if (kind != seam::TargetKind::Service && kind != seam::TargetKind::Process) {
        engine::CTraceCategories::Remove(rows, fates);
        return;
    }
    const std::string& name = rows.front()->Name();
    engine::RowFate fate = engine::RowFate::Removed;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_removed.push_back((kind == seam::TargetKind::Service ? "StopGridService:" : "EndPrograms:") + name);
        auto it = m_removals.find(name);
        if (it != m_removals.end()) fate = it->second;
    }
    fates.assign(rows.size(), fate);
}

void FakeCategories::SetRows(const std::string& code, const std::vector<seam::TraceItem>& rows) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_rows[code] = rows;
}

void FakeCategories::SetRemoval(const std::string& name, engine::RowFate fate) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_removals[name] = fate;
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
