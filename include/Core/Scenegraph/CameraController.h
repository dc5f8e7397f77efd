#ifndef VORM_CORE_SCENEGRAPH_CAMERACONTROLLER_H
#define VORM_CORE_SCENEGRAPH_CAMERACONTROLLER_H

#include "Core/Math/Vector3.h"
#include "Core/Scenegraph/ScreenPoint.h"

#include <cstdint>

namespace Vorm {

class Camera;

// Mouse orbit about the origin: while Alt is held the left button turns,
// the middle button pans, both together dolly, and the wheel dollies.
class CameraController
{
public:
    explicit CameraController(float distance);

    // Stores the camera and frames it at once.
    void SetCamera(Camera* camera);
    // Reads the mouse of the input manager and changes the orbit.
    void Update();
    // Puts the camera at the orbit position, looking at the orbit centre.
    void Apply();
    // Sets angles, distance and pans so that the camera stands at `location`
    // looking along `direction` (without roll), and frames it there. The
    // orbit centre becomes the point of that line of sight nearest the origin.
    void LookFrom(const Vector3<float>& location, const Vector3<float>& direction);

    void SetDistance(float distance) { m_fDistance = distance; }
    void SetPanX(float pan) { m_fPanX = pan; }
    void SetPanY(float pan) { m_fPanY = pan; }
    void SetYaw(float yaw);
    void SetPitch(float pitch);

    void AddDistance(float delta) { m_fDistance += delta; }
    void AddPanX(float delta) { m_fPanX += delta; }
    void AddPanY(float delta) { m_fPanY += delta; }
    void AddYaw(float delta) { SetYaw(m_fYaw + delta); }
    void AddPitch(float delta) { SetPitch(m_fPitch + delta); }

    Camera* GetCamera() const { return m_pCamera; }
    float GetDistance() const { return m_fDistance; }
    float GetPanX() const { return m_fPanX; }
    float GetPanY() const { return m_fPanY; }
    float GetYaw() const { return m_fYaw; }
    float GetPitch() const { return m_fPitch; }

private:
    void UpdateAxes();

    Camera* m_pCamera;
    Vector3<float> m_vDirection;
    Vector3<float> m_vUp;
    Vector3<float> m_vRight;
    Vector3<float> m_vPosition;
    float m_fDistance;
    float m_fPanX;
    float m_fPanY;
    float m_fYaw;
    float m_fPitch;
    ScreenPoint m_mousePos;
    ScreenPoint m_prevMousePos;
    ScreenPoint m_mouseDelta;
    std::int32_t m_iWheel;
    // False until the first Update has seen the mouse, so that the first
    // delta is zero rather than a jump from an unknown position.
    bool m_bTracking;
};

} // namespace Vorm

#endif
