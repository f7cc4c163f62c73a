// The kinds of trace, one table entry each: which category's counter its
// rows raise, how analysis finds them, what holds them, and how cleaning
// removes a container's rows and says why one stayed. The pass driver
// knows none of them by name; a new kind of trace is a room of the engine
// and one line here.
#pragma once

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// What a kind's scanner and remover work with.
struct KindContext {
    seam::Platform& platform;
    EngineState& state;
    seam::IView& view;
};

struct TraceKind {
    const char* what;  // for a reader of the table
    seam::Category category;
    seam::TargetKind target;
    // Adds the kind's rows to the top of the trace list, raising the
    // category's counter once per row.
    void (*scan)(KindContext& context);
    // Removes the rows of one container and says what became of each:
    // `fates` comes back as long as `rows`.
    void (*remove)(KindContext& context, const RowBatch& rows, std::vector<RowFate>& fates);
    // What holds a row of this kind.
    Container (*container)(const seam::TraceTarget& target);
};

// In scan order within each category (the categories themselves go in
// their own table's order). Cleaning goes by the first entry of each target
// kind, in table order: programs and agents end before the files and
// databases they may hold are touched.
const std::vector<TraceKind>& TraceKinds();

// The first entry whose rows carry `target`, or nullptr.
const TraceKind* KindOfTarget(seam::TargetKind target);
// Its place in the table, or past the end for a target no kind knows.
int CleaningOrderOf(seam::TargetKind target);

}  // namespace engine
