#include "catalogue/reader/heldfile.h"

#include "catalogue/common.h"
#include "catalogue/fixedfile.h"

namespace tolvane::reader {

const char* heldFileVfs()
{
    static const catalogue::FixedFileVfs vfs("tolvane-held", [](const char*, catalogue::FixedSource* source) {
        source->fd = catalogue::kReaderSourceFd;
        return true;
    });
    return vfs.name();
}

}  // namespace tolvane::reader
