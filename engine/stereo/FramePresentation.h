#pragma once
// Shows the own renderer's frames in its window through the window presenter.
#include <cstdint>

#include "engine/stereo/FrameDescriptor.h"
#include "engine/stereo/StereoRows.h"
#include "engine/stereo/StereoTransform.h"

namespace orvo::stereo {

// Gives d a DirectDraw object, the primary surface with a clipper bound to d.window, and a
// d.width x d.height frame surface, replacing any it had. 1 when all were made; 0 leaves d
// without surfaces. Caller's thread, with the filter's frame lock held.
int SetupSurfaces(FrameDescriptor& d);

// The whole-frame path: transforms frame (d.sourceWidth x d.sourceHeight pixels), grey-mixes
// the picture, copies it into the frame surface upright and blits it stretched over
// d.window's screen rectangle; lost surfaces are restored for the next frame. 0 when d has
// no surfaces (frame untouched), else 1 whether or not the picture reached the screen.
// Streaming thread, with the filter's frame lock held.
int PresentFrame(FrameDescriptor& d, uint8_t* frame, PictureStore& store,
                 const StereoKernels& kernels = BestStereoKernels());

// The same picture made band by band from rows straight into the frame surface where the
// modes allow it, else through the whole-frame path. Band by band, a picture shown
// stretched is made at the window's size (the frame surface takes that size), so that
// showing it is a plain copy to the screen. With keepShape the frame surface takes the
// window's size and the picture the largest part of it its display shape fits, the rest
// black.
int PresentRows(FrameDescriptor& d, FrameRows& rows, PictureStore& store,
                const StereoKernels& kernels = BestStereoKernels());

}  // namespace orvo::stereo
