// Compound files (structured storage), read only: what a jump list is made
// of. Hostile files are expected: every sector number is checked against the
// data, a chain that meets a sector twice (a loop) is refused, and no stream
// is taken to be larger than the sectors that could hold it, so the work and
// the memory of each read stay within a small multiple of the file's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class CompoundFile {
public:
    // Reads the header, the sector and mini sector tables and the directory
    // of `size` bytes at `data`, which must stay valid and unchanged while
    // this object is used. False when they do not form a compound file
    // (signature, sector sizes, a table or the directory out of the data or
    // in a loop); nothing can be read then.
    bool Open(const uint8_t* data, size_t size);

    // The names of the streams directly in the root storage, in the order
    // of the directory's entries.
    const std::vector<std::u16string>& StreamNames() const { return m_vecStreamNames; }

    // The whole content of the root storage's stream `name` (compared
    // ignoring the case of ASCII letters, as the format does). False when
    // there is no such stream or its sectors do not hold its size.
    bool ReadStream(const std::u16string& name, std::vector<uint8_t>& out) const;

private:
    struct DirEntry {
        std::u16string name;
        uint8_t type = 0;
        uint32_t left = 0;
        uint32_t right = 0;
        uint32_t child = 0;
        uint32_t start = 0;
        uint64_t size = 0;
    };

    bool LoadFat();
    bool LoadDirectory();
    void ListRootStreams();
    bool ReadBigChain(uint32_t start, uint64_t length, std::vector<uint8_t>& out) const;
    bool ReadMiniChain(uint32_t start, uint64_t length, std::vector<uint8_t>& out) const;

    const uint8_t* m_pData = nullptr;
    size_t m_nSize = 0;
    unsigned m_nSectorShift = 0;
    uint32_t m_nSectorCount = 0;  // whole sectors after the header
    bool m_bVersion4 = false;
    uint32_t m_nMiniCutoff = 0;
    std::vector<uint32_t> m_vecFat;
    std::vector<uint32_t> m_vecMiniFat;
    std::vector<uint8_t> m_vecMiniStream;
    std::vector<DirEntry> m_vecEntries;
    std::vector<std::u16string> m_vecStreamNames;
    std::vector<uint32_t> m_vecStreamEntries;  // entry index of each name
};

}  // namespace engine
