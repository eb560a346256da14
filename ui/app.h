// The application object: it only starts the main window.
#pragma once

#include "platform/window.h"

namespace velk {

class CSensorApp : public CWinApp {
public:
    // Runs the main window modally; FALSE then ends the program.
    BOOL InitInstance() override;

    // The application's message map: the Help command to OnHelp.
    bool OnCmdMsg(Message& msg) override;
};

}  // namespace velk
