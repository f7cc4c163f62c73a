// What the engine owns and the main window shows: the analysed flag, the
// category switches and counters, the status text and the online result.
//
// The worker thread of a pass writes these while the window thread paints
// them, so every field is an atomic or guarded by a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/PassNotes.h"
#include "seam/View.h"

namespace engine {

class EngineState {
public:
    EngineState();

    // The analysed flag. Down: the next pass analyses; up: rows are pending
    // and the next pass cleans.
    std::atomic<bool> m_bAnalysed{false};
    // Result of the last online test.
    std::atomic<bool> m_bOnline{false};

    bool IsEnabled(seam::Category c) const { return m_bEnabled[c].load(); }
    void SetEnabled(seam::Category c, bool on) { m_bEnabled[c].store(on); }

    int32_t Count(seam::Category c) const { return m_nCount[c].load(); }
    // The counter rule: the count text is always the integer with "%d".
    std::string CountText(seam::Category c) const;
    void SetCount(seam::Category c, int32_t value) { m_nCount[c].store(value); }
    void AddCount(seam::Category c, int32_t delta) { m_nCount[c].fetch_add(delta); }

    std::string StatusText() const;
    void SetStatusText(const std::string& text);

    // What the pass under way (or the last one) met and could not do.
    void AddNote(const PassNote& note);
    std::vector<PassNote> Notes() const;
    void ClearNotes();

    // One pass at a time: TryBeginPass is false while another pass runs.
    bool TryBeginPass() { return !m_bPassRunning.exchange(true); }
    void EndPass() { m_bPassRunning.store(false); }
    bool PassRunning() const { return m_bPassRunning.load(); }

private:
    std::atomic<bool> m_bEnabled[seam::kCategoryCount];
    std::atomic<int32_t> m_nCount[seam::kCategoryCount];
    std::atomic<bool> m_bPassRunning{false};
    mutable std::mutex m_lock;  // guards m_strStatus and m_notes
    std::string m_strStatus;
    std::vector<PassNote> m_notes;
};

// Notes `path` as a place analysis could not read, from the error reading
// or listing it gave; nothing for one that is not there at all.
void NoteUnread(EngineState& state, const std::u16string& path, long error);

}  // namespace engine
