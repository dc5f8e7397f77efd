#ifndef VORM_CORE_RENDERING_MATERIALEFFECTFACTORY_H
#define VORM_CORE_RENDERING_MATERIALEFFECTFACTORY_H

#include <boost/shared_ptr.hpp>

// Makes the renderer's material effect for core code that builds materials
// (the material reader, the terrain); the renderer registers its maker.
namespace Vorm {

class IMaterialEffect;

class MaterialEffectFactory
{
public:
    typedef IMaterialEffect* (*Maker)();

    static void Register(Maker maker) { s_maker = maker; }
    // A new material effect; empty when no renderer registered a maker.
    static boost::shared_ptr<IMaterialEffect> Create()
    {
        return boost::shared_ptr<IMaterialEffect>(s_maker ? s_maker() : nullptr);
    }

private:
    static inline Maker s_maker = nullptr;
};

} // namespace Vorm

#endif
