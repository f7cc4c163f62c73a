// A service control manager. A running service answers the stop control by
// reporting STOP_PENDING for a chosen number of status queries and then
// STOPPED (or never, when told so), or it does not stop at all (see
// StopMode); a service linked to a fake process ends that process when it
// stops. Names are case-insensitive, as in the SCM.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace fakes {

class FakeProcesses;

// How a running service answers SERVICE_CONTROL_STOP.
enum class StopMode {
    Stops,    // accepts it and stops (after its pending polls)
    Refuses,  // ControlService fails (the service does not accept stop); it stays RUNNING
    Ignores,  // ControlService succeeds, but the service goes on reporting RUNNING
};

class FakeServices : public seam::IServices {
public:
    // `processes` (may be null) receives the ends of linked processes.
    explicit FakeServices(FakeProcesses* processes = nullptr);
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

    // IServices
    seam::SvcHandle OpenManager() override;
    seam::SvcHandle OpenService(seam::SvcHandle manager, const std::string& name) override;
    bool ControlStop(seam::SvcHandle service) override;
    bool QueryState(seam::SvcHandle service, uint32_t& state) override;
    void Close(seam::SvcHandle handle) override;
    // The linked processes of services that are not stopped.
    bool ServiceProcessIds(std::vector<uint32_t>& pids) override;

    // Test set-up. `pendingPolls`: queries answered STOP_PENDING after the
    // stop control; a negative number never stops. `linkedPid` 0: no process.
    void Install(const std::string& name, uint32_t state = seam::kSvcRunning, int pendingPolls = 0,
                 uint32_t linkedPid = 0);
    void SetManagerFails(bool fails);
    void SetOpenDenied(const std::string& name, bool denied);
    void SetQueryFails(const std::string& name, bool fails);
    void SetStopMode(const std::string& name, StopMode mode);

    // Test inspection.
    uint32_t State(const std::string& name) const;  // 0 when not installed
    int StopControls(const std::string& name) const;
    int Queries(const std::string& name) const;
    int OpenHandleCount() const;
    int BadCloseCount() const;

private:
    struct Service {
        std::string name;
        uint32_t state = seam::kSvcRunning;
        int pendingPolls = 0;
        int pendingLeft = 0;
        uint32_t linkedPid = 0;
        bool openDenied = false;
        bool queryFails = false;
        StopMode stopMode = StopMode::Stops;
        int stopControls = 0;
        int queries = 0;
    };

    Service* Find(const std::string& name);
    const Service* Find(const std::string& name) const;
    Service* ByHandle(seam::SvcHandle h);
    void Stopped(Service& s);

    FakeProcesses* m_pProcesses;
    mutable std::mutex m_lock;
    std::vector<Service> m_services;
    std::map<seam::SvcHandle, std::string> m_handles;  // "" for a manager handle
    seam::SvcHandle m_nNextHandle = 0x3000;
    bool m_bManagerFails = false;
    int m_nBadCloses = 0;
};

}  // namespace fakes
