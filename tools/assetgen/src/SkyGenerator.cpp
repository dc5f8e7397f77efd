#include "SkyGenerator.h"

#include <cmath>

#include "Noise.h"

namespace assetgen {

namespace {

const uint32_t kCloudSeed = 0x5C1E5u;

const Vec3 kZenith(0.16, 0.34, 0.70);
const Vec3 kMidSky(0.33, 0.55, 0.86);
const Vec3 kHaze(0.78, 0.85, 0.92);
const Vec3 kGround(0.38, 0.45, 0.42);     // muted greenish grey-blue below the horizon
const Vec3 kGroundFar(0.56, 0.64, 0.64);  // the ground fading into haze
const Vec3 kSunColor(1.0, 0.93, 0.78);

double cloudDensity(const Vec3& d)
{
    // Project onto a virtual cloud layer: clouds shrink towards the horizon like real ones.
    // The projection depends only on the direction, so the faces still agree at the edges.
    double k = 1.0 / (d.y + 0.22);
    Vec3 p(d.x * k * 1.6, 0.0, d.z * k * 1.6);
    double n = Noise::fbm3(p.x, 3.7 + d.y * 0.8, p.z, 6, kCloudSeed, 0.52);
    // Larger weather pattern: some sky areas clear, others with more clouds.
    double cover = Noise::fbm3(p.x * 0.25, 11.3, p.z * 0.25, 2, kCloudSeed + 9u);
    double c = smoothstep(0.0, 0.36, n + 0.25 * cover + 0.02);
    return c;
}

} // namespace

Vec3 SkyGenerator::sunDirection()
{
    return Vec3(0.5, 0.45, -0.75).normalized();
}

Vec3 SkyGenerator::direction(const std::string& face, int col, int row, int size)
{
    double s = 2.0 * (col + 0.5) / size - 1.0;
    double t = 2.0 * (row + 0.5) / size - 1.0;
    Vec3 d;
    if (face == "px") d = Vec3(1, -t, -s);
    else if (face == "nx") d = Vec3(-1, -t, s);
    else if (face == "py") d = Vec3(s, 1, t);
    else if (face == "ny") d = Vec3(s, -1, -t);
    else if (face == "pz") d = Vec3(s, -t, 1);
    else d = Vec3(-s, -t, -1);
    return d.normalized();
}

Vec3 SkyGenerator::radiance(const Vec3& d)
{
    const Vec3 sun = sunDirection();
    double cosSun = d.dot(sun);
    double y = d.y;

    Vec3 c;
    if (y >= 0) {
        // Blue deepening towards the zenith, pale haze along the horizon.
        double up = std::pow(y, 0.5);
        c = Vec3::mix(kMidSky, kZenith, smoothstep(0.1, 1.0, up));
        c = Vec3::mix(c, kHaze, std::pow(1.0 - y, 8.0));
    } else {
        double down = -y;
        c = Vec3::mix(kGroundFar, kGround, smoothstep(0.0, 0.35, down));
        c = Vec3::mix(c, kHaze, std::pow(1.0 - down, 40.0) * 0.9);
    }

    // Sun glow: a wide soft halo plus a tighter bright one, brighter near the horizon haze.
    double cs = std::max(cosSun, 0.0);
    double glow = 0.22 * std::pow(cs, 6.0) + 0.35 * std::pow(cs, 60.0) + 0.5 * std::pow(cs, 900.0);
    c = c + kSunColor * glow;

    if (y > -0.02) {
        double fade = smoothstep(-0.02, 0.12, y);
        double dens = cloudDensity(Vec3(d.x, std::max(y, 0.0), d.z)) * fade;
        if (dens > 0) {
            // Sample the density a little towards the sun: thicker there means a shaded side.
            Vec3 toward = (d + sun * 0.035).normalized();
            double ahead = cloudDensity(Vec3(toward.x, std::max(toward.y, 0.0), toward.z));
            double shade = clamp01(0.5 + (dens - ahead) * 1.6);
            Vec3 lit(1.0, 0.98, 0.95);
            Vec3 dark(0.62, 0.67, 0.76);
            Vec3 cloud = Vec3::mix(dark, lit, shade);
            // Silver lining near the sun.
            cloud = cloud + kSunColor * (0.35 * std::pow(cs, 12.0) * (1.0 - dens));
            // Distant clouds dissolve into the haze.
            cloud = Vec3::mix(cloud, kHaze, std::pow(1.0 - y, 10.0) * 0.7);
            c = Vec3::mix(c, cloud, dens * 0.92);
        }
    }

    // The sun disc itself (about 1.3 degrees across) with a soft edge, kept clear of clouds
    // so the light source is always visible.
    const double discCos = std::cos(0.65 * 3.14159265358979 / 180.0);
    const double edgeCos = std::cos(0.95 * 3.14159265358979 / 180.0);
    double disc = smoothstep(edgeCos, discCos, cosSun);
    if (disc > 0) c = Vec3::mix(c, Vec3(1.0, 0.98, 0.9), disc);

    return Vec3(clamp01(c.x), clamp01(c.y), clamp01(c.z));
}

Image SkyGenerator::face(const std::string& face, int size)
{
    Image img(size, size, 3);
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col)
            img.setColor(col, row, radiance(direction(face, col, row, size)));
    return img;
}

} // namespace assetgen
