// Files that exist (names compared case-insensitively, as Windows does), the
// module path, a Sleep that only adds up what it was asked to sleep, and
// Windows or Wine underneath (Windows unless set).
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "seam/Platform.h"

namespace fakes {

class FakeSystem : public seam::ISystem {
public:
    FakeSystem();
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    // ISystem
    bool FileExists(const std::string& path) override;
    std::string ModulePath() override;
    void Sleep(uint32_t ms) override;
    std::string WineVersion() override;

    // Test set-up: a directory may be given with or without its trailing backslash.
    void AddFile(const std::string& path);
    void RemoveFile(const std::string& path);
    void SetModulePath(const std::string& path);  // also makes it exist
    // "" plays Windows; any other text plays Wine of that version.
    void SetWineVersion(const std::string& version);

    // Test inspection.
    uint64_t SleptMs() const;
    int SleepCalls() const;

private:
    static std::string Key(const std::string& path);

    mutable std::mutex m_lock;
    std::set<std::string> m_files;  // folded, without a trailing backslash
    std::string m_strModulePath;
    std::string m_strWineVersion;
    uint64_t m_nSleptMs = 0;
    int m_nSleepCalls = 0;
};

}  // namespace fakes
