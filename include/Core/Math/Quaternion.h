#ifndef VORM_CORE_MATH_QUATERNION_H
#define VORM_CORE_MATH_QUATERNION_H

#include "Core/Math/Matrix33.h"
#include "Core/Math/Matrix44.h"
#include "Core/Math/Vector3.h"

namespace Vorm {

// Rotation quaternion, scalar part first. The rotation by angle a about the
// unit axis n is (cos(a/2), n sin(a/2)). Nothing normalises unless it says so.
class Quaternion
{
public:
    float w, x, y, z;

    Quaternion() = default; // components left uninitialised
    Quaternion(const float& w_, const float& x_, const float& y_, const float& z_)
        : w(w_), x(x_), y(y_), z(z_)
    {
    }
    // Shortest-arc rotation turning from onto to (see QuatRotationArc).
    Quaternion(const Vector3<float>& from, const Vector3<float>& to);

    // The axis is used as given.
    void FromAngleAxis(const float& angle, const Vector3<float>& axis);
    // rotZ(a) * rotY(b) * rotX(c): c about X first, then b about Y, then a about Z.
    void FromEuler(const float& a, const float& b, const float& c);

    Quaternion& operator+=(const Quaternion& q);
    Quaternion& operator-=(const Quaternion& q);
    Quaternion& operator*=(float s);
    Quaternion& operator/=(float s);
    // this := q * this (q on the left).
    Quaternion& operator*=(const Quaternion& q);

    bool operator==(const Quaternion& q) const;
    bool operator!=(const Quaternion& q) const;
    // Every component differs by strictly less than tolerance.
    bool Equals(const Quaternion& q, float tolerance) const;

    Quaternion operator+(const Quaternion& q) const;
    Quaternion operator-(const Quaternion& q) const;
    Quaternion operator*(float s) const;
    Quaternion operator/(float s) const;
    Quaternion operator-() const;

    float Length() const;
    float Dot(const Quaternion& q) const;
    void Normalize();
    Quaternion Normalized() const;
    Quaternion Conjugate() const;

    // The quaternion is assumed to be of unit length.
    void ToRotationMatrix(Matrix44<float>& out) const;
    void ToRotationMatrix33(Matrix33<float>& out) const;
    void ToAngleAxis(Vector3<float>& axis, float& angle) const;
    // out = (Z angle a, Y angle b, X angle c), the inverse of FromEuler.
    void ToEuler(Vector3<float>& out) const;
};

Quaternion operator*(float s, const Quaternion& q);
// Hamilton product: a * b rotates by b first, then by a.
Quaternion operator*(const Quaternion& a, const Quaternion& b);

void QuatExp(Quaternion& out, const Quaternion& q);
void QuatLog(Quaternion& out, const Quaternion& q);
void QuatFromAxisAngle(Quaternion& out, const Vector3<float>& axis, float angle);
void QuatRotationArc(Quaternion& out, const Vector3<float>& from, const Vector3<float>& to);
void QuatNlerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t);
void QuatSlerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t);
void QuatSlerpShortest(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t);
// Runs from q1 (t = 0) to q2 (t = 1); q3 and q4 are their control points.
void QuatSquad(Quaternion& out, const Quaternion& q1, const Quaternion& q2,
               const Quaternion& q3, const Quaternion& q4, float t);
void QuatSquadControlPoint(Quaternion& out, const Quaternion& qPrev, const Quaternion& q,
                           const Quaternion& qNext);

} // namespace Vorm

#endif
