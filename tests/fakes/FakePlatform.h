// The whole machine in memory: one of each fake, wired into a seam::Platform.
// The services end their linked fake processes.
#pragma once

#include "seam/Platform.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeSystem.h"

namespace fakes {

struct FakePlatform {
    FakePlatform() = default;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeRegistry registry;
    FakeProcesses processes;
    FakeServices services{&processes};
    FakeNet net;
    FakeSystem system;
    FakeFileSystem files;
    seam::Platform platform{registry, processes, services, net, system, files};
};

}  // namespace fakes
