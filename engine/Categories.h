// The four trace categories as the analyse/clean driver calls them.
//
// CTraceCategories (engine/TraceCategories.h) is the real implementation;
// the driver's tests use a fake that adds chosen rows.
#pragma once

#include <string>

namespace kv {

class ICategories {
public:
    virtual ~ICategories() = default;

    // Analysis: add the category's rows to the top of the trace list and raise
    // its counter by one per row. "GRID" / "PROCESS" for the process walk,
    // "REGISTRY" / "RECENT" for the registry scans; other codes add nothing.
    virtual void ScanProcesses(const std::string& code) = 0;
    virtual void ScanRegistryTraces(const std::string& code) = 0;

    // Cleaning of one GRID / PROCESS row. True when the trace is gone
    // afterwards; each lowers its own counter as it ends processes or
    // stops services.
    virtual bool StopGridService(const std::string& name) = 0;
    virtual bool TerminateProcessByName(const std::string& name) = 0;
};

}  // namespace kv
