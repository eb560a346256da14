// The program's window templates and string table, looked up by number.
#pragma once

#include "platform/dialog_template.h"

namespace velk {

extern const DialogTemplate kSensorDialogTemplate;  // 102, the main window
extern const DialogTemplate kAboutDialogTemplate;   // 100, the About box

// null when the program has no such template / string
const DialogTemplate* FindDialogTemplate(int id);
const char* FindStringResource(int id);

}  // namespace velk
