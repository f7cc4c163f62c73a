// Files in a real temporary folder: a Windows path "C:\a\b" is the file
// <root>/C/a/b, names in UTF-8 on disk and UTF-16 through the seam. What a
// POSIX file system cannot play is kept beside it: a file held open by
// "another program" (DeleteFile gives a sharing violation), and the
// read-only, hidden and system attributes (a read-only file cannot be
// deleted). Names match as written, not case-insensitively as on Windows.
// A link is a real symbolic link in the folder, and met as Windows meets
// one: listed as a reparse point, and never read, deleted or changed
// through, whichever part of a path it is.
//
// The folder is made on first use and removed with the object.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace fakes {

class FakeFileSystem : public seam::IFileSystem {
public:
    FakeFileSystem() = default;
    ~FakeFileSystem() override;
    FakeFileSystem(const FakeFileSystem&) = delete;
    FakeFileSystem& operator=(const FakeFileSystem&) = delete;

    // IFileSystem
    long KnownFolderPath(seam::KnownFolder folder, std::u16string& path) override;
    long ListFolder(const std::u16string& folder, std::vector<seam::FileEntry>& entries) override;
    long ReadFile(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& data) override;
    long DeleteFile(const std::u16string& path) override;
    long CheckPlainFile(const std::u16string& path) override;
    std::unique_ptr<seam::IFileHold> HoldPlain(const std::u16string& path, bool bFolder, long& error) override;
    std::string Utf8Path(const std::u16string& path) override;
    long CreateFolder(const std::u16string& path) override;

    // Test set-up. Paths are Windows paths ("C:\..."); parents are made as needed.
    bool MakeFolder(const std::u16string& path);
    bool WriteFile(const std::u16string& path, const std::string& bytes);
    // As CREATE_NEW: kErrFileExists when anything has the name, and nothing
    // changes; kErrPathNotFound without the parent folder.
    long WriteNewFile(const std::u16string& path, const std::string& bytes);
    // Another program opens the file without letting others delete it, or
    // closes it again.
    void HoldOpen(const std::u16string& path);
    void Release(const std::u16string& path);
    void SetAttributes(const std::u16string& path, uint32_t attributes);  // kAttrReadOnly and the like
    // The user's settings point the known folder at `path`.
    void RedirectKnownFolder(seam::KnownFolder folder, const std::u16string& path);
    // A symbolic link at `path` to `target`, a Windows path of this file system.
    bool MakeLink(const std::u16string& path, const std::u16string& target);

    // What a program opening the file to change it meets: kErrSuccess, or
    // the refusal DeleteFile would give (held open, read-only, missing).
    long OpenForWriting(const std::u16string& path);

    // Test inspection.
    bool Exists(const std::u16string& path);
    bool ReadAll(const std::u16string& path, std::string& bytes);

private:
    // The file on disk for a Windows path; empty for one that is no absolute
    // drive path (or that climbs with "..").
    std::string Mapped(const std::u16string& path);
    const std::string& Root();
    long Refusal(const std::string& mapped);  // m_lock held
    bool ThroughLink(const std::string& mapped);  // m_lock held
    // What CheckPlainFile and HoldPlain refuse: missing, linked, or not a
    // folder (a file) as asked. m_lock held.
    long PlainRefusal(const std::string& mapped, bool bFolder);

    std::mutex m_lock;
    std::string m_strRoot;                   // made on first use
    std::multiset<std::string> m_held;       // mapped paths, once per holder
    std::map<std::string, uint32_t> m_attributes;  // mapped path -> extra attributes
    std::map<seam::KnownFolder, std::u16string> m_redirected;
};

}  // namespace fakes
