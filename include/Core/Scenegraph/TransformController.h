#ifndef VORM_CORE_SCENEGRAPH_TRANSFORMCONTROLLER_H
#define VORM_CORE_SCENEGRAPH_TRANSFORMCONTROLLER_H

#include "Core/Scenegraph/Keyframe.h"

#include <vector>

namespace Vorm {

// Step animation over a list of key frames: the pose jumps from key frame to
// key frame, at most one per Update, and is never interpolated.
class TransformController
{
public:
    TransformController();
    virtual ~TransformController();

    void SetKeyframes(const std::vector<Keyframe>& keyframes);
    void Update(double dt);
    // The current key frame's pose; the identity while there is none.
    Transform GetTransform() const;
    void Reset();

    unsigned int GetKeyframeCount() const { return static_cast<unsigned int>(m_keyframes.size()); }

private:
    std::vector<Keyframe> m_keyframes;
    double m_dElapsed;
    unsigned int m_uCurrent;
};

} // namespace Vorm

#endif
