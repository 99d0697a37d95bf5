// A library the dynamic-loading test finds by its bare name, as the ISAM
// library is found beside the suite's own.
extern "C" __attribute__((visibility("default"))) int QelProbeAnswer() { return 4711; }
