#include "player/demo/StereoScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace demo {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCameraHeight = 1.0;
constexpr double kFocalPerWidth = 0.9;          // focal length in picture widths: about 58 degrees across
constexpr double kHorizonPerHeight = 0.36;      // the horizon sits 36% down the picture
constexpr double kFarDisparityPerWidth = 0.02;  // the hills: 2% of the width behind the screen

// Colours are display values from 0 to 1.
constexpr Vec3 kTileDark{0.19, 0.21, 0.25};
constexpr Vec3 kTileLight{0.62, 0.60, 0.55};
constexpr Vec3 kHaze{0.74, 0.78, 0.84};
constexpr Vec3 kSkyTop{0.13, 0.30, 0.60};
constexpr Vec3 kHill{0.27, 0.37, 0.42};
constexpr Vec3 kPostMetal{0.50, 0.53, 0.58};
constexpr Vec3 kLampGlow{1.00, 0.86, 0.55};
constexpr double kTile = 0.6;

// Lamp posts along both sides, from just behind the screen plane to far away.
constexpr Vec3 kPostFeet[] = {{-1.65, 0, 4.2}, {2.05, 0, 5.6},  {-1.55, 0, 8.0},
                              {1.75, 0, 11.0}, {-2.4, 0, 15.0}, {3.2, 0, 21.0}};
constexpr double kPostRadius = 0.06;
constexpr double kPostHeight = 1.45;
constexpr double kLampRadius = 0.13;

// The bouncing ball: hops across the front, in front of the screen plane.
constexpr double kBounceHeight = 0.6;
constexpr double kBouncerRadius = 0.27;
constexpr double kBouncerDepth = 3.0;
constexpr double kBouncerSweep = 9.0;  // seconds from one side to the other and back

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalized(Vec3 a) { return a * (1 / std::sqrt(Dot(a, a))); }
Vec3 Mix(Vec3 a, Vec3 b, double k) { return a * (1 - k) + b * k; }
double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Smooth(double edge0, double edge1, double v) {
    const double k = Clamp01((v - edge0) / (edge1 - edge0));
    return k * k * (3 - 2 * k);
}

// Towards the light: high, from the upper left behind the viewer.
const Vec3 kLight = Normalized({-0.45, 0.8, -0.5});

uint32_t Pack(Vec3 c) {
    auto byte = [](double v) { return uint32_t(Clamp01(v) * 255 + 0.5); };
    return byte(c.z) | byte(c.y) << 8 | byte(c.x) << 16;
}

Vec3 Unpack(uint32_t p) { return {(p >> 16 & 255) / 255.0, (p >> 8 & 255) / 255.0, (p & 255) / 255.0}; }

// Distant things fade into the haze of the horizon.
double HazeAt(double depth) { return 1 - std::exp(-depth / 30); }
Vec3 Hazed(Vec3 c, double depth) { return Mix(c, kHaze, HazeAt(depth)); }

// A square wave of period 2 averaged over a window of width w around p: tiles that stay
// smooth where many of them fall into one pixel.
double FilteredSquare(double p, double w) {
    w = std::max(w, 1e-4);
    auto ramp = [](double x) { return std::abs(x * 0.5 - std::floor(x * 0.5) - 0.5); };
    return 2 * (ramp(p - 0.5 * w) - ramp(p + 0.5 * w)) / w;
}

double RidgeHeight(double across) {
    return 0.045 + 0.022 * std::sin(3.1 * across + 0.4) + 0.012 * std::sin(7.3 * across + 1.3) +
           0.005 * std::sin(17.0 * across + 2.0);
}

struct Cloud {
    double across, up, width, height;
};
constexpr Cloud kClouds[] = {{-0.42, 0.20, 0.16, 0.035}, {-0.1, 0.32, 0.22, 0.05}, {0.28, 0.17, 0.13, 0.03},
                             {0.5, 0.35, 0.18, 0.045},   {-0.62, 0.42, 0.2, 0.05}, {0.05, 0.12, 0.1, 0.022}};

Vec3 SkyColour(double across, double up) {
    Vec3 c = Mix(kHaze, kSkyTop, Smooth(0.0, 0.55, up));
    double cloud = 0;
    for (const Cloud& k : kClouds) {
        const double dx = (across - k.across) / k.width, dy = (up - k.up) / k.height;
        cloud += std::exp(-(dx * dx + dy * dy));
    }
    return Mix(c, {0.96, 0.97, 1.0}, Clamp01(cloud) * 0.85);
}

void Blend(uint8_t* pixel, Vec3 c, double coverage) {
    uint32_t value;
    if (coverage < 1) {
        std::memcpy(&value, pixel, 4);
        c = Mix(Unpack(value), c, coverage);
    }
    value = Pack(c);
    std::memcpy(pixel, &value, 4);
}

