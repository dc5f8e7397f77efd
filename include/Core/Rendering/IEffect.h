#ifndef VORM_CORE_RENDERING_IEFFECT_H
#define VORM_CORE_RENDERING_IEFFECT_H

namespace Vorm {

// Common base of every effect. Effect operations are plain member functions
// that their users call directly; the base only lets effects be released
// through a pointer to it.
class IEffect
{
public:
    IEffect() {}
    virtual ~IEffect() {}
};

} // namespace Vorm

#endif
