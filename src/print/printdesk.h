#pragma once

#include "print/printengine.h"
#include "print/worksheet.h"

namespace kemoro::print {

// What the print selection screen and the preview share: the question table
// of the latest rebuild and the print job.
struct PrintDesk
{
    Worksheet sheet;
    PrintJob job;
};

} // namespace kemoro::print
