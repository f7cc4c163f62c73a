// The engine's side of the main window: the hidden trace list and the
// repaint requests for the state the engine owns (engine/EngineState.h).
//
// The Win32 side (app/) marshals everything onto the window's thread; the
// fake (tests/fakes) records the calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "seam/TraceTarget.h"

namespace seam {

// Column order of the trace list.
enum TraceColumn { kColName, kColRead, kColCode, kColRegKey, kColValue, kColData, kColumnCount };

// One row of the trace list: the six texts NAME, READ, CODE, REGKEY, VALUe, DATA.
struct TraceItem {
    std::array<std::string, kColumnCount> text;
    TraceTarget target;
    // Columns (bit 1 << column) whose text is UTF-8 exactly as its source
    // holds it, not yet code page 949: it becomes the cell the user sees
    // only where it is shown (engine/ValueText.h, ShownText). A browser
    // profile's tens of thousands of addresses and titles are so converted
    // only when somebody looks at them, not all of them at every analysis.
    uint8_t utf8Columns = 0;

    const std::string& Name() const { return text[kColName]; }
    const std::string& Code() const { return text[kColCode]; }
};

// The trace list's five operations. Rows handed over with InsertTop may be
// held back and passed on in batches, in order; Flush returns only when every
// row handed over, and every deletion, is in the list itself.
class ITraceList {
public:
    virtual ~ITraceList() = default;

    virtual int Count() = 0;
    // Inserts the row at index 0 (the top), pushing the others down.
    virtual void InsertTop(const TraceItem& row) = 0;
    // The six texts of row `index`, each as the list holds it.
    virtual TraceItem Read(int index) = 0;
    virtual void Delete(int index) = 0;
    virtual void Flush() = 0;
};

enum Category { kGrid, kProcess, kRegistry, kRecent, kCategoryCount };

// The action button's two faces; the window picks the bitmap of each.
enum class ActionFace { Analyse, Clean };

class IView {
public:
    virtual ~IView() = default;

    virtual ITraceList& Traces() = 0;
    // The category's counter changed: its count line needs repainting.
    virtual void CounterChanged(Category category) = 0;
    // The status text changed: the status line needs repainting.
    virtual void StatusChanged() = 0;
    // Give the action button this face for all three of its states.
    virtual void SetActionFace(ActionFace face) = 0;
    virtual void SetProgress(int percent) = 0;
};

}  // namespace seam
