// The version check's message boxes, owned by the main window. At start-up
// the window is not shown yet; the boxes still appear, in front of where it
// will be.
#pragma once

#include <windows.h>

#include "net/update/VersionCheck.h"

namespace app {

class CUpdatePrompts : public net::IUpdatePrompts {
public:
    // The owner of the boxes; set once at initialisation.
    void Bind(HWND hOwner) { m_hOwner = hOwner; }

    void ShowConnectionError() override;
    void ShowAlreadyLatest() override;
    void ShowConnectionFailed() override;
    void ShowDownloadFailed() override;
    void ShowUpdateUnsigned() override;

private:
    HWND m_hOwner = nullptr;  // not owned
};

}  // namespace app
