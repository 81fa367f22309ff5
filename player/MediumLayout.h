#pragma once
// How the pictures of a file hold their views: what the open items, the command line and the
// folder playlist tell the session.
// Detected: as the engine finds it in the file (Lumex_StreamGetStereoLayout); 2D when it finds
// no pair.
enum class MediumLayout { Flat, LeftRight, TopBottom, Detected };
