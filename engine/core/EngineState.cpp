#include "engine/core/EngineState.h"

#include <cstdio>

namespace engine {

EngineState::EngineState() {
    for (auto& flag : m_bEnabled) flag.store(true);
    for (auto& count : m_nCount) count.store(0);
}

std::string EngineState::CountText(seam::Category c) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(m_nCount[c].load()));
    return text;
}

std::string EngineState::StatusText() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_strStatus;
}

void EngineState::SetStatusText(const std::string& text) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_strStatus = text;
}

void EngineState::AddNote(const PassNote& note) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_notes.push_back(note);
}

std::vector<PassNote> EngineState::Notes() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_notes;
}

void EngineState::ClearNotes() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_notes.clear();
}

void NoteUnread(EngineState& state, const std::u16string& path, long error) {
    const seam::FileFate fate = seam::FileFateOf(error);
    if (fate == seam::FileFate::Removed || fate == seam::FileFate::Gone) return;
    state.AddNote({NoteKind::Unreadable, path, FateOfFile(fate)});
}

}  // namespace engine
