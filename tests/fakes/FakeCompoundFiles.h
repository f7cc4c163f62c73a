// Compound files edited in the fake file system: the file is read with the
// engine's reader and written anew with the test writer, streams of the
// root storage only (jump lists have no others). It meets a file held open,
// read-only or missing as Windows does, and, like a transacted commit,
// changes nothing unless the whole edit succeeds.
#pragma once

#include "seam/Platform.h"
#include "tests/fakes/FakeFileSystem.h"

namespace fakes {

class FakeCompoundFiles : public seam::ICompoundFiles {
public:
    // `files` is not owned and must outlive this.
    explicit FakeCompoundFiles(FakeFileSystem* files) : m_files(files) {}

    long EditStreams(const std::u16string& path, const std::u16string& stream, size_t maxBytes,
                     const seam::StreamEditPlan& plan) override;

    int EditCount() const { return m_nEdits; }  // edits that reached a file

private:
    FakeFileSystem* m_files;  // not owned
    int m_nEdits = 0;
};

}  // namespace fakes
