#include "Core/Scenegraph/CameraController.h"

#include "Core/Input/InputMngr.h"
#include "Core/Input/Mouse.h"
#include "Core/Math/MathFunctions.h"
#include "Core/Scenegraph/Camera.h"

namespace Vorm {

CameraController::CameraController(float distance)
    : m_pCamera(0), m_vPosition(0.0f, 0.0f, 0.0f), m_fDistance(distance), m_fPanX(0.0f), m_fPanY(0.0f),
      m_fYaw(0.0f), m_fPitch(0.0f), m_iWheel(0), m_bTracking(false)
{
    m_mousePos.x = m_mousePos.y = 0;
    m_prevMousePos = m_mousePos;
    m_mouseDelta = m_mousePos;
    UpdateAxes();
}

void CameraController::SetCamera(Camera* camera)
{
    m_pCamera = camera;
    Apply();
}

void CameraController::SetYaw(float yaw)
{
    m_fYaw = yaw;
    UpdateAxes();
}

void CameraController::SetPitch(float pitch)
{
    m_fPitch = pitch;
    UpdateAxes();
}

void CameraController::UpdateAxes()
{
    const float sy = Math::Sin(m_fYaw), cy = Math::Cos(m_fYaw);
    const float sp = Math::Sin(m_fPitch), cp = Math::Cos(m_fPitch);
    m_vDirection = Vector3<float>(sy * cp, sp, -cy * cp);
    m_vUp = Vector3<float>(-sy * sp, cp, cy * sp);
    m_vRight = m_vDirection.Cross(m_vUp);
}

void CameraController::Apply()
{
    m_vPosition = -m_vDirection * m_fDistance + m_vRight * m_fPanX + m_vUp * m_fPanY;
    if (m_pCamera)
        m_pCamera->SetFrame(m_vPosition, m_vDirection, m_vUp, m_vRight);
}

void CameraController::LookFrom(const Vector3<float>& location, const Vector3<float>& direction)
{
    // The inverse of the axes' formula, d = (sin y cos p, sin p, -cos y cos p),
    // for a direction of any length.
    const Vector3<float>& d = direction;
    m_fPitch = Math::Atan2(d.y, Math::Sqrt(d.x * d.x + d.z * d.z));
    m_fYaw = Math::Atan2(d.x, -d.z);
    UpdateAxes();
    // The axes are orthonormal: the location splits along them.
    m_fDistance = -location.Dot(m_vDirection);
    m_fPanX = location.Dot(m_vRight);
    m_fPanY = location.Dot(m_vUp);
    Apply();
}

void CameraController::Update()
{
    const Mouse* mouse = TSingleton<InputMngr>::Instance()->GetMouse();

    // Track every call, so that pressing Alt causes no jump.
    const VormInput::MousePosition* pos = mouse->GetPosition();
    m_mousePos.x = static_cast<std::int16_t>(pos->x);
    m_mousePos.y = static_cast<std::int16_t>(pos->y);
    if (!m_bTracking)
    {
        m_prevMousePos = m_mousePos;
        m_bTracking = true;
    }
    m_mouseDelta.x = static_cast<std::int16_t>(m_mousePos.x - m_prevMousePos.x);
    m_mouseDelta.y = static_cast<std::int16_t>(m_mousePos.y - m_prevMousePos.y);
    m_prevMousePos = m_mousePos;

    m_iWheel = mouse->GetWheel();
    const std::uint32_t buttons = mouse->GetButtons();
    const std::uint32_t modifiers = mouse->GetModifiers();

    if (!(modifiers & VormInput::eModifier_ALT))
        return;

    const bool left = (buttons & VormInput::eMouseButton_LEFT) != 0;
    const bool middle = (buttons & VormInput::eMouseButton_MIDDLE) != 0;
    const float dx = static_cast<float>(m_mouseDelta.x);
    const float dy = static_cast<float>(m_mouseDelta.y);

    if (left && middle)
    {
        AddDistance((dy - dx) / 10.0f);
        Apply();
        return;
    }
    if (left)
    {
        AddYaw(dx / 100.0f);
        AddPitch(-dy / 100.0f);
    }
    if (middle)
    {
        AddPanX(-dx / 10.0f);
        AddPanY(dy / 10.0f);
    }
    if (m_iWheel != 0)
        AddDistance(static_cast<float>(m_iWheel) / 50.0f);
    Apply();
}

} // namespace Vorm
