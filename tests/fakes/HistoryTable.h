// The usage-history source table as tests pick from it: a source is found by
// what it is (its kind, its label, the value it reads), never by a copy of
// its key path, so the tests follow the table.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/history/HistorySources.h"
#include "seam/Text.h"

namespace fakes {

template <typename Pick>
const engine::HistorySource& NthSource(Pick pick, size_t nth = 0) {
    for (const engine::HistorySource& source : engine::HistorySources()) {
        if (pick(source) && nth-- == 0) return source;
    }
    throw std::out_of_range("no such history source");
}

// The nth source (0 first) of this kind.
inline const engine::HistorySource& SourceOfKind(engine::HistorySourceKind kind, size_t nth = 0) {
    return NthSource([kind](const engine::HistorySource& s) { return s.kind == kind; }, nth);
}

// The nth source with this label (UTF-8 here) and kind.
inline const engine::HistorySource& SourceLabelled(const char* labelUtf8, engine::HistorySourceKind kind, size_t nth = 0) {
    const std::string label = seam::Cp949FromUtf8(labelUtf8);
    return NthSource([&](const engine::HistorySource& s) { return s.label == label && s.kind == kind; }, nth);
}

// The single-value source that reads `valueName`.
inline const engine::HistorySource& SourceReading(const std::string& valueName) {
    return NthSource([&](const engine::HistorySource& s) {
        return s.kind == engine::HistorySourceKind::SingleValue && s.valueName == valueName;
    });
}

// Where `source` stands in the table.
inline size_t IndexOfSource(const engine::HistorySource& source) {
    const auto& sources = engine::HistorySources();
    for (size_t i = 0; i < sources.size(); ++i) {
        if (&sources[i] == &source) return i;
    }
    throw std::out_of_range("not a source of the table");
}

}  // namespace fakes
