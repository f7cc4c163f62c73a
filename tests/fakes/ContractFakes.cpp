// The contract suite's side under test for the native build: the fakes.
#include <atomic>
#include <map>

#include "registry/RegHelpers.h"
#include "tests/contract/ContractPlatform.h"
#include "tests/fakes/FakePlatform.h"

namespace fakes {
namespace {

constexpr const char* kFakeServer = "http://contract.fake";

class FakeContractPlatform : public contract::ContractPlatform {
public:
    FakeContractPlatform() {
        static std::atomic<int> s_nextScratch{1};
        m_strScratch = "Software\\KestravinContract\\" + std::to_string(s_nextScratch++);
        m_fakes.net.SetReply(std::string(kFakeServer) + "/lines", {"one", "two", "three"});
        // "/stall" has no reply: like a server that never answers, it fails.
        // The program's folder is there, as it is beside the contract suite.
        m_fakes.files.MakeFolder(u"C:\\Program Files\\Kestravin");
        // A Wine prefix, as the Windows side meets it: some of what Wine 8 starts.
        m_fakes.system.SetWineVersion("8.0");
        for (const char* name : {"services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "rpcss.exe"})
            m_fakes.processes.Add(name);
    }
    ~FakeContractPlatform() override {
        registry::DeleteKeyTree(m_fakes.registry, seam::RegRoot::CurrentUser, m_strScratch, true);
    }

    seam::Platform& Get() override { return m_fakes.platform; }
    std::string ScratchKey() override { return m_strScratch; }

    void SetUnicodeNamedText(const std::string& path, const std::string& utf8Name,
                             const std::string& text) override {
        m_fakes.registry.SetStringUnicodeName(seam::RegRoot::CurrentUser, path, utf8Name, text);
    }
    bool UnicodeNamedValueExists(const std::string& path, const std::string& utf8Name) override {
        return m_fakes.registry.UnicodeNamedValueExists(seam::RegRoot::CurrentUser, path, utf8Name);
    }

    uint32_t StartIdleProcess(const std::string& exeName) override {
        const uint32_t pid = m_fakes.processes.Add(exeName);
        m_fakes.processes.SetParent(pid, m_fakes.processes.CurrentProcessId());
        return pid;
    }
    uint32_t StartWindowedProcess(const std::string& exeName) override {
        const uint32_t pid = StartIdleProcess(exeName);
        m_fakes.processes.SetWindowMode(pid, fakes::WindowMode::Closes);
        return pid;
    }
    uint32_t ServiceProcessId(const std::string& name) override {
        const auto it = m_servicePids.find(name);
        return it != m_servicePids.end() && m_fakes.services.State(name) != seam::kSvcStopped ? it->second : 0;
    }

    bool InstallService(const std::string& name, int pendingPolls) override {
        uint32_t pid = m_fakes.processes.Add(name + ".exe");
        m_fakes.processes.SetSession(pid, 0);
        m_fakes.services.Install(name, seam::kSvcRunning, pendingPolls, pid);
        m_servicePids[name] = pid;
        return true;
    }

    bool InstallUnstoppableService(const std::string& name, bool acceptsStop) override {
        uint32_t pid = m_fakes.processes.Add(name + ".exe");
        m_fakes.processes.SetSession(pid, 0);
        m_fakes.services.Install(name, seam::kSvcRunning, 0, pid);
        m_servicePids[name] = pid;
        m_fakes.services.SetStopMode(name, acceptsStop ? fakes::StopMode::Ignores : fakes::StopMode::Refuses);
        return true;
    }

    bool HostIsWine() override { return true; }
    std::u16string ScratchFolder() override {
        const std::u16string folder = u"C:\\KestravinContract";
        m_fakes.files.MakeFolder(folder);
        return folder;
    }
    bool MakeFolder(const std::u16string& path) override { return m_fakes.files.MakeFolder(path); }
    bool MakeFile(const std::u16string& path, const std::string& bytes) override {
        return m_fakes.files.WriteFile(path, bytes);
    }
    bool MakeReadOnly(const std::u16string& path) override {
        m_fakes.files.SetAttributes(path, seam::kAttrReadOnly);
        return m_fakes.files.Exists(path);
    }
    bool HoldOpenElsewhere(const std::u16string& path) override {
        m_fakes.files.HoldOpen(path);
        return m_fakes.files.Exists(path);
    }
    bool Exists(const std::u16string& path) override { return m_fakes.files.Exists(path); }

    std::string TestServerBase() override { return kFakeServer; }

private:
    fakes::FakePlatform m_fakes;
    std::string m_strScratch;
    std::map<std::string, uint32_t> m_servicePids;
};

}  // namespace
}  // namespace fakes

std::unique_ptr<contract::ContractPlatform> contract::MakeContractPlatform() {
    return std::make_unique<fakes::FakeContractPlatform>();
}
