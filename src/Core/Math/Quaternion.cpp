#include "Core/Math/Quaternion.h"

#include "Core/Math/MathFunctions.h"

#include <cmath>

namespace Vorm {

namespace {
const float kPi = 3.1415927f;
const float kSlerpLimit = 0.95f;
} // namespace

Quaternion::Quaternion(const Vector3<float>& from, const Vector3<float>& to)
{
    QuatRotationArc(*this, from, to);
}

void Quaternion::FromAngleAxis(const float& angle, const Vector3<float>& axis)
{
    const float half = angle * 0.5f;
    const float s = Math::Sin(half);
    w = Math::Cos(half);
    x = axis.x * s;
    y = axis.y * s;
    z = axis.z * s;
}

void Quaternion::FromEuler(const float& a, const float& b, const float& c)
{
    const float ca = Math::Cos(a * 0.5f), sa = Math::Sin(a * 0.5f);
    const float cb = Math::Cos(b * 0.5f), sb = Math::Sin(b * 0.5f);
    const float cc = Math::Cos(c * 0.5f), sc = Math::Sin(c * 0.5f);
    w = ca * cb * cc + sa * sb * sc;
    x = ca * cb * sc - sa * sb * cc;
    y = ca * sb * cc + sa * cb * sc;
    z = sa * cb * cc - ca * sb * sc;
}

Quaternion& Quaternion::operator+=(const Quaternion& q)
{
    w += q.w;
    x += q.x;
    y += q.y;
    z += q.z;
    return *this;
}

Quaternion& Quaternion::operator-=(const Quaternion& q)
{
    w -= q.w;
    x -= q.x;
    y -= q.y;
    z -= q.z;
    return *this;
}

Quaternion& Quaternion::operator*=(float s)
{
    w *= s;
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

Quaternion& Quaternion::operator/=(float s)
{
    const float inv = 1.0f / s;
    return *this *= inv;
}

Quaternion& Quaternion::operator*=(const Quaternion& q)
{
    *this = q * *this;
    return *this;
}

bool Quaternion::operator==(const Quaternion& q) const
{
    return w == q.w && x == q.x && y == q.y && z == q.z;
}

bool Quaternion::operator!=(const Quaternion& q) const { return !(*this == q); }

bool Quaternion::Equals(const Quaternion& q, float tolerance) const
{
    return Math::Abs(w - q.w) < tolerance && Math::Abs(x - q.x) < tolerance &&
           Math::Abs(y - q.y) < tolerance && Math::Abs(z - q.z) < tolerance;
}

Quaternion Quaternion::operator+(const Quaternion& q) const { return Quaternion(*this) += q; }
Quaternion Quaternion::operator-(const Quaternion& q) const { return Quaternion(*this) -= q; }
Quaternion Quaternion::operator*(float s) const { return Quaternion(*this) *= s; }
Quaternion Quaternion::operator/(float s) const { return Quaternion(*this) /= s; }
Quaternion Quaternion::operator-() const { return Quaternion(-w, -x, -y, -z); }

float Quaternion::Length() const { return Math::Sqrt(w * w + x * x + y * y + z * z); }

float Quaternion::Dot(const Quaternion& q) const
{
    return w * q.w + x * q.x + y * q.y + z * q.z;
}

void Quaternion::Normalize()
{
    const float len = Length();
    // The zero quaternion has no direction: keep it rather than fill it with NaN.
    if (len != 0.0f)
        *this /= len;
}

Quaternion Quaternion::Normalized() const
{
    Quaternion q(*this);
    q.Normalize();
    return q;
}

Quaternion Quaternion::Conjugate() const { return Quaternion(w, -x, -y, -z); }

void Quaternion::ToRotationMatrix(Matrix44<float>& out) const
{
    Matrix33<float> r;
    ToRotationMatrix33(r);
    out = Matrix44<float>(r[0].x, r[1].x, r[2].x, 0.0f,
                          r[0].y, r[1].y, r[2].y, 0.0f,
                          r[0].z, r[1].z, r[2].z, 0.0f,
                          0.0f, 0.0f, 0.0f, 1.0f);
}

void Quaternion::ToRotationMatrix33(Matrix33<float>& out) const
{
    out = Matrix33<float>(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y - w * z), 2.0f * (x * z + w * y),
                          2.0f * (x * y + w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z - w * x),
                          2.0f * (x * z - w * y), 2.0f * (y * z + w * x), 1.0f - 2.0f * (x * x + y * y));
}

void Quaternion::ToAngleAxis(Vector3<float>& axis, float& angle) const
{
    const float h = Math::Acos(w);
    const float s = Math::Sin(h);
    // No rotation has no axis of its own; report X instead of dividing by zero.
    if (s == 0.0f)
        axis = Vector3<float>::UNIT_X;
    else
        axis = Vector3<float>(x, y, z) * (1.0f / s);
    angle = 2.0f * h;
}

void Quaternion::ToEuler(Vector3<float>& out) const
{
    const float ww = w * w, xx = x * x, yy = y * y, zz = z * z;
    out.x = Math::Atan2(2.0f * (x * y + z * w), xx - yy - zz + ww);
    out.y = static_cast<float>(std::asin(static_cast<double>(-2.0f * (x * z - y * w))));
    out.z = Math::Atan2(2.0f * (y * z + x * w), -xx - yy + zz + ww);
}

Quaternion operator*(float s, const Quaternion& q) { return q * s; }

Quaternion operator*(const Quaternion& a, const Quaternion& b)
{
    return Quaternion(a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
                      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w);
}

void QuatExp(Quaternion& out, const Quaternion& q)
{
    const float t = Math::Sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    const float k = (t != 0.0f) ? Math::Sin(t) / t : 0.0f;
    out = Quaternion(Math::Cos(t), q.x * k, q.y * k, q.z * k);
}

void QuatLog(Quaternion& out, const Quaternion& q)
{
    const float t = Math::Acos(q.w);
    const float s = Math::Sin(t);
    const float k = (s != 0.0f) ? t / s : 0.0f;
    out = Quaternion(0.0f, q.x * k, q.y * k, q.z * k);
}

void QuatFromAxisAngle(Quaternion& out, const Vector3<float>& axis, float angle)
{
    out.FromAngleAxis(angle, axis.Normalized());
}

void QuatRotationArc(Quaternion& out, const Vector3<float>& from, const Vector3<float>& to)
{
    const Vector3<float> a = from.Normalized();
    const Vector3<float> b = to.Normalized();
    const float d = a.Dot(b);
    if (d + 1.0f < 0.00001f) {
        // Opposite vectors: half turn about an axis perpendicular to a.
        Vector3<float> axis = a.Cross(Vector3<float>(a.z, a.x, a.y));
        // That axis vanishes when a's components are all equal; X then serves.
        if (axis.LengthSqr() == 0.0f)
            axis = a.Cross(Vector3<float>::UNIT_X);
        QuatFromAxisAngle(out, axis, kPi);
        return;
    }
    const Vector3<float> c = a.Cross(b);
    const float s = Math::Sqrt(2.0f * (1.0f + d));
    const float k = 1.0f / s;
    out = Quaternion(0.5f / k, c.x * k, c.y * k, c.z * k);
}

void QuatNlerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t)
{
    out = (q1 + (q2 - q1) * t).Normalized();
}

