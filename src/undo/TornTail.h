// An undo file whose run was killed, or whose machine lost power, in the middle of a write can
// end in part of a line. The lines a run appends last belong to items it had not removed yet;
// imported as they are, a number or byte list cut short would set a shortened value over one
// that is still whole in the registry.
#pragma once

#include "platform/Types.h"

// The file's bytes up to its last whole line, less a value whose continued byte list breaks off
// there; torn tells whether anything was cut. A file that ends whole comes back as it is.
Bytes WithoutTornTail(const Bytes& file, bool& torn);
