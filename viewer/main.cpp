// viewer: the demo host.
//
// The demo scene and its frame loop are not written yet. Until they are, the
// program says so and exits successfully, so the build and the run script can
// be exercised end to end without pretending to show anything.

#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::puts("viewer: the demo scene is not there yet; this is a placeholder "
              "build with nothing to show.");
    return 0;
}
