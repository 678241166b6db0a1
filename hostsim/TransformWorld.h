// utils->transform_world as the simulated host offers it: resamples a world
// through a 3 x 3 matrix into another, nearest-pixel sampling, copy mode.
#pragma once

namespace hostsim {

class Host;

// Points are row vectors (x, y, 1) times the matrix: x' = x m00 + y m10 + m20,
// y' = x m01 + y m11 + m21. Each destination pixel inside the destination
// rectangle takes the source pixel under its centre, or transparent black where
// that lies outside the source. Source and destination must be host worlds of
// the same pixel format; masks are not supported.
void installTransformWorld(Host& host);

}  // namespace hostsim
