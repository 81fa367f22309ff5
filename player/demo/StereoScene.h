#pragma once
// The demo clip's picture: a tiled floor running to hills under a sky, lamp posts standing at
// several depths and balls moving among them, seen by two cameras a little apart. The cameras
// converge on a plane in the middle of the scene, so the near balls come out of the screen and
// the hills lie behind it.
#include <array>
#include <cstdint>
#include <vector>

namespace demo {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// A ball at a moment: where it is, how big, its colour (red, green, blue from 0 to 1) and how
// much it shines by itself rather than by the light (0 to 1).
struct Ball {
    Vec3 centre;
    double radius;
    Vec3 albedo;
    double glow = 0;
};

// The moving balls at `seconds`; the same positions the picture shows.
std::vector<Ball> BallsAt(double seconds);

// How often the bouncing ball lands, in seconds.
inline constexpr double kBounceSeconds = 1.1;

// When the bouncing ball touches the floor, and where: pan -1 is the left edge of the picture,
// 1 the right. Used by the soundtrack so each bounce is heard where it is seen.
struct Bounce {
    double seconds;
    double pan;
};
std::vector<Bounce> BouncesUntil(double seconds);

class StereoScene {
public:
    // Each eye's view is eyeWidth x eyeHeight pixels (both even).
    StereoScene(int eyeWidth, int eyeHeight);

    // Draws the left view into the left half and the right view into the right half of a
    // 2*eyeWidth x eyeHeight frame of 32-bit pixels (bytes blue, green, red, unused).
    void Draw(double seconds, uint8_t* frame, int stride) const;

    // How far right a point at depth z lies in the right view compared with the left, in
    // pixels: negative in front of the screen, 0 on it, positive behind it.
    double Disparity(double z) const;

    // Where a point shows in one eye's view (0 left, 1 right), in pixels from the view's
    // top left corner.
    struct Point {
        double x, y;
    };
    Point Project(int eye, const Vec3& point) const;

    // The depth at which a point shows on the screen plane.
    static constexpr double kScreenDepth = 4.5;

private:
    struct Eye {
        double offset;              // camera position along x
        double shift;               // image shift that converges the eyes on the screen plane
        std::vector<uint32_t> sky;  // the still part of the view: floor, hills and sky
    };
    struct Target;  // one eye's half of a frame

    Vec3 Ray(const Eye& eye, double px, double py) const;
    void DrawBackground(Eye& eye) const;
    void DrawShadow(const Eye& eye, const Target& target, const Vec3& centre, double radius) const;
    void DrawBall(const Eye& eye, const Target& target, const Ball& ball) const;
    void DrawPost(const Eye& eye, const Target& target, const Vec3& foot) const;

    int m_width, m_height;
    double m_focal, m_centreX, m_centreY;
    std::array<Eye, 2> m_eyes;
};

}  // namespace demo
