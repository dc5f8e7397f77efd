#ifndef VORM_CORE_SCENEGRAPH_TRANSFORMCONTROLLER_H
#define VORM_CORE_SCENEGRAPH_TRANSFORMCONTROLLER_H

#include "Core/Scenegraph/Keyframe.h"

#include <vector>

namespace Vorm {

// Step animation over a list of key frames: the pose jumps from key frame to
// key frame and is never interpolated. An Update passes every key frame whose
// time has come, so the pose keeps up with the time at any update rate.
class TransformController
{
public:
    TransformController();
    virtual ~TransformController();

    void SetKeyframes(const std::vector<Keyframe>& keyframes);
    // An update of no time (a paused animation) moves nothing. Past the last
    // key frame the cycle starts again, keeping the time beyond its end.
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
