// The whole machine in memory: one of each fake, wired into a seam::Platform.
// The services end their linked fake processes; downloads land in the fake
// file system, where the fake trust store reads their signatures.
#pragma once

#include "seam/Platform.h"
#include "tests/fakes/FakeCompoundFiles.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeTrust.h"

namespace fakes {

struct FakePlatform {
    FakePlatform() = default;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeRegistry registry;
    FakeProcesses processes;
    FakeServices services{&processes};
    FakeFileSystem files;
    FakeNet net{&files};
    FakeSystem system;
    FakeShell shell;
    FakeTrust trust{&files};
    FakeCompoundFiles compoundFiles{&files};
    seam::Platform platform{registry, processes, services, net, system, files, shell, trust, compoundFiles};
};

}  // namespace fakes
