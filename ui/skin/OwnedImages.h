// A fixed set of owned images (the faces of a skinned control), apart from
// Win32 so the ownership rules can be tested natively.
//
// Traits supplies the image handle type and the two calls that create and
// release one:
//     using Handle = ...;             // a null handle means "no image"
//     static Handle Load(unsigned id);
//     static void Free(Handle h);
// Loading replaces what was held: every image loaded is freed exactly once,
// either by the next Load or by the destructor.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

namespace ui {

template <typename Traits, std::size_t N>
class OwnedImages {
public:
    using Handle = typename Traits::Handle;

    OwnedImages() { m_images.fill(Handle{}); }
    ~OwnedImages() { Release(); }
    OwnedImages(const OwnedImages&) = delete;
    OwnedImages& operator=(const OwnedImages&) = delete;

    // Loads one image per id, in order (only the low 16 bits of an id count,
    // as for a resource id). An id that does not load leaves its slot empty.
    void Load(std::initializer_list<unsigned> ids) {
        Release();
        std::size_t slot = 0;
        for (unsigned id : ids) {
            if (slot == N) break;
            m_images[slot++] = Traits::Load(id & 0xFFFFu);
        }
    }

    Handle operator[](std::size_t slot) const { return m_images[slot]; }

private:
    void Release() {
        for (Handle& image : m_images) {
            if (image != Handle{}) Traits::Free(image);
            image = Handle{};
        }
    }

    std::array<Handle, N> m_images;
};

}  // namespace ui
