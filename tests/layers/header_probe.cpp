// Must not compile: it names a project header of a layer that the library
// whose include path it is given may not use.
#include ZQ_PROBE_HEADER

int probe()
{
    return 0;
}
