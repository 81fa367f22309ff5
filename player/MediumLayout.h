#pragma once
// How the pictures of a file hold their views: what the open items, the command line and the
// folder playlist tell the session.
enum class MediumLayout { Flat, LeftRight, TopBottom };