// x to the 40th: the highlight's falloff, without a call to pow.
double Power40(double x) {
    const double x8 = x * x * x * x * x * x * x * x;
    const double x32 = x8 * x8 * x8 * x8;
    return x32 * x8;
}

Vec3 Shade(Vec3 albedo, Vec3 normal, Vec3 view, double glow) {
    const double diffuse = 0.3 + 0.6 * std::max(0.0, Dot(normal, kLight)) + 0.12 * (0.5 + 0.5 * normal.y);
    const Vec3 halfway = Normalized(kLight - view);
    const double specular = 0.45 * Power40(std::max(0.0, Dot(normal, halfway)));
    const Vec3 lit = albedo * (diffuse * (1 - glow) + glow);
    return lit + Vec3{specular, specular, specular};
}

double Triangle(double t, double period) {
    const double u = t / period - std::floor(t / period);
    return u < 0.5 ? 4 * u - 1 : 3 - 4 * u;
}

Vec3 BouncerAt(double t) {
    const double u = t / kBounceSeconds - std::floor(t / kBounceSeconds);
    return {1.15 * Triangle(t + kBouncerSweep / 4, kBouncerSweep), kBouncerRadius + 4 * kBounceHeight * u * (1 - u),
            kBouncerDepth};
}

}  // namespace

std::vector<Ball> BallsAt(double t) {
    // A big ball rolls round a wide loop from the front of the scene to its back.
    const double loop = 2 * kPi * t / 12;
    const Vec3 roller{2.5 * std::sin(loop), 0.5, 6.6 - 3.4 * std::cos(loop)};
    // A moon circles it on a tilted orbit, in front of it and behind it in turn.
    const double orbit = 2 * kPi * t / 3.2;
    const Vec3 moon = roller + Vec3{0.9 * std::cos(orbit), 0.25 + 0.3 * std::sin(orbit), 0.9 * std::sin(orbit)};
    // A gold ball floats from the far end of the scene out of the screen and back.
    const double approach = 0.5 - 0.5 * std::cos(2 * kPi * t / 22);
    const Vec3 flyer{-0.55 + 0.45 * std::sin(2 * kPi * t / 7), 1.0 + 0.12 * std::sin(2 * kPi * t / 5),
                     9.5 - 7.2 * approach};
    return {{roller, 0.5, {0.96, 0.52, 0.16}},
            {moon, 0.14, {0.78, 0.84, 0.98}},
            {BouncerAt(t), kBouncerRadius, {0.32, 0.86, 0.42}},
            {flyer, 0.3, {1.0, 0.8, 0.22}}};
}

std::vector<Bounce> BouncesUntil(double seconds) {
    std::vector<Bounce> bounces;
    for (int k = 0; k * kBounceSeconds < seconds; ++k) {
        const double t = k * kBounceSeconds;
        const Vec3 at = BouncerAt(t);
        // Where the ball shows across the picture: the camera's view is half a focal length
        // per unit of depth to either side.
        bounces.push_back({t, std::clamp(at.x / at.z / (0.5 / kFocalPerWidth), -1.0, 1.0)});
    }
    return bounces;
}

struct StereoScene::Target {
    uint8_t* origin;
    int stride;
    uint8_t* At(int x, int y) const { return origin + size_t(y) * stride + size_t(x) * 4; }
};

StereoScene::StereoScene(int eyeWidth, int eyeHeight)
    : m_width(eyeWidth),
      m_height(eyeHeight),
      m_focal(kFocalPerWidth * eyeWidth),
      m_centreX(eyeWidth / 2.0),
      m_centreY(kHorizonPerHeight * eyeHeight) {
    // The eyes sit apart so that a point at infinity shows kFarDisparityPerWidth apart, and
    // their pictures are shifted so that the screen plane shows with no disparity.
    const double baseline = kFarDisparityPerWidth * eyeWidth * kScreenDepth / m_focal;
    for (int i = 0; i < 2; ++i) {
        Eye& eye = m_eyes[i];
        eye.offset = (i ? 0.5 : -0.5) * baseline;
        eye.shift = m_focal * eye.offset / kScreenDepth;
        DrawBackground(eye);
    }
}

double StereoScene::Disparity(double z) const {
    return m_focal * (m_eyes[1].offset - m_eyes[0].offset) * (1 / kScreenDepth - 1 / z);
}

StereoScene::Point StereoScene::Project(int eye, const Vec3& point) const {
    const Eye& e = m_eyes[eye];
    return {m_centreX + e.shift + m_focal * (point.x - e.offset) / point.z,
            m_centreY - m_focal * (point.y - kCameraHeight) / point.z};
}

