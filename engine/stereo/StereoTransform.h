#pragma once
// Turns one W x H frame of 32-bit pixels (bytes B, G, R, X; rows packed, in memory
// order) into the picture its FrameDescriptor asks for: anaglyphs, single views,
// re-laid pairs and pseudo-stereo. Runs on the streaming thread under the frame lock.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/stereo/FrameDescriptor.h"
#include "engine/stereo/StereoKernels.h"

namespace orvo::stereo {

// Output and scratch buffers kept from frame to frame by their owner (one per filter),
// so that steady playback allocates nothing and touches no fresh pages.
class PictureStore {
public:
    // A buffer of at least `bytes`, or nullptr when it cannot be allocated.
    uint8_t* Picture(size_t bytes) { return m_picture.Reserve(bytes); }
    uint8_t* Scratch(size_t bytes) { return m_scratch.Reserve(bytes); }
    // Row bands of the row-by-row transform, one per view.
    uint8_t* Band(int view, size_t bytes) { return m_bands[view != 0].Reserve(bytes); }

private:
    class Buffer {
    public:
        uint8_t* Reserve(size_t bytes);

    private:
        std::unique_ptr<uint8_t[]> m_data;
        size_t m_size = 0;
    };
    Buffer m_picture;
    Buffer m_scratch;
    Buffer m_bands[2];
};

// The stereo kernels this CPU runs best.
inline const StereoKernels& BestStereoKernels() { return StereoKernelsOf(BestKernelPath()); }

// Returns the d.width x d.height picture: `frame` itself (possibly rewritten in place) or
// a buffer of `store`. nullptr means "show nothing for this frame": a buffer could not be
// allocated, the source or output is empty, or the descriptor's size does not match its
// modes. `frame` must hold d.sourceWidth x d.sourceHeight pixels.
uint8_t* TransformFrame(const FrameDescriptor& d, uint8_t* frame, PictureStore& store,
                        const StereoKernels& kernels = BestStereoKernels());

// The view rule d's frames are made with: its view mode's, with the optimised anaglyph where
// d asks for it.
ViewRule ViewRuleOf(const FrameDescriptor& d);

// One output row of w pixels from the two views' rows, by the view rule.
void ViewRow(const ViewRule& rule, uint8_t* out, const uint8_t* first, const uint8_t* second, size_t w,
             const StereoKernels& kernels);

// The anaglyph of n pixels of both views by the rule: its projection, else its channel mix.
// out may be first.
void Anaglyph(const ViewRule& rule, uint8_t* out, const uint8_t* first, const uint8_t* second, size_t n,
              const StereoKernels& kernels);

// With greyMix 1, replaces the channels the anaglyph takes from the second view (blue,
// plus green for red/cyan or red for green/magenta) by the pixel's mean; else nothing.
void GreyMix(const FrameDescriptor& d, uint8_t* picture, const StereoKernels& kernels = BestStereoKernels());

}  // namespace orvo::stereo
