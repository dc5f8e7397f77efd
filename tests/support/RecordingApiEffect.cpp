#include "RecordingApiEffect.h"

#include <sstream>

RecordingApiEffect::RecordingApiEffect(const std::string& name, RecordingLog log)
    : m_name(name), m_log(log), m_bEnabled(false), m_pView(nullptr), m_pProjection(nullptr),
      m_model(Matrix44<float>::IDENTITY)
{
}

RecordingApiEffect::~RecordingApiEffect()
{
}

void RecordingApiEffect::Enable()
{
    m_bEnabled = true;
    m_log->push_back("Effect[" + m_name + "].Enable");
}

void RecordingApiEffect::Disable()
{
    m_bEnabled = false;
    m_log->push_back("Effect[" + m_name + "].Disable");
}

bool RecordingApiEffect::IsEnabled() const
{
    return m_bEnabled;
}

void RecordingApiEffect::SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection)
{
    m_pView = view;
    m_pProjection = projection;
    m_log->push_back("Effect[" + m_name + "].SetViewProjection");
}

void RecordingApiEffect::UpdateVertexDataBinding(const std::map<std::string, Vorm::VertexAttribute>& attributes)
{
    std::ostringstream s;
    s << "Effect[" << m_name << "].UpdateVertexDataBinding";
    for (std::map<std::string, Vorm::VertexAttribute>::const_iterator it = attributes.begin();
         it != attributes.end(); ++it)
        s << " " << it->first;
    m_log->push_back(s.str());
}

void RecordingApiEffect::SetModelMatrix(const Matrix44<float>& model)
{
    m_model = model;
    m_log->push_back(LogEntry("Effect[" + m_name + "].SetModelMatrix", model[3].x, model[3].y, model[3].z));
}
