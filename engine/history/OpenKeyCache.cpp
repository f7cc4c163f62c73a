#include "engine/history/OpenKeyCache.h"

namespace engine {

long COpenKeyCache::Open(seam::RegRoot root, const std::string& path, seam::RegKey& key) {
    // The same spelling only: another spelling of the same key just opens it again.
    if (m_key != 0 && m_root == root && m_strPath == path) {
        key = m_key;
        return seam::kErrSuccess;
    }
    Close();
    const long r = m_reg.OpenKey(root, path, seam::RegAccess::Default, m_key);
    if (r != seam::kErrSuccess) {
        m_key = 0;
        return r;
    }
    m_root = root;
    m_strPath = path;
    key = m_key;
    return r;
}

void COpenKeyCache::Close() {
    if (m_key != 0) m_reg.CloseKey(m_key);
    m_key = 0;
    m_strPath.clear();
}

}  // namespace engine
