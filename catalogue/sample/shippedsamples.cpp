// The sample's bytes, which the program carries to know the sample by and
// to read it from; linked into the program and its tests, never into the
// reader process.
#include "catalogue/shipped.h"

extern const char tolvane_embedded_ZEKA_mdb[];
extern const std::size_t tolvane_embedded_ZEKA_mdb_size;
extern const char tolvane_embedded_ZEKA_mdb_sha1[];
extern const char tolvane_embedded_ZEKA_D_mdb[];
extern const std::size_t tolvane_embedded_ZEKA_D_mdb_size;
extern const char tolvane_embedded_ZEKA_D_mdb_sha1[];

namespace tolvane::catalogue {

std::span<const ShippedBytes> shippedSamples()
{
    static const ShippedBytes samples[] = {
        {tolvane_embedded_ZEKA_mdb, tolvane_embedded_ZEKA_mdb_size, tolvane_embedded_ZEKA_mdb_sha1},
        {tolvane_embedded_ZEKA_D_mdb, tolvane_embedded_ZEKA_D_mdb_size, tolvane_embedded_ZEKA_D_mdb_sha1}};
    return samples;
}

}  // namespace tolvane::catalogue
