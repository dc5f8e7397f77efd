#ifndef VORM_CORE_RENDERING_RUNLENGTHSTREAM_H
#define VORM_CORE_RENDERING_RUNLENGTHSTREAM_H

#include <cstdio>
#include <string>

namespace Vorm {

class ImageHeader;

// Follows the run-length packets of a TGA or an 8-bit BMP as the decoder
// would, without decoding them: a stream that stops short of the picture,
// or whose runs or jumps leave it, is refused before the decoder writes
// pixels it does not have or places it has not set aside.
class RunLengthStream
{
public:
    // True for a file whose pixels are plain or whose packets fit the
    // picture the header gives; false with what is wrong in `reason`. The
    // read position is left anywhere.
    static bool Check(std::FILE* file, const ImageHeader& header, std::string& reason);
};

} // namespace Vorm

#endif
