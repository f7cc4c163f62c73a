#include "tests/fakes/FakeSystem.h"

#include "tests/fakes/FoldCase.h"

namespace fakes {

FakeSystem::FakeSystem() { SetModulePath("C:\\Program Files\\Kestravin\\Kestravin.exe"); }

std::string FakeSystem::Key(const std::string& path) {
    std::string key = FoldCase(path);
    if (key.size() > 1 && key.back() == '\\') key.pop_back();
    return key;
}

bool FakeSystem::FileExists(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    return !path.empty() && m_files.count(Key(path)) != 0;
}

std::string FakeSystem::ModulePath() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_strModulePath;
}

void FakeSystem::Sleep(uint32_t ms) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_nSleptMs += ms;
    ++m_nSleepCalls;
}

std::string FakeSystem::WineVersion() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_strWineVersion;
}

void FakeSystem::SetWineVersion(const std::string& version) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_strWineVersion = version;
}

void FakeSystem::AddFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_files.insert(Key(path));
}

void FakeSystem::RemoveFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_files.erase(Key(path));
}

void FakeSystem::SetModulePath(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_strModulePath = path;
    m_files.insert(Key(path));
}

uint64_t FakeSystem::SleptMs() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nSleptMs;
}

int FakeSystem::SleepCalls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nSleepCalls;
}

}  // namespace fakes
