// The registry key the last removal opened, kept open for the next: a
// cleaning pass removes the values of one key one after another, and opening
// and closing the key around each value would cost more than the deletions.
// Closed when another key is asked for and when the pass is over.
#pragma once

#include <string>

#include "seam/Platform.h"

namespace engine {

class COpenKeyCache {
public:
    explicit COpenKeyCache(seam::IRegistry& reg) : m_reg(reg) {}
    ~COpenKeyCache() { Close(); }
    COpenKeyCache(const COpenKeyCache&) = delete;
    COpenKeyCache& operator=(const COpenKeyCache&) = delete;

    // root\path opened as RegOpenKeyA opens it (RegAccess::Default), or the
    // registry's error; `key` stays owned by the cache.
    long Open(seam::RegRoot root, const std::string& path, seam::RegKey& key);
    void Close();

private:
    seam::IRegistry& m_reg;
    seam::RegKey m_key = 0;
    seam::RegRoot m_root = seam::RegRoot::CurrentUser;
    std::string m_strPath;
};

}  // namespace engine
