// Export macro of the platform library. The platform layer is one shared
// library so that its process-wide state (registered string tables, the box
// presenter and message pump, the last system error) exists once per process
// and is seen alike by the program and by every library it loads.
#ifndef QEL_PLATFORM_EXPORT_H_
#define QEL_PLATFORM_EXPORT_H_

#define QEL_PLATFORM_EXPORT __attribute__((visibility("default")))

#endif  // QEL_PLATFORM_EXPORT_H_