Vec3 StereoScene::Ray(const Eye& eye, double px, double py) const {
    return {(px - m_centreX - eye.shift) / m_focal, -(py - m_centreY) / m_focal, 1};
}

void StereoScene::DrawBackground(Eye& eye) const {
    eye.sky.resize(size_t(m_width) * m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const Vec3 d = Ray(eye, x + 0.5, y + 0.5);
            Vec3 c;
            if (d.y < 0) {
                // The floor: where the ray meets y = 0, and how much floor one pixel spans.
                const double depth = kCameraHeight / -d.y;
                const double across = eye.offset + d.x * depth;
                const double stepDepth = depth * depth / (kCameraHeight * m_focal);
                const double stepAcross = depth / m_focal + std::abs(d.x) * stepDepth;
                const double checker = 0.5 - 0.5 * FilteredSquare(across / kTile, stepAcross / kTile) *
                                                 FilteredSquare(depth / kTile, stepDepth / kTile);
                c = Hazed(Mix(kTileDark, kTileLight, checker), depth);
            } else {
                // Sky and hills are at infinity: their place depends on the direction alone.
                c = SkyColour(d.x, d.y);
                const double ridge = RidgeHeight(d.x);
                const double hill = Clamp01((ridge - d.y) * m_focal + 0.5);
                const Vec3 ground = Mix(kHill, kHaze, 0.55 * (1 - Smooth(0.0, ridge, d.y)) + 0.15);
                c = Mix(c, ground, hill);
            }
            eye.sky[size_t(y) * m_width + x] = Pack(c);
        }
    }
}

void StereoScene::DrawShadow(const Eye& eye, const Target& target, const Vec3& centre, double radius) const {
    // The ball's shadow on the floor along the light, softer and fainter the higher it flies.
    const double lift = centre.y - radius;
    const Vec3 spot = centre - kLight * (centre.y / kLight.y);
    const double size = radius * (1.05 + 0.35 * lift);
    const double strength = 0.55 * radius / (radius + 0.7 * lift);
    const double nearest = spot.z - size;
    if (nearest < 0.5) return;
    const double top = m_centreY + m_focal * kCameraHeight / (spot.z + size);
    const double bottom = m_centreY + m_focal * kCameraHeight / nearest;
    const double left = m_centreX + eye.shift + m_focal * (spot.x - size - eye.offset) / nearest;
    const double right = m_centreX + eye.shift + m_focal * (spot.x + size - eye.offset) / nearest;
    const int x0 = std::max(0, int(left) - 1), x1 = std::min(m_width, int(right) + 2);
    const int y0 = std::max(0, int(top) - 1), y1 = std::min(m_height, int(bottom) + 2);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Vec3 d = Ray(eye, x + 0.5, y + 0.5);
            if (d.y >= 0) continue;
            const double depth = kCameraHeight / -d.y;
            const double across = eye.offset + d.x * depth;
            const double distance = std::hypot(across - spot.x, depth - spot.z) / size;
            const double dark = strength * (1 - Smooth(0.35, 1.0, distance));
            if (dark > 0) Blend(target.At(x, y), {0, 0, 0}, dark);
        }
    }
}

void StereoScene::DrawBall(const Eye& eye, const Target& target, const Ball& ball) const {
    const Vec3 origin{eye.offset, kCameraHeight, 0};
    const Vec3 toCentre = ball.centre - origin;
    if (toCentre.z < ball.radius + 0.2) return;
    const double distance2 = Dot(toCentre, toCentre);
    // Rays that pass the centre closer than `bound` (the radius and a pixel's width of
    // outline) form a cone; in each row its pixels lie between the roots of a quadratic in
    // the ray's slope u: (toCentre.x u + k)^2 >= (distance^2 - bound^2)(u^2 + m).
    const double bound = ball.radius + std::sqrt(distance2) / m_focal;
    const double q = distance2 - bound * bound;
    const double sy = m_centreY - m_focal * toCentre.y / toCentre.z;
    const double reach = m_focal * bound / std::sqrt(q) * (1 + std::abs(toCentre.y) / toCentre.z) + 2;
    const int y0 = std::max(0, int(sy - reach)), y1 = std::min(m_height, int(sy + reach) + 1);
    const double haze = HazeAt(ball.centre.z);
    for (int y = y0; y < y1; ++y) {
        const double v = -(y + 0.5 - m_centreY) / m_focal;
        const double k = toCentre.y * v + toCentre.z, m = v * v + 1;
        const double a = toCentre.x * toCentre.x - q, b = 2 * toCentre.x * k, c = k * k - q * m;
        const double discriminant = b * b - 4 * a * c;
        if (discriminant < 0 || a >= 0) continue;
        const double root = std::sqrt(discriminant);
        const double u0 = (-b + root) / (2 * a), u1 = (-b - root) / (2 * a);
        const double left = m_centreX + eye.shift + m_focal * std::min(u0, u1) - 0.5;
        const double right = m_centreX + eye.shift + m_focal * std::max(u0, u1) - 0.5;
        const int x0 = std::max(0, int(std::floor(left))), x1 = std::min(m_width, int(std::ceil(right)) + 1);
        for (int x = x0; x < x1; ++x) {
            const Vec3 view = Normalized(Ray(eye, x + 0.5, y + 0.5));
            const double along = Dot(toCentre, view);
            const double miss = std::sqrt(std::max(0.0, distance2 - along * along));
            // Edge pixels are covered in part: the analytic coverage keeps the outline smooth.
            const double coverage = Clamp01((ball.radius - miss) * m_focal / along + 0.5);
            if (coverage <= 0) continue;
            const double inside = std::min(miss, ball.radius * 0.999);
            const double hit = along - std::sqrt(ball.radius * ball.radius - inside * inside);
            const Vec3 normal = (origin + view * hit - ball.centre) * (1 / ball.radius);
            const Vec3 c = Shade(ball.albedo, normal, view, ball.glow);
            Blend(target.At(x, y), Mix(c, kHaze, haze), coverage);
        }
    }
}