namespace {
// Spherical blend for rotations that are neither close nor close to opposite.
Quaternion SlerpArc(const Quaternion& q1, const Quaternion& q2, float d, float t)
{
    const float angle = Math::Acos(d);
    const float invSin = 1.0f / Math::Sin(angle);
    return (q1 * Math::Sin((1.0f - t) * angle) + q2 * Math::Sin(t * angle)) * invSin;
}
} // namespace

void QuatSlerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t)
{
    const float d = q1.Dot(q2);
    if (d > -kSlerpLimit && d < kSlerpLimit)
        out = SlerpArc(q1, q2, d, t);
    else
        QuatNlerp(out, q1, q2, t);
}

void QuatSlerpShortest(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t)
{
    float d = q1.Dot(q2);
    Quaternion target = q2;
    if (d < 0.0f) {
        d = -d;
        target = -1.0f * q2;
    }
    if (d < kSlerpLimit)
        out = SlerpArc(q1, target, d, t);
    else
        QuatNlerp(out, q1, target, t);
}

void QuatSquad(Quaternion& out, const Quaternion& q1, const Quaternion& q2,
               const Quaternion& q3, const Quaternion& q4, float t)
{
    Quaternion a, b;
    QuatSlerp(a, q1, q2, t);
    QuatSlerp(b, q3, q4, t);
    QuatSlerp(out, a, b, 2.0f * t * (1.0f - t));
}

void QuatSquadControlPoint(Quaternion& out, const Quaternion& qPrev, const Quaternion& q,
                           const Quaternion& qNext)
{
    const Quaternion c = q.Conjugate();
    Quaternion logPrev, logNext, e;
    QuatLog(logPrev, c * qPrev);
    QuatLog(logNext, c * qNext);
    QuatExp(e, (logPrev + logNext) / -4.0f);
    out = q * e;
}

} // namespace Vorm
