// A shared library named like the computation library but without its exports: the binding
// must report the missing functions instead of crashing.
extern "C" __attribute__((visibility("default"))) int KelvoxForeignVersion()
{
    return 1;
}