void StereoScene::DrawPost(const Eye& eye, const Target& target, const Vec3& foot) const {
    const double depth = foot.z;
    const double sx = m_centreX + eye.shift + m_focal * (foot.x - eye.offset) / depth;
    const double reach = m_focal * kPostRadius / depth + 2;
    const double top = m_centreY - m_focal * (kPostHeight - kCameraHeight) / depth - 2;
    const double bottom = m_centreY + m_focal * kCameraHeight / depth + 2;
    const int x0 = std::max(0, int(sx - reach)), x1 = std::min(m_width, int(sx + reach) + 1);
    const int y0 = std::max(0, int(top)), y1 = std::min(m_height, int(bottom) + 1);
    const double pixel = depth / m_focal;  // floor units one pixel spans at the post
    const double haze = HazeAt(depth);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            // The ray's closest pass by the post's axis, seen from above.
            const Vec3 d = Ray(eye, x + 0.5, y + 0.5);
            const double ox = eye.offset - foot.x;
            const double a = d.x * d.x + 1, b = 2 * (d.x * ox - depth), c0 = ox * ox + depth * depth;
            const double closest = -b / (2 * a);
            const double miss = std::sqrt(std::max(0.0, c0 - b * b / (4 * a)));
            const double inside = std::min(miss, kPostRadius * 0.999);
            const double hit = closest - std::sqrt(kPostRadius * kPostRadius - inside * inside) / std::sqrt(a);
            const double height = kCameraHeight + d.y * hit;
            const double coverage = Clamp01((kPostRadius - miss) / pixel + 0.5) *
                                    Clamp01((kPostHeight - height) / pixel + 0.5) * Clamp01(height / pixel + 0.5);
            if (coverage <= 0) continue;
            const Vec3 normal = Normalized({eye.offset + d.x * hit - foot.x, 0, hit - depth});
            const Vec3 c = Shade(kPostMetal, normal, Normalized(d), 0);
            Blend(target.At(x, y), Mix(c, kHaze, haze), coverage);
        }
    }
    DrawBall(eye, target, {foot + Vec3{0, kPostHeight + kLampRadius * 0.8, 0}, kLampRadius, kLampGlow, 0.85});
}

void StereoScene::Draw(double seconds, uint8_t* frame, int stride) const {
    const std::vector<Ball> balls = BallsAt(seconds);
    // Far things first, so near ones cover them.
    struct Item {
        double depth;
        const Ball* ball;
        const Vec3* post;
    };
    std::vector<Item> items;
    for (const Ball& ball : balls) items.push_back({ball.centre.z, &ball, nullptr});
    for (const Vec3& foot : kPostFeet) items.push_back({foot.z, nullptr, &foot});
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.depth > b.depth; });

    for (int i = 0; i < 2; ++i) {
        const Eye& eye = m_eyes[i];
        const Target target{frame + size_t(i) * m_width * 4, stride};
        for (int y = 0; y < m_height; ++y)
            std::memcpy(target.At(0, y), &eye.sky[size_t(y) * m_width], size_t(m_width) * 4);
        for (const Ball& ball : balls) DrawShadow(eye, target, ball.centre, ball.radius);
        for (const Item& item : items) {
            if (item.ball)
                DrawBall(eye, target, *item.ball);
            else
                DrawPost(eye, target, *item.post);
        }
    }
}

}  // namespace demo
