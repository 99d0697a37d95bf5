// The start-up routine every program of the suite runs first: standard
// input, output and error must be open before the program opens anything
// else, or a data file opened as descriptor 1 would receive the program's
// console messages.
//
// 1. Call EnsureStandardDescriptors() as the very first statement of main,
//    before any file, library or toolkit object (QApplication included) is
//    opened or made.
// 2. Each of descriptors 0, 1 and 2 that is closed is opened on /dev/null
//    (read and write), so that what the program writes there is discarded.
// 3. When /dev/null cannot be opened the process cannot run safely and ends
//    at once with exit code 1; the routine then never returns.
#ifndef QEL_PLATFORM_STANDARD_DESCRIPTORS_H_
#define QEL_PLATFORM_STANDARD_DESCRIPTORS_H_

#include "platform/export.h"

namespace qel::platform {

QEL_PLATFORM_EXPORT void EnsureStandardDescriptors();

// The routine's work, for tests: opens /dev/null on each closed descriptor
// 0 to 2. False when one of them could not be opened.
QEL_PLATFORM_EXPORT bool OpenClosedStandardDescriptors();

}  // namespace qel::platform

#endif  // QEL_PLATFORM_STANDARD_DESCRIPTORS_H_
