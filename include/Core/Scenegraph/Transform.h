#ifndef VORM_CORE_SCENEGRAPH_TRANSFORM_H
#define VORM_CORE_SCENEGRAPH_TRANSFORM_H

#include "Core/Math/Matrix33.h"
#include "Core/Math/Matrix44.h"
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"

namespace Vorm {

// Placement of a scene-graph object. A point p maps to R (s p) + t while the
// matrix is a pure rotation (IsRSMat), and to M p + t otherwise. The two flags
// let composition and conversion take shortcuts.
class Transform
{
public:
    Transform();
    ~Transform();

    Transform(const Transform&) = default;
    Transform& operator=(const Transform&) = default;

    void MakeIdentity();

    void SetTranslation(const Vector3<float>& t);
    void SetTranslation(float x, float y, float z);
    // Uniform scale; only meaningful beside a pure rotation.
    void SetScale(float s);
    void SetRotation(const Matrix33<float>& rotation);
    // Angles (a, b, c) in radians: rotX(a) * rotY(-b) * rotZ(c).
    void SetRotation(const Vector3<float>& euler);
    // An arbitrary linear part; the scale is then ignored.
    void SetMatrix(const Matrix33<float>& m);

    const Matrix33<float>& GetRotation() const;
    const Matrix33<float>& GetMatrix() const;
    const Vector3<float>& GetTranslation() const { return m_vTranslation; }
    float GetScale() const { return m_fScale; }
    bool IsIdentity() const { return m_bIsIdentity; }
    bool IsRSMat() const { return m_bIsRSMat; }

    // this := a applied after b. Either operand may be this.
    void Product(const Transform& a, const Transform& b);

    void ToMatrix44(Matrix44<float>& out) const;

    // w = 1 transforms a point, w = 0 a direction.
    Vector4<float> Apply(const Vector4<float>& v) const;

private:
    float m_fScale;
    Matrix33<float> m_mMatrix;
    Vector3<float> m_vTranslation;
    bool m_bIsIdentity;
    bool m_bIsRSMat;
};

} // namespace Vorm

#endif
