// Counts of what a long-running program must not pile up: GDI handles, user
// handles, threads and memory. Wine has no GetGuiResources (it answers 0) and
// no private-bytes counter, so handles are measured by how many more the
// process can still create: a leak shows as free handles that shrink.
#pragma once

namespace testsupport {

struct ResourceCounts {
    int freeGdiHandles = 0;   // how many more GDI objects the process could create
    int freeUserHandles = 0;  // how many more user objects (0 when not probed)
    int threads = 0;
    double memoryMiB = 0;     // private bytes where the system counts them, else the working set
};

// probeUser: the user-handle probe takes about half a second under Wine.
ResourceCounts CountResources(bool probeUser = true);
// Threads of this process, alone (the handle probes take a while).
int CountThreads();

}  // namespace testsupport
