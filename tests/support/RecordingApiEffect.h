#ifndef VORM_TESTS_RECORDINGAPIEFFECT_H
#define VORM_TESTS_RECORDINGAPIEFFECT_H

#include "RecordingLog.h"

#include "Core/Rendering/ApiEffect.h"

#include <string>

// Shader program stand-in: logs each call as "Effect[name].Operation ..." and
// keeps what it was handed.
class RecordingApiEffect : public Vorm::ApiEffect
{
public:
    RecordingApiEffect(const std::string& name, RecordingLog log);
    ~RecordingApiEffect() override;

    void Enable() override;
    void Disable() override;
    bool IsEnabled() const override;
    void SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection) override;
    void UpdateVertexDataBinding(const std::map<std::string, Vorm::VertexAttribute>& attributes) override;
    void SetModelMatrix(const Matrix44<float>& model) override;

    const std::string& GetName() const { return m_name; }
    const Matrix44<float>* GetView() const { return m_pView; }
    const Matrix44<float>* GetProjection() const { return m_pProjection; }
    const Matrix44<float>& GetModel() const { return m_model; }

private:
    std::string m_name;
    RecordingLog m_log;
    bool m_bEnabled;
    const Matrix44<float>* m_pView;
    const Matrix44<float>* m_pProjection;
    Matrix44<float> m_model;
};

#endif
