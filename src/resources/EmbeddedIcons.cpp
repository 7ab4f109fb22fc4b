#include "EmbeddedArt.h"

// Drawn at build time by vq-artgen.
#include "vessarquilix_128x128.xpm"
#include "vessarquilix_16x16.xpm"
#include "vessarquilix_24x24.xpm"
#include "vessarquilix_32x32.xpm"
#include "vessarquilix_48x48.xpm"
#include "vessarquilix_64x64.xpm"

namespace vq {

const EmbeddedIcon kWindowIcons[kWindowIconCount] = {
    {16, vessarquilix_16x16_xpm},
    {24, vessarquilix_24x24_xpm},
    {32, vessarquilix_32x32_xpm},
    {48, vessarquilix_48x48_xpm},
    {64, vessarquilix_64x64_xpm},
    {128, vessarquilix_128x128_xpm},
};

}  // namespace vq
