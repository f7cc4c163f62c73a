// The skinned button's face logic and the ownership of its images.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "ui/skin/OwnedImages.h"
#include "ui/skin/SkinButtonState.h"

namespace {

using ui::ButtonFace;
using ui::SkinButtonState;

TEST(SkinButtonState, OneTrackingRequestPerEntry) {
    SkinButtonState state;
    int requests = 0;
    auto grant = [&] { ++requests; return 1; };

    for (int move = 0; move < 20; ++move) state.OnMouseMove(grant);
    EXPECT_EQ(requests, 1) << "moves within one entry";

    state.OnMouseHover();
    for (int move = 0; move < 5; ++move) state.OnMouseMove(grant);
    EXPECT_EQ(requests, 1) << "hover does not end the entry";

    state.OnMouseLeave();
    state.OnMouseMove(grant);
    state.OnMouseMove(grant);
    EXPECT_EQ(requests, 2) << "a new entry asks again, once";

    // A refused request leaves tracking off, so the next move asks again.
    SkinButtonState refused;
    int attempts = 0;
    refused.OnMouseMove([&] { ++attempts; return 0; });
    EXPECT_FALSE(refused.Tracking());
    refused.OnMouseMove([&] { ++attempts; return 1; });
    refused.OnMouseMove([&] { ++attempts; return 1; });
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(refused.Tracking());
}

TEST(SkinButtonState, FaceFollowsPressHoverAndLeave) {
    SkinButtonState state;
    EXPECT_EQ(state.Face(false), ButtonFace::Normal);
    EXPECT_EQ(state.Face(true), ButtonFace::Pressed);

    state.OnMouseMove([] { return 1; });
    EXPECT_EQ(state.Face(false), ButtonFace::Normal) << "moving alone is not hovering";

    state.OnMouseHover();
    EXPECT_EQ(state.Face(false), ButtonFace::Hover);
    EXPECT_EQ(state.Face(true), ButtonFace::Pressed) << "pressed wins over hover";

    state.OnMouseMove([] { return 1; });
    EXPECT_EQ(state.Face(false), ButtonFace::Hover) << "hover stays until the mouse leaves";

    state.OnMouseLeave();
    EXPECT_EQ(state.Face(false), ButtonFace::Normal);
    EXPECT_FALSE(state.Hover());
    EXPECT_FALSE(state.Tracking());
}

// Images are numbers handed out by a counting loader; id 999 does not load.
struct CountingTraits {
    using Handle = int;
    static inline int s_nNext = 0;
    static inline std::map<int, unsigned> s_live;  // handle -> id
    static inline std::vector<int> s_freed;

    static Handle Load(unsigned id) {
        if (id == 999) return 0;
        const int handle = ++s_nNext;
        s_live[handle] = id;
        return handle;
    }
    static void Free(Handle h) {
        EXPECT_EQ(s_live.erase(h), 1u) << "freed twice or never loaded: " << h;
        s_freed.push_back(h);
    }
    static void Reset() {
        s_nNext = 0;
        s_live.clear();
        s_freed.clear();
    }
};

TEST(OwnedImages, LoadingReplacesFacesWithoutAccumulating) {
    CountingTraits::Reset();
    {
        ui::OwnedImages<CountingTraits, 3> faces;
        faces.Load({130, 130, 130});
        EXPECT_EQ(CountingTraits::s_live.size(), 3u);
        const int first = faces[0];

        for (int toggle = 0; toggle < 10; ++toggle) {
            const unsigned id = toggle % 2 ? 130 : 131;
            faces.Load({id, id, id});
            EXPECT_EQ(CountingTraits::s_live.size(), 3u) << "after toggle " << toggle;
            for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(CountingTraits::s_live[faces[slot]], id);
        }
        EXPECT_EQ(CountingTraits::s_freed.front(), first) << "the old faces go first";

        // Only the low 16 bits of an id count; an id that does not load leaves its slot empty.
        faces.Load({0x10000u + 134, 999, 136});
        EXPECT_EQ(CountingTraits::s_live[faces[0]], 134u);
        EXPECT_EQ(faces[1], 0);
        EXPECT_EQ(CountingTraits::s_live[faces[2]], 136u);
        EXPECT_EQ(CountingTraits::s_live.size(), 2u);
    }
    EXPECT_TRUE(CountingTraits::s_live.empty()) << "the destructor frees what is held";
}

}  // namespace
