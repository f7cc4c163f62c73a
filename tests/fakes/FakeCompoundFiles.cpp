#include "tests/fakes/FakeCompoundFiles.h"

#include <algorithm>
#include <vector>

#include "formats/CompoundFile.h"
#include "tests/fakes/CompoundFileWriter.h"

namespace fakes {
namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

// Stream names compare without regard to the case of ASCII letters.
bool SameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

}  // namespace

long FakeCompoundFiles::EditStreams(const std::u16string& path, const std::u16string& stream, size_t maxBytes,
                                    const seam::StreamEditPlan& plan) {
    const long refused = m_files->OpenForWriting(path);
    if (refused != seam::kErrSuccess) return refused;
    std::string bytes;
    if (!m_files->ReadAll(path, bytes)) return seam::kErrFileNotFound;
    const std::vector<uint8_t> data(bytes.begin(), bytes.end());
    engine::CompoundFile file;
    if (!file.Open(data.data(), data.size())) return seam::kErrInvalidData;

    std::vector<CompoundStream> streams;
    CompoundStream* edited = nullptr;
    for (const std::u16string& name : file.StreamNames()) {
        streams.emplace_back(name, std::vector<uint8_t>());
        if (!file.ReadStream(name, streams.back().second)) return seam::kErrInvalidData;
    }
    for (CompoundStream& s : streams) {
        if (SameName(s.first, stream)) edited = &s;
    }
    if (edited == nullptr || edited->second.size() > maxBytes) return seam::kErrInvalidData;

    seam::StreamEdit edit;
    if (!plan(edited->second, edit) || edit.content.empty()) return seam::kErrInvalidData;
    edited->second = edit.content;
    streams.erase(std::remove_if(streams.begin(), streams.end(),
                                 [&](const CompoundStream& s) {
                                     return std::any_of(edit.destroy.begin(), edit.destroy.end(),
                                                        [&](const std::u16string& d) { return SameName(d, s.first); });
                                 }),
                  streams.end());
    const std::vector<uint8_t> written = WriteCompoundFile(streams);
    if (written.empty() || !m_files->WriteFile(path, std::string(written.begin(), written.end())))
        return seam::kErrAccessDenied;
    ++m_nEdits;
    return seam::kErrSuccess;
}

}  // namespace fakes
