// The application object: it only starts the main window.
#pragma once

#include "platform/window.h"

namespace velk {

class CSensorApp : public CWinApp {
public:
    // Runs the main window modally; FALSE then ends the program.
    BOOL InitInstance() override;
};

}  // namespace velk
