// The shell records what it was asked to open and answers as set.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace fakes {

class FakeShell : public seam::IShell {
public:
    FakeShell() = default;
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    bool ShellOpen(const std::string& target) override {
        std::lock_guard<std::mutex> hold(m_lock);
        m_opened.push_back(target);
        return m_bResult;
    }

    void SetResult(bool ok) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bResult = ok;
    }
    std::vector<std::string> Opened() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_opened;
    }

private:
    mutable std::mutex m_lock;
    bool m_bResult = true;
    std::vector<std::string> m_opened;
};

}  // namespace fakes
